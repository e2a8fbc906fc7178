#include "platform/locale_settings.h"

#include <optional>
#include <utility>

namespace velnor {
namespace {

// Only the user-interface thread reads or replaces the settings.
std::optional<FormatSettings>& Slot() {
    static std::optional<FormatSettings> settings;
    return settings;
}

}  // namespace

FormatSettings UsEnglishFormatSettings() {
    return FormatSettings{
        L".",
        L"/",
        L":",
        L"M/d/yyyy",
        L"h:mm:ss tt",
        L"AM",
        L"PM",
        {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun", L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"},
        {L"January", L"February", L"March", L"April", L"May", L"June", L"July", L"August", L"September",
         L"October", L"November", L"December"},
        {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"},
        {L"Sunday", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday"},
    };
}

const FormatSettings& CurrentFormatSettings() {
    auto& slot = Slot();
    if (!slot) slot = ReadUserFormatSettings();
    return *slot;
}

void RefreshFormatSettings() { Slot() = ReadUserFormatSettings(); }

void ReplaceFormatSettings(FormatSettings settings) { Slot() = std::move(settings); }

}  // namespace velnor
