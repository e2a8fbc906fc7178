#include "platform/utf.h"

#include <cstdint>

namespace velnor {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<wchar_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    }
}

std::wstring Utf16ToWide(std::string_view bytes, bool bigEndian) {
    std::wstring out;
    out.reserve(bytes.size() / 2 + 1);
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    if (i < bytes.size()) out.push_back(kReplacement);
    return out;
}

std::string WideToUtf16(std::wstring_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    for (wchar_t c : text) {
        const auto u = static_cast<std::uint16_t>(c);
        const char hi = static_cast<char>(u >> 8);
        const char lo = static_cast<char>(u & 0xFF);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    }
    return out;
}

}  // namespace

DecodedChar DecodeUtf8At(std::string_view bytes, size_t at) {
    const auto b0 = static_cast<unsigned char>(bytes[at]);
    if (b0 < 0x80) return {b0, 1};
    size_t length = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) { length = 2; cp = b0 & 0x1F; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { length = 3; cp = b0 & 0x0F; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { length = 4; cp = b0 & 0x07; min = 0x10000; }
    else return {};
    if (at + length > bytes.size()) return {};
    for (size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(bytes[at + k]);
        if ((b & 0xC0) != 0x80) return {};
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || IsSurrogate(cp)) return {};
    return {cp, length};
}

DecodedChar DecodeUtf16At(std::wstring_view text, size_t at) {
    const auto unit = static_cast<char32_t>(static_cast<std::uint16_t>(text[at]));
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size()) {
        const auto low = static_cast<char32_t>(static_cast<std::uint16_t>(text[at + 1]));
        if (low >= 0xDC00 && low <= 0xDFFF) return {0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), 2};
    }
    return {unit, 1};
}

std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const DecodedChar c = DecodeUtf8At(bytes, i);
        if (c.length == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendCodePoint(out, c.codePoint);
        i += c.length;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size();) {
        const DecodedChar c = DecodeUtf16At(text, i);
        AppendUtf8(out, IsSurrogate(c.codePoint) ? kReplacement : c.codePoint);
        i += c.length;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::wstring IntegerToText(std::int64_t value) {
    // The magnitude as unsigned, so that the smallest value has one too.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    wchar_t digits[20];
    size_t n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::wstring out = value < 0 ? L"-" : L"";
    while (n > 0) out += digits[--n];
    return out;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

std::wstring Utf16LeToWide(std::string_view bytes) { return Utf16ToWide(bytes, false); }
std::wstring Utf16BeToWide(std::string_view bytes) { return Utf16ToWide(bytes, true); }
std::string WideToUtf16Le(std::wstring_view text) { return WideToUtf16(text, false); }
std::string WideToUtf16Be(std::wstring_view text) { return WideToUtf16(text, true); }

std::string_view ByteOrderMark(UnicodeForm form) {
    switch (form) {
        case UnicodeForm::Utf8: return "\xEF\xBB\xBF";
        case UnicodeForm::Utf16Le: return "\xFF\xFE";
        case UnicodeForm::Utf16Be: return "\xFE\xFF";
    }
    return {};
}

std::optional<UnicodeForm> FormByMark(std::string_view bytes) {
    for (UnicodeForm form : {UnicodeForm::Utf8, UnicodeForm::Utf16Le, UnicodeForm::Utf16Be})
        if (bytes.substr(0, ByteOrderMark(form).size()) == ByteOrderMark(form)) return form;
    return std::nullopt;
}

std::wstring UnicodeToWide(std::string_view bytes, UnicodeForm form) {
    if (form == UnicodeForm::Utf8) return Utf8ToWide(bytes);
    return Utf16ToWide(bytes, form == UnicodeForm::Utf16Be);
}

std::string WideToUnicode(std::wstring_view text, UnicodeForm form) {
    if (form == UnicodeForm::Utf8) return WideToUtf8(text);
    return WideToUtf16(text, form == UnicodeForm::Utf16Be);
}

std::string WithByteOrderMark(std::wstring_view text, UnicodeForm form) {
    return std::string(ByteOrderMark(form)) + WideToUnicode(text, form);
}

}  // namespace velnor
