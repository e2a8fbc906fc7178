#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/errors.h"
#include "platform/locale_datetime.h"
#include "xmlinifiles/date_value_text.h"

namespace velnor {
namespace {

FormatSettings WithFormats(const wchar_t* shortDate, const wchar_t* longTime, const wchar_t* dateSeparator = L"/",
                           const wchar_t* decimal = L".") {
    FormatSettings s = UsEnglishFormatSettings();
    s.shortDateFormat = shortDate;
    s.longTimeFormat = longTime;
    s.dateSeparator = dateSeparator;
    s.decimalSeparator = decimal;
    return s;
}

FormatSettings Japanese() {
    FormatSettings s = WithFormats(L"yyyy/MM/dd", L"H:mm:ss");
    s.timeAMString = L"午前";
    s.timePMString = L"午後";
    return s;
}

TEST(XmlDateTime, OleDatesCountDaysFromThe30thOfDecember1899) {
    struct Case {
        double value;
        int y, mo, d, h, mi, s, ms, dow;
    };
    const Case cases[] = {
        {0.0, 1899, 12, 30, 0, 0, 0, 0, 6},
        {1.0, 1899, 12, 31, 0, 0, 0, 0, 0},
        {45322.75, 2024, 1, 31, 18, 0, 0, 0, 3},
        {-1.25, 1899, 12, 29, 6, 0, 0, 0, 5},
        {60.0, 1900, 2, 28, 0, 0, 0, 0, 3},
        {61.0, 1900, 3, 1, 0, 0, 0, 0, 4},
        {0.5 + 1.0 / 86400000 * 123, 1899, 12, 30, 12, 0, 0, 123, 6},
        // A time that rounds to midnight belongs to the next day.
        {1.9999999999, 1900, 1, 1, 0, 0, 0, 0, 1},
        {-657434.0, 100, 1, 1, 0, 0, 0, 0, 5},
        {2958465.5, 9999, 12, 31, 12, 0, 0, 0, 5},
    };
    for (const Case& c : cases) {
        const auto p = DecodeOleDate(c.value);
        ASSERT_TRUE(p) << c.value;
        EXPECT_EQ((std::vector<int>{p->year, p->month, p->day, p->hour, p->minute, p->second, p->millisecond, p->dayOfWeek}),
                  (std::vector<int>{c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms, c.dow}))
            << c.value;
    }
    EXPECT_EQ(EncodeOleDate(2024, 1, 31, 18, 0, 0, 0), 45322.75);
    EXPECT_EQ(EncodeOleDate(1899, 12, 29, 6, 0, 0, 0), -1.25);
    for (double bad : {-657435.0, 2958466.0, std::nan(""), 1e300}) EXPECT_FALSE(DecodeOleDate(bad)) << bad;
}

TEST(XmlDateTime, PicturesFollowTheLocaleFormats) {
    const double value = EncodeOleDate(2024, 3, 5, 14, 7, 9, 45);
    struct Case {
        const wchar_t* picture;
        const wchar_t* text;
    };
    const FormatSettings s = WithFormats(L"", L"");
    const Case cases[] = {
        {L"yyyy/MM/dd", L"2024/03/05"}, {L"yyyy/M/d", L"2024/3/5"}, {L"M/d/yyyy", L"3/5/2024"},
        {L"dd/MM/yy", L"05/03/24"},     {L"d-MMM-y", L"5-Mar-24"},  {L"dddd, MMMM d", L"Tuesday, March 5"},
        {L"ddd", L"Tue"},               {L"H:mm:ss", L"14:07:09"},  {L"h:mm:ss tt", L"2:07:09 PM"},
        {L"hh:mm t", L"02:07 P"},       {L"HH:mm:ss.zzz", L"14:07:09.045"},
        {L"yyyy'年'M'月'd'日'", L"2024年3月5日"}, {L"'It''s' yyyy", L"It's 2024"},
    };
    const auto parts = DecodeOleDate(value);
    ASSERT_TRUE(parts);
    for (const Case& c : cases) EXPECT_EQ(FormatDatePicture(c.picture, *parts, s), c.text) << c.picture;
    // "/" and ":" in a picture stand for the locale's separators.
    FormatSettings dots = s;
    dots.dateSeparator = L".";
    dots.timeSeparator = L"h";
    EXPECT_EQ(FormatDatePicture(L"dd/MM/yyyy HH:mm", *parts, dots), L"05.03.2024 14h07");
}

TEST(XmlDateTime, WrittenTextsParseBackUnderTheSameSettings) {
    const FormatSettings settings[] = {
        Japanese(),
        WithFormats(L"yyyy/M/d", L"H:mm:ss"),
        UsEnglishFormatSettings(),
        WithFormats(L"dd.MM.yyyy", L"HH:mm:ss", L".", L","),
        WithFormats(L"dd/MM/yy", L"HH:mm:ss"),
        WithFormats(L"yyyy'年'M'月'd'日'", L"H'時'mm'分'ss'秒'"),
        WithFormats(L"d MMM yyyy", L"h:mm:ss tt"),
    };
    const double values[] = {
        EncodeOleDate(2024, 1, 31, 0, 0, 0, 0),  EncodeOleDate(2024, 1, 31, 13, 45, 7, 0),
        EncodeOleDate(1999, 12, 31, 23, 59, 59, 0), EncodeOleDate(2030, 2, 28, 0, 0, 1, 0),
        EncodeOleDate(2000, 2, 29, 12, 0, 0, 0), EncodeOleDate(1950, 6, 1, 0, 30, 0, 0),
    };
    for (const FormatSettings& s : settings) {
        const bool hasNamedTime = s.longTimeFormat.find(L'\'') != std::wstring::npos;
        for (double v : values) {
            const std::wstring date = DateToText(v, s);
            const auto dateOnly = ParseLocaleDate(date, s, DateParseMode::DateOnly);
            ASSERT_EQ(dateOnly.status, DateParseStatus::Ok) << date;
            EXPECT_EQ(dateOnly.value, std::floor(v)) << date;
            if (hasNamedTime) continue;  // a time with literal words is beyond the stand-in
            const std::wstring full = DateTimeToText(v, s);
            const auto both = ParseLocaleDate(full, s, DateParseMode::DateTime);
            ASSERT_EQ(both.status, DateParseStatus::Ok) << full;
            EXPECT_NEAR(both.value, v, 1e-9) << full;
            const std::wstring time = TimeToText(v, s);
            const auto timeOnly = ParseLocaleDate(time, s, DateParseMode::DateTime);
            ASSERT_EQ(timeOnly.status, DateParseStatus::Ok) << time;
            EXPECT_NEAR(timeOnly.value, v - std::floor(v), 1e-9) << time;
        }
    }
}

TEST(XmlDateTime, MidnightIsWrittenAsTheDateAlone) {
    const FormatSettings s = Japanese();
    EXPECT_EQ(DateTimeToText(EncodeOleDate(2024, 1, 31, 0, 0, 0, 0), s), L"2024/01/31");
    EXPECT_EQ(DateTimeToText(EncodeOleDate(2024, 1, 31, 9, 5, 0, 0), s), L"2024/01/31 9:05:00");
    // A time of milliseconds alone still writes the time part.
    EXPECT_EQ(DateTimeToText(EncodeOleDate(2024, 1, 31, 0, 0, 0, 400), s), L"2024/01/31 0:00:00");
    EXPECT_EQ(TimeToText(EncodeOleDate(2024, 1, 31, 0, 0, 0, 0), UsEnglishFormatSettings()), L"12:00:00 AM");
}

TEST(XmlDateTime, DateOnlyParsingIsStrictAboutFormAndRange) {
    const FormatSettings s = Japanese();
    for (const wchar_t* text : {L"", L"2024", L"2024/01", L"2024/13/01", L"2024/02/30", L"2024/01/31 10:00", L"1.5",
                                L"45000.5", L"2024-01-31", L"abc", L"2024/01/31x"})
        EXPECT_EQ(ParseLocaleDate(text, s, DateParseMode::DateOnly).status, DateParseStatus::NoMatch) << text;
    EXPECT_EQ(ParseLocaleDate(L"10000/01/01", s, DateParseMode::DateOnly).status, DateParseStatus::OutOfRange);
    EXPECT_EQ(ParseLocaleDate(L" 2024/1/31 ", s, DateParseMode::DateOnly).status, DateParseStatus::Ok);
    for (const wchar_t* text : {L"25:00:00", L"12:60", L"13:00 PM", L"2024-01-31 x"})
        EXPECT_EQ(ParseLocaleDate(text, s, DateParseMode::DateTime).status, DateParseStatus::NoMatch) << text;
    EXPECT_EQ(ParseLocaleDate(L"2024-01-31", s, DateParseMode::DateTime).value, EncodeOleDate(2024, 1, 31, 0, 0, 0, 0));
    EXPECT_EQ(ParseLocaleDate(L"午後 1:30", s, DateParseMode::DateTime).value, EncodeOleDate(1899, 12, 30, 13, 30, 0, 0));
    EXPECT_EQ(ParseLocaleDate(L"12:15 am", s, DateParseMode::DateTime).value, EncodeOleDate(1899, 12, 30, 0, 15, 0, 0));
}

TEST(XmlDateTime, ReadingFallsBackToTheNumberOfDaysAndNamesTheVariantError) {
    const FormatSettings s = Japanese();
    EXPECT_EQ(TextToDateTime(L"45000.5", s), 45000.5);
    EXPECT_EQ(TextToDateTime(L"-1.25", s), -1.25);
    for (const wchar_t* bad : {L"abc", L"", L"2024/02/30", L"25:00:00"}) {
        try {
            TextToDateTime(bad, s);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const EVariantError& e) {
            EXPECT_EQ(e.Message(), L"UnicodeString型から Date 型へのバリアント型変換はできません");
        }
    }
}

TEST(XmlDateTime, WritingADateOutsideTheOleRangeIsAnError) {
    const FormatSettings s = Japanese();
    for (double bad : {3e6, -7e5, std::nan(""), HUGE_VAL}) {
        EXPECT_THROW(DateToText(bad, s), EConvertError) << bad;
        EXPECT_THROW(DateTimeToText(bad, s), EConvertError) << bad;
        EXPECT_THROW(TimeToText(bad, s), EConvertError) << bad;
    }
}

}  // namespace
}  // namespace velnor
