#include "orvo/command.h"

namespace velnor {

std::wstring QuoteArgument(std::wstring_view text) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only right before a quote: there each
        // one is doubled, and one more escapes the quote itself.
        if (c == L'"') out.append(2 * backslashes + 1, L'\\');
        else out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    // The closing quote must stay a quote.
    out.append(2 * backslashes, L'\\');
    out += L'"';
    return out;
}

}  // namespace velnor
