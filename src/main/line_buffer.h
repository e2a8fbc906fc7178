// The list of text lines through which every text file of the program passes:
// the capture file of the wireless commands and the hidden-profile list.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velnor {

enum class TextEncoding { None, Ansi, Utf8, Utf16Le, Utf16Be };

class LineBuffer {
public:
    void Clear() { lines_.clear(); }
    void Add(std::wstring line) { lines_.push_back(std::move(line)); }
    size_t Count() const { return lines_.size(); }
    const std::wstring& operator[](size_t index) const { return lines_.at(index); }
    const std::vector<std::wstring>& Lines() const { return lines_; }
    TextEncoding Encoding() const { return encoding_; }

    // Replaces the lines with those of the file. Raises EFOpenError and
    // changes nothing when the file cannot be read.
    void LoadFromFile(const std::wstring& path);

    // Writes every line followed by CR LF in the remembered encoding (the ANSI
    // code page when none). When some line cannot be represented in the ANSI
    // code page the file is written as UTF-8 with its mark instead, so nothing
    // is lost. Raises EFCreateError; the old file is then intact.
    void SaveToFile(const std::wstring& path) const;

    // The decoding and encoding steps on their own, for tests and fuzzing.
    void LoadFromBytes(std::string_view bytes);
    std::string ToBytes() const;

private:
    std::vector<std::wstring> lines_;
    TextEncoding encoding_ = TextEncoding::None;
};

// Detects the encoding from a byte-order mark (the ANSI code page when there is
// none) and returns it with the length of the mark.
TextEncoding DetectEncoding(std::string_view bytes, size_t* markLength);

// Splits at CR LF, CR alone or LF alone; a final line end adds no empty line.
std::vector<std::wstring> SplitLines(std::wstring_view text);
void SplitLineBytes(std::string_view bytes, const std::function<void(std::string_view)>& line);

}  // namespace velnor
