// The main window repaints when its look may have changed (high contrast, the
// theme) and not for any other setting that Windows announces.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"

namespace velnor::e2e {
namespace {

using MainWindowRepaintTest = AppTest;

TEST_F(MainWindowRepaintTest, OnlyAChangeOfTheLookRepaints) {
    sim->SetState({L"profile=Home", L"profile=Work"});
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    // The radio group's own area: a repaint of the whole window reaches it.
    const HWND group = GetParent(Radio(main, 0));
    const struct {
        const char* change;
        WPARAM what;
        const wchar_t* area;
        bool repaints;
    } cases[] = {
        {"regional settings", 0, L"intl", false},
        {"the work area", SPI_SETWORKAREA, nullptr, false},
        {"the environment", 0, L"Environment", false},
        // Announced whether or not the state moved: this one says it did not.
        {"high contrast", SPI_SETHIGHCONTRAST, nullptr, true},
        {"the theme", 0, L"WindowsThemeElement", true},
        {"regional settings after high contrast", 0, L"intl", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        const bool pending = LeavesRepaintPending(group, [&] {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(main, WM_SETTINGCHANGE, c.what, reinterpret_cast<LPARAM>(c.area), SMTO_NORMAL, 5000,
                                &ignored);
        });
        EXPECT_EQ(pending, c.repaints);
    }
    EXPECT_EQ(p->Close(), 0);
}

}  // namespace
}  // namespace velnor::e2e
