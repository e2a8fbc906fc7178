// The list editor, TListForm: a modal tool window with a check list of every
// known profile, in which the user ticks the ones the main window hides, and
// a tool bar with OK and Cancel. Painting lives in ui/list_paint.cpp.
//
// Messages that matter:
//   WM_COMMAND      the tool bar's OK writes "Disable.lst"; its Cancel, and Esc
//                   (IDCANCEL), close; Enter (IDOK) does nothing. Tab reaches
//                   the tool bar, where the keyboard presses OK or Cancel
//   WM_NOTIFY       NM_CUSTOMDRAW of the tool bar and the check list
//   WM_CLOSE        every way of closing other than OK is Cancel (Alt+F4 too)
//   WM_SYSCOLORCHANGE
//                   passed on to the common controls
// The frame (BaseWindow, kFrame) answers what both windows answer alike:
// the DPI (font, ticks, layout), a new look (high contrast on or off: colours
// and ticks follow), focus across activations (the tool bar's cue stays where
// it was), erasing, the minimum size.
#include "list/list_window.h"

#include <algorithm>
#include <iterator>

#include "list/editor_placement.h"
#include "list/tick_list.h"
#include "main/main_window.h"
#include "orvo/exec_and_wait.h"
#include "platform/files.h"
#include "ui/error_box.h"
#include "ui/list_paint.h"
#include "ui/theme.h"
#include "ui/theme_paint.h"
#include "ui/window_frame.h"

namespace velnor {

TListForm* ListForm = nullptr;

namespace {

// A sizeable tool window with no title-bar buttons at all.
constexpr WindowFrame kFrame{
    WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN,
    WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT,
    {455, 239},
    {300, 300},
    Surface::Panel,
};

// The layout as designed at 96 DPI.
constexpr int kToolButtonWidth = 44;
constexpr int kToolButtonHeight = 19;
constexpr int kItemHeight = 17;
constexpr int kTickSize = 13;

constexpr int kCheckListId = 300;
constexpr int kToolBarId = 301;
// The tool buttons have ids of their own: the only OK is a press of the tool
// bar's OK, and Enter, which dialog navigation sends as IDOK, is not one.
constexpr int kOkCommand = 310;
constexpr int kCancelCommand = 311;
constexpr int kToolCommands[] = {kOkCommand, kCancelCommand};

constexpr wchar_t kTip[] = L"非表示にするSSIDにチェックマークをつける";

// Typing letters must not jump to matching items.
LRESULT CALLBACK NoTypeAheadProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_CHAR && wParam != L' ') return 0;
    // A subclass must be gone before its window is.
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, NoTypeAheadProc, id);
    return DefSubclassProc(h, msg, wParam, lParam);
}

// Bit 30 of a key message: the key was already down (auto-repeat).
bool Repeated(LPARAM keyData) { return (keyData & (1 << 30)) != 0; }

}  // namespace

TListForm::TListForm() : BaseWindow(kFrame) {}

void TListForm::Create(HINSTANCE instance, HWND owner) { CreateFrame(instance, kClassName, owner); }

void TListForm::FormCreate() {
    // The controls wait for the first showing: the editor is created hidden
    // at start-up, and the start-up of the program should not pay for them.
    SizeToDesign();
}

void TListForm::CreateControls() {
    const HINSTANCE instance = InstanceOf(hwnd_);
    // The list comes first in tab order.
    CheckListBox = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
            LVS_SHAREIMAGELISTS,
        0, 0,
        0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCheckListId)), instance, nullptr);
    ListView_SetExtendedListViewStyle(CheckListBox, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ListView_InsertColumn(CheckListBox, 0, &column);
    SetWindowSubclass(CheckListBox, NoTypeAheadProc, 1, 0);

    // A tab stop after the list, so that OK and Cancel are reached without a
    // mouse.
    ToolBar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_FLAT | CCS_NODIVIDER | CCS_NORESIZE |
                                  CCS_NOPARENTALIGN,
                              0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolBarId)), instance,
                              nullptr);
    SendMessageW(ToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(ToolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    // Buttons with captions only.
    TBBUTTON buttons[2] = {};
    buttons[0] = {I_IMAGENONE, kOkCommand, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, reinterpret_cast<INT_PTR>(L"OK")};
    buttons[1] = {I_IMAGENONE, kCancelCommand, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0,
                  reinterpret_cast<INT_PTR>(L"Cancel")};
    SendMessageW(ToolBar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));
    SetWindowSubclass(ToolBar, ToolBarKeysProc, 1, reinterpret_cast<DWORD_PTR>(this));

    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance,
                               nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(CheckListBox);
    tool.lpszText = const_cast<wchar_t*>(kTip);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TListForm::ApplyDpi() {
    // Hidden before its first showing, the editor only notes the DPI.
    if (!CheckListBox) return;
    const UINT dpi = dpi_;
    font_.Recreate(dpi, [&](HFONT font) {
        ApplyFont(hwnd_, font);
        SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    });
    SendMessageW(ToolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(Scale(kToolButtonWidth, dpi), Scale(kToolButtonHeight, dpi)));
    SendMessageW(ToolBar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(Scale(kToolButtonWidth, dpi), Scale(kToolButtonWidth, dpi)));
    // A small image list of the item height sets the row height.
    if (rowHeightImages_) ImageList_Destroy(rowHeightImages_);
    rowHeightImages_ = ImageList_Create(1, Scale(kItemHeight, dpi), ILC_COLOR32, 1, 0);
    ListView_SetImageList(CheckListBox, rowHeightImages_, LVSIL_SMALL);
    UpdateLook();
    Layout();
}

void TListForm::UpdateLook() {
    themedLook_ = ThemeActive();
    ApplyCheckListColours(CheckListBox);
    HIMAGELIST old = tickImages_;
    tickImages_ = MakeTickImages(dpi_, kTickSize);
    ListView_SetImageList(CheckListBox, tickImages_, LVSIL_STATE);
    if (old) ImageList_Destroy(old);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TListForm::RefreshLook() {
    if (CheckListBox) UpdateLook();
    else InvalidateRect(hwnd_, nullptr, TRUE);
}

void TListForm::Layout() {
    RECT r;
    GetClientRect(hwnd_, &r);
    const int bar = Scale(kToolButtonHeight, dpi_);
    MoveWindow(ToolBar, 0, 0, r.right, bar, TRUE);
    MoveWindow(CheckListBox, 0, bar, r.right, std::max(0, static_cast<int>(r.bottom) - bar), TRUE);
    RECT inner;
    GetClientRect(CheckListBox, &inner);
    ListView_SetColumnWidth(CheckListBox, 0, inner.right);
}

void TListForm::PlaceFirstTime() {
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    RECT main{}, self{};
    GetWindowRect(owner, &main);
    GetWindowRect(hwnd_, &self);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const Bounds placed = FirstEditorPlacement({main.left, main.top, main.right - main.left, main.bottom - main.top},
                                               self.right - self.left, self.bottom - self.top, monitor.rcWork.left,
                                               monitor.rcWork.top);
    SetWindowPos(hwnd_, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<bool> TListForm::Ticks() const {
    std::vector<bool> ticks;
    const int n = ListView_GetItemCount(CheckListBox);
    for (int i = 0; i < n; ++i) ticks.push_back(ListView_GetCheckState(CheckListBox, i) != FALSE);
    return ticks;
}

void TListForm::SetItems(const std::vector<std::wstring>& items, const std::vector<bool>& ticks) {
    names_ = items;
    SendMessageW(CheckListBox, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(CheckListBox);
    for (size_t i = 0; i < items.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(items[i].c_str());
        const int index = ListView_InsertItem(CheckListBox, &item);
        ListView_SetCheckState(CheckListBox, index, i < ticks.size() && ticks[i]);
    }
    SendMessageW(CheckListBox, WM_SETREDRAW, TRUE, 0);
    Layout();
}

void TListForm::LoadList() {
    SetItems({}, {});
    // Copies: the main window's fields are read each time they are needed.
    const std::wstring capture = mainForm->MLog, hiddenFile = mainForm->MDis;
    const std::vector<std::wstring> names = wlan_.ListProfiles(capture, ListBox);
    SetItems(names, {});
    if (!FileExists(hiddenFile)) return;
    ListBox.LoadFromFile(hiddenFile);
    SetItems(names, TicksFor(names, ListBox.Lines()));
}

void TListForm::FormShow() {
    // OK stays disabled unless both the listing and the hidden-profile list
    // were read: otherwise it would overwrite the file with a partial list.
    SendMessageW(ToolBar, TB_ENABLEBUTTON, kOkCommand, FALSE);
    LoadList();
    SendMessageW(ToolBar, TB_ENABLEBUTTON, kOkCommand, TRUE);
}

void TListForm::TBOKClick() {
    // A disabled OK saves nothing, however its command arrives.
    if (!SendMessageW(ToolBar, TB_ISBUTTONENABLED, kOkCommand, 0)) return;
    // A listing that shows nothing (the wireless service stopped, no adapter)
    // says nothing about which profiles are gone: the hidden names stay as
    // they are rather than all being dropped.
    if (names_.empty()) {
        Close(kModalOk);
        return;
    }
    ListBox.Clear();
    for (const auto& name : TickedNames(names_, Ticks())) ListBox.Add(name);
    ListBox.SaveToFile(mainForm->MDis);
    Close(kModalOk);
}

void TListForm::EnsureControls() {
    if (CheckListBox) {
        // A change of high contrast while the editor was hidden is caught up.
        if (themedLook_ != ThemeActive()) UpdateLook();
        return;
    }
    CreateControls();
    dpi_ = DpiOf(hwnd_);
    ApplyDpi();
}

int TListForm::ShowModal() {
    EnsureControls();
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    modal_ = true;
    modalResult_ = 0;
    // The owner takes no input from before the listing (which processes
    // messages) until the editor has closed.
    EnableWindow(owner, FALSE);
    // Every opening starts in the list, whatever had the focus at the last
    // close.
    focus_ = CheckListBox;
    GuardHandler(hwnd_, [&] { FormShow(); });
    if (modalResult_ == 0) {
        if (!placed_) {
            PlaceFirstTime();
            placed_ = true;
        }
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
        SetFocus(CheckListBox);
    }
    MSG msg;
    while (modalResult_ == 0) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The application was told to end: keep the request for the main
            // loop and close as Cancel.
            PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
            modalResult_ = kModalCancel;
            break;
        }
        DispatchWithNavigation(msg);
    }
    // Enable the owner before hiding, so that it is the window activated.
    EnableWindow(owner, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    if (owner) SetActiveWindow(owner);
    modal_ = false;
    return modalResult_;
}

void TListForm::CancelModal() {
    if (modal_ && modalResult_ == 0) Close(kModalCancel);
}

void TListForm::Close(int result) {
    modalResult_ = result;
    PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the modal loop
}

LRESULT CALLBACK TListForm::ToolBarKeysProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self) {
    auto& form = *reinterpret_cast<TListForm*>(self);
    switch (msg) {
        case WM_GETDLGCODE: {
            // Dialog navigation would take the arrows for moving between
            // controls and Enter for IDOK: here they belong to the tool bar.
            LRESULT code = DefSubclassProc(h, msg, wParam, lParam) | DLGC_WANTARROWS;
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_LEFT:
                case VK_UP: form.MoveToolFocus(-1); return 0;
                case VK_RIGHT:
                case VK_DOWN: form.MoveToolFocus(1); return 0;
                case VK_SPACE:
                    // As a push button: Space presses on its release, and a
                    // key held down presses once.
                    if (!Repeated(lParam)) form.spaceDown_ = true;
                    return 0;
                case VK_RETURN:
                    if (!Repeated(lParam)) form.PressToolFocus();
                    return 0;
                default: break;
            }
            break;
        case WM_KEYUP:
            if (wParam != VK_SPACE) break;
            if (form.spaceDown_) {
                form.spaceDown_ = false;
                form.PressToolFocus();
            }
            return 0;
        case WM_SETFOCUS: {
            // The keyboard arrives by Tab on the first button, OK; given back
            // on activation, it stays where it was.
            if (!form.RestoringFocus()) form.toolFocus_ = 0;
            form.spaceDown_ = false;
            // The system announces the tool bar first, then the button.
            const LRESULT result = DefSubclassProc(h, msg, wParam, lParam);
            InvalidateRect(h, nullptr, TRUE);
            form.AnnounceToolFocus();
            return result;
        }
        case WM_KILLFOCUS:
            // A Space released elsewhere presses nothing, and the keyboard's
            // hot item goes with the focus.
            form.spaceDown_ = false;
            SendMessageW(h, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
            InvalidateRect(h, nullptr, TRUE);
            break;
        case WM_UPDATEUISTATE:
            InvalidateRect(h, nullptr, TRUE);
            break;
        case WM_NCDESTROY:
            // A subclass must be gone before its window is.
            RemoveWindowSubclass(h, ToolBarKeysProc, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(h, msg, wParam, lParam);
}

void TListForm::MoveToolFocus(int step) {
    const int n = static_cast<int>(std::size(kToolCommands));
    toolFocus_ = static_cast<size_t>((static_cast<int>(toolFocus_) + step + n) % n);
    spaceDown_ = false;
    InvalidateRect(ToolBar, nullptr, TRUE);
    AnnounceToolFocus();
}

void TListForm::PressToolFocus() {
    const int command = kToolCommands[toolFocus_];
    if (!SendMessageW(ToolBar, TB_ISBUTTONENABLED, command, 0)) return;
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), reinterpret_cast<LPARAM>(ToolBar));
}

void TListForm::AnnounceToolFocus() const {
    if (GetFocus() != ToolBar) return;
    // The tool bar's own keyboard hot item follows the cue: the tool bar
    // lights it on focus, and assistive technology reads it as the current
    // button.
    SendMessageW(ToolBar, TB_SETHOTITEM, toolFocus_, 0);
    // A tool button's accessible child id is its index plus one.
    NotifyWinEvent(EVENT_OBJECT_FOCUS, ToolBar, OBJID_CLIENT, static_cast<LONG>(toolFocus_ + 1));
}

int TListForm::ToolCue() const {
    if (GetFocus() != ToolBar || !ShowsFocusCues(ToolBar)) return 0;
    return kToolCommands[toolFocus_];
}

LRESULT TListForm::OnNotify(NMHDR& header) {
    if (header.code != NM_CUSTOMDRAW) return 0;
    if (header.hwndFrom == ToolBar)
        return DrawToolButton(reinterpret_cast<NMTBCUSTOMDRAW&>(header), font_.Get(), ToolCue());
    if (header.hwndFrom == CheckListBox) return DrawListItem(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    return 0;
}

LRESULT TListForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kOkCommand: TBOKClick(); return 0;
                case kCancelCommand:
                case IDCANCEL: TBCancelClick(); return 0;
                case IDOK: return 0;
                default: break;
            }
            break;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_SIZE:
            if (CheckListBox) Layout();
            return 0;
        case WM_SYSCOLORCHANGE:
            // Common controls learn of new system colours only from their
            // parent.
            if (CheckListBox) {
                SendMessageW(CheckListBox, msg, wParam, lParam);
                SendMessageW(ToolBar, msg, wParam, lParam);
            }
            break;
        case WM_CLOSE:
            // Any way of closing other than OK gives Cancel.
            if (modal_) Close(kModalCancel);
            else ShowWindow(hwnd_, SW_HIDE);
            return 0;
        case WM_DESTROY:
            if (tickImages_) ImageList_Destroy(tickImages_);
            if (rowHeightImages_) ImageList_Destroy(rowHeightImages_);
            tickImages_ = rowHeightImages_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace velnor
