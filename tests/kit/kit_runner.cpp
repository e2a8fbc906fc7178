// The Windows test kit: started by run-tests.cmd from <kit>\bin. Reads the
// machine's own netsh first, then looks at the program and runs each test
// layer against the kit's own simulated netsh, and writes everything into
// <kit>\report. The person at the machine reads Japanese on the console; the
// report is for the developers.
//
// Developer options (environment variables), for checking the kit itself:
//   VELNOR_KIT_PARTS          the parts to run, of "probe look unit win e2e"
//   VELNOR_KIT_UNIT / _WIN / _E2E
//                             GoogleTest arguments that replace a layer's own
//   VELNOR_KIT_BOUND_SECONDS  one bound for every layer
// Arguments: --unmasked keeps hardware addresses in the probe's captures;
// --can-try says whether try-velnor.cmd can start (exit code 1 while Velnor
// runs).
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kit/kit.h"
#include "platform/utf.h"
#include "version.h"

namespace velnor::kit {
namespace {

// The program's single-instance name: a running Velnor would make every
// whole-program test meet "another copy".
constexpr wchar_t kVelnorMutex[] = L"Velnor/Orvo Project";
constexpr DWORD kMinute = 60 * 1000;
constexpr int kExitVelnorRunning = 2;

std::vector<Layer> DefaultLayers() {
    return {
        {L"unit", L"unit_tests.exe", L"", L"", 10 * kMinute},
        {L"win", L"win_tests.exe", L"", L"", 10 * kMinute},
        // Setting LogPixels reaches a running session only under Wine; on
        // Windows it would change the user's own display setting for the next
        // sign-in.
        {L"e2e", L"e2e_tests.exe", L"--gtest_filter=-ScaledWindowTest.*",
         L"ScaledWindowTest.* (it sets the per-user DPI in the registry, which only Wine applies at once; the checklist "
         L"covers 150 %)",
         30 * kMinute},
    };
}

bool IsConsole(HANDLE h) {
    DWORD mode = 0;
    return GetConsoleMode(h, &mode) != 0;
}

void Write(const std::wstring& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (IsConsole(out)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        const std::string bytes = WideToUtf8(text);
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

void Say(const std::wstring& line) { Write(line + L"\r\n"); }

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

// The user's own folder in a path shown in the report: the report leaves the
// machine, and the folder name is often the person's name.
std::wstring Private(const std::wstring& path) {
    const std::wstring profile = Environment(L"USERPROFILE");
    if (!profile.empty() && CompareStringOrdinal(path.c_str(), static_cast<int>(std::min(path.size(), profile.size())),
                                                 profile.c_str(), static_cast<int>(profile.size()), TRUE) == CSTR_EQUAL)
        return L"%USERPROFILE%" + path.substr(profile.size());
    return path;
}

std::wstring Duration(ULONGLONG ms) {
    const ULONGLONG s = (ms + 500) / 1000;
    return std::to_wstring(s / 60) + L" 分 " + std::to_wstring(s % 60) + L" 秒";
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

// One line on the console that each finished test rewrites; a log file gets a
// line per change instead.
class ProgressLine {
public:
    explicit ProgressLine(std::wstring layer) : layer_(std::move(layer)), console_(IsConsole(GetStdHandle(STD_OUTPUT_HANDLE))) {}
    ~ProgressLine() {
        if (console_ && shown_) Write(L"\r\n");
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const Progress& p) {
        std::wstring text = L"  " + layer_ + L" " + std::to_wstring(p.done) + L"/" +
                            (p.total ? std::to_wstring(p.total) : L"?") +
                            (p.failed ? L" (" + std::to_wstring(p.failed) + L" 件失敗)" : L"") + L" …";
        shown_ = true;
        if (console_) Write(L"\r" + text + L"   ");
        else Say(text);
    }

private:
    std::wstring layer_;
    bool console_;
    bool shown_ = false;
};

class Kit {
public:
    Kit() : bin_(ModuleFolder()), kit_(bin_.parent_path()), report_(kit_ / L"report") {
        std::wistringstream parts(Environment(L"VELNOR_KIT_PARTS").empty() ? L"probe look unit win e2e"
                                                                            : Environment(L"VELNOR_KIT_PARTS"));
        for (std::wstring p; parts >> p;) parts_.insert(p);
        layers_ = DefaultLayers();
        const std::wstring bound = Environment(L"VELNOR_KIT_BOUND_SECONDS");
        for (auto& layer : layers_) {
            std::wstring name = L"VELNOR_KIT_" + layer.name;
            for (auto& c : name) c = static_cast<wchar_t>(towupper(c));
            const std::wstring arguments = Environment(name.c_str());
            if (!arguments.empty()) layer.arguments = arguments, layer.leftOut = L"all but " + arguments;
            if (!bound.empty()) layer.boundMs = static_cast<DWORD>(std::stoul(bound) * 1000);
        }
        int argc = 0;
        LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
        for (int i = 1; argv && i < argc; ++i) mask_ = mask_ && std::wstring(argv[i]) != L"--unmasked";
        LocalFree(argv);
    }

    int Run() {
        start_ = GetTickCount64();
        Say(L"Velnor テストキット " VELNOR_VERSION_WSTRING);
        const bool velnorRuns = VelnorIsRunning();
        if (velnorRuns) {
            // The earlier report stays whole until a run that runs the tests.
            folder_ = report_ / L"velnor-was-running";
            Say(L"");
            Say(L"Velnor が起動しています。Velnor を終了してから (リスト編集の画面も閉じて)、もう一度 run-tests.cmd");
            Say(L"をダブルクリックしてください。今回はテストを実行せず、この PC の netsh を読み取るだけにします。");
            Say(L"前回のレポートはそのまま残しています。");
            Say(L"(Velnor is running: close it and start run-tests.cmd again. This time only the probe runs.)");
            Say(L"");
        }
        std::error_code ec;
        fs::remove_all(folder_, ec);
        fs::create_directories(folder_ / L"pictures", ec);
        fs::create_directories(folder_ / L"probe", ec);

        summary_ = {L"Velnor " VELNOR_VERSION_WSTRING L" Windows test kit", L"Kit folder: " + Private(kit_.wstring()), L""};
        Say(L"この PC の情報を集めています");
        for (const auto& f : MachineFacts()) summary_.push_back(f);
        for (const auto& f : BuildFacts()) summary_.push_back(f);

        // Before the environment is changed for the tests: the probe runs
        // exactly as the installed program would.
        if (Wanted(L"probe")) {
            Say(L"この PC の netsh を読み取っています (読み取りのみ。接続は変えません)");
            summary_.push_back(L"");
            summary_.push_back(L"== The machine's own netsh");
            for (const auto& l : ProbeRealNetsh((folder_ / L"probe").wstring(), mask_)) summary_.push_back(l);
        }
        if (velnorRuns) {
            for (const auto& layer : layers_) notRun_.push_back(layer.name);
            notRun_.push_back(L"look");
            summary_.push_back(L"");
            summary_.push_back(L"Velnor is running: the tests were not run, only the probe.");
            return Finish(kExitVelnorRunning);
        }
        std::wstring problem;
        const fs::path system = bin_ / L"system";
        if (!PrepareSystemStandIn(system, &problem)) return Stop(problem);
        SetEnvironmentVariableW(L"VELNOR_PICTURE_DIR", (folder_ / L"pictures").c_str());
        SetEnvironmentVariableW(L"VELNOR_SHOT_DIR", nullptr);
        UserDataAside userData;
        if (!userData.MoveAside(&problem)) return Stop(problem);

        // The console would otherwise cover the windows the tests look at.
        HWND console = GetConsoleWindow();
        if (console) ShowWindow(console, SW_MINIMIZE);
        Say(L"Velnor の画面が何度も開いたり閉じたりします。終わるまでマウスとキーボードに触れないでください。");
        LookResult look;
        if (Wanted(L"look")) {
            Say(L"  Velnor の画面とフォントを調べています");
            look = LookAtTheProgram(bin_, folder_);
        } else {
            notRun_.push_back(L"look");
        }
        std::vector<LayerRun> runs;
        for (const auto& layer : layers_) {
            if (!Wanted(layer.name)) {
                notRun_.push_back(layer.name);
                continue;
            }
            Say(L"  " + layer.name + L" のテスト");
            ProgressLine line(layer.name);
            runs.push_back(RunLayer(layer, bin_, folder_, [&](const Progress& p) { line.Show(p); }));
        }
        const bool dataBack = userData.PutBack(&problem);
        if (console) ShowWindow(console, SW_RESTORE);

        if (!look.facts.empty()) {
            summary_.push_back(L"");
            summary_.push_back(L"== Velnor's windows at this machine's scaling (pictures look-*.bmp)");
            summary_.insert(summary_.end(), look.facts.begin(), look.facts.end());
        }
        summary_.push_back(L"");
        summary_.push_back(L"== Layers (JUnit XML and the output of each in report\\)");
        std::vector<std::wstring> details;
        if (Wanted(L"look")) Count(L"look", look.checks, look.problems, details);
        for (const auto& run : runs) {
            Count(run.name, run.tests, run.problem.empty() ? std::vector<std::wstring>{} : std::vector{run.problem},
                  details);
            for (const auto& layer : layers_)
                if (layer.name == run.name && !layer.leftOut.empty())
                    summary_.push_back(L"  left out in the kit: " + layer.leftOut);
        }
        summary_.push_back(L"The kit's simulated netsh ran " + std::to_wstring(CountCalls(system / L"netsh.exe.calls.log")) +
                           L" times (bin\\system\\netsh.exe.calls.log).");
        size_t pictures = 0;
        for (const auto& entry : fs::directory_iterator(folder_ / L"pictures", ec)) pictures += entry.is_regular_file();
        summary_.push_back(L"Pictures of the windows: " + std::to_wstring(pictures) + L" in report\\pictures");
        summary_.push_back(L"");
        summary_.insert(summary_.end(), details.begin(), details.end());
        if (!dataBack) {
            summary_.push_back(L"FAIL kit: " + problem);
            Say(L"FAIL kit: " + problem);
            ++failed_;
        }
        return Finish(failed_ == 0 ? 0 : 1);
    }

    // For try-velnor.cmd: whether it can start the test build.
    static int CanTry() {
        if (!VelnorIsRunning()) return 0;
        Say(L"Velnor が起動しています。Velnor を終了してから、もう一度 try-velnor.cmd をダブルクリックしてください。");
        Say(L"(Velnor is running: close it and start try-velnor.cmd again.)");
        return 1;
    }

private:
    bool Wanted(const std::wstring& part) const { return parts_.count(part) != 0; }

    void Count(const std::wstring& name, const std::vector<TestOutcome>& tests, const std::vector<std::wstring>& problems,
               std::vector<std::wstring>& details) {
        int p = 0, f = 0, n = 0;
        for (const auto& t : tests) {
            const wchar_t* word = t.outcome == Outcome::Passed ? L"PASS" : t.outcome == Outcome::Failed ? L"FAIL" : L"SKIP";
            (t.outcome == Outcome::Passed ? p : t.outcome == Outcome::Failed ? f : n) += 1;
            details.push_back(std::wstring(word) + L" " + name + L" " + t.name);
        }
        for (const auto& problem : problems) details.push_back(L"FAIL " + name + L": " + problem);
        // A problem outside any test case (a hang, a crash) is one failure
        // more; a failed check of the look is already counted.
        if (name != L"look") f += static_cast<int>(problems.size());
        passed_ += p;
        failed_ += f;
        summary_.push_back(name + L": " + std::to_wstring(p) + L" passed, " + std::to_wstring(f) + L" failed, " +
                           std::to_wstring(n) + L" not run");
    }

    int Stop(const std::wstring& why) {
        summary_.push_back(L"FAIL kit: " + why);
        Say(L"FAIL kit: " + why);
        ++failed_;
        return Finish(1);
    }

    int Finish(int code) {
        const ULONGLONG elapsed = GetTickCount64() - start_;
        summary_.push_back(L"");
        if (!notRun_.empty()) {
            std::wstring parts;
            for (const auto& p : notRun_) parts += (parts.empty() ? L"" : L", ") + p;
            summary_.push_back(L"Not run: " + parts);
        }
        summary_.push_back(L"Elapsed: " + std::to_wstring((elapsed + 500) / 1000) + L" s");
        summary_.push_back(std::to_wstring(passed_) + L" passed, " + std::to_wstring(failed_) + L" failed");
        WriteSummary(folder_ / L"summary.txt", summary_);
        Say(L"");
        Say(L"所要時間: " + Duration(elapsed) + L" (" + std::to_wstring((elapsed + 500) / 1000) + L" s)");
        Say(L"レポート: " + (folder_ / L"summary.txt").wstring());
        if (code == kExitVelnorRunning)
            Say(L"テストは実行していません (Velnor が起動中)。");
        else if (failed_ == 0)
            Say(L"すべてのテストに合格しました。report フォルダーを送ってください。");
        else
            Say(L"失敗したテストがあります。report フォルダーを送ってください。");
        Say(summary_.back());
        return code;
    }

    fs::path bin_, kit_, report_;
    fs::path folder_ = report_;
    std::set<std::wstring> parts_;
    std::vector<Layer> layers_;
    bool mask_ = true;
    ULONGLONG start_ = 0;
    std::vector<std::wstring> summary_, notRun_;
    int passed_ = 0, failed_ = 0;
};

}  // namespace
}  // namespace velnor::kit

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"--can-try") return velnor::kit::Kit::CanTry();
    return velnor::kit::Kit().Run();
}
