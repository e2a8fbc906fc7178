// Arbitrary bytes as a settings file: loading either succeeds or raises the
// store's own errors, every typed reader survives every element, and whatever
// the store accepts is well-formed to an independent strict parser (libxml2),
// is written back as a document that parser accepts, and reads back as the
// same tree.
#include <libxml/parser.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "platform/utf.h"
#include "support/xml_tree.h"
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

// libxml2's verdict: empty when it reads the bytes as a well-formed document,
// else its message. No network, no external DTD, no entity expansion; deep
// trees are allowed, as the store allows them.
std::string StrictVerdict(std::string_view bytes) {
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) return {};
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), "settings.xml", nullptr, options);
    std::string verdict;
    if (!doc || !ctxt->wellFormed) {
        const xmlError* e = xmlCtxtGetLastError(ctxt);
        verdict = e && e->message ? e->message : "not well-formed";
        if (verdict.empty()) verdict = "not well-formed";
    }
    if (doc) xmlFreeDoc(doc);
    xmlFreeParserCtxt(ctxt);
    return verdict;
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
    try {
        velnor::TXMLIniFile ini(path);
        // What the store accepts, a strict parser accepts too; a document
        // type declaration, which the store refuses, never gets this far.
        const std::string readVerdict = StrictVerdict(input);
        if (!readVerdict.empty()) Fail("the store accepted what libxml2 refuses", readVerdict);
        // Every element, without recursion: files may nest very deeply.
        std::vector<velnor::XmlNode> pending{ini.RootNode()};
        while (!pending.empty()) {
            const velnor::XmlNode node = pending.back();
            pending.pop_back();
            for (velnor::XmlNode c = node.FirstChild(); c; c = c.NextSibling()) {
                if (c.Kind() != velnor::XmlNodeKind::Element) continue;
                ReadEverything(ini, node, c.NodeName());
                pending.push_back(c);
            }
        }
        ini.OpenNode(L"/Window", true);
        ini.WriteString(L"SSID", L"<&\">");
        const std::string written = ini.XMLDocument().SaveToBytes();
        const std::string verdict = StrictVerdict(written);
        if (!verdict.empty()) Fail("libxml2 refuses what the store wrote", verdict);
        velnor::XmlDocument reread;
        try {
            reread.LoadFromBytes(written);
        } catch (const velnor::EXMLError& e) {
            Fail("cannot read back what was written", e.what());
        }
        const std::string difference = velnor::test::TreeDifference(ini.XMLDocument(), reread);
        if (!difference.empty()) Fail("what was written reads back as another tree", difference);
    } catch (const velnor::Error&) {
    }
    return 0;
}
