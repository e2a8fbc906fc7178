// The Windows side of the file seam: the one call by which a replace renames
// its file, so that tests can see which rename ran and refuse one as an older
// Windows or another file system would.
#pragma once

#include <windows.h>

namespace velnor {

// FileRenameInfoEx (class 22) and its flags, as documented for Windows 10 1709
// and later; headers name them only for a later _WIN32_WINNT than the program's.
inline constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
inline constexpr DWORD kRenameReplaceIfExists = 0x1;  // FILE_RENAME_FLAG_REPLACE_IF_EXISTS
inline constexpr DWORD kRenamePosixSemantics = 0x2;   // FILE_RENAME_FLAG_POSIX_SEMANTICS

// SetFileInformationByHandle as WriteFileAtomic calls it to rename; only tests
// install another. Null restores the system's.
using RenameCall = BOOL (*)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size);
void SetRenameCall(RenameCall call);

}  // namespace velnor
