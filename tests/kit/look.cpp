// The kit's own look at the program: the kit's test build started as a user
// starts it, against the kit's simulated netsh with the sample profiles,
// while every window that another process shows is watched for.
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <set>

#include "kit/kit.h"
#include "platform/utf.h"

namespace velnor::kit {
namespace {

constexpr DWORD kPatienceMs = 30000;
// Each hidden command takes this long, so that a console window that a
// hidden start wrongly shows is on screen long enough to be seen.
constexpr int kCommandDelayMs = 1500;
constexpr wchar_t kFactsMessage[] = L"Velnor kit: window facts";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring ClassOf(HWND h) {
    wchar_t name[128] = {};
    GetClassNameW(h, name, 128);
    return name;
}

std::wstring TextOf(HWND h) {
    wchar_t text[256] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
    return text;
}

std::wstring ImageOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool named = process && QueryFullProcessImageNameW(process, 0, path, &size);
    if (process) CloseHandle(process);
    return named ? std::wstring(path, size) : L"process " + std::to_wstring(pid);
}

// Watches, while the program runs its hidden commands, for a top-level window
// of any process but the program and the kit that becomes visible: through
// the system's show events, which catch even a flash, and by looking at every
// window each time the wait wakes.
class WindowWatch {
public:
    explicit WindowWatch(DWORD programPid) : programPid_(programPid) {
        EnumWindows(Remember, reinterpret_cast<LPARAM>(&before_));
        current = this;
        hook_ = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, OnShow, 0, 0,
                                WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    }
    ~WindowWatch() {
        if (hook_) UnhookWinEvent(hook_);
        current = nullptr;
    }
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // Waits for `done` while pumping the show events in, for at most `ms`.
    bool WaitFor(const std::function<bool()>& done, DWORD ms = kPatienceMs) {
        const ULONGLONG end = GetTickCount64() + ms;
        while (true) {
            EnumWindows(Look, reinterpret_cast<LPARAM>(this));
            ++looks_;
            if (done()) return true;
            if (GetTickCount64() > end) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
    }

    const std::vector<std::wstring>& Seen() const { return seen_; }
    bool EventsHeard() const { return hook_ != nullptr; }
    int Looks() const { return looks_; }

private:
    static BOOL CALLBACK Remember(HWND h, LPARAM data) {
        if (IsWindowVisible(h)) reinterpret_cast<std::set<HWND>*>(data)->insert(h);
        return TRUE;
    }
    static BOOL CALLBACK Look(HWND h, LPARAM data) {
        reinterpret_cast<WindowWatch*>(data)->Consider(h, L"seen");
        return TRUE;
    }
    static void CALLBACK OnShow(HWINEVENTHOOK, DWORD, HWND h, LONG object, LONG, DWORD, DWORD) {
        if (current && h && object == OBJID_WINDOW && GetAncestor(h, GA_ROOT) == h) current->Consider(h, L"shown");
    }

    void Consider(HWND h, const wchar_t* how) {
        if (!IsWindowVisible(h) || before_.count(h) || reported_.count(h)) return;
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == programPid_ || pid == GetCurrentProcessId()) return;
        reported_.insert(h);
        RECT r{};
        GetWindowRect(h, &r);
        seen_.push_back(std::wstring(how) + L": class \"" + ClassOf(h) + L"\", title \"" + TextOf(h) + L"\", " +
                        std::to_wstring(r.right - r.left) + L" x " + std::to_wstring(r.bottom - r.top) + L", " +
                        ImageOf(pid));
    }

    static inline WindowWatch* current = nullptr;
    DWORD programPid_;
    HWINEVENTHOOK hook_ = nullptr;
    std::set<HWND> before_, reported_;
    std::vector<std::wstring> seen_;
    int looks_ = 0;
};

HWND TopWindow(DWORD pid, const wchar_t* cls) {
    struct Search {
        DWORD pid;
        const wchar_t* cls;
        HWND found;
    } search{pid, cls, nullptr};
    EnumWindows(
        [](HWND h, LPARAM data) {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == s.pid && IsWindowVisible(h) && ClassOf(h) == s.cls) s.found = h;
            return s.found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Buttons(HWND window) {
    std::vector<HWND> out;
    EnumChildWindows(
        window,
        [](HWND h, LPARAM data) {
            if (ClassOf(h) == L"Button") reinterpret_cast<std::vector<HWND>*>(data)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

bool Answers(HWND h) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

size_t Commands(const fs::path& journal) {
    const std::string text = ReadAll(journal);
    size_t n = 0;
    for (size_t at = text.find("cmd="); at != std::string::npos; at = text.find("\ncmd=", at + 1)) ++n;
    return n;
}

std::string Pixels(HDC memory, HBITMAP bitmap, BITMAPINFOHEADER& header, int w, int h) {
    header = BITMAPINFOHEADER{sizeof(header), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    std::string pixels(stride * static_cast<size_t>(h), '\0');
    if (GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                  DIB_RGB_COLORS) != h)
        return {};
    return pixels;
}

bool Uniform(const std::string& pixels) {
    for (size_t i = 3; i + 2 < pixels.size(); i += 3)
        if (pixels.compare(i, 3, pixels, 0, 3) != 0) return false;
    return true;
}

// The window as it shows itself, in a 24-bit BMP: printed, or where the
// system prints nothing for another process's window (Wine), copied from the
// screen, where the program keeps it in front.
bool Picture(HWND window, const fs::path& path) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    constexpr UINT kRenderFullContent = 2;  // PW_RENDERFULLCONTENT, Windows 8.1 and later
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool printed = PrintWindow(window, memory, kRenderFullContent) != FALSE;
    SelectObject(memory, old);
    BITMAPINFOHEADER header{};
    std::string pixels = Pixels(memory, bitmap, header, w, h);
    if (!printed || pixels.empty() || Uniform(pixels)) {
        old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        SelectObject(memory, old);
        pixels = Pixels(memory, bitmap, header, w, h);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (pixels.empty() || Uniform(pixels)) return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out << pixels;
    return static_cast<bool>(out);
}

class Look {
public:
    Look(const fs::path& bin, const fs::path& report) : bin_(bin), report_(report) {}

    LookResult Run() {
        std::error_code ec;
        const fs::path work = report_ / L"look";
        fs::remove_all(work, ec);
        fs::create_directories(work / L"sim", ec);
        const fs::path exe = work / L"velnor.exe";
        journal_ = work / L"sim" / L"journal.log";
        factsFile_ = work / L"window-facts.txt";
        if (!CopyFileW((bin_ / L"velnor.exe").c_str(), exe.c_str(), FALSE)) {
            Fail(L"Look.TheProgramStarts", L"could not copy bin\\velnor.exe");
            return std::move(result_);
        }
        std::ofstream(work / L"sim" / L"state.ini", std::ios::binary)
            << ReadAll(bin_.parent_path() / L"sample" / L"state.ini") << "\r\ndelay.show=" << kCommandDelayMs
            << "\r\ndelay.connect=" << kCommandDelayMs << "\r\n";
        SetEnvironmentVariableW(L"NETSH_SIM_DIR", (work / L"sim").c_str());
        SetEnvironmentVariableW(L"VELNOR_KIT_WINDOW_FACTS", factsFile_.c_str());
        RunProgram(exe, work);
        SetEnvironmentVariableW(L"NETSH_SIM_DIR", nullptr);
        SetEnvironmentVariableW(L"VELNOR_KIT_WINDOW_FACTS", nullptr);
        fs::remove_all(work, ec);
        return std::move(result_);
    }

private:
    void Pass(const wchar_t* name) { result_.checks.push_back({name, Outcome::Passed}); }
    void Fail(const wchar_t* name, const std::wstring& why) {
        result_.checks.push_back({name, Outcome::Failed});
        result_.problems.push_back(std::wstring(name) + L": " + why);
    }
    void Check(const wchar_t* name, bool ok, const std::wstring& why) { ok ? Pass(name) : Fail(name, why); }

    // Asks the program for the facts of one window and waits for them.
    bool WindowFacts(WindowWatch& watch, HWND window, const std::wstring& cls) {
        static const UINT message = RegisterWindowMessageW(kFactsMessage);
        PostMessageW(window, message, 0, 0);
        const std::string end = "end " + WideToUtf8(cls);
        std::string text;
        if (!watch.WaitFor([&] { return (text = ReadAll(factsFile_)).find(end) != std::string::npos; })) return false;
        size_t from = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; from = at + 2, at = text.find("\r\n", from)) {
            const std::string line = text.substr(from, at - from);
            if (line.rfind("window " + WideToUtf8(cls), 0) == 0 || (!line.empty() && line[0] == ' ' && inside_))
                result_.facts.push_back(Utf8ToWide(line));
            if (line.rfind("window " + WideToUtf8(cls), 0) == 0) inside_ = true;
            if (line == end) inside_ = false;
        }
        return true;
    }

    void RunProgram(const fs::path& exe, const fs::path& work) {
        std::wstring commandLine = L"\"" + exe.wstring() + L"\" /p";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, work.c_str(), &si,
                            &pi)) {
            Fail(L"Look.TheProgramStarts", L"could not start it (error " + std::to_wstring(GetLastError()) + L")");
            return;
        }
        {
            WindowWatch watch(pi.dwProcessId);
            Drive(watch, pi);
            const auto& seen = watch.Seen();
            for (const auto& s : seen) result_.facts.push_back(L"  a window of another process " + s);
            result_.facts.insert(result_.facts.begin(),
                                 L"Windows of other processes that became visible while Velnor ran its hidden commands: " +
                                     std::to_wstring(seen.size()) + L" (show events " +
                                     (watch.EventsHeard() ? L"watched" : L"unavailable") + L", " +
                                     std::to_wstring(watch.Looks()) + L" looks at every window)");
            Check(L"Look.NoWindowOfAnotherProcessShowsWhileHiddenCommandsRun", seen.empty(),
                  std::to_wstring(seen.size()) + L" window(s) appeared, listed above");
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            for (const wchar_t* cls : {L"TListForm", L"TmainForm"})
                if (HWND h = TopWindow(pi.dwProcessId, cls)) PostMessageW(h, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(pi.hProcess, kPatienceMs) == WAIT_TIMEOUT) {
                TerminateProcess(pi.hProcess, 99);
                WaitForSingleObject(pi.hProcess, 5000);
                Fail(L"Look.TheProgramEndsWhenClosed", L"it did not end within 30 s of its close and was ended");
            } else {
                Pass(L"Look.TheProgramEndsWhenClosed");
            }
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }

    void Drive(WindowWatch& watch, const PROCESS_INFORMATION& pi) {
        HWND main = nullptr;
        // Started: the main window shows, and its hidden listing has ended
        // once it lists the sample profiles and answers again.
        const bool listed = watch.WaitFor([&] {
            main = TopWindow(pi.dwProcessId, L"TmainForm");
            return main && Commands(journal_) >= 1 && Answers(main) && Buttons(main).size() > 4;
        });
        Check(L"Look.TheProgramStartsAndListsTheSampleProfiles", listed,
              L"no main window with the sample profiles within 30 s");
        if (!listed) return;
        // A connect: the hidden interface listing through cmd.exe, then the
        // hidden netsh itself.
        HWND radio = nullptr, connect = nullptr, list = nullptr;
        for (HWND b : Buttons(main)) {
            const LONG_PTR type = GetWindowLongPtrW(b, GWL_STYLE) & BS_TYPEMASK;
            if (!radio && type == BS_AUTORADIOBUTTON) radio = b;
            if (TextOf(b) == L"接続") connect = b;
            if (TextOf(b) == L"リスト編集") list = b;
        }
        if (!radio || !connect || !list) {
            Fail(L"Look.TheProgramStartsAndListsTheSampleProfiles", L"no radio button, 接続 or リスト編集");
            return;
        }
        SendMessageW(radio, BM_CLICK, 0, 0);
        const size_t before = Commands(journal_);
        PostMessageW(connect, BM_CLICK, 0, 0);
        // The simulator writes the new connection once its delay is over.
        const fs::path state = journal_.parent_path() / L"state.ini";
        Check(L"Look.AConnectRunsItsTwoHiddenCommands", watch.WaitFor([&] {
            const std::string text = ReadAll(state);
            const size_t at = text.find("\nconnected=");
            return Commands(journal_) >= before + 2 && at != std::string::npos && text[at + 11] != '\r' &&
                   text[at + 11] != '\n';
        }),
              L"the simulator did not record the interface listing and a finished connect within 30 s");
        Check(L"Look.TheMainWindowTellsItsFontAndTextFit", WindowFacts(watch, main, L"TmainForm"),
              L"no answer within 30 s");
        Check(L"Look.APictureOfTheMainWindow", Picture(main, report_ / L"pictures" / L"look-main-window.bmp"),
              L"neither printed nor copied from the screen, or all of one colour");
        // The editor lists the profiles once more when it opens.
        const size_t listed2 = Commands(journal_);
        PostMessageW(list, BM_CLICK, 0, 0);
        HWND editor = nullptr;
        const bool opened = watch.WaitFor([&] {
            editor = TopWindow(pi.dwProcessId, L"TListForm");
            HWND ticks = editor ? FindWindowExW(editor, nullptr, L"SysListView32", nullptr) : nullptr;
            return ticks && Commands(journal_) > listed2 && SendMessageW(ticks, LVM_GETITEMCOUNT, 0, 0) > 0;
        });
        Check(L"Look.TheListEditorOpens", opened, L"no list editor within 30 s");
        if (!opened) return;
        Check(L"Look.TheListEditorTellsItsFontAndTextFit", WindowFacts(watch, editor, L"TListForm"),
              L"no answer within 30 s");
        Check(L"Look.APictureOfTheListEditor", Picture(editor, report_ / L"pictures" / L"look-list-editor.bmp"),
              L"neither printed nor copied from the screen, or all of one colour");
    }

    fs::path bin_, report_, journal_, factsFile_;
    LookResult result_;
    bool inside_ = false;
};

}  // namespace

LookResult LookAtTheProgram(const fs::path& bin, const fs::path& report) { return Look(bin, report).Run(); }

}  // namespace velnor::kit
