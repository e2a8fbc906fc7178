#include "e2e/driver.h"

#include <psapi.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>

namespace velnor::e2e {

std::wstring TestExeFolder() {
    wchar_t p[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, p, MAX_PATH);
    std::wstring s = p;
    return s.substr(0, s.find_last_of(L'\\'));
}

std::wstring BuiltProgram(const wchar_t* name) {
    return TestExeFolder() + L"\\..\\src\\" + name;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        if (condition()) return true;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return condition();
}

std::wstring WindowText(HWND h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return L"<no answer>";
    std::wstring s(len + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(s.data()), SMTO_ABORTIFHUNG, 5000, &got);
    s.resize(got);
    return s;
}

std::wstring ClassOf(HWND h) {
    wchar_t c[256] = {};
    GetClassNameW(h, c, 256);
    return c;
}

std::vector<HWND> TopWindows(DWORD pid) {
    struct Ctx {
        DWORD pid;
        std::vector<HWND> found;
    } ctx{pid, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == c->pid) c->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND FindTopWindow(DWORD pid, const std::wstring& cls, bool visibleOnly) {
    for (HWND h : TopWindows(pid))
        if (ClassOf(h) == cls && (!visibleOnly || IsWindowVisible(h))) return h;
    return nullptr;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

std::vector<std::wstring> ModulePaths(HANDLE process) {
    HMODULE modules[512];
    DWORD needed = 0;
    std::vector<std::wstring> out;
    if (!EnumProcessModulesEx(process, modules, sizeof(modules), &needed, LIST_MODULES_ALL)) return out;
    const size_t n = std::min<size_t>(needed / sizeof(HMODULE), std::size(modules));
    for (size_t i = 0; i < n; ++i) {
        wchar_t p[MAX_PATH] = {};
        if (GetModuleFileNameExW(process, modules[i], p, MAX_PATH)) out.push_back(p);
    }
    return out;
}

Program::Program(const std::wstring& exe, const std::wstring& commandLine, const std::wstring& directory,
                 int showCommand) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (showCommand >= 0) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showCommand);
    }
    std::wstring cl = commandLine;
    if (!CreateProcessW(exe.empty() ? nullptr : exe.c_str(), cl.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &si, &pi_))
        pi_ = {};
}

Program::~Program() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        for (HWND h : TopWindows(pi_.dwProcessId)) PostMessageW(h, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(pi_.hProcess, 5000) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

HWND Program::MainWindow(DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            found = FindTopWindow(pi_.dwProcessId, L"TmainForm");
            return found != nullptr || WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0;
        },
        timeoutMs);
    return found;
}

long Program::WaitExit(DWORD timeoutMs) {
    if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
}

long Program::Close(DWORD timeoutMs) {
    if (HWND main = FindTopWindow(pi_.dwProcessId, L"TmainForm", false)) PostMessageW(main, WM_CLOSE, 0, 0);
    return WaitExit(timeoutMs);
}

bool Program::ShowedAWindowBeforeExit(DWORD timeoutMs) {
    bool seen = false;
    WaitFor(
        [&] {
            for (HWND h : TopWindows(pi_.dwProcessId))
                if (IsWindowVisible(h)) seen = true;
            return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0;
        },
        timeoutMs);
    return seen;
}

bool FileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

void RemoveTree(const std::wstring& path) {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path), ec);
}

std::wstring AppDataFolder() {
    wchar_t p[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, p);
    return p;
}

}  // namespace velnor::e2e
