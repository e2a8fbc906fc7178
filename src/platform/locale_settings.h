// The user's locale format settings that the stored date, time, floating-point
// and currency texts follow. They are read from the user's locale on first use
// and again whenever the main window learns that the regional settings changed.
#pragma once

#include <array>
#include <string>

namespace velnor {

struct FormatSettings {
    std::wstring decimalSeparator;
    std::wstring dateSeparator;
    std::wstring timeSeparator;
    // Windows picture strings ("yyyy/MM/dd", "h:mm:ss tt"). A "/" in them
    // stands for dateSeparator and a ":" for timeSeparator.
    std::wstring shortDateFormat;
    std::wstring longTimeFormat;
    std::wstring timeAMString;
    std::wstring timePMString;
    std::array<std::wstring, 12> shortMonthNames;
    std::array<std::wstring, 12> longMonthNames;
    // Sunday first.
    std::array<std::wstring, 7> shortDayNames;
    std::array<std::wstring, 7> longDayNames;
};

// What a system without any regional information uses.
FormatSettings UsEnglishFormatSettings();

// Reads the settings from the user's locale now (platform specific).
FormatSettings ReadUserFormatSettings();

// The settings in force; read from the user's locale on first use.
const FormatSettings& CurrentFormatSettings();

// Reads the user's locale again. The main window calls this when Windows
// announces new regional settings (WM_SETTINGCHANGE with "intl").
void RefreshFormatSettings();

// Puts the given settings in force until the next refresh.
void ReplaceFormatSettings(FormatSettings settings);

}  // namespace velnor
