// Native stand-in: the locale named by the environment, mapped to the format
// settings that Windows uses by default for that language and region.
#include <cstdlib>
#include <string>

#include "platform/locale_settings.h"
#include "platform/utf.h"

namespace velnor {
namespace {

std::string LocaleName() {
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return value;
    }
    return {};
}

FormatSettings Japanese() {
    FormatSettings s = UsEnglishFormatSettings();
    s.shortDateFormat = L"yyyy/MM/dd";
    s.longTimeFormat = L"H:mm:ss";
    s.timeAMString = L"午前";
    s.timePMString = L"午後";
    for (int m = 0; m < 12; ++m) {
        s.shortMonthNames[m] = IntegerToText(m + 1) + L"月";
        s.longMonthNames[m] = s.shortMonthNames[m];
    }
    s.shortDayNames = {L"日", L"月", L"火", L"水", L"木", L"金", L"土"};
    s.longDayNames = {L"日曜日", L"月曜日", L"火曜日", L"水曜日", L"木曜日", L"金曜日", L"土曜日"};
    return s;
}

}  // namespace

FormatSettings ReadUserFormatSettings() {
    const std::string name = LocaleName();
    const std::string language = name.substr(0, name.find_first_of("_.@"));
    const std::string region = name.size() > 3 && name[2] == '_' ? name.substr(3, 2) : std::string();
    FormatSettings s = UsEnglishFormatSettings();
    if (language == "ja") return Japanese();
    if (language == "en" && region != "US" && !region.empty()) {
        s.shortDateFormat = L"dd/MM/yyyy";
        s.longTimeFormat = L"HH:mm:ss";
    } else if (language == "de") {
        s.decimalSeparator = L",";
        s.dateSeparator = L".";
        s.shortDateFormat = L"dd.MM.yyyy";
        s.longTimeFormat = L"HH:mm:ss";
    } else if (language == "fr") {
        s.decimalSeparator = L",";
        s.shortDateFormat = L"dd/MM/yyyy";
        s.longTimeFormat = L"HH:mm:ss";
    }
    return s;
}

}  // namespace velnor
