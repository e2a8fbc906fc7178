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
    for (; i + 1 < bytes.size(); i += 2) out.push_back(static_cast<wchar_t>(Utf16UnitAt(bytes, i, bigEndian)));
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

size_t Utf8SequenceAt(std::string_view bytes, size_t i, char32_t* codePoint) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
        *codePoint = b0;
        return 1;
    }
    size_t len = 0;
    char32_t cp = 0, min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; cp = b0 & 0x1F; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; cp = b0 & 0x0F; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; cp = b0 & 0x07; min = 0x10000; }
    else return 0;
    if (i + len > bytes.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    *codePoint = cp;
    return len;
}

char32_t NextUtf16CodePoint(std::wstring_view text, size_t& i) {
    const char32_t c = static_cast<std::uint16_t>(text[i++]);
    if (IsHighSurrogate(c) && i < text.size()) {
        const char32_t low = static_cast<std::uint16_t>(text[i]);
        if (IsLowSurrogate(low)) {
            ++i;
            return JoinSurrogates(c, low);
        }
    }
    return c;
}

std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const size_t len = Utf8SequenceAt(bytes, i, &cp);
        if (len == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += len;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size();) {
        char32_t cp = NextUtf16CodePoint(text, i);
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = kReplacement;
        AppendUtf8(out, cp);
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

}  // namespace velnor
