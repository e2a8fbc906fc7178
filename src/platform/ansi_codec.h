// The system's ANSI code page, and any other code page named by its Windows
// number (932, 1252, 28591, 20127, ...). Windows converts with its own
// tables; the native build stands in through iconv, with CP932 as the ANSI
// code page of the Japanese systems we target.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velnor {

// Bytes in the ANSI code page to text. Never fails: bytes the code page cannot
// decode become replacement characters (which ones depends on the platform).
std::wstring AnsiToWide(std::string_view bytes);

// Text to the ANSI code page, or nothing when some character has no exact
// representation there (no '?' and no best-fit look-alike is ever produced).
std::optional<std::string> WideToAnsi(std::wstring_view text);

// Whether the system can convert the code page at all.
bool CodePageAvailable(unsigned codePage);

// Bytes in the code page to text, or nothing when some byte sequence is not
// valid there or the code page is not available.
std::optional<std::wstring> CodePageToWide(unsigned codePage, std::string_view bytes);

// Text to the code page, or nothing when some character has no exact
// representation there, as for WideToAnsi.
std::optional<std::string> WideToCodePage(unsigned codePage, std::wstring_view text);

}  // namespace velnor
