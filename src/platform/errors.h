// The program's error classes. Each carries the exact text the user sees in
// the error box; the box itself lives in the UI layer.
#pragma once

#include <stdexcept>
#include <string>

namespace velnor {

class Error : public std::runtime_error {
public:
    explicit Error(std::wstring message);
    const std::wstring& Message() const noexcept { return message_; }

private:
    std::wstring message_;
};

// A file could not be opened for reading.
class EFOpenError : public Error {
public:
    using Error::Error;
};

// A file could not be created or written.
class EFCreateError : public Error {
public:
    using Error::Error;
};

// A stored text could not be converted to the requested type.
class EConvertError : public Error {
public:
    using Error::Error;
};

// A variant conversion failed (type mismatch).
class EVariantError : public Error {
public:
    using Error::Error;
};

// A variant conversion did not fit the target type.
class EVariantOverflowError : public Error {
public:
    using Error::Error;
};

// The settings document could not be parsed or navigated.
class EXMLError : public Error {
public:
    using Error::Error;
};

// "ファイル %s は開けません。 %s " for the given path and OS description.
EFOpenError MakeOpenError(const std::wstring& path, const std::wstring& cause);
// "ファイル "%s" を作成できません。%s" for the given path and OS description.
EFCreateError MakeCreateError(const std::wstring& path, const std::wstring& cause);

// An OS message with trailing blanks, control characters and ASCII full stops
// cut off, as the error texts embed it. A Japanese "。" is kept.
std::wstring TrimSystemMessage(std::wstring text);

// The error box text: a "." is appended unless the text is empty or its last
// character's code is not greater than that of ".".
std::wstring ErrorBoxText(const std::wstring& message);

}  // namespace velnor
