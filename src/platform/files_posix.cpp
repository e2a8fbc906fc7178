#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "platform/utf.h"

namespace velnor {
namespace {

std::wstring Describe(int err) { return TrimSystemMessage(Utf8ToWide(std::strerror(err))); }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int close() {
        const int r = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return r;
    }

private:
    int fd_;
};

// Native paths are written with "/"; a "\" from Windows-style test data is
// treated the same.
std::string NativePath(const std::wstring& path) {
    std::string p = WideToUtf8(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

BeforeReplaceHook beforeReplace = nullptr;

}  // namespace

void SetBeforeReplaceHook(BeforeReplaceHook hook) { beforeReplace = hook; }

std::string ReadFileBytes(const std::wstring& path) {
    Fd fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw MakeOpenError(path, Describe(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw MakeOpenError(path, Describe(errno));
    if (S_ISDIR(st.st_mode)) throw MakeOpenError(path, Describe(EISDIR));
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    std::vector<char> chunk(1 << 16);
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk.data(), chunk.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw MakeOpenError(path, Describe(errno));
        }
        if (n == 0) break;
        bytes.append(chunk.data(), static_cast<size_t>(n));
    }
    return bytes;
}

std::wstring TemporaryFileFor(const std::wstring& path) { return path + L".tmp"; }

void WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
    // As on Windows: one temporary name per target, reused after a killed
    // write. Without share modes, a lock keeps a second writer out, and the
    // file must still carry the name once locked (the lock holder before us
    // may just have renamed it over the target).
    const std::string target = NativePath(path);
    const std::string temp = NativePath(TemporaryFileFor(path));
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd.get() < 0) throw MakeCreateError(path, Describe(errno));
    struct stat mine {}, named {};
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) throw MakeCreateError(path, Describe(errno));
    if (::fstat(fd.get(), &mine) != 0 || ::stat(temp.c_str(), &named) != 0 || mine.st_ino != named.st_ino ||
        mine.st_dev != named.st_dev)
        throw MakeCreateError(path, Describe(EBUSY));
    // Only now, holding the file, may it be removed on failure.
    auto fail = [&](int err) {
        ::unlink(temp.c_str());
        fd.close();
        throw MakeCreateError(path, Describe(err));
    };
    if (::ftruncate(fd.get(), 0) != 0) fail(errno);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<size_t>(n);
    }
    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0) fail(errno);
    if (beforeReplace) beforeReplace(path);
    if (::rename(temp.c_str(), target.c_str()) != 0) fail(errno);
}

bool FileExists(const std::wstring& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::wstring& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void DeleteFileIfExists(const std::wstring& path) {
    if (FileExists(path)) ::unlink(NativePath(path).c_str());
}

}  // namespace velnor
