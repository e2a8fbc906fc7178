// The system's ANSI code page. Windows uses CP_ACP; the native build stands in
// with CP932 through iconv, the code page of the Japanese systems we target.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velnor {

// Bytes in the ANSI code page to text. Never fails: bytes the code page cannot
// decode become replacement characters (which ones depends on the platform).
std::wstring AnsiToWide(std::string_view bytes);

// Text to the ANSI code page, or nothing when some character has no exact
// representation there (no '?' and no best-fit look-alike is ever produced).
std::optional<std::string> WideToAnsi(std::wstring_view text);

}  // namespace velnor
