#include "platform/ansi_codec.h"

#include <windows.h>

#include <climits>

namespace velnor {

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty()) return {};
    if (bytes.size() > INT_MAX) return {};
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, out.data(), n);
    return out;
}

std::optional<std::string> WideToAnsi(std::wstring_view text) {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX / 4) return std::nullopt;
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), n, nullptr,
                        &usedDefault);
    // A code page may map some characters one way only; only an exact round
    // trip counts as representable.
    if (usedDefault || AnsiToWide(out) != text) return std::nullopt;
    return out;
}

}  // namespace velnor
