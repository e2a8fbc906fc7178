// The pugixml adapter under the store: DOM names, name rules, parse errors,
// encodings, and files written to take the program down.
#include "xmlinifiles/xml_document.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/errors.h"
#include "platform/utf.h"
#include "xml_malformed_cases.h"
#include "xml_test_support.h"
#include "xmlinifiles/xml_ini_file.h"
#include "xmlinifiles/xml_names.h"

namespace velnor {
namespace {

using xmltest::TempFolder;

std::wstring LoadError(std::string_view bytes) {
    XmlDocument doc;
    try {
        doc.LoadFromBytes(bytes);
    } catch (const EXMLError& e) {
        return e.Message();
    }
    return L"(loaded)";
}

// "reason CR LF 行: line CR LF text": the parts after the reason.
std::wstring Tail(const std::wstring& message) {
    const size_t first = message.find(L"\r\n");
    return first == std::wstring::npos ? message : message.substr(first);
}

TEST(XmlDocument, NodesCarryTheirDomNames) {
    XmlDocument doc;
    doc.LoadFromBytes("<?xml version=\"1.0\"?><r><a:Item/>text<![CDATA[c]]><!--n--><?app data?><plain/></r>");
    const XmlNode root = doc.DocumentElement();
    std::vector<std::wstring> names;
    for (XmlNode c = root.FirstChild(); c; c = c.NextSibling()) names.push_back(c.NodeName());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a:Item", L"#text", L"#cdata-section", L"#comment", L"app", L"plain"}));
    EXPECT_EQ(doc.DocumentNode().FirstChild().NodeName(), L"xml");
    EXPECT_EQ(root.ChildAt(0).LocalName(), L"Item");
    EXPECT_EQ(root.ChildAt(1).LocalName(), L"");
    EXPECT_EQ(root.ChildAt(1).NodeValue(), L"text");

    // Lookups by name: exact DOM name first, an element's local name too,
    // and the empty name never.
    EXPECT_EQ(root.FirstChildNamed(L"Item"), root.ChildAt(0));
    EXPECT_EQ(root.FirstChildNamed(L"a:Item"), root.ChildAt(0));
    EXPECT_EQ(root.FirstChildNamed(L"#comment"), root.ChildAt(3));
    EXPECT_TRUE(root.FirstChildNamed(L"").IsNull());
    EXPECT_TRUE(root.FirstChildNamed(L"item").IsNull());
    EXPECT_TRUE(root.FirstChildNamed(L"a").IsNull());
}

TEST(XmlDocument, OnlyXmlNamesBecomeElements) {
    for (const wchar_t* ok : {L"root", L"Window", L"_x", L"a-b.c", L"a:b", L"設定", L"x1", L"a.."})
        EXPECT_TRUE(IsXmlName(ok)) << ok;
    for (const wchar_t* bad : {L"", L"a b", L"1a", L"-a", L".", L"..", L"..a", L"a/b", L"\"q\"", L"a<b", L"a&b", L"\t"})
        EXPECT_FALSE(IsXmlName(bad)) << bad;
    // A character beyond the BMP, as a surrogate pair, and a lone surrogate.
    EXPECT_TRUE(IsXmlName(Utf8ToWide("\xF0\x90\x80\x80x")));
    EXPECT_FALSE(IsXmlName(std::wstring(1, static_cast<wchar_t>(0xD800))));

    XmlDocument doc;
    doc.LoadFromBytes("<r/>");
    EXPECT_THROW(doc.AppendElement(doc.DocumentElement(), L"a b"), EXMLError);
    EXPECT_THROW(doc.AppendElement(doc.DocumentElement(), L""), EXMLError);
    EXPECT_FALSE(doc.DocumentElement().HasChildNodes());
    EXPECT_FALSE(doc.Modified());
}

TEST(XmlDocument, ParseErrorsNameTheLineAndShowItsStart) {
    struct Case {
        const char* bytes;
        const wchar_t* tail;
    };
    const Case cases[] = {
        {"<root><a></b></root>", L"\r\n行: 1\r\n<root><a></b></root>"},
        {"<?xml version=\"1.0\"?>\r\n<root>\r\n  <a x=1/>\r\n</root>", L"\r\n行: 3\r\n  <a x=1/>"},
        {"<r>\n\n<" , L"\r\n行: 3\r\n<"},
        {"<r>\r\r<a></r>", L"\r\n行: 3\r\n<a></r>"},
        {"", L"\r\n行: 1\r\n"},
        {"<r>\n<\xE8\xA8\xAD\xE5\xAE\x9A x></r>", L"\r\n行: 2\r\n<設定 x></r>"},
    };
    for (const Case& c : cases) {
        const std::wstring message = LoadError(c.bytes);
        EXPECT_EQ(Tail(message), c.tail) << c.bytes;
        EXPECT_GT(message.find(L"\r\n"), 0u) << "a reason comes first: " << c.bytes;
    }
    // Only the first 40 characters of the failing line are shown.
    const std::string longLine = "<r>\n<" + std::string(60, 'a');
    EXPECT_EQ(Tail(LoadError(longLine)), L"\r\n行: 2\r\n<" + std::wstring(39, L'a'));
    EXPECT_EQ(LoadError("<r><a></b></r>"), L"終了タグが開始タグと一致しません\r\n行: 1\r\n<r><a></b></r>");
}

TEST(XmlDocument, WhatXmlForbidsIsRefusedWithThePlaceOfTheFault) {
    for (const xmltest::MalformedCase& c : xmltest::kMalformed) EXPECT_EQ(LoadError(c.bytes), c.message) << c.bytes;
}

// Comments hold whatever text they like, a document type declaration's
// included; the first "-->" behind the opening "<!--" ends them.
TEST(XmlDocument, CommentsThatLookLikeDeclarationsLoad) {
    for (const char* bytes :
         {"<!--><!DOCTYPE--><r/>", "<!---><!DOCTYPE r>-->\n<r/>", "<?xml version=\"1.0\"?><!-- <!DOCTYPE r> --><r/>"}) {
        XmlDocument doc;
        EXPECT_NO_THROW(doc.LoadFromBytes(bytes)) << bytes;
        EXPECT_EQ(doc.DocumentElement().NodeName(), L"r") << bytes;
    }
}

TEST(XmlDocument, UnsupportedDeclaredEncodingsAreRefusedRatherThanDamaged) {
    const std::wstring message = LoadError("<?xml version=\"1.0\" encoding=\"x-unknown\"?>\n<r/>");
    EXPECT_EQ(message, L"文字エンコード \"x-unknown\" には対応していません\r\n行: 1\r\n<?xml version=\"1.0\" encoding=\"x-unknown\"");
    // Behind a byte-order mark the label is only known once the file is read.
    const std::wstring utf16 = LoadError("\xFF\xFE" + WideToUtf16Le(L"<?xml version=\"1.0\" encoding=\"UTF-32\"?><r/>"));
    EXPECT_EQ(utf16, L"文字エンコード \"UTF-32\" には対応していません\r\n行: 1\r\n<?xml version=\"1.0\" encoding=\"UTF-32\"?><");
    // Bytes the store cannot read are not blamed on UTF-8.
    EXPECT_EQ(LoadError("<?xml version=\"1.0\" encoding=\"x-mac-japanese\"?><r>\x82\xA0</r>"),
              L"文字エンコード \"x-mac-japanese\" には対応していません\r\n行: 1\r\n<?xml version=\"1.0\" encoding=\"x-mac-japa");
    EXPECT_EQ(LoadError("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>"), L"(loaded)");
}

TEST(XmlDocument, RemovedNodesStayUsableAndAreNeverWritten) {
    XmlDocument doc;
    doc.LoadFromBytes("<r><keep/><gone><inner>v</inner></gone></r>");
    XmlNode gone = doc.DocumentElement().ChildAt(1);
    doc.RemoveChild(gone);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(gone.NodeName(), L"gone");
    EXPECT_TRUE(gone.ParentNode().IsNull());
    doc.AppendElement(gone, L"more");
    gone.FirstChild().FirstChild().SetNodeValue(L"changed");
    EXPECT_EQ(doc.SaveToBytes(), "<r><keep/></r>\r\n");
    EXPECT_EQ(doc.DocumentNode().ChildCount(), 1);
}

// Files made to hurt: each loads without expanding or fetching anything, or
// fails with the parse-error message; none crashes, hangs or eats memory.
class XmlHostileFile : public ::testing::Test {
protected:
    // The store's message for a file it must refuse, which it leaves as it is.
    std::wstring RefusalOf(const std::string& bytes) {
        xmltest::WriteRaw(path_, bytes);
        std::wstring message = L"(loaded)";
        try {
            TXMLIniFile ini(path_);
        } catch (const EXMLError& e) {
            message = e.Message();
        }
        EXPECT_EQ(xmltest::ReadRaw(path_), bytes) << "the file is left as it is";
        return message;
    }

    TempFolder folder_;
    std::wstring path_ = folder_.File("Velnor.xml");
};

// Declared entities, attribute defaults and external entities would be read
// as literal text and dropped by the next write, so a document type
// declaration, however harmless or hostile, refuses the file.
TEST_F(XmlHostileFile, DocumentTypeDeclarationsAreRefusedAndTheFileLeftAsItIs) {
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n";
    for (int i = 1; i <= 9; ++i) {
        laughs += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) laughs += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<root><Window><Name Type=\"10\">&lol9;</Name></Window></root>";
    struct Case {
        std::string bytes;
        const wchar_t* tail;
    };
    const Case cases[] = {
        {"<!DOCTYPE root [<!ENTITY net \" Office\">]>\r\n<root><Window><SSID Type=\"10\">&net;</SSID></Window></root>",
         L"\r\n行: 1\r\n<!DOCTYPE root [<!ENTITY net \" Office\">]"},
        {laughs, L"\r\n行: 2\r\n<!DOCTYPE lolz ["},
        {"<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]><root><v>&xxe;</v></root>",
         L"\r\n行: 1\r\n<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTI"},
        {"<?xml version=\"1.0\"?>\n<!-- settings -->\n<?app x?>\n<!DOCTYPE root [<!ATTLIST SSID Type CDATA \"10\">]><root/>",
         L"\r\n行: 4\r\n<!DOCTYPE root [<!ATTLIST SSID Type CDAT"},
        // Rubbish in the internal subset that the engine would skip unread.
        {"<!DOCTYPE root [ <<>> & ]><root/>", L"\r\n行: 1\r\n<!DOCTYPE root [ <<>> & ]><root/>"},
        {"\xFF\xFE" + WideToUtf16Le(L"<!DOCTYPE root><root/>"), L"\r\n行: 1\r\n<!DOCTYPE root><root/>"},
        // Behind a comment whose first dashes are those of its own opening.
        {"<!-->-->\n<!DOCTYPE root><root/>", L"\r\n行: 2\r\n<!DOCTYPE root><root/>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RefusalOf(c.bytes), std::wstring(L"文書型宣言 (DOCTYPE) は使用できません") + c.tail) << c.bytes;
}

TEST_F(XmlHostileFile, DeepNestingLoadsAndWritesBack) {
    constexpr int kDepth = 100000;
    std::string deep = "<root>";
    for (int i = 0; i < kDepth; ++i) deep += "<a>";
    for (int i = 0; i < kDepth; ++i) deep += "</a>";
    deep += "</root>";
    xmltest::WriteRaw(path_, deep);
    TXMLIniFile ini(path_);
    std::wstring path = L"/";
    for (int i = 0; i < 1000; ++i) path += L"a/";
    EXPECT_TRUE(ini.NodeExists(path));
    ini.WriteInteger(L"x", 1);
    ini.UpdateFile();
    std::string expected = "<root>";
    for (int i = 1; i < kDepth; ++i) expected += "<a>";
    expected += "<a/>";
    for (int i = 1; i < kDepth; ++i) expected += "</a>";
    expected += "\t<x Type=\"9\">1</x>\n</root>\r\n";
    EXPECT_TRUE(xmltest::ReadRaw(path_) == expected);
}

TEST_F(XmlHostileFile, OversizedFilesAreRefusedBeforeParsing) {
    const std::string item = "<item Type=\"10\">some value</item>";
    std::string big = "<root>";
    big.reserve(50u << 20);
    while (big.size() < (50u << 20)) big += item;
    big += "</root>";
    xmltest::WriteRaw(path_, big);
    try {
        TXMLIniFile ini(path_);
        FAIL() << "a 50 MB file was loaded";
    } catch (const EXMLError& e) {
        EXPECT_EQ(e.Message().substr(0, e.Message().find(L"\r\n")), L"ファイルが大きすぎます");
        EXPECT_NE(e.Message().find(L"\r\n行: 1\r\n<root><item"), std::wstring::npos);
    }
}

TEST_F(XmlHostileFile, BrokenEncodingsFailWithThePlaceOfTheFault) {
    struct Case {
        std::string bytes;
        const wchar_t* tail;
        const wchar_t* reason = L"文字エンコードとして無効なデータがあります";
    };
    const Case cases[] = {
        // A lead byte without its trail byte; a byte that ASCII does not have.
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<r>\x8E\xA9\x91</r>", L"\r\n行: 2\r\n<r>",
         L"文字エンコード \"Shift_JIS\" として読めないデータがあります"},
        {"<?xml version=\"1.0\" encoding=\"us-ascii\"?>\r\n<r>\r\n<v>caf\xE9</v></r>", L"\r\n行: 3\r\n<v>caf",
         L"文字エンコード \"us-ascii\" として読めないデータがあります"},
        {std::string("<?xml version=\"1.0\" encoding=\"cp932\"?>\n<r>\0</r>", 44), L"\r\n行: 2\r\n<r>"},
        // A pair of a row that Windows-31J leaves empty.
        {"<?xml version=\"1.0\" encoding=\"windows-31j\"?>\n<r>\n<v>\x85\x40</v></r>", L"\r\n行: 3\r\n<v>",
         L"文字エンコード \"windows-31j\" として読めないデータがあります"},
        {"<root>\n<v>ab\xFF</v></root>", L"\r\n行: 2\r\n<v>ab"},
        {"<root>\n<v>\xC3</v></root>", L"\r\n行: 2\r\n<v>"},
        {"<root><v>\xED\xA0\x80</v></root>", L"\r\n行: 1\r\n<root><v>"},
        {std::string("<root>\0</root>", 14), L"\r\n行: 1\r\n<root>"},
        {std::string("\xFF\xFE<\0r\0>\0\n\0\x00\xD8<\0", 14), L"\r\n行: 2\r\n"},
        {std::string("\xFF\xFE<\0r\0/", 7), L"\r\n行: 1\r\n<r"},
    };
    for (const Case& c : cases) EXPECT_EQ(RefusalOf(c.bytes), std::wstring(c.reason) + c.tail) << c.bytes;
}

// Written back in the byte order read, behind the same mark, whether a
// declaration names UTF-16 or there is none.
TEST_F(XmlHostileFile, Utf16FilesAreReadAndWrittenBackAsUtf16) {
    const std::wstring declaration = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n";
    const std::wstring body = L"<root><Window><SSID Type=\"10\"> 自宅</SSID></Window></root>\r\n";
    struct Case {
        std::string bytes;
        const char* bom;
        std::wstring declaration;
    };
    const Case cases[] = {
        {"\xFF\xFE" + WideToUtf16Le(declaration + body), "\xFF\xFE", declaration},
        {WideToUtf16Le(declaration + body), "\xFF\xFE", declaration},
        {"\xFE\xFF" + WideToUtf16Be(declaration + body), "\xFE\xFF", declaration},
        {"\xFF\xFE" + WideToUtf16Le(body), "\xFF\xFE", L""},
        {"\xFE\xFF" + WideToUtf16Be(body), "\xFE\xFF", L""},
    };
    for (const Case& c : cases) {
        xmltest::WriteRaw(path_, c.bytes);
        {
            TXMLIniFile ini(path_);
            ASSERT_TRUE(ini.OpenNode(L"/Window", false));
            EXPECT_EQ(ini.ReadString(L"SSID", L""), L" 自宅");
            ini.WriteInteger(L"Left", 10);
            ini.UpdateFile();
        }
        const std::string written = xmltest::ReadRaw(path_);
        ASSERT_EQ(written.substr(0, 2), c.bom) << c.bytes;
        const std::wstring text = c.bom[0] == '\xFF' ? Utf16LeToWide(written.substr(2)) : Utf16BeToWide(written.substr(2));
        EXPECT_EQ(text, c.declaration + L"<root><Window><SSID Type=\"10\"> 自宅</SSID>\t<Left Type=\"9\">10</Left>\n\t</Window></root>\r\n");
        TXMLIniFile again(path_);
        EXPECT_EQ(again.ReadInteger(L"Left", 0, again.ChildNodeByName(L"Window")), 10);
    }
}

// Windows-31J holds some characters under two codes (the NEC row 13 and the
// NEC-selected IBM rows beside the IBM rows and JIS X 0208). Every one is
// read; a write gives each character its canonical code.
TEST_F(XmlHostileFile, EveryWindows31jCharacterIsReadAndWrittenBackInItsCanonicalCode) {
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"windows-31j\"?>\r\n";
    auto file = [&](std::string_view ssid) {
        return declaration + "<root><Window><SSID Type=\"10\">" + std::string(ssid) + "</SSID></Window></root>\r\n";
    };
    // ≒ (NEC row 13), ⅰ and 纊 (NEC-selected IBM), ① (NEC row 13 only),
    // ￢ (NEC-selected IBM; JIS X 0208 has it at 81 CA).
    xmltest::WriteRaw(path_, file("\x87\x90\xEE\xEF\xED\x40\x87\x40\xEE\xF9"));
    {
        TXMLIniFile ini(path_);
        ASSERT_TRUE(ini.OpenNode(L"/Window", false));
        EXPECT_EQ(ini.ReadString(L"SSID", L""), L"≒ⅰ纊①￢");
        ini.WriteString(L"SSID", ini.ReadString(L"SSID", L""));
        ini.UpdateFile();
    }
    EXPECT_EQ(xmltest::ReadRaw(path_), file("\x81\xE0\xFA\x40\xFA\x5C\x87\x40\x81\xCA"));
}

// Files in a code page are read in it and written back in it, under the
// declaration they had, as long as every character fits.
TEST_F(XmlHostileFile, DeclaredEncodingsAreReadAndWrittenBackInThem) {
    struct Case {
        const char* label;
        std::string stored;  // " 自宅" and the like in that code page
        const wchar_t* value;
    };
    const Case cases[] = {
        {"Shift_JIS", " \x8E\xA9\x91\xEE", L" 自宅"},
        {"x-sjis", " \x8E\xA9\x91\xEE", L" 自宅"},
        {"windows-31j", "\x87\x40\x81\x60", L"①～"},
        {"CP932", "\xB1\xB2", L"ｱｲ"},
        {"ISO-8859-1", "caf\xE9 \xD7", L"café ×"},
        {"latin1", "\xFF", L"ÿ"},
        {"windows-1252", "\x80" "5 \x93q\x94", L"€5 “q”"},
        {"US-ASCII", "plain", L"plain"},
    };
    for (const Case& c : cases) {
        const std::string declaration = std::string("<?xml version=\"1.0\" encoding=\"") + c.label + "\"?>\r\n";
        const std::string file = declaration + "<root><Window><SSID Type=\"10\">" + c.stored + "</SSID></Window></root>\r\n";
        xmltest::WriteRaw(path_, file);
        {
            TXMLIniFile ini(path_);
            ASSERT_TRUE(ini.OpenNode(L"/Window", false)) << c.label;
            EXPECT_EQ(ini.ReadString(L"SSID", L""), c.value) << c.label;
            ini.WriteString(L"Name", c.value);
            ini.UpdateFile();
        }
        EXPECT_EQ(xmltest::ReadRaw(path_), declaration + "<root><Window><SSID Type=\"10\">" + c.stored +
                                               "</SSID>\t<Name Type=\"10\">" + c.stored + "</Name>\n\t</Window></root>\r\n")
            << c.label;
        TXMLIniFile again(path_);
        EXPECT_EQ(again.ReadString(L"Name", L"", again.ChildNodeByName(L"Window")), c.value) << c.label;
    }
}

// XML 1.0 makes it a fatal error for a declaration to name another encoding
// than the file is in; read anyway, such a file would be rewritten in the one
// its declaration names. Behind a UTF-16 mark, "utf-8" is taken for no label.
TEST_F(XmlHostileFile, DeclarationsThatTheBytesContradictAreRefused) {
    auto utf16le = [](const wchar_t* label) {
        return "\xFF\xFE" + WideToUtf16Le(L"<?xml version=\"1.0\" encoding=\"" + std::wstring(label) + L"\"?><r>自宅</r>");
    };
    auto utf16be = [](const wchar_t* label) {
        return "\xFE\xFF" + WideToUtf16Be(L"<?xml version=\"1.0\" encoding=\"" + std::wstring(label) + L"\"?><r>自宅</r>");
    };
    auto utf8 = [](const wchar_t* label) {
        return "\xEF\xBB\xBF" + WideToUtf8(L"<?xml version=\"1.0\" encoding=\"" + std::wstring(label) + L"\"?><r>自宅</r>");
    };
    struct Case {
        std::string bytes;
        const wchar_t* label;
    };
    const Case refused[] = {
        {utf16le(L"Shift_JIS"), L"Shift_JIS"},
        {utf16le(L"UTF-16BE"), L"UTF-16BE"},
        {utf16be(L"utf-16le"), L"utf-16le"},
        {utf16be(L"ISO-8859-1"), L"ISO-8859-1"},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r/>", L"UTF-16"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-16\"?><r/>", L"utf-16"},
        // A UTF-8 mark before a code page's name: read as UTF-8, the next
        // write would turn the file into that code page.
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>caf\xC3\xA9</r>", L"ISO-8859-1"},
        {utf8(L"Shift_JIS"), L"Shift_JIS"},
        {utf8(L"windows-1252"), L"windows-1252"},
        {"\xEF\xBB\xBF<?xml version='1.0' encoding='US-ASCII'?><r>plain</r>", L"US-ASCII"},
    };
    for (const Case& c : refused) {
        const std::wstring message = RefusalOf(c.bytes);
        EXPECT_EQ(message.substr(0, message.find(L"\r\n")),
                  L"宣言された文字エンコード \"" + std::wstring(c.label) + L"\" とファイルの文字エンコードが一致しません");
        EXPECT_EQ(Tail(message).substr(0, 8), L"\r\n行: 1\r\n");
    }
    for (const std::string& accepted : {utf16le(L"utf-8"), utf16le(L"UTF-16"), utf16le(L"utf-16le"), utf16be(L"unicode"),
                                        utf16be(L"UTF-16BE"), utf8(L"UTF-8"), utf8(L"utf8")}) {
        xmltest::WriteRaw(path_, accepted);
        TXMLIniFile ini(path_);
        EXPECT_EQ(ini.RootNode().FirstChild().NodeValue(), L"自宅");
    }
}

// A character that the declared code page lacks is not replaced and not
// refused: the file turns to UTF-8 and its declaration says so.
TEST_F(XmlHostileFile, CharactersBeyondTheDeclaredEncodingTurnTheFileToUtf8) {
    struct Case {
        const char* declaration;
        std::string stored;
        const wchar_t* added;
        const char* writtenDeclaration;
    };
    const Case cases[] = {
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "caf\xE9", L" 自宅",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>"},
        {"<?xml version='1.0' encoding='Shift_JIS' standalone='yes'?>", "\x8E\xA9\x91\xEE", L"café",
         "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"},
        {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?>", "plain", L"\xD83D\xDE00",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>"},
    };
    for (const Case& c : cases) {
        xmltest::WriteRaw(path_, std::string(c.declaration) + "\r\n<root><v Type=\"10\">" + c.stored + "</v></root>\r\n");
        std::wstring before;
        {
            TXMLIniFile ini(path_);
            before = ini.ReadString(L"v", L"");
            ini.WriteString(L"w", c.added);
            ini.UpdateFile();
        }
        EXPECT_EQ(xmltest::ReadRaw(path_), std::string(c.writtenDeclaration) + "\r\n<root><v Type=\"10\">" +
                                               WideToUtf8(before) + "</v>\t<w Type=\"10\">" + WideToUtf8(c.added) +
                                               "</w>\n</root>\r\n")
            << c.declaration;
        TXMLIniFile again(path_);
        EXPECT_EQ(again.ReadString(L"v", L""), before);
        EXPECT_EQ(again.ReadString(L"w", L""), c.added);
    }
}

}  // namespace
}  // namespace velnor
