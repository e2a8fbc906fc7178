// The look at the machine's own netsh: the program's command layer with the
// program's own runner for the two listings, and one question that only a
// real netsh can answer, asked with names that no profile can bear.
#include <windows.h>

#include <fstream>

#include "kit/kit.h"
#include "kit/netsh_reading.h"
#include "main/line_buffer.h"
#include "main/wlan.h"
#include "orvo/exec_and_wait.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/network_adapters.h"
#include "platform/win32_text.h"

namespace velnor::kit {
namespace {

// A connect that is refused answers at once; one that waits this long has hung.
constexpr DWORD kConnectBoundMs = 30000;
constexpr size_t kQuotedLines = 6;

const wchar_t* EncodingName(TextEncoding e) {
    switch (e) {
    case TextEncoding::Ansi: return L"ANSI code page";
    case TextEncoding::Utf8: return L"UTF-8";
    case TextEncoding::Utf16Le: return L"UTF-16 LE";
    case TextEncoding::Utf16Be: return L"UTF-16 BE";
    default: return L"empty";
    }
}

// The hardware addresses of a capture file masked in place, in whatever
// encoding netsh wrote it.
void MaskCapture(const std::wstring& path) {
    std::string bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const Error&) {
        return;
    }
    size_t mark = 0;
    const TextEncoding encoding = DetectEncoding(bytes, &mark);
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        const size_t high = encoding == TextEncoding::Utf16Le ? 1 : 0;
        std::wstring units;
        for (size_t i = mark; i + 1 < bytes.size(); i += 2)
            units.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i + high]) << 8 |
                                                 static_cast<unsigned char>(bytes[i + 1 - high])));
        units = MaskHardwareAddresses(units);
        for (size_t u = 0; u < units.size(); ++u) {
            bytes[mark + 2 * u + high] = static_cast<char>(units[u] >> 8);
            bytes[mark + 2 * u + 1 - high] = static_cast<char>(units[u] & 0xFF);
        }
    } else {
        bytes = MaskHardwareAddresses(bytes);
    }
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

struct Probe {
    std::wstring folder;
    bool mask;
    std::vector<std::wstring>* out;

    std::wstring Shown(const std::wstring& line) const { return mask ? MaskHardwareAddresses(line) : line; }

    void Quote(const std::vector<std::wstring>& lines) const {
        const auto first = FirstLines(lines, kQuotedLines);
        if (first.empty()) out->push_back(L"  (no line that is not blank)");
        for (const auto& l : first) out->push_back(L"  | " + Shown(l));
    }

    // The reason, and netsh's first lines, for a listing that gave nothing.
    void Explain(const std::vector<std::wstring>& lines) const {
        const std::wstring reason = LikelyReason(lines);
        out->push_back(L"  likely reason: " + (reason.empty() ? L"none recognised" : reason));
        out->push_back(L"  netsh's first lines:");
        Quote(lines);
    }

    // Listing into a capture file as the program runs it; false when the file
    // could not be read.
    bool Listing(const Wlan& wlan, std::wstring_view prefix, const wchar_t* file, LineBuffer& buffer) const {
        const std::wstring path = folder + L"\\" + file;
        try {
            wlan.RunListing(prefix, path, buffer);
        } catch (const Error& e) {
            out->push_back(std::wstring(file) + L": could not be read: " + e.Message());
            return false;
        }
        if (mask) MaskCapture(path);
        out->push_back(std::wstring(file) + L": " + std::to_wstring(buffer.Count()) + L" lines (" +
                       EncodingName(buffer.Encoding()) + L"), raw capture probe\\" + file);
        return true;
    }

    // Runs a connect command as the program starts it (netsh from the system
    // folder, the system folder as working directory), with these parameters
    // and its answer captured.
    void AskConnect(const std::wstring& name, const std::wstring& parameters, const wchar_t* file) const {
        const std::wstring system = SystemFolder();
        const std::wstring exe = system + L"\\" + ConnectCommand(name).file;
        std::wstring commandLine = L"\"" + exe + L"\" " + parameters;
        out->push_back(L"Command line: [" + commandLine + L"]");
        const std::wstring capture = folder + L"\\" + file;
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE answer = CreateFileW(capture.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        if (answer == INVALID_HANDLE_VALUE) {
            out->push_back(L"  not asked: could not create probe\\" + std::wstring(file));
            return;
        }
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nullptr;
        si.hStdOutput = answer;
        si.hStdError = answer;
        PROCESS_INFORMATION pi{};
        // In the kit's own console: a console of its own could be opened by a
        // helper process that inherits the capture's handle and holds it on.
        const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                            system.c_str(), &si, &pi);
        const DWORD startError = GetLastError();
        CloseHandle(answer);
        if (!started) {
            out->push_back(L"  netsh could not be started (error " + std::to_wstring(startError) + L")");
            return;
        }
        DWORD code = 0;
        if (WaitForSingleObject(pi.hProcess, kConnectBoundMs) != WAIT_OBJECT_0) {
            TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, 5000);
            out->push_back(L"  netsh did not answer within 30 s and was ended");
        }
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        LineBuffer buffer;
        try {
            buffer.LoadFromFile(capture);
        } catch (const Error& e) {
            out->push_back(L"  its answer could not be read: " + e.Message());
            return;
        }
        if (mask) MaskCapture(capture);
        out->push_back(L"  exit code " + std::to_wstring(code) + L", answer (raw in probe\\" + file + L"):");
        for (const auto& l : buffer.Lines()) out->push_back(L"  | " + Shown(l));
        // The answer names the profile netsh looked for: which part of the
        // rest of the line that was tells how it reads "name=".
        out->push_back(L"  netsh repeats back " + NameRepeatedBack(name, buffer.Lines()));
    }

    void AskHowConnectReadsTheName(bool listingRead, const std::vector<std::wstring>& profileLines) const {
        out->push_back(L"");
        out->push_back(L"== How this netsh reads \"wlan connect name=\" (made-up names; nothing can connect)");
        const struct {
            std::wstring_view name;
            const wchar_t* form;
            std::wstring parameters;
            const wchar_t* file;
        } questions[] = {
            {kMadeUpNameUnquoted, L"unquoted: name= directly followed by the name as listed, its leading space included",
             L"wlan connect name=" + std::wstring(kMadeUpNameUnquoted), L"connect-unquoted.txt"},
            {kMadeUpNameQuoted, L"quoted, as Velnor sends it: name=\"<the profile's own name>\"",
             ConnectCommand(std::wstring(kMadeUpNameQuoted)).parameters, L"connect-quoted.txt"},
        };
        for (const auto& q : questions) {
            out->push_back(L"Form " + std::wstring(q.form));
            out->push_back(L"Name: [" + std::wstring(q.name) + L"]");
            if (!listingRead) {
                out->push_back(L"  not asked: without the profile listing no one can tell that no profile bears it");
                continue;
            }
            const auto found = WordsFoundInListing(q.name, profileLines);
            if (!found.empty()) {
                std::wstring words;
                for (const auto& w : found) words += (words.empty() ? L"" : L", ") + w;
                out->push_back(L"  not asked: the profile listing holds " + words);
                continue;
            }
            out->push_back(L"  the profile listing holds none of its words");
            AskConnect(std::wstring(q.name), q.parameters, q.file);
        }
    }

    // Whether netsh refuses the interface listing for want of location
    // permission, and if so what Velnor decides instead; true when it does.
    bool ReportLocation(const std::vector<std::wstring>& lines) const {
        if (!ListingNeedsLocationPermission(lines)) {
            out->push_back(L"Location permission: it does not block netsh here (the interface listing is not the "
                           L"notice that names " + std::wstring(kLocationSettingsPage) + L")");
            return false;
        }
        out->push_back(L"Location permission: it BLOCKS netsh here. Instead of the interface listing netsh prints "
                       L"only a notice that it needs location permission (Windows 11 24H2 and later, with location "
                       L"access off for desktop apps). netsh's notice:");
        for (const auto& l : FirstLines(lines, 12)) out->push_back(L"  | " + Shown(l));
        const bool up = WirelessAdapterUp();
        out->push_back(std::wstring(L"Velnor then decides by the system's adapter state: ") +
                       (up ? L"a wireless adapter is up, so Velnor would consider the machine connected"
                           : L"no wireless adapter is up, so Velnor would consider the machine disconnected and run "
                             L"the connect command"));
        return true;
    }
};

}  // namespace

std::vector<std::wstring> ProbeRealNetsh(const std::wstring& folder, bool mask) {
    std::vector<std::wstring> out;
    const Probe probe{folder, mask, &out};
    out.push_back(L"Read with: " + SystemFolder() + L"\\cmd.exe /c netsh wlan show profile | show interface > capture");
    const Wlan wlan{RunSystemCommand};
    LineBuffer buffer;
    const bool profilesRead = probe.Listing(wlan, kProfileListingPrefix, L"show-profile.txt", buffer);
    const std::vector<std::wstring> profileLines = buffer.Lines();
    if (profilesRead) {
        std::vector<std::wstring> names;
        std::wstring name;
        for (const auto& line : profileLines)
            if (ParseProfileLine(line, &name)) names.push_back(name);
        out.push_back(L"Velnor would list " + std::to_wstring(names.size()) + L" profile(s):");
        for (const auto& n : names) out.push_back(L"  [" + n + L"]");
        if (names.empty()) probe.Explain(profileLines);
    }
    if (probe.Listing(wlan, kInterfaceListingPrefix, L"show-interface.txt", buffer) &&
        !probe.ReportLocation(buffer.Lines())) {
        const InterfaceReading reading = ReadInterfaceListing(buffer.Lines());
        switch (reading.state) {
        case ListingState::Connected:
            out.push_back(L"Velnor would consider the machine connected, by the line: [" + probe.Shown(reading.line) + L"]");
            break;
        case ListingState::Disconnected:
            out.push_back(L"Velnor would consider the machine disconnected (no line holds the marker), by the line: [" +
                          probe.Shown(reading.line) + L"]");
            break;
        case ListingState::Unknown:
            out.push_back(L"The connection state is unknown: no line holds the marker or a state Velnor can read "
                          L"(Velnor itself would take this as disconnected and run the connect command)");
            probe.Explain(buffer.Lines());
            break;
        }
    }
    probe.AskHowConnectReadsTheName(profilesRead, profileLines);
    out.push_back(mask ? L"Hardware addresses (the adapter's physical address, BSSIDs) are masked in the captures and here."
                       : L"Hardware addresses are NOT masked (--unmasked).");
    out.push_back(L"The captures may contain the names of wireless networks: look at them before you share them.");
    return out;
}

}  // namespace velnor::kit
