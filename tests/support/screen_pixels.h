// What the screen shows of a window: its client area as pixels to check, and
// the whole window saved as a picture for eyes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/window_reading.h"

namespace velnor::test {

// The pixels that `draw` paints into a width x height bitmap, row by row from
// the top.
inline std::vector<COLORREF> DrawnPixels(int width, int height, const std::function<void(HDC)>& draw) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    draw(memory);
    GdiFlush();
    std::vector<COLORREF> pixels;
    if (bits) {
        const auto* rows = static_cast<const DWORD*>(bits);
        pixels.reserve(static_cast<size_t>(width) * height);
        // A DIB holds 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
        for (int i = 0; i < width * height; ++i)
            pixels.push_back(RGB((rows[i] >> 16) & 0xFF, (rows[i] >> 8) & 0xFF, rows[i] & 0xFF));
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// A copy of what the screen shows of a window's client area now.
class ScreenPixels {
public:
    explicit ScreenPixels(HWND window) {
        RECT rc{};
        GetClientRect(window, &rc);
        width_ = rc.right;
        height_ = rc.bottom;
        if (width_ <= 0 || height_ <= 0) return;
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        pixels_ = DrawnPixels(width_, height_, [&](HDC memory) {
            HDC screen = GetDC(nullptr);
            BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
            ReleaseDC(nullptr, screen);
        });
        if (pixels_.empty()) width_ = height_ = 0;
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The colour at a client point; CLR_INVALID outside.
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
        return pixels_[static_cast<size_t>(y) * width_ + x];
    }
    // How many pixels of the rectangle (all of it by default) have exactly
    // that colour.
    int Count(COLORREF colour) const { return Count(colour, {0, 0, width_, height_}); }
    int Count(COLORREF colour, const RECT& area) const {
        int n = 0;
        for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height_); ++y)
            for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width_); ++x)
                n += At(x, y) == colour;
        return n;
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<COLORREF> pixels_;
};

namespace picture_detail {

// The pixels of a bitmap as 24-bit bottom-up rows, with the header for a BMP;
// empty when they cannot be read.
inline std::string Pixels(HDC dc, HBITMAP bitmap, BITMAPINFOHEADER& header) {
    header = {};
    header.biSize = sizeof(header);
    BITMAP b{};
    GetObjectW(bitmap, sizeof(b), &b);
    header.biWidth = b.bmWidth;
    header.biHeight = b.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(b.bmWidth) * 3 + 3) & ~size_t{3};
    std::string pixels(stride * static_cast<size_t>(b.bmHeight), '\0');
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(b.bmHeight), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                  DIB_RGB_COLORS) != b.bmHeight)
        pixels.clear();
    return pixels;
}

// Whether every pixel has one colour: nothing was drawn, or not yet.
inline bool Uniform(const std::string& pixels, const BITMAPINFOHEADER& header) {
    const size_t stride = (static_cast<size_t>(header.biWidth) * 3 + 3) & ~size_t{3};
    for (LONG y = 0; y < header.biHeight; ++y)
        for (LONG x = 0; x < header.biWidth; ++x)
            if (pixels.compare(y * stride + x * 3, 3, pixels, 0, 3) != 0) return false;
    return true;
}

}  // namespace picture_detail

// Saves the whole window, frame included, as a 24-bit BMP at `path`: as it
// draws itself (PrintWindow, which on Windows also renders what the
// compositor holds), or, where the system prints nothing for another
// process's window (Wine), as the screen shows it once it has painted. True
// when the picture was written and shows more than one colour; a picture of
// one colour is written all the same, for whoever looks into why.
inline bool SaveWindowPicture(HWND window, const std::wstring& path) {
    using picture_detail::Pixels;
    using picture_detail::Uniform;
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    BITMAPINFOHEADER header{};
    constexpr UINT kRenderFullContent = 2;  // PW_RENDERFULLCONTENT, Windows 8.1 and later
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool printed = PrintWindow(window, memory, kRenderFullContent);
    SelectObject(memory, old);  // GetDIBits wants the bitmap out of every device context
    std::string pixels = Pixels(memory, bitmap, header);
    if (!printed || pixels.empty() || Uniform(pixels, header)) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        WaitFor(
            [&] {
                // Only the part on the screen: a maximised window reaches
                // past its edges, and a copy from outside may fail whole.
                const RECT desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                   GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                   GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
                RECT visible{};
                IntersectRect(&visible, &r, &desktop);
                old = SelectObject(memory, bitmap);
                BitBlt(memory, visible.left - r.left, visible.top - r.top, visible.right - visible.left,
                       visible.bottom - visible.top, screen, visible.left, visible.top, SRCCOPY);
                SelectObject(memory, old);
                pixels = Pixels(memory, bitmap, header);
                return !pixels.empty() && !Uniform(pixels, header);
            },
            3000);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (pixels.empty()) return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    WriteBytes(path, bytes + pixels);
    return Exists(path) && !Uniform(pixels, header);
}

}  // namespace velnor::test
