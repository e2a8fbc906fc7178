// Location paths: "/"-separated element names below the root element.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velnor {

// S with "/" appended unless it already ends in one; "" becomes "/".
std::wstring IncludeTrailingSlash(std::wstring_view s);

// True when 1 <= index <= length of S and the character at the one-based
// position index is "/".
bool IsSlashAt(std::wstring_view s, size_t index);

// The path made absolute against the current one; it begins and ends with "/".
std::wstring ExpandLocationPath(std::wstring_view currentPath, std::wstring_view path);

// The components of an expanded path, in order. Nothing is trimmed and "//"
// gives an empty component. A component that begins with a double quote is
// quoted text: the quotes go, a doubled quote stands for one, and a "/"
// inside the quotes does not split.
std::vector<std::wstring> SplitLocationPath(std::wstring_view expanded);

}  // namespace velnor
