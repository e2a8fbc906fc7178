// Run-and-wait against the simulated wireless service, for real under Wine.
#include "orvo/exec_and_wait.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "orvo/command_job.h"
#include "platform/win32_text.h"
#include "support/netsh_sim.h"
#include "support/temp_dir.h"

namespace velnor {
namespace {

using test::NetshSim;
using test::TempDir;

std::wstring Cmd() { return SystemFolder() + L"\\cmd.exe"; }

// The processes started by `parent`, found through their parent id.
std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* exe) {
    std::vector<DWORD> out;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W e{};
    e.dwSize = sizeof(e);
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
        if (e.th32ParentProcessID == parent && _wcsicmp(e.szExeFile, exe) == 0) out.push_back(e.th32ProcessID);
    CloseHandle(snap);
    return out;
}

// Thread timers are dispatched by the pump inside ExecAndWait; the tests use
// them to act while a command runs.
struct TimerScope {
    explicit TimerScope(TIMERPROC proc, UINT ms) : id(SetTimer(nullptr, 0, ms, proc)) {}
    ~TimerScope() { KillTimer(nullptr, id); }
    UINT_PTR id;
};

class ExecAndWaitTest : public ::testing::Test {
protected:
    TempDir dir;
    NetshSim sim{dir.File(L"sim")};
};

TEST_F(ExecAndWaitTest, AProgramThatCannotStartReturnsACodeOf32OrLessAtOnce) {
    for (const std::wstring& file : {dir.File(L"missing.exe"), std::wstring(L"Z:\\no\\such\\folder\\x.exe")}) {
        const int code = ExecAndWait(nullptr, file, L"", L"", SW_HIDE);
        EXPECT_LE(static_cast<unsigned>(code), 32u);
    }
}

TEST_F(ExecAndWaitTest, ReturnsOnlyWhenTheCommandHasEndedAndItsOutputIsWritten) {
    sim.SetState({L"profile=Home", L"profile=自宅", L"delay.show=700"});
    const std::wstring capture = dir.File(L"with space\\WiFi.log");
    CreateDirectoryW(dir.File(L"with space").c_str(), nullptr);
    const int code = ExecAndWait(nullptr, Cmd(), L" /c netsh wlan show profile > \"" + capture + L"\"", L"",
                                 SW_HIDE, SystemFolder());
    EXPECT_GT(static_cast<unsigned>(code), 32u);
    const std::string out = test::ReadBytes(capture);
    EXPECT_NE(out.find("Home"), std::string::npos);
    EXPECT_NE(out.find("\x8E\xA9\x91\xEE"), std::string::npos);  // 自宅 in CP932
    // No cmd.exe of ours is left running.
    EXPECT_TRUE(ChildProcesses(GetCurrentProcessId(), L"cmd.exe").empty());
}

int timerTicks = 0;
std::vector<std::string> order;

TEST_F(ExecAndWaitTest, PumpsMessagesAndRunsANestedCommandThatFinishesFirst) {
    sim.SetState({L"profile=Home", L"delay.show=1200"});
    timerTicks = 0;
    order.clear();
    const TimerScope timer(
        [](HWND, UINT, UINT_PTR, DWORD) {
            if (++timerTicks != 2) return;
            order.push_back("inner start");
            ExecAndWait(nullptr, Cmd(), L" /c netsh wlan disconnect", L"", SW_HIDE, SystemFolder());
            order.push_back("inner end");
        },
        100);
    order.push_back("outer start");
    ExecAndWait(nullptr, Cmd(), L" /c netsh wlan show profile > \"" + dir.File(L"a.log") + L"\"", L"", SW_HIDE,
                SystemFolder());
    order.push_back("outer end");
    EXPECT_EQ(order, (std::vector<std::string>{"outer start", "inner start", "inner end", "outer end"}));
    EXPECT_GE(timerTicks, 5);  // the window kept working for the whole wait
    // Both commands reached netsh; which of the two got there first is the
    // scheduler's business, not the wait's.
    const auto commands = sim.Commands();
    ASSERT_EQ(commands.size(), 2u);
    const auto ran = [&](const wchar_t* what) {
        return std::count_if(commands.begin(), commands.end(),
                             [&](const std::wstring& c) { return c.find(what) != std::wstring::npos; });
    };
    EXPECT_EQ(ran(L"show profile"), 1);
    EXPECT_EQ(ran(L"disconnect"), 1);
}

TEST_F(ExecAndWaitTest, AQuitRequestDuringTheWaitIsKeptForTheMessageLoop) {
    sim.SetState({L"delay.disconnect=400"});
    PostQuitMessage(7);
    ExecAndWait(nullptr, Cmd(), L" /c netsh wlan disconnect", L"", SW_HIDE, SystemFolder());
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(sim.Commands().size(), 1u);
}

TEST_F(ExecAndWaitTest, AHungCommandKeepsTheWaitGoingWithAResponsiveLoopUntilItEnds) {
    sim.SetState({L"delay.show=-1"});
    timerTicks = 0;
    // After a second of waiting, end the hung netsh as a user with Task
    // Manager would; the wait itself has no time-out.
    const TimerScope timer(
        [](HWND, UINT, UINT_PTR, DWORD) {
            if (++timerTicks != 10) return;
            for (DWORD cmd : ChildProcesses(GetCurrentProcessId(), L"cmd.exe"))
                for (DWORD netsh : ChildProcesses(cmd, L"netsh.exe")) {
                    HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, netsh);
                    if (h) {
                        TerminateProcess(h, 1);
                        CloseHandle(h);
                    }
                }
        },
        100);
    const int code = ExecAndWait(nullptr, Cmd(), L" /c netsh wlan show profile > \"" + dir.File(L"h.log") + L"\"",
                                 L"", SW_HIDE, SystemFolder());
    EXPECT_GT(static_cast<unsigned>(code), 32u);
    EXPECT_GE(timerTicks, 10);
}

// The processes of one program that began after it was made, each held by
// its handle from the moment it is seen: a process found by its id alone
// could be another program once the system has handed the id on. Whatever
// still runs is ended when it goes.
class Started {
public:
    explicit Started(const wchar_t* exe) : exe_(exe) { GetSystemTimeAsFileTime(&since_); }
    ~Started() {
        for (HANDLE h : handles_) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    // Takes in those running now.
    void Look() {
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W e{};
        e.dwSize = sizeof(e);
        for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
            if (_wcsicmp(e.szExeFile, exe_) != 0 || Holds(e.th32ProcessID)) continue;
            HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                   e.th32ProcessID);
            if (!h) continue;
            FILETIME created{}, exited{}, kernel{}, user{};
            if (GetProcessTimes(h, &created, &exited, &kernel, &user) && CompareFileTime(&created, &since_) >= 0)
                handles_.push_back(h);
            else
                CloseHandle(h);
        }
        CloseHandle(snap);
    }
    size_t Count() const { return handles_.size(); }
    // Looks again until `n` are held, for at most `timeoutMs`.
    bool LookUntil(size_t n, DWORD timeoutMs = 30000) {
        for (const DWORD start = GetTickCount(); Look(), Count() < n; Sleep(20))
            if (GetTickCount() - start > timeoutMs) return false;
        return true;
    }
    bool Holds(DWORD pid) const {
        return std::any_of(handles_.begin(), handles_.end(), [&](HANDLE h) { return GetProcessId(h) == pid; });
    }
    // How many of them still run once each has had `timeoutMs` to end; those
    // in `spared` are not counted.
    size_t StillRunning(DWORD timeoutMs, const std::vector<DWORD>& spared = {}) const {
        size_t n = 0;
        for (HANDLE h : handles_)
            if (std::find(spared.begin(), spared.end(), GetProcessId(h)) == spared.end())
                n += WaitForSingleObject(h, timeoutMs) != WAIT_OBJECT_0;
        return n;
    }

private:
    const wchar_t* exe_;
    FILETIME since_{};
    std::vector<HANDLE> handles_;
};

// A hung command whose first program is orphaned at once: cmd.exe starts a
// second cmd.exe, which starts netsh in the background and ends, so that
// netsh's parent id names a process that is gone; then the first cmd.exe runs
// a netsh of its own. Both netsh hang.
const wchar_t kOrphaningCommand[] = L" /c cmd /c start \"\" /b netsh wlan show profile & netsh wlan show interface";

Started* seenNetsh = nullptr;
Started* seenCmd = nullptr;

// Bounded by a limit, the hung command is ended with every program it
// started, also one whose parent is gone and that no walk along parent ids
// would find.
TEST_F(ExecAndWaitTest, AHungCommandPastItsLimitIsEndedWithEverythingItStarted) {
    sim.SetState({L"delay.show=-1"});
    Started netsh(L"netsh.exe"), cmd(L"cmd.exe");
    seenNetsh = &netsh;
    seenCmd = &cmd;
    const TimerScope timer(
        [](HWND, UINT, UINT_PTR, DWORD) {
            seenNetsh->Look();
            seenCmd->Look();
        },
        50);
    {
        const WaitLimit limit(5000);
        const int code = ExecAndWait(nullptr, Cmd(), kOrphaningCommand, L"", SW_HIDE, SystemFolder());
        EXPECT_GT(static_cast<unsigned>(code), 32u);
    }
    seenNetsh = seenCmd = nullptr;
    ASSERT_EQ(netsh.Count(), 2u) << "both netsh should have been running before the limit; the journal holds "
                                 << sim.Commands().size();
    EXPECT_EQ(netsh.StillRunning(10000), 0u);
    EXPECT_EQ(cmd.StillRunning(10000), 0u);
}

// The command's job ends the command and nothing else: not a program of the
// same user that merely runs beside it. Where the command could not get a job
// (here: a handle without the right to assign it, as when an outer job that
// sets UI limits forbids nesting), only the command's own process is ended,
// through its handle; what it started is left to the program's job.
TEST_F(ExecAndWaitTest, EndingACommandTakesOnlyWhatItsJobHolds) {
    const struct {
        const char* name;
        DWORD access;
        bool joined;
    } cases[] = {
        {"with a job of its own", PROCESS_ALL_ACCESS, true},
        {"without one", SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(sim.Journal().c_str());
        sim.SetState({L"delay.show=-1"});
        // Both hold what the case starts, and end whatever still runs.
        Started netsh(L"netsh.exe"), cmds(L"cmd.exe");
        // Beside the command: a netsh of this process, not of the command.
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION bystander{};
        std::wstring line = L"netsh.exe wlan show interface";
        ASSERT_TRUE(CreateProcessW((SystemFolder() + L"\\netsh.exe").c_str(), line.data(), nullptr, nullptr, FALSE,
                                   CREATE_NO_WINDOW, nullptr, SystemFolder().c_str(), &si, &bystander));
        CloseHandle(bystander.hThread);
        PROCESS_INFORMATION cmd{};
        line = L"cmd.exe /c netsh wlan show profile";
        ASSERT_TRUE(CreateProcessW(Cmd().c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   SystemFolder().c_str(), &si, &cmd));
        CloseHandle(cmd.hThread);
        cmds.Look();
        ASSERT_TRUE(cmds.Holds(cmd.dwProcessId));
        HANDLE given = nullptr;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), cmd.hProcess, GetCurrentProcess(), &given, c.access, FALSE, 0));
        {
            CommandJob job(given);
            EXPECT_EQ(job.Joined(), c.joined);
            ASSERT_TRUE(netsh.LookUntil(2)) << netsh.Count() << " netsh running";
            job.End();
        }
        EXPECT_EQ(WaitForSingleObject(cmd.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0)) << "cmd.exe still runs";
        EXPECT_EQ(netsh.StillRunning(c.joined ? 10000 : 0, {bystander.dwProcessId}), c.joined ? 0u : 1u);
        EXPECT_EQ(WaitForSingleObject(bystander.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the bystander was ended";
        CloseHandle(bystander.hProcess);
        CloseHandle(given);
        CloseHandle(cmd.hProcess);
    }
}

// The handles this process holds, counted in the system's handle table.
// GetProcessHandleCount would be the plain call, but Wine answers it with 0.
size_t OwnHandleCount() {
    using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT handle;
        void* object;
        ACCESS_MASK access;
    };
    constexpr ULONG kSystemHandleInformation = 16;
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           static_cast<LONG>(0xC0000004))  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(buffer.size() * 2);
    if (status != 0) return 0;
    const ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    size_t own = 0;
    for (ULONG i = 0; i < count; ++i) own += entries[i].ownerPid == GetCurrentProcessId();
    return own;
}

TEST_F(ExecAndWaitTest, EveryRunClosesItsProcessHandle) {
    sim.SetState({L"profile=Home"});
    const std::wstring netsh = SystemFolder() + L"\\netsh.exe";
    // One run first, so that whatever the first start loads once is counted.
    ExecAndWait(nullptr, netsh, L"wlan disconnect", L"", SW_HIDE, SystemFolder());
    const size_t before = OwnHandleCount();
    ASSERT_GT(before, 0u) << "the system's handle table cannot be read here";
    constexpr size_t kRuns = 8;
    for (size_t i = 0; i < kRuns; ++i) ExecAndWait(nullptr, netsh, L"wlan disconnect", L"", SW_HIDE, SystemFolder());
    const size_t after = OwnHandleCount();
    EXPECT_EQ(sim.Commands().size(), kRuns + 1);
    // A leak would show as one handle per run; allow a little for the system.
    EXPECT_LT(after, before + kRuns / 2) << "handles before " << before << ", after " << after;
}

// A window with two tab stops in the way the program's windows are made
// (WS_EX_CONTROLPARENT), which records the commands that dialog navigation
// sends it.
struct NavigationWindow {
    static inline std::vector<WORD> commands;
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_COMMAND && lParam == 0) commands.push_back(LOWORD(wParam));
        return DefWindowProcW(h, msg, wParam, lParam);
    }
    NavigationWindow() {
        commands.clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelnorNavigationTest";
        RegisterClassW(&wc);
        window = CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"nav", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        first = CreateWindowExW(0, L"BUTTON", L"1", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 80, 30,
                                window, reinterpret_cast<HMENU>(101), wc.hInstance, nullptr);
        second = CreateWindowExW(0, L"BUTTON", L"2", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 50, 80,
                                 30, window, reinterpret_cast<HMENU>(102), wc.hInstance, nullptr);
    }
    ~NavigationWindow() { DestroyWindow(window); }
    HWND window, first, second;
};

HWND navFocusAfterTab = nullptr;
NavigationWindow* nav = nullptr;

TEST_F(ExecAndWaitTest, DialogKeysKeepWorkingWhileACommandRuns) {
    sim.SetState({L"profile=Home", L"delay.show=1500"});
    NavigationWindow window;
    nav = &window;
    SetForegroundWindow(window.window);
    SetFocus(window.first);
    ASSERT_EQ(GetFocus(), window.first);
    navFocusAfterTab = nullptr;
    timerTicks = 0;
    // Keys arrive as a user types them, as posted keyboard messages to the
    // focused control, while the listing is still running.
    const TimerScope timer(
        [](HWND, UINT, UINT_PTR, DWORD) {
            ++timerTicks;
            if (timerTicks == 2) {
                PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
                PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC00F0001);
            } else if (timerTicks == 4) {
                navFocusAfterTab = GetFocus();
                PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                PostMessageW(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
            }
        },
        100);
    ExecAndWait(nullptr, Cmd(), L" /c netsh wlan show profile > \"" + dir.File(L"n.log") + L"\"", L"", SW_HIDE,
                SystemFolder());
    ASSERT_GE(timerTicks, 6) << "the listing ended before the keys were typed";
    EXPECT_EQ(navFocusAfterTab, window.second) << "Tab moved the focus to the next tab stop";
    EXPECT_EQ(NavigationWindow::commands, std::vector<WORD>{IDCANCEL}) << "Esc sent IDCANCEL to the window";
    nav = nullptr;
}

}  // namespace
}  // namespace velnor
