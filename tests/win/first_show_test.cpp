// The first show of the main window. Windows replaces the command of the first
// ShowWindow of a process with the launcher's STARTUPINFO.wShowWindow (the
// ShowWindow documentation); Wine does not, so the replacement is done here as
// Windows documents it, and the window must still end in the wanted state.
#include "app/startup.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

TEST(FirstShow, EndsInTheWantedStateWhateverTheLauncherMadeOfTheFirstCall) {
    const int wanted[] = {SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOWMINNOACTIVE};
    // -1: no launcher state, the first call is taken as it is.
    for (int launcher = -1; launcher <= SW_FORCEMINIMIZE; ++launcher) {
        for (int command : wanted) {
            SCOPED_TRACE(testing::Message() << "launcher " << launcher << ", wanted " << command);
            HWND w = CreateWindowExW(0, L"STATIC", L"first show", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
            ASSERT_NE(w, nullptr);
            int calls = 0;
            ShowFirstTime(w, command, [&](HWND h, int cmd) {
                return ShowWindow(h, calls++ == 0 && launcher >= 0 ? launcher : cmd);
            });
            EXPECT_TRUE(IsWindowVisible(w));
            EXPECT_EQ(IsZoomed(w) != FALSE, command == SW_SHOWMAXIMIZED);
            EXPECT_EQ(IsIconic(w) != FALSE, command == SW_SHOWMINNOACTIVE);
            DestroyWindow(w);
        }
    }
}

}  // namespace
}  // namespace velnor
