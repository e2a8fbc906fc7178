// Both windows as a screen reader reads them through MSAA from another
// process: each control's name, role, checked state and focus, and the focus
// events it hears as the keyboard moves.
//
// Wine's MSAA gives every window the client role and no child objects: it
// shows the names, the focused state and the focus events, while the roles,
// the checked state and the tool buttons' and list items' own objects are
// checked only on Windows (the test kit), and by ear on its checklist.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"
#include "platform/utf.h"
#include "support/under_wine.h"

namespace velnor::e2e {
namespace {

using test::UnderWine;
using Names = std::vector<std::wstring>;

class AccessibilityTest : public AppTest {};

bool Focused(const AccessibleFacts& facts) { return (facts.state & STATE_SYSTEM_FOCUSED) != 0; }
bool Checked(const AccessibleFacts& facts) { return (facts.state & STATE_SYSTEM_CHECKED) != 0; }

TEST_F(AccessibilityTest, TheMainWindowReadsAsItShows) {
    sim->SetState({L"profile=Home", L"profile=AT&T", L"profile=自宅"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    const Names profiles{L" Home", L" AT&T", L" 自宅"};
    ASSERT_EQ(Radios(main).size(), profiles.size());
    SendMessageW(Radio(main, 1), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return FocusIn(main) == Radio(main, 1); }, 5000));
    for (size_t i = 0; i < profiles.size(); ++i) {
        SCOPED_TRACE(WideToUtf8(profiles[i]));
        const AccessibleFacts radio = ReadAccessible(Radio(main, i));
        EXPECT_EQ(radio.name, profiles[i]) << Describe(radio);
        EXPECT_EQ(Focused(radio), i == 1) << Describe(radio);
        if (UnderWine()) continue;
        EXPECT_EQ(radio.role, ROLE_SYSTEM_RADIOBUTTON) << Describe(radio);
        EXPECT_EQ(Checked(radio), i == 1) << Describe(radio);
    }
    const Names captions{L"接続", L"再接続", L"切断", L"リスト編集"};
    for (const auto& caption : captions) {
        SCOPED_TRACE(WideToUtf8(caption));
        const AccessibleFacts button = ReadAccessible(ButtonByText(main, caption));
        EXPECT_EQ(button.name, caption) << Describe(button);
        EXPECT_FALSE(Focused(button)) << Describe(button);
        if (!UnderWine()) { EXPECT_EQ(button.role, ROLE_SYSTEM_PUSHBUTTON) << Describe(button); }
    }
    // The keyboard moves on: the reader hears the button and reads it as
    // the one with the focus.
    FocusEvents events(p->Pid());
    ASSERT_TRUE(events.Hooked());
    const HWND connect = ButtonByText(main, L"接続");
    PostMessageW(Radio(main, 1), WM_KEYDOWN, VK_TAB, 1);
    PostMessageW(Radio(main, 1), WM_KEYUP, VK_TAB, 1 | (3u << 30));
    EXPECT_TRUE(events.WaitForLast([&](const FocusEvents::Event& e) { return e.window == connect; }));
    EXPECT_TRUE(Focused(ReadAccessible(connect)));
    EXPECT_FALSE(Focused(ReadAccessible(Radio(main, 1))));
    EXPECT_EQ(p->Close(), 0);
}

TEST_F(AccessibilityTest, TheEditorsToolButtonsAndItemsReadAsTheyShow) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    WriteFile(File(L"Disable.lst"), " Work\r\n");
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    FocusEvents events(p->Pid());
    ASSERT_TRUE(events.Hooked());
    PostMessageW(ButtonByText(main, L"リスト編集"), BM_CLICK, 0, 0);
    HWND editor = nullptr, list = nullptr, toolbar = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (editor = FindTopWindow(p->Pid(), L"TListForm")) != nullptr; }));
    for (HWND h : Children(editor)) {
        if (ClassOf(h) == L"SysListView32") list = h;
        if (ClassOf(h) == L"ToolbarWindow32") toolbar = h;
    }
    ASSERT_NE(list, nullptr);
    ASSERT_NE(toolbar, nullptr);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == editor && FocusIn(editor) == list; }));
    ASSERT_TRUE(WaitFor([&] { return ListItems(p->Process(), list).size() == 2; })) << Evidence();
    EXPECT_TRUE(events.WaitForLast([&](const FocusEvents::Event& e) { return e.window == list; }));
    EXPECT_TRUE(Focused(ReadAccessible(list)));
    if (!UnderWine()) {
        // The items with their ticks, the tool bar's buttons by caption.
        const auto items = AccessibleChildren(list);
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(items[0].name, L" Home") << Describe(items[0]);
        EXPECT_EQ(items[1].name, L" Work") << Describe(items[1]);
        EXPECT_FALSE(Checked(items[0])) << Describe(items[0]);
        EXPECT_TRUE(Checked(items[1])) << Describe(items[1]);
        const auto buttons = AccessibleChildren(toolbar);
        ASSERT_EQ(buttons.size(), 2u);
        for (size_t i = 0; i < buttons.size(); ++i) {
            EXPECT_EQ(buttons[i].name, i == 0 ? L"OK" : L"Cancel") << Describe(buttons[i]);
            EXPECT_EQ(buttons[i].role, ROLE_SYSTEM_PUSHBUTTON) << Describe(buttons[i]);
        }
    }
    // The cue on OK and Cancel is the program's own: the reader hears the
    // button it is on, by its child id (OK 1, Cancel 2), every time it moves
    // and when the editor is activated again.
    const auto heardButton = [&](long child) {
        return events.WaitForLast([&](const FocusEvents::Event& e) {
            return e.window == toolbar && e.object == OBJID_CLIENT && e.child == child;
        });
    };
    const auto buttonName = [&](long child) { return ReadAccessible(toolbar, child).name; };
    PressKeys({VK_TAB});
    EXPECT_TRUE(heardButton(1)) << "no focus event for OK";
    if (!UnderWine()) { EXPECT_EQ(buttonName(1), L"OK"); }
    PressKeys({VK_RIGHT});
    EXPECT_TRUE(heardButton(2)) << "no focus event for Cancel";
    if (!UnderWine()) { EXPECT_EQ(buttonName(2), L"Cancel"); }
    PressKeys({VK_LEFT});
    EXPECT_TRUE(heardButton(1)) << "no focus event for OK again";
    PressKeys({VK_RIGHT});
    EXPECT_TRUE(heardButton(2));
    OtherWindow other;
    ASSERT_TRUE(other.TakeForegroundFrom(editor));
    ASSERT_TRUE(other.GiveBack());
    EXPECT_TRUE(heardButton(2)) << "no focus event for Cancel after the switch back";
    PostMessageW(editor, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }));
    EXPECT_EQ(p->Close(), 0);
}

}  // namespace
}  // namespace velnor::e2e
