#include "xmlinifiles/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/errors.h"

namespace velnor {
namespace {

FormatSettings Point() { return UsEnglishFormatSettings(); }

FormatSettings Comma() {
    FormatSettings s = UsEnglishFormatSettings();
    s.decimalSeparator = L",";
    return s;
}

template <typename F>
std::wstring ConvertMessage(F&& f) {
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return L"(no EConvertError)";
}

TEST(XmlValueText, IntegersReadDecimalAndPrefixedHexadecimal) {
    struct Case {
        const wchar_t* text;
        std::int64_t value;
    };
    const Case valid[] = {
        {L"0", 0},         {L"100", 100},          {L"-5", -5},          {L"+7", 7},
        {L"  42", 42},     {L"007", 7},            {L"$1F", 31},         {L"0x1f", 31},
        {L"0X1F", 31},     {L"x1F", 31},           {L"X1f", 31},         {L"-$10", -16},
        {L"2147483647", 2147483647},               {L"-2147483648", -2147483648LL},
        {L"$FFFFFFFF", -1},                        {L"0x80000000", -2147483648LL},
        {L"$000000001", 1},
    };
    for (const Case& c : valid) EXPECT_EQ(TextToInteger(c.text), c.value) << c.text;
    for (const wchar_t* text : {L"", L" ", L"42 ", L"4 2", L"2147483648", L"-2147483649", L"$100000000", L"0x",
                                L"$", L"+", L"1.5", L"1e3", L"0x-1", L"abc", L"\t1", L"１"})
        EXPECT_THROW(TextToInteger(text), EConvertError) << text;
    EXPECT_EQ(ConvertMessage([] { TextToInteger(L"12 "); }), L"'12 ' は整数ではありません");
}

TEST(XmlValueText, Int64UsesTheFullSixtyFourBits) {
    EXPECT_EQ(TextToInt64(L"9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(TextToInt64(L"-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(TextToInt64(L"$FFFFFFFF"), 0xFFFFFFFFLL);
    EXPECT_EQ(TextToInt64(L"0xFFFFFFFFFFFFFFFF"), -1);
    EXPECT_THROW(TextToInt64(L"9223372036854775808"), EConvertError);
    EXPECT_THROW(TextToInt64(L"$10000000000000000"), EConvertError);
    EXPECT_EQ(IntegerToText(std::numeric_limits<std::int64_t>::min()), L"-9223372036854775808");
    EXPECT_EQ(ConvertMessage([] { TextToInt64(L"x"); }), L"'x' は整数ではありません");
}

TEST(XmlValueText, BooleansAreNumbersOrTheWordsTrueAndFalse) {
    EXPECT_EQ(BoolToText(true), L"-1");
    EXPECT_EQ(BoolToText(false), L"0");
    for (const wchar_t* t : {L"-1", L"1", L"2", L"0.5", L" 3 ", L"True", L"TRUE", L"tRuE", L"1E3", L"NAN", L"inf"})
        EXPECT_TRUE(TextToBool(t, Point())) << t;
    for (const wchar_t* t : {L"0", L"-0", L"0.0", L"False", L"FALSE", L"0e5"}) EXPECT_FALSE(TextToBool(t, Point())) << t;
    for (const wchar_t* t : {L"yes", L"", L"T", L" True", L"1e999"}) EXPECT_THROW(TextToBool(t, Point()), EConvertError) << t;
    EXPECT_EQ(ConvertMessage([] { TextToBool(L"yes", Point()); }), L"'yes' は正しい論理型ではありません");
    // The number test follows the locale: "0,0" is a number only with a comma.
    EXPECT_FALSE(TextToBool(L"0,0", Comma()));
    EXPECT_THROW(TextToBool(L"0,0", Point()), EConvertError);
}

TEST(XmlValueText, FloatsHaveFifteenSignificantDigits) {
    struct Case {
        double value;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0.0, L"0"},
        {-0.0, L"0"},
        {0.1, L"0.1"},
        {1.5, L"1.5"},
        {-2.25, L"-2.25"},
        {100, L"100"},
        {1e15, L"1E15"},
        {999999999999999, L"999999999999999"},
        {123456789012345.6, L"123456789012346"},
        {9999999999999999.0, L"1E16"},
        {0.0001, L"0.0001"},
        {0.00012345, L"0.00012345"},
        {0.00001, L"1E-5"},
        {-0.00001, L"-1E-5"},
        {1.5e20, L"1.5E20"},
        {1.0 / 3, L"0.333333333333333"},
        {2.0 / 3, L"0.666666666666667"},
        {1e-300, L"1E-300"},
        {std::numeric_limits<double>::max(), L"1.79769313486232E308"},
        {std::numeric_limits<double>::denorm_min(), L"4.94065645841247E-324"},
        // Exactly representable, sixteenth digit 5 and nothing after it: up.
        {1234567890123445.0, L"1.23456789012345E15"},
        // 1.2345678901236449842...: the sixteenth digit is 4, though 17
        // rounded digits would make it 5.
        {1.234567890123645, L"1.23456789012364"},
        {std::numeric_limits<double>::quiet_NaN(), L"NAN"},
        {std::numeric_limits<double>::infinity(), L"INF"},
        {-std::numeric_limits<double>::infinity(), L"-INF"},
    };
    for (const Case& c : cases) EXPECT_EQ(FloatToText(c.value, Point()), c.text) << c.text;
    EXPECT_EQ(FloatToText(1234.5, Comma()), L"1234,5");
    EXPECT_EQ(FloatToText(1.5e-7, Comma()), L"1,5E-7");
}

TEST(XmlValueText, FloatsReadWithTheLocaleSeparatorAndTheSpecialWords) {
    struct Case {
        const wchar_t* text;
        double value;
    };
    const Case cases[] = {
        {L"1.5", 1.5},     {L" -2.5 ", -2.5}, {L"+3", 3},         {L".5", 0.5},    {L"5.", 5},
        {L"1E3", 1000},    {L"1e-3", 0.001},  {L"2.5E+2", 250},   {L"1E-400", 0},  {L"0.1", 0.1},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToFloat(c.text, Point()), c.value) << c.text;
    EXPECT_TRUE(std::isnan(TextToFloat(L"nan", Point())));
    EXPECT_EQ(TextToFloat(L"+Inf", Point()), std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToFloat(L"-INF", Point()), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToFloat(L"1,5", Comma()), 1.5);
    for (const wchar_t* t : {L"", L".", L"1.5.2", L"1E", L"1E+", L"e5", L"1 5", L"1,5", L"0x10", L"1E999", L" NAN", L"1.5f"})
        EXPECT_THROW(TextToFloat(t, Point()), EConvertError) << t;
    EXPECT_THROW(TextToFloat(L"1.5", Comma()), EConvertError);
    EXPECT_EQ(ConvertMessage([] { TextToFloat(L"1E999", Point()); }), L"'1E999' は浮動小数点数ではありません");
}

TEST(XmlValueText, FloatTextReadsBackToFifteenDigits) {
    for (double v : {3.141592653589793, -2.718281828459045e-12, 6.02214076e23, 1e15 + 0.5, 0.1 + 0.2, 12345.678}) {
        for (const FormatSettings& s : {Point(), Comma()}) {
            const double back = TextToFloat(FloatToText(v, s), s);
            EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << v;
        }
    }
}

TEST(XmlValueText, CurrencyHasUpToFourDecimals) {
    struct Case {
        Currency value;
        const wchar_t* text;
    };
    const Case cases[] = {
        {125000, L"12.5"}, {1000000, L"100"}, {1, L"0.0001"}, {-1, L"-0.0001"}, {0, L"0"},
        {123456, L"12.3456"}, {-50000, L"-5"},
        {std::numeric_limits<std::int64_t>::max(), L"922337203685477.5807"},
        {std::numeric_limits<std::int64_t>::min(), L"-922337203685477.5808"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CurrencyToText(c.value, Point()), c.text);
        EXPECT_EQ(TextToCurrency(c.text, Point()), c.value) << c.text;
    }
    EXPECT_EQ(CurrencyToText(125000, Comma()), L"12,5");
}

TEST(XmlValueText, CurrencyRoundsToFourDecimalsHalfToEven) {
    struct Case {
        const wchar_t* text;
        Currency value;
    };
    const Case cases[] = {
        {L"0.00005", 0},     {L"0.00015", 2},      {L"0.00025", 2},   {L"0.000251", 3},  {L"-0.00015", -2},
        {L"0.00004999", 0},  {L"1E-4", 1},         {L"1.5E2", 1500000}, {L"  7 ", 70000}, {L"0.000049", 0},
        {L"12.34565", 123456}, {L"12.34575", 123458},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToCurrency(c.text, Point()), c.value) << c.text;
    for (const wchar_t* t : {L"922337203685477.5808", L"1E15", L"-922337203685477.58086", L"abc", L"", L"1,5"})
        EXPECT_THROW(TextToCurrency(t, Point()), EConvertError) << t;
    EXPECT_EQ(TextToCurrency(L"-922337203685477.5808", Point()), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ConvertMessage([] { TextToCurrency(L"1E15", Point()); }), L"'1E15' は浮動小数点数ではありません");
}

TEST(XmlValueText, EscapingRoundTripsAndUnescapingIgnoresCase) {
    struct Case {
        const wchar_t* value;
        const wchar_t* escaped;
    };
    const Case cases[] = {
        {L"a<b", L"a&lt;b"},
        {L"R&D", L"R&amp;D"},
        {L"x>y", L"x&gt;y"},
        {L"say \"hi\"", L"say &quot;hi&quot;"},
        {L"&gt;", L"&amp;gt;"},
        {L"it's\ttabbed\r\n", L"it's\ttabbed\r\n"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeText(c.value), c.escaped);
        EXPECT_EQ(UnescapeText(c.escaped), c.value);
    }
    EXPECT_EQ(UnescapeText(L"&LT;b&GT;"), L"<b>");
    EXPECT_EQ(UnescapeText(L"&amp;lt;"), L"&lt;");
    EXPECT_EQ(UnescapeText(L"&QuOt;&AMP;"), L"\"&");
    // Each replacement never rescans what it put in.
    EXPECT_EQ(UnescapeText(L"&amp;amp;"), L"&amp;");
}

TEST(XmlValueText, BytesAreWrittenSixteenToALine) {
    EXPECT_EQ(BytesToText({}), L"");
    EXPECT_EQ(BytesToText({0, 16, 255}), L"00,10,FF");
    EXPECT_EQ(BytesToText({10}), L"0A");
    std::vector<std::uint8_t> sixteen(16, 0xAB);
    EXPECT_EQ(BytesToText(sixteen).find(L'\n'), std::wstring::npos);
    std::vector<std::uint8_t> seventeen(17);
    for (int i = 0; i < 17; ++i) seventeen[static_cast<size_t>(i)] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(BytesToText(seventeen), L"00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,\r\n10");
}

TEST(XmlValueText, ByteListsForgiveLayoutButNotBadItems) {
    struct Case {
        const wchar_t* text;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {L"", {}},
        {L"00,10,FF", {0x00, 0x10, 0xFF}},
        {L" 0a, 1B,\nff,", {0x0A, 0x1B, 0xFF}},
        {L"01,,02", {0x01, 0x02}},
        {L"100", {0x00}},
        {L"0A,\r\n0B", {0x0A, 0x0B}},
        {L",,,", {}},
        {L"\t7\t", {0x07}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> buffer{9, 9, 9, 9, 9, 9, 9, 9};
        TextToBytes(c.text, buffer);
        EXPECT_EQ(buffer, c.bytes) << c.text;
    }
    std::vector<std::uint8_t> buffer;
    EXPECT_EQ(ConvertMessage([&] { TextToBytes(L"zz", buffer); }), L"'0xzz' は整数ではありません");
    EXPECT_EQ(ConvertMessage([&] { TextToBytes(L"01,02,G1,03", buffer); }), L"'0xG1' は整数ではありません");
    ASSERT_EQ(buffer.size(), 4u);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[1], 2);
    EXPECT_THROW(TextToBytes(L"100000000", buffer), EConvertError);
}

}  // namespace
}  // namespace velnor
