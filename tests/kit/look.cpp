// The kit's own look at the program: the kit's test build started as a user
// starts it, against the kit's simulated netsh with the sample profiles,
// while every window that another process shows is watched for.
#include <windows.h>
#include <commctrl.h>

#include <set>

#include "kit/kit.h"
#include "platform/utf.h"
#include "support/netsh_sim.h"
#include "support/screen_pixels.h"
#include "support/shared_read.h"
#include "support/window_reading.h"

namespace velnor::kit {
namespace {

using test::ButtonByText;
using test::ClassOf;
using test::FindTopWindow;
using test::kPatienceMs;
using test::Radios;
using test::WindowText;
// Each hidden command takes this long, so that a console window that a
// hidden start wrongly shows is on screen long enough to be seen.
constexpr int kCommandDelayMs = 1500;
constexpr wchar_t kFactsMessage[] = L"Velnor kit: window facts";

std::wstring ImageOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool named = process && QueryFullProcessImageNameW(process, 0, path, &size);
    if (process) CloseHandle(process);
    return named ? std::wstring(path, size) : L"process " + std::to_wstring(pid);
}

// Watches, while the program runs its hidden commands, for a top-level window
// of any process but the program and the kit that becomes visible: through
// the system's show events, which catch even a flash, and by looking at every
// window each time the wait wakes.
class WindowWatch {
public:
    explicit WindowWatch(DWORD programPid) : programPid_(programPid) {
        EnumWindows(Remember, reinterpret_cast<LPARAM>(&before_));
        current = this;
        hook_ = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, OnShow, 0, 0,
                                WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    }
    ~WindowWatch() {
        if (hook_) UnhookWinEvent(hook_);
        current = nullptr;
    }
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // Waits for `done`, for at most `ms`, glancing at every window each time
    // it looks, with the show events handled as they come in.
    bool WaitFor(const std::function<bool()>& done, DWORD ms = kPatienceMs) {
        return test::WaitFor(
            [&] {
                EnumWindows(Glance, reinterpret_cast<LPARAM>(this));
                ++glances_;
                return done();
            },
            ms, test::WhileWaiting::HandleMessages);
    }

    const std::vector<std::wstring>& Seen() const { return seen_; }
    bool EventsHeard() const { return hook_ != nullptr; }
    int Glances() const { return glances_; }

private:
    static BOOL CALLBACK Remember(HWND h, LPARAM data) {
        if (IsWindowVisible(h)) reinterpret_cast<std::set<HWND>*>(data)->insert(h);
        return TRUE;
    }
    static BOOL CALLBACK Glance(HWND h, LPARAM data) {
        reinterpret_cast<WindowWatch*>(data)->Consider(h, L"seen");
        return TRUE;
    }
    static void CALLBACK OnShow(HWINEVENTHOOK, DWORD, HWND h, LONG object, LONG, DWORD, DWORD) {
        if (current && h && object == OBJID_WINDOW && GetAncestor(h, GA_ROOT) == h) current->Consider(h, L"shown");
    }

    void Consider(HWND h, const wchar_t* how) {
        if (!IsWindowVisible(h) || before_.count(h) || reported_.count(h)) return;
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == programPid_ || pid == GetCurrentProcessId()) return;
        reported_.insert(h);
        RECT r{};
        GetWindowRect(h, &r);
        seen_.push_back(std::wstring(how) + L": class \"" + ClassOf(h) + L"\", title \"" + WindowText(h) + L"\", " +
                        std::to_wstring(r.right - r.left) + L" x " + std::to_wstring(r.bottom - r.top) + L", " +
                        ImageOf(pid));
    }

    static inline WindowWatch* current = nullptr;
    DWORD programPid_;
    HWINEVENTHOOK hook_ = nullptr;
    std::set<HWND> before_, reported_;
    std::vector<std::wstring> seen_;
    int glances_ = 0;
};

class Look {
public:
    Look(const fs::path& bin, const fs::path& report) : bin_(bin), report_(report) {}

    LookResult Run() {
        std::error_code ec;
        const fs::path work = report_ / L"look";
        fs::remove_all(work, ec);
        fs::create_directories(work / L"sim", ec);
        const fs::path exe = work / L"velnor.exe";
        factsFile_ = work / L"window-facts.txt";
        if (!CopyFileW((bin_ / L"velnor.exe").c_str(), exe.c_str(), FALSE)) {
            Fail(L"Look.TheProgramStarts", L"could not copy bin\\velnor.exe");
            return std::move(result_);
        }
        {
            // The sample profiles, each command slowed down.
            test::NetshSim sim((work / L"sim").wstring());
            auto scenario = test::NetshSim::Lines(
                Utf8ToWide(test::ReadShared((bin_.parent_path() / L"sample" / L"state.ini").c_str())));
            scenario.push_back(L"delay.show=" + std::to_wstring(kCommandDelayMs));
            scenario.push_back(L"delay.connect=" + std::to_wstring(kCommandDelayMs));
            sim.SetState(scenario);
            sim_ = &sim;
            SetEnvironmentVariableW(L"VELNOR_KIT_WINDOW_FACTS", factsFile_.c_str());
            RunProgram(exe, work);
            SetEnvironmentVariableW(L"VELNOR_KIT_WINDOW_FACTS", nullptr);
            sim_ = nullptr;
        }
        fs::remove_all(work, ec);
        return std::move(result_);
    }

private:
    void Pass(const wchar_t* name) { result_.checks.push_back({name, Outcome::Passed}); }
    void Fail(const wchar_t* name, const std::wstring& why) {
        result_.checks.push_back({name, Outcome::Failed});
        result_.problems.push_back(std::wstring(name) + L": " + why);
    }
    void Check(const wchar_t* name, bool ok, const std::wstring& why) { ok ? Pass(name) : Fail(name, why); }

    // Asks the program for the facts of one window and waits for them.
    bool WindowFacts(WindowWatch& watch, HWND window, const std::wstring& cls) {
        static const UINT message = RegisterWindowMessageW(kFactsMessage);
        PostMessageW(window, message, 0, 0);
        const std::string end = "end " + WideToUtf8(cls);
        std::string text;
        if (!watch.WaitFor([&] { return (text = test::ReadShared(factsFile_.c_str())).find(end) != std::string::npos; })) return false;
        size_t from = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; from = at + 2, at = text.find("\r\n", from)) {
            const std::string line = text.substr(from, at - from);
            if (line.rfind("window " + WideToUtf8(cls), 0) == 0 || (!line.empty() && line[0] == ' ' && inside_))
                result_.facts.push_back(Utf8ToWide(line));
            if (line.rfind("window " + WideToUtf8(cls), 0) == 0) inside_ = true;
            if (line == end) inside_ = false;
        }
        return true;
    }

    void RunProgram(const fs::path& exe, const fs::path& work) {
        std::wstring commandLine = L"\"" + exe.wstring() + L"\" /p";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, work.c_str(), &si,
                            &pi)) {
            Fail(L"Look.TheProgramStarts", L"could not start it (error " + std::to_wstring(GetLastError()) + L")");
            return;
        }
        {
            WindowWatch watch(pi.dwProcessId);
            Drive(watch, pi);
            const auto& seen = watch.Seen();
            for (const auto& s : seen) result_.facts.push_back(L"  a window of another process " + s);
            result_.facts.insert(result_.facts.begin(),
                                 L"Windows of other processes that became visible while Velnor ran its hidden commands: " +
                                     std::to_wstring(seen.size()) + L" (show events " +
                                     (watch.EventsHeard() ? L"watched" : L"unavailable") + L", " +
                                     std::to_wstring(watch.Glances()) + L" looks at every window)");
            Check(L"Look.NoWindowOfAnotherProcessShowsWhileHiddenCommandsRun", seen.empty(),
                  std::to_wstring(seen.size()) + L" window(s) appeared, listed above");
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            for (const wchar_t* cls : {L"TListForm", L"TmainForm"})
                if (HWND h = FindTopWindow(pi.dwProcessId, cls)) PostMessageW(h, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(pi.hProcess, kPatienceMs) == WAIT_TIMEOUT) {
                TerminateProcess(pi.hProcess, 99);
                WaitForSingleObject(pi.hProcess, 5000);
                Fail(L"Look.TheProgramEndsWhenClosed", L"it did not end within 30 s of its close and was ended");
            } else {
                Pass(L"Look.TheProgramEndsWhenClosed");
            }
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    void Drive(WindowWatch& watch, const PROCESS_INFORMATION& pi) {
        HWND main = nullptr;
        // Started: the main window shows, and its hidden listing has ended
        // once it lists the sample profiles and answers again.
        const bool listed = watch.WaitFor([&] {
            main = FindTopWindow(pi.dwProcessId, L"TmainForm");
            return main && !sim_->Commands().empty() && test::Answers(main) && !Radios(main).empty();
        });
        Check(L"Look.TheProgramStartsAndListsTheSampleProfiles", listed,
              L"no main window with the sample profiles within 30 s");
        if (!listed) return;
        // A connect: the hidden interface listing through cmd.exe, then the
        // hidden netsh itself.
        const auto radios = Radios(main);
        HWND radio = radios.empty() ? nullptr : radios.front();
        HWND connect = ButtonByText(main, L"接続"), list = ButtonByText(main, L"リスト編集");
        if (!radio || !connect || !list) {
            Fail(L"Look.TheProgramStartsAndListsTheSampleProfiles", L"no radio button, 接続 or リスト編集");
            return;
        }
        SendMessageW(radio, BM_CLICK, 0, 0);
        const size_t before = sim_->Commands().size();
        PostMessageW(connect, BM_CLICK, 0, 0);
        // The simulator writes the new connection once its delay is over.
        Check(L"Look.AConnectRunsItsTwoHiddenCommands", watch.WaitFor([&] {
            return sim_->Commands().size() >= before + 2 && !sim_->Connected().empty();
        }),
              L"the simulator did not record the interface listing and a finished connect within 30 s");
        Check(L"Look.TheMainWindowTellsItsFontAndTextFit", WindowFacts(watch, main, L"TmainForm"),
              L"no answer within 30 s");
        Check(L"Look.APictureOfTheMainWindow", test::SaveWindowPicture(main, (report_ / L"pictures" / L"look-main-window.bmp").wstring()),
              L"neither printed nor copied from the screen, or all of one colour");
        // The editor lists the profiles once more when it opens.
        const size_t listed2 = sim_->Commands().size();
        PostMessageW(list, BM_CLICK, 0, 0);
        HWND editor = nullptr;
        const bool opened = watch.WaitFor([&] {
            editor = FindTopWindow(pi.dwProcessId, L"TListForm");
            HWND ticks = editor ? FindWindowExW(editor, nullptr, L"SysListView32", nullptr) : nullptr;
            return ticks && sim_->Commands().size() > listed2 && SendMessageW(ticks, LVM_GETITEMCOUNT, 0, 0) > 0;
        });
        Check(L"Look.TheListEditorOpens", opened, L"no list editor within 30 s");
        if (!opened) return;
        Check(L"Look.TheListEditorTellsItsFontAndTextFit", WindowFacts(watch, editor, L"TListForm"),
              L"no answer within 30 s");
        Check(L"Look.APictureOfTheListEditor", test::SaveWindowPicture(editor, (report_ / L"pictures" / L"look-list-editor.bmp").wstring()),
              L"neither printed nor copied from the screen, or all of one colour");
    }

    fs::path bin_, report_, factsFile_;
    const test::NetshSim* sim_ = nullptr;
    LookResult result_;
    bool inside_ = false;
};

}  // namespace

LookResult LookAtTheProgram(const fs::path& bin, const fs::path& report) { return Look(bin, report).Run(); }

}  // namespace velnor::kit
