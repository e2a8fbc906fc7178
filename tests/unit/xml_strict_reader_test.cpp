// An independent, strict XML parser (libxml2's xmllint) judges the store:
// what the store refuses as malformed it refuses too, and whatever the store
// accepts, from a table or from the fuzz corpus, the store writes back as a
// document that xmllint accepts and that reads back as the same tree.
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

// Well-formed documents the engine's own checks must not spoil: references
// of every kind, the whole prolog, namespaces, declared encodings.
const char* const kWellFormed[] = {
    "<r a='1' b='&quot;&#10;&#x9;'>&amp;&lt;&gt;&apos;&quot;&#65;&#x42;&#x1F600;<![CDATA[a<&]]>b]]</r>",
    "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n<!-- c - d --><?app data?>\n"
    "<root><?pi x?><!--in--></root>\n<!-- after -->\n",
    "<settings xmlns:v=\"urn:v\"><v:Window><Left Type=\"9\">5</Left></v:Window></settings>",
    "<r>\xE8\xA8\xAD\xE5\xAE\x9A ]] > \xEF\xBF\xBD</r>",
    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<root><Window><SSID Type=\"10\"> \x8E\xA9\x91\xEE</SSID></Window></root>",
    "<?xml version='1.0' encoding='ISO-8859-1'?><root><Window><SSID Type='10'>caf\xE9</SSID></Window></root>",
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?><root><v>\x80" "5</v></root>",
    "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><root><v>plain</v></root>",
};

#ifndef _WIN32
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

// A document type declaration is well-formed, and refused all the same, with
// the file left as it was.
TEST_F(XmlStrictReader, ADocumentTypeDeclarationIsRefusedThoughWellFormed) {
#ifndef _WIN32
    for (const xmltest::MalformedCase& c : xmltest::kRefusedOnPurpose) {
        const std::wstring path = folder_.File("doctype.xml");
        xmltest::WriteRaw(path, c.bytes);
        EXPECT_TRUE(Xmllint(xmltest::NativePath(path), folder_.Path() / "xmllint.txt").accepted) << c.bytes;
        EXPECT_THROW(TXMLIniFile{path}, EXMLError) << c.bytes;
        EXPECT_EQ(xmltest::ReadRaw(path), c.bytes);
    }
#endif
}

TEST_F(XmlStrictReader, AcceptsWhatTheStoreWritesFromAcceptedFiles) {
#ifndef _WIN32
    for (const char* bytes : kWellFormed) {
        const std::wstring path = folder_.File("input.xml");
        xmltest::WriteRaw(path, bytes);
        EXPECT_TRUE(Xmllint(xmltest::NativePath(path), folder_.Path() / "xmllint.txt").accepted) << bytes;
        RoundTrip(bytes, bytes);
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
