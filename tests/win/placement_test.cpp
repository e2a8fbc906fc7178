// The placement guard on real windows. Under Wine + Xvfb there is one
// 1280 x 1024 monitor, the work area is the whole screen and the taskbar query
// answers a one-pixel strip at the bottom; what that desktop cannot show (a
// window parked at -32000, a taskbar at the left or top, a second monitor that
// has gone) goes through the PlacementApi seam, still with real windows.
#include "orvo/placement_win32.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <type_traits>
#include <vector>

namespace velnor {

void PrintTo(const Bounds& b, std::ostream* os) {
    *os << "{" << b.left << ", " << b.top << ", " << b.width << ", " << b.height << "}";
}

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
// Wine's taskbar strip is added below the screen: the corrected bottom is 1025.
constexpr Bounds kCentredOnWine{(kScreenWidth - 350) / 2, (kScreenHeight + 1 - 300) / 2, 350, 300};

struct WindowCloser {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser>;

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// A hidden top-level window, as the main window is when the guard runs.
Window MakeWindow(const Bounds& b, DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelnorPlacementTest";
        return RegisterClassW(&wc);
    }();
    Window w(CreateWindowExW(exStyle, MAKEINTATOM(atom), L"placement", style, b.left, b.top, b.width, b.height,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    Pump();
    return w;
}

Bounds Actual(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return BoundsOfRect({r.left, r.top, r.right, r.bottom});
}

// A desktop described by the test: the primary monitor's work area, the
// taskbar answer, and the monitors that exist. Window calls stay real.
struct FakeDesktop {
    RECT workArea{0, 0, kScreenWidth, kScreenHeight};
    bool workAreaOk = true;
    APPBARDATA taskbar{};  // uEdge and rc as the shell would answer
    UINT_PTR taskbarResult = 0;  // no taskbar unless a test sets one
    std::vector<Rect> monitors{{0, 0, kScreenWidth, kScreenHeight}};
    // What the query was sent with.
    DWORD sentMessage = 0;
    DWORD sentSize = 0;

    PlacementApi Api() {
        PlacementApi api = SystemPlacementApi();
        api.getWorkArea = [this](RECT* r) {
            *r = workArea;
            return BOOL{workAreaOk};
        };
        api.appBarMessage = [this](DWORD message, APPBARDATA* data) {
            sentMessage = message;
            sentSize = data->cbSize;
            data->uEdge = taskbar.uEdge;
            data->rc = taskbar.rc;
            return taskbarResult;
        };
        api.monitorFromPoint = [this](POINT p, DWORD) -> HMONITOR {
            for (std::size_t i = 0; i < monitors.size(); ++i) {
                if (Contains(monitors[i], {p.x, p.y})) return reinterpret_cast<HMONITOR>(i + 1);
            }
            return nullptr;
        };
        return api;
    }
};

TEST(PlacementWine, DesktopIsWhatTheseTestsAssume) {
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), kScreenWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), kScreenHeight);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(BoundsOfRect({work.left, work.top, work.right, work.bottom}),
              (Bounds{0, 0, kScreenWidth, kScreenHeight}));
    Rect taskbar;
    EXPECT_EQ(GetTaskbarEdge(taskbar), kTaskbarBottom);
    EXPECT_EQ(taskbar, (Rect{0, kScreenHeight - 1, kScreenWidth, kScreenHeight}));
}

TEST(PlacementEnsureVisible, AWindowOnNoMonitorIsCentredAndKeepsItsSize) {
    const Bounds cases[] = {
        {5000, 5000, 350, 300},
        {-2000, -1500, 350, 300},
        {kScreenWidth, 0, 350, 300},  // starts just right of the screen
        {1400, 100, 350, 300},        // where a second monitor to the right stood
        {-351, 100, 350, 300},        // its right test point is one pixel short
        {100, -301, 350, 300},
    };
    for (const Bounds& at : cases) {
        Window w = MakeWindow(at);
        ASSERT_EQ(Actual(w.get()), at);
        EXPECT_TRUE(EnsureWindowVisible(w.get()));
        EXPECT_EQ(Actual(w.get()), kCentredOnWine) << at.left << "," << at.top;
        EXPECT_FALSE(IsWindowVisible(w.get()));
    }
}

TEST(PlacementEnsureVisible, AWindowWithAnyTestPointOnTheMonitorStays) {
    const struct {
        const char* name;
        Bounds at;
        DWORD style;
    } cases[] = {
        {"inside", {100, 100, 350, 300}, WS_OVERLAPPEDWINDOW},
        {"covers the monitor exactly", {0, 0, kScreenWidth, kScreenHeight}, WS_OVERLAPPEDWINDOW},
        {"top-left corner only", {kScreenWidth - 10, kScreenHeight - 10, 400, 300}, WS_OVERLAPPEDWINDOW},
        {"bottom-right corner only", {-399, -299, 400, 300}, WS_OVERLAPPEDWINDOW},
        {"top-right corner only", {-399, kScreenHeight - 10, 400, 300}, WS_OVERLAPPEDWINDOW},
        {"bottom-left corner only", {kScreenWidth - 10, -299, 400, 300}, WS_OVERLAPPEDWINDOW},
        {"touches the left edge", {-350, 100, 350, 300}, WS_OVERLAPPEDWINDOW},
        // Wider than the screen on both sides, so only its centre is on it;
        // a popup, because the frame of an overlapped window limits its size.
        {"centre only", {-200, 500, kScreenWidth + 400, 300}, WS_POPUP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window w = MakeWindow(c.at, c.style);
        ASSERT_EQ(Actual(w.get()), c.at);
        EXPECT_FALSE(IsOffScreen(c.at));
        EXPECT_FALSE(EnsureWindowVisible(w.get()));
        EXPECT_EQ(Actual(w.get()), c.at);
    }
}

TEST(PlacementEnsureVisible, AMaximisedWindowIsLeftAlone) {
    Window w = MakeWindow({100, 100, 350, 300});
    ShowWindow(w.get(), SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(IsZoomed(w.get()));
    const Bounds maximised = Actual(w.get());
    EXPECT_FALSE(EnsureWindowVisible(w.get()));
    EXPECT_TRUE(IsZoomed(w.get()));
    EXPECT_EQ(Actual(w.get()), maximised);

    // Wine's maximised window covers the screen; one that the system reports
    // as maximised while lying on no monitor is left alone all the same.
    Window distant = MakeWindow({5000, 5000, 350, 300});
    PlacementApi api = SystemPlacementApi();
    api.isZoomed = [](HWND) { return TRUE; };
    EXPECT_FALSE(EnsureWindowVisible(distant.get(), api));
    EXPECT_EQ(Actual(distant.get()), (Bounds{5000, 5000, 350, 300}));
}

TEST(PlacementEnsureVisible, AMinimisedWindowIsLeftAlone) {
    // Wine parks it in a strip at the bottom of the screen.
    Window w = MakeWindow({5000, 5000, 350, 300});
    ShowWindow(w.get(), SW_SHOWMINIMIZED);
    Pump();
    ASSERT_TRUE(IsIconic(w.get()));
    const Bounds parked = Actual(w.get());
    EXPECT_FALSE(EnsureWindowVisible(w.get()));
    EXPECT_EQ(Actual(w.get()), parked);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(w.get(), &placement));
    EXPECT_EQ(placement.rcNormalPosition.left, 5000);
    EXPECT_EQ(placement.rcNormalPosition.top, 5000);

    // Windows parks it at -32000, -32000, off every monitor.
    const Bounds placeholder{kMinimisedPlaceholder, kMinimisedPlaceholder, 160, 28};
    Window windowsStyle = MakeWindow(placeholder);
    ASSERT_EQ(Actual(windowsStyle.get()), placeholder);
    PlacementApi api = SystemPlacementApi();
    api.isIconic = [](HWND) { return TRUE; };
    EXPECT_FALSE(EnsureWindowVisible(windowsStyle.get(), api));
    EXPECT_EQ(Actual(windowsStyle.get()), placeholder);
}

// Settings can put a normal window exactly where minimised windows are
// parked; the guard asks the window whether it is minimised rather than
// trusting the position, so this one still comes back into view.
TEST(PlacementEnsureVisible, ANormalWindowAtTheParkingPositionIsCentred) {
    const Bounds placeholder{kMinimisedPlaceholder, kMinimisedPlaceholder, 350, 300};
    Window w = MakeWindow(placeholder);
    ASSERT_EQ(Actual(w.get()), placeholder);
    EXPECT_TRUE(EnsureWindowVisible(w.get()));
    EXPECT_EQ(Actual(w.get()), kCentredOnWine);
}

TEST(PlacementEnsureVisible, TheTaskbarEdgeDecidesTheCorrection) {
    const struct {
        const char* name;
        RECT work;
        UINT edge;
        RECT taskbar;
        UINT_PTR answered;
        Bounds expected;
    } cases[] = {
        {"top", {0, 40, 1280, 1024}, ABE_TOP, {0, 0, 1280, 40}, 1, {465, 362, 350, 300}},
        {"left", {60, 0, 1280, 1024}, ABE_LEFT, {0, 0, 60, 1024}, 1, {465, 362, 350, 300}},
        {"right", {0, 0, 1220, 1024}, ABE_RIGHT, {1220, 0, 1280, 1024}, 1, {465, 362, 350, 300}},
        {"bottom", {0, 0, 1280, 984}, ABE_BOTTOM, {0, 984, 1280, 1024}, 1, {465, 362, 350, 300}},
        // A query that fails corrects nothing, whatever the structure holds.
        {"query failed", {0, 0, 1280, 984}, ABE_BOTTOM, {0, 984, 1280, 1024}, 0, {465, 342, 350, 300}},
        {"unknown edge", {0, 0, 1280, 984}, 7, {0, 984, 1280, 1024}, 1, {465, 342, 350, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDesktop desktop;
        desktop.workArea = c.work;
        desktop.taskbar.uEdge = c.edge;
        desktop.taskbar.rc = c.taskbar;
        desktop.taskbarResult = c.answered;
        Window w = MakeWindow({5000, 5000, 350, 300});
        EXPECT_TRUE(EnsureWindowVisible(w.get(), desktop.Api()));
        EXPECT_EQ(Actual(w.get()), c.expected);
        EXPECT_EQ(desktop.sentMessage, DWORD{ABM_GETTASKBARPOS});
        EXPECT_EQ(desktop.sentSize, 48u);
    }
}

TEST(PlacementEnsureVisible, AWindowOnAMonitorThatHasGoneIsCentred) {
    FakeDesktop desktop;
    desktop.monitors = {{0, 0, kScreenWidth, kScreenHeight}, {kScreenWidth, 0, 2 * kScreenWidth, kScreenHeight}};
    const Bounds onSecond{1400, 100, 350, 300};
    Window w = MakeWindow(onSecond);
    EXPECT_FALSE(EnsureWindowVisible(w.get(), desktop.Api()));
    EXPECT_EQ(Actual(w.get()), onSecond);

    desktop.monitors.pop_back();
    EXPECT_TRUE(EnsureWindowVisible(w.get(), desktop.Api()));
    EXPECT_EQ(Actual(w.get()), (Bounds{465, 362, 350, 300}));
}

// Needs a desktop with a second monitor, which Xvfb cannot offer; run it alone
// (--gtest_filter=PlacementTwoMonitors*) under Xorg with the dummy driver and a
// second output beside the first.
TEST(PlacementTwoMonitors, AWindowOnASecondMonitorStaysUntilThatMonitorGoes) {
    if (GetSystemMetrics(SM_CMONITORS) < 2) GTEST_SKIP() << "one monitor only";
    std::vector<HMONITOR> others;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, RECT*, LPARAM list) {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            GetMonitorInfoW(monitor, &info);
            if (!(info.dwFlags & MONITORINFOF_PRIMARY)) {
                reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&others));
    ASSERT_FALSE(others.empty());
    MONITORINFO second{};
    second.cbSize = sizeof second;
    ASSERT_TRUE(GetMonitorInfoW(others.front(), &second));
    const Bounds onSecond{second.rcMonitor.left + 100, second.rcMonitor.top + 100, 350, 300};
    Window w = MakeWindow(onSecond);
    ASSERT_EQ(Actual(w.get()), onSecond);
    EXPECT_FALSE(IsOffScreen(onSecond));
    EXPECT_FALSE(EnsureWindowVisible(w.get()));
    EXPECT_EQ(Actual(w.get()), onSecond);

    // The same desktop with that monitor unplugged: the window is centred on
    // the primary monitor, whose work area and taskbar stay real.
    PlacementApi api = SystemPlacementApi();
    api.monitorFromPoint = [gone = others.front()](POINT p, DWORD flags) {
        const HMONITOR found = MonitorFromPoint(p, flags);
        return found == gone ? HMONITOR{} : found;
    };
    EXPECT_TRUE(EnsureWindowVisible(w.get(), api));
    const Bounds placed = Actual(w.get());
    EXPECT_FALSE(IsOffScreen(placed));
    EXPECT_EQ(MonitorFromPoint(POINT{placed.left, placed.top}, MONITOR_DEFAULTTONULL),
              MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    EXPECT_EQ(placed.width, 350);
    EXPECT_EQ(placed.height, 300);
}

TEST(PlacementWindowRect, ParkedOrMissingWindowsHaveNoBounds) {
    Window normal = MakeWindow({100, 120, 400, 300});
    EXPECT_EQ(GetValidWindowRect(normal.get()), (Rect{100, 120, 500, 420}));
    Bounds b;
    EXPECT_TRUE(GetWindowBounds(normal.get(), b));
    EXPECT_EQ(b, (Bounds{100, 120, 400, 300}));

    Window parked = MakeWindow({kMinimisedPlaceholder, kMinimisedPlaceholder, 160, 28});
    const Bounds untouched{1, 2, 3, 4};
    for (HWND window : {parked.get(), HWND{}}) {
        EXPECT_FALSE(GetValidWindowRect(window).has_value());
        b = untouched;
        EXPECT_FALSE(GetWindowBounds(window, b));
        EXPECT_EQ(b, untouched);
    }
    // Only both coordinates at -32000 make the placeholder.
    Window halfParked = MakeWindow({kMinimisedPlaceholder, 0, 350, 300});
    EXPECT_TRUE(GetValidWindowRect(halfParked.get()).has_value());
}

TEST(PlacementPlaceWindow, ModesUseTheCorrectedWorkArea) {
    // Wine's corrected rectangle: 0, 0, 1280, 1025.
    const struct {
        int mode;
        Bounds expected;
    } cases[] = {
        {6, {0, 0, 350, 300}},       {9, {930, 725, 350, 300}},    {10, {465, 362, 350, 300}},
        {12, {0, 512, 1280, 512}},   {14, {640, 0, 640, 1025}},    {42, {200, 150, 350, 300}},
    };
    for (const auto& c : cases) {
        Window w = MakeWindow({200, 150, 350, 300});
        EXPECT_TRUE(PlaceWindow(w.get(), c.mode));
        EXPECT_EQ(Actual(w.get()), c.expected) << "mode " << c.mode;
    }
}

TEST(PlacementPlaceWindow, DoesNotMoveWithoutBoundsOrWorkArea) {
    Window parked = MakeWindow({kMinimisedPlaceholder, kMinimisedPlaceholder, 160, 28});
    EXPECT_FALSE(PlaceWindow(parked.get(), kPlaceCentred));
    EXPECT_EQ(Actual(parked.get()), (Bounds{kMinimisedPlaceholder, kMinimisedPlaceholder, 160, 28}));
    EXPECT_FALSE(PlaceWindow(nullptr, kPlaceCentred));

    FakeDesktop desktop;
    desktop.workAreaOk = false;
    Window w = MakeWindow({5000, 5000, 350, 300});
    EXPECT_FALSE(PlaceWindow(w.get(), kPlaceCentred, desktop.Api()));
    EXPECT_FALSE(EnsureWindowVisible(w.get(), desktop.Api()));
    EXPECT_EQ(Actual(w.get()), (Bounds{5000, 5000, 350, 300}));
}

TEST(PlacementBoundsToStore, NormalMaximisedAndMinimisedWindows) {
    Window w = MakeWindow({100, 120, 400, 300});
    EXPECT_EQ(GetBoundsToStore(w.get()), (Bounds{100, 120, 400, 300}));

    ShowWindow(w.get(), SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(IsZoomed(w.get()));
    EXPECT_EQ(GetBoundsToStore(w.get()), Actual(w.get()));

    ShowWindow(w.get(), SW_RESTORE);
    ShowWindow(w.get(), SW_MINIMIZE);
    Pump();
    ASSERT_TRUE(IsIconic(w.get()));
    ASSERT_NE(Actual(w.get()), (Bounds{100, 120, 400, 300}));
    EXPECT_EQ(GetBoundsToStore(w.get()), (Bounds{100, 120, 400, 300}));

    EXPECT_FALSE(GetBoundsToStore(nullptr).has_value());
}

// The placement record is relative to the work area of the window's monitor;
// what is stored must be screen coordinates, or the window creeps by the
// taskbar's size at every run.
TEST(PlacementBoundsToStore, AMinimisedWindowsRecordIsTurnedIntoScreenCoordinates) {
    const struct {
        const char* name;
        RECT monitor, work;
        DWORD exStyle;
        Bounds expected;
    } cases[] = {
        {"taskbar left", {0, 0, 1280, 1024}, {60, 0, 1280, 1024}, 0, {160, 120, 400, 300}},
        {"taskbar top", {0, 0, 1280, 1024}, {0, 40, 1280, 1024}, 0, {100, 160, 400, 300}},
        {"taskbar bottom", {0, 0, 1280, 1024}, {0, 0, 1280, 984}, 0, {100, 120, 400, 300}},
        {"second monitor, taskbar left", {1280, 0, 2560, 1024}, {1340, 0, 2560, 1024}, 0, {160, 120, 400, 300}},
        // Tool windows are kept in screen coordinates.
        {"tool window", {0, 0, 1280, 1024}, {60, 0, 1280, 1024}, WS_EX_TOOLWINDOW, {100, 120, 400, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window w = MakeWindow({100, 120, 400, 300}, WS_OVERLAPPEDWINDOW, c.exStyle);
        ShowWindow(w.get(), SW_SHOWMINIMIZED);
        Pump();
        ASSERT_TRUE(IsIconic(w.get()));
        PlacementApi api = SystemPlacementApi();
        HMONITOR asked = nullptr;
        api.getMonitorInfo = [&](HMONITOR monitor, MONITORINFO* info) {
            asked = monitor;
            info->rcMonitor = c.monitor;
            info->rcWork = c.work;
            return TRUE;
        };
        EXPECT_EQ(GetBoundsToStore(w.get(), api), c.expected);
        if (!c.exStyle) {
            EXPECT_EQ(asked, MonitorFromWindow(w.get(), MONITOR_DEFAULTTOPRIMARY));
        }
    }
}

}  // namespace
}  // namespace velnor
