// An independent, strict XML parser (libxml2's xmllint) judges the store:
// what the store refuses as malformed it refuses too, a corpus of documents
// is judged alike by both, and whatever the store accepts, from the corpus or
// from the fuzz corpus, the store writes back as a document that xmllint
// accepts and that reads back as the same tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/libxml2_reading.h"
#endif

#include "platform/errors.h"
#include "platform/utf.h"
#include "support/xml_tree.h"
#include "xml_malformed_cases.h"
#include "xml_test_support.h"
#include "xmlinifiles/xml_ini_file.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace velnor {
namespace {

#ifndef _WIN32
// What XML 1.0 says of a document, and so what xmllint must say; the store
// agrees except where it refuses a well-formed document on purpose.
enum class Xml10 {
    WellFormed,
    Malformed,
    RefusedByTheStore,  // well-formed, but a document type declaration
};

struct CorpusCase {
    std::string bytes;
    Xml10 verdict;
};

std::string Utf16Le(std::wstring_view text) { return "\xFF\xFE" + WideToUtf16Le(text); }
std::string Utf16Be(std::wstring_view text) { return "\xFE\xFF" + WideToUtf16Be(text); }

// The differential corpus: every construct of the prolog and the body, each
// with a near miss, and the encodings the store reads.
std::vector<CorpusCase> Corpus() {
    using enum Xml10;
    return {
        // Declaration and prolog.
        {"<?xml version=\"1.0\"?><r/>", WellFormed},
        {"<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\n<r/>", WellFormed},
        {"<?xml version = \"1.0\"  encoding = \"utf-8\" ?><r/>", WellFormed},
        {"<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n<!-- c - d --><?app data?>\n"
         "<root><?pi x?><!--in--></root>\n<!-- after -->\n", WellFormed},
        {"<?xml-stylesheet href=\"a\"?><r/>", WellFormed},
        {"<?xml version=\"1.0\"encoding=\"utf-8\"?><r/>", Malformed},
        {"<?xml version=\"1.0\"?><?xml version=\"1.0\"?><r/>", Malformed},
        {"<?xml version=\"1.0\" encoding=\"\"?><r/>", Malformed},
        {"<?xml?><r/>", Malformed},
        {"<?xml version='1.0\"?><r/>", Malformed},
        {"<?xml version=\"1.0\" standalone=\"YES\"?><r/>", Malformed},
        {"\n<?xml version=\"1.0\"?><r/>", Malformed},
        // Structure.
        {"<r></r >", WellFormed},
        {"<r\n a='1'\t></r>\n\n", WellFormed},
        {"", Malformed},
        {"  \n", Malformed},
        {"<r>", Malformed},
        {"</r>", Malformed},
        {"<r></R>", Malformed},
        {"<a><b></a></b>", Malformed},
        {"<r/><r/>", Malformed},
        {"<r/ >", Malformed},
        {"< r/>", Malformed},
        {"x<r/>", Malformed},
        {"<r/>&amp;", Malformed},
        // Attributes.
        {"<r a=\"1\" b='2' c = \"'\" d='\"' e=\">\"/>", WellFormed},
        {"<r a='1' b='&quot;&#10;&#x9;&lt;&#60;&#x3c;'/>", WellFormed},
        {"<r a=1/>", Malformed},
        {"<r a/>", Malformed},
        {"<r a=\"1\"b=\"2\"/>", Malformed},
        {"<r a=\"<\"/>", Malformed},
        {"<r a=\"1\" a=\"1\"/>", Malformed},
        {"<r a=\"&\"/>", Malformed},
        {"<r a=\"&#0;\"/>", Malformed},
        // Text and references.
        {"<r>&amp;&lt;&gt;&apos;&quot;&#65;&#x42;&#x1F600;</r>", WellFormed},
        {"<r>a>b ]] ]> ] ]></r>", WellFormed},
        {"<r>\xE8\xA8\xAD\xE5\xAE\x9A ]] > \xEF\xBF\xBD</r>", WellFormed},
        {"<r>&</r>", Malformed},
        {"<r>& amp;</r>", Malformed},
        {"<r>&amp</r>", Malformed},
        {"<r>&x;</r>", Malformed},
        {"<r>&#65</r>", Malformed},
        {"<r>&#x;</r>", Malformed},
        {"<r>&#xG;</r>", Malformed},
        {"<r>&#0;</r>", Malformed},
        {"<r>&#xFFFE;</r>", Malformed},
        {"<r>]]></r>", Malformed},
        {"<r><</r>", Malformed},
        // CDATA sections.
        {"<r><![CDATA[a<&]]>b]]<![CDATA[]]><![CDATA[]]]]></r>", WellFormed},
        {"<r><![CDATA[x]></r>", Malformed},
        {"<r><![cdata[x]]></r>", Malformed},
        {"<![CDATA[x]]><r/>", Malformed},
        // Comments and processing instructions.
        {"<r><!----><!-- - --><?p?><?p data?><?p-q.r x?></r>", WellFormed},
        {"<r><!-- -- --></r>", Malformed},
        {"<r><!-- ---></r>", Malformed},
        {"<r><!- x --></r>", Malformed},
        {"<r><!--x</r>", Malformed},
        {"<r><?xml x?></r>", Malformed},
        {"<r><?XmL x?></r>", Malformed},
        {"<r><? p?></r>", Malformed},
        {"<r><?p?x?></r>", Malformed},
        // Names.
        {"<\xE8\xA8\xAD\xE5\xAE\x9A a\xC2\xB7=\"1\"><_a.b-c/><\xF0\x90\x80\x80/><a\xCC\x80/><\xEF\xBF\xBD/></\xE8\xA8\xAD\xE5\xAE\x9A>",
         WellFormed},
        {"<settings xmlns:v=\"urn:v\"><v:Window><Left Type=\"9\">5</Left></v:Window></settings>", WellFormed},
        {"<a:b:-c x:y:-z=\"1\"/>", WellFormed},
        {"<1a/>", Malformed},
        {"<-a/>", Malformed},
        {"<\xC2\xB7" "a/>", Malformed},
        {"<a\xC3\x97/>", Malformed},
        {"<r \xCC\x80" "a=\"1\"/>", Malformed},
        // Characters.
        {"<r>\t\r\n\x7F\xF4\x8F\xBF\xBF</r>", WellFormed},
        {"<r>\x0B</r>", Malformed},
        {"<r>\xEF\xBF\xBE</r>", Malformed},
        {"<r>\xC0\x80</r>", Malformed},
        {"<r>\xED\xA0\x80</r>", Malformed},
        // Encodings.
        {"\xEF\xBB\xBF<r>\xE8\xA8\xAD</r>", WellFormed},
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<root><Window><SSID Type=\"10\"> \x8E\xA9\x91\xEE</SSID></Window></root>",
         WellFormed},
        {"<?xml version=\"1.0\" encoding=\"windows-31j\"?><r>\x87\x90\xEE\xEF\xED\x40\x87\x40</r>", WellFormed},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><root><Window><SSID Type='10'>caf\xE9</SSID></Window></root>",
         WellFormed},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><root><v>\x80" "5</v></root>", WellFormed},
        {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?><root><v>plain</v></root>", WellFormed},
        {Utf16Le(L"<r>自宅</r>"), WellFormed},
        {Utf16Be(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>自宅</r>"), WellFormed},
        {"<?xml version=\"1.0\" encoding=\"windows-31j\"?><r>\x85\x40</r>", Malformed},
        {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?><r>caf\xE9</r>", Malformed},
        {"<?xml version=\"1.0\" encoding=\"x-unknown\"?><r/>", Malformed},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><r/>", Malformed},
        {Utf16Le(L"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r>自宅</r>"), Malformed},
        {Utf16Le(L"<r>\xD800</r>"), Malformed},
        {WideToUtf16Le(L"<?xml version=\"1.0\"?><r>自宅</r>"), WellFormed},
        {WideToUtf16Le(L"<r>自宅</r>"), Malformed},
        // Document type declarations: the store refuses them all.
        {"<!DOCTYPE r><r/>", RefusedByTheStore},
        {"<!DOCTYPE root [<!ENTITY net \" Office\">]><root><SSID>&net;</SSID></root>", RefusedByTheStore},
        {"<?xml version='1.0'?><!DOCTYPE r [<!ENTITY a \"aa\"><!ENTITY b \"&a;&a;\">]><r a=\"&a;\">&b;</r>",
         RefusedByTheStore},
        {"<!DOCTYPE r [<!ATTLIST r a CDATA \"x\">]><r/>", RefusedByTheStore},
        {"<!DOCTYPE r SYSTEM \"r.dtd\"><r>&e;</r>", RefusedByTheStore},
        {"<!-- c -->\n<!DOCTYPE r PUBLIC \"-//V//X\" \"r.dtd\"><r/>", RefusedByTheStore},
        // A comment ends at the first "-->" behind its "<!--", not inside it.
        {"<!--><!DOCTYPE--><r/>", WellFormed},
        {"<!---><!DOCTYPE r>--><r/>", WellFormed},
        {"<!-->--><!DOCTYPE r><r/>", RefusedByTheStore},
        {"<!DOCTYPE r [ rubbish ]><r/>", Malformed},
        {"<r/><!DOCTYPE r>", Malformed},
    };
}

struct Verdict {
    bool accepted = false;
    std::string messages;
};

// xmllint --noout on one file, ended by its process id on every path.
Verdict Xmllint(const std::filesystem::path& file, const std::filesystem::path& errors) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string name = "xmllint", noout = "--noout", nonet = "--nonet", path = file.string();
    char* argv[] = {name.data(), noout.data(), nonet.data(), path.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "xmllint", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "xmllint cannot be started; scripts/setup.sh installs it (libxml2-utils)";
        return {};
    }
    // A generous bound for a parser that normally takes milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "xmllint did not end within 60 s on " << path;
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Verdict v;
    v.accepted = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    v.messages = WideToUtf8(Utf8ToWide(xmltest::ReadRaw(xmltest::PathText(errors))));
    // A namespace error is no fault of XML 1.0 ("a:b:-c" is a legal name),
    // but xmllint cannot switch namespaces off and its namespace parser can
    // fail on what follows; libxml2 itself then reads the file without them.
    const size_t namespaceError = v.messages.find("namespace error : ");
    if (!v.accepted && namespaceError != std::string::npos && namespaceError + 9 == v.messages.find(" error : ")) {
        v.accepted = test::Libxml2Reading(xmltest::ReadRaw(xmltest::PathText(file))).WellFormed();
        v.messages += "(read again by libxml2 without namespaces)\n";
    }
    return v;
}
#endif

class XmlStrictReader : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "xmllint is a native program; the native run covers this";
#endif
    }

#ifndef _WIN32
    // The store's round trip of one accepted file: a value written, the file
    // written, xmllint's verdict on it, and the tree read back.
    void RoundTrip(const std::string& bytes, const std::string& label) {
        const std::wstring path = folder_.File("Velnor.xml");
        xmltest::WriteRaw(path, bytes);
        TXMLIniFile ini(path);
        ini.OpenNode(L"/Window", true);
        // Fits every declared encoding; the fall-back to UTF-8 has its own test.
        ini.WriteString(L"SSID", L" <&\">");
        ini.UpdateFile();
        const Verdict v = Xmllint(xmltest::NativePath(path), folder_.Path() / "xmllint.txt");
        EXPECT_TRUE(v.accepted) << label << ": xmllint refuses what the store wrote:\n" << v.messages;
        TXMLIniFile again(path);
        EXPECT_EQ(test::TreeDifference(ini.XMLDocument(), again.XMLDocument()), "") << label;
    }

    xmltest::TempFolder folder_;
#endif
};

TEST_F(XmlStrictReader, RefusesWhatTheStoreRefusesAsMalformed) {
#ifndef _WIN32
    for (const xmltest::MalformedCase& c : xmltest::kMalformed) {
        const std::wstring path = folder_.File("malformed.xml");
        xmltest::WriteRaw(path, c.bytes);
        EXPECT_THROW(TXMLIniFile{path}, EXMLError) << c.bytes;
        const Verdict v = Xmllint(xmltest::NativePath(path), folder_.Path() / "xmllint.txt");
        EXPECT_FALSE(v.accepted) << c.bytes;
    }
#endif
}

// The store and xmllint each judge every document of the corpus as XML 1.0
// does (but for the store's own refusals), and every document the store
// accepts it writes back as one that xmllint accepts and that reads back as
// the same tree.
TEST_F(XmlStrictReader, JudgesTheCorpusAsXml10Does) {
#ifndef _WIN32
    for (const CorpusCase& c : Corpus()) {
        const std::wstring path = folder_.File("input.xml");
        xmltest::WriteRaw(path, c.bytes);
        const Verdict v = Xmllint(xmltest::NativePath(path), folder_.Path() / "xmllint.txt");
        EXPECT_EQ(v.accepted, c.verdict != Xml10::Malformed) << c.bytes << "\n" << v.messages;
        bool stored = true;
        try {
            TXMLIniFile probe(path);
        } catch (const EXMLError&) {
            stored = false;
        }
        EXPECT_EQ(stored, c.verdict == Xml10::WellFormed) << c.bytes;
        if (stored) RoundTrip(c.bytes, c.bytes);
    }
#endif
}

// The seeds and what fuzzing added to them: every file the store accepts.
TEST_F(XmlStrictReader, AcceptsWhatTheStoreWritesFromTheFuzzCorpus) {
#ifndef _WIN32
    int accepted = 0, refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VELNOR_SETTINGS_CORPUS)) {
        const std::string bytes = xmltest::ReadRaw(xmltest::PathText(entry.path()));
        try {
            XmlDocument probe;
            probe.LoadFromBytes(bytes);
        } catch (const EXMLError&) {
            ++refused;
            continue;
        }
        ++accepted;
        RoundTrip(bytes, entry.path().filename().string());
    }
    RecordProperty("accepted", accepted);
    RecordProperty("refused", refused);
    // The corpus holds both kinds; an empty folder would prove nothing.
    EXPECT_GE(accepted, 10);
    EXPECT_GE(refused, 10);
#endif
}

}  // namespace
}  // namespace velnor
