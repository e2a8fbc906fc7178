#include "platform/files.h"

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "platform/files_win32.h"
#include "platform/win32_text.h"

namespace velnor {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (valid()) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    void close() {
        if (valid()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

// Gives the replacement what the file it replaces had: its attributes, its
// creation time and its own access rules (inherited ones come from the folder
// anyway), and clears what a reused leftover had. A read-only file is not
// replaced, as ReplaceFileW would refuse it. Returns ERROR_SUCCESS, or the
// reason the target must not be replaced.
DWORD CarryOverMetadata(const std::wstring& target, HANDLE replacement, const std::wstring& replacementName) {
    FILE_BASIC_INFO basic{};  // times left at zero stay as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    const DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        if (attrs & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
        if (attrs & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
        constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (attrs & kKept) basic.FileAttributes = (attrs & kKept) | FILE_ATTRIBUTE_ARCHIVE;
        FileHandle from(CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                    FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
        FILETIME created{};
        if (from.valid() && GetFileTime(from.get(), &created, nullptr, nullptr)) {
            basic.CreationTime.LowPart = created.dwLowDateTime;
            basic.CreationTime.HighPart = static_cast<LONG>(created.dwHighDateTime);
        }
    }
    SetFileInformationByHandle(replacement, FileBasicInfo, &basic, sizeof basic);
    if (attrs == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(target.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor, &control, &revision);
        const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED)
                                                                           ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                           : UNPROTECTED_DACL_SECURITY_INFORMATION);
        // By name: the handle has no WRITE_DAC, and while it is open the name
        // can only be our file (nobody may rename or delete it meanwhile).
        SetNamedSecurityInfoW(const_cast<wchar_t*>(replacementName.c_str()), SE_FILE_OBJECT, what, nullptr,
                              nullptr, dacl, nullptr);
        LocalFree(descriptor);
    }
    return ERROR_SUCCESS;
}

RenameCall renameCall = nullptr;

BOOL Rename(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, std::vector<BYTE>& info) {
    const DWORD size = static_cast<DWORD>(info.size());
    return renameCall ? renameCall(file, kind, info.data(), size)
                      : SetFileInformationByHandle(file, kind, info.data(), size);
}

// Renames the open file itself over the target, so that what takes the
// target's place is exactly the file this handle wrote.
DWORD RenameOver(HANDLE file, const std::wstring& target) {
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + (target.size() + 1) * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.c_str(), (target.size() + 1) * sizeof(wchar_t));
    // First the rename with POSIX semantics: the target's name goes over even
    // while a reader holds it open with delete sharing (the reader keeps the
    // old content). Older systems and other file systems refuse the class or
    // the flags; the classic rename follows then.
    info->Flags = kRenamePosixSemantics | kRenameReplaceIfExists;
    if (Rename(file, kFileRenameInfoEx, buffer)) return ERROR_SUCCESS;
    info->Flags = 0;
    info->ReplaceIfExists = TRUE;
    // A target that someone holds open without FILE_SHARE_DELETE cannot be
    // replaced until they let go; virus scanners, the indexer and backup
    // tools do that for moments at a time. Such a refusal is tried again for
    // a while before it counts. (A read-only target never gets here.)
    constexpr int kTries = 40;
    constexpr DWORD kPauseMs = 50;
    for (int attempt = 1;; ++attempt) {
        if (Rename(file, FileRenameInfo, buffer)) return ERROR_SUCCESS;
        const DWORD code = GetLastError();
        if ((code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED) || attempt == kTries) return code;
        Sleep(kPauseMs);
    }
}

[[noreturn]] void RaiseCreate(const std::wstring& path, DWORD code) {
    throw MakeCreateError(path, SystemErrorMessage(code));
}

BeforeReplaceHook beforeReplace = nullptr;

}  // namespace

void SetBeforeReplaceHook(BeforeReplaceHook hook) { beforeReplace = hook; }

void SetRenameCall(RenameCall call) { renameCall = call; }

std::string ReadFileBytes(const std::wstring& path) {
    FileHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f.valid()) throw MakeOpenError(path, SystemErrorMessage(GetLastError()));
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.get(), &size)) throw MakeOpenError(path, SystemErrorMessage(GetLastError()));
    if (size.QuadPart > INT_MAX) throw MakeOpenError(path, SystemErrorMessage(ERROR_FILE_TOO_LARGE));
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(bytes.size() - done);
        if (!ReadFile(f.get(), bytes.data() + done, want, &got, nullptr))
            throw MakeOpenError(path, SystemErrorMessage(GetLastError()));
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

std::wstring TemporaryFileFor(const std::wstring& path) { return path + L".tmp"; }

void WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
    // One temporary name per target, so a write killed before the rename
    // leaves at most one leftover, which the next write takes over. Opened
    // without sharing: a second writer of the same target fails here rather
    // than write into our file, and nobody can rename or delete it under us.
    // DELETE lets this handle rename, or remove, exactly the file it wrote.
    const std::wstring temp = TemporaryFileFor(path);
    FileHandle f(CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!f.valid()) RaiseCreate(path, GetLastError());
    auto fail = [&](DWORD code) {
        FILE_DISPOSITION_INFO gone{TRUE};
        SetFileInformationByHandle(f.get(), FileDispositionInfo, &gone, sizeof gone);
        f.close();
        RaiseCreate(path, code ? code : ERROR_WRITE_FAULT);
    };
    // A leftover may be longer than what we write now.
    FILE_END_OF_FILE_INFO empty{};
    if (!SetFileInformationByHandle(f.get(), FileEndOfFileInfo, &empty, sizeof empty)) fail(GetLastError());
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(f.get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) fail(GetLastError());
        done += wrote;
    }
    if (!FlushFileBuffers(f.get())) fail(GetLastError());
    // The new file takes the old one's place in one rename, so that the name
    // always holds the old content or the new, whatever happens. (ReplaceFileW
    // would keep the metadata by itself, but Wine's moves the old file away
    // and deletes it before the new one arrives: a crash in between loses
    // both.) What ReplaceFileW would keep is carried over first.
    if (beforeReplace) beforeReplace(path);
    DWORD code = CarryOverMetadata(path, f.get(), temp);
    if (code == ERROR_SUCCESS) code = RenameOver(f.get(), path);
    if (code != ERROR_SUCCESS) fail(code);
}

bool FileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (!(a & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    // A link counts only when its target can be opened.
    FileHandle h(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.valid();
}

void DeleteFileIfExists(const std::wstring& path) {
    if (FileExists(path)) DeleteFileW(path.c_str());
}

}  // namespace velnor
