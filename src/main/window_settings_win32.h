// The main window's side of the settings: its live geometry, and the
// rectangle that a close writes.
#pragma once

#include <windows.h>

#include "main/window_settings.h"

namespace velnor {

class NativeWindowGeometry : public WindowGeometry {
public:
    explicit NativeWindowGeometry(HWND window) : window_(window) {}
    Bounds Current() const override;
    void SetTop(std::int32_t top) override { Set(&Bounds::top, top); }
    void SetLeft(std::int32_t left) override { Set(&Bounds::left, left); }
    void SetWidth(std::int32_t width) override { Set(&Bounds::width, width); }
    void SetHeight(std::int32_t height) override { Set(&Bounds::height, height); }

private:
    // Moves the window at once with one of its bounds changed.
    void Set(std::int32_t Bounds::*field, std::int32_t value);
    HWND window_;
};

// The rectangle a close writes: the current one, or for a minimised window
// the one it had before, in screen coordinates.
Bounds StoredWindowBounds(HWND window);

}  // namespace velnor
