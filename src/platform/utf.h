// UTF-8 and UTF-16 conversions that behave the same on every build.
//
// A std::wstring holds UTF-16 code units on every build, also where wchar_t is
// 32 bits wide: a character outside the BMP is a surrogate pair there too, so
// lengths and indexes agree with Windows.
#pragma once

#include <string>
#include <string_view>

namespace velnor {

// Invalid or truncated sequences become U+FFFD, one per offending byte.
std::wstring Utf8ToWide(std::string_view bytes);
// Lone surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);
// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// The one home of the UTF primitives that the store's readers share.
constexpr bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
constexpr char32_t JoinSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// The length of the valid UTF-8 sequence at `i` (overlong forms, surrogates,
// code points beyond U+10FFFF and cut sequences are not valid), with its code
// point; 0 where the bytes there are not valid UTF-8.
size_t Utf8SequenceAt(std::string_view bytes, size_t i, char32_t* codePoint);
// The UTF-16 code unit in the two bytes at `i`.
constexpr char32_t Utf16UnitAt(std::string_view bytes, size_t i, bool bigEndian) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? static_cast<char32_t>(a << 8 | b) : static_cast<char32_t>(b << 8 | a);
}
// The code point at `i` of UTF-16 text, a surrogate pair joined, and `i`
// moved past it; a lone surrogate comes back as it is.
char32_t NextUtf16CodePoint(std::wstring_view text, size_t& i);

// ASCII letters compared without regard to case, everything else exactly.
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// UTF-16 from raw bytes; a trailing odd byte becomes U+FFFD.
std::wstring Utf16LeToWide(std::string_view bytes);
std::wstring Utf16BeToWide(std::string_view bytes);
std::string WideToUtf16Le(std::wstring_view text);
std::string WideToUtf16Be(std::wstring_view text);

}  // namespace velnor
