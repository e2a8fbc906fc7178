#include "platform/ansi_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/utf.h"

namespace velnor {
namespace {

// The native stand-in for the ANSI code page of a Japanese system.
constexpr unsigned kAnsiCodePage = 932;

// iconv's name for a Windows code page number; nullptr for one we do not map.
const char* IconvName(unsigned codePage) {
    switch (codePage) {
        case 932: return "CP932";
        case 936: return "CP936";
        case 949: return "CP949";
        case 950: return "CP950";
        case 1250: return "CP1250";
        case 1251: return "CP1251";
        case 1252: return "CP1252";
        case 1253: return "CP1253";
        case 1254: return "CP1254";
        case 1255: return "CP1255";
        case 1256: return "CP1256";
        case 1257: return "CP1257";
        case 1258: return "CP1258";
        case 20127: return "ASCII";
        case 20866: return "KOI8-R";
        case 21866: return "KOI8-U";
        case 20932: return "EUC-JP";
        case 28591: return "ISO-8859-1";
        case 28592: return "ISO-8859-2";
        case 28593: return "ISO-8859-3";
        case 28594: return "ISO-8859-4";
        case 28595: return "ISO-8859-5";
        case 28596: return "ISO-8859-6";
        case 28597: return "ISO-8859-7";
        case 28598: return "ISO-8859-8";
        case 28599: return "ISO-8859-9";
        case 28603: return "ISO-8859-13";
        case 28605: return "ISO-8859-15";
        default: return nullptr;
    }
}

class Iconv {
public:
    Iconv(const char* to, const char* from)
        : cd_(to && from ? iconv_open(to, from) : reinterpret_cast<iconv_t>(-1)) {}
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

// The whole input through the descriptor; false at the first sequence it
// cannot convert, and for input that ends inside a sequence.
bool ConvertAll(const Iconv& cd, std::string_view input, std::string& out) {
    if (!cd.ok()) return false;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    std::vector<char> buffer(64 * 1024);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* o = buffer.data();
        size_t oLeft = buffer.size();
        const size_t r = iconv(cd.get(), &in, &inLeft, &o, &oLeft);
        const int err = errno;
        out.append(buffer.data(), buffer.size() - oLeft);
        if (r == static_cast<size_t>(-1) && err != E2BIG) return false;
    }
    return true;
}

std::optional<std::string> EncodeExactly(unsigned codePage, std::wstring_view text) {
    std::string out;
    if (!ConvertAll(Iconv(IconvName(codePage), "UTF-16LE"), WideToUtf16Le(text), out)) return std::nullopt;
    // Only an exact round trip counts as representable.
    const auto back = CodePageToWide(codePage, out);
    if (!back || *back != text) return std::nullopt;
    return out;
}

}  // namespace

std::wstring AnsiToWide(std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::wstring(bytes.begin(), bytes.end());
    // Lines are decoded one at a time, so the descriptor and the buffer are
    // kept for the thread instead of being made for every call.
    thread_local Iconv cd("UTF-16LE", IconvName(kAnsiCodePage));
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

std::optional<std::string> WideToAnsi(std::wstring_view text) { return EncodeExactly(kAnsiCodePage, text); }

bool CodePageAvailable(unsigned codePage) { return Iconv("UTF-16LE", IconvName(codePage)).ok(); }

std::optional<std::wstring> CodePageToWide(unsigned codePage, std::string_view bytes) {
    std::string utf16;
    if (!ConvertAll(Iconv("UTF-16LE", IconvName(codePage)), bytes, utf16)) return std::nullopt;
    return Utf16LeToWide(utf16);
}

std::optional<std::string> WideToCodePage(unsigned codePage, std::wstring_view text) {
    return EncodeExactly(codePage, text);
}

}  // namespace velnor
