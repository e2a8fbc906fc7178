// The window placement guard on Win32: reads a window's bounds, the work area
// and the taskbar, and moves the window. The decisions are the portable ones
// of placement.h.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>

#include "orvo/placement.h"

namespace velnor {

// Every system call the guard makes, one member per call with the call's own
// signature. The program uses SystemPlacementApi(); tests replace single
// members to show what this machine cannot: a window parked at -32000, a
// taskbar at the left or top, a monitor that has gone.
struct PlacementApi {
    std::function<BOOL(HWND, RECT*)> getWindowRect;
    std::function<BOOL(HWND)> isZoomed;
    std::function<BOOL(HWND)> isIconic;
    // SystemParametersInfoW with SPI_GETWORKAREA.
    std::function<BOOL(RECT*)> getWorkArea;
    std::function<UINT_PTR(DWORD, APPBARDATA*)> appBarMessage;
    std::function<HMONITOR(POINT, DWORD)> monitorFromPoint;
    std::function<HMONITOR(HWND, DWORD)> monitorFromWindow;
    std::function<BOOL(HMONITOR, MONITORINFO*)> getMonitorInfo;
    std::function<BOOL(HWND, WINDOWPLACEMENT*)> getWindowPlacement;
    std::function<LONG_PTR(HWND, int)> getWindowLongPtr;
    std::function<BOOL(HWND, int, int, int, int, BOOL)> moveWindow;
};

// The real calls.
const PlacementApi& SystemPlacementApi();

// The window's rectangle, or nothing when GetWindowRect fails or the window
// sits at the minimised placeholder (-32000, -32000).
std::optional<Rect> GetValidWindowRect(HWND window, const PlacementApi& api = SystemPlacementApi());

// On success of GetValidWindowRect stores the window's bounds and returns
// true; otherwise returns false and leaves `bounds` as it was.
bool GetWindowBounds(HWND window, Bounds& bounds, const PlacementApi& api = SystemPlacementApi());

// The taskbar's edge code (kTaskbarTop ... kTaskbarRight) with its rectangle
// in `taskbar`. A failed query is kTaskbarNone and leaves `taskbar` empty.
int GetTaskbarEdge(Rect& taskbar, const PlacementApi& api = SystemPlacementApi());

// True when none of the five test points of `bounds` is on a display monitor.
bool IsOffScreen(const Bounds& bounds, const PlacementApi& api = SystemPlacementApi());

// Moves the window to placement `mode` (0 to 14; any other repaints it where
// it is) in the primary monitor's taskbar-corrected work rectangle. Returns
// whether the window was moved; it is not when its bounds, or the work area,
// cannot be read.
bool PlaceWindow(HWND window, int mode, const PlacementApi& api = SystemPlacementApi());

// Centres the window in the corrected work rectangle when it lies on no
// monitor, keeping its size. A maximised or minimised window is left alone.
// Returns whether the window was moved.
bool EnsureWindowVisible(HWND window, const PlacementApi& api = SystemPlacementApi());

// The bounds to remember for the window, in screen coordinates: its rectangle
// when normal or maximised, and the rectangle it will be restored to when
// minimised. Nothing when the system cannot tell.
std::optional<Bounds> GetBoundsToStore(HWND window, const PlacementApi& api = SystemPlacementApi());

}  // namespace velnor
