// Reading windows from outside, as a user or a screen reader would: finding a
// process's windows by class and caption, reading a window's class and text,
// and waiting for a sign. The whole-program tests, the test kit, the kit's own
// build of the program and the installer walker all read windows this way.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velnor::test {

// How long a check waits for a sign that something happened before it calls
// it a failure. Generous, because the verdict never depends on it: a passing
// check returns at the sign, and only a failing one waits this long. Shared
// machines can be slow to start a Wine process.
inline constexpr DWORD kPatienceMs = 30000;

// What a waiting thread does between two looks: sleeps, or also handles the
// messages that reach it (a thread with an out-of-context event hook hears
// the system's events only so).
enum class WhileWaiting { Sleep, HandleMessages };

// Waits until `condition` holds, looking again every 20 ms, for at most
// `timeoutMs`; returns whether it held.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = kPatienceMs,
                    WhileWaiting between = WhileWaiting::Sleep) {
    const ULONGLONG start = GetTickCount64();
    do {
        if (condition()) return true;
        if (between == WhileWaiting::Sleep) {
            Sleep(20);
            continue;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    } while (GetTickCount64() - start < timeoutMs);
    return condition();
}

// Whether the window's thread answers a sent message in time: it has then
// finished what it was doing when the message was sent and is back in a
// message loop.
inline bool Answers(HWND h, DWORD timeoutMs = 5000) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0;
}

inline std::wstring ClassOf(HWND h) {
    wchar_t c[256] = {};
    GetClassNameW(h, c, 256);
    return c;
}

// The window's text, asked with a bound so that a hung window cannot stop the
// reader; "<no answer>" when it did not answer.
inline std::wstring WindowText(HWND h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return L"<no answer>";
    std::wstring s(len + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(s.data()), SMTO_ABORTIFHUNG, 5000, &got);
    s.resize(std::min<size_t>(got, len));
    return s;
}

// A button's text as the system draws it: "&&" shows as "&", and a single
// "&" is not drawn but underlines the next letter as its keyboard shortcut.
inline std::wstring ShownText(HWND h) {
    const std::wstring raw = WindowText(h);
    std::wstring shown;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != L'&') shown += raw[i];
        else if (i + 1 < raw.size() && raw[i + 1] == L'&') shown += raw[++i];
    }
    return shown;
}

// For TopWindows and FindTopWindow: the windows of every process.
inline constexpr DWORD kAnyProcess = 0xFFFFFFFF;

// Top-level windows of a process (or of every process), visible or not, in
// the system's z-order.
inline std::vector<HWND> TopWindows(DWORD pid) {
    struct Ctx {
        DWORD pid;
        std::vector<HWND> found;
    } ctx{pid, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (c->pid == kAnyProcess || owner == c->pid) c->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// The first top-level window of the process (or of any) with that class,
// visible unless `visibleOnly` is false, for which `also` holds when given
// (a caption, a button the window must have).
inline HWND FindTopWindow(DWORD pid, const std::wstring& cls, bool visibleOnly = true,
                          const std::function<bool(HWND)>& also = {}) {
    for (HWND h : TopWindows(pid))
        if (ClassOf(h) == cls && (!visibleOnly || IsWindowVisible(h)) && (!also || also(h))) return h;
    return nullptr;
}

// Whether the window's caption contains `part`, for FindTopWindow.
inline std::function<bool(HWND)> CaptionHas(const std::wstring& part) {
    return [part](HWND h) { return WindowText(h).find(part) != std::wstring::npos; };
}

// Every descendant of a window, parents before their children.
inline std::vector<HWND> Children(HWND parent) {
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

// The descendant push button with that caption, or null.
inline HWND ButtonByText(HWND window, const std::wstring& text) {
    for (HWND h : Children(window))
        if (ClassOf(h) == L"Button" && WindowText(h) == text) return h;
    return nullptr;
}

// The radio buttons among a window's descendants, top to bottom.
inline std::vector<HWND> Radios(HWND window) {
    std::vector<std::pair<LONG, HWND>> found;
    for (HWND h : Children(window)) {
        if (ClassOf(h) != L"Button" || (GetWindowLongPtrW(h, GWL_STYLE) & BS_TYPEMASK) != BS_AUTORADIOBUTTON) continue;
        RECT r;
        GetWindowRect(h, &r);
        found.emplace_back(r.top, h);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<HWND> out;
    for (const auto& f : found) out.push_back(f.second);
    return out;
}

}  // namespace velnor::test
