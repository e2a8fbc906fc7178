// Arbitrary bytes as a settings file, judged both ways by an independent
// strict parser (libxml2, its namespace errors not counted): what it accepts
// the store accepts, but for the store's deliberate refusal of a document
// type declaration; what the store accepts it accepts, with every element
// value the store reads equal to its own. Loading either succeeds or raises
// the store's own errors, every typed reader survives every element, and an
// accepted file is written back as a document libxml2 accepts that reads back
// as the same tree.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "platform/utf.h"
#include "support/libxml2_reading.h"
#include "support/xml_tree.h"
#include "xmlinifiles/xml_encoding.h"
#include "xmlinifiles/xml_ini_file.h"

namespace {

std::wstring ScratchFile() {
    const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return velnor::Utf8ToWide(std::string(shm) + "/velnor-settings-fuzz-" + std::to_string(getpid()) + ".xml");
}

template <typename F>
void Tolerate(F&& f) {
    try {
        f();
    } catch (const velnor::Error&) {
    }
}

void ReadEverything(velnor::TXMLIniFile& ini, const velnor::XmlNode& parent, const std::wstring& key) {
    Tolerate([&] { ini.ReadInteger(key, 0, parent); });
    Tolerate([&] { ini.ReadInt64(key, 0, parent); });
    Tolerate([&] { ini.ReadBool(key, false, parent); });
    Tolerate([&] { ini.ReadFloat(key, 0, parent); });
    Tolerate([&] { ini.ReadCurrency(key, 0, parent); });
    Tolerate([&] { ini.ReadDateTime(key, 0, parent); });
    Tolerate([&] { ini.ReadString(key, L"", parent); });
    Tolerate([&] { ini.ReadExpandString(key, L"", parent); });
    Tolerate([&] {
        std::vector<std::uint8_t> bytes;
        ini.ReadBinaryData(key, bytes, parent);
    });
    Tolerate([&] { ini.GetNodeType(key, parent); });
}

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

// Well-formed documents the store refuses on purpose: a document type
// declaration, an encoding it could not write back faithfully, and a
// declaration that names another encoding than the bytes are in (libxml2
// reads a UTF-8 mark before a code page's name as UTF-8).
bool RefusedOnPurpose(const velnor::EXMLError& e) {
    const std::wstring reason = e.Message().substr(0, e.Message().find(L"\r\n"));
    return reason == L"文書型宣言 (DOCTYPE) は使用できません" ||
           (reason.starts_with(L"文字エンコード \"") && reason.ends_with(L"\" には対応していません")) ||
           reason.starts_with(L"宣言された文字エンコード \"");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    xmlInitParser();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const std::wstring path = ScratchFile();
    const std::string narrow = velnor::WideToUtf8(path);
    FILE* f = std::fopen(narrow.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // A code page is decoded by the system's table (Windows', or iconv's
    // CP932 natively), which libxml2's iconv tables do not match (Shift_JIS
    // 5C is "\\" on Windows, "¥" in iconv): libxml2 judges the decoded text,
    // and bytes the table cannot decode are the table's verdict alone.
    const velnor::DecodedXml decoded = velnor::DecodeXmlBytes(input);
    const bool codePage = decoded.encoding.form == velnor::XmlEncoding::Form::CodePage;
    const bool judged = !codePage || decoded.ok;
    const velnor::test::Libxml2Reading strict(codePage ? std::string_view(decoded.utf8) : input, codePage);
    std::unique_ptr<velnor::TXMLIniFile> ini;
    try {
        ini = std::make_unique<velnor::TXMLIniFile>(path);
    } catch (const velnor::EXMLError& e) {
        if (judged && strict.WellFormed() && !RefusedOnPurpose(e))
            Fail("the store refused what libxml2 accepts", velnor::WideToUtf8(e.Message()));
        return 0;
    } catch (const velnor::Error&) {
        return 0;
    }
    if (!strict.WellFormed()) Fail("the store accepted what libxml2 refuses", strict.Message());
    const std::string misread = velnor::test::ValueDifference(ini->XMLDocument(), strict);
    if (!misread.empty()) Fail("the store reads other values than libxml2", misread);
    try {
        // Every element, without recursion: files may nest very deeply.
        std::vector<velnor::XmlNode> pending{ini->RootNode()};
        while (!pending.empty()) {
            const velnor::XmlNode node = pending.back();
            pending.pop_back();
            for (velnor::XmlNode c = node.FirstChild(); c; c = c.NextSibling()) {
                if (c.Kind() != velnor::XmlNodeKind::Element) continue;
                ReadEverything(*ini, node, c.NodeName());
                pending.push_back(c);
            }
        }
        ini->OpenNode(L"/Window", true);
        ini->WriteString(L"SSID", L"<&\">");
        const std::string written = ini->XMLDocument().SaveToBytes();
        const velnor::test::Libxml2Reading rewritten(written);
        if (!rewritten.WellFormed()) Fail("libxml2 refuses what the store wrote", rewritten.Message());
        velnor::XmlDocument reread;
        try {
            reread.LoadFromBytes(written);
        } catch (const velnor::EXMLError& e) {
            Fail("cannot read back what was written", velnor::WideToUtf8(e.Message()));
        }
        const std::string difference = velnor::test::TreeDifference(ini->XMLDocument(), reread);
        if (!difference.empty()) Fail("what was written reads back as another tree", difference);
    } catch (const velnor::Error&) {
    }
    return 0;
}
