#include "orvo/exec_and_wait.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <utility>
#include <vector>

namespace velnor {

#ifdef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the structure's size on 64-bit Windows");
#endif

namespace {
bool abandoned = false;
DWORD waitLimitMs = INFINITE;
bool waitLimitReached = false;

// Ends a process and every process it started, the youngest first, as far
// as their parent ids still tell.
void EndProcessTree(DWORD root) {
    std::vector<DWORD> tree{root};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        std::vector<std::pair<DWORD, DWORD>> all;  // id, parent
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            all.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
        CloseHandle(snapshot);
        for (size_t i = 0; i < tree.size(); ++i)
            for (const auto& [id, parent] : all)
                if (parent == tree[i] && id != tree[i]) tree.push_back(id);
    }
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, *it)) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
    }
}
}  // namespace

void AbandonWaits() { abandoned = true; }

WaitLimit::WaitLimit(unsigned long limitMs) : previous_(waitLimitMs) {
    waitLimitMs = limitMs;
    waitLimitReached = false;
}
WaitLimit::~WaitLimit() { waitLimitMs = previous_; }
bool WaitLimit::Reached() const { return waitLimitReached; }

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

    bool quit = false;
    int quitCode = 0;
    const DWORD started = GetTickCount();
    while (!abandoned && WaitForSingleObject(info.hProcess, 100) == WAIT_TIMEOUT) {
        if (waitLimitMs != INFINITE && GetTickCount() - started >= waitLimitMs) {
            waitLimitReached = true;
            EndProcessTree(GetProcessId(info.hProcess));
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
