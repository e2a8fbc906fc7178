#include "e2e/fixture.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string_view>

#include "platform/utf.h"

namespace velnor::e2e {

void AppTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    // The test's name for a reader, this driver's process id and a count so
    // that no other run, and no earlier test of this run, shares the folder.
    static unsigned serial = 0;
    CreateDirectoryW(L"C:\\velnor-e2e", nullptr);
    do {
        work = L"C:\\velnor-e2e\\" + std::wstring(name.begin(), name.end()) + L"-" +
               std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    } while (!CreateDirectoryW(work.c_str(), nullptr));
    app = work + L"\\app";
    CreateDirectoryW(app.c_str(), nullptr);
    exe = app + L"\\velnor.exe";
    ASSERT_TRUE(CopyFileW(BuiltProgram().c_str(), exe.c_str(), FALSE)) << "velnor.exe not built";
    // A copy that an earlier test ended may hold the single-instance guard a
    // moment longer under Wine; a copy started now would end silently.
    const bool guardFree = WaitFor([] { return !GuardHeld(); });
    ASSERT_TRUE(guardFree) << "a copy of the program from before this test still holds the guard";
    sim = std::make_unique<test::NetshSim>(work + L"\\sim");
    sim->SetState({L"profile=Home"});
    RemoveTree(OrvoFolder());
}

void AppTest::TearDown() {
    sim.reset();
    RemoveTree(OrvoFolder());
    RemoveTree(work);
}

namespace {

// "connect " and the name as the profile listing gives it (the label's space
// in front), when the command line splits into netsh, "wlan", "connect" and
// one "name=" argument; anything else stays raw, so a name that netsh would
// read in pieces cannot pass for a connect.
std::wstring ConnectEntry(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    if (!argv) return commandLine;
    std::wstring entry = commandLine;
    if (count == 4 && std::wstring_view(argv[3]).substr(0, 5) == L"name=")
        entry = L"connect  " + std::wstring(argv[3] + 5);
    LocalFree(argv);
    return entry;
}

}  // namespace

std::vector<std::wstring> AppTest::Journal() const {
    std::vector<std::wstring> out;
    for (const auto& c : sim->Commands()) {
        if (c.find(L"show profile") != std::wstring::npos) out.push_back(L"show profile");
        else if (c.find(L"show interface") != std::wstring::npos) out.push_back(L"show interface");
        else if (c.find(L"disconnect") != std::wstring::npos) out.push_back(L"disconnect");
        else if (c.find(L"wlan connect ") != std::wstring::npos) out.push_back(ConnectEntry(c));
        else out.push_back(c);
    }
    return out;
}

bool AppTest::WaitForJournal(size_t count, DWORD timeoutMs) const {
    return WaitFor([&] { return sim->Commands().size() >= count; }, timeoutMs);
}

std::string AppTest::Evidence() const {
    std::string out = "; " + ProcessReport(0);
    const std::wstring capture = File(L"WiFi.log");
    out += FileExists(capture) ? "; WiFi.log exists (" + std::to_string(ReadFile(capture).size()) + " bytes)"
                               : "; no WiFi.log";
    const auto journal = Journal();
    out += "; journal: " + std::to_string(journal.size()) + " commands, last '" +
           (journal.empty() ? std::string() : WideToUtf8(journal.back())) + "'";
    // The listing by hand, into files of its own, as the program runs it.
    const std::wstring output = work + L"\\evidence.out", errors = work + L"\\evidence.err";
    const std::wstring line = L"cmd.exe /c netsh wlan show profile > \"" + output + L"\" 2> \"" + errors + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!StartProcess(L"", line, CREATE_NO_WINDOW, app, si, pi))
        return out + "; cmd.exe could not be started (error " + std::to_string(GetLastError()) + ")";
    const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    if (!ended) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    out += ended ? "; the listing by hand: cmd.exe exit code " + std::to_string(code) : "; the listing by hand hung";
    out += ", " + std::to_string(ReadFile(output).size()) + " bytes out, errors '" + ReadFile(errors) + "'";
    return out;
}

}  // namespace velnor::e2e
