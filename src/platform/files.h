// File access for core code. Each platform implements it with its own calls;
// failures raise the program's open and create errors with the OS's own
// description of the cause.
#pragma once

#include <string>
#include <string_view>

namespace velnor {

// Reads the whole file, sharing it with other readers but not with writers.
// Raises EFOpenError when it cannot be opened or read.
std::string ReadFileBytes(const std::wstring& path);

// Replaces the file with the given bytes without ever leaving a half-written
// file: the bytes go to the target's temporary file (TemporaryFileFor), which
// then takes the target's place. A write that is killed before that leaves
// the temporary file behind, and the next write of the target reuses it. A
// second writer of the same target at the same time fails instead of mixing
// its bytes in. Raises EFCreateError naming the target; on failure the old
// file is intact and the temporary file is gone.
void WriteFileAtomic(const std::wstring& path, std::string_view bytes);

// The temporary file of a target: its name with ".tmp" added, beside it.
std::wstring TemporaryFileFor(const std::wstring& path);

// Called by WriteFileAtomic with the target just before the complete
// temporary file takes its place. Only test builds install one, to stop the
// program at exactly that moment; the program itself never does.
using BeforeReplaceHook = void (*)(const std::wstring& target);
void SetBeforeReplaceHook(BeforeReplaceHook hook);

bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);

// Deletes the file if it exists; the outcome is not examined.
void DeleteFileIfExists(const std::wstring& path);

}  // namespace velnor
