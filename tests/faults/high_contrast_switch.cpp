// Linked only into the test build velnor_faults.exe: when the environment
// names a file (VELNOR_TEST_HIGH_CONTRAST), high contrast counts as on while
// that file exists. Wine keeps no high-contrast setting, so a test switches
// it this way while the program runs; the program still learns of each
// change only from WM_SETTINGCHANGE, as on Windows.
#include <windows.h>

#include <string>

#include "ui/theme_paint.h"

namespace {

const std::wstring& FlagFile() {
    static const std::wstring file = [] {
        wchar_t name[MAX_PATH] = {};
        return GetEnvironmentVariableW(L"VELNOR_TEST_HIGH_CONTRAST", name, MAX_PATH) ? std::wstring(name)
                                                                                      : std::wstring();
    }();
    return file;
}

bool FlagFileExists() { return GetFileAttributesW(FlagFile().c_str()) != INVALID_FILE_ATTRIBUTES; }

const bool installed = [] {
    if (!FlagFile().empty()) velnor::SetHighContrastSource(FlagFileExists);
    return true;
}();

}  // namespace
