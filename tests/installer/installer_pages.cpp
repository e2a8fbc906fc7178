// Walks every page of the installer and of its uninstaller as a user would
// (Next, Install, Finish; Uninstall, No, Close) and, on each page, measures
// every label, button and option in the font the installer draws it with:
// a text that needs more room than its control has is cut on the screen. It
// also looks for half-width katakana, and for a scroll bar on the list of
// components. Writes one line per control and a picture of each page, and
// ends with exit code 0 only when everything fits.
//
//   installer_pages.exe <setup.exe> <install folder> <font face> <points> <picture folder>
//
// The font is the installer's language font (the first lines of its language
// file); the welcome and finish titles are drawn 12 points bold, the page
// headers bold, as the Modern UI draws them.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/remote_memory.h"
#include "support/screen_pixels.h"
#include "support/window_reading.h"

namespace {

using velnor::test::CaptionHas;
using velnor::test::Children;
using velnor::test::ClassOf;
using velnor::test::FindTopWindow;
using velnor::test::WaitFor;
using velnor::test::WindowText;

// Installing and removing take longer than a window's answer.
constexpr DWORD kInstallerPatienceMs = 60000;
constexpr int kDescriptionId = 1043;
constexpr int kHeaderTitleId = 1037;
constexpr int kComponentTreeId = 1032;

int problems = 0;

void Say(const std::wstring& line) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, out.data(), size, nullptr, nullptr);
    std::fputs(out.c_str(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

void Problem(const std::wstring& line) {
    ++problems;
    Say(L"PROBLEM " + line);
}

// The installer's window: a visible dialog whose caption contains `caption`.
HWND FindInstallerWindow(const std::wstring& caption) {
    const auto captioned = CaptionHas(caption);
    return FindTopWindow(velnor::test::kAnyProcess, L"#32770", true,
                         [&](HWND h) { return captioned(h) && GetDlgItem(h, 1) != nullptr; });
}

// A message box of the installer's process: a visible dialog with a No button.
HWND FindQuestion(DWORD pid) {
    return FindTopWindow(pid, L"#32770", true, [](HWND h) { return GetDlgItem(h, IDNO) != nullptr; });
}

// What the page shows: every visible control's class and text. A page is
// settled when this stays the same for a moment.
std::wstring Fingerprint(HWND window) {
    std::wstring out;
    for (HWND h : Children(window))
        if (IsWindowVisible(h)) out += ClassOf(h) + (IsWindowEnabled(h) ? L":" : L"(off):") + WindowText(h) + L"\n";
    return out;
}

bool Settle(HWND window, std::wstring& fingerprint, const std::wstring& previous) {
    std::wstring last;
    ULONGLONG since = 0;  // when the page last changed
    return WaitFor([&] {
        if (!IsWindow(window)) return false;
        const std::wstring now = Fingerprint(window);
        if (now != last || now == previous) since = GetTickCount64();
        last = now;
        fingerprint = now;
        return GetTickCount64() - since >= 200;
    }, kInstallerPatienceMs);
}

class Fonts {
public:
    Fonts(const std::wstring& face, int points) {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        normal_ = Make(face, -MulDiv(points, dpi, 72), FW_NORMAL);
        bold_ = Make(face, -MulDiv(points, dpi, 72), FW_BOLD);
        title_ = Make(face, -MulDiv(12, dpi, 72), FW_BOLD);
    }
    ~Fonts() {
        DeleteObject(normal_);
        DeleteObject(bold_);
        DeleteObject(title_);
    }
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    HFONT normal_, bold_, title_;

private:
    static HFONT Make(const std::wstring& face, int height, int weight) {
        LOGFONTW lf{};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
        return CreateFontIndirectW(&lf);
    }
};

// The room a text needs in a font: one line, or wrapped at `wrapWidth`.
SIZE Needed(HFONT font, const std::wstring& text, UINT format, int wrapWidth) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 100000, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {r.right - r.left, r.bottom - r.top};
}

bool HalfWidthKatakana(const std::wstring& text) {
    for (wchar_t c : text)
        if (c >= 0xFF61 && c <= 0xFF9F) return true;
    return false;
}

using velnor::test::RemoteMemory;

void CheckControl(const std::wstring& page, HWND h, HFONT font);

// Moves the pointer to a point of a window, as the mouse does.
void PointAt(HWND window, POINT p) {
    ClientToScreen(window, &p);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof(move));
}

// The list of components: every option's text lies inside the list, and no
// horizontal scroll bar shows; the description each option shows under the
// pointer fits its box.
void CheckTree(const std::wstring& page, HWND tree, HFONT font) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tree, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    RECT client{};
    GetClientRect(tree, &client);
    if (GetWindowLongPtrW(tree, GWL_STYLE) & WS_HSCROLL) Problem(page + L": the list of components scrolls sideways");
    if (!process) {
        Problem(page + L": cannot read the list of components");
        return;
    }
    std::vector<RECT> options;
    {
        RemoteMemory memory(process, sizeof(RECT));
        for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
             item = reinterpret_cast<HTREEITEM>(
                 SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)))) {
            // TVM_GETITEMRECT takes the item in the rectangle it fills.
            RECT r{};
            static_assert(sizeof(item) <= sizeof(r));
            std::memcpy(&r, &item, sizeof(item));
            memory.Write(&r, sizeof(r));
            if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(memory.At()))) continue;
            memory.Read(&r, sizeof(r));
            options.push_back(r);
            const bool fits = r.right <= client.right;
            Say(std::wstring(fits ? L"fits " : L"CUT  ") + page + L": option at " + std::to_wstring(r.left) + L".." +
                std::to_wstring(r.right) + L" in " + std::to_wstring(client.right));
            if (!fits) Problem(page + L": an option of the list of components is cut");
        }
    }
    CloseHandle(process);
    // Each option's description, shown while the pointer rests on it. The
    // list tells only of a change of option, so the options are visited
    // forth and back: the first one then follows another.
    HWND description = GetDlgItem(GetParent(tree), kDescriptionId);
    if (!description) return;
    std::vector<bool> described(options.size(), false);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t k = 0; k < options.size(); ++k) {
            const size_t i = pass == 0 ? k : options.size() - 1 - k;
            const RECT& r = options[i];
            const std::wstring before = WindowText(description);
            // The pointer moves a little on each look, as a resting hand does.
            int nudge = 0;
            if (!WaitFor([&] {
                    PointAt(tree, {(r.left + r.right) / 2 + (nudge ^= 1), (r.top + r.bottom) / 2});
                    return WindowText(description) != before;
                }, 3000))
                continue;
            described[i] = true;
            CheckControl(page + L" (description)", description, font);
        }
    }
    for (size_t i = 0; i < options.size(); ++i)
        if (!described[i]) Problem(page + L": no description for option " + std::to_wstring(i + 1));
}

// One label, button or option: the room its text needs in `font` against the
// room the control has.
void CheckControl(const std::wstring& page, HWND h, HFONT font) {
    const std::wstring cls = ClassOf(h);
    const std::wstring text = WindowText(h);
    const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    if (text.empty() || (cls != L"Static" && cls != L"Button")) return;
    RECT rc{};
    GetClientRect(h, &rc);
    const int width = rc.right, height = rc.bottom;
    SIZE need{};
    int room = width, roomHeight = height;
    if (cls == L"Static") {
        const LONG_PTR type = style & SS_TYPEMASK;
        if (type == SS_ICON || type == SS_BITMAP || type == SS_ETCHEDHORZ || type == SS_BLACKRECT) return;
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        need = (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) ? Needed(font, text, DT_SINGLELINE | prefix, 0)
                                                               : Needed(font, text, DT_WORDBREAK | prefix, width);
    } else {
        const LONG_PTR type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) {
            need = Needed(font, text, DT_SINGLELINE, 0);
            room = width - 2 * GetSystemMetrics(SM_CXEDGE) - 8;
            roomHeight = need.cy;
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                   type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) {
            room = width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
            need = (style & BS_MULTILINE) ? Needed(font, text, DT_WORDBREAK, room) : Needed(font, text, DT_SINGLELINE, 0);
        } else {
            room = width - 2 * GetSystemMetrics(SM_CXEDGE) - 4;
            need = Needed(font, text, DT_SINGLELINE, 0);
        }
    }
    const bool fits = need.cx <= room && need.cy <= roomHeight;
    std::wstring oneLine = text;
    for (wchar_t& c : oneLine)
        if (c == L'\r' || c == L'\n') c = L' ';
    Say(std::wstring(fits ? L"fits " : L"CUT  ") + page + L": " + cls + L" " + std::to_wstring(GetDlgCtrlID(h)) +
        L" needs " + std::to_wstring(need.cx) + L"x" + std::to_wstring(need.cy) + L" in " + std::to_wstring(room) +
        L"x" + std::to_wstring(roomHeight) + L": " + oneLine);
    if (!fits) Problem(page + L": \"" + oneLine + L"\" does not fit its control");
}

void CheckPage(const std::wstring& page, HWND window, const Fonts& fonts) {
    std::vector<HWND> controls = Children(window);
    // On the welcome and finish pages the first label of the page is the
    // title, drawn large and bold; the header's title is bold.
    bool bitmapPage = false;
    for (HWND h : controls)
        if (IsWindowVisible(h) && ClassOf(h) == L"Static" && (GetWindowLongPtrW(h, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            bitmapPage = true;
    bool titleSeen = false;
    for (HWND h : controls) {
        if (!IsWindowVisible(h)) continue;
        if (HalfWidthKatakana(WindowText(h))) Problem(page + L": half-width katakana in \"" + WindowText(h) + L"\"");
        if (GetDlgCtrlID(h) == kComponentTreeId && ClassOf(h) == WC_TREEVIEWW) {
            CheckTree(page, h, fonts.normal_);
            continue;
        }
        HFONT font = fonts.normal_;
        if (GetDlgCtrlID(h) == kHeaderTitleId && GetParent(h) == window) font = fonts.bold_;
        if (bitmapPage && GetParent(h) != window && ClassOf(h) == L"Static" && !WindowText(h).empty() && !titleSeen) {
            font = fonts.title_;
            titleSeen = true;
        }
        CheckControl(page, h, font);
    }
}

void Click(HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

bool Shows(HWND window, const wchar_t* cls) {
    for (HWND h : Children(window))
        if (IsWindowVisible(h) && ClassOf(h) == cls) return true;
    return false;
}

// While the files are being copied or removed the buttons are off: the page
// is looked at again once it changes.
bool Working(HWND window) {
    return Shows(window, PROGRESS_CLASSW) && !IsWindowEnabled(GetDlgItem(window, 1));
}

enum class Then { Stay, Next, Last };

// Checks the pages one after another, each once it has settled; `step`
// says what to do on it.
bool WalkPages(const wchar_t* name, const wchar_t* caption, const Fonts& fonts, const std::wstring& pictures,
               const std::function<Then(HWND)>& step) {
    HWND window = nullptr;
    if (!WaitFor([&] { return (window = FindInstallerWindow(caption)) != nullptr; }, kInstallerPatienceMs)) {
        Problem(std::wstring(name) + L": no window");
        return false;
    }
    std::wstring previous;
    for (int page = 1;;) {
        std::wstring fingerprint;
        if (!Settle(window, fingerprint, previous)) {
            Problem(std::wstring(name) + L" page " + std::to_wstring(page) + L" did not settle");
            return false;
        }
        previous = fingerprint;
        if (Working(window)) continue;
        const std::wstring title = std::wstring(name) + L" page " + std::to_wstring(page);
        // The page as a picture, for eyes.
        velnor::test::SaveWindowPicture(window, pictures + L"\\" + name + L"-" + std::to_wstring(page) + L".bmp");
        CheckPage(title, window, fonts);
        ++page;
        const Then then = step(window);
        if (then == Then::Last) break;
    }
    return WaitFor([&] { return !IsWindow(window); }, kInstallerPatienceMs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        Say(L"usage: installer_pages <setup.exe> <install folder> <font face> <points> <picture folder>");
        return 2;
    }
    const std::wstring setup = argv[1], folder = argv[2], pictures = argv[5];
    const Fonts fonts(argv[3], _wtoi(argv[4]));
    CreateDirectoryW(pictures.c_str(), nullptr);

    // The installer: welcome, components, folder, progress, finish.
    std::wstring line = L"\"" + setup + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(setup.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        Say(L"cannot start " + setup);
        return 2;
    }
    const bool installed = WalkPages(L"setup", L"Velnor", fonts, pictures, [&](HWND window) {
        // The progress page goes on to the finish page by itself.
        if (Shows(window, PROGRESS_CLASSW)) return Then::Stay;
        bool finish = false;
        for (HWND h : Children(window)) {
            if (!IsWindowVisible(h) || ClassOf(h) != L"Button" ||
                (GetWindowLongPtrW(h, GWL_STYLE) & BS_TYPEMASK) != BS_AUTOCHECKBOX)
                continue;
            // Finish without starting the program or opening the guide.
            SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
            finish = true;
        }
        Click(window, 1);
        return finish ? Then::Last : Then::Next;
    });
    if (WaitForSingleObject(pi.hProcess, kInstallerPatienceMs) != WAIT_OBJECT_0) Problem(L"setup did not end");
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!installed) return 1;

    // The uninstaller starts a copy of itself and ends at once: its window
    // is found by its caption. Confirmation, the question about the data
    // folder (answered No), progress.
    const std::wstring uninstaller = folder + L"\\uninstall.exe";
    line = L"\"" + uninstaller + L"\"";
    if (!CreateProcessW(uninstaller.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        Say(L"cannot start " + uninstaller);
        return 2;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    WalkPages(L"uninstall", L"アンインストール", fonts, pictures, [&](HWND window) {
        const bool done = Shows(window, PROGRESS_CLASSW);
        Click(window, 1);
        if (done) return Then::Last;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        HWND question = nullptr;
        if (WaitFor([&] { return (question = FindQuestion(pid)) != nullptr; }, kInstallerPatienceMs)) {
            for (HWND h : Children(question))
                if (HalfWidthKatakana(WindowText(h))) Problem(L"uninstall question: half-width katakana");
            PostMessageW(GetDlgItem(question, IDNO), BM_CLICK, 0, 0);
        } else {
            Problem(L"uninstall: no question about the data folder");
        }
        return Then::Next;
    });
    Say(std::to_wstring(problems) + L" problems");
    return problems == 0 ? 0 : 1;
}
