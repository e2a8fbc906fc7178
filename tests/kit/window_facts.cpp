// Linked only into the kit's test build of the program (never into the
// shipped velnor.exe): when VELNOR_KIT_WINDOW_FACTS names a file, a posted
// "Velnor kit: window facts" message makes the program write there what only
// its own process can read of a window: the font its controls use (a font
// handle means nothing in another process) and, for every caption and radio
// text, its extent against the room its control gives it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/utf.h"
#include "support/window_reading.h"
#include "ui/dpi.h"
#include "ui/theme_paint.h"

namespace {

constexpr wchar_t kFactsMessage[] = L"Velnor kit: window facts";

std::wstring FactsFile() {
    const DWORD size = GetEnvironmentVariableW(L"VELNOR_KIT_WINDOW_FACTS", nullptr, 0);
    if (size <= 1) return {};
    std::wstring path(size, L'\0');
    path.resize(GetEnvironmentVariableW(L"VELNOR_KIT_WINDOW_FACTS", path.data(), size));
    return path;
}

using velnor::DpiOf;
using velnor::test::ClassOf;
using velnor::test::ShownText;
using velnor::test::WindowText;

std::wstring FontFacts(HFONT font) {
    if (!font) return L"the system font (no WM_SETFONT)";
    LOGFONTW lf{};
    if (!GetObjectW(font, sizeof(lf), &lf)) return L"?";
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    wchar_t text[256];
    swprintf(text, 256, L"\"%ls\" (drawn with \"%ls\"), height %ld, %ld px per line, weight %ld", lf.lfFaceName, face,
             lf.lfHeight, tm.tmHeight, lf.lfWeight);
    return text;
}

// The width the text takes in the control's font, as the control draws it.
int Extent(HWND control, HFONT font, const std::wstring& text, UINT flags) {
    HDC dc = GetDC(control);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_SINGLELINE | DT_CALCRECT);
    if (old) SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r.right - r.left;
}

std::wstring Fit(const wchar_t* kind, const std::wstring& text, int needs, int has) {
    wchar_t numbers[96];
    swprintf(numbers, 96, L"%ls: needs %d px, has %d px", needs <= has ? L"fits" : L"DOES NOT FIT", needs, has);
    return std::wstring(L"  ") + kind + L" [" + text + L"] " + numbers;
}

struct Facts {
    std::wstring out;
    std::wstring fonts;  // each kind of control once, with its font
    void Line(const std::wstring& line) { out += line + L"\r\n"; }
    void Font(const std::wstring& cls, HWND control) {
        if (fonts.find(L"  font of " + cls + L":") != std::wstring::npos) return;
        fonts += L"  font of " + cls + L": " +
                 FontFacts(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0))) + L"\r\n";
    }
};

void ToolBarFacts(HWND bar, Facts& facts) {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0));
    const int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        const int length = static_cast<int>(SendMessageW(bar, TB_GETBUTTONTEXTW, button.idCommand, 0));
        if (length <= 0) continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(
            SendMessageW(bar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text.data()))));
        RECT r{};
        SendMessageW(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        facts.Line(Fit(L"tool button", text, Extent(bar, font, text, DT_LEFT), r.right - r.left));
    }
}

BOOL CALLBACK ControlFacts(HWND control, LPARAM data) {
    auto& facts = *reinterpret_cast<Facts*>(data);
    if (!IsWindowVisible(control)) return TRUE;
    const std::wstring cls = ClassOf(control);
    if (cls == TOOLBARCLASSNAMEW || cls == WC_LISTVIEWW || cls == L"Button") facts.Font(cls, control);
    if (cls == TOOLBARCLASSNAMEW) {
        ToolBarFacts(control, facts);
        return TRUE;
    }
    if (cls != L"Button") return TRUE;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    RECT client{};
    GetClientRect(control, &client);
    const std::wstring text = WindowText(control);
    const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) {
        const int indent = velnor::RadioTextLeft(DpiOf(control));
        facts.Line(Fit(L"radio", ShownText(control), Extent(control, font, text, DT_LEFT | DT_HIDEPREFIX),
                       client.right - indent));
    } else {
        facts.Line(Fit(L"button", ShownText(control), Extent(control, font, text, DT_CENTER), client.right));
    }
    return TRUE;
}

void WriteFacts(HWND window, const std::wstring& path) {
    Facts facts;
    RECT client{};
    GetClientRect(window, &client);
    wchar_t head[160];
    swprintf(head, 160, L"window %ls at %u DPI, client %ld x %ld", ClassOf(window).c_str(), DpiOf(window),
             client.right, client.bottom);
    EnumChildWindows(window, ControlFacts, reinterpret_cast<LPARAM>(&facts));
    const std::wstring text = std::wstring(head) + L"\r\n" + facts.fonts + facts.out + L"end " + ClassOf(window) + L"\r\n";
    std::ofstream(path.c_str(), std::ios::binary | std::ios::app) << velnor::WideToUtf8(text);
}

HHOOK hook = nullptr;

LRESULT CALLBACK OnMessage(int code, WPARAM removed, LPARAM data) {
    static const UINT factsMessage = RegisterWindowMessageW(kFactsMessage);
    const MSG& msg = *reinterpret_cast<const MSG*>(data);
    if (code == HC_ACTION && removed == PM_REMOVE && msg.message == factsMessage && msg.hwnd)
        WriteFacts(msg.hwnd, FactsFile());
    return CallNextHookEx(hook, code, removed, data);
}

// Start-up runs on this thread, so the hook sees every message of both windows.
const bool installed = [] {
    if (!FactsFile().empty()) hook = SetWindowsHookExW(WH_GETMESSAGE, OnMessage, nullptr, GetCurrentThreadId());
    return true;
}();

}  // namespace
