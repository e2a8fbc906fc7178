#include "platform/files.h"

#include <fcntl.h>
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

void WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
    const std::string target = NativePath(path);
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
    std::string temp = folder + "/.velXXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0) throw MakeCreateError(path, Describe(errno));
    auto fail = [&](int err) {
        fd.close();
        ::unlink(temp.c_str());
        throw MakeCreateError(path, Describe(err));
    };
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
    if (fd.close() != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw MakeCreateError(path, Describe(err));
    }
    if (beforeReplace) beforeReplace(path);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw MakeCreateError(path, Describe(err));
    }
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
