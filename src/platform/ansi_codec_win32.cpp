#include "platform/ansi_codec.h"

#include <windows.h>

#include <climits>

namespace velnor {
namespace {

// Zero characters for empty input, and for input that fails under
// MB_ERR_INVALID_CHARS.
std::wstring Decode(UINT codePage, DWORD flags, std::string_view bytes, bool& ok) {
    ok = true;
    if (bytes.empty()) return {};
    if (bytes.size() > INT_MAX) {
        ok = false;
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (n <= 0) {
        ok = false;
        return {};
    }
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, out.data(), n);
    return out;
}

std::optional<std::string> EncodeExactly(UINT codePage, std::wstring_view text) {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX / 4) return std::nullopt;
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), n, nullptr, &usedDefault);
    // A code page may map some characters one way only; only an exact round
    // trip counts as representable.
    bool ok = false;
    if (usedDefault || Decode(codePage, 0, out, ok) != text || !ok) return std::nullopt;
    return out;
}

}  // namespace

std::wstring AnsiToWide(std::string_view bytes) {
    bool ok = false;
    return Decode(CP_ACP, 0, bytes, ok);
}

std::optional<std::string> WideToAnsi(std::wstring_view text) { return EncodeExactly(CP_ACP, text); }

bool CodePageAvailable(unsigned codePage) { return codePage != CP_ACP && IsValidCodePage(codePage); }

std::optional<std::wstring> CodePageToWide(unsigned codePage, std::string_view bytes) {
    if (!CodePageAvailable(codePage)) return std::nullopt;
    bool ok = false;
    std::wstring text = Decode(codePage, MB_ERR_INVALID_CHARS, bytes, ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<std::string> WideToCodePage(unsigned codePage, std::wstring_view text) {
    if (!CodePageAvailable(codePage)) return std::nullopt;
    return EncodeExactly(codePage, text);
}

}  // namespace velnor
