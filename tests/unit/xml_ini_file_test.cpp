// The settings store as a document: files it creates and rewrites, location
// paths, node operations and when the file is written.
#include "xmlinifiles/xml_ini_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#else
#include <io.h>
#include <sys/stat.h>
#endif

#include "platform/errors.h"
#include "xml_test_support.h"
#include "xmlinifiles/list_index_error.h"

namespace velnor {
namespace {

using xmltest::Lines;
using xmltest::ReadRaw;
using xmltest::WriteRaw;

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

class XmlIniFile : public ::testing::Test {
protected:
    // The main window's two sequences.
    void StartSequence() {
        TXMLIniFile ini(path_);
        ASSERT_TRUE(ini.OpenNode(L"/Window", true));
        EXPECT_EQ(ini.ReadInteger(L"Left", -1), -1);
        EXPECT_EQ(ini.ReadInteger(L"Top", -1), -1);
        EXPECT_EQ(ini.ReadInteger(L"Width", -1), -1);
        EXPECT_EQ(ini.ReadInteger(L"Height", -1), -1);
        EXPECT_EQ(ini.ReadString(L"SSID", L"none"), L"none");
        ini.CloseNode();
    }
    void CloseSequence(int left, const std::wstring& ssid) {
        TXMLIniFile ini(path_);
        ASSERT_TRUE(ini.OpenNode(L"/Window", true));
        ini.WriteInteger(L"Left", left);
        ini.WriteInteger(L"Top", 20);
        ini.WriteInteger(L"Width", 400);
        ini.WriteInteger(L"Height", 300);
        ini.WriteString(L"SSID", ssid);
        ini.CloseNode();
        ini.UpdateFile();
    }

    xmltest::TempFolder folder_;
    std::wstring path_ = folder_.File("Velnor.xml");
};

TEST_F(XmlIniFile, ANewFileIsWrittenAtOnce) {
    TXMLIniFile ini(path_);
    EXPECT_EQ(Lines(ReadRaw(path_)), (std::vector<std::string>{kDeclaration, "<root/>"}));
    EXPECT_FALSE(ini.XMLDocument().Modified());
    EXPECT_EQ(ini.CurrentLocationPath(), L"/");
    EXPECT_EQ(ini.CurrentNode(), ini.RootNode());
    EXPECT_EQ(ini.RootNodeName(), L"root");
}

TEST_F(XmlIniFile, FirstStartThenFirstCloseGiveTheIndentedLayout) {
    StartSequence();
    EXPECT_EQ(Lines(ReadRaw(path_)), (std::vector<std::string>{kDeclaration, "<root/>"}));
    CloseSequence(100, L" Home & <Office>");
    const std::vector<std::string> expected{
        kDeclaration,
        "<root>",
        "\t<Window>",
        "\t\t<Left Type=\"9\">100</Left>",
        "\t\t<Top Type=\"9\">20</Top>",
        "\t\t<Width Type=\"9\">400</Width>",
        "\t\t<Height Type=\"9\">300</Height>",
        "\t\t<SSID Type=\"10\"> Home &amp;amp; &amp;lt;Office&amp;gt;</SSID>",
        "\t</Window>",
        "</root>",
    };
    EXPECT_EQ(Lines(ReadRaw(path_)), expected);

    // A later start reads everything back and writes nothing.
    const std::string before = ReadRaw(path_);
    {
        TXMLIniFile ini(path_);
        ASSERT_TRUE(ini.OpenNode(L"/Window", true));
        EXPECT_EQ(ini.ReadInteger(L"Left", -1), 100);
        EXPECT_EQ(ini.ReadString(L"SSID", L""), L" Home & <Office>");
        EXPECT_FALSE(ini.XMLDocument().Modified());
    }
    EXPECT_EQ(ReadRaw(path_), before);

    // A later close rewrites the file without the indentation text.
    CloseSequence(-7, L"Cafe");
    EXPECT_EQ(Lines(ReadRaw(path_)),
              (std::vector<std::string>{kDeclaration,
                                        "<root><Window><Left Type=\"9\">-7</Left><Top Type=\"9\">20</Top>"
                                        "<Width Type=\"9\">400</Width><Height Type=\"9\">300</Height>"
                                        "<SSID Type=\"10\">Cafe</SSID></Window></root>"}));
}

TEST_F(XmlIniFile, WithoutAFileNameNothingIsEverWritten) {
    const auto before = folder_.Entries();
    TXMLIniFile ini(L"");
    EXPECT_TRUE(ini.XMLDocument().Modified());
    ini.WriteInteger(L"Left", 1);
    ini.UpdateFile();
    EXPECT_TRUE(ini.XMLDocument().Modified());
    EXPECT_EQ(ini.ReadInteger(L"Left", 0), 1);
    EXPECT_EQ(folder_.Entries(), before);
}

TEST_F(XmlIniFile, UpdateFileWritesOnlyAfterAChange) {
    TXMLIniFile ini(path_);
    // Replaced behind the store's back, so any write would show.
    WriteRaw(path_, "marker");
    ini.UpdateFile();
    EXPECT_EQ(ReadRaw(path_), "marker");
    EXPECT_EQ(ini.ReadInteger(L"missing", 5), 5);
    EXPECT_FALSE(ini.NodeExists(L"missing"));
    ini.UpdateFile();
    EXPECT_EQ(ReadRaw(path_), "marker");
    EXPECT_TRUE(ini.DeleteNode(L"missing"));
    EXPECT_FALSE(ini.XMLDocument().Modified());

    ini.WriteInteger(L"Left", 1);
    ini.UpdateFile();
    EXPECT_FALSE(ini.XMLDocument().Modified());
    const std::string once = ReadRaw(path_);
    EXPECT_NE(once, "marker");
    // The same value again still counts as a change.
    WriteRaw(path_, "marker");
    ini.WriteInteger(L"Left", 1);
    EXPECT_TRUE(ini.XMLDocument().Modified());
    ini.UpdateFile();
    EXPECT_EQ(ReadRaw(path_), once);
}

// A change made through a node the store handed out counts as much as one
// made through the store: UpdateFile writes it.
TEST_F(XmlIniFile, ChangesThroughANodeReferenceMarkTheDocumentModified) {
    const struct {
        const char* what;
        void (*change)(TXMLIniFile&);
        const char* written;
    } cases[] = {
        {"an attribute", [](TXMLIniFile& ini) { ini.ChildNodeByName(L"Left").SetAttribute(L"Type", L"3"); },
         "<Left Type=\"3\">1</Left>"},
        {"a new attribute", [](TXMLIniFile& ini) { XmlNode root = ini.RootNode(); root.SetAttribute(L"v", L"2"); }, "<root v=\"2\">"},
        {"a text value", [](TXMLIniFile& ini) { ini.ChildNodeByName(L"Left").FirstChild().SetNodeValue(L"7"); },
         "<Left Type=\"9\">7</Left>"},
        {"a comment", [](TXMLIniFile& ini) { ini.ChildNodeByName(L"#comment").SetNodeValue(L" new "); },
         "<!-- new -->"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRaw(path_, kDeclaration + "\r\n<root><!--c--><Left Type=\"9\">1</Left></root>\r\n");
        TXMLIniFile ini(path_);
        ASSERT_FALSE(ini.XMLDocument().Modified());
        // Replaced behind the store's back, so that only a write can change it.
        WriteRaw(path_, "marker");
        c.change(ini);
        EXPECT_TRUE(ini.XMLDocument().Modified());
        ini.UpdateFile();
        EXPECT_NE(ReadRaw(path_).find(c.written), std::string::npos) << ReadRaw(path_);
    }
}

TEST_F(XmlIniFile, DestroyingWithoutUpdateFileKeepsTheFile) {
    CloseSequence(1, L"a");
    const std::string before = ReadRaw(path_);
    {
        TXMLIniFile ini(path_);
        ini.OpenNode(L"/Window/Deeper", true);
        ini.WriteString(L"x", L"y");
        ini.DeleteNode(L"Window", ini.RootNode());
    }
    EXPECT_EQ(ReadRaw(path_), before);
}

TEST_F(XmlIniFile, ALoadedRootOfAnyNameWorksAndPrefixedNamesMatchByLocalName) {
    WriteRaw(path_, "<settings><v:Window><Left Type=\"9\">5</Left></v:Window></settings>");
    TXMLIniFile ini(path_);
    EXPECT_EQ(ini.RootNodeName(), L"settings");
    ASSERT_TRUE(ini.OpenNode(L"/Window", false));
    EXPECT_EQ(ini.ReadInteger(L"Left", 0), 5);
    EXPECT_EQ(ini.CurrentNode().NodeName(), L"v:Window");
    EXPECT_FALSE(ini.NodeExists(L"/settings"));
}

TEST_F(XmlIniFile, OpenNodeFollowsPathsAndChangesNothingWhenItFails) {
    WriteRaw(path_, "<root><Window><Pane/></Window><a.b/></root>");
    TXMLIniFile ini(path_);
    struct Step {
        const wchar_t* path;
        bool found;
        const wchar_t* currentPath;  // after the step
        const wchar_t* currentName;
    };
    const Step steps[] = {
        {L"Window", true, L"/Window/", L"Window"},
        {L"Pane", true, L"/Window/Pane/", L"Pane"},
        {L"", true, L"/Window/Pane/", L"Pane"},
        {L"..", false, L"/Window/Pane/", L"Pane"},
        {L"/window", false, L"/Window/Pane/", L"Pane"},
        {L"/Window//Pane", false, L"/Window/Pane/", L"Pane"},
        {L"/\"Window\"/Pane/", true, L"/\"Window\"/Pane/", L"Pane"},
        {L"/", true, L"/", L"root"},
        {L"a.b", true, L"/a.b/", L"a.b"},
        {L"/Window/", true, L"/Window/", L"Window"},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(ini.NodeExists(s.path), s.found) << s.path;
        EXPECT_EQ(ini.OpenNode(s.path, false), s.found) << s.path;
        EXPECT_EQ(ini.CurrentLocationPath(), s.currentPath) << s.path;
        EXPECT_EQ(ini.CurrentNode().NodeName(), s.currentName) << s.path;
        ini.CloseNode();
        EXPECT_EQ(ini.CurrentLocationPath(), s.currentPath) << "CloseNode changed the path";
    }
    EXPECT_FALSE(ini.XMLDocument().Modified());
}

TEST_F(XmlIniFile, OpenNodeCreatesEveryMissingLevel) {
    TXMLIniFile ini(path_);
    ASSERT_TRUE(ini.OpenNode(L"/A/B/C", true));
    EXPECT_EQ(ini.CurrentLocationPath(), L"/A/B/C/");
    EXPECT_EQ(ini.CurrentNode().NodeName(), L"C");
    EXPECT_EQ(ini.CurrentNode().ParentNode().NodeName(), L"B");
    EXPECT_EQ(ini.CurrentNode().ParentNode().ParentNode().NodeName(), L"A");
    ASSERT_TRUE(ini.OpenNode(L"D", true));
    EXPECT_EQ(ini.CurrentLocationPath(), L"/A/B/C/D/");
    ini.OpenNode(L"/A", true);
    EXPECT_EQ(ini.ChildNodesCount(), 4) << "B and its indentation, no second B";
    ini.WriteInteger(L"v", 1, ini.FindNodeByPath(L"/A/B/C/D"));
    ini.UpdateFile();
    EXPECT_EQ(Lines(ReadRaw(path_)),
              (std::vector<std::string>{kDeclaration, "<root>", "\t<A>", "\t\t<B>", "\t\t\t<C>", "\t\t\t\t<D>",
                                        "\t\t\t\t\t<v Type=\"9\">1</v>", "\t\t\t\t</D>", "\t\t\t</C>", "\t\t</B>",
                                        "\t</A>", "</root>"}));
}

TEST_F(XmlIniFile, OpenNodeWithABadNameKeepsTheLevelsItAppended) {
    TXMLIniFile ini(path_);
    ini.OpenNode(L"/Window", true);
    for (const wchar_t* bad : {L"/New/a b/c", L"/New//c", L"/New/\"q\"\"x\"/c"}) {
        EXPECT_THROW(ini.OpenNode(bad, true), EXMLError) << bad;
        EXPECT_EQ(ini.CurrentLocationPath(), L"/Window/");
        EXPECT_EQ(ini.CurrentNode().NodeName(), L"Window");
    }
    EXPECT_TRUE(ini.NodeExists(L"/New"));
    EXPECT_FALSE(ini.NodeExists(L"/New/c"));
    EXPECT_TRUE(ini.XMLDocument().Modified());
    std::vector<std::wstring> names;
    ini.GetNodeNames(names, ini.FindNodeByPath(L"/New"));
    EXPECT_TRUE(names.empty()) << "no element was appended under New";
}

TEST_F(XmlIniFile, CreateAndDeleteNodeReportFailureOnlyAsFalse) {
    TXMLIniFile ini(path_);
    EXPECT_TRUE(ini.CreateNode(L"Item"));
    EXPECT_TRUE(ini.CreateNode(L"Item"));
    ini.WriteInteger(L"n", 1, ini.ChildNodes(5));
    EXPECT_EQ(ini.ReadInteger(L"n", 0, ini.ChildNodeByName(L"Item")), 0) << "lookups find the first Item";
    EXPECT_EQ(ini.ReadInteger(L"n", 0, ini.ChildNodes(5)), 1);
    EXPECT_FALSE(ini.CreateNode(L"a b"));
    EXPECT_FALSE(ini.CreateNode(L""));
    EXPECT_FALSE(ini.CreateNode(L"x", ini.ChildNodes(0)));  // a text node holds no elements

    EXPECT_TRUE(ini.DeleteNode(L"Item"));
    EXPECT_EQ(ini.ReadInteger(L"n", 0, ini.ChildNodeByName(L"Item")), 1) << "the second Item is now the first";
    EXPECT_TRUE(ini.DeleteNode(L"Item"));
    EXPECT_FALSE(ini.NodeExists(L"Item"));
    std::vector<std::wstring> names;
    ini.GetNodeNames(names);
    EXPECT_EQ(names, std::vector<std::wstring>(5, L"#text")) << "indentation text stays";
}

// The nodes beside the root element: each can be deleted through the
// document node; the root element itself cannot, nor can a second one be
// added, since either would leave a file that cannot be read.
TEST_F(XmlIniFile, DeleteNodeRemovesTopLevelNodesButKeepsOneRootElement) {
    const std::string file = kDeclaration + "\r\n<!--note-->\r\n<?app data?>\r\n<root><a/></root>\r\n";
    struct Case {
        const wchar_t* name;
        bool result;
        std::vector<std::string> lines;  // the file afterwards
    };
    const Case cases[] = {
        {L"xml", true, {"<!--note-->", "<?app data?>", "<root><a/></root>"}},
        {L"#comment", true, {kDeclaration, "<?app data?>", "<root><a/></root>"}},
        {L"app", true, {kDeclaration, "<!--note-->", "<root><a/></root>"}},
        {L"missing", true, {kDeclaration, "<!--note-->", "<?app data?>", "<root><a/></root>"}},
        {L"root", false, {kDeclaration, "<!--note-->", "<?app data?>", "<root><a/></root>"}},
    };
    for (const Case& c : cases) {
        WriteRaw(path_, file);
        {
            TXMLIniFile ini(path_);
            const XmlNode document = ini.XMLDocument().DocumentNode();
            const XmlNode target = document.FirstChildNamed(c.name);
            EXPECT_EQ(ini.DeleteNode(c.name, document), c.result) << c.name;
            if (c.result && target) {
                EXPECT_TRUE(target.ParentNode().IsNull()) << c.name;
                EXPECT_TRUE(document.FirstChildNamed(c.name).IsNull()) << c.name;
                EXPECT_EQ(target.NodeName(), c.name) << "the handle stays usable";
            }
            EXPECT_FALSE(ini.CreateNode(L"second", document)) << c.name;
            EXPECT_EQ(ini.RootNodeName(), L"root");
            ini.WriteInteger(L"v", 1, ini.ChildNodeByName(L"a"));
            ini.UpdateFile();
        }
        std::vector<std::string> expected = c.lines;
        expected.back() = "<root><a>";
        expected.insert(expected.end(), {"\t\t<v Type=\"9\">1</v>", "\t</a></root>"});
        EXPECT_EQ(Lines(ReadRaw(path_)), expected) << c.name;
        TXMLIniFile again(path_);
        EXPECT_EQ(again.ReadInteger(L"v", 0, again.ChildNodeByName(L"a")), 1) << c.name;
    }
}

// A character that no XML document may hold would make the file unreadable;
// the write is refused before anything changes.
TEST_F(XmlIniFile, WritesOfCharactersXmlCannotHoldAreRefused) {
    TXMLIniFile ini(path_);
    for (const std::wstring& bad : {std::wstring(L"a\x01"), std::wstring(L"\xFFFF"), std::wstring(1, L'\0'),
                                   std::wstring(1, static_cast<wchar_t>(0xDC00))}) {
        EXPECT_THROW(ini.WriteString(L"SSID", bad), EXMLError);
        EXPECT_FALSE(ini.NodeExists(L"SSID"));
        EXPECT_FALSE(ini.XMLDocument().Modified());
    }
    ini.WriteString(L"SSID", L"tab\tline\ncr\r \xD83D\xDE00");
    EXPECT_THROW(ini.ChildNodeByName(L"SSID").SetAttribute(L"Type", L"\x1B"), EXMLError);
    EXPECT_THROW(ini.ChildNodeByName(L"SSID").FirstChild().SetNodeValue(L"\x7F\x08"), EXMLError);
    EXPECT_TRUE(ini.XMLDocument().DocumentNode().AppendText(L"x").IsNull()) << "no text beside the root element";
    ini.UpdateFile();
    TXMLIniFile again(path_);
    EXPECT_EQ(again.ReadString(L"SSID", L""), L"tab\tline\ncr\n \xD83D\xDE00");
}

TEST_F(XmlIniFile, DeletedCurrentNodeStaysCurrentButNeverReachesTheFile) {
    TXMLIniFile ini(path_);
    ini.OpenNode(L"/Window/Inner", true);
    const XmlNode inner = ini.CurrentNode();
    ASSERT_TRUE(ini.DeleteNode(L"Window", ini.RootNode()));
    EXPECT_EQ(ini.CurrentNode(), inner);
    EXPECT_EQ(ini.CurrentLocationPath(), L"/Window/Inner/");
    ini.WriteString(L"Lost", L"value");
    EXPECT_EQ(ini.ReadString(L"Lost", L""), L"value");
    EXPECT_FALSE(ini.NodeExists(L"/Window"));
    ini.UpdateFile();
    EXPECT_EQ(Lines(ReadRaw(path_)), (std::vector<std::string>{kDeclaration, "<root>", "\t", "</root>"}));
}

TEST_F(XmlIniFile, ChildListsCountEveryNodeAndReportBadLookups) {
    WriteRaw(path_, "<root><Window><Left Type=\"9\">1</Left><Top Type=\"9\">2</Top></Window></root>");
    TXMLIniFile ini(path_);
    ini.OpenNode(L"Window", true);
    EXPECT_EQ(ini.ChildNodesCount(), 2);
    EXPECT_TRUE(ini.HasChildNodes());
    EXPECT_TRUE(ini.HasChildNodes(ini.ChildNodes(0))) << "a value element holds its text";
    std::vector<std::wstring> names{L"kept"};
    ini.GetNodeNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"kept", L"Left", L"Top"}));
    ini.WriteInteger(L"Width", 3);
    names.clear();
    ini.GetNodeNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Left", L"Top", L"#text", L"Width", L"#text"}));
    EXPECT_EQ(ini.ChildNodes(4).NodeValue(), L"\n\t");
    for (int bad : {5, -1}) {
        try {
            ini.ChildNodes(bad);
            ADD_FAILURE() << bad;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), L"リストのインデックスが範囲を超えています (" + std::to_wstring(bad) + L")");
        }
    }
    try {
        ini.ChildNodeByName(L"left");
        ADD_FAILURE();
    } catch (const EXMLError& e) {
        EXPECT_EQ(e.Message(), L"ノード \"left\" が見つかりません");
    }
    EXPECT_FALSE(ini.HasChildNodes(ini.FindOrAddChildNode(L"Empty")));
}

TEST_F(XmlIniFile, WhitespaceOnlyValuesAreGoneAfterAReload) {
    {
        TXMLIniFile ini(path_);
        ini.WriteString(L"Blank", L" \t ");
        EXPECT_EQ(ini.ReadString(L"Blank", L"x"), L" \t ");
        ini.UpdateFile();
    }
    TXMLIniFile ini(path_);
    EXPECT_EQ(ini.ReadString(L"Blank", L"x"), L"");
    EXPECT_FALSE(ini.HasChildNodes(ini.ChildNodeByName(L"Blank")));
}

TEST_F(XmlIniFile, FilesThatCannotBeReadOrCreatedGiveNoStore) {
    WriteRaw(path_, "<root><a></root>");
    EXPECT_THROW(TXMLIniFile{path_}, EXMLError);
    EXPECT_EQ(ReadRaw(path_), "<root><a></root>");

    const std::wstring inMissingFolder = folder_.File("missing") + L"/Velnor.xml";
    try {
        TXMLIniFile ini(inMissingFolder);
        FAIL() << "created a file in a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find(inMissingFolder), std::wstring::npos);
    }

    // A directory of that name is no settings file: the store tries to create
    // one and fails.
    std::filesystem::create_directory(xmltest::NativePath(folder_.File("dir.xml")));
    EXPECT_THROW(TXMLIniFile{folder_.File("dir.xml")}, EFCreateError);
}

// The file is replaced only after the new content is complete: a reader of
// the old file keeps the old content, and a failed write leaves it intact.
TEST_F(XmlIniFile, UpdateFileReplacesTheFileOnlyAfterACompleteWrite) {
    CloseSequence(1, L"old");
    const std::string old = ReadRaw(path_);
#ifndef _WIN32
    const std::wstring alias = folder_.File("alias.xml");
    ASSERT_EQ(::link(xmltest::NativePath(path_).c_str(), xmltest::NativePath(alias).c_str()), 0);
    CloseSequence(2, L"new");
    EXPECT_EQ(ReadRaw(alias), old) << "the old file was overwritten in place";
    EXPECT_NE(ReadRaw(path_), old);
    std::filesystem::remove(xmltest::NativePath(alias));
    WriteRaw(path_, old);
#endif
    TXMLIniFile ini(path_);
    ini.OpenNode(L"/Window", false);
    ini.WriteString(L"SSID", std::wstring(200000, L'x'));
    const auto entries = folder_.Entries();
#ifndef _WIN32
    // A full disk, as the kernel reports it to a process over its file size
    // limit.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_THROW(ini.UpdateFile(), EFCreateError);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);
#else
    // Windows refuses to replace a read-only file.
    ASSERT_EQ(_wchmod(path_.c_str(), _S_IREAD), 0);
    EXPECT_THROW(ini.UpdateFile(), EFCreateError);
    _wchmod(path_.c_str(), _S_IREAD | _S_IWRITE);
#endif
    EXPECT_EQ(ReadRaw(path_), old);
    EXPECT_EQ(folder_.Entries(), entries) << "a temporary file was left behind";
    EXPECT_TRUE(ini.XMLDocument().Modified());
    ini.UpdateFile();
    TXMLIniFile again(path_);
    EXPECT_EQ(again.ReadString(L"SSID", L"", again.ChildNodeByName(L"Window")).size(), 200000u);
}

}  // namespace
}  // namespace velnor
