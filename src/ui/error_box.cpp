#include "ui/error_box.h"

#include <commctrl.h>

#include "platform/errors.h"
#include "platform/utf.h"
#include "ui/window_frame.h"

namespace velnor {

void ShowErrorBox(HWND owner, const std::wstring& message) {
    HWND parent = owner ? GetAncestor(owner, GA_ROOT) : GetActiveWindow();
    MessageBoxW(parent, ErrorBoxText(message).c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
}

namespace {

bool showErrors = true;

// Runs the handler; the text of anything it throws goes to `report`.
bool Guard(const std::function<void()>& handler, const std::function<void(const std::wstring&)>& report) {
    try {
        handler();
        return true;
    } catch (const Error& e) {
        report(e.Message());
    } catch (const std::bad_alloc&) {
        report(L"メモリが不足しています");
    } catch (const std::exception& e) {
        report(Utf8ToWide(e.what()));
    }
    return false;
}

}  // namespace

bool GuardHandler(HWND owner, const std::function<void()>& handler) {
    return Guard(handler, [owner](const std::wstring& message) {
        if (showErrors) ShowErrorBox(owner, message);
    });
}

bool RunUnreported(const std::function<void()>& handler) {
    return Guard(handler, [](const std::wstring&) {});
}

void StopShowingErrors() { showErrors = false; }

void ShowMissingThemeBox(const std::wstring& themeName) {
    const std::wstring text = L"スタイル '" + themeName + L"' が見つかりません";
    // Task dialogs come with common controls 6, which the manifest asks for;
    // without them a plain message box says the same.
    using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    auto fn = comctl ? reinterpret_cast<TaskDialogIndirectFn>(
                           reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                     : nullptr;
    if (fn) {
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof(config);
        config.dwCommonButtons = TDCBF_CLOSE_BUTTON;
        config.pszWindowTitle = kApplicationTitle;
        config.pszMainIcon = TD_ERROR_ICON;
        config.pszContent = text.c_str();
        int button = 0;
        if (SUCCEEDED(fn(&config, &button, nullptr, nullptr))) return;
    }
    MessageBoxW(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
}

}  // namespace velnor
