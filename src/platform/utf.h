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

// ASCII letters compared without regard to case, everything else exactly.
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// UTF-16 from raw bytes; a trailing odd byte becomes U+FFFD.
std::wstring Utf16LeToWide(std::string_view bytes);
std::wstring Utf16BeToWide(std::string_view bytes);
std::string WideToUtf16Le(std::wstring_view text);
std::string WideToUtf16Be(std::wstring_view text);

}  // namespace velnor
