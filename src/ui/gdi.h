// Small RAII holders for GDI objects, and colour mixing, shared by every
// painting file in ui/.
#pragma once

#include <windows.h>

namespace velnor {

// Owns a pen, brush, bitmap or font and deletes it at the end of its scope.
// Declare it before the Selected that puts it into a DC, so that it is
// selected out again before it is deleted.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return object_; }

private:
    HGDIOBJ object_;
};

// Selects an object into a DC for the scope and puts the old one back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory DC compatible with the screen.
class MemoryDc {
public:
    MemoryDc() {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
    }
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_ = nullptr;
};

// `a` with `percentOfB` percent of `b` mixed in.
inline COLORREF Mix(COLORREF a, COLORREF b, int percentOfB) {
    auto part = [&](int shift) {
        const int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        return ((x * (100 - percentOfB) + y * percentOfB) / 100) & 0xFF;
    };
    return RGB(part(0), part(8), part(16));
}

}  // namespace velnor
