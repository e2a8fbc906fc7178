// Memory in another process, for window messages whose parameter points at a
// structure (list views, tool bars and tree views of a program the tests
// drive). Freed with the holder.
#pragma once

#include <windows.h>

#include <cstddef>

namespace velnor::test {

class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t size)
        : process_(process),
          base_(static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
    ~RemoteMemory() {
        if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    bool Write(const void* data, size_t size, size_t offset = 0) {
        SIZE_T done = 0;
        return WriteProcessMemory(process_, base_ + offset, data, size, &done) && done == size;
    }
    bool Read(void* data, size_t size, size_t offset = 0) const {
        SIZE_T done = 0;
        return ReadProcessMemory(process_, base_ + offset, data, size, &done) && done == size;
    }
    char* At(size_t offset = 0) const { return base_ + offset; }

private:
    HANDLE process_;
    char* base_;
};

}  // namespace velnor::test
