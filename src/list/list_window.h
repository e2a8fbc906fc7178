// The list editor: a modal window in which the user ticks the profiles to hide.
#pragma once

#include <windows.h>

#include "main/line_buffer.h"
#include "ui/base_window.h"

namespace velnor {

class TListForm : public BaseWindow<TListForm> {
public:
    static constexpr wchar_t kClassName[] = L"TListForm";

    // Creates the native window, hidden and owned by `owner`.
    void Create(HINSTANCE instance, HWND owner);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    LineBuffer ListBox;
};

// The one list editor; created hidden after the main window.
extern TListForm* ListForm;

}  // namespace velnor
