// Native stand-ins for the Windows conversions, following the same format
// settings as the store's own texts.
#include <cstdlib>

#include "platform/locale_convert.h"
#include "platform/locale_datetime.h"
#include "platform/locale_settings.h"
#include "platform/utf.h"

namespace velnor {
namespace {

int DigitValue(wchar_t c, int base) {
    int v = -1;
    if (c >= L'0' && c <= L'9') v = c - L'0';
    else if (c >= L'a' && c <= L'f') v = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') v = c - L'A' + 10;
    return v < base ? v : -1;
}

// The white space the platform's number parser skips: the ASCII controls
// TAB to CR, the space, the no-break space and the ideographic space.
bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0xA0 || c == 0x3000; }

}  // namespace

PlatformDate PlatformDateFromStr(const std::wstring& text) {
    const DateParseResult r = ParseLocaleDate(text, CurrentFormatSettings(), DateParseMode::DateTime);
    switch (r.status) {
        case DateParseStatus::Ok: return {ConvertStatus::Ok, r.value};
        case DateParseStatus::OutOfRange: return {ConvertStatus::Overflow, 0};
        case DateParseStatus::NoMatch: break;
    }
    return {ConvertStatus::TypeMismatch, 0};
}

// As loose as the Windows call: blanks around the number and after a sign,
// a sign before or after it or parentheses for a negative, "&H" and "&O"
// prefixes, thousands separators, and a fraction rounded half to even.
PlatformInt32 PlatformI4FromStr(const std::wstring& text) {
    std::wstring_view s(text);
    auto trim = [&s] {
        while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
        while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    };
    trim();
    if (s.empty()) return {};
    bool negative = false;
    if (s.size() > 2 && s.front() == L'(' && s.back() == L')') {
        negative = true;
        s = s.substr(1, s.size() - 2);
    } else if (s.front() == L'+' || s.front() == L'-') {
        negative = s.front() == L'-';
        s.remove_prefix(1);
    } else if (s.back() == L'+' || s.back() == L'-') {
        negative = s.back() == L'-';
        s.remove_suffix(1);
    }
    trim();
    if (s.empty()) return {};
    constexpr long long kLimit = 1LL << 33;
    long long value = 0;
    if (s.size() > 2 && s[0] == L'&' && (s[1] == L'H' || s[1] == L'h' || s[1] == L'O' || s[1] == L'o')) {
        const int base = s[1] == L'H' || s[1] == L'h' ? 16 : 8;
        for (wchar_t c : s.substr(2)) {
            const int d = DigitValue(c, base);
            if (d < 0) return {};
            value = value * base + d;
            if (value > 0xFFFFFFFFLL) return {ConvertStatus::Overflow, 0};
        }
        auto pattern = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        return {ConvertStatus::Ok, negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(pattern)) : pattern};
    }
    const std::wstring& point = CurrentFormatSettings().decimalSeparator;
    size_t i = 0;
    int digits = 0;
    for (; i < s.size(); ++i) {
        if (s[i] == L',' && digits > 0) continue;
        const int d = DigitValue(s[i], 10);
        if (d < 0) break;
        ++digits;
        if (value < kLimit) value = value * 10 + d;
    }
    if (i < s.size() && s.substr(i, point.size()) == point) {
        i += point.size();
        int first = -1;
        bool rest = false;
        for (; i < s.size(); ++i) {
            const int d = DigitValue(s[i], 10);
            if (d < 0) break;
            ++digits;
            if (first < 0) first = d;
            else rest = rest || d != 0;
        }
        if (first > 5 || (first == 5 && (rest || value % 2 == 1))) ++value;
    }
    if (i != s.size() || digits == 0) return {};
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return {ConvertStatus::Overflow, 0};
    return {ConvertStatus::Ok, static_cast<std::int32_t>(value)};
}

bool PlatformExpandEnvironmentStrings(const std::wstring& text, std::wstring& expanded) {
    expanded.clear();
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find(L'%', i);
        if (open == std::wstring::npos) break;
        const size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        expanded.append(text, i, open - i);
        const std::wstring name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(WideToUtf8(name).c_str());
        if (value) {
            expanded += Utf8ToWide(value);
            i = close + 1;
        } else {
            // The closing "%" may open the next reference.
            expanded += L'%';
            expanded += name;
            i = close;
        }
    }
    expanded.append(text, i, std::wstring::npos);
    return true;
}

}  // namespace velnor
