#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>

#include "app/command_line.h"
#include "list/list_window.h"
#include "main/main_window.h"
#include "orvo/data_folder.h"
#include "orvo/exec_and_wait.h"
#include "ui/error_box.h"
#include "ui/theme.h"

namespace velnor {
namespace {

// Held until the process ends; the system closes it at exit and so frees the
// name for the next start.
HANDLE guardHandle = nullptr;

class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (ok_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

int RunMessageLoop(HWND mainWindow) {
    ShowWindow(mainWindow, FirstShowCommand());
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchWithNavigation(msg);
    return 0;
}

}  // namespace

std::wstring ModuleFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

bool AnotherCopyRunning() {
    if (HANDLE other = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
        CloseHandle(other);
        return true;
    }
    guardHandle = CreateMutexW(nullptr, FALSE, kMutexName);
    if (guardHandle && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(guardHandle);
        guardHandle = nullptr;
        return true;
    }
    return false;
}

int FirstShowCommand() {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    GetStartupInfoW(&si);
    if (si.dwFlags & STARTF_USESHOWWINDOW) {
        if (si.wShowWindow == SW_SHOWMAXIMIZED) return SW_SHOWMAXIMIZED;
        if (si.wShowWindow == SW_SHOWMINNOACTIVE) return SW_SHOWMINNOACTIVE;
    }
    return SW_SHOW;
}

int RunVelnor(HINSTANCE instance) {
    // 1. The data folder.
    if (HasSwitch(CommandLineArguments(), kPortableSwitch)) {
        DataFolder = ModuleFolder();
    } else if (!PrepareDataFolder(L"Velnor", false)) {
        return 0;
    }
    // 2, 3. One copy per user session.
    if (AnotherCopyRunning()) return 0;
    // 4. The toolkit: a single-threaded apartment before any window exists.
    ComApartment com;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    // 5. The main window is unowned and so carries the taskbar button; the
    //    list editor is owned by it and gets none.
    // 6. The theme.
    auto theme = LoadEmbeddedTheme(instance, kThemeName);
    if (!theme) ShowMissingThemeBox(kThemeName);
    SetCurrentTheme(std::move(theme));
    // 7. The title is kApplicationTitle, the caption of every error box.
    // 8, 9. The windows: the editor only after the main window's creation
    //    handler has returned. Both live until the process ends.
    static auto main = std::make_unique<TmainForm>();
    mainForm = main.get();
    mainForm->Create(instance);
    static auto list = std::make_unique<TListForm>();
    ListForm = list.get();
    ListForm->Create(instance, mainForm->Handle());
    if (!mainForm->Handle()) return 0;
    // 10. The first show happens in the message loop.
    RunMessageLoop(mainForm->Handle());
    // 11. Exit code 0 on every orderly path.
    return 0;
}

}  // namespace velnor
