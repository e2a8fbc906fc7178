#include "xmlinifiles/date_value_text.h"

#include "platform/errors.h"
#include "platform/locale_convert.h"
#include "platform/locale_datetime.h"
#include "xmlinifiles/value_text.h"

namespace velnor {
namespace {

DateTimeParts Decode(TDateTime value, const FormatSettings& settings) {
    const auto parts = DecodeOleDate(value);
    if (!parts) throw EConvertError(L"'" + FloatToText(value, settings) + L"' は日付と時刻の範囲外です");
    return *parts;
}

}  // namespace

std::wstring DateToText(TDateTime value, const FormatSettings& settings) {
    return FormatDatePicture(settings.shortDateFormat, Decode(value, settings), settings);
}

std::wstring TimeToText(TDateTime value, const FormatSettings& settings) {
    return FormatDatePicture(settings.longTimeFormat, Decode(value, settings), settings);
}

std::wstring DateTimeToText(TDateTime value, const FormatSettings& settings) {
    const DateTimeParts p = Decode(value, settings);
    std::wstring text = FormatDatePicture(settings.shortDateFormat, p, settings);
    if (p.hour || p.minute || p.second || p.millisecond)
        text += L" " + FormatDatePicture(settings.longTimeFormat, p, settings);
    return text;
}

TDateTime TextToDateTime(std::wstring_view text, const FormatSettings& settings) {
    const std::wstring owned(text);
    const PlatformDate platform = PlatformDateFromStr(owned);
    switch (platform.status) {
        case ConvertStatus::Ok: return platform.value;
        case ConvertStatus::Overflow:
            throw EVariantOverflowError(L"UnicodeString 型から Date 型へのバリアント型変換でのオーバーフローエラー");
        case ConvertStatus::Failed:
            throw EVariantError(L"UnicodeString型から Date 型へのバリアント型変換はできません");
        case ConvertStatus::TypeMismatch: break;
    }
    const DateParseResult date = ParseLocaleDate(text, settings, DateParseMode::DateOnly);
    if (date.status == DateParseStatus::Ok) return date.value;
    if (const auto number = ParseFloatText(text, settings)) return *number;
    throw EVariantError(L"UnicodeString型から Date 型へのバリアント型変換はできません");
}

}  // namespace velnor
