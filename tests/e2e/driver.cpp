#include "e2e/driver.h"

#include <commctrl.h>
#include <oleacc.h>
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/utf.h"
#include "support/remote_memory.h"
#include "support/shared_read.h"

namespace velnor::e2e {

std::wstring TestExeFolder() {
    wchar_t p[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, p, MAX_PATH);
    std::wstring s = p;
    return s.substr(0, s.find_last_of(L'\\'));
}

std::wstring BuiltProgram(const wchar_t* name) {
    // The test kit keeps the program beside the tests; the build tree keeps
    // it in src\.
    const std::wstring beside = TestExeFolder() + L"\\" + name;
    if (GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
    return TestExeFolder() + L"\\..\\src\\" + name;
}

bool GuardHeld() {
    HANDLE guard = OpenMutexW(SYNCHRONIZE, FALSE, L"Velnor/Orvo Project");
    if (guard) CloseHandle(guard);
    return guard != nullptr;
}

namespace {

// COM for the calling thread, for as long as one read lasts.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

VARIANT ChildVariant(long childId) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = childId;
    return v;
}

// Reads one object of an accessible; the caller holds COM.
AccessibleFacts ReadFrom(IAccessible& acc, long childId) {
    AccessibleFacts facts;
    const VARIANT child = ChildVariant(childId);
    BSTR text = nullptr;
    const HRESULT named = acc.get_accName(child, &text);
    if (named == S_OK && text) facts.name.assign(text, SysStringLen(text));
    SysFreeString(text);
    VARIANT value;
    VariantInit(&value);
    const HRESULT role = acc.get_accRole(child, &value);
    if (role == S_OK && value.vt == VT_I4) facts.role = value.lVal;
    VariantClear(&value);
    const HRESULT state = acc.get_accState(child, &value);
    if (state == S_OK && value.vt == VT_I4) facts.state = value.lVal;
    VariantClear(&value);
    // An id the object does not know is refused by every property.
    facts.found = SUCCEEDED(named) || SUCCEEDED(role) || SUCCEEDED(state);
    return facts;
}

template <class Read>
auto WithClientObject(HWND h, Read read) -> decltype(read(std::declval<IAccessible&>())) {
    ComScope com;
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(h, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&acc))) || !acc)
        return {};
    auto result = read(*acc);
    acc->Release();
    return result;
}

FocusEvents* listening = nullptr;

}  // namespace

AccessibleFacts ReadAccessible(HWND h, long childId) {
    return WithClientObject(h, [&](IAccessible& acc) { return ReadFrom(acc, childId); });
}

std::vector<AccessibleFacts> AccessibleChildren(HWND h) {
    return WithClientObject(h, [&](IAccessible& acc) {
        std::vector<AccessibleFacts> children;
        long count = 0;
        if (acc.get_accChildCount(&count) != S_OK) return children;
        for (long id = 1; id <= count; ++id) children.push_back(ReadFrom(acc, id));
        return children;
    });
}

std::string Describe(const AccessibleFacts& facts) {
    if (!facts.found) return "(no such object)";
    char head[64];
    std::snprintf(head, sizeof head, "role %ld, state 0x%lx, name '", facts.role, facts.state);
    return head + WideToUtf8(facts.name) + "'";
}

std::wstring AccessibleName(HWND h) {
    const AccessibleFacts facts = ReadAccessible(h);
    return facts.found ? facts.name : L"<none>";
}

FocusEvents::FocusEvents(DWORD pid) {
    listening = this;
    hook_ = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &FocusEvents::Heard, pid, 0,
                            WINEVENT_OUTOFCONTEXT);
}

FocusEvents::~FocusEvents() {
    if (hook_) UnhookWinEvent(hook_);
    listening = nullptr;
}

void CALLBACK FocusEvents::Heard(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (listening) listening->heard_.push_back({window, object, child});
}

bool FocusEvents::WaitForLast(const std::function<bool(const Event&)>& match, DWORD timeoutMs) {
    // The hook's calls come through this thread's message queue.
    return WaitFor(
        [&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            return !heard_.empty() && match(heard_.back());
        },
        timeoutMs);
}

namespace {

bool OnceLeavesRepaintPending(HWND window, const std::function<void()>& change) {
    // The paint that is due now has been done once the window has no update
    // region: only then does a new one tell.
    if (!WaitFor([&] { return !GetUpdateRect(window, nullptr, FALSE); })) return true;
    // Under the queue's limit of 10,000 on Windows.
    for (int i = 0; i < 5000; ++i) PostMessageW(window, WM_NULL, 0, 0);
    change();
    return GetUpdateRect(window, nullptr, FALSE) != FALSE;
}

}  // namespace

bool LeavesRepaintPending(HWND window, const std::function<void()>& change) {
    // The program takes the posted messages while they are still being
    // posted, and a busy machine can let it work through all of them and
    // paint before the update region is read. A change that repaints is seen
    // pending in at least one of a few tries; one that does not, in none.
    for (int attempt = 0; attempt < 3; ++attempt)
        if (OnceLeavesRepaintPending(window, change)) return true;
    return false;
}

HWND Radio(HWND window, size_t index) {
    const auto radios = Radios(window);
    if (index < radios.size()) return radios[index];
    std::string shown;
    for (HWND h : radios) shown += " '" + WideToUtf8(WindowText(h)) + "'";
    ADD_FAILURE() << "no radio button " << index << ": the window shows " << radios.size()
                  << (radios.empty() ? "" : ":") << shown;
    return nullptr;
}

std::vector<std::wstring> RadioTexts(HWND window) {
    std::vector<std::wstring> out;
    for (HWND h : Radios(window)) out.push_back(WindowText(h));
    return out;
}

int CheckedRadio(HWND window) {
    const auto radios = Radios(window);
    for (size_t i = 0; i < radios.size(); ++i)
        if (SendMessageW(radios[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    return -1;
}

namespace {
GUITHREADINFO ThreadInfoOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info;
}
}  // namespace

HWND FocusIn(HWND window) { return ThreadInfoOf(window).hwndFocus; }
HWND ActiveIn(HWND window) { return ThreadInfoOf(window).hwndActive; }

HWND WaitForErrorBox(DWORD pid, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindTopWindow(pid, L"#32770")) != nullptr; }, timeoutMs);
    return box;
}

std::wstring ErrorBoxText(HWND box) {
    // A message box's text is its static control 0xFFFF.
    return WindowText(GetDlgItem(box, 0xFFFF));
}

void DismissErrorBox(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

std::wstring SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() <= L' ' || message.back() == L'.')) message.pop_back();
    return message;
}

OtherWindow::OtherWindow()
    : self_(CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE | WS_CAPTION, 500, 500, 200, 100, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr)) {}

OtherWindow::~OtherWindow() {
    if (self_) DestroyWindow(self_);
}

bool OtherWindow::TakeForegroundFrom(HWND window) {
    from_ = window;
    if (!self_) return false;
    SetForegroundWindow(self_);
    return WaitFor([&] { return ActiveIn(window) != window; }, 5000);
}

bool OtherWindow::GiveBack() {
    if (!from_) return false;
    SetForegroundWindow(from_);
    return WaitFor([&] { return ActiveIn(from_) == from_; }, 5000);
}

namespace {

using test::RemoteMemory;

struct ToolButton {
    int command = 0;
    BYTE state = 0;
    std::wstring text;
    int index = 0;
};

std::vector<ToolButton> ToolButtons(HANDLE process, HWND toolbar) {
    std::vector<ToolButton> out;
    const int n = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    RemoteMemory m(process, sizeof(TBBUTTON) + 512);
    for (int i = 0; i < n; ++i) {
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(m.At()));
        TBBUTTON b{};
        m.Read(&b, sizeof(b));
        const LRESULT len =
            SendMessageW(toolbar, TB_GETBUTTONTEXTW, b.idCommand, reinterpret_cast<LPARAM>(m.At(sizeof(TBBUTTON))));
        std::wstring text(len > 0 ? static_cast<size_t>(len) : 0, L'\0');
        if (len > 0) m.Read(text.data(), text.size() * sizeof(wchar_t), sizeof(TBBUTTON));
        out.push_back({b.idCommand, b.fsState, text, i});
    }
    return out;
}

}  // namespace

std::vector<std::wstring> ListItems(HANDLE process, HWND list) {
    std::vector<std::wstring> out;
    const int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    RemoteMemory m(process, sizeof(LVITEMW) + 2048);
    for (int i = 0; i < n; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.cchTextMax = 1000;
        item.pszText = reinterpret_cast<LPWSTR>(m.At(sizeof(LVITEMW)));
        m.Write(&item, sizeof(item));
        const LRESULT len = SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(m.At()));
        std::wstring text(static_cast<size_t>(len), L'\0');
        if (len > 0) m.Read(text.data(), text.size() * sizeof(wchar_t), sizeof(LVITEMW));
        out.push_back(text);
    }
    return out;
}

std::vector<bool> ListTicks(HWND list) {
    std::vector<bool> out;
    const int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        const LRESULT state = SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK);
        out.push_back(((state & LVIS_STATEIMAGEMASK) >> 12) == 2);
    }
    return out;
}

bool SetListTick(HANDLE process, HWND list, int index, bool ticked) {
    RemoteMemory m(process, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    m.Write(&item, sizeof(item));
    return SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(m.At())) != 0;
}

bool SetListItemFocus(HANDLE process, HWND list, int index) {
    RemoteMemory m(process, sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    m.Write(&item, sizeof(item));
    return SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(m.At())) != 0;
}

std::vector<std::wstring> ToolButtonTexts(HANDLE process, HWND toolbar) {
    std::vector<std::wstring> out;
    for (const auto& b : ToolButtons(process, toolbar)) out.push_back(b.text);
    return out;
}

bool ToolButtonEnabled(HANDLE process, HWND toolbar, const std::wstring& caption) {
    for (const auto& b : ToolButtons(process, toolbar))
        if (b.text == caption) return (b.state & TBSTATE_ENABLED) != 0;
    return false;
}

RECT ToolButtonRect(HANDLE process, HWND toolbar, const std::wstring& caption) {
    for (const auto& b : ToolButtons(process, toolbar)) {
        if (b.text != caption) continue;
        RemoteMemory m(process, sizeof(RECT));
        SendMessageW(toolbar, TB_GETITEMRECT, b.index, reinterpret_cast<LPARAM>(m.At()));
        RECT r{};
        m.Read(&r, sizeof(r));
        return r;
    }
    return {};
}

bool ClickToolButton(HANDLE process, HWND toolbar, const std::wstring& caption) {
    for (const auto& b : ToolButtons(process, toolbar)) {
        if (b.text != caption) continue;
        const RECT r = ToolButtonRect(process, toolbar, caption);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(toolbar, WM_MOUSEMOVE, 0, at);
        PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(toolbar, WM_LBUTTONUP, 0, at);
        return true;
    }
    return false;
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

SIZE WindowFontTextSize(const std::wstring& text, int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW lf{};
    lf.lfHeight = MulDiv(-11, dpi, 96);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, metrics.lfMenuFont.lfFaceName, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return size;
}

void Shot(HWND window, const std::wstring& name) {
    wchar_t dir[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VELNOR_PICTURE_DIR", dir, MAX_PATH)) {
        // A minimised window has nothing to show.
        if (!IsIconic(window)) test::SaveWindowPicture(window, std::wstring(dir) + L"\\" + name + L".bmp");
        return;
    }
    if (!GetEnvironmentVariableW(L"VELNOR_SHOT_DIR", dir, MAX_PATH)) return;
    RECT r;
    GetWindowRect(window, &r);
    char text[96];
    const int n = snprintf(text, sizeof text, "%ld %ld %ld %ld\n", std::max<long>(0, r.left), std::max<long>(0, r.top),
                           r.right - std::max<long>(0, r.left), r.bottom - std::max<long>(0, r.top));
    const std::wstring base = std::wstring(dir) + L"\\" + name;
    WriteFile(base + L".tmp", std::string(text, static_cast<size_t>(n)));
    MoveFileExW((base + L".tmp").c_str(), (base + L".req").c_str(), MOVEFILE_REPLACE_EXISTING);
    WaitFor([&] { return GetFileAttributesW((base + L".req").c_str()) == INVALID_FILE_ATTRIBUTES; }, 10000);
}

std::string ProcessReport(DWORD pid) {
    std::string out = "windows of " + std::to_string(pid) + ":";
    for (HWND h : TopWindows(pid)) {
        out += ' ';
        out += WideToUtf8(ClassOf(h));
        if (!IsWindowVisible(h)) out += "(hidden)";
    }
    out += "; running:";
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return out + " (no process list)";
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        const std::wstring name = entry.szExeFile;
        for (const wchar_t* watched : {L"cmd.exe", L"netsh.exe", L"conhost.exe", L"velnor"})
            if (_wcsnicmp(name.c_str(), watched, wcslen(watched)) == 0) {
                out += ' ';
                out += WideToUtf8(name);
                out += '(' + std::to_string(entry.th32ProcessID) + '<' + std::to_string(entry.th32ParentProcessID);
                out += ')';
            }
    }
    CloseHandle(snapshot);
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
                 int showCommand, bool useShowWindow) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (showCommand >= 0) {
        si.dwFlags = useShowWindow ? STARTF_USESHOWWINDOW : 0;
        si.wShowWindow = static_cast<WORD>(showCommand);
    }
    if (!StartProcess(exe, commandLine, 0, directory, si, pi_)) {
        startError_ = GetLastError();
        pi_ = {};
    }
}

BOOL StartProcess(const std::wstring& exe, std::wstring commandLine, DWORD flags, const std::wstring& directory,
                  STARTUPINFOW& si, PROCESS_INFORMATION& pi) {
    for (int attempt = 1;; ++attempt) {
        std::wstring line = commandLine;
        if (CreateProcessW(exe.empty() ? nullptr : exe.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                           directory.empty() ? nullptr : directory.c_str(), &si, &pi))
            return TRUE;
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
            SetLastError(error);
            return FALSE;
        }
        std::printf("  [info] the system could not set up the new process (error %lu, attempt %d): starting it "
                    "again\n",
                    error, attempt);
    }
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
    if (!found && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT)
        std::printf("  [info] no main window after %lu ms while the program runs; %s\n", timeoutMs,
                    ProcessReport(pi_.dwProcessId).c_str());
    // Every scenario leaves a picture of the window as it first appeared.
    if (found && !shotTaken_) {
        shotTaken_ = true;
        static int counter = 0;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        char name[256];
        snprintf(name, sizeof name, "%s.%s-%d", info ? info->test_suite_name() : "scenario", info ? info->name() : "",
                 ++counter);
        Shot(found, std::wstring(name, name + strlen(name)));
    }
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

std::string Program::Report() const {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!pi_.hProcess) return "never started: CreateProcessW failed with error " + std::to_string(startError_);
    if (!GetProcessTimes(pi_.hProcess, &created, &exited, &kernel, &user)) return "no process times";
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    if (code == STILL_ACTIVE) {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        return "running for " + std::to_string((ticks(now) - ticks(created)) / 10000) + " ms";
    }
    return "ended with exit code " + std::to_string(code) + " after " +
           std::to_string((ticks(exited) - ticks(created)) / 10000) + " ms, " +
           std::to_string((ticks(kernel) + ticks(user)) / 10000) + " ms of processor time";
}

bool Program::ShowedAWindowBeforeExit(DWORD timeoutMs) {
    // Looked at again at once, not after a pause: a window that shows and is
    // destroyed right after must not slip between two looks. (An event hook
    // would see every show on Windows, but Wine passes no window events to
    // another process.)
    bool seen = false;
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND h : TopWindows(pi_.dwProcessId))
            if (IsWindowVisible(h)) seen = true;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0 || GetTickCount() - start >= timeoutMs) return seen;
        Sleep(0);
    }
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

std::string ReadFile(const std::wstring& path) { return test::ReadShared(path.c_str()); }

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
