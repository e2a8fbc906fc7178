#include "platform/files.h"

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <climits>

#include "platform/errors.h"
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

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

// Gives the replacement what the file it replaces had: its attributes, its
// creation time and its own access rules (inherited ones come from the folder
// anyway). A read-only file is not replaced, as ReplaceFileW would refuse it.
// Returns ERROR_SUCCESS, or the reason the target must not be replaced.
DWORD CarryOverMetadata(const std::wstring& target, const wchar_t* replacement) {
    const DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;  // nothing to replace yet
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
    if (attrs & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attrs & kKept) SetFileAttributesW(replacement, (attrs & kKept) | FILE_ATTRIBUTE_ARCHIVE);
    {
        FileHandle from(CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                    FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
        FileHandle to(CreateFileW(replacement, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        FILETIME created{};
        if (from.valid() && to.valid() && GetFileTime(from.get(), &created, nullptr, nullptr))
            SetFileTime(to.get(), &created, nullptr, nullptr);
    }
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
        SetNamedSecurityInfoW(const_cast<wchar_t*>(replacement), SE_FILE_OBJECT, what, nullptr, nullptr, dacl,
                              nullptr);
        LocalFree(descriptor);
    }
    return ERROR_SUCCESS;
}

[[noreturn]] void RaiseCreate(const std::wstring& path, DWORD code) {
    throw MakeCreateError(path, SystemErrorMessage(code));
}

BeforeReplaceHook beforeReplace = nullptr;

}  // namespace

void SetBeforeReplaceHook(BeforeReplaceHook hook) { beforeReplace = hook; }

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

void WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
    wchar_t temp[MAX_PATH + 16] = {};
    if (!GetTempFileNameW(FolderOf(path).c_str(), L"vel", 0, temp)) RaiseCreate(path, GetLastError());
    {
        FileHandle f(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f.valid()) {
            const DWORD code = GetLastError();
            DeleteFileW(temp);
            RaiseCreate(path, code);
        }
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD wrote = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
            if (!WriteFile(f.get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
                const DWORD code = GetLastError();
                f.close();
                DeleteFileW(temp);
                RaiseCreate(path, code ? code : ERROR_WRITE_FAULT);
            }
            done += wrote;
        }
        if (!FlushFileBuffers(f.get())) {
            const DWORD code = GetLastError();
            f.close();
            DeleteFileW(temp);
            RaiseCreate(path, code);
        }
    }
    // The new file takes the old one's place in one rename, so that the name
    // always holds the old content or the new, whatever happens. (ReplaceFileW
    // would keep the metadata by itself, but Wine's moves the old file away
    // and deletes it before the new one arrives: a crash in between loses
    // both.) What ReplaceFileW would keep is carried over first.
    if (beforeReplace) beforeReplace(path);
    DWORD code = CarryOverMetadata(path, temp);
    BOOL ok = code == ERROR_SUCCESS;
    if (ok) ok = MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        if (code == ERROR_SUCCESS) code = GetLastError();
        DeleteFileW(temp);
        RaiseCreate(path, code);
    }
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
