// Typed values in the store: the eleven writers and readers through a real
// file, their "Type" numbers and the errors of values that do not convert.
// Locale-dependent forms are taken from the locale in force, never assumed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/errors.h"
#include "platform/locale_convert.h"
#include "platform/locale_datetime.h"
#include "platform/locale_settings.h"
#include "platform/utf.h"
#include "xml_test_support.h"
#include "xmlinifiles/xml_ini_file.h"

namespace velnor {
namespace {

using xmltest::ReadRaw;
using xmltest::WriteRaw;

class XmlTypedValues : public ::testing::Test {
protected:
    void TearDown() override { RefreshFormatSettings(); }

    // The element as the file holds it after UpdateFile.
    std::string FileLineOf(const std::string& key) {
        const std::string bytes = ReadRaw(path_);
        const size_t start = bytes.find("<" + key + " ");
        const size_t end = bytes.find("</" + key + ">", start);
        if (start == std::string::npos || end == std::string::npos) return "(missing)";
        return bytes.substr(start, end + key.size() + 3 - start);
    }
    std::wstring TextOf(TXMLIniFile& ini, const std::wstring& key) {
        const XmlNode first = ini.ChildNodeByName(key).FirstChild();
        return first ? first.NodeValue() : L"";
    }

    xmltest::TempFolder folder_;
    std::wstring path_ = folder_.File("Velnor.xml");
};

TEST_F(XmlTypedValues, EveryTypeRoundTripsThroughTheFileWithItsTypeNumber) {
    const FormatSettings& fs = CurrentFormatSettings();
    const double when = EncodeOleDate(2024, 1, 31, 13, 45, 7, 0);
    const std::vector<std::uint8_t> bytes{0, 16, 255};
    {
        TXMLIniFile ini(path_);
        ini.OpenNode(L"/Values", true);
        ini.WriteBinaryData(L"Bin", bytes);
        ini.WriteBool(L"Bool", true);
        ini.WriteCurrency(L"Cur", 125000);
        ini.WriteDate(L"Date", when);
        ini.WriteDateTime(L"DateTime", when);
        ini.WriteExpandString(L"Expand", L"%VELNOR_XML_TEST%\\x");
        ini.WriteFloat(L"Float", 1234.5);
        ini.WriteInt64(L"Int64", std::numeric_limits<std::int64_t>::min());
        ini.WriteInteger(L"Int", std::numeric_limits<std::int32_t>::max());
        ini.WriteString(L"Str", L"a<b & \"c\"");
        ini.WriteTime(L"Time", when);
        ini.UpdateFile();
    }
    TXMLIniFile ini(path_);
    ASSERT_TRUE(ini.OpenNode(L"/Values", false));
    struct Expect {
        const wchar_t* key;
        TXMLNodeType type;
        std::wstring text;
    };
    const std::wstring date = FormatDatePicture(fs.shortDateFormat, *DecodeOleDate(when), fs);
    const std::wstring time = FormatDatePicture(fs.longTimeFormat, *DecodeOleDate(when), fs);
    const Expect expected[] = {
        {L"Bin", TXMLNodeType::xdtBinary, L"00,10,FF"},
        {L"Bool", TXMLNodeType::xdtBool, L"-1"},
        {L"Cur", TXMLNodeType::xdtCurrency, L"12" + fs.decimalSeparator + L"5"},
        {L"Date", TXMLNodeType::xdtDate, date},
        {L"DateTime", TXMLNodeType::xdtDateTime, date + L" " + time},
        {L"Expand", TXMLNodeType::xdtExpandString, L"%VELNOR_XML_TEST%\\x"},
        {L"Float", TXMLNodeType::xdtFloat, L"1234" + fs.decimalSeparator + L"5"},
        {L"Int64", TXMLNodeType::xdtInt64, L"-9223372036854775808"},
        {L"Int", TXMLNodeType::xdtInteger, L"2147483647"},
        {L"Str", TXMLNodeType::xdtString, L"a&lt;b &amp; &quot;c&quot;"},
        {L"Time", TXMLNodeType::xdtTime, time},
    };
    for (const Expect& e : expected) {
        EXPECT_EQ(ini.GetNodeType(e.key), e.type) << e.key;
        EXPECT_EQ(TextOf(ini, e.key), e.text) << e.key;
        EXPECT_EQ(ini.ChildNodeByName(e.key).Attribute(L"Type"), std::to_wstring(static_cast<int>(e.type)));
    }
    std::vector<std::uint8_t> back;
    ini.ReadBinaryData(L"Bin", back);
    EXPECT_EQ(back, bytes);
    EXPECT_TRUE(ini.ReadBool(L"Bool", false));
    EXPECT_EQ(ini.ReadCurrency(L"Cur", 0), 125000);
    EXPECT_EQ(ini.ReadDate(L"Date", 0), std::floor(when));
    EXPECT_NEAR(ini.ReadDateTime(L"DateTime", 0), when, 1e-9);
    EXPECT_NEAR(ini.ReadTime(L"Time", 0), when - std::floor(when), 1e-9);
    EXPECT_EQ(ini.ReadString(L"Expand", L""), L"%VELNOR_XML_TEST%\\x");
    EXPECT_EQ(ini.ReadFloat(L"Float", 0), 1234.5);
    EXPECT_EQ(ini.ReadInt64(L"Int64", 0), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ini.ReadInteger(L"Int", 0), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ini.ReadString(L"Str", L""), L"a<b & \"c\"");
    // In the file the string's markup is escaped a second time.
    EXPECT_EQ(FileLineOf("Str"), "<Str Type=\"10\">a&amp;lt;b &amp;amp; &amp;quot;c&amp;quot;</Str>");
    EXPECT_FALSE(ini.XMLDocument().Modified());
}

// Shows the forms of the locale in force (run under ja_JP and en_US) and that
// the platform's parser takes back what the writers produce under it.
TEST_F(XmlTypedValues, LocaleFormsInForceReadBack) {
    const FormatSettings& fs = CurrentFormatSettings();
    const double when = EncodeOleDate(2024, 12, 31, 23, 5, 9, 0);
    TXMLIniFile ini(path_);
    ini.WriteDateTime(L"DT", when);
    ini.WriteTime(L"T", when - 45000);
    ini.WriteFloat(L"F", -1.5e-3);
    ini.WriteCurrency(L"C", -123456789);
    std::printf("locale forms: date '%s', time '%s', decimal '%s' -> %s | %s | %s | %s\n",
                WideToUtf8(fs.shortDateFormat).c_str(), WideToUtf8(fs.longTimeFormat).c_str(),
                WideToUtf8(fs.decimalSeparator).c_str(), WideToUtf8(TextOf(ini, L"DT")).c_str(),
                WideToUtf8(TextOf(ini, L"T")).c_str(), WideToUtf8(TextOf(ini, L"F")).c_str(),
                WideToUtf8(TextOf(ini, L"C")).c_str());
    EXPECT_NEAR(ini.ReadDateTime(L"DT", 0), when, 1e-9);
    EXPECT_NEAR(ini.ReadTime(L"T", 0), when - std::floor(when), 1e-9);
    EXPECT_EQ(ini.ReadFloat(L"F", 0), -1.5e-3);
    EXPECT_EQ(ini.ReadCurrency(L"C", 0), -123456789);
}

TEST_F(XmlTypedValues, IntegersKeepTheirExtremesAndTypesFollowTheLastWrite) {
    TXMLIniFile ini(path_);
    for (std::int32_t v : {0, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
        ini.WriteInteger(L"V", v);
        EXPECT_EQ(TextOf(ini, L"V"), std::to_wstring(v));
        EXPECT_EQ(ini.ReadInteger(L"V", 1), v);
    }
    ini.WriteString(L"V", L"0042");
    EXPECT_EQ(ini.GetNodeType(L"V"), TXMLNodeType::xdtString);
    EXPECT_EQ(ini.ReadInteger(L"V", 0), 42);
    ini.WriteInteger(L"V", -3);
    EXPECT_EQ(ini.GetNodeType(L"V"), TXMLNodeType::xdtInteger);
    EXPECT_EQ(ini.ReadString(L"V", L""), L"-3");
    std::vector<std::wstring> names;
    ini.GetNodeNames(names);
    EXPECT_EQ(std::count(names.begin(), names.end(), L"V"), 1) << "one element, rewritten in place";
    ini.WriteExpandString(L"V", L"%x%");
    EXPECT_EQ(ini.GetNodeType(L"V"), TXMLNodeType::xdtExpandString);
}

TEST_F(XmlTypedValues, MissingKeysGiveDefaultsAndCreateNothing) {
    TXMLIniFile ini(path_);
    ini.OpenNode(L"/Window", false);
    EXPECT_EQ(ini.ReadInteger(L"Left", 7), 7);
    EXPECT_EQ(ini.ReadString(L"SSID", L"&amp;"), L"&amp;") << "the default is not unescaped";
    EXPECT_TRUE(ini.ReadBool(L"B", true));
    EXPECT_EQ(ini.ReadFloat(L"F", 2.5), 2.5);
    EXPECT_EQ(ini.ReadCurrency(L"C", 3), 3);
    EXPECT_EQ(ini.ReadDateTime(L"D", 4.5), 4.5);
    EXPECT_EQ(ini.ReadInt64(L"I", -8), -8);
    std::vector<std::uint8_t> buffer{1, 2, 3};
    ini.ReadBinaryData(L"Bin", buffer);
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(ini.GetNodeType(L"Left"), TXMLNodeType::xdtUnknown);
    EXPECT_FALSE(ini.HasChildNodes());
    EXPECT_FALSE(ini.XMLDocument().Modified());
}

TEST_F(XmlTypedValues, ExpandStringsExpandOnlyOnReading) {
#ifdef _WIN32
    _wputenv(L"VELNOR_XML_TEST=C:\\data");
    const std::wstring value = L"C:\\data";
#else
    setenv("VELNOR_XML_TEST", "/data", 1);
    const std::wstring value = L"/data";
#endif
    TXMLIniFile ini(path_);
    ini.WriteExpandString(L"P", L"%VELNOR_XML_TEST%\\x %VELNOR_XML_UNDEFINED% 100%");
    EXPECT_EQ(ini.ReadString(L"P", L""), L"%VELNOR_XML_TEST%\\x %VELNOR_XML_UNDEFINED% 100%");
    EXPECT_EQ(ini.ReadExpandString(L"P", L""), value + L"\\x %VELNOR_XML_UNDEFINED% 100%");
    const std::wstring fromDefault = ini.ReadExpandString(L"Missing", L"[%VELNOR_XML_TEST%]");
    EXPECT_EQ(fromDefault, L"[" + value + L"]");
    EXPECT_EQ(fromDefault.find(L'\0'), std::wstring::npos);
}

TEST_F(XmlTypedValues, ByteArraysKeepSixteenToALineThroughTheFile) {
    std::vector<std::uint8_t> seventeen(17);
    for (size_t i = 0; i < seventeen.size(); ++i) seventeen[i] = static_cast<std::uint8_t>(i * 15);
    {
        TXMLIniFile ini(path_);
        ini.WriteBinaryData(L"Empty", {});
        ini.WriteBinaryData(L"Long", seventeen);
        EXPECT_EQ(TextOf(ini, L"Empty"), L"");
        EXPECT_EQ(ini.GetNodeType(L"Empty"), TXMLNodeType::xdtBinary);
        ini.UpdateFile();
    }
    EXPECT_EQ(FileLineOf("Empty"), "<Empty Type=\"1\"></Empty>");
    TXMLIniFile ini(path_);
    std::vector<std::uint8_t> back{9};
    ini.ReadBinaryData(L"Empty", back);
    EXPECT_TRUE(back.empty());
    ini.ReadBinaryData(L"Long", back);
    EXPECT_EQ(back, seventeen);
    const std::wstring text = TextOf(ini, L"Long");
    EXPECT_EQ(text.substr(45, 4), L"E1,\n") << "the file's CR LF reads back as a line feed";
}

TEST_F(XmlTypedValues, FloatsCurrencyAndDatesFollowTheLocaleInForce) {
    FormatSettings comma = CurrentFormatSettings();
    comma.decimalSeparator = L",";
    comma.shortDateFormat = L"dd.MM.yyyy";
    comma.dateSeparator = L".";
    ReplaceFormatSettings(comma);
    TXMLIniFile ini(path_);
    ini.WriteFloat(L"F", -0.00012345);
    ini.WriteCurrency(L"C", 1);
    ini.WriteDate(L"D", EncodeOleDate(2024, 1, 31, 0, 0, 0, 0));
    ini.WriteFloat(L"Big", 1e15);
    ini.WriteFloat(L"Small", 0.00001);
    EXPECT_EQ(TextOf(ini, L"F"), L"-0,00012345");
    EXPECT_EQ(TextOf(ini, L"C"), L"0,0001");
    EXPECT_EQ(TextOf(ini, L"D"), L"31.01.2024");
    EXPECT_EQ(TextOf(ini, L"Big"), L"1E15");
    EXPECT_EQ(TextOf(ini, L"Small"), L"1E-5");
    EXPECT_EQ(ini.ReadFloat(L"F", 0), -0.00012345);
    EXPECT_EQ(ini.ReadCurrency(L"C", 0), 1);
    for (const wchar_t* special : {L"NAN", L"INF", L"-INF"}) {
        ini.WriteString(L"S", special);
        EXPECT_EQ(FloatToText(ini.ReadFloat(L"S", 0), comma), special);
    }
    ini.WriteString(L"P", L"1.5");
    EXPECT_THROW(ini.ReadFloat(L"P", 0), EConvertError) << "a point is no separator here";
}

TEST_F(XmlTypedValues, MidnightDateTimesAreWrittenAsTheDateAlone) {
    const FormatSettings& fs = CurrentFormatSettings();
    const double midnight = EncodeOleDate(2024, 2, 29, 0, 0, 0, 0);
    TXMLIniFile ini(path_);
    ini.WriteDateTime(L"D", midnight);
    EXPECT_EQ(TextOf(ini, L"D"), FormatDatePicture(fs.shortDateFormat, *DecodeOleDate(midnight), fs));
    EXPECT_EQ(ini.ReadDateTime(L"D", 0), midnight);
    ini.WriteDateTime(L"DT", midnight + 0.5);
    EXPECT_EQ(ini.ReadTime(L"DT", 0), midnight + 0.5) << "ReadTime returns the date as well";
    EXPECT_THROW(ini.WriteDate(L"Bad", 1e9), EConvertError);
    EXPECT_FALSE(ini.NodeExists(L"Bad"));
}

template <typename E, typename F>
std::wstring ErrorOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return L"(other error) " + Utf8ToWide(e.what());
    }
    return L"(no error)";
}

TEST_F(XmlTypedValues, TextsThatDoNotConvertRaiseTheExactMessages) {
    WriteRaw(path_,
             "<root><I>12a</I><B>yes</B><F>1..5</F><C>abc</C><D>not a date</D><Bin>01,zz</Bin>"
             "<NoType>1</NoType><BadType Type=\"nine\">1</BadType><BoolType Type=\"True\">1</BoolType>"
             "<HexType Type=\"$A\">1</HexType><Big Type=\"99\">1</Big></root>");
    TXMLIniFile ini(path_);
    EXPECT_EQ(ErrorOf<EConvertError>([&] { ini.ReadInteger(L"I", 0); }), L"'12a' は整数ではありません");
    EXPECT_EQ(ErrorOf<EConvertError>([&] { ini.ReadInt64(L"I", 0); }), L"'12a' は整数ではありません");
    EXPECT_EQ(ErrorOf<EConvertError>([&] { ini.ReadBool(L"B", false); }), L"'yes' は正しい論理型ではありません");
    EXPECT_EQ(ErrorOf<EConvertError>([&] { ini.ReadFloat(L"F", 0); }), L"'1..5' は浮動小数点数ではありません");
    EXPECT_EQ(ErrorOf<EConvertError>([&] { ini.ReadCurrency(L"C", 0); }), L"'abc' は浮動小数点数ではありません");
    for (auto read : {&TXMLIniFile::ReadDate, &TXMLIniFile::ReadDateTime, &TXMLIniFile::ReadTime})
        EXPECT_EQ(ErrorOf<EVariantError>([&] { (ini.*read)(L"D", 0, {}); }),
                  L"UnicodeString型から Date 型へのバリアント型変換はできません");
    std::vector<std::uint8_t> buffer;
    EXPECT_EQ(ErrorOf<EConvertError>([&] { ini.ReadBinaryData(L"Bin", buffer); }), L"'0xzz' は整数ではありません");
    const std::wstring typeError = L"OleStr型から Integer 型へのバリアント型変換はできません";
    EXPECT_EQ(ErrorOf<EVariantError>([&] { ini.GetNodeType(L"NoType"); }), typeError);
    EXPECT_EQ(ErrorOf<EVariantError>([&] { ini.GetNodeType(L"BadType"); }), typeError);
    EXPECT_EQ(ini.GetNodeType(L"BoolType"), TXMLNodeType::xdtBinary);
    EXPECT_EQ(ini.GetNodeType(L"HexType"), TXMLNodeType::xdtString);
    EXPECT_EQ(ini.GetNodeType(L"Big"), TXMLNodeType::xdtUnknown);
    EXPECT_FALSE(ini.XMLDocument().Modified());
}

TEST_F(XmlTypedValues, DatesBeyondTheYear9999AreAVariantError) {
    std::wstring text = DateToText(EncodeOleDate(2024, 1, 31, 0, 0, 0, 0), CurrentFormatSettings());
    const size_t year = text.find(L"2024");
    if (year == std::wstring::npos) GTEST_SKIP() << "the short date format has no four-digit year";
    text.replace(year, 4, L"10000");
    TXMLIniFile ini(path_);
    ini.WriteString(L"D", text);
#ifdef _WIN32
    // The system's parser reports a type mismatch for such years.
    EXPECT_EQ(ErrorOf<EVariantError>([&] { ini.ReadDate(L"D", 0); }),
              L"UnicodeString型から Date 型へのバリアント型変換はできません");
#else
    EXPECT_EQ(ErrorOf<EVariantOverflowError>([&] { ini.ReadDate(L"D", 0); }),
              L"UnicodeString 型から Date 型へのバリアント型変換でのオーバーフローエラー");
#endif
}

TEST_F(XmlTypedValues, ElementsWithMoreThanOneTextNodeAreNoValues) {
    WriteRaw(path_,
             "<root><Nested><x/></Nested><Mixed>a<x/></Mixed><Comment><!--c--></Comment>"
             "<CData><![CDATA[<raw>]]></CData></root>");
    TXMLIniFile ini(path_);
    EXPECT_EQ(ini.ReadString(L"CData", L""), L"<raw>");
    for (const wchar_t* key : {L"Nested", L"Mixed", L"Comment"}) {
        const std::wstring message = L"要素 \"" + std::wstring(key) + L"\" に単一のテキスト ノードが含まれていません";
        EXPECT_EQ(ErrorOf<EXMLError>([&] { ini.ReadString(key, L""); }), message);
        EXPECT_EQ(ErrorOf<EXMLError>([&] { ini.ReadInteger(key, 0); }), message);
        EXPECT_EQ(ErrorOf<EXMLError>([&] { ini.GetNodeType(key); }), L"(other error) " +
                  Utf8ToWide(EVariantError(L"OleStr型から Integer 型へのバリアント型変換はできません").what()));
        EXPECT_EQ(ErrorOf<EXMLError>([&] { ini.WriteInteger(key, 1); }), message);
        EXPECT_EQ(ini.ChildNodeByName(key).Attribute(L"Type"), L"") << "the failed write left Type alone";
    }
    EXPECT_TRUE(ini.XMLDocument().Modified()) << "a failed write still counts as a change";
    ini.WriteInteger(L"CData", 5);
    EXPECT_EQ(ini.ChildNodeByName(L"CData").FirstChild().Kind(), XmlNodeKind::CData);
    EXPECT_EQ(ini.ReadInteger(L"CData", 0), 5);
}

// The platform's integer conversion (VarI4FromStr under Wine and on Windows,
// the stand-in natively) agrees on the forms of a stored number: the same
// table runs on both builds.
TEST(XmlPlatformConversion, IntegerTextsConvertAsThePlatformConvertsThem) {
    struct Case {
        const wchar_t* text;
        ConvertStatus status;
        std::int32_t value = 0;
    };
    const Case cases[] = {
        {L"9", ConvertStatus::Ok, 9},
        {L" 9 ", ConvertStatus::Ok, 9},
        {L"\t11\r\n", ConvertStatus::Ok, 11},
        {L"\v9\f", ConvertStatus::Ok, 9},
        {L"\x3000" L"9\xA0", ConvertStatus::Ok, 9},
        {L"+9", ConvertStatus::Ok, 9},
        {L"- 9", ConvertStatus::Ok, -9},
        {L"9-", ConvertStatus::Ok, -9},
        {L"(9)", ConvertStatus::Ok, -9},
        {L"09", ConvertStatus::Ok, 9},
        {L"1,000", ConvertStatus::Ok, 1000},
        {L"9.5", ConvertStatus::Ok, 10},
        {L"10.5", ConvertStatus::Ok, 10},
        {L"&H1F", ConvertStatus::Ok, 31},
        {L" &o17 ", ConvertStatus::Ok, 15},
        {L"2147483647", ConvertStatus::Ok, 2147483647},
        {L"-2147483648", ConvertStatus::Ok, std::numeric_limits<std::int32_t>::min()},
        {L"2147483648", ConvertStatus::Overflow},
        {L"-2147483649", ConvertStatus::Overflow},
        {L"", ConvertStatus::TypeMismatch},
        {L" \t", ConvertStatus::TypeMismatch},
        {L"9a", ConvertStatus::TypeMismatch},
        {L"1 000", ConvertStatus::TypeMismatch},
        {L"0x1F", ConvertStatus::TypeMismatch},
        {L"\xFF19", ConvertStatus::TypeMismatch},
    };
    for (const Case& c : cases) {
        const PlatformInt32 r = PlatformI4FromStr(c.text);
        EXPECT_EQ(r.status, c.status) << WideToUtf8(c.text);
        if (c.status == ConvertStatus::Ok) {
            EXPECT_EQ(r.value, c.value) << WideToUtf8(c.text);
        }
    }
}

}  // namespace
}  // namespace velnor
