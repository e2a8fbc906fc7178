// Reading a file that another process may be writing, replacing or deleting
// at the same time: a test's look, or the kit's, must never make the
// program's own replace or delete of that file fail.
#pragma once

#include <windows.h>

#include <string>

namespace velnor::test {

// The whole file, opened with every share mode (the deleting rename
// included); empty when it cannot be opened.
inline std::string ReadShared(const wchar_t* path) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (::ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(h);
    return bytes;
}

}  // namespace velnor::test
