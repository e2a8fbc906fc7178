// Faults injected into the real program: killed in the middle of writing its
// files, and started twenty times at the same instant.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "e2e/fixture.h"
#include "platform/utf.h"

namespace velnor::e2e {
namespace {

using Names = std::vector<std::wstring>;

class FaultTest : public AppTest {
protected:
    void TearDown() override {
        SetEnvironmentVariableW(L"VELNOR_PAUSE_BEFORE_REPLACE", nullptr);
        AppTest::TearDown();
    }
    // The test build with the pause point, beside the product in the folder.
    std::unique_ptr<Program> StartPausing(const wchar_t* file) {
        const std::wstring faults = app + L"\\velnor_faults.exe";
        CopyFileW(BuiltProgram(L"velnor_faults.exe").c_str(), faults.c_str(), FALSE);
        SetEnvironmentVariableW(L"VELNOR_PAUSE_BEFORE_REPLACE", file);
        auto p = std::make_unique<Program>(faults, L"\"" + faults + L"\" /p", work);
        SetEnvironmentVariableW(L"VELNOR_PAUSE_BEFORE_REPLACE", nullptr);
        return p;
    }
    // Runs the product once, choosing the radio button `index`, and closes it.
    void RunAndChoose(int index) {
        auto p = Start();
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        ASSERT_GT(Radios(main).size(), static_cast<size_t>(index));
        SendMessageW(Radio(main, static_cast<size_t>(index)), BM_CLICK, 0, 0);
        ASSERT_EQ(p->Close(), 0);
    }
    // Kills the copy and waits, with the shared bound, until nothing of it is
    // left that the next start could meet; a tear-down that does not finish
    // is a failure that says what is still there, never a silent slide into
    // the next start.
    void Kill(Program& p) const {
        ASSERT_TRUE(TerminateProcess(p.Process(), 9) || WaitForSingleObject(p.Process(), 0) == WAIT_OBJECT_0);
        ASSERT_EQ(WaitForSingleObject(p.Process(), kPatienceMs), WAIT_OBJECT_0) << "the killed copy still runs"
                                                                               << Evidence();
        // Wine hands a freed process id to the next process at once, and the
        // windows of a killed one can outlive it for a moment: the next start
        // must not find them under its own id.
        ASSERT_TRUE(WaitFor([&] { return TopWindows(p.Pid()).empty(); }))
            << "the killed copy's windows are still there" << Evidence();
        // Nor may it meet the killed copy's single-instance guard, which Wine
        // can release a moment after the process has ended.
        ASSERT_TRUE(WaitFor([] { return !GuardHeld(); })) << "the killed copy's guard is still held" << Evidence();
    }
};

TEST_F(FaultTest, KilledJustBeforeTheSettingsAreReplacedTheOldFileStays) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    RunAndChoose(0);
    const std::string before = ReadFile(File(L"Velnor.xml"));
    ASSERT_NE(before.find("Home"), std::string::npos);

    auto p = StartPausing(L"Velnor.xml");
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return FileExists(File(L"Velnor.xml.paused")); }));
    ASSERT_NO_FATAL_FAILURE(Kill(*p));
    EXPECT_EQ(ReadFile(File(L"Velnor.xml")), before);
    // And the next run reads it as before.
    auto next = Start();
    HWND again = next->MainWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(CheckedRadio(again), 0);
    EXPECT_EQ(next->Close(), 0);
}

TEST_F(FaultTest, WritesKilledAgainAndAgainLeaveOneTemporaryFileThatTheNextWriteTakesOver) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    RunAndChoose(0);
    const std::string before = ReadFile(File(L"Velnor.xml"));
    auto leftovers = [&] {
        Names found;
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW(File(L"*.tmp").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return found;
        do found.push_back(data.cFileName);
        while (FindNextFileW(h, &data));
        FindClose(h);
        return found;
    };
    for (int kill = 1; kill <= 3; ++kill) {
        auto p = StartPausing(L"Velnor.xml");
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr) << "kill " << kill;
        ASSERT_TRUE(WaitFor([&] { return Radios(main).size() == 2; }, 5000))
            << "kill " << kill << ": " << Radios(main).size() << " radio buttons" << Evidence();
        SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
        PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return FileExists(File(L"Velnor.xml.paused")); })) << "kill " << kill;
        ASSERT_NO_FATAL_FAILURE(Kill(*p));
        DeleteFileW(File(L"Velnor.xml.paused").c_str());
        EXPECT_EQ(leftovers(), Names{L"Velnor.xml.tmp"}) << "kill " << kill;
        EXPECT_EQ(ReadFile(File(L"Velnor.xml")), before) << "kill " << kill;
    }
    RunAndChoose(1);
    EXPECT_EQ(leftovers(), Names{});
    EXPECT_NE(ReadFile(File(L"Velnor.xml")).find("> Work<"), std::string::npos);
}

TEST_F(FaultTest, KilledJustBeforeTheHiddenListIsReplacedTheOldFileStays) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    const std::string before = " Work\r\n";
    WriteFile(File(L"Disable.lst"), before);
    auto p = StartPausing(L"Disable.lst");
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (editor = FindTopWindow(p->Pid(), L"TListForm")) != nullptr; }));
    HWND list = nullptr, toolbar = nullptr;
    for (HWND h : Children(editor)) {
        if (ClassOf(h) == L"SysListView32") list = h;
        if (ClassOf(h) == L"ToolbarWindow32") toolbar = h;
    }
    ASSERT_TRUE(list && toolbar);
    ASSERT_TRUE(SetListTick(p->Process(), list, 0, true));
    ASSERT_TRUE(ClickToolButton(p->Process(), toolbar, L"OK"));
    ASSERT_TRUE(WaitFor([&] { return FileExists(File(L"Disable.lst.paused")); }));
    ASSERT_NO_FATAL_FAILURE(Kill(*p));
    EXPECT_EQ(ReadFile(File(L"Disable.lst")), before);
}

TEST_F(FaultTest, KilledAtRandomMomentsOfACloseTheSettingsAreOldOrNewNeverPartial) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    RunAndChoose(0);
    std::mt19937 random(20261210);
    int oldSeen = 0, newSeen = 0;
    for (int trial = 0; trial < 24; ++trial) {
        const std::string before = ReadFile(File(L"Velnor.xml"));
        const bool wasHome = before.find("> Home<") != std::string::npos;
        const size_t commandsBefore = sim->Commands().size();
        auto p = Start();
        HWND main = p->MainWindow();
        HWND box = FindTopWindow(p->Pid(), L"#32770");
        if (!main && !box && WaitForSingleObject(p->Process(), 0) == WAIT_TIMEOUT) {
            // Slow to appear, but no error: give the window more time.
            std::printf("  [info] trial %d: no window after 15 s, waiting longer\n", trial);
            main = p->MainWindow(30000);
            box = FindTopWindow(p->Pid(), L"#32770");
        }
        std::wstring boxText = box ? ErrorBoxText(box) : L"";
        ASSERT_NE(main, nullptr) << "trial " << trial << ", " << p->Report() << ", guard held " << GuardHeld()
                                 << ", commands run by it " << sim->Commands().size() - commandsBefore << ", box '"
                                 << WideToUtf8(boxText) << "', settings '" << before << "'" << Evidence();
        // Both names must be listed; otherwise say what the program shows
        // instead of reaching past the end of the list.
        WaitFor([&] { return Radios(main).size() == 2 || FindTopWindow(p->Pid(), L"#32770"); }, 5000);
        if (HWND late = FindTopWindow(p->Pid(), L"#32770")) boxText = ErrorBoxText(late);
        ASSERT_EQ(Radios(main).size(), 2u) << "trial " << trial << ", box '" << WideToUtf8(boxText) << "', settings '"
                                           << before << "', now '" << ReadFile(File(L"Velnor.xml")) << "'"
                                           << Evidence();
        SendMessageW(Radio(main, wasHome ? 1 : 0), BM_CLICK, 0, 0);
        // The close takes a few milliseconds: kill somewhere inside it.
        const double delay = std::uniform_real_distribution<double>(0.0, 6.0)(random);
        LARGE_INTEGER frequency, start, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        PostMessageW(main, WM_CLOSE, 0, 0);
        do QueryPerformanceCounter(&now);
        while ((now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart < delay);
        ASSERT_NO_FATAL_FAILURE(Kill(*p));
        const std::string after = ReadFile(File(L"Velnor.xml"));
        if (after == before) {
            ++oldSeen;
            continue;
        }
        // A complete new file: the other choice, and the whole document.
        EXPECT_NE(after.find(wasHome ? "> Work<" : "> Home<"), std::string::npos) << after;
        EXPECT_GE(after.size(), 12u);
        EXPECT_EQ(after.substr(after.size() - 9), "</root>\r\n") << after;
        ++newSeen;
    }
    std::printf("  [info] old file %d times, new file %d times\n", oldSeen, newSeen);
}

// The copies a test started, ended by their handles on every path out of it,
// so that a failing test leaves nothing running for the next one.
class Copies {
public:
    explicit Copies(size_t n) : pi_(n) {}
    ~Copies() {
        for (auto& pi : pi_) {
            if (!pi.hProcess) continue;
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(pi.hProcess, 99);
                WaitForSingleObject(pi.hProcess, 10000);
            }
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    Copies(const Copies&) = delete;
    Copies& operator=(const Copies&) = delete;
    std::vector<PROCESS_INFORMATION>& all() { return pi_; }

private:
    std::vector<PROCESS_INFORMATION> pi_;
};

TEST_F(FaultTest, OfTwentyCopiesStartedAtTheSameInstantExactlyOneRuns) {
    Copies copies(20);
    for (auto& pi : copies.all()) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        ASSERT_TRUE(StartProcess(exe, CommandLine(L"/p"), CREATE_SUSPENDED, work, si, pi))
            << "error " << GetLastError();
    }
    for (auto& pi : copies.all()) ResumeThread(pi.hThread);
    // All but one end on their own, silently and with exit code 0; the one
    // left shows its window.
    auto running = [&] {
        int n = 0;
        for (auto& pi : copies.all()) n += WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
        return n;
    };
    ASSERT_TRUE(WaitFor([&] { return running() == 1; }, 30000)) << running() << " still running";
    PROCESS_INFORMATION* survivor = nullptr;
    for (auto& pi : copies.all())
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) survivor = &pi;
    ASSERT_NE(survivor, nullptr);
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(survivor->dwProcessId, L"TmainForm")) != nullptr; }));
    // With its window up the survivor holds the guard; nobody else runs.
    EXPECT_EQ(running(), 1);
    int windows = 0;
    for (auto& pi : copies.all())
        if (&pi != survivor && FindTopWindow(pi.dwProcessId, L"TmainForm", false)) ++windows;
    EXPECT_EQ(windows, 0);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(survivor->hProcess, kPatienceMs), WAIT_OBJECT_0);
    for (auto& pi : copies.all()) {
        DWORD code = 99;
        GetExitCodeProcess(pi.hProcess, &code);
        EXPECT_EQ(code, 0u);
    }
}

}  // namespace
}  // namespace velnor::e2e
