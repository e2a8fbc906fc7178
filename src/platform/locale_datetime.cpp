#include "platform/locale_datetime.h"

#include <cmath>
#include <cstdint>

#include "platform/utf.h"

namespace velnor {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// 30 December 1899 counted from 1 January 1970.
constexpr std::int64_t kOleEpoch = -25'569;

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

const double kMinOle = static_cast<double>(DaysFromCivil(kMinOleYear, 1, 1) - kOleEpoch);
const double kMaxOleEnd = static_cast<double>(DaysFromCivil(kMaxOleYear, 12, 31) - kOleEpoch + 1);

std::wstring Padded(int value, int width) {
    std::wstring s = IntegerToText(value);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), L'0');
    return s;
}

wchar_t Fold(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool StartsWithNoCase(std::wstring_view text, size_t pos, std::wstring_view word) {
    if (word.empty() || text.size() - pos < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (Fold(text[pos + i]) != Fold(word[i])) return false;
    return true;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsPictureLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// The order in which the short date format names year, month and day.
struct FieldOrder {
    char first[3] = {'M', 'd', 'y'};
};

FieldOrder OrderOf(std::wstring_view picture) {
    FieldOrder order;
    int n = 0;
    bool quoted = false;
    for (wchar_t c : picture) {
        if (c == L'\'') quoted = !quoted;
        if (quoted || n == 3) continue;
        const char f = c == L'y' ? 'y' : c == L'M' ? 'M' : c == L'd' ? 'd' : 0;
        if (!f) continue;
        bool seen = false;
        for (int i = 0; i < n; ++i) seen = seen || order.first[i] == f;
        if (!seen) order.first[n++] = f;
    }
    if (n < 3) order = FieldOrder{};
    return order;
}

class DateScanner {
public:
    DateScanner(std::wstring_view text, const FormatSettings& settings, DateParseMode mode)
        : text_(text), settings_(settings), mode_(mode) {}

    DateParseResult Run() {
        SkipSpaces();
        const size_t start = pos_;
        Date date;
        const bool haveDate = ScanDate(date);
        if (!haveDate) pos_ = start;
        SkipSpaces();
        Time time;
        bool haveTime = false;
        if (pos_ < text_.size()) {
            if (mode_ == DateParseMode::DateOnly || !ScanTime(time)) return {};
            haveTime = true;
            SkipSpaces();
        }
        if (pos_ != text_.size() || (!haveDate && !haveTime)) return {};
        if (haveTime && !time.Valid()) return {};
        int y = 1899, m = 12, d = 30;
        if (haveDate) {
            if (!date.Resolve(OrderOf(settings_.shortDateFormat), y, m, d)) return {};
            if (y < kMinOleYear || y > kMaxOleYear) return {DateParseStatus::OutOfRange, 0};
            if (d > DaysInMonth(y, m)) return {};
        }
        return {DateParseStatus::Ok, EncodeOleDate(y, m, d, time.hour, time.minute, time.second, time.ms)};
    }

private:
    struct Date {
        long long number[3] = {};
        int digits[3] = {};
        int monthNameField = -1;
        int count = 0;

        bool Resolve(FieldOrder order, int& y, int& m, int& d) const {
            if (count != 3) return false;
            long long year = -1, month = -1, day = -1;
            int next = 0;
            for (char f : order.first) {
                if (monthNameField >= 0 && f == 'M') continue;
                if (next == monthNameField) ++next;
                const long long v = number[next];
                const int width = digits[next];
                ++next;
                if (f == 'y') {
                    year = width <= 2 ? (v <= 49 ? 2000 + v : 1900 + v) : v;
                } else if (f == 'M') {
                    month = v;
                } else {
                    day = v;
                }
            }
            if (monthNameField >= 0) month = number[monthNameField];
            if (month < 1 || month > 12 || day < 1 || day > 31 || year < 0 || year > 999'999) return false;
            y = static_cast<int>(year);
            m = static_cast<int>(month);
            d = static_cast<int>(day);
            return true;
        }
    };

    struct Time {
        int hour = 0, minute = 0, second = 0, ms = 0;
        int designator = 0;  // 0 none, 1 AM, 2 PM
        bool Valid() {
            if (designator) {
                if (hour > 12) return false;
                if (designator == 1 && hour == 12) hour = 0;
                if (designator == 2 && hour < 12) hour += 12;
            }
            return hour < 24 && minute < 60 && second < 60;
        }
    };

    void SkipSpaces() {
        while (pos_ < text_.size() && text_[pos_] == L' ') ++pos_;
    }

    bool ReadNumber(long long& value, int& digits, int maxDigits) {
        digits = 0;
        value = 0;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) {
            if (++digits > maxDigits) return false;
            value = value * 10 + (text_[pos_] - L'0');
            ++pos_;
        }
        return digits > 0;
    }

    bool ReadMonthName(long long& month) {
        for (const auto* names : {&settings_.longMonthNames, &settings_.shortMonthNames}) {
            for (int i = 0; i < 12; ++i) {
                const std::wstring& name = (*names)[i];
                if (!name.empty() && !IsDigit(name[0]) && StartsWithNoCase(text_, pos_, name)) {
                    pos_ += name.size();
                    month = i + 1;
                    return true;
                }
            }
        }
        return false;
    }

    // The date separator, "/" (which the format uses for it), the literal
    // characters of the short date format, and in the lenient mode "-" and ".".
    bool IsDateSeparatorAt(size_t pos) const {
        if (StartsWithNoCase(text_, pos, settings_.dateSeparator)) return true;
        const wchar_t c = text_[pos];
        if (c == L'/') return true;
        if (mode_ == DateParseMode::DateTime && (c == L'-' || c == L'.')) return true;
        if (IsDigit(c) || IsPictureLetter(c) || c == L' ' || c == L'\'') return false;
        return settings_.shortDateFormat.find(c) != std::wstring::npos;
    }

    bool SkipDateSeparator() {
        const size_t start = pos_;
        bool any = false;
        // A space separates fields only where the format itself has one.
        const bool spaceSeparates = settings_.shortDateFormat.find(L' ') != std::wstring::npos;
        while (pos_ < text_.size()) {
            if (text_[pos_] == L' ') {
                any = any || spaceSeparates;
                ++pos_;
            } else if (IsDateSeparatorAt(pos_)) {
                pos_ += StartsWithNoCase(text_, pos_, settings_.dateSeparator) ? settings_.dateSeparator.size() : 1;
                any = true;
            } else {
                break;
            }
        }
        if (!any) pos_ = start;
        return any;
    }

    bool ScanDate(Date& date) {
        while (date.count < 3) {
            long long v = 0;
            int digits = 0;
            if (pos_ < text_.size() && IsDigit(text_[pos_])) {
                if (!ReadNumber(v, digits, 9)) return false;
            } else if (date.monthNameField < 0 && ReadMonthName(v)) {
                date.monthNameField = date.count;
                digits = 2;
            } else {
                return false;
            }
            date.number[date.count] = v;
            date.digits[date.count] = digits;
            ++date.count;
            if (date.count == 3) {
                // A closing literal such as the "日" of "yyyy年M月d日".
                SkipTrailingLiteral();
                break;
            }
            if (!SkipDateSeparator()) return false;
        }
        return true;
    }

    void SkipTrailingLiteral() {
        while (pos_ < text_.size() && IsDateSeparatorAt(pos_) && !StartsWithNoCase(text_, pos_, settings_.dateSeparator) &&
               text_[pos_] != L'/' && text_[pos_] != L'-' && text_[pos_] != L'.')
            ++pos_;
    }

    int ReadDesignator() {
        for (int which = 1; which <= 2; ++which) {
            const std::wstring& local = which == 1 ? settings_.timeAMString : settings_.timePMString;
            const wchar_t* plain = which == 1 ? L"AM" : L"PM";
            for (std::wstring_view word : {std::wstring_view(local), std::wstring_view(plain)}) {
                if (StartsWithNoCase(text_, pos_, word)) {
                    pos_ += word.size();
                    return which;
                }
            }
        }
        return 0;
    }

    bool SkipTimeSeparator() {
        if (StartsWithNoCase(text_, pos_, settings_.timeSeparator)) {
            pos_ += settings_.timeSeparator.size();
            return true;
        }
        if (pos_ < text_.size() && text_[pos_] == L':') {
            ++pos_;
            return true;
        }
        return false;
    }

    bool ScanTime(Time& time) {
        time.designator = ReadDesignator();
        SkipSpaces();
        long long v = 0;
        int digits = 0;
        if (!ReadNumber(v, digits, 2)) return false;
        time.hour = static_cast<int>(v);
        if (!SkipTimeSeparator() || !ReadNumber(v, digits, 2)) return false;
        time.minute = static_cast<int>(v);
        if (SkipTimeSeparator()) {
            if (!ReadNumber(v, digits, 2)) return false;
            time.second = static_cast<int>(v);
            const bool point = pos_ < text_.size() && text_[pos_] == L'.';
            if (point || StartsWithNoCase(text_, pos_, settings_.decimalSeparator)) {
                pos_ += point ? 1 : settings_.decimalSeparator.size();
                if (!ReadNumber(v, digits, 3)) return false;
                time.ms = static_cast<int>(digits == 1 ? v * 100 : digits == 2 ? v * 10 : v);
            }
        }
        if (!time.designator) {
            SkipSpaces();
            time.designator = ReadDesignator();
        }
        return true;
    }

    std::wstring_view text_;
    const FormatSettings& settings_;
    DateParseMode mode_;
    size_t pos_ = 0;
};

}  // namespace

std::optional<DateTimeParts> DecodeOleDate(double value) {
    if (!std::isfinite(value) || value < kMinOle - 1 || value >= kMaxOleEnd) return std::nullopt;
    double whole = std::trunc(value);
    auto days = static_cast<std::int64_t>(whole);
    auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++days;
    }
    DateTimeParts p;
    CivilFromDays(days + kOleEpoch, p.year, p.month, p.day);
    if (p.year < kMinOleYear || p.year > kMaxOleYear) return std::nullopt;
    p.hour = static_cast<int>(ms / 3'600'000);
    p.minute = static_cast<int>(ms / 60'000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.millisecond = static_cast<int>(ms % 1000);
    p.dayOfWeek = static_cast<int>(((days % 7) + 7 + 6) % 7);
    return p;
}

double EncodeOleDate(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    const auto days = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpoch);
    const double time =
        static_cast<double>(((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond) /
        static_cast<double>(kMsPerDay);
    return days >= 0 ? days + time : days - time;
}

std::wstring FormatDatePicture(std::wstring_view picture, const DateTimeParts& p, const FormatSettings& s) {
    std::wstring out;
    size_t i = 0;
    while (i < picture.size()) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            // Quoted literal; two quotes inside stand for one.
            ++i;
            while (i < picture.size()) {
                if (picture[i] == L'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
                        out += L'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += picture[i++];
            }
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) ++run;
        const int n = static_cast<int>(run);
        const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        const std::wstring& designator = p.hour < 12 ? s.timeAMString : s.timePMString;
        switch (c) {
            case L'd':
                out += n == 1 ? IntegerToText(p.day)
                     : n == 2 ? Padded(p.day, 2)
                     : n == 3 ? s.shortDayNames[static_cast<size_t>(p.dayOfWeek)]
                              : s.longDayNames[static_cast<size_t>(p.dayOfWeek)];
                break;
            case L'M':
                out += n == 1 ? IntegerToText(p.month)
                     : n == 2 ? Padded(p.month, 2)
                     : n == 3 ? s.shortMonthNames[static_cast<size_t>(p.month - 1)]
                              : s.longMonthNames[static_cast<size_t>(p.month - 1)];
                break;
            case L'y':
                out += n == 1 ? IntegerToText(p.year % 100) : n == 2 ? Padded(p.year % 100, 2) : Padded(p.year, 4);
                break;
            case L'g':
                break;  // era names apply to other calendars only
            case L'h': out += n == 1 ? IntegerToText(hour12) : Padded(hour12, 2); break;
            case L'H': out += n == 1 ? IntegerToText(p.hour) : Padded(p.hour, 2); break;
            case L'm': out += n == 1 ? IntegerToText(p.minute) : Padded(p.minute, 2); break;
            case L's': out += n == 1 ? IntegerToText(p.second) : Padded(p.second, 2); break;
            case L'z': out += n == 1 ? IntegerToText(p.millisecond) : Padded(p.millisecond, 3); break;
            case L't': out += n == 1 ? designator.substr(0, 1) : designator; break;
            case L'/': for (int k = 0; k < n; ++k) out += s.dateSeparator; break;
            case L':': for (int k = 0; k < n; ++k) out += s.timeSeparator; break;
            default: out.append(run, c); break;
        }
        i += run;
    }
    return out;
}

DateParseResult ParseLocaleDate(std::wstring_view text, const FormatSettings& settings, DateParseMode mode) {
    return DateScanner(text, settings, mode).Run();
}

}  // namespace velnor
