// The text forms of stored dates and times: written in the locale's short
// date and long time formats, read with the platform's date parser and the
// store's fallbacks.
#pragma once

#include <string>
#include <string_view>

#include "platform/locale_settings.h"

namespace velnor {

// OLE Automation date: days since midnight of 30 December 1899.
using TDateTime = double;

// Values outside the OLE date range raise EConvertError.
std::wstring DateToText(TDateTime value, const FormatSettings& settings);
std::wstring TimeToText(TDateTime value, const FormatSettings& settings);
// The date, then the time after a space unless the time of day is zero.
std::wstring DateTimeToText(TDateTime value, const FormatSettings& settings);

// The platform parser first; when it finds no date, the text as a date alone
// in the locale's format, then as a floating-point number of days. Raises
// EVariantError, or EVariantOverflowError for a date out of range.
TDateTime TextToDateTime(std::wstring_view text, const FormatSettings& settings);

}  // namespace velnor
