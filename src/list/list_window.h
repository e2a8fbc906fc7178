// The list editor: a modal window in which the user ticks the profiles that
// the main window must not show.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "main/line_buffer.h"
#include "main/wlan.h"
#include "orvo/exec_and_wait.h"
#include "ui/base_window.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace velnor {

inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

class TListForm : public BaseWindow<TListForm> {
public:
    static constexpr wchar_t kClassName[] = L"TListForm";

    TListForm();
    // Creates the native window, hidden and owned by `owner`; FormCreate runs
    // inside this call.
    void Create(HINSTANCE instance, HWND owner);

    // Shows the editor modally: the owner takes no input until it closes.
    // Returns kModalOk, or kModalCancel for every other way of closing.
    int ShowModal();
    // Ends a running ShowModal with kModalCancel.
    void CancelModal();

    void LoadList();

    LineBuffer ListBox;

private:
    friend class BaseWindow<TListForm>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void FormShow();
    void TBOKClick();
    void TBCancelClick() { Close(kModalCancel); }

    void Close(int result);
    void CreateControls();
    void EnsureControls();
    // Fonts, tool buttons, rows and ticks at dpi_, once the controls exist.
    void ApplyDpi();
    void Layout();
    void PlaceFirstTime();
    // The tick images and list colours of the look in effect: the theme's,
    // or the system's under high contrast.
    void UpdateLook();
    void RefreshLook();
    // The main window may have asked the high-contrast state first.
    bool LookStale() const { return CheckListBox && themedLook_ != ThemeActive(); }
    HWND DefaultFocus() const { return CheckListBox; }
    LRESULT OnNotify(NMHDR& header);

    // The tool bar by keyboard: the arrow keys move the focus cue between
    // its buttons, Space and Enter press the button that shows it.
    static LRESULT CALLBACK ToolBarKeysProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);
    void MoveToolFocus(int step);
    void PressToolFocus();
    // Tells assistive technology which tool button has the focus: the cue is
    // the program's own, so the system cannot.
    void AnnounceToolFocus() const;
    // The command of the button that shows the keyboard focus, or 0.
    int ToolCue() const;

    std::vector<bool> Ticks() const;
    void SetItems(const std::vector<std::wstring>& items, const std::vector<bool>& ticks);

    Wlan wlan_{RunSystemCommand};

    HWND ToolBar = nullptr;
    HWND CheckListBox = nullptr;
    // The names as parsed, one per item of CheckListBox: OK writes these, not
    // texts read back from the control.
    std::vector<std::wstring> names_;
    HWND tooltip_ = nullptr;
    HIMAGELIST tickImages_ = nullptr;
    HIMAGELIST rowHeightImages_ = nullptr;  // empty: its image size gives the rows their height
    bool themedLook_ = false;  // the look UpdateLook last applied
    size_t toolFocus_ = 0;     // the tool button the keyboard is on
    bool spaceDown_ = false;   // Space went down on the tool bar: its release presses

    WindowFont font_;
    bool placed_ = false;
    bool modal_ = false;
    int modalResult_ = 0;
};

// The one list editor; created hidden after the main window.
extern TListForm* ListForm;

}  // namespace velnor
