// The list editor driven from outside: its items and ticks, OK and Cancel,
// and what they do to "Disable.lst" and to the main window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"
#include "platform/utf.h"

namespace velnor::e2e {
namespace {

using Names = std::vector<std::wstring>;
using Ticks = std::vector<bool>;

class ListEditorTest : public AppTest {
protected:
    void Open() {
        program = Start();
        main = program->MainWindow();
        ASSERT_NE(main, nullptr);
        OpenEditor();
    }
    // Presses リスト編集 and waits for the editor with its list filled.
    void OpenEditor() {
        PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
        editor = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (editor = FindTopWindow(program->Pid(), L"TListForm")) != nullptr; }));
        list = nullptr;
        toolbar = nullptr;
        for (HWND h : Children(editor)) {
            if (ClassOf(h) == L"SysListView32") list = h;
            if (ClassOf(h) == L"ToolbarWindow32") toolbar = h;
        }
        ASSERT_NE(list, nullptr);
        ASSERT_NE(toolbar, nullptr);
    }
    // Finds the editor once it is shown after an error box.
    void OpenEditorAfterError() {
        editor = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (editor = FindTopWindow(program->Pid(), L"TListForm")) != nullptr; }));
        for (HWND h : Children(editor)) {
            if (ClassOf(h) == L"SysListView32") list = h;
            if (ClassOf(h) == L"ToolbarWindow32") toolbar = h;
        }
        ASSERT_NE(list, nullptr);
    }
    Names Items() const { return ListItems(program->Process(), list); }
    // Makes an item the focused and selected one of the tick list.
    bool FocusListItem(int index) {
        return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > index && SetListItemFocus(program->Process(), list, index);
    }
    void Tick(int index, bool ticked) { ASSERT_TRUE(SetListTick(program->Process(), list, index, ticked)); }
    // Presses a tool button and waits for the editor to close.
    bool Press(const wchar_t* caption) {
        if (!ClickToolButton(program->Process(), toolbar, caption)) return false;
        return WaitFor([&] { return !IsWindowVisible(editor); }, 10000);
    }
    std::string HiddenFile() const { return ReadFile(File(L"Disable.lst")); }
    // " Home" and " Work" listed, `hidden` in the file, the editor open with
    // the keyboard in the list, " Home" ticked; the pointer away from the
    // tool bar, where hovering would light a button.
    void OpenForKeys(const std::string& hidden) {
        sim->SetState({L"profile=Home", L"profile=Work"});
        WriteFile(File(L"Disable.lst"), hidden);
        program = Start();
        main = program->MainWindow();
        ASSERT_NE(main, nullptr);
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        ASSERT_NO_FATAL_FAILURE(OpenEditor());
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == editor && FocusIn(editor) == list; }));
        ASSERT_TRUE(WaitFor([&] { return Items() == Names{L" Home", L" Work"}; })) << Evidence();
        Tick(0, true);
    }
    // Moves the keyboard to the tick list and back to the tool bar's OK.
    void SetFocusAway() {
        PressKeys({VK_SHIFT, VK_TAB});
        ASSERT_TRUE(WaitFor([&] { return FocusIn(editor) == list; }, 5000));
        PressKeys({VK_TAB});
        ASSERT_TRUE(WaitFor([&] { return FocusIn(editor) == toolbar; }, 5000));
    }

    std::unique_ptr<Program> program;
    HWND main = nullptr, editor = nullptr, list = nullptr, toolbar = nullptr;
};

TEST_F(ListEditorTest, LooksAsDesignedAndIsModal) {
    sim->SetState({L"profile=Home", L"profile=自宅"});
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(WindowText(editor), L"Velnor");
    const LONG_PTR style = GetWindowLongPtrW(editor, GWL_STYLE);
    EXPECT_FALSE(style & WS_SYSMENU);  // no title-bar buttons at all
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(GetWindowLongPtrW(editor, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(ToolButtonTexts(program->Process(), toolbar), (Names{L"OK", L"Cancel"}));
    EXPECT_FALSE(IsWindowEnabled(main));
    // The tooltip of the list.
    bool tip = false;
    for (HWND h : TopWindows(program->Pid())) {
        if (ClassOf(h) != L"tooltips_class32" || GetWindow(h, GW_OWNER) != editor) continue;
        const auto count = SendMessageW(h, TTM_GETTOOLCOUNT, 0, 0);
        tip = tip || count > 0;
    }
    EXPECT_TRUE(tip);
    RECT r;
    GetWindowRect(editor, &r);
    EXPECT_GE(r.right - r.left, 300);
    EXPECT_GE(r.bottom - r.top, 300);
    Shot(editor, L"list-editor");
    EXPECT_TRUE(Press(L"Cancel"));
    // The owner is enabled again before the modal window hides, and becomes
    // the foreground window a moment after: wait for that sign.
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; })) << "foreground: " << GetForegroundWindow();
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, WithoutAFileNothingIsTickedAndOkCreatesIt) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Items(), (Names{L" Home", L" Work"}));
    EXPECT_EQ(ListTicks(list), (Ticks{false, false}));
    EXPECT_FALSE(FileExists(File(L"Disable.lst")));
    EXPECT_TRUE(Press(L"OK"));
    EXPECT_TRUE(FileExists(File(L"Disable.lst")));
    EXPECT_EQ(HiddenFile(), "");
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, TickedNamesAreHiddenAfterOkAndShownAgainWhenCleared) {
    sim->SetState({L"profile=Home", L"profile=自宅", L"profile=Work"});
    ASSERT_NO_FATAL_FAILURE(Open());
    Tick(1, true);
    Tick(2, true);
    Shot(editor, L"list-editor-ticked");
    const size_t before = sim->Commands().size();
    EXPECT_TRUE(Press(L"OK"));
    // The file in the ANSI code page, CR LF after every line; the main window
    // lists again without the hidden names.
    EXPECT_EQ(HiddenFile(), " \x8E\xA9\x91\xEE\r\n Work\r\n");
    ASSERT_TRUE(WaitFor([&] { return RadioTexts(main) == Names{L" Home"}; }));
    EXPECT_EQ(sim->Commands().size(), before + 1);

    ASSERT_NO_FATAL_FAILURE(OpenEditor());
    EXPECT_EQ(ListTicks(list), (Ticks{false, true, true}));
    Tick(1, false);
    Tick(2, false);
    EXPECT_TRUE(Press(L"OK"));
    EXPECT_EQ(HiddenFile(), "");
    ASSERT_TRUE(WaitFor([&] { return RadioTexts(main).size() == 3; }));
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, ANameListedTwiceIsTickedTwiceAndOneTickStillHidesBoth) {
    sim->SetState({L"profile=Home", L"profile=Work", L"adapters=2"});
    WriteFile(File(L"Disable.lst"), " Home\r\n");
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Items(), (Names{L" Home", L" Work", L" Home", L" Work"}));
    EXPECT_EQ(ListTicks(list), (Ticks{true, false, true, false}));
    Tick(0, false);
    EXPECT_TRUE(Press(L"OK"));
    EXPECT_EQ(HiddenFile(), " Home\r\n");
    ASSERT_TRUE(WaitFor([&] { return RadioTexts(main) == Names{L" Work", L" Work"}; }));
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, NamesThatMatchNothingAreNotTickedAndTheNextOkDropsThem) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    WriteFile(File(L"Disable.lst"), " home\r\nWork\r\n Gone\r\n Work\r\n");
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(ListTicks(list), (Ticks{false, true}));
    EXPECT_TRUE(Press(L"OK"));
    EXPECT_EQ(HiddenFile(), " Work\r\n");
    EXPECT_EQ(program->Close(), 0);
}

// With the wireless service stopped or no adapter, netsh prints only its
// message: the editor shows no name, and OK must not take that for "every
// profile is gone". It closes with OK and leaves the hidden list as it was.
TEST_F(ListEditorTest, OkWithNoNameListedLeavesTheHiddenListAsItIs) {
    sim->SetState({L"profile=Home", L"profile=Work", L"adapters=0"});
    const std::string hidden = " Work\r\n Gone\r\n";
    WriteFile(File(L"Disable.lst"), hidden);
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Items(), Names{});
    EXPECT_TRUE(Press(L"OK"));
    EXPECT_EQ(HiddenFile(), hidden);
    // Once the profiles are listed again, the names are still hidden.
    sim->SetState({L"profile=Home", L"profile=Work"});
    ASSERT_NO_FATAL_FAILURE(OpenEditor());
    EXPECT_EQ(ListTicks(list), (Ticks{false, true}));
    EXPECT_TRUE(Press(L"Cancel"));
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, OkWithoutChangesRewritesTheFileInItsOwnEncoding) {
    sim->SetState({L"profile=Home", L"profile=自宅"});
    const struct {
        std::string before;
        std::string after;
    } cases[] = {
        {" Home\n \x8E\xA9\x91\xEE\n", " Home\r\n \x8E\xA9\x91\xEE\r\n"},  // LF alone becomes CR LF
        {"\xEF\xBB\xBF Home\r\n \xE8\x87\xAA\xE5\xAE\x85", "\xEF\xBB\xBF Home\r\n \xE8\x87\xAA\xE5\xAE\x85\r\n"},
    };
    program = Start();
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
    for (const auto& c : cases) {
        WriteFile(File(L"Disable.lst"), c.before);
        OpenEditor();
        EXPECT_EQ(ListTicks(list), (Ticks{true, true}));
        EXPECT_TRUE(Press(L"OK"));
        EXPECT_EQ(HiddenFile(), c.after);
    }
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, CancelLeavesTheFileAsItWasAndTheNextOpeningShowsItsTicks) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    const std::string original = " Work\n";
    WriteFile(File(L"Disable.lst"), original);
    ASSERT_NO_FATAL_FAILURE(Open());
    Tick(0, true);
    Tick(1, false);
    const size_t before = sim->Commands().size();
    EXPECT_TRUE(Press(L"Cancel"));
    EXPECT_EQ(HiddenFile(), original);
    ASSERT_NO_FATAL_FAILURE(OpenEditor());
    EXPECT_EQ(ListTicks(list), (Ticks{false, true}));
    // Esc closes as Cancel as well.
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }));
    EXPECT_EQ(HiddenFile(), original);
    // Once the program has ended every command it ran is in the journal: the
    // second opening listed once, and the main window never listed again.
    EXPECT_EQ(program->Close(), 0);
    EXPECT_EQ(sim->Commands().size(), before + 1);
}

// The tool bar's OK is the only OK. Enter in the tick list neither writes nor
// closes; every other way of closing is Cancel: nothing written, no listing.
TEST_F(ListEditorTest, OnlyTheToolBarsOkWritesEveryOtherCloseIsCancel) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    const std::string original = " Work\n";
    WriteFile(File(L"Disable.lst"), original);
    program = Start();
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
    const struct {
        const char* way;
        std::function<void(HWND editor, HWND list)> close;
    } cases[] = {
        {"Esc", [](HWND, HWND l) { PostMessageW(l, WM_KEYDOWN, VK_ESCAPE, 1); }},
        {"WM_CLOSE", [](HWND e, HWND) { PostMessageW(e, WM_CLOSE, 0, 0); }},
        {"Alt+F4", [](HWND, HWND l) { PostMessageW(l, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)); }},
        {"the tool bar's Cancel", [this](HWND, HWND) { ClickToolButton(program->Process(), toolbar, L"Cancel"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        OpenEditor();
        Tick(0, true);
        Tick(1, false);
        // Enter, then a space that ticks the focused first item again: the
        // tick shows that the keys were taken, the editor still open.
        ASSERT_TRUE(SetListTick(program->Process(), list, 0, false));
        const size_t before = sim->Commands().size();
        const std::vector<HWND> radios = Radios(main);
        ASSERT_TRUE(FocusListItem(0));
        PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(list, WM_KEYUP, VK_RETURN, 1 | (3u << 30));
        PostMessageW(list, WM_KEYDOWN, VK_SPACE, 1);
        PostMessageW(list, WM_KEYUP, VK_SPACE, 1 | (3u << 30));
        ASSERT_TRUE(WaitFor([&] { return ListTicks(list) == Ticks({true, false}); }, 5000));
        EXPECT_TRUE(IsWindowVisible(editor));
        EXPECT_EQ(HiddenFile(), original);
        c.close(editor, list);
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }, 5000));
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
        EXPECT_EQ(HiddenFile(), original);
        // A listing would have emptied the radio group before its command
        // ran, and the window answers only once its handler waits or is done.
        ASSERT_TRUE(Answers(main));
        EXPECT_EQ(Radios(main), radios);
        EXPECT_EQ(sim->Commands().size(), before);
    }
    EXPECT_EQ(program->Close(), 0);
}

// A name longer than any buffer the list control is read into is written
// whole, and so hides its radio button.
TEST_F(ListEditorTest, ALongNameIsWrittenWhole) {
    const std::wstring name(1500, L'x');
    sim->SetState({L"profile=Home", L"profile=" + name + L"&y"});
    ASSERT_NO_FATAL_FAILURE(Open());
    Tick(1, true);
    EXPECT_TRUE(Press(L"OK"));
    EXPECT_EQ(HiddenFile(), " " + std::string(1500, 'x') + "&y\r\n");
    ASSERT_TRUE(WaitFor([&] { return RadioTexts(main) == Names{L" Home"}; }));
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, FirstShownCentredOverTheMainWindowThenWhereItWasLeft) {
    ASSERT_NO_FATAL_FAILURE(Open());
    RECT m, e;
    GetWindowRect(main, &m);
    GetWindowRect(editor, &e);
    const long w = e.right - e.left, h = e.bottom - e.top;
    EXPECT_EQ(e.left, std::max<long>(0, m.left + ((m.right - m.left) - w) / 2));
    EXPECT_EQ(e.top, std::max<long>(0, m.top + ((m.bottom - m.top) - h) / 2));
    SetWindowPos(editor, nullptr, 40, 50, 420, 330, SWP_NOZORDER);
    EXPECT_TRUE(Press(L"Cancel"));
    ASSERT_NO_FATAL_FAILURE(OpenEditor());
    GetWindowRect(editor, &e);
    EXPECT_EQ(e.left, 40);
    EXPECT_EQ(e.top, 50);
    EXPECT_EQ(e.right - e.left, 420);
    EXPECT_EQ(e.bottom - e.top, 330);
    EXPECT_TRUE(Press(L"Cancel"));
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, AHiddenListThatCannotBeWrittenKeepsTheEditorOpen) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    WriteFile(File(L"Disable.lst"), " Work\r\n");
    ASSERT_NO_FATAL_FAILURE(Open());
    Tick(0, true);
    // Another program holds the file open without sharing.
    HANDLE lock = CreateFileW(File(L"Disable.lst").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const size_t before = sim->Commands().size();
    ASSERT_TRUE(ClickToolButton(program->Process(), toolbar, L"OK"));
    HWND box = WaitForErrorBox(program->Pid());
    ASSERT_NE(box, nullptr);
    const std::wstring head = L"ファイル \"" + File(L"Disable.lst") + L"\" を作成できません。";
    EXPECT_EQ(ErrorBoxText(box).substr(0, head.size()), head);
    DismissErrorBox(box);
    ASSERT_TRUE(WaitFor([&] { return FindTopWindow(program->Pid(), L"#32770") == nullptr; }));
    CloseHandle(lock);
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(ListTicks(list), (Ticks{true, true}));
    EXPECT_EQ(HiddenFile(), " Work\r\n");
    EXPECT_EQ(sim->Commands().size(), before);
    // The next OK succeeds.
    EXPECT_TRUE(Press(L"OK"));
    EXPECT_EQ(HiddenFile(), " Home\r\n Work\r\n");
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, AReadOnlyHiddenListGivesTheExactCreateError) {
    sim->SetState({L"profile=Home"});
    WriteFile(File(L"Disable.lst"), "");
    SetFileAttributesW(File(L"Disable.lst").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_NO_FATAL_FAILURE(Open());
    Tick(0, true);
    ASSERT_TRUE(ClickToolButton(program->Process(), toolbar, L"OK"));
    HWND box = WaitForErrorBox(program->Pid());
    ASSERT_NE(box, nullptr);
    std::wstring expected =
        L"ファイル \"" + File(L"Disable.lst") + L"\" を作成できません。" + SystemMessage(ERROR_ACCESS_DENIED);
    if (!expected.empty() && expected.back() > L'.') expected += L".";  // the error box's full stop
    EXPECT_EQ(ErrorBoxText(box), expected);
    DismissErrorBox(box);
    ASSERT_TRUE(WaitFor([&] { return FindTopWindow(program->Pid(), L"#32770") == nullptr; }));
    EXPECT_TRUE(IsWindowVisible(editor));
    SetFileAttributesW(File(L"Disable.lst").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(HiddenFile(), "");
    EXPECT_TRUE(Press(L"Cancel"));
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, NamesTheAnsiCodePageCannotHoldAreWrittenAsUtf8) {
    sim->SetState({L"profile=Home", L"profile=Café", L"encoding=utf8bom"});
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Items(), (Names{L" Home", L" Café"}));
    Tick(1, true);
    EXPECT_TRUE(Press(L"OK"));
    EXPECT_EQ(HiddenFile(), "\xEF\xBB\xBF Caf\xC3\xA9\r\n");
    ASSERT_TRUE(WaitFor([&] { return RadioTexts(main) == Names{L" Home"}; }));
    EXPECT_EQ(program->Close(), 0);
}

TEST_F(ListEditorTest, WhileTheListsCannotBeReadOkIsRefused) {
    const struct {
        const wchar_t* locked;  // held open by someone else while the editor opens
        Names items;
    } cases[] = {
        {L"Disable.lst", {L" Home", L" Work"}},  // the names, none ticked
        {L"WiFi.log", {}},                       // the listing itself fails: an empty list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locked);
        sim->SetState({L"profile=Home", L"profile=Work"});
        WriteFile(File(L"Disable.lst"), " Work\r\n");
        program = Start();
        main = program->MainWindow();
        ASSERT_NE(main, nullptr);
        HANDLE lock = CreateFileW(File(c.locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
        HWND box = WaitForErrorBox(program->Pid());
        CloseHandle(lock);
        ASSERT_NE(box, nullptr);
        const std::wstring text = ErrorBoxText(box);
        EXPECT_EQ(text.rfind(L"ファイル " + File(c.locked) + L" は開けません。", 0), 0u) << WideToUtf8(text);
        DismissErrorBox(box);
        OpenEditorAfterError();
        EXPECT_EQ(Items(), c.items);
        EXPECT_EQ(ListTicks(list), Ticks(c.items.size(), false));
        EXPECT_FALSE(ToolButtonEnabled(program->Process(), toolbar, L"OK"));
        // Pressing OK anyway writes nothing and keeps the editor open.
        ClickToolButton(program->Process(), toolbar, L"OK");
        SendMessageW(editor, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(editor));
        EXPECT_EQ(HiddenFile(), " Work\r\n");
        EXPECT_TRUE(Press(L"Cancel"));
        EXPECT_EQ(program->Close(), 0);
        EXPECT_EQ(HiddenFile(), " Work\r\n");
        DeleteFileW(File(L"WiFi.log").c_str());
    }
}

// The editor is modal from before its listing starts: while a slow listing
// runs, the main window is disabled and a real click on 接続 does nothing.
TEST_F(ListEditorTest, TheMainWindowTakesNoInputDuringASlowListing) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    program = Start();
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
    SendMessageW(Radio(main, 0), BM_CLICK, 0, 0);
    sim->SetState({L"profile=Home", L"profile=Work", L"delay.show=3000"});
    PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForJournal(2));  // the editor's listing has started
    EXPECT_FALSE(IsWindowEnabled(main));
    RECT r;
    GetWindowRect(ButtonByText(main, L"接続"), &r);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT click[3] = {};
    for (INPUT& i : click) i.type = INPUT_MOUSE;
    click[0].mi.dx = ((r.left + r.right) / 2) * 65535 / (width - 1);
    click[0].mi.dy = ((r.top + r.bottom) / 2) * 65535 / (height - 1);
    click[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(SendInput(3, click, sizeof(INPUT)), 3u);
    OpenEditorAfterError();  // shown once the listing is done
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_TRUE(Press(L"Cancel"));
    EXPECT_EQ(program->Close(), 0);
    EXPECT_EQ(Journal(), (Names{L"show profile", L"show profile"}));  // no connect ran
}

// What the screen shows of a rectangle of a window, pixel by pixel.
std::vector<COLORREF> PixelsIn(HWND window, const RECT& area) {
    const ScreenPixels pixels(window);
    std::vector<COLORREF> out;
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x) out.push_back(pixels.At(x, y));
    return out;
}

// Whether the window's paint is done and on the screen: it has nothing left
// to repaint once it has repainted everything, and the screen shows the same
// pixels twice in a row.
bool SettledPixels(HWND window, const RECT& area) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    std::vector<COLORREF> last;
    return WaitFor([&] {
        if (GetUpdateRect(window, nullptr, FALSE)) return false;
        std::vector<COLORREF> now = PixelsIn(window, area);
        const bool same = now == last;
        last = std::move(now);
        return same;
    }, 5000);
}

// A keyboard user reaches OK and Cancel: Tab and Shift+Tab go between the
// tick list and the tool bar, the arrow keys move a visible focus cue between
// OK and Cancel, and Space or Enter presses the button that shows it. Enter
// in the tick list still neither writes nor closes.
TEST_F(ListEditorTest, OkAndCancelByKeyboard) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    const std::string original = " Work\r\n";
    program = Start();
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
    // The pointer rests away from the tool bar: hovering lights a button.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    using Keys = std::vector<std::vector<WORD>>;
    const struct {
        const char* way;
        Keys toToolBar;  // from the tick list to the tool bar
        Keys press;      // on the tool bar
        bool ok;
    } cases[] = {
        {"Tab, Enter", {{VK_TAB}}, {{VK_RETURN}}, true},
        {"Shift+Tab, Space", {{VK_SHIFT, VK_TAB}}, {{VK_SPACE}}, true},
        {"Tab, Right, Enter", {{VK_TAB}}, {{VK_RIGHT}, {VK_RETURN}}, false},
        {"Tab, Down, Space", {{VK_TAB}}, {{VK_DOWN}, {VK_SPACE}}, false},
        {"Tab, Right, Left, Space", {{VK_TAB}}, {{VK_RIGHT}, {VK_LEFT}, {VK_SPACE}}, true},
        {"Tab, Tab back to the list, Shift+Tab, Up, Up, Enter", {{VK_TAB}, {VK_TAB}, {VK_SHIFT, VK_TAB}},
         {{VK_UP}, {VK_UP}, {VK_RETURN}}, true},
    };
    const auto press = [](const std::vector<WORD>& keys) {
        if (keys.size() == 1) PressKeys({keys[0]});
        else PressKeys({keys[0], keys[1]});
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        WriteFile(File(L"Disable.lst"), original);
        ASSERT_NO_FATAL_FAILURE(OpenEditor());
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == editor && FocusIn(editor) == list; }));
        ASSERT_TRUE(WaitFor([&] { return Items() == Names{L" Home", L" Work"}; }))
            << "the editor lists " << Items().size() << " names" << Evidence();
        Tick(0, true);
        ASSERT_TRUE(FocusListItem(0));
        // Enter in the tick list: nothing written, still open.
        PressKeys({VK_RETURN});
        ASSERT_TRUE(Answers(editor));
        EXPECT_TRUE(IsWindowVisible(editor));
        EXPECT_EQ(HiddenFile(), original);
        const RECT okRect = ToolButtonRect(program->Process(), toolbar, L"OK");
        const RECT cancelRect = ToolButtonRect(program->Process(), toolbar, L"Cancel");
        // The buttons without a cue, as painted for this showing: the screen
        // may still hold the last showing's picture, with its cue on Cancel.
        ASSERT_TRUE(SettledPixels(toolbar, okRect)) << "the tool bar is not painted";
        const auto ok = PixelsIn(toolbar, okRect), cancel = PixelsIn(toolbar, cancelRect);
        for (const auto& keys : c.toToolBar) press(keys);
        ASSERT_TRUE(WaitFor([&] { return FocusIn(editor) == toolbar; }, 5000));
        // The cue is on OK, and the arrows move it; Cancel looks as before.
        ASSERT_TRUE(WaitFor([&] { return PixelsIn(toolbar, okRect) != ok; }, 5000)) << "no focus cue on OK";
        EXPECT_EQ(PixelsIn(toolbar, cancelRect), cancel);
        if (&c == &cases[0]) Shot(editor, L"list-editor-keyboard-on-ok");
        for (size_t i = 0; i + 1 < c.press.size(); ++i) press(c.press[i]);
        if (c.press.size() > 1) {
            const bool onCancel = !c.ok;
            ASSERT_TRUE(WaitFor([&] {
                return (PixelsIn(toolbar, cancelRect) != cancel) == onCancel &&
                       (PixelsIn(toolbar, okRect) != ok) == !onCancel;
            }, 5000)) << "the cue is not on " << (onCancel ? "Cancel" : "OK");
        }
        press(c.press.back());
        ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }, 10000));
        EXPECT_EQ(HiddenFile(), c.ok ? " Home\r\n Work\r\n" : original);
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }))
            << "the main window stays disabled; the editor is " << (IsWindowVisible(editor) ? "shown" : "hidden")
            << ", " << (FindTopWindow(program->Pid(), L"#32770") ? "a message box shows" : "no message box shows")
            << ", the journal holds " << Journal().size() << " commands";
        ASSERT_TRUE(Answers(main));
    }
    EXPECT_EQ(program->Close(), 0);
}

// A switch to another window and back leaves the keyboard where it was: on
// the tool bar with its cue on Cancel, so that Enter then presses Cancel.
// (Windows' own activation would give the focus to the editor's frame, where
// no key does anything.)
TEST_F(ListEditorTest, TheFocusAndItsCueSurviveASwitchToAnotherWindow) {
    const std::string original = " Work\r\n";
    ASSERT_NO_FATAL_FAILURE(OpenForKeys(original));
    const RECT okRect = ToolButtonRect(program->Process(), toolbar, L"OK");
    const RECT cancelRect = ToolButtonRect(program->Process(), toolbar, L"Cancel");
    // The buttons as they look without the cue, once the keyboard has been
    // used (focus cues show from then on).
    ASSERT_TRUE(FocusListItem(0));
    PressKeys({VK_RETURN});
    ASSERT_TRUE(Answers(editor));
    const auto ok = PixelsIn(toolbar, okRect), cancel = PixelsIn(toolbar, cancelRect);
    const auto cueOnCancel = [&] { return PixelsIn(toolbar, cancelRect) != cancel && PixelsIn(toolbar, okRect) == ok; };
    PressKeys({VK_TAB});
    ASSERT_TRUE(WaitFor([&] { return FocusIn(editor) == toolbar; }, 5000));
    ASSERT_TRUE(WaitFor([&] { return PixelsIn(toolbar, okRect) != ok; }, 5000)) << "no focus cue on OK";
    PressKeys({VK_RIGHT});
    ASSERT_TRUE(WaitFor(cueOnCancel, 5000)) << "the cue is not on Cancel";

    OtherWindow other;
    ASSERT_TRUE(other.TakeForegroundFrom(editor));
    ASSERT_TRUE(other.GiveBack());
    EXPECT_TRUE(WaitFor([&] { return FocusIn(editor) == toolbar; }, 5000)) << "the focus is on " << ClassOf(FocusIn(editor));
    EXPECT_TRUE(WaitFor(cueOnCancel, 5000)) << "the cue did not come back on Cancel";
    // Enter where the keyboard now is presses Cancel.
    const HWND focus = FocusIn(editor);
    ASSERT_NE(focus, nullptr);
    PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(focus, WM_KEYUP, VK_RETURN, 1 | (3u << 30));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }, 10000)) << "Enter went to " << ClassOf(focus);
    EXPECT_EQ(HiddenFile(), original);
    EXPECT_EQ(program->Close(), 0);
}

// Space on a tool button works as on a push button: it presses when it is
// released, once however long it is held, and not at all when it went down
// elsewhere. A held Enter presses once too.
TEST_F(ListEditorTest, SpaceOnAToolButtonPressesOnReleaseOnce) {
    const std::string original = " Work\r\n";
    ASSERT_NO_FATAL_FAILURE(OpenForKeys(original));
    PressKeys({VK_TAB});
    ASSERT_TRUE(WaitFor([&] { return FocusIn(editor) == toolbar; }, 5000));
    constexpr LPARAM kDown = 1, kHeld = 1 | (1 << 30), kUp = 1 | (3u << 30);
    const struct {
        const char* keys;
        std::vector<std::pair<UINT, LPARAM>> messages;  // to the tool bar, VK_SPACE unless Enter is named
        WPARAM key;
    } idle[] = {
        {"Space down", {{WM_KEYDOWN, kDown}}, VK_SPACE},
        {"Space held", {{WM_KEYDOWN, kHeld}, {WM_KEYDOWN, kHeld}}, VK_SPACE},
        {"Space held from elsewhere, released", {{WM_KEYDOWN, kHeld}, {WM_KEYUP, kUp}}, VK_SPACE},
        {"Space released only", {{WM_KEYUP, kUp}}, VK_SPACE},
        {"Enter held from elsewhere", {{WM_KEYDOWN, kHeld}, {WM_KEYDOWN, kHeld}}, VK_RETURN},
    };
    for (const auto& c : idle) {
        SCOPED_TRACE(c.keys);
        // A fresh start: a press left over from the case before is dropped
        // when the focus leaves.
        SetFocusAway();
        for (const auto& [message, data] : c.messages) PostMessageW(toolbar, message, c.key, data);
        ASSERT_TRUE(Answers(editor));
        EXPECT_TRUE(IsWindowVisible(editor));
        EXPECT_EQ(HiddenFile(), original);
    }
    // Down, held, released: OK is pressed.
    SetFocusAway();
    PostMessageW(toolbar, WM_KEYDOWN, VK_SPACE, kDown);
    PostMessageW(toolbar, WM_KEYDOWN, VK_SPACE, kHeld);
    PostMessageW(toolbar, WM_KEYDOWN, VK_SPACE, kHeld);
    ASSERT_TRUE(Answers(editor));
    EXPECT_TRUE(IsWindowVisible(editor));
    PostMessageW(toolbar, WM_KEYUP, VK_SPACE, kUp);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }, 10000));
    EXPECT_EQ(HiddenFile(), " Home\r\n Work\r\n");
    EXPECT_EQ(program->Close(), 0);
}

// A setting change about something else than high contrast or the theme
// (regional settings, the work area) neither rebuilds the tick images nor
// repaints the editor.
TEST_F(ListEditorTest, OnlyAChangeOfTheLookRebuildsOrRepaints) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    ASSERT_NO_FATAL_FAILURE(Open());
    const auto ticks = [&] { return SendMessageW(list, LVM_GETIMAGELIST, LVSIL_STATE, 0); };
    const struct {
        const char* change;
        WPARAM what;
        const wchar_t* area;
        bool relooks;
    } cases[] = {
        {"regional settings", 0, L"intl", false},
        {"the work area", SPI_SETWORKAREA, nullptr, false},
        {"high contrast", SPI_SETHIGHCONTRAST, nullptr, true},
        {"regional settings after high contrast", 0, L"intl", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        const LRESULT before = ticks();
        ASSERT_NE(before, 0);
        const bool pending = LeavesRepaintPending(list, [&] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(editor, WM_SETTINGCHANGE, c.what, reinterpret_cast<LPARAM>(c.area), SMTO_NORMAL, 5000,
                                &ignored);
        });
        EXPECT_EQ(pending, c.relooks);
        EXPECT_EQ(ticks() != before, c.relooks);
    }
    EXPECT_TRUE(Press(L"Cancel"));
    EXPECT_EQ(program->Close(), 0);
}

// High contrast switched on and off while the program runs: both windows
// step back to the system's colours and return to Sky's, the editor's ticks
// and tool bar included, whether the editor is open or hidden at the change.
// This Wine keeps no high-contrast setting, so the test build
// velnor_faults.exe takes the state from a file the test names; the program
// learns of each change only from WM_SETTINGCHANGE, as Windows sends it.
TEST_F(ListEditorTest, HighContrastSwitchedWhileRunningIsFollowedByBothWindows) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    WriteFile(File(L"Disable.lst"), " Work\r\n");
    ASSERT_TRUE(CopyFileW(BuiltProgram(L"velnor_faults.exe").c_str(), exe.c_str(), FALSE));
    const std::wstring flag = work + L"\\high-contrast";
    SetEnvironmentVariableW(L"VELNOR_TEST_HIGH_CONTRAST", flag.c_str());
    program = Start();
    SetEnvironmentVariableW(L"VELNOR_TEST_HIGH_CONTRAST", nullptr);
    main = program->MainWindow();
    ASSERT_NE(main, nullptr);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    const auto highContrast = [&](bool on) {
        if (on) WriteFile(flag, "");
        else DeleteFileW(flag.c_str());
        for (HWND h : TopWindows(program->Pid())) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(h, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_NORMAL, 5000, &ignored);
        }
    };
    // Sky's own colours, none of which a system colour scheme uses: the
    // main window's background, the accent of a set tick, the tool buttons'
    // face, the text.
    const COLORREF sky[] = {RGB(0xEA, 0xF5, 0xFD), RGB(0x1E, 0x78, 0xC8), RGB(0xD6, 0xEB, 0xFA),
                            RGB(0x1C, 0x2B, 0x39)};
    const auto skyPixels = [&](HWND window) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Answers(window);
        const ScreenPixels pixels(window);
        int n = 0;
        for (COLORREF c : sky) n += pixels.Count(c);
        return n;
    };
    const auto accentIn = [&](HWND window) { return ScreenPixels(window).Count(sky[1]); };
    const auto toolFaceIn = [&](HWND window) { return ScreenPixels(window).Count(sky[2]); };
    const auto mainBackground = [&] {
        RECT client;
        GetClientRect(main, &client);
        return ScreenPixels(main).At(3, client.bottom - 3);
    };
    ASSERT_TRUE(WaitFor([&] { return mainBackground() == sky[0]; }));

    // Switched while the editor is open (it covers the main window).
    ASSERT_NO_FATAL_FAILURE(OpenEditor());
    ASSERT_TRUE(WaitFor([&] { return accentIn(list) > 0 && toolFaceIn(toolbar) > 0; })) << "Sky ticks, Sky buttons";
    highContrast(true);
    EXPECT_TRUE(WaitFor([&] { return skyPixels(editor) == 0; }, 5000)) << skyPixels(editor) << " Sky pixels in the editor";
    EXPECT_EQ(ListTicks(list), (Ticks{false, true}));
    // The system's colours as colours: the list control documents no
    // default for its backgrounds.
    for (const UINT get : {LVM_GETBKCOLOR, LVM_GETTEXTBKCOLOR}) {
        const auto colour = static_cast<COLORREF>(SendMessageW(list, get, 0, 0));
        EXPECT_TRUE(colour == GetSysColor(COLOR_WINDOW) || colour == CLR_NONE) << std::hex << colour;
    }
    highContrast(false);
    EXPECT_TRUE(WaitFor([&] { return accentIn(list) > 0 && toolFaceIn(toolbar) > 0; }, 5000))
        << "no Sky ticks or buttons again";
    EXPECT_TRUE(Press(L"Cancel"));

    // Announced with some other setting, and to the main window first: the
    // main window has then already taken the new state in, and the editor
    // must still see that its own look lags behind.
    const auto announcedElsewhere = [&](bool on) {
        if (on) WriteFile(flag, "");
        else DeleteFileW(flag.c_str());
        for (HWND h : {main, editor}) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(h, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 5000, &ignored);
        }
    };
    ASSERT_NO_FATAL_FAILURE(OpenEditor());
    announcedElsewhere(true);
    EXPECT_TRUE(WaitFor([&] { return skyPixels(editor) == 0; }, 5000)) << skyPixels(editor) << " Sky pixels in the editor";
    announcedElsewhere(false);
    EXPECT_TRUE(WaitFor([&] { return accentIn(list) > 0 && toolFaceIn(toolbar) > 0; }, 5000))
        << "no Sky ticks or buttons again";
    EXPECT_TRUE(Press(L"Cancel"));

    // Switched while the editor is hidden: the main window follows at once,
    // the editor at its next opening.
    highContrast(true);
    EXPECT_TRUE(WaitFor([&] { return skyPixels(main) == 0; }, 5000)) << skyPixels(main) << " Sky pixels in the main window";
    EXPECT_EQ(mainBackground(), GetSysColor(COLOR_BTNFACE));
    ASSERT_NO_FATAL_FAILURE(OpenEditor());
    EXPECT_TRUE(WaitFor([&] { return skyPixels(editor) == 0; }, 5000)) << skyPixels(editor) << " Sky pixels in the editor";
    EXPECT_TRUE(Press(L"Cancel"));
    highContrast(false);
    EXPECT_TRUE(WaitFor([&] { return mainBackground() == sky[0]; }, 5000));
    ASSERT_NO_FATAL_FAILURE(OpenEditor());
    EXPECT_TRUE(WaitFor([&] { return accentIn(list) > 0 && toolFaceIn(toolbar) > 0; }, 5000));
    EXPECT_TRUE(Press(L"Cancel"));
    EXPECT_EQ(program->Close(), 0);
}

}  // namespace
}  // namespace velnor::e2e
