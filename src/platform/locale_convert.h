// The platform's locale-aware conversions that the settings store relies on:
// VarDateFromStr, VarI4FromStr and ExpandEnvironmentStringsW on Windows, and
// stand-ins natively that accept at least every text the store writes under
// the same format settings.
#pragma once

#include <cstdint>
#include <string>

namespace velnor {

enum class ConvertStatus {
    Ok,
    TypeMismatch,  // DISP_E_TYPEMISMATCH: the text is not of that kind
    Overflow,      // DISP_E_OVERFLOW: the value does not fit
    Failed,        // any other failure the platform reports
};

struct PlatformDate {
    ConvertStatus status = ConvertStatus::TypeMismatch;
    double value = 0;
};

struct PlatformInt32 {
    ConvertStatus status = ConvertStatus::TypeMismatch;
    std::int32_t value = 0;
};

// VarDateFromStr(text, LOCALE_USER_DEFAULT, 0).
PlatformDate PlatformDateFromStr(const std::wstring& text);

// VarI4FromStr(text, LOCALE_USER_DEFAULT, 0).
PlatformInt32 PlatformI4FromStr(const std::wstring& text);

// ExpandEnvironmentStringsW: "%NAME%" of a defined variable becomes its value,
// everything else stays. Nothing when the platform call fails.
bool PlatformExpandEnvironmentStrings(const std::wstring& text, std::wstring& expanded);

}  // namespace velnor
