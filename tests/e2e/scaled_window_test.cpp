// The main window at a DPI other than the one it was designed for: the layout
// scales and nothing overlaps.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/fixture.h"

namespace velnor::e2e {
namespace {

// The whole prefix at 144 DPI for one test; the next process sees it. The
// user's value (or its absence) is put back afterwards.
class HighDpi {
public:
    HighDpi() {
        // The test's own process keeps the DPI it has, as every process does
        // on Windows: Wine takes the value at the process's first look at a
        // window's DPI, and would otherwise see every later test's windows
        // at 144.
        GetDpiForWindow(GetDesktopWindow());
        DWORD size = sizeof(previous_);
        hadValue_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &previous_, &size) ==
                    ERROR_SUCCESS;
        Set(144);
    }
    ~HighDpi() {
        if (hadValue_) Set(previous_);
        else RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
    HighDpi(const HighDpi&) = delete;
    HighDpi& operator=(const HighDpi&) = delete;

private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    static constexpr const wchar_t* kValue = L"LogPixels";
    static void Set(DWORD dpi) { RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof(dpi)); }
    DWORD previous_ = 0;
    bool hadValue_ = false;
};

using ScaledWindowTest = AppTest;

TEST_F(ScaledWindowTest, At144DpiEverythingIsScaledAndNothingOverlaps) {
    sim->SetState({L"profile=Home", L"profile=自宅 の Wi-Fi", L"profile=Office 5G", L"profile=Cafe Guest"});
    HighDpi dpi;
    auto p = Start();
    HWND main = p->MainWindow();
    ASSERT_NE(main, nullptr);
    auto rect = [](HWND h) {
        RECT r{};
        GetWindowRect(h, &r);
        return r;
    };
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, MulDiv(336, 144, 96));
    EXPECT_EQ(client.bottom, MulDiv(249, 144, 96));
    const RECT connect = rect(ButtonByText(main, L"接続"));
    const RECT list = rect(ButtonByText(main, L"リスト編集"));
    EXPECT_EQ(connect.right - connect.left, MulDiv(100, 144, 96));
    EXPECT_EQ(connect.bottom - connect.top, MulDiv(35, 144, 96));
    EXPECT_EQ(list.bottom - list.top, MulDiv(30, 144, 96));
    EXPECT_GT(list.top, rect(ButtonByText(main, L"切断")).bottom - 1);
    // The radio buttons stay left of the panel and apart from each other,
    // each tall enough for its text at this DPI.
    LONG lastBottom = -100000;
    for (HWND r : Radios(main)) {
        const RECT rr = rect(r);
        EXPECT_LE(rr.right, connect.left);
        EXPECT_GE(rr.top, lastBottom);
        EXPECT_GE(rr.bottom - rr.top, MulDiv(13, 144, 96));
        lastBottom = rr.bottom;
    }
    // (The font itself cannot be asked for from here: Wine answers WM_GETFONT
    // from another process with null. The screenshot shows it.)
    Shot(main, L"main-144dpi");
    EXPECT_EQ(p->Close(), 0);
}

}  // namespace
}  // namespace velnor::e2e
