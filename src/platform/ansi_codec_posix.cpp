#include "platform/ansi_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/utf.h"

namespace velnor {
namespace {

// The native stand-in for the ANSI code page of a Japanese system.
constexpr const char* kAnsiCodePage = "CP932";

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

}  // namespace

std::wstring AnsiToWide(std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::wstring(bytes.begin(), bytes.end());
    // Lines are decoded one at a time, so the descriptor and the buffer are
    // kept for the thread instead of being made for every call.
    thread_local Iconv cd("UTF-16LE", kAnsiCodePage);
    if (!cd.ok()) return Utf8ToWide(bytes);
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    std::wstring out;
    out.reserve(bytes.size());
    thread_local std::vector<char> buffer(64 * 1024);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* o = buffer.data();
        size_t oLeft = buffer.size();
        const size_t r = iconv(cd.get(), &in, &inLeft, &o, &oLeft);
        const int err = errno;
        const std::wstring part = Utf16LeToWide(std::string_view(buffer.data(), buffer.size() - oLeft));
        out += part;
        if (r == static_cast<size_t>(-1) && err != E2BIG) {
            // Undecodable or truncated sequence: one replacement per byte.
            out.push_back(L'\xFFFD');
            ++in;
            --inLeft;
            iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::optional<std::string> WideToAnsi(std::wstring_view text) {
    thread_local Iconv cd(kAnsiCodePage, "UTF-16LE");
    if (!cd.ok()) return std::nullopt;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    std::string utf16 = WideToUtf16Le(text);
    std::string out;
    out.reserve(text.size() * 2);
    std::vector<char> buffer(64 * 1024);
    char* in = utf16.data();
    size_t inLeft = utf16.size();
    while (inLeft > 0) {
        char* o = buffer.data();
        size_t oLeft = buffer.size();
        const size_t r = iconv(cd.get(), &in, &inLeft, &o, &oLeft);
        const int err = errno;
        out.append(buffer.data(), buffer.size() - oLeft);
        if (r == static_cast<size_t>(-1) && err != E2BIG) return std::nullopt;
    }
    if (AnsiToWide(out) != text) return std::nullopt;
    return out;
}

}  // namespace velnor
