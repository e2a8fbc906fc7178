#include <windows.h>

#include "platform/locale_settings.h"

namespace velnor {
namespace {

// Keeps the fallback when the call fails, and for an empty text unless the
// item may legitimately be empty (some locales have no AM/PM designators).
void Read(LCTYPE type, std::wstring& field, bool mayBeEmpty = false) {
    wchar_t buffer[256] = {};
    const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 256);
    if (n > 1 || (n == 1 && mayBeEmpty)) field.assign(buffer, static_cast<size_t>(n - 1));
}

}  // namespace

FormatSettings ReadUserFormatSettings() {
    FormatSettings s = UsEnglishFormatSettings();
    Read(LOCALE_SDECIMAL, s.decimalSeparator);
    Read(LOCALE_SDATE, s.dateSeparator);
    Read(LOCALE_STIME, s.timeSeparator);
    Read(LOCALE_SSHORTDATE, s.shortDateFormat);
    Read(LOCALE_STIMEFORMAT, s.longTimeFormat);
    Read(LOCALE_S1159, s.timeAMString, true);
    Read(LOCALE_S2359, s.timePMString, true);
    for (int m = 0; m < 12; ++m) {
        Read(LOCALE_SABBREVMONTHNAME1 + m, s.shortMonthNames[m]);
        Read(LOCALE_SMONTHNAME1 + m, s.longMonthNames[m]);
    }
    // Windows counts the days from Monday.
    for (int d = 0; d < 7; ++d) {
        Read(LOCALE_SABBREVDAYNAME1 + d, s.shortDayNames[(d + 1) % 7]);
        Read(LOCALE_SDAYNAME1 + d, s.longDayNames[(d + 1) % 7]);
    }
    return s;
}

}  // namespace velnor
