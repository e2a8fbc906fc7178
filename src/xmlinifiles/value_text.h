// The text forms of stored values that do not involve dates: integers,
// Booleans, floating-point numbers, currency amounts, escaped strings and
// byte lists. Readers raise the store's conversion errors with their exact
// Japanese messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale_settings.h"
#include "platform/utf.h"

namespace velnor {

// Currency: ten-thousandths, four fixed decimals.
using Currency = std::int64_t;

// Optional leading spaces and sign, then decimal digits or hexadecimal digits
// after "$", "x", "X", "0x" or "0X"; nothing may follow. Hexadecimal gives
// the bit pattern of the given width (FFFFFFFF is -1 for 32 bits).
std::optional<std::int64_t> ParseIntegerText(std::wstring_view text, int bits);
std::int32_t TextToInteger(std::wstring_view text);
std::int64_t TextToInt64(std::wstring_view text);

// "-1" for true, "0" for false.
std::wstring BoolToText(bool value);
// A number (as floating-point text) is true when not zero; else "True" or
// "False" in any case.
std::optional<bool> ParseBoolText(std::wstring_view text, const FormatSettings& settings);
bool TextToBool(std::wstring_view text, const FormatSettings& settings);

// Fifteen significant digits, fixed notation for magnitudes from 0.0001 to
// fifteen integer digits and scientific otherwise; "NAN", "INF", "-INF".
std::wstring FloatToText(double value, const FormatSettings& settings);
std::optional<double> ParseFloatText(std::wstring_view text, const FormatSettings& settings);
double TextToFloat(std::wstring_view text, const FormatSettings& settings);

// Fixed notation, up to four decimals without trailing zeros.
std::wstring CurrencyToText(Currency value, const FormatSettings& settings);
// Rounded to four decimals, an exact half to even.
std::optional<Currency> ParseCurrencyText(std::wstring_view text, const FormatSettings& settings);
Currency TextToCurrency(std::wstring_view text, const FormatSettings& settings);

// "&", ">", "<" and the double quote as entities, in that order.
std::wstring EscapeText(std::wstring_view text);
// The reverse, matching the entities in any case; "&amp;" goes last.
std::wstring UnescapeText(std::wstring_view text);

// Two upper-case hexadecimal digits per byte, separated by ",", sixteen to a
// line, lines ending in CR LF.
std::wstring BytesToText(const std::vector<std::uint8_t>& bytes);
// Raises the integer conversion error for an item that is no hexadecimal
// number; the buffer then holds the bytes converted before it.
void TextToBytes(std::wstring_view text, std::vector<std::uint8_t>& buffer);

}  // namespace velnor
