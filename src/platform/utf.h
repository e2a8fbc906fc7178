// UTF-8 and UTF-16 conversions that behave the same on every build.
//
// A std::wstring holds UTF-16 code units on every build, also where wchar_t is
// 32 bits wide: a character outside the BMP is a surrogate pair there too, so
// lengths and indexes agree with Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velnor {

// Invalid or truncated sequences become U+FFFD, one per offending byte.
std::wstring Utf8ToWide(std::string_view bytes);
// Lone surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);
// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// One character at a position: its code point and how many units (bytes of
// UTF-8, code units of UTF-16) it takes. The one decoder of each form that
// every other conversion and check builds on.
struct DecodedChar {
    char32_t codePoint = 0;
    size_t length = 0;  // 0: no valid sequence starts here
};

// The UTF-8 sequence at `at` (which must be inside the bytes). Overlong
// forms, surrogates, values beyond U+10FFFF and truncated sequences are not
// valid.
DecodedChar DecodeUtf8At(std::string_view bytes, size_t at);

// The UTF-16 character at `at`: a surrogate pair joined into one code point;
// a lone surrogate comes back as itself with length 1, for the caller to
// judge.
DecodedChar DecodeUtf16At(std::wstring_view text, size_t at);

inline bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Decimal digits, "-" before negatives. Not std::to_wstring: that goes
// through the C library's wide printf, which the executable otherwise does
// without.
std::wstring IntegerToText(std::int64_t value);

// ASCII letters compared without regard to case, everything else exactly.
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// UTF-16 from raw bytes; a trailing odd byte becomes U+FFFD.
std::wstring Utf16LeToWide(std::string_view bytes);
std::wstring Utf16BeToWide(std::string_view bytes);
std::string WideToUtf16Le(std::wstring_view text);
std::string WideToUtf16Be(std::wstring_view text);

// The Unicode forms a text file can name by a byte-order mark. Every reader
// and writer of text files (the line buffer, the settings store) knows the
// marks from here.
enum class UnicodeForm { Utf8, Utf16Le, Utf16Be };

// The mark that opens a file in the form.
std::string_view ByteOrderMark(UnicodeForm form);

// The form whose mark opens the bytes; nothing when none does.
std::optional<UnicodeForm> FormByMark(std::string_view bytes);

// Text in a form, without its mark, and back; as the conversions above.
std::wstring UnicodeToWide(std::string_view bytes, UnicodeForm form);
std::string WideToUnicode(std::wstring_view text, UnicodeForm form);

// The text in the form, behind its mark.
std::string WithByteOrderMark(std::wstring_view text, UnicodeForm form);

}  // namespace velnor
