// Linked only into the test build velnor_faults.exe: when the environment
// names a file, the program stops for good just before that file is
// replaced, so that a test can kill it at exactly that moment.
#include <windows.h>

#include <string>

#include "platform/files.h"

namespace {

void PauseBeforeReplace(const std::wstring& target) {
    wchar_t name[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VELNOR_PAUSE_BEFORE_REPLACE", name, MAX_PATH)) return;
    const std::wstring wanted = name;
    if (target.size() < wanted.size() || target.compare(target.size() - wanted.size(), wanted.size(), wanted) != 0)
        return;
    // Tell the test where we are, then wait to be killed.
    HANDLE marker = CreateFileW((target + L".paused").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    Sleep(INFINITE);
}

const bool installed = [] {
    velnor::SetBeforeReplaceHook(PauseBeforeReplace);
    return true;
}();

}  // namespace
