// The main window, TmainForm: the known profiles as one column of radio
// buttons on the left, a panel of four command buttons on the right.
//
// Messages that matter:
//   WM_CREATE          FormCreate: controls, stored place and choice, the list
//   kFormShowMessage   queued by the message loop after the first show: FormShow
//   WM_COMMAND         the radio group's clicks and the four buttons
//   WM_NOTIFY          NM_CUSTOMDRAW of the buttons and radio buttons (Sky look)
//   WM_SETTINGCHANGE   regional settings ("intl")
//   WM_CLOSE, WM_QUERYENDSESSION
//                      FormCloseQuery writes the settings; the window is
//                      destroyed once no handler is waiting for a command, or
//                      after kCloseGraceMs (WM_TIMER) without waiting further
//   WM_ENDSESSION      the session ends: no error box any more, the settings
//                      written unless the question before did; with
//                      ENDSESSION_CLOSEAPP (Restart Manager) the program ends
// The frame (BaseWindow, kFrame) answers what both windows answer alike:
// the DPI, a new look (repaint of the window and every control), focus
// across activations, erasing and control colours, the minimum size.
#include "main/main_window.h"

#include <commctrl.h>

#include "main/profile_list.h"
#include "main/window_settings.h"
#include "main/window_settings_win32.h"
#include "orvo/data_folder.h"
#include "orvo/exec_and_wait.h"
#include "orvo/placement_win32.h"
#include "platform/files.h"
#include "platform/locale_settings.h"
#include "ui/container.h"
#include "ui/error_box.h"
#include "ui/theme_paint.h"
#include "ui/window_frame.h"

namespace velnor {

TmainForm* mainForm = nullptr;

namespace {

// System menu and minimise, no maximise; a resizable border.
constexpr WindowFrame kFrame{
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN,
    WS_EX_CONTROLPARENT | WS_EX_APPWINDOW,
    {336, 249},
    {kMainMinWidth, kMainMinHeight},
    Surface::Window,
};

// The layout as designed at 96 DPI.
constexpr int kPanelWidth = 100;
constexpr int kCommandButtonHeight = 35;
constexpr int kListButtonHeight = 30;

// Control ids stay clear of IDOK and IDCANCEL, which dialog navigation sends
// for Enter and Esc.
enum ControlId : int { kRadioGroupId = 100, kPanelId, kConnectId, kReConnectId, kDisConnectId, kListId };

// Messages the window posts to itself.
constexpr UINT kFormShowMessage = WM_APP + 1;
constexpr UINT kFinishCloseMessage = WM_APP + 2;
// The first listing normally takes well under a second, a slow adapter a few.
constexpr DWORD kFirstListingLimitMs = 30000;

constexpr UINT_PTR kCloseGraceTimer = 1;

HWND MakeButton(HWND parent, const wchar_t* caption, int id) {
    return CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), InstanceOf(parent), nullptr);
}

}  // namespace

TmainForm::TmainForm() : BaseWindow(kFrame) {}

TmainForm::BusyScope::BusyScope(TmainForm& form) : form_(form) { ++form_.busy_; }

TmainForm::BusyScope::~BusyScope() {
    if (--form_.busy_ == 0 && form_.closing_ && form_.hwnd_)
        PostMessageW(form_.hwnd_, kFinishCloseMessage, 0, 0);
}

void TmainForm::Create(HINSTANCE instance, const MainWindowStart& start) {
    silent_ = start.silent;
    editor_ = start.editor;
    CreateFrame(instance, kClassName, nullptr, start.icon, start.smallIcon);
}

void TmainForm::CreateControls() {
    // Creation order is tab order: the radio group, then the panel, whose
    // buttons are visited 接続, 切断, 再接続, リスト編集.
    RadioGroup.Create(hwnd_, kRadioGroupId, [this] { RadioGroupClick(); });
    Panel = CreateContainer(hwnd_, kPanelId, Surface::Panel);
    BtnConnect = MakeButton(Panel, L"接続", kConnectId);
    BtnDisConnect = MakeButton(Panel, L"切断", kDisConnectId);
    BtnReConnect = MakeButton(Panel, L"再接続", kReConnectId);
    BtnList = MakeButton(Panel, L"リスト編集", kListId);
}

void TmainForm::ApplyDpi() {
    font_.Recreate(dpi_, [&](HFONT font) {
        ApplyFont(hwnd_, font);
        RadioGroup.SetFont(font);
    });
    Layout();
}

void TmainForm::Layout() {
    RECT r;
    GetClientRect(hwnd_, &r);
    const int panel = Scale(kPanelWidth, dpi_);
    const int command = Scale(kCommandButtonHeight, dpi_);
    const int list = Scale(kListButtonHeight, dpi_);
    MoveWindow(RadioGroup.Handle(), 0, 0, std::max(0, static_cast<int>(r.right) - panel), r.bottom, TRUE);
    MoveWindow(Panel, r.right - panel, 0, panel, r.bottom, TRUE);
    MoveWindow(BtnConnect, 0, 0, panel, command, TRUE);
    MoveWindow(BtnReConnect, 0, command, panel, command, TRUE);
    MoveWindow(BtnDisConnect, 0, 2 * command, panel, command, TRUE);
    MoveWindow(BtnList, 0, r.bottom - list, panel, list, TRUE);
    RadioGroup.Layout();
}

void TmainForm::FormCreate() {
    // A close that comes meanwhile (while the box about the settings is up,
    // or during the first listing) waits until the window is complete:
    // destroying it inside its own creation would leave this handler, and
    // the window's creator, with a window that is gone.
    BusyScope creating(*this);
    CreateControls();
    ApplyDpi();
    SizeToDesign();
    MLog = DataFolder + L"WiFi.log";
    MDis = DataFolder + L"Disable.lst";
    // A capture left by a run that was killed must not be read as this run's.
    DeleteFileIfExists(MLog);
    // The guard runs even when the settings could not be read, so that a
    // half-applied position never leaves the window out of reach; the list
    // then stays empty.
    NativeWindowGeometry geometry(hwnd_);
    const bool read =
        GuardHandler(hwnd_, [&] { ReadWindowSettings(SettingsFile(DataFolder), geometry, MName, &settingsRead_); });
    EnsureWindowVisible(hwnd_);
    if (!read) return;
    // The window is not shown yet: a listing that never ends is given up
    // after a generous bound, and the window shows with what could be read.
    const WaitLimit limit(kFirstListingLimitMs);
    LoadList();
}

void TmainForm::QueueFormShow() {
    shownAt_ = StoredWindowBounds(hwnd_);
    PostMessageW(hwnd_, kFormShowMessage, 0, 0);
}

void TmainForm::FormShow() {
    if (!silent_) return;
    // The first show has already minimised the window without activating it.
    if (!IsIconic(hwnd_)) ShowWindow(hwnd_, SW_SHOWMINNOACTIVE);
    Connect();
    // As the user would close it: FormCloseQuery runs, then the application ends.
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

bool TmainForm::FormCloseQuery(bool sessionEnding) {
    DeleteFileIfExists(MLog);
    // After a start that could not read the file, what this run does not
    // know is left as stored: the choice until the user chooses, the place
    // until the user moves or sizes the window.
    const Bounds bounds = StoredWindowBounds(hwnd_);
    const Bounds* place = settingsRead_ || (shownAt_ && *shownAt_ != bounds) ? &bounds : nullptr;
    const std::wstring* name = settingsRead_ || nameChosen_ ? &MName : nullptr;
    // A settings file that cannot be written is reported, and the close goes
    // on: the old file stays as it was. When the session ends, the failure is
    // not reported: a modal box would hold up the logoff or shutdown.
    const auto write = [&] { WriteWindowSettings(SettingsFile(DataFolder), place, name); };
    if (sessionEnding) RunUnreported(write);
    else GuardHandler(hwnd_, write);
    return true;
}

void TmainForm::RequestClose() {
    if (closing_) return;
    if (!FormCloseQuery()) return;
    BeginClose(CloseWait::ForCommands);
}

void TmainForm::BeginClose(CloseWait wait) {
    closing_ = true;
    // The user or the system has closed: an error of a handler that
    // finishes later has no window to belong to.
    StopShowingErrors();
    if (editor_.cancel) editor_.cancel();
    if (wait == CloseWait::None) {
        // The waiting handlers return at once; the window goes after the
        // last of them, from the message loop.
        AbandonWaits();
        PostMessageW(hwnd_, kFinishCloseMessage, 0, 0);
    } else if (busy_ > 0) {
        // A handler is waiting for a command: it finishes first, out of
        // sight, but a command that never ends must not keep the process.
        ShowWindow(hwnd_, SW_HIDE);
        SetTimer(hwnd_, kCloseGraceTimer, kCloseGraceMs, nullptr);
    } else {
        FinishClose();
    }
}

void TmainForm::FinishClose() {
    if (closing_ && busy_ == 0) DestroyWindow(hwnd_);
}

void TmainForm::CloseGraceEnded() {
    // The settings were written at the close; the waiting handlers now
    // return, and the window goes once the last has finished.
    KillTimer(hwnd_, kCloseGraceTimer);
    AbandonWaits();
}

void TmainForm::FormQueryEndSession() {
    // Windows asks before logging off or shutting down, the Restart Manager
    // before an installer replaces the program: the settings are written
    // now, as at any close, in case the end follows.
    WriteSettingsForSessionEnd();
}

void TmainForm::FormEndSession(bool ending, LPARAM reasons) {
    if (!ending) {
        // Someone refused, and the session goes on: the next question writes
        // what has changed by then.
        sessionSettingsWritten_ = false;
        return;
    }
    // The session ends and the process with it: nothing may wait for a user
    // any more.
    StopShowingErrors();
    // The end can come without the question before it: the settings are
    // then written here.
    WriteSettingsForSessionEnd();
    // An installer or updater asks the program itself to end: it ends as
    // after a close, waiting for no command.
    if (reasons & ENDSESSION_CLOSEAPP) BeginClose(CloseWait::None);
}

void TmainForm::WriteSettingsForSessionEnd() {
    // Once per session end, and not at all after a close, which wrote them.
    if (sessionSettingsWritten_ || closing_) return;
    FormCloseQuery(true);
    sessionSettingsWritten_ = true;
}

void TmainForm::RadioGroupClick() {
    const int index = RadioGroup.ItemIndex();
    if (index < 0) return;
    MName = RadioGroup.Items()[static_cast<size_t>(index)];
    nameChosen_ = true;
}

void TmainForm::LoadList() {
    BusyScope busy(*this);
    RadioGroup.Clear();
    const std::vector<std::wstring> names = wlan_.ListProfiles(MLog, ListBox);
    RadioGroup.SetItems(names);
    std::vector<std::wstring> hidden;
    if (FileExists(MDis)) {
        ListBox.LoadFromFile(MDis);
        hidden = ListBox.Lines();
    }
    std::vector<std::wstring> shown = names;
    RemoveHidden(shown, hidden);
    if (shown != names) RadioGroup.SetItems(shown);
    RadioGroup.SetItemIndex(LastIndexOf(RadioGroup.Items(), MName));
}

void TmainForm::RunForChoice(void (Wlan::*command)(const std::wstring&, const std::wstring&, LineBuffer&) const) {
    BusyScope busy(*this);
    // Copies: the user may pick another profile while the command runs.
    const std::wstring capture = MLog, name = MName;
    (wlan_.*command)(capture, name, ListBox);
}

void TmainForm::Connect() { RunForChoice(&Wlan::Connect); }

void TmainForm::DisConnect() {
    BusyScope busy(*this);
    wlan_.DisConnect();
}

void TmainForm::ReConnect() { RunForChoice(&Wlan::ReConnect); }

void TmainForm::BtnListClick() {
    BusyScope busy(*this);
    if (editor_.showModal && editor_.showModal() && !closing_) LoadList();
}

HWND TmainForm::DefaultFocus() const {
    const HWND radio = RadioGroup.TabStop();
    return radio ? radio : BtnConnect;
}

void TmainForm::RefreshLook() {
    // The frame and every control, erased and painted once.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TmainForm::SettingChanged(LPARAM area) {
    if (area && lstrcmpiW(reinterpret_cast<const wchar_t*>(area), L"intl") == 0) RefreshFormatSettings();
}

bool TmainForm::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (RadioGroup.HandleCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam))) return true;
    if (HIWORD(wParam) != BN_CLICKED) return false;
    switch (LOWORD(wParam)) {
        case kConnectId: BtnConnectClick(); return true;
        case kReConnectId: BtnReConnectClick(); return true;
        case kDisConnectId: BtnDisConnectClick(); return true;
        case kListId: BtnListClick(); return true;
        default: return false;
    }
}

LRESULT TmainForm::OnNotify(const NMHDR& header) {
    if (header.code != NM_CUSTOMDRAW) return 0;
    // Each button stands in a container, which knows the surface under it.
    return CustomDrawButton(reinterpret_cast<const NMCUSTOMDRAW&>(header), SurfaceOf(GetParent(header.hwndFrom)));
}

LRESULT TmainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case kFormShowMessage: FormShow(); return 0;
        case WM_COMMAND:
            if (OnCommand(wParam, lParam)) return 0;
            break;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_SIZE: Layout(); return 0;
        case WM_SETTINGCHANGE: SettingChanged(lParam); break;
        case WM_CLOSE: RequestClose(); return 0;
        case WM_QUERYENDSESSION: FormQueryEndSession(); return TRUE;
        case WM_ENDSESSION: FormEndSession(wParam != FALSE, lParam); return 0;
        case WM_TIMER:
            if (wParam != kCloseGraceTimer) break;
            CloseGraceEnded();
            return 0;
        case kFinishCloseMessage: FinishClose(); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace velnor
