// The Windows test kit: started by run-tests.cmd from <kit>\bin. Reads the
// machine's own netsh read-only first, then runs each test layer against the
// kit's own simulated netsh and writes everything into <kit>\report.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kit/kit.h"
#include "platform/utf.h"
#include "version.h"

namespace velnor::kit {
namespace {

namespace fs = std::filesystem;

// The program's single-instance name: a running Velnor would make every
// whole-program test meet "another copy".
constexpr wchar_t kVelnorMutex[] = L"Velnor/Orvo Project";
// A layer that runs longer than this has hung; it is ended and counted failed.
constexpr DWORD kLayerTimeoutMs = 30 * 60 * 1000;

struct Layer {
    const wchar_t* name;
    const wchar_t* exe;
    const wchar_t* filter;  // GoogleTest filter, or empty
    const wchar_t* leftOut;  // why the filter leaves tests out
    const wchar_t* notice;   // for the person watching
};

const Layer kLayers[] = {
    {L"unit", L"unit_tests.exe", L"", L"", L""},
    {L"win", L"win_tests.exe", L"", L"", L""},
    // Setting LogPixels reaches a running session only under Wine; on Windows
    // it would change the user's own display setting for the next sign-in.
    {L"e2e", L"e2e_tests.exe", L"-ScaledWindowTest.*",
     L"ScaledWindowTest.* (it sets the per-user DPI in the registry, which only Wine applies at once; the checklist "
     L"covers 150 %)",
     L": Velnor's windows come and go, please leave mouse and keyboard alone until the end"},
};

void Say(const std::wstring& line) {
    const std::wstring text = line + L"\r\n";
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        const std::string bytes = WideToUtf8(text);
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

std::wstring ModuleFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring Environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool VelnorIsRunning() {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, kVelnorMutex);
    if (!h) return false;
    CloseHandle(h);
    return true;
}

// The whole-program tests start from an absent per-user data folder and
// remove what they create. The user's own settings are moved aside for the
// time of the run and put back afterwards; a run that was cut short leaves
// them in the aside folder, and the next run puts them back first.
class UserDataAside {
public:
    UserDataAside() {
        const std::wstring appData = Environment(L"APPDATA");
        if (appData.empty()) return;
        real_ = fs::path(appData) / L"Orvo Project";
        aside_ = fs::path(appData) / L"Orvo Project (moved aside by the Velnor test kit)";
    }

    // False, with the reason, when the user's data could not be made safe.
    bool MoveAside(std::wstring* problem) {
        if (real_.empty()) return true;
        std::error_code ec;
        if (fs::exists(aside_, ec)) {
            if (fs::exists(real_, ec)) {
                *problem = L"both \"" + real_.wstring() + L"\" and \"" + aside_.wstring() +
                           L"\" exist; decide which one holds your settings and remove the other";
                return false;
            }
            if (!MoveFileW(aside_.c_str(), real_.c_str())) {
                *problem = L"could not put back \"" + aside_.wstring() + L"\" from an earlier run";
                return false;
            }
        }
        if (!fs::exists(real_, ec)) return true;
        if (!MoveFileW(real_.c_str(), aside_.c_str())) {
            *problem = L"could not move \"" + real_.wstring() + L"\" aside (is a file in it open?)";
            return false;
        }
        moved_ = true;
        return true;
    }

    // False, with the reason, when the user's data is still aside.
    bool PutBack(std::wstring* problem) {
        if (real_.empty()) return true;
        std::error_code ec;
        fs::remove_all(real_, ec);  // only what the tests left behind
        if (!moved_) return true;
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (MoveFileW(aside_.c_str(), real_.c_str())) return true;
            Sleep(100);
        }
        *problem = L"your Velnor settings are still in \"" + aside_.wstring() + L"\": rename that folder to \"" +
                   real_.filename().wstring() + L"\"";
        return false;
    }

private:
    fs::path real_, aside_;
    bool moved_ = false;
};

// A developer's check of the kit itself (VELNOR_KIT_SAMPLE=1, as the build's
// own kit check sets it) runs a sample of the whole-program layer that still
// reaches every part of the report: start-up, the main window with its
// pictures, the list editor, a fault, the simulator. A person's run is always
// the full one.
constexpr wchar_t kE2eSample[] =
    L"StartupTest.*:MainWindowTest.ShowsTheListingInOrder*:MainWindowTest.DuringASlowCommand*:"
    L"ListEditorTest.LooksAsDesigned*:ListEditorTest.TickedNames*:FaultTest.KilledJustBeforeTheSettings*";

bool SampleRun() {
    wchar_t value[4] = {};
    return GetEnvironmentVariableW(L"VELNOR_KIT_SAMPLE", value, 4) == 1 && value[0] == L'1';
}

struct LayerRun {
    const Layer* layer;
    std::vector<TestOutcome> tests;
    std::wstring problem;  // a failure outside any test case
};

LayerRun RunLayer(const Layer& layer, const fs::path& bin, const fs::path& report) {
    LayerRun run{&layer, {}, {}};
    const fs::path exe = bin / layer.exe;
    const fs::path xml = report / (std::wstring(layer.name) + L".xml");
    const fs::path log = report / (std::wstring(layer.name) + L".log");
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" \"--gtest_output=xml:" + xml.wstring() + L"\"";
    const wchar_t* filter = SampleRun() && std::wstring(layer.name) == L"e2e" ? kE2eSample : layer.filter;
    if (*filter) commandLine += std::wstring(L" --gtest_filter=") + filter;

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = output;
    si.hStdError = output;
    PROCESS_INFORMATION pi{};
    const std::wstring directory = report.wstring();
    // The layer and every program it starts share a job, so that a layer
    // stopped at its bound takes its hung programs with it.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                        nullptr, directory.c_str(), &si, &pi);
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    if (!started) {
        if (job) CloseHandle(job);
        run.problem = L"could not start " + exe.wstring() + L" (error " + std::to_wstring(GetLastError()) + L")";
        return run;
    }
    if (job) AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(pi.hProcess, kLayerTimeoutMs) != WAIT_OBJECT_0) {
        if (job) TerminateJobObject(job, 99);
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 10000);
        run.problem = L"did not end within 30 minutes and was stopped";
    }
    // Whatever the layer left running ends with it.
    if (job) CloseHandle(job);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    run.tests = ReadJUnit(ReadAll(xml));
    bool anyFailed = false;
    for (const auto& t : run.tests) anyFailed = anyFailed || t.outcome == Outcome::Failed;
    if (run.problem.empty() && run.tests.empty())
        run.problem = L"wrote no results (" + xml.filename().wstring() + L"); see " + log.filename().wstring();
    else if (run.problem.empty() && code != 0 && !anyFailed)
        run.problem = L"ended with exit code " + std::to_wstring(code) + L" without a failed test; see " +
                      log.filename().wstring();
    return run;
}

// The kit's own folder stands in for the system folder of the test builds:
// its netsh.exe is the simulator, and its cmd.exe a copy of the machine's, so
// that cmd.exe finds the simulator first in its current directory.
bool PrepareSystemStandIn(const fs::path& system, std::wstring* problem) {
    wchar_t real[MAX_PATH] = {};
    GetSystemDirectoryW(real, MAX_PATH);
    if (!fs::exists(system / L"netsh.exe")) {
        *problem = L"the kit's " + (system / L"netsh.exe").wstring() + L" is missing: unzip the whole kit again";
        return false;
    }
    if (!CopyFileW((std::wstring(real) + L"\\cmd.exe").c_str(), (system / L"cmd.exe").c_str(), FALSE)) {
        *problem = L"could not copy cmd.exe into " + system.wstring();
        return false;
    }
    // Every start of the kit's simulator is recorded here, whatever state
    // folder a test gives it.
    std::ofstream(system / L"netsh.exe.calls.log", std::ios::binary | std::ios::trunc);
    SetEnvironmentVariableW(L"VELNOR_TEST_SYSTEM_FOLDER", system.c_str());
    // cmd.exe searches its current directory first unless this is set; with
    // the stand-in first on the path too, no search can reach the real netsh.
    SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", nullptr);
    SetEnvironmentVariableW(L"PATH", (system.wstring() + L";" + Environment(L"PATH")).c_str());
    return true;
}

size_t CountCalls(const fs::path& callsLog) {
    const std::string text = ReadAll(callsLog);
    size_t n = 0;
    for (size_t at = text.find("cmd="); at != std::string::npos; at = text.find("\ncmd=", at + 1)) ++n;
    return n;
}

void WriteSummary(const fs::path& path, const std::vector<std::wstring>& lines) {
    std::string bytes = "\xEF\xBB\xBF";  // Notepad on any Windows then reads it as UTF-8
    for (const auto& l : lines) bytes += WideToUtf8(l) + "\r\n";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

int Run() {
    const fs::path bin = ModuleFolder();
    const fs::path kit = bin.parent_path();
    const fs::path report = kit / L"report";
    std::error_code ec;
    fs::remove_all(report, ec);
    fs::create_directories(report / L"pictures", ec);
    fs::create_directories(report / L"probe", ec);

    std::vector<std::wstring> summary{L"Velnor " VELNOR_VERSION_WSTRING L" Windows test kit",
                                      L"Kit folder: " + kit.wstring(), L""};
    int passed = 0, failed = 0;
    auto finish = [&]() {
        summary.push_back(L"");
        summary.push_back(std::to_wstring(passed) + L" passed, " + std::to_wstring(failed) + L" failed");
        WriteSummary(report / L"summary.txt", summary);
        Say(L"Report: " + (report / L"summary.txt").wstring());
        Say(summary.back());
        return failed == 0 ? 0 : 1;
    };
    auto stop = [&](const std::wstring& why) {
        summary.push_back(L"FAIL kit: " + why);
        Say(L"FAIL kit: " + why);
        ++failed;
        return finish();
    };

    Say(L"Velnor test kit: collecting the facts of this machine");
    for (const auto& f : MachineFacts()) summary.push_back(f);
    for (const auto& f : BuildFacts()) summary.push_back(f);
    if (VelnorIsRunning()) return stop(L"Velnor is running: close it (and its list editor) and start the kit again");

    // Before the environment is changed for the tests: the probe runs exactly
    // as the installed program would.
    Say(L"Reading the machine's own netsh (read-only)");
    summary.push_back(L"");
    summary.push_back(L"== The machine's own netsh (read-only)");
    for (const auto& l : ProbeRealNetsh((report / L"probe").wstring())) summary.push_back(l);

    std::wstring problem;
    const fs::path system = bin / L"system";
    if (!PrepareSystemStandIn(system, &problem)) return stop(problem);
    SetEnvironmentVariableW(L"VELNOR_PICTURE_DIR", (report / L"pictures").c_str());
    SetEnvironmentVariableW(L"VELNOR_SHOT_DIR", nullptr);
    UserDataAside userData;
    if (!userData.MoveAside(&problem)) return stop(problem);

    // The console would otherwise cover the windows the tests look at.
    HWND console = GetConsoleWindow();
    if (console) ShowWindow(console, SW_MINIMIZE);
    std::vector<LayerRun> runs;
    if (SampleRun())
        summary.push_back(L"A sample run (VELNOR_KIT_SAMPLE=1): the e2e layer runs " + std::wstring(kE2eSample));
    for (const Layer& layer : kLayers) {
        Say(std::wstring(L"Running the ") + layer.name + L" tests" + layer.notice);
        runs.push_back(RunLayer(layer, bin, report));
    }
    const bool dataBack = userData.PutBack(&problem);
    if (console) ShowWindow(console, SW_RESTORE);

    summary.push_back(L"");
    summary.push_back(L"== Layers (JUnit XML and the output of each in report\\)");
    std::vector<std::wstring> details;
    for (const auto& run : runs) {
        int p = 0, f = 0, n = 0;
        for (const auto& t : run.tests) {
            const wchar_t* word = t.outcome == Outcome::Passed ? L"PASS" : t.outcome == Outcome::Failed ? L"FAIL" : L"SKIP";
            (t.outcome == Outcome::Passed ? p : t.outcome == Outcome::Failed ? f : n) += 1;
            details.push_back(std::wstring(word) + L" " + run.layer->name + L" " + t.name);
        }
        if (!run.problem.empty()) {
            ++f;
            details.push_back(std::wstring(L"FAIL ") + run.layer->name + L": " + run.problem);
        }
        passed += p;
        failed += f;
        summary.push_back(std::wstring(run.layer->name) + L": " + std::to_wstring(p) + L" passed, " +
                          std::to_wstring(f) + L" failed, " + std::to_wstring(n) + L" not run");
        if (*run.layer->leftOut) summary.push_back(std::wstring(L"  left out in the kit: ") + run.layer->leftOut);
    }
    summary.push_back(L"The kit's simulated netsh ran " + std::to_wstring(CountCalls(system / L"netsh.exe.calls.log")) +
                      L" times (bin\\system\\netsh.exe.calls.log).");
    size_t pictures = 0;
    for (const auto& entry : fs::directory_iterator(report / L"pictures", ec)) pictures += entry.is_regular_file();
    summary.push_back(L"Pictures of the windows: " + std::to_wstring(pictures) + L" in report\\pictures");
    summary.push_back(L"");
    summary.insert(summary.end(), details.begin(), details.end());
    if (!dataBack) {
        summary.push_back(L"FAIL kit: " + problem);
        Say(L"FAIL kit: " + problem);
        ++failed;
    }
    return finish();
}

}  // namespace
}  // namespace velnor::kit

// "kit-runner.exe /velnor-running" only answers, by its exit code, whether
// Velnor runs (1) or not (0), for try-velnor.cmd.
int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"/velnor-running") return velnor::kit::VelnorIsRunning() ? 1 : 0;
    return velnor::kit::Run();
}
