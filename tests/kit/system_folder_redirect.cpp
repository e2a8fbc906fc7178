// Linked only into the test builds (never into the shipped velnor.exe): when
// VELNOR_TEST_SYSTEM_FOLDER names a folder, cmd.exe and netsh.exe are resolved
// there instead of in the system folder. The Windows test kit points it at its
// own folder, so that on a real machine the tests reach the simulated service
// and never the machine's own netsh.
#include <windows.h>

#include <string>

#include "platform/win32_text.h"

namespace {

std::wstring RedirectedSystemFolder() {
    // Any length: a long kit path must never fall back to the real folder.
    const DWORD size = GetEnvironmentVariableW(L"VELNOR_TEST_SYSTEM_FOLDER", nullptr, 0);
    if (size <= 1) return {};
    std::wstring out(size, L'\0');
    out.resize(GetEnvironmentVariableW(L"VELNOR_TEST_SYSTEM_FOLDER", out.data(), size));
    while (out.size() > 3 && (out.back() == L'\\' || out.back() == L'/')) out.pop_back();
    return out;
}

const bool installed = [] {
    velnor::SetSystemFolderOverride(RedirectedSystemFolder);
    return true;
}();

}  // namespace
