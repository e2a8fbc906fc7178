// Arbitrary bytes as a settings file: loading either succeeds or raises the
// store's own errors, every typed reader survives every element, and whatever
// the store writes it can read back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/utf.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const std::wstring path = ScratchFile();
    const std::string narrow = velnor::WideToUtf8(path);
    FILE* f = std::fopen(narrow.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    try {
        velnor::TXMLIniFile ini(path);
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
        velnor::XmlDocument reread;
        try {
            reread.LoadFromBytes(written);
        } catch (const velnor::EXMLError& e) {
            std::fprintf(stderr, "cannot read back what was written: %s\n", e.what());
            std::abort();
        }
    } catch (const velnor::Error&) {
    }
    return 0;
}
