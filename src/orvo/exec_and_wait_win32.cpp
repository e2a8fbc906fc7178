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

// When the process was created, or 0 when it cannot be asked.
ULONGLONG CreatedAt(DWORD id) {
    ULONGLONG created = 0;
    if (HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {
        FILETIME creation{}, exit{}, kernel{}, user{};
        if (GetProcessTimes(h, &creation, &exit, &kernel, &user))
            created = (static_cast<ULONGLONG>(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
        CloseHandle(h);
    }
    return created;
}

// Ends a process and every process it started, the youngest first, as far
// as their parent ids still tell. A parent id outlives its process and the
// system hands ids on, so a process counts as a child only when it was
// created after the process whose id it names.
void EndProcessTree(DWORD root) {
    struct Member {
        DWORD id;
        ULONGLONG created;
    };
    std::vector<Member> tree{{root, CreatedAt(root)}};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        std::vector<std::pair<DWORD, DWORD>> all;  // id, parent
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            all.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
        CloseHandle(snapshot);
        for (size_t i = 0; i < tree.size(); ++i) {
            const Member parent = tree[i];
            for (const auto& [id, parentId] : all) {
                if (parentId != parent.id || id == parent.id) continue;
                const ULONGLONG created = CreatedAt(id);
                if (created == 0 || created < parent.created) continue;
                tree.push_back({id, created});
            }
        }
    }
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, it->id)) {
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

    bool quit = false;
    int quitCode = 0;
    const DWORD started = GetTickCount();
    while (!abandoned && WaitForSingleObject(info.hProcess, 100) == WAIT_TIMEOUT) {
        if (waitLimitMs != INFINITE && GetTickCount() - started >= waitLimitMs) {
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
