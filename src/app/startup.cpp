#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "app/command_line.h"
#include "app/resource.h"
#include "list/list_window.h"
#include "main/main_window.h"
#include "orvo/data_folder.h"
#include "orvo/command_job.h"
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

int RunMessageLoop(TmainForm& main, int showCommand) {
    // Closed while it was being created (during its first listing, by the
    // user or by the Restart Manager): the window goes without ever showing.
    if (!main.Closing()) {
        ShowFirstTime(main.Handle(), showCommand);
        // FormShow follows the first show whatever messages that show sent: a
        // minimised or maximised first show sends no WM_SHOWWINDOW.
        main.QueueFormShow();
    }
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

const MutexApi& SystemMutexApi() {
    static const MutexApi api{
        [](DWORD access, BOOL inherit, const wchar_t* name) { return OpenMutexW(access, inherit, name); },
        [](const wchar_t* name, DWORD* lastError) {
            HANDLE h = CreateMutexW(nullptr, FALSE, name);
            *lastError = GetLastError();
            return h;
        },
        [](HANDLE h) { return CloseHandle(h); },
    };
    return api;
}

bool AnotherCopyRunning(const MutexApi& api) {
    if (HANDLE other = api.openMutex(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
        api.closeHandle(other);
        return true;
    }
    DWORD error = 0;
    HANDLE created = api.createMutex(kMutexName, &error);
    if (created && error == ERROR_ALREADY_EXISTS) {
        api.closeHandle(created);
        return true;
    }
    // The name exists but this user may not open it: a copy with other rights
    // (elevated, or started by another account in this session) holds it.
    if (!created && error == ERROR_ACCESS_DENIED) return true;
    // A create that failed outright (the name taken by another kind of object)
    // does not stop the program: it runs without the guard.
    guardHandle = created;
    return false;
}

int FirstShowCommand(bool silent) {
    if (silent) return SW_SHOWMINNOACTIVE;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    GetStartupInfoW(&si);
    if (si.dwFlags & STARTF_USESHOWWINDOW) {
        if (si.wShowWindow == SW_SHOWMAXIMIZED) return SW_SHOWMAXIMIZED;
        if (si.wShowWindow == SW_SHOWMINNOACTIVE) return SW_SHOWMINNOACTIVE;
    }
    return SW_SHOWNORMAL;
}

void ShowFirstTime(HWND window, int command, const std::function<BOOL(HWND, int)>& showWindow) {
    // The ShowWindow documentation: the command of the first ShowWindow of a
    // process is ignored when the launcher passed a show state in STARTUPINFO,
    // and that state is used instead; later calls are honoured. A shortcut set
    // to "minimised", or a launcher passing SW_HIDE, would otherwise decide
    // the state (an invisible copy would hold the guard for ever). So the
    // first call is spent deliberately: SW_SHOWDEFAULT for a normal window,
    // which asks for the launcher's state outright, or the wanted state
    // itself. If the window did not end as wanted, the second call, which
    // Windows honours, puts it there.
    showWindow(window, command == SW_SHOWNORMAL ? SW_SHOWDEFAULT : command);
    const bool wantIconic = command == SW_SHOWMINNOACTIVE, wantZoomed = command == SW_SHOWMAXIMIZED;
    if (!IsWindowVisible(window) || (IsIconic(window) != FALSE) != wantIconic ||
        (IsZoomed(window) != FALSE) != wantZoomed)
        showWindow(window, command);
}

int RunVelnor(HINSTANCE instance) {
    // The switches are read once here; the main window is told about "/s".
    const std::vector<std::wstring> args = CommandLineArguments();
    if (HasSwitch(args, kPortableSwitch)) {
        DataFolder = ModuleFolder();
    } else if (!PrepareDataFolder(L"Velnor", false)) {
        // No folder for the settings: ending quietly is all that is left.
        return 0;
    }
    // A second copy ends without a word; the first one keeps the window.
    if (AnotherCopyRunning()) return 0;
    // Before the first command: every command the program starts ends with it.
    JoinCommandJob();

    // The shell's folder calls and the common controls expect a
    // single-threaded apartment on the thread that owns the windows.
    ComApartment com;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);

    // Without its theme the program still works, in the system's colours.
    auto theme = LoadEmbeddedTheme(instance, kThemeName);
    if (!theme) ShowMissingThemeBox(kThemeName);
    SetCurrentTheme(std::move(theme));

    // The main window is unowned and so carries the taskbar button. The list
    // editor is owned by it (no button of its own) and must be created after
    // the main window's creation handler has returned, since that handler
    // already lists the profiles. Both live until the process ends.
    MainWindowStart start;
    start.silent = HasSwitch(args, kSilentSwitch);
    start.icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VELNOR), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    start.smallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VELNOR), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    start.editor.showModal = [] { return ListForm && ListForm->ShowModal() == kModalOk; };
    start.editor.cancel = [] {
        if (ListForm) ListForm->CancelModal();
    };
    static auto main = std::make_unique<TmainForm>();
    mainForm = main.get();
    mainForm->Create(instance, start);
    static auto list = std::make_unique<TListForm>();
    ListForm = list.get();
    ListForm->Create(instance, mainForm->Handle());
    if (!mainForm->Handle()) return 0;

    RunMessageLoop(*mainForm, FirstShowCommand(start.silent));
    return 0;
}

}  // namespace velnor
