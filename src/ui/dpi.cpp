#include "ui/dpi.h"

namespace velnor {
namespace {

template <class Fn>
Fn User32Function(const char* name) {
    static HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

UINT DpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi) return dpi;
    }
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi) {
    using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = User32Function<AdjustFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientWidth, clientHeight};
    if (!adjust || !adjust(&r, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

std::wstring MenuFontFace(UINT dpi) {
    using SpiForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto spiForDpi = User32Function<SpiForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    const BOOL ok = spiForDpi ? spiForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)
                              : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    if (ok && metrics.lfMenuFont.lfFaceName[0]) return metrics.lfMenuFont.lfFaceName;
    return L"Tahoma";
}

void WindowFont::Recreate(UINT dpi, const std::function<void(HFONT)>& apply) {
    LOGFONTW lf{};
    lf.lfHeight = Scale(-11, dpi);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    const std::wstring face = MenuFontFace(dpi);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT next = CreateFontIndirectW(&lf);
    apply(next);
    Reset();
    font_ = next;
}

void WindowFont::Reset() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

void ApplyFont(HWND window, HFONT font) {
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EnumChildWindows(
        window,
        [](HWND child, LPARAM lp) -> BOOL {
            SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(lp), TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font));
}

}  // namespace velnor
