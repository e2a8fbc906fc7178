// Date-time values as OLE Automation dates (days since 30 December 1899, the
// fraction being the time of day) and their texts in the locale's short date
// and long time formats.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/locale_settings.h"

namespace velnor {

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 6;  // 0 is Sunday
};

// The range that OLE Automation dates cover: 1 January 100 to the last
// millisecond of 31 December 9999.
inline constexpr int kMinOleYear = 100;
inline constexpr int kMaxOleYear = 9999;

// Nothing when the value is not finite or lies outside the OLE range. The time
// is rounded to the millisecond, carrying into the next day.
std::optional<DateTimeParts> DecodeOleDate(double value);
// The fields must be valid; negative dates keep the time as a positive
// fraction, as OLE Automation does.
double EncodeOleDate(int year, int month, int day, int hour, int minute, int second, int millisecond);

// Formats with a Windows picture string ("yyyy/MM/dd", "h:mm:ss tt").
std::wstring FormatDatePicture(std::wstring_view picture, const DateTimeParts& parts, const FormatSettings& settings);

enum class DateParseStatus { Ok, NoMatch, OutOfRange };

struct DateParseResult {
    DateParseStatus status = DateParseStatus::NoMatch;
    double value = 0;
};

enum class DateParseMode {
    // A date alone, in the order of the short date format and with its
    // separators only.
    DateOnly,
    // A date, a date and a time, or a time alone; besides the locale's
    // separators "/", "-" and "." separate the date fields.
    DateTime,
};

DateParseResult ParseLocaleDate(std::wstring_view text, const FormatSettings& settings, DateParseMode mode);

}  // namespace velnor
