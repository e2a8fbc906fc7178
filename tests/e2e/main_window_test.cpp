// The main window driven from outside as a user would: the list, the four
// buttons, silent mode, and what it keeps in "Velnor.xml".
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"
#include "platform/utf.h"

namespace velnor::e2e {
namespace {

using Names = std::vector<std::wstring>;

class MainWindowTest : public AppTest {
protected:
    // A settings file as the program writes it.
    void WriteSettings(const std::wstring& left, const std::wstring& top, const std::wstring& width,
                       const std::wstring& height, const std::wstring& ssid) {
        const std::wstring xml = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root>\n\t<Window>\n"
                                 L"\t\t<Left Type=\"9\">" + left + L"</Left>\n"
                                 L"\t\t<Top Type=\"9\">" + top + L"</Top>\n"
                                 L"\t\t<Width Type=\"9\">" + width + L"</Width>\n"
                                 L"\t\t<Height Type=\"9\">" + height + L"</Height>\n"
                                 L"\t\t<SSID Type=\"10\">" + ssid + L"</SSID>\n\t</Window>\n</root>\r\n";
        WriteFile(File(L"Velnor.xml"), WideToUtf8(xml));
    }
    std::wstring Settings() const { return Utf8ToWide(ReadFile(File(L"Velnor.xml"))); }
    // The settings file once it holds something other than BEFORE, or
    // empty. A read that finds no file, or cannot open it for a moment while
    // the program replaces it, is no answer yet.
    std::wstring NewSettings(const std::string& before, DWORD timeoutMs) const {
        std::string now;
        const bool changed = WaitFor([&] {
            now = ReadFile(File(L"Velnor.xml"));
            return !now.empty() && now != before;
        }, timeoutMs);
        return changed ? Utf8ToWide(now) : L"";
    }
    // The text of a value element in the settings file.
    std::wstring Setting(const std::wstring& key) const { return ValueIn(Settings(), key); }
    static std::wstring ValueIn(const std::wstring& s, const std::wstring& key) {
        const size_t open = s.find(L"<" + key + L" ");
        if (open == std::wstring::npos) return L"<missing>";
        const size_t start = s.find(L'>', open) + 1;
        return s.substr(start, s.find(L"</" + key + L">", start) - start);
    }
    void Click(HWND main, const wchar_t* caption) {
        HWND b = ButtonByText(main, caption);
        ASSERT_NE(b, nullptr) << "no button";
        PostMessageW(b, BM_CLICK, 0, 0);
    }
    // Starts the program, chooses Home and presses 接続 on a simulator whose
    // connect takes three seconds; returns while that command is running.
    void StartSlowConnect(std::unique_ptr<Program>& p, HWND& main) {
        sim->SetState({L"profile=Home", L"delay.connect=3000"});
        p = Start();
        main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        SendMessageW(Radio(main, 0), BM_CLICK, 0, 0);
        Click(main, L"接続");
        ASSERT_TRUE(WaitForJournal(3));
    }
    RECT Rect(HWND h) {
        RECT r{};
        GetWindowRect(h, &r);
        return r;
    }
};

TEST_F(MainWindowTest, ShowsTheListingInOrderWithDuplicatesAndNothingSelected) {
    sim->SetState({L"profile=Home", L"profile=自宅", L"profile=Office 5G", L"adapters=2"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(RadioTexts(main), (Names{L" Home", L" 自宅", L" Office 5G", L" Home", L" 自宅", L" Office 5G"}));
    EXPECT_EQ(CheckedRadio(main), -1);
    EXPECT_EQ(Journal(), Names{L"show profile"});
    Shot(main, L"main-listing");
    EXPECT_EQ(p->Close(), 0);
    EXPECT_FALSE(FileExists(File(L"WiFi.log")));
}

TEST_F(MainWindowTest, TheWindowLooksAsDesigned) {
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), L"Velnor");
    const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
    // Top to bottom 接続, 再接続, 切断 and, at the bottom, リスト編集, sized
    // for the window's DPI (the test kit runs at whatever the machine has).
    const int dpi = static_cast<int>(GetDpiForWindow(main));
    ASSERT_GT(dpi, 0);
    const wchar_t* captions[] = {L"接続", L"再接続", L"切断", L"リスト編集"};
    LONG lastTop = -100000;
    for (const wchar_t* c : captions) {
        HWND b = ButtonByText(main, c);
        ASSERT_NE(b, nullptr);
        EXPECT_GT(Rect(b).top, lastTop) << "order of " << WideToUtf8(c);
        lastTop = Rect(b).top;
        EXPECT_EQ(Rect(b).right - Rect(b).left, MulDiv(100, dpi, 96));
    }
    EXPECT_EQ(Rect(ButtonByText(main, L"接続")).bottom - Rect(ButtonByText(main, L"接続")).top, MulDiv(35, dpi, 96));
    EXPECT_EQ(Rect(ButtonByText(main, L"リスト編集")).bottom - Rect(ButtonByText(main, L"リスト編集")).top,
              MulDiv(30, dpi, 96));
    // The tab key visits 接続, 切断, 再接続, リスト編集: dialog navigation
    // follows the creation order of the controls.
    Names tabOrder;
    for (HWND h : Children(main))
        if (ClassOf(h) == L"Button" && (GetWindowLongPtrW(h, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON)
            tabOrder.push_back(WindowText(h));
    EXPECT_EQ(tabOrder, (Names{L"接続", L"切断", L"再接続", L"リスト編集"}));
    // The minimum outer size holds against any attempt to shrink it.
    SetWindowPos(main, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
    RECT r = Rect(main);
    EXPECT_GE(r.right - r.left, 350);
    EXPECT_GE(r.bottom - r.top, 300);
    EXPECT_EQ(p->Close(), 0);
}

TEST_F(MainWindowTest, HiddenNamesGoByExactMatchAllCopies) {
    sim->SetState({L"profile=Home", L"profile=Work", L"profile=Cafe", L"profile=Home", L"profile=自宅"});
    // " work" differs in case and "Cafe" lacks the leading space: neither hides.
    WriteFile(File(L"Disable.lst"), " Home\r\n work\r\nCafe\r\n \x8E\xA9\x91\xEE\r\n");
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(RadioTexts(main), (Names{L" Work", L" Cafe"}));
    EXPECT_EQ(p->Close(), 0);
}

TEST_F(MainWindowTest, TheStoredNameIsSelectedAndConnectUsesItEvenWhenHidden) {
    sim->SetState({L"profile=Home", L"profile=Work", L"profile=Home"});
    WriteSettings(L"100", L"100", L"350", L"300", L" Home");
    {
        auto p = Start();
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(CheckedRadio(main), 2);  // the last of the two equal items
        EXPECT_EQ(p->Close(), 0);
    }
    WriteFile(File(L"Disable.lst"), " Home\r\n");
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(RadioTexts(main), Names{L" Work"});
    EXPECT_EQ(CheckedRadio(main), -1);
    const size_t before = sim->Commands().size();
    Click(main, L"接続");
    ASSERT_TRUE(WaitForJournal(before + 2));
    EXPECT_EQ(Journal().back(), L"connect  Home");
    EXPECT_TRUE(WaitFor([&] { return sim->Connected() == L"Home"; }));
    EXPECT_EQ(p->Close(), 0);
    EXPECT_EQ(Setting(L"SSID"), L" Home");
}

TEST_F(MainWindowTest, ConnectRunsOnlyWhileNoInterfaceIsConnected) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
    EXPECT_EQ(CheckedRadio(main), 1);
    Click(main, L"接続");
    ASSERT_TRUE(WaitForJournal(3));
    EXPECT_EQ(Journal(), (Names{L"show profile", L"show interface", L"connect  Work"}));
    EXPECT_TRUE(WaitFor([&] { return sim->Connected() == L"Work"; }));
    SendMessageW(Radio(main, 0), BM_CLICK, 0, 0);
    Click(main, L"接続");
    ASSERT_TRUE(WaitForJournal(4));
    EXPECT_TRUE(WaitFor([&] { return sim->Connected() == L"Work"; }));
    // The list and the selection stay as they were.
    EXPECT_EQ(RadioTexts(main), (Names{L" Home", L" Work"}));
    EXPECT_EQ(CheckedRadio(main), 0);
    // The program ends only after its handlers have: the journal is complete.
    EXPECT_EQ(p->Close(), 0);
    EXPECT_EQ(Journal().size(), 4u);  // connected already: the listing only
    EXPECT_FALSE(FileExists(File(L"WiFi.log")));
}

TEST_F(MainWindowTest, DisconnectWithNothingSelectedAndReconnect) {
    sim->SetState({L"profile=Home", L"connected=Home"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    Click(main, L"切断");
    ASSERT_TRUE(WaitForJournal(2));
    EXPECT_EQ(Journal().back(), L"disconnect");
    EXPECT_TRUE(WaitFor([&] { return sim->Connected() == L""; }));
    SendMessageW(Radio(main, 0), BM_CLICK, 0, 0);
    const DWORD start = GetTickCount();
    Click(main, L"再接続");
    ASSERT_TRUE(WaitForJournal(5));
    EXPECT_GE(GetTickCount() - start, 1000u);  // the pause between the two halves
    EXPECT_EQ(Journal(), (Names{L"show profile", L"disconnect", L"disconnect", L"show interface", L"connect  Home"}));
    EXPECT_TRUE(WaitFor([&] { return sim->Connected() == L"Home"; }));
    EXPECT_EQ(p->Close(), 0);
}

TEST_F(MainWindowTest, DuringASlowCommandTheWindowAnswersAndAnotherClickRunsNested) {
    std::unique_ptr<Program> p;
    HWND main = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartSlowConnect(p, main));
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(main, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer));
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    Shot(main, L"main-during-slow-connect");
    Click(main, L"切断");
    ASSERT_TRUE(WaitForJournal(4, 2000));  // nested: well before the connect ends
    EXPECT_EQ(Journal().back(), L"disconnect");
    EXPECT_TRUE(WaitFor([&] { return sim->Connected() == L""; }));
    // Then the outer command finishes.
    ASSERT_TRUE(WaitFor([&] { return sim->Connected() == L"Home"; }, 10000));
    EXPECT_EQ(p->Close(), 0);
}

TEST_F(MainWindowTest, ClosingWhileACommandRunsWritesTheSettingsAtOnceAndEndsAfterIt) {
    std::unique_ptr<Program> p;
    HWND main = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartSlowConnect(p, main));
    const std::string before = ReadFile(File(L"Velnor.xml"));
    PostMessageW(main, WM_CLOSE, 0, 0);
    const std::wstring written = NewSettings(before, 2000);
    ASSERT_FALSE(written.empty()) << "the settings were not written at the close";
    EXPECT_EQ(ValueIn(written, L"SSID"), L" Home");
    EXPECT_EQ(WaitForSingleObject(p->Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // still waiting
    EXPECT_EQ(p->WaitExit(10000), 0);
    EXPECT_TRUE(WaitFor([&] { return sim->Connected() == L"Home"; }));  // the waiting handler finished its work
}

// The processes a program started (and theirs), opened at once, and ended by
// their handles when the test ends: a command that hangs must not outlive it.
class StartedCommands {
public:
    explicit StartedCommands(DWORD parent) {
        std::vector<std::pair<DWORD, ULONGLONG>> parents{{parent, CreatedAt(parent)}};
        for (size_t i = 0; i < parents.size(); ++i) {
            HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            PROCESSENTRY32W e{};
            e.dwSize = sizeof(e);
            for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
                if (e.th32ParentProcessID != parents[i].first) continue;
                // Wine's desktop process, which Wine starts under the first
                // program of a prefix to show a window: no command of it.
                if (_wcsicmp(e.szExeFile, L"explorer.exe") == 0) continue;
                // Ids are handed on (by Wine at once): a process left by an
                // earlier test can name a parent that had this id before.
                const ULONGLONG created = CreatedAt(e.th32ProcessID);
                if (created != 0 && created < parents[i].second) continue;
                if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, e.th32ProcessID)) {
                    handles_.push_back(h);
                    names_.push_back(e.szExeFile);
                    parents.push_back({e.th32ProcessID, created});
                }
            }
            CloseHandle(snap);
        }
    }
    ~StartedCommands() {
        for (HANDLE h : handles_) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
    }
    StartedCommands(const StartedCommands&) = delete;
    StartedCommands& operator=(const StartedCommands&) = delete;
    size_t Count() const { return handles_.size(); }
    // Waits until every one of them has ended.
    ::testing::AssertionResult AllEnd(DWORD timeoutMs = kPatienceMs) const {
        const DWORD start = GetTickCount();
        for (size_t i = 0; i < handles_.size(); ++i) {
            const DWORD spent = GetTickCount() - start;
            if (WaitForSingleObject(handles_[i], spent < timeoutMs ? timeoutMs - spent : 0) != WAIT_OBJECT_0)
                return ::testing::AssertionFailure() << WideToUtf8(names_[i]) << " still runs";
        }
        return ::testing::AssertionSuccess();
    }
    // Waits until every one of these that `known` does not hold has ended.
    bool OthersEnd(const StartedCommands& known) const {
        for (HANDLE h : handles_) {
            bool old = false;
            for (HANDLE k : known.handles_) old = old || GetProcessId(k) == GetProcessId(h);
            if (!old && WaitForSingleObject(h, 15000) != WAIT_OBJECT_0) return false;
        }
        return true;
    }

private:
    // When the process was created, or 0 when that cannot be learnt.
    static ULONGLONG CreatedAt(DWORD pid) {
        HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (!h) return 0;
        FILETIME created{}, exited{}, kernel{}, user{};
        const BOOL ok = GetProcessTimes(h, &created, &exited, &kernel, &user);
        CloseHandle(h);
        return ok ? (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime : 0;
    }

    std::vector<HANDLE> handles_;
    std::vector<std::wstring> names_;
};

// A command that never ends keeps the program only for the fixed grace time
// after a close, and nothing starts after it: the settings are written at the
// close itself.
TEST_F(MainWindowTest, AfterACloseTheProcessEndsEvenIfItsCommandNeverDoes) {
    const struct {
        const wchar_t* hang;
        const wchar_t* button;
        Names journal;
    } cases[] = {
        {L"delay.connect=-1", L"接続", {L"show profile", L"show interface", L"connect  Home"}},
        // The disconnect of 再接続 hangs: its connect half never starts.
        {L"delay.disconnect=-1", L"再接続", {L"show profile", L"disconnect"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.hang));
        DeleteFileW(sim->Journal().c_str());
        auto p = Start();
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        sim->SetState({L"profile=Home", c.hang});
        SendMessageW(Radio(main, 0), BM_CLICK, 0, 0);
        Click(main, c.button);
        ASSERT_TRUE(WaitFor([&] { return Journal() == c.journal; }));
        StartedCommands hanging(p->Pid());
        EXPECT_GE(hanging.Count(), 1u);
        const std::string before = ReadFile(File(L"Velnor.xml"));
        const DWORD closed = GetTickCount();
        PostMessageW(main, WM_CLOSE, 0, 0);
        // Written at the close itself, well before the grace period ends.
        const std::wstring written = NewSettings(before, 15000);
        ASSERT_FALSE(written.empty()) << "the settings were not written at the close";
        EXPECT_EQ(ValueIn(written, L"SSID"), L" Home");
        EXPECT_EQ(p->WaitExit(30000 + 30000), 0);
        std::printf("process ended %lu ms after the close\n", GetTickCount() - closed);
        // Whatever it started after giving up has ended and logged by now,
        // and the hung command did not outlive the program either.
        StartedCommands all(p->Pid());
        ASSERT_TRUE(all.OthersEnd(hanging));
        EXPECT_TRUE(hanging.AllEnd()) << "the hung cmd/netsh still runs";
        EXPECT_EQ(Journal(), c.journal);
    }
}

// A first listing that never ends (a stuck wireless service) runs before the
// window is shown. After a generous bound the window shows all the same, with
// nothing listed, and the hung command is ended: no invisible copy keeps the
// single-instance guard, and the next listing works.
TEST_F(MainWindowTest, AFirstListingThatNeverEndsIsGivenUpAndTheWindowShows) {
    sim->SetState({L"profile=Home", L"delay.show=-1"});
    auto p = Start();
    HWND main = p->MainWindow(kPatienceMs + 30000);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(Radios(main).empty());
    EXPECT_EQ(FindTopWindow(p->Pid(), L"#32770"), nullptr);
    EXPECT_TRUE(WaitFor([&] { return ProcessReport(0).find("netsh.exe") == std::string::npos; }))
        << ProcessReport(0);
    // The list editor lists again, through the same capture file.
    sim->SetState({L"profile=Home"});
    PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (editor = FindTopWindow(p->Pid(), L"TListForm")) != nullptr; }));
    HWND list = nullptr;
    for (HWND h : Children(editor))
        if (ClassOf(h) == L"SysListView32") list = h;
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ListItems(p->Process(), list) == Names{L" Home"}; }));
    PostMessageW(editor, WM_CLOSE, 0, 0);
    EXPECT_EQ(p->Close(), 0);
}

// Killed, as by the Task Manager or a crash, while its command hangs: the
// command ends with it and lets go of the capture file, so the next start can
// list again.
TEST_F(MainWindowTest, AKilledProgramTakesItsHungCommandWithIt) {
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    sim->SetState({L"profile=Home", L"delay.show=-1"});
    PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Journal().size() == 2; }));
    StartedCommands hanging(p->Pid());
    ASSERT_GE(hanging.Count(), 1u);
    ASSERT_TRUE(TerminateProcess(p->Process(), 9));
    EXPECT_TRUE(hanging.AllEnd()) << ProcessReport(0);
    // The capture file the listing held is free again.
    ASSERT_TRUE(WaitFor([&] { return !FileExists(File(L"WiFi.log")) || DeleteFileW(File(L"WiFi.log").c_str()); }));
    ASSERT_TRUE(WaitFor([] { return !GuardHeld(); }));
    sim->SetState({L"profile=Home"});
    auto next = Start();
    HWND again = next->MainWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(RadioTexts(again), Names{L" Home"});
    EXPECT_EQ(next->Close(), 0);
}

// Closed while the list editor's listing runs: no error box of that listing
// appears afterwards with no window behind it, and the process ends.
TEST_F(MainWindowTest, AfterACloseNoErrorBoxAppearsAndTheProcessEnds) {
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    sim->SetState({L"profile=Home", L"delay.show=2000"});
    Click(main, L"リスト編集");
    ASSERT_TRUE(WaitForJournal(2));
    PostMessageW(main, WM_CLOSE, 0, 0);
    bool box = false;
    WaitFor([&] {
        box = box || FindTopWindow(p->Pid(), L"#32770") != nullptr;
        return box || WaitForSingleObject(p->Process(), 0) == WAIT_OBJECT_0;
    }, 20000);
    EXPECT_FALSE(box);
    EXPECT_EQ(p->WaitExit(0), 0);
}

// Windows ending the session never waits on a box: the settings that cannot
// be written are not reported, and the file stays as it was.
TEST_F(MainWindowTest, EndingTheSessionNeverWaitsOnABox) {
    WriteFile(File(L"Velnor.xml"), "not xml at all");
    auto p = Start();
    HWND box = WaitForErrorBox(p->Pid());  // the read at start is reported as usual
    ASSERT_NE(box, nullptr);
    DismissErrorBox(box);
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return FindTopWindow(p->Pid(), L"#32770") == nullptr; }));
    const struct {
        UINT message;
        WPARAM wParam;
    } steps[] = {{WM_QUERYENDSESSION, 0}, {WM_ENDSESSION, TRUE}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.message);
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutW(main, step.message, step.wParam, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                                        &result));
        if (step.message == WM_QUERYENDSESSION) {
            EXPECT_TRUE(result);
        }
        EXPECT_EQ(FindTopWindow(p->Pid(), L"#32770"), nullptr);
    }
    // Past the end of the session a close shows nothing either.
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(p->WaitExit(), 0);
    EXPECT_EQ(ReadFile(File(L"Velnor.xml")), "not xml at all");
}

// An installer or updater asks running programs to close through the
// Restart Manager: the settings are written as at any close and the process
// ends, also while a command is running and while the list editor is open.
TEST_F(MainWindowTest, TheRestartManagersRequestWritesTheSettingsAndEnds) {
    enum class Busy { Idle, EditorOpen, CommandNeverEnds };
    for (const Busy busy : {Busy::Idle, Busy::EditorOpen, Busy::CommandNeverEnds}) {
        SCOPED_TRACE(busy == Busy::Idle         ? "idle"
                     : busy == Busy::EditorOpen ? "with the list editor open"
                                                : "with a command that never ends");
        DeleteFileW(sim->Journal().c_str());
        sim->SetState({L"profile=Home", L"profile=Work"});
        auto p = Start();
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
        if (busy == Busy::EditorOpen) {
            PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitFor([&] { return FindTopWindow(p->Pid(), L"TListForm") != nullptr; }));
        }
        if (busy == Busy::CommandNeverEnds) {
            // The end waits for no command: without giving it up at once the
            // process would wait for ever.
            sim->SetState({L"profile=Home", L"profile=Work", L"delay.connect=-1"});
            Click(main, L"接続");
            ASSERT_TRUE(WaitFor([&] { return Journal() == Names{L"show profile", L"show interface", L"connect  Work"}; }))
                << ::testing::PrintToString(Journal());
        }
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000,
                                        &result));
        EXPECT_TRUE(result);
        EXPECT_EQ(Setting(L"SSID"), L" Work");
        PostMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
        EXPECT_EQ(p->WaitExit(), 0);
    }
}

TEST_F(MainWindowTest, SilentModeConnectsClosesAndWrites) {
    const struct {
        const wchar_t* args;
        bool silent;
    } cases[] = {{L"/s /p", true}, {L"/p /s", true}, {L"/S /p", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        sim->SetState({L"profile=Home", L"profile=Work"});
        DeleteFileW(sim->Journal().c_str());
        WriteSettings(L"120", L"110", L"360", L"310", L" Work");
        auto p = Start(c.args);
        if (c.silent) {
            EXPECT_EQ(p->WaitExit(), 0);
            EXPECT_EQ(Journal(), (Names{L"show profile", L"show interface", L"connect  Work"}));
            EXPECT_TRUE(WaitFor([&] { return sim->Connected() == L"Work"; }));
            // The rectangle it had before it was minimised.
            EXPECT_EQ(Setting(L"Left"), L"120");
            EXPECT_EQ(Setting(L"Top"), L"110");
            EXPECT_EQ(Setting(L"Width"), L"360");
            EXPECT_EQ(Setting(L"Height"), L"310");
            EXPECT_EQ(Setting(L"SSID"), L" Work");
        } else {
            HWND main = p->MainWindow();
            ASSERT_NE(main, nullptr);
            // The close is posted after whatever the first show started, and
            // the program ends only after its handlers: the journal is final.
            EXPECT_EQ(p->Close(), 0);
            EXPECT_EQ(Journal(), Names{L"show profile"});
        }
    }
}

// The window of a silent run is never seen but as a taskbar button, and "/s"
// runs whatever show state the launcher passed: a first show that is
// minimised or maximised sends no WM_SHOWWINDOW, and one that the launcher
// turns into SW_HIDE shows nothing at all.
TEST_F(MainWindowTest, SilentModeRunsMinimisedWhateverTheLauncherAsked) {
    for (int show = -1; show <= SW_FORCEMINIMIZE; ++show) {
        SCOPED_TRACE(testing::Message() << "wShowWindow " << show);
        sim->SetState({L"profile=Home", L"profile=Work", L"delay.show=400"});
        DeleteFileW(sim->Journal().c_str());
        WriteSettings(L"120", L"110", L"360", L"310", L" Work");
        auto p = Start(L"/p /s", show);
        // The window exists, hidden, while its creation handler lists.
        HWND main = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(p->Pid(), L"TmainForm", false)) != nullptr; }));
        bool seenNormal = false, seenMinimised = false;
        const DWORD start = GetTickCount();
        while (WaitForSingleObject(p->Process(), 1) == WAIT_TIMEOUT && GetTickCount() - start < 15000) {
            // One read of the style: visible and minimised as one state, not
            // two calls that a change between them could mix.
            const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
            if (style & WS_VISIBLE) ((style & WS_MINIMIZE) ? seenMinimised : seenNormal) = true;
        }
        EXPECT_EQ(p->WaitExit(), 0);
        EXPECT_FALSE(seenNormal);
        EXPECT_TRUE(seenMinimised);  // the taskbar button while it connected
        EXPECT_EQ(Journal(), (Names{L"show profile", L"show interface", L"connect  Work"}));
        EXPECT_EQ(Setting(L"Left"), L"120");
        EXPECT_EQ(Setting(L"Width"), L"360");
    }
}

TEST_F(MainWindowTest, ASilentRunWhoseConnectFailsStaysOpenMinimisedAndUsable) {
    WriteSettings(L"120", L"110", L"360", L"310", L" Home");
    // A folder where the capture file should be: every listing fails.
    CreateDirectoryW(File(L"WiFi.log").c_str(), nullptr);
    auto p = Start(L"/p /s");
    HWND box = WaitForErrorBox(p->Pid());  // the listing of the creation handler
    ASSERT_NE(box, nullptr);
    DismissErrorBox(box);
    ASSERT_TRUE(WaitFor([&] { return FindTopWindow(p->Pid(), L"#32770") == nullptr; }));
    box = WaitForErrorBox(p->Pid());  // the interface listing of Connect
    ASSERT_NE(box, nullptr);
    DismissErrorBox(box);
    HWND main = FindTopWindow(p->Pid(), L"TmainForm", false);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Answers(main));  // FormShow is over and the window still there
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(IsIconic(main));
    // (cmd.exe cannot redirect into a folder, so no listing reached netsh.)
    Click(main, L"切断");
    ASSERT_TRUE(WaitForJournal(1));
    EXPECT_EQ(Journal(), Names{L"disconnect"});
    EXPECT_EQ(p->Close(), 0);
    EXPECT_EQ(Setting(L"Left"), L"120");
}

TEST_F(MainWindowTest, SilentModeWithNoChoiceOnlyListsAndStillWritesTheSettings) {
    auto p = Start(L"/p /s");
    EXPECT_EQ(p->WaitExit(), 0);
    EXPECT_EQ(Journal(), Names{L"show profile"});
    EXPECT_EQ(Setting(L"SSID"), L"");
    EXPECT_FALSE(FileExists(File(L"WiFi.log")));
}

TEST_F(MainWindowTest, FirstCloseWritesTheSectionInOrder) {
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    // The store creates the file at once: declaration and an empty root.
    EXPECT_NE(Settings().find(L"<root"), std::wstring::npos);
    EXPECT_EQ(Settings().find(L"Window"), std::wstring::npos);
    const RECT r = Rect(main);
    SendMessageW(Radio(main, 0), BM_CLICK, 0, 0);
    EXPECT_EQ(p->Close(), 0);
    const std::wstring s = Settings();
    const size_t left = s.find(L"<Left"), top = s.find(L"<Top"), width = s.find(L"<Width"),
                 height = s.find(L"<Height"), ssid = s.find(L"<SSID");
    EXPECT_TRUE(left < top && top < width && width < height && height < ssid && ssid != std::wstring::npos) << WideToUtf8(s);
    EXPECT_EQ(Setting(L"Left"), std::to_wstring(r.left));
    EXPECT_EQ(Setting(L"Top"), std::to_wstring(r.top));
    EXPECT_EQ(Setting(L"Width"), std::to_wstring(r.right - r.left));
    EXPECT_EQ(Setting(L"Height"), std::to_wstring(r.bottom - r.top));
    EXPECT_EQ(Setting(L"SSID"), L" Home");
}

TEST_F(MainWindowTest, StoredSizesBelowTheMinimumAndPositionsOffEveryMonitorAreCorrected) {
    WriteSettings(L"-5000", L"-5000", L"100", L"100", L"");
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    const RECT r = Rect(main);
    EXPECT_EQ(r.right - r.left, 350);
    EXPECT_EQ(r.bottom - r.top, 300);
    // Centred in the primary monitor's work area corrected by the taskbar.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    LONG workBottom = area.bottom;
    if (SHAppBarMessage(ABM_GETTASKBARPOS, &bar) && bar.uEdge == ABE_BOTTOM) workBottom += bar.rc.bottom - bar.rc.top;
    EXPECT_EQ(r.left, (area.right - 350) / 2);
    EXPECT_EQ(r.top, (workBottom - 300) / 2);
    EXPECT_EQ(p->Close(), 0);
    EXPECT_EQ(Setting(L"Left"), std::to_wstring(r.left));
}

// In " AT&T" the "&" is a character: typing "t" (or Alt+T) with " Home"
// selected changes nothing, and a screen reader reads the name as it is.
TEST_F(MainWindowTest, AnAmpersandInANameIsACharacterNotAShortcut) {
    sim->SetState({L"profile=Home", L"profile=AT&T", L"profile=R&&D"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(Radios(main).size(), 3u);
    EXPECT_EQ(AccessibleName(Radio(main, 1)), L" AT&T");
    // (Wine's screen-reader support drops only the first "&" of a name, where
    // Windows reads "&&" as "&": the shown text stands in for it here.)
    EXPECT_EQ(ShownText(Radio(main, 2)), L" R&&D");
    HWND home = Radio(main, 0);
    SendMessageW(home, BM_CLICK, 0, 0);
    for (const wchar_t key : {L't', L'T', L'r', L'd'}) {
        PostMessageW(home, WM_CHAR, key, 1);
        PostMessageW(home, WM_SYSCHAR, key, 1 | (1 << 29));  // with Alt
    }
    // The close is queued after the keys: the name it writes is the choice
    // they left.
    EXPECT_EQ(p->Close(), 0);
    EXPECT_EQ(Setting(L"SSID"), L" Home");
}

// As in a dialog: at start the selected radio button has the focus, or the
// first tab stop when none is selected.
TEST_F(MainWindowTest, AtStartTheSelectedRadioButtonOrTheFirstTabStopHasTheFocus) {
    const struct {
        std::vector<std::wstring> profiles;
        const wchar_t* stored;
        int radio;  // -1: the button 接続
    } cases[] = {
        {{L"profile=Home", L"profile=Work", L"profile=Cafe"}, L" Work", 1},
        {{L"profile=Home", L"profile=Work"}, L" Gone", 0},
        {{}, L" Home", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.stored));
        sim->SetState(c.profiles);
        WriteSettings(L"100", L"100", L"350", L"300", c.stored);
        auto p = Start();
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        const HWND expected = c.radio >= 0 ? Radio(main, static_cast<size_t>(c.radio)) : ButtonByText(main, L"接続");
        EXPECT_TRUE(WaitFor([&] { return FocusIn(main) == expected; }, 5000));
        EXPECT_EQ(p->Close(), 0);
    }
}

// The focused control survives a switch to another window and back, and the
// list editor's opening and closing.
TEST_F(MainWindowTest, TheFocusedControlIsGivenBackOnActivation) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return FocusIn(main) == Radio(main, 0); }, 5000));
    // Tab twice: 接続, then 切断.
    for (int i = 0; i < 2; ++i) {
        const HWND from = FocusIn(main);
        PostMessageW(from, WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(from, WM_KEYUP, VK_TAB, 1 | (3u << 30));
        ASSERT_TRUE(WaitFor([&] { return FocusIn(main) != from; }, 5000));
    }
    const HWND disconnect = ButtonByText(main, L"切断");
    ASSERT_EQ(FocusIn(main), disconnect);

    // Another window comes to the front, as with Alt+Tab, and then it again.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE | WS_CAPTION, 500, 500, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(WaitFor([&] { return ActiveIn(main) != main; }, 5000));
    SetForegroundWindow(main);
    EXPECT_TRUE(WaitFor([&] { return ActiveIn(main) == main; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return FocusIn(main) == disconnect; }, 5000));
    DestroyWindow(other);

    // The list editor opened from its button and closed: the focus is back
    // on the button.
    const HWND list = ButtonByText(main, L"リスト編集");
    PostMessageW(list, BM_CLICK, 0, 0);
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (editor = FindTopWindow(p->Pid(), L"TListForm")) != nullptr; }));
    PostMessageW(editor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }));
    EXPECT_TRUE(WaitFor([&] { return FocusIn(main) == list; }, 5000));
    EXPECT_EQ(p->Close(), 0);
}

TEST_F(MainWindowTest, ANameWithMarkupCharactersRoundTrips) {
    const std::wstring name = L"a&<b>\"c' & d";
    sim->SetState({L"profile=Home", L"profile=" + name});
    {
        auto p = Start();
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
        EXPECT_EQ(p->Close(), 0);
    }
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(CheckedRadio(main), 1);
    EXPECT_EQ(ShownText(Radio(main, 1)), L" " + name);
    EXPECT_EQ(p->Close(), 0);
}

TEST_F(MainWindowTest, AMalformedStoredValueIsReportedAndTheWindowStillOpensWithinReach) {
    // Top is applied before Left fails: the guard must still bring the
    // window back on screen. The list stays empty; the chosen profile is
    // kept.
    WriteSettings(L"abc", L"-5000", L"360", L"310", L" Home");
    auto p = Start();
    HWND box = WaitForErrorBox(p->Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), L"Velnor");
    EXPECT_EQ(ErrorBoxText(box), L"'abc' は整数ではありません.");
    DismissErrorBox(box);
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_GE(Rect(main).top, 0);
    EXPECT_TRUE(Radios(main).empty());
    EXPECT_EQ(Journal(), Names{});
    EXPECT_EQ(p->Close(), 0);
    // The profile was read all the same, so the close kept it.
    EXPECT_NE(Settings().find(L"<SSID Type=\"10\"> Home</SSID>"), std::wstring::npos) << Settings();
}

TEST_F(MainWindowTest, AnUnwritableSettingsFileIsReportedAndTheCloseGoesOn) {
    WriteFile(File(L"Velnor.xml"), "not xml at all");
    auto p = Start();
    HWND box = WaitForErrorBox(p->Pid());
    ASSERT_NE(box, nullptr);
    DismissErrorBox(box);
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    box = WaitForErrorBox(p->Pid());
    ASSERT_NE(box, nullptr);  // the write fails the same way
    DismissErrorBox(box);
    EXPECT_EQ(p->WaitExit(), 0);
    EXPECT_EQ(ReadFile(File(L"Velnor.xml")), "not xml at all");  // untouched
}

TEST_F(MainWindowTest, AFailedListingShowsTheOpenErrorAndLeavesTheListEmpty) {
    // A folder where the capture file should be: cmd.exe cannot write it and
    // the program cannot read it.
    CreateDirectoryW(File(L"WiFi.log").c_str(), nullptr);
    HANDLE probe = CreateFileW(File(L"WiFi.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE);
    const std::wstring cause = SystemMessage(GetLastError());
    auto p = Start();
    HWND box = WaitForErrorBox(p->Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ErrorBoxText(box), L"ファイル " + File(L"WiFi.log") + L" は開けません。 " + cause + L" ");
    DismissErrorBox(box);
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(Radios(main).empty());
    EXPECT_EQ(p->Close(), 0);
}

TEST_F(MainWindowTest, AHiddenListThatCannotBeReadIsReportedAndEveryNameShowsWithNoneSelected) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    WriteSettings(L"100", L"100", L"360", L"310", L" Work");
    WriteFile(File(L"Disable.lst"), " Home\r\n");
    // Held open by someone else for the whole start.
    HANDLE lock = CreateFileW(File(L"Disable.lst").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    auto p = Start();
    HWND box = WaitForErrorBox(p->Pid());
    CloseHandle(lock);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ErrorBoxText(box).rfind(L"ファイル " + File(L"Disable.lst") + L" は開けません。", 0), 0u) << ErrorBoxText(box);
    DismissErrorBox(box);
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(RadioTexts(main), (Names{L" Home", L" Work"}));
    EXPECT_EQ(CheckedRadio(main), -1);
    EXPECT_EQ(p->Close(), 0);
    EXPECT_EQ(ReadFile(File(L"Disable.lst")), " Home\r\n");
}

// Another program (a virus scanner, a sync tool) holds the settings file open
// while the program starts: the start reports it and lists nothing. The close
// then writes the window's place, but keeps the stored choice unless the user
// chose a profile in this run.
TEST_F(MainWindowTest, ASettingsFileHeldOpenAtStartKeepsItsChoiceUnlessTheUserChooses) {
    for (const bool choose : {false, true}) {
        SCOPED_TRACE(choose ? "a profile chosen" : "nothing chosen");
        sim->SetState({L"profile=Home", L"profile=Work"});
        WriteSettings(L"100", L"100", L"360", L"310", L" Work");
        HANDLE lock = CreateFileW(File(L"Velnor.xml").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        auto p = Start();
        HWND box = WaitForErrorBox(p->Pid());
        CloseHandle(lock);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ErrorBoxText(box).rfind(L"ファイル " + File(L"Velnor.xml") + L" は開けません。", 0), 0u) << ErrorBoxText(box);
        DismissErrorBox(box);
        HWND main = p->MainWindow();
        ASSERT_NE(main, nullptr);
        if (choose) {
            // The list is read again through the editor; then Home is chosen.
            sim->SetState({L"profile=Home", L"profile=Work"});
            PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
            HWND editor = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (editor = FindTopWindow(p->Pid(), L"TListForm")) != nullptr; }));
            HWND toolbar = nullptr;
            for (HWND h : Children(editor))
                if (ClassOf(h) == L"ToolbarWindow32") toolbar = h;
            ASSERT_TRUE(WaitFor([&] { return ToolButtonEnabled(p->Process(), toolbar, L"OK"); }));
            ASSERT_TRUE(ClickToolButton(p->Process(), toolbar, L"OK"));
            ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }));
            ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) && Radios(main).size() == 2; }))
                << Radios(main).size() << " radio buttons";
            // BM_CLICK may be lost while the window is not yet the active one
            // again after the editor: wait for that first, and for the click
            // to have taken.
            ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }));
            SendMessageW(Radio(main, 0), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitFor([&] { return CheckedRadio(main) == 0; }));
        }
        EXPECT_EQ(p->Close(), 0);
        EXPECT_EQ(Setting(L"SSID"), choose ? L" Home" : L" Work");
        EXPECT_FALSE(Setting(L"Left").empty());  // the window's own place is written all the same
    }
}

TEST_F(MainWindowTest, TheCaptureFileIsDeletedAtCreationAndAtClose) {
    // A capture left by a killed run, and settings that stop the start-up
    // before any listing could overwrite it.
    WriteFile(File(L"WiFi.log"), "left over");
    WriteSettings(L"abc", L"100", L"360", L"310", L" Home");
    auto p = Start();
    HWND box = WaitForErrorBox(p->Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(FileExists(File(L"WiFi.log")));
    DismissErrorBox(box);
    ASSERT_NE(p->MainWindow(), nullptr);
    EXPECT_EQ(Journal(), Names{});
    WriteFile(File(L"WiFi.log"), "while running");
    EXPECT_EQ(p->Close(), 0);
    EXPECT_FALSE(FileExists(File(L"WiFi.log")));
}

TEST_F(MainWindowTest, WindowsAskingBeforeLogOffWritesTheSettings) {
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    SendMessageW(Radio(main, 0), BM_CLICK, 0, 0);
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &result));
    EXPECT_TRUE(result);
    EXPECT_EQ(Setting(L"SSID"), L" Home");
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(p->Close(), 0);
}

}  // namespace
}  // namespace velnor::e2e
