#include "main/main_window.h"

#include "orvo/data_folder.h"
#include "orvo/files.h"
#include "ui/error_box.h"

namespace velnor {

TmainForm* mainForm = nullptr;

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;

}  // namespace

void TmainForm::Create(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    RegisterClassExW(&wc);
    CreateWindowExW(kExStyle, kClassName, kApplicationTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 350, 300,
                    nullptr, nullptr, instance, this);
}

void TmainForm::FormCreate() {
    MLog = DataFolder + L"WiFi.log";
    MDis = DataFolder + L"Disable.lst";
    DeleteFileIfExists(MLog);
}

LRESULT TmainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            FormCreate();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

}  // namespace velnor
