// The error box that ends a failing handler, read from another thread as a
// user would see it.
#include "ui/error_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/errors.h"

namespace velnor {
namespace {

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    bool stopIcon = false;
    bool onlyOk = false;
};

// Waits for the message box of this process, reads it, and presses OK.
SeenBox ReadAndDismissBox() {
    SeenBox seen;
    const DWORD pid = GetCurrentProcessId();
    for (int i = 0; i < 500; ++i) {
        HWND box = nullptr;
        std::pair<DWORD, HWND> found(pid, nullptr);
        EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* out = reinterpret_cast<std::pair<DWORD, HWND>*>(lp);
                DWORD owner = 0;
                GetWindowThreadProcessId(h, &owner);
                wchar_t cls[32] = {};
                GetClassNameW(h, cls, 32);
                if (owner == out->first && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(h)) {
                    out->second = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        box = found.second;
        if (!box) {
            Sleep(20);
            continue;
        }
        wchar_t buf[512] = {};
        GetWindowTextW(box, buf, 512);
        seen.caption = buf;
        // The text is the static control with id 0xFFFF; the icon's static is
        // id 20 on Windows and 0x440 under Wine.
        GetDlgItemTextW(box, 0xFFFF, buf, 512);
        seen.text = buf;
        HWND icon = GetDlgItem(box, 20);
        if (!icon) icon = GetDlgItem(box, 0x440);
        seen.stopIcon = icon && reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) ==
                                    LoadIconW(nullptr, IDI_HAND);
        seen.onlyOk = GetDlgItem(box, IDOK) != nullptr && GetDlgItem(box, IDCANCEL) == nullptr &&
                      GetDlgItem(box, IDNO) == nullptr;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return seen;
    }
    return seen;
}

TEST(ErrorBox, ShowsTheErrorWithTheTitleAStopIconAndOkAndEndsOnlyTheHandler) {
    const struct {
        std::wstring message;
        std::wstring shown;
    } cases[] = {
        {MakeOpenError(L"C:\\x\\WiFi.log", L"cause").Message(), L"ファイル C:\\x\\WiFi.log は開けません。 cause "},
        {L"値が不正です", L"値が不正です."},
        {L"ends with a stop.", L"ends with a stop."},
    };
    for (const auto& c : cases) {
        SeenBox seen;
        std::thread reader([&] { seen = ReadAndDismissBox(); });
        bool rest = false;
        const bool completed = GuardHandler(nullptr, [&] {
            throw EFOpenError(c.message);
            rest = true;  // never runs
        });
        reader.join();
        EXPECT_FALSE(completed);
        EXPECT_FALSE(rest);
        EXPECT_EQ(seen.caption, L"Velnor");
        EXPECT_EQ(seen.text, c.shown);
        EXPECT_TRUE(seen.stopIcon);
        EXPECT_TRUE(seen.onlyOk);
    }
    EXPECT_TRUE(GuardHandler(nullptr, [] {}));
}

}  // namespace
}  // namespace velnor
