#include "main/line_buffer.h"

#include <optional>

#include "platform/ansi_codec.h"
#include "platform/files.h"
#include "platform/utf.h"

namespace velnor {
namespace {

// The Unicode form of an encoding that has one; the ANSI code page has none.
std::optional<UnicodeForm> FormOf(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8: return UnicodeForm::Utf8;
        case TextEncoding::Utf16Le: return UnicodeForm::Utf16Le;
        case TextEncoding::Utf16Be: return UnicodeForm::Utf16Be;
        default: return std::nullopt;
    }
}

TextEncoding EncodingOf(UnicodeForm form) {
    switch (form) {
        case UnicodeForm::Utf16Le: return TextEncoding::Utf16Le;
        case UnicodeForm::Utf16Be: return TextEncoding::Utf16Be;
        default: return TextEncoding::Utf8;
    }
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes, size_t* markLength) {
    const std::optional<UnicodeForm> form = FormByMark(bytes);
    if (markLength) *markLength = form ? ByteOrderMark(*form).size() : 0;
    return form ? EncodingOf(*form) : TextEncoding::Ansi;
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
        lines = SplitLines(UnicodeToWide(bytes.substr(mark), *FormOf(e)));
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
    std::optional<UnicodeForm> form = FormOf(encoding_);
    if (!form) {
        if (auto ansi = WideToAnsi(text)) return *ansi;
        // Some line has no exact form in the ANSI code page: UTF-8 with its
        // mark keeps every character and reads back the same.
        form = UnicodeForm::Utf8;
    }
    return WithByteOrderMark(text, *form);
}

void LineBuffer::SaveToFile(const std::wstring& path) const {
    WriteFileAtomic(path, ToBytes());
}

}  // namespace velnor
