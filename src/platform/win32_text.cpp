#include "platform/win32_text.h"

#include "platform/errors.h"

namespace velnor {

std::wstring SystemErrorMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    return TrimSystemMessage(std::move(text));
}

namespace {
SystemFolderOverride systemFolderOverride = nullptr;
}  // namespace

void SetSystemFolderOverride(SystemFolderOverride source) { systemFolderOverride = source; }

std::wstring SystemFolder() {
    if (systemFolderOverride) {
        std::wstring folder = systemFolderOverride();
        if (!folder.empty()) return folder;
    }
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L"C:\\Windows\\System32";
    return std::wstring(buffer, n);
}

}  // namespace velnor
