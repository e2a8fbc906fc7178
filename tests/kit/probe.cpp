// The read-only look at the machine's own netsh: the program's command layer
// with the program's own runner, but only its two listing commands.
#include <windows.h>

#include "kit/kit.h"
#include "main/line_buffer.h"
#include "main/wlan.h"
#include "orvo/exec_and_wait.h"
#include "platform/errors.h"
#include "platform/win32_text.h"

namespace velnor::kit {
namespace {

const wchar_t* EncodingName(TextEncoding e) {
    switch (e) {
    case TextEncoding::Ansi: return L"ANSI code page";
    case TextEncoding::Utf8: return L"UTF-8";
    case TextEncoding::Utf16Le: return L"UTF-16 LE";
    case TextEncoding::Utf16Be: return L"UTF-16 BE";
    default: return L"empty";
    }
}

}  // namespace

std::vector<std::wstring> ProbeRealNetsh(const std::wstring& folder) {
    std::vector<std::wstring> out;
    out.push_back(L"Read with: " + SystemFolder() + L"\\cmd.exe /c netsh wlan show profile | show interface > capture");
    const Wlan wlan{RunSystemCommand};
    LineBuffer buffer;
    const std::wstring profiles = folder + L"\\show-profile.txt";
    const std::wstring interfaces = folder + L"\\show-interface.txt";
    try {
        wlan.RunListing(kProfileListingPrefix, profiles, buffer);
        std::vector<std::wstring> names;
        std::wstring name;
        for (const auto& line : buffer.Lines())
            if (ParseProfileLine(line, &name)) names.push_back(name);
        out.push_back(L"show profile: " + std::to_wstring(buffer.Count()) + L" lines (" +
                      EncodingName(buffer.Encoding()) + L"), raw capture probe\\show-profile.txt");
        out.push_back(L"Velnor would list " + std::to_wstring(names.size()) + L" profile(s):");
        for (const auto& n : names) out.push_back(L"  [" + n + L"]");
    } catch (const Error& e) {
        out.push_back(L"show profile: could not be read: " + e.Message());
    }
    try {
        wlan.RunListing(kInterfaceListingPrefix, interfaces, buffer);
        std::wstring marker;
        for (const auto& line : buffer.Lines())
            if (marker.empty() && line.find(kConnectedMarker) != std::wstring::npos) marker = line;
        out.push_back(L"show interface: " + std::to_wstring(buffer.Count()) + L" lines (" +
                      EncodingName(buffer.Encoding()) + L"), raw capture probe\\show-interface.txt");
        out.push_back(marker.empty() ? L"Velnor would consider the machine disconnected (no line holds the marker)"
                                     : L"Velnor would consider the machine connected, by the line: [" + marker + L"]");
    } catch (const Error& e) {
        out.push_back(L"show interface: could not be read: " + e.Message());
    }
    out.push_back(L"The captures may contain the names of wireless networks: look at them before you share them.");
    return out;
}

}  // namespace velnor::kit
