#include "orvo/exec_and_wait.h"

#include <shellapi.h>

#include "orvo/command_job.h"

namespace velnor {

#ifdef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the structure's size on 64-bit Windows");
#endif

namespace {
bool abandoned = false;
DWORD waitLimitMs = INFINITE;
}  // namespace

void AbandonWaits() { abandoned = true; }

WaitLimit::WaitLimit(unsigned long limitMs) : previous_(waitLimitMs) {
    waitLimitMs = limitMs;
}
WaitLimit::~WaitLimit() { waitLimitMs = previous_; }

void DispatchWithNavigation(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageW(root, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool PumpPendingMessages(int* quitCode) {
    bool quit = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            if (quitCode) *quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        DispatchWithNavigation(msg);
    }
    return !quit;
}

int ExecAndWait(HWND window, const std::wstring& file, const std::wstring& parameters,
                const std::wstring& verb, int show, const std::wstring& directory) {
    if (abandoned) return 0;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = window;
    info.lpVerb = verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = show;
    ShellExecuteExW(&info);
    const int code = static_cast<int>(reinterpret_cast<INT_PTR>(info.hInstApp));
    if (static_cast<unsigned>(code) <= 32) return code;
    // At once, before the command is far along: what it starts from now on
    // can be ended with it.
    CommandJob job(info.hProcess);

    bool quit = false;
    int quitCode = 0;
    const DWORD started = GetTickCount();
    while (!abandoned && WaitForSingleObject(info.hProcess, 100) == WAIT_TIMEOUT) {
        if (waitLimitMs != INFINITE && GetTickCount() - started >= waitLimitMs) {
            job.End();
            break;
        }
        int c = 0;
        if (!PumpPendingMessages(&c)) {
            quit = true;
            quitCode = c;
        }
    }
    if (info.hProcess) CloseHandle(info.hProcess);
    if (quit) PostQuitMessage(quitCode);
    return code;
}

}  // namespace velnor
