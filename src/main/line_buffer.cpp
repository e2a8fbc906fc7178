#include "main/line_buffer.h"

#include "platform/ansi_codec.h"
#include "platform/files.h"
#include "platform/utf.h"

namespace velnor {
namespace {

std::wstring Decode(std::string_view bytes, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8: return Utf8ToWide(bytes);
        case TextEncoding::Utf16Le: return Utf16LeToWide(bytes);
        case TextEncoding::Utf16Be: return Utf16BeToWide(bytes);
        default: return AnsiToWide(bytes);
    }
}

std::string Mark(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8: return "\xEF\xBB\xBF";
        case TextEncoding::Utf16Le: return "\xFF\xFE";
        case TextEncoding::Utf16Be: return "\xFE\xFF";
        default: return {};
    }
}

std::string Encode(const std::wstring& text, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8: return WideToUtf8(text);
        case TextEncoding::Utf16Le: return WideToUtf16Le(text);
        case TextEncoding::Utf16Be: return WideToUtf16Be(text);
        default: return {};
    }
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes, size_t* markLength) {
    TextEncoding e = TextEncoding::Ansi;
    size_t n = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") { e = TextEncoding::Utf8; n = 3; }
    else if (bytes.substr(0, 2) == "\xFF\xFE") { e = TextEncoding::Utf16Le; n = 2; }
    else if (bytes.substr(0, 2) == "\xFE\xFF") { e = TextEncoding::Utf16Be; n = 2; }
    if (markLength) *markLength = n;
    return e;
}

namespace {

// Calls `line` for each line of `text`: a line ends at CR LF, CR or LF, and a
// final line end adds no empty line.
template <class Char, class Visit>
void ForEachLine(std::basic_string_view<Char> text, Visit line) {
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const Char c = text[i];
        if (c == Char('\r') || c == Char('\n')) {
            line(text.substr(start, i - start));
            i += (c == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) line(text.substr(start));
}

}  // namespace

std::vector<std::wstring> SplitLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    ForEachLine(text, [&](std::wstring_view l) { lines.emplace_back(l); });
    return lines;
}

void SplitLineBytes(std::string_view bytes, const std::function<void(std::string_view)>& line) {
    ForEachLine(bytes, line);
}

void LineBuffer::LoadFromBytes(std::string_view bytes) {
    size_t mark = 0;
    const TextEncoding e = DetectEncoding(bytes, &mark);
    std::vector<std::wstring> lines;
    if (e == TextEncoding::Ansi) {
        // CR and LF are never trail bytes in an ANSI code page, so the bytes
        // split into lines exactly before decoding; an invalid lead byte at
        // the end of a line then cannot swallow the line end.
        SplitLineBytes(bytes, [&](std::string_view line) { lines.push_back(AnsiToWide(line)); });
    } else {
        lines = SplitLines(Decode(bytes.substr(mark), e));
    }
    lines_ = std::move(lines);
    encoding_ = e;
}

void LineBuffer::LoadFromFile(const std::wstring& path) {
    LoadFromBytes(ReadFileBytes(path));
}

std::string LineBuffer::ToBytes() const {
    std::wstring text;
    for (const auto& line : lines_) {
        text += line;
        text += L"\r\n";
    }
    TextEncoding e = encoding_ == TextEncoding::None ? TextEncoding::Ansi : encoding_;
    if (e == TextEncoding::Ansi) {
        if (auto ansi = WideToAnsi(text)) return *ansi;
        // Some line has no exact form in the ANSI code page: UTF-8 with its
        // mark keeps every character and reads back the same.
        e = TextEncoding::Utf8;
    }
    return Mark(e) + Encode(text, e);
}

void LineBuffer::SaveToFile(const std::wstring& path) const {
    WriteFileAtomic(path, ToBytes());
}

}  // namespace velnor
