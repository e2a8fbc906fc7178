// The main window: the profiles as one column of radio buttons and the four
// command buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "main/line_buffer.h"
#include "main/wlan.h"
#include "orvo/exec_and_wait.h"
#include "orvo/placement.h"
#include "platform/network_adapters.h"
#include "ui/base_window.h"
#include "ui/dpi.h"
#include "ui/radio_group.h"

namespace velnor {

// How long a close waits for a running command before the program ends all
// the same: long enough for a slow connect to finish and the next step of its
// handler to run.
inline constexpr UINT kCloseGraceMs = 30000;

// The list editor as the main window sees it. Start-up joins the two, so that
// the editor, which reads this window's fields, stays the one above.
struct ListEditorLink {
    // Shows the editor modally; true when it closed with OK.
    std::function<bool()> showModal;
    // Ends a running showModal as Cancel.
    std::function<void()> cancel;
};

// What start-up hands the main window: the parsed silent switch, the
// program's icons and the way to the list editor.
struct MainWindowStart {
    bool silent = false;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    ListEditorLink editor;
};

class TmainForm : public BaseWindow<TmainForm> {
public:
    static constexpr wchar_t kClassName[] = L"TmainForm";

    TmainForm();
    // Creates the native window; FormCreate runs inside this call.
    void Create(HINSTANCE instance, const MainWindowStart& start);

    // Called once by the message loop right after the first show: remembers
    // where that show left the window, and FormShow runs as the next message.
    void QueueFormShow();
    // Whether the window has been asked to close. A close that came while
    // the window was being created (during its first listing, or while the
    // box about its settings was up) ends the program before the window is
    // ever shown.
    bool Closing() const { return closing_; }

    void LoadList();
    void Connect();
    void DisConnect();
    void ReConnect();

    // Marks a handler that may wait for a command. A close request that
    // arrives meanwhile runs at once, but the window and the application end
    // only when the last such handler has finished, or when the close has
    // waited kCloseGraceMs for a command that does not end.
    class BusyScope {
    public:
        explicit BusyScope(TmainForm& form);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        TmainForm& form_;
    };

    std::wstring MName;  // the chosen profile, exactly as parsed
    std::wstring MLog;   // the capture file
    std::wstring MDis;   // the hidden-profile list
    LineBuffer ListBox;  // carries lines between files and the lists; never shown

private:
    friend class BaseWindow<TmainForm>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void FormShow();
    // `sessionEnding`: Windows asks before logging off or shutting down.
    bool FormCloseQuery(bool sessionEnding = false);
    // WM_QUERYENDSESSION and WM_ENDSESSION: logoff, shutdown, and the Restart
    // Manager asking the program to end before an installer replaces it.
    void FormQueryEndSession();
    void FormEndSession(bool ending, LPARAM reasons);
    void WriteSettingsForSessionEnd();
    void RadioGroupClick();
    void BtnConnectClick() { Connect(); }
    void BtnReConnectClick() { ReConnect(); }
    void BtnDisConnectClick() { DisConnect(); }
    void BtnListClick();

    // WM_COMMAND: whether it was a click or choice of the window's own.
    bool OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);
    void SettingChanged(LPARAM area);
    // Connect and ReConnect: the command for the chosen profile.
    void RunForChoice(void (Wlan::*command)(const std::wstring&, const std::wstring&, LineBuffer&) const);

    void CreateControls();
    void Layout();
    void ApplyDpi();
    void RefreshLook();
    bool LookStale() const { return false; }
    HWND DefaultFocus() const;

    // WM_CLOSE: FormCloseQuery, then the close.
    void RequestClose();
    // How a close treats handlers that wait for a command: the user's close
    // lets them finish, within kCloseGraceMs; the Restart Manager's end
    // waits for none.
    enum class CloseWait { ForCommands, None };
    // Both ways of closing: the window goes once no handler is busy.
    void BeginClose(CloseWait wait);
    void FinishClose();
    // WM_TIMER of kCloseGraceTimer.
    void CloseGraceEnded();

    Wlan wlan_{RunSystemCommand, {}, WirelessAdapterUp};

    TRadioGroup RadioGroup;
    HWND Panel = nullptr;
    HWND BtnConnect = nullptr;
    HWND BtnReConnect = nullptr;
    HWND BtnDisConnect = nullptr;
    HWND BtnList = nullptr;

    WindowFont font_;
    int busy_ = 0;
    // Whether the start read the settings file (a bad stored value aside),
    // and whether the user chose a profile since: a start that could not read
    // it (held open by another program) must not overwrite the stored choice,
    // nor the stored place, with its own at the close.
    bool settingsRead_ = false;
    bool nameChosen_ = false;
    // Where the first show left the window: a close writes the place only
    // when the start read it, or when the window has left this one since.
    std::optional<Bounds> shownAt_;
    // The settings were written for the session end now under way, so its
    // second message does not write them again.
    bool sessionSettingsWritten_ = false;
    bool closing_ = false;
    bool silent_ = false;
    ListEditorLink editor_;
};

// The one main window; assigned before its creation handler runs.
extern TmainForm* mainForm;

}  // namespace velnor
