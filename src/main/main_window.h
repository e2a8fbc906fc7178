// The main window: the profiles as one column of radio buttons and the four
// command buttons.
#pragma once

#include <windows.h>

#include <string>

#include "main/line_buffer.h"
#include "ui/base_window.h"

namespace velnor {

class TmainForm : public BaseWindow<TmainForm> {
public:
    static constexpr wchar_t kClassName[] = L"TmainForm";

    // Creates the native window; FormCreate runs inside this call.
    void Create(HINSTANCE instance);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    std::wstring MName;  // the chosen profile, exactly as parsed
    std::wstring MLog;   // the capture file
    std::wstring MDis;   // the hidden-profile list
    LineBuffer ListBox;

private:
    void FormCreate();
};

// The one main window; assigned before its creation handler runs.
extern TmainForm* mainForm;

}  // namespace velnor
