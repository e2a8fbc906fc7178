#include "xmlinifiles/value_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/errors.h"
#include "platform/utf.h"

namespace velnor {
namespace {


bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

EConvertError NotAnInteger(std::wstring_view text) {
    return EConvertError(L"'" + std::wstring(text) + L"' は整数ではありません");
}

EConvertError NotAFloat(std::wstring_view text) {
    return EConvertError(L"'" + std::wstring(text) + L"' は浮動小数点数ではありません");
}

// A decimal number as the floating-point and currency readers accept it:
// spaces, sign, digits, the locale's decimal separator, fraction digits, an
// exponent, spaces, and at least one digit in all.
struct DecimalText {
    bool negative = false;
    std::string intDigits;
    std::string fracDigits;
    long exponent = 0;  // saturates far beyond any double
};

std::optional<DecimalText> ScanDecimal(std::wstring_view s, std::wstring_view point) {
    DecimalText d;
    size_t i = 0;
    while (i < s.size() && s[i] == L' ') ++i;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) d.negative = s[i++] == L'-';
    while (i < s.size() && IsDigit(s[i])) d.intDigits.push_back(static_cast<char>(s[i++]));
    if (!point.empty() && s.substr(i, point.size()) == point) {
        i += point.size();
        while (i < s.size() && IsDigit(s[i])) d.fracDigits.push_back(static_cast<char>(s[i++]));
    }
    if (d.intDigits.empty() && d.fracDigits.empty()) return std::nullopt;
    if (i < s.size() && (s[i] == L'E' || s[i] == L'e')) {
        ++i;
        bool negativeExp = false;
        if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negativeExp = s[i++] == L'-';
        if (i >= s.size() || !IsDigit(s[i])) return std::nullopt;
        while (i < s.size() && IsDigit(s[i])) {
            if (d.exponent < 1'000'000) d.exponent = d.exponent * 10 + (s[i] - L'0');
            ++i;
        }
        if (negativeExp) d.exponent = -d.exponent;
    }
    while (i < s.size() && s[i] == L' ') ++i;
    if (i != s.size()) return std::nullopt;
    return d;
}

// The decimal exponent of the leading non-zero digit; nothing for zero.
std::optional<long> Magnitude(const DecimalText& d) {
    const size_t lead = d.intDigits.find_first_not_of('0');
    if (lead != std::string::npos) return static_cast<long>(d.intDigits.size() - lead - 1) + d.exponent;
    const size_t frac = d.fracDigits.find_first_not_of('0');
    if (frac != std::string::npos) return -static_cast<long>(frac + 1) + d.exponent;
    return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> ParseIntegerText(std::wstring_view s, int bits) {
    size_t i = 0;
    while (i < s.size() && s[i] == L' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    bool hex = false;
    if (i + 1 < s.size() && s[i] == L'0' && (s[i + 1] == L'x' || s[i + 1] == L'X')) {
        hex = true;
        i += 2;
    } else if (i < s.size() && (s[i] == L'$' || s[i] == L'x' || s[i] == L'X')) {
        hex = true;
        ++i;
    }
    if (i >= s.size()) return std::nullopt;
    const std::uint64_t patternMax = bits == 32 ? 0xFFFF'FFFFull : std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t decimalMax = (bits == 32 ? 0x7FFF'FFFFull : 0x7FFF'FFFF'FFFF'FFFFull) + (negative ? 1 : 0);
    std::uint64_t value = 0;
    for (; i < s.size(); ++i) {
        const int digit = hex ? HexValue(s[i]) : (IsDigit(s[i]) ? s[i] - L'0' : -1);
        if (digit < 0) return std::nullopt;
        const unsigned base = hex ? 16 : 10;
        const std::uint64_t limit = hex ? patternMax : decimalMax;
        if (value > (limit - static_cast<unsigned>(digit)) / base) return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
    }
    if (hex && bits == 32) value = static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value))));
    if (negative) value = 0 - value;
    return static_cast<std::int64_t>(value);
}

std::int32_t TextToInteger(std::wstring_view text) {
    const auto v = ParseIntegerText(text, 32);
    if (!v) throw NotAnInteger(text);
    return static_cast<std::int32_t>(*v);
}

std::int64_t TextToInt64(std::wstring_view text) {
    const auto v = ParseIntegerText(text, 64);
    if (!v) throw NotAnInteger(text);
    return *v;
}

std::wstring BoolToText(bool value) { return value ? L"-1" : L"0"; }

std::optional<bool> ParseBoolText(std::wstring_view text, const FormatSettings& settings) {
    if (const auto number = ParseFloatText(text, settings)) return *number != 0;
    if (EqualsIgnoringAsciiCase(text, L"true")) return true;
    if (EqualsIgnoringAsciiCase(text, L"false")) return false;
    return std::nullopt;
}

bool TextToBool(std::wstring_view text, const FormatSettings& settings) {
    const auto v = ParseBoolText(text, settings);
    if (!v) throw EConvertError(L"'" + std::wstring(text) + L"' は正しい論理型ではありません");
    return *v;
}

std::wstring FloatToText(double value, const FormatSettings& settings) {
    if (std::isnan(value)) return L"NAN";
    if (std::isinf(value)) return value > 0 ? L"INF" : L"-INF";
    if (value == 0) return L"0";
    // A double has at most 767 significant digits, so 801 are its exact
    // value and only the sixteenth digit decides. MinGW's own printf prints
    // them exactly; the msvcrt.dll one it stands in for would round to 17
    // digits first. glibc's and the universal CRT's are exact too.
    char buffer[1024];
#ifdef __MINGW32__
    const int length = __mingw_snprintf(buffer, sizeof buffer, "%.800e", std::fabs(value));
#else
    const int length = std::snprintf(buffer, sizeof buffer, "%.800e", std::fabs(value));
#endif
    const std::string_view text(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    const size_t e = text.find('e');
    // The digits around the locale's radix character, whatever it is.
    std::string exact;
    for (char c : text.substr(0, e))
        if (c >= '0' && c <= '9') exact.push_back(c);
    std::string digits = exact.substr(0, 15);
    int exponent = std::atoi(text.data() + e + 1);
    if (exact[15] >= '5') {
        int k = 14;
        while (k >= 0 && digits[static_cast<size_t>(k)] == '9') digits[static_cast<size_t>(k--)] = '0';
        if (k >= 0) {
            ++digits[static_cast<size_t>(k)];
        } else {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    const int count = static_cast<int>(digits.size());
    const int before = exponent + 1;  // digits before the decimal point
    std::wstring out = value < 0 ? L"-" : L"";
    const std::wstring all(digits.begin(), digits.end());
    if (before >= -3 && before <= 15) {
        if (before <= 0) {
            out += L"0" + settings.decimalSeparator + std::wstring(static_cast<size_t>(-before), L'0') + all;
        } else if (count <= before) {
            out += all + std::wstring(static_cast<size_t>(before - count), L'0');
        } else {
            out += all.substr(0, static_cast<size_t>(before)) + settings.decimalSeparator + all.substr(static_cast<size_t>(before));
        }
    } else {
        out += all.substr(0, 1);
        if (count > 1) out += settings.decimalSeparator + all.substr(1);
        out += L"E" + IntegerToText(before - 1);
    }
    return out;
}

std::optional<double> ParseFloatText(std::wstring_view text, const FormatSettings& settings) {
    const auto d = ScanDecimal(text, settings.decimalSeparator);
    if (!d) {
        for (auto [word, value] : {std::pair{L"NAN", std::numeric_limits<double>::quiet_NaN()},
                                   std::pair{L"INF", std::numeric_limits<double>::infinity()},
                                   std::pair{L"+INF", std::numeric_limits<double>::infinity()},
                                   std::pair{L"-INF", -std::numeric_limits<double>::infinity()}})
            if (EqualsIgnoringAsciiCase(text, word)) return value;
        return std::nullopt;
    }
    const auto magnitude = Magnitude(*d);
    if (!magnitude) return d->negative ? -0.0 : 0.0;
    if (*magnitude > 400) return std::nullopt;
    if (*magnitude < -400) return d->negative ? -0.0 : 0.0;
    // All digits and a shifted exponent, so that no radix character (the C
    // library's is the locale's) comes into it. The reading is correctly
    // rounded; MinGW's own, as its printf, rather than msvcrt.dll's.
    const long exponent = d->exponent - static_cast<long>(d->fracDigits.size());
    const std::string c = d->intDigits + d->fracDigits + "e" + std::to_string(exponent);
#ifdef __MINGW32__
    const double value = __mingw_strtod(c.c_str(), nullptr);
#else
    const double value = std::strtod(c.c_str(), nullptr);
#endif
    // Beyond the largest double; below the smallest it is zero.
    if (std::isinf(value)) return std::nullopt;
    return d->negative ? -value : value;
}

double TextToFloat(std::wstring_view text, const FormatSettings& settings) {
    const auto v = ParseFloatText(text, settings);
    if (!v) throw NotAFloat(text);
    return *v;
}

std::wstring CurrencyToText(Currency value, const FormatSettings& settings) {
    const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::wstring out = value < 0 ? L"-" : L"";
    out += IntegerToText(magnitude / 10000);
    if (const std::uint64_t fraction = magnitude % 10000) {
        std::wstring f = IntegerToText(fraction);
        f.insert(0, 4 - f.size(), L'0');
        f.erase(f.find_last_not_of(L'0') + 1);
        out += settings.decimalSeparator + f;
    }
    return out;
}

std::optional<Currency> ParseCurrencyText(std::wstring_view text, const FormatSettings& settings) {
    const auto d = ScanDecimal(text, settings.decimalSeparator);
    if (!d) return std::nullopt;
    std::string digits = d->intDigits + d->fracDigits;
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.empty()) return 0;
    // The amount in ten-thousandths is digits x 10^scale.
    const long scale = d->exponent - static_cast<long>(d->fracDigits.size()) + 4;
    constexpr size_t kMaxDigits = 19;
    std::string whole;
    bool roundUp = false;
    if (scale >= 0) {
        if (digits.size() + static_cast<size_t>(scale) > kMaxDigits) return std::nullopt;
        whole = digits + std::string(static_cast<size_t>(scale), '0');
    } else {
        const size_t cut = static_cast<size_t>(-scale);
        std::string rest;
        if (cut >= digits.size()) {
            rest = std::string(cut - digits.size(), '0') + digits;
        } else {
            whole = digits.substr(0, digits.size() - cut);
            rest = digits.substr(digits.size() - cut);
        }
        if (whole.size() > kMaxDigits) return std::nullopt;
        const bool moreThanHalf = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
        const bool half = rest[0] == '5' && !moreThanHalf;
        const bool odd = !whole.empty() && (whole.back() - '0') % 2 == 1;
        roundUp = moreThanHalf || (half && odd);
    }
    std::uint64_t value = whole.empty() ? 0 : std::stoull(whole);
    if (roundUp) ++value;
    const std::uint64_t limit = 0x7FFF'FFFF'FFFF'FFFFull + (d->negative ? 1 : 0);
    if (value > limit) return std::nullopt;
    return static_cast<Currency>(d->negative ? 0 - value : value);
}

Currency TextToCurrency(std::wstring_view text, const FormatSettings& settings) {
    const auto v = ParseCurrencyText(text, settings);
    if (!v) throw NotAFloat(text);
    return *v;
}

std::wstring EscapeText(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    // One pass gives the same result as the four replacements in turn, since
    // no replacement introduces a character that a later one replaces.
    for (wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'>': out += L"&gt;"; break;
            case L'<': out += L"&lt;"; break;
            case L'"': out += L"&quot;"; break;
            default: out += c; break;
        }
    }
    return out;
}

std::wstring UnescapeText(std::wstring_view text) {
    std::wstring s(text);
    const std::pair<std::wstring_view, wchar_t> steps[] = {
        {L"&gt;", L'>'}, {L"&lt;", L'<'}, {L"&quot;", L'"'}, {L"&amp;", L'&'}};
    for (const auto& [entity, replacement] : steps) {
        std::wstring out;
        out.reserve(s.size());
        size_t i = 0;
        while (i < s.size()) {
            if (s[i] == L'&' && EqualsIgnoringAsciiCase(std::wstring_view(s).substr(i, entity.size()), entity)) {
                out += replacement;
                i += entity.size();
            } else {
                out += s[i++];
            }
        }
        s = std::move(out);
    }
    return s;
}

std::wstring BytesToText(const std::vector<std::uint8_t>& bytes) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring out;
    out.reserve(bytes.size() * 3 + bytes.size() / 8);
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 15];
        if (i + 1 < bytes.size()) {
            out += L',';
            if (i % 16 == 15) out += L"\r\n";
        }
    }
    return out;
}

void TextToBytes(std::wstring_view text, std::vector<std::uint8_t>& buffer) {
    std::wstring s;
    s.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
            ++i;
            continue;
        }
        s += text[i];
    }
    std::erase(s, L' ');
    buffer.clear();
    if (s.empty()) return;
    size_t items = 1;
    for (wchar_t c : s) items += c == L',';
    buffer.assign(items, 0);
    size_t count = 0;
    size_t start = 0;
    for (;;) {
        const size_t comma = s.find(L',', start);
        std::wstring_view item = std::wstring_view(s).substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        while (!item.empty() && item.front() < 33) item.remove_prefix(1);
        while (!item.empty() && item.back() < 33) item.remove_suffix(1);
        if (!item.empty()) {
            const std::wstring prefixed = L"0x" + std::wstring(item);
            const auto v = ParseIntegerText(prefixed, 32);
            if (!v) throw NotAnInteger(prefixed);
            buffer[count++] = static_cast<std::uint8_t>(*v & 0xFF);
        }
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    buffer.resize(count);
}

}  // namespace velnor
