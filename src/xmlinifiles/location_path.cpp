#include "xmlinifiles/location_path.h"

namespace velnor {

bool IsSlashAt(std::wstring_view s, size_t index) { return index >= 1 && index <= s.size() && s[index - 1] == L'/'; }

std::wstring IncludeTrailingSlash(std::wstring_view s) {
    std::wstring r(s);
    if (!IsSlashAt(s, s.size())) r += L'/';
    return r;
}

std::wstring ExpandLocationPath(std::wstring_view currentPath, std::wstring_view path) {
    if (!path.empty() && path[0] == L'/') return IncludeTrailingSlash(path);
    return IncludeTrailingSlash(IncludeTrailingSlash(currentPath) + std::wstring(path));
}

std::vector<std::wstring> SplitLocationPath(std::wstring_view s) {
    std::vector<std::wstring> parts;
    size_t i = s.empty() || s[0] != L'/' ? 0 : 1;
    while (i < s.size()) {
        std::wstring component;
        if (s[i] == L'"') {
            size_t j = i + 1;
            bool closed = false;
            while (j < s.size()) {
                if (s[j] == L'"') {
                    if (j + 1 < s.size() && s[j + 1] == L'"') {
                        component += L'"';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                component += s[j++];
            }
            if (!closed) {
                // The slash that expansion added closes the path, not the name.
                if (!component.empty() && component.back() == L'/') component.pop_back();
                parts.push_back(std::move(component));
                break;
            }
            i = j;
        }
        size_t slash = s.find(L'/', i);
        if (slash == std::wstring_view::npos) slash = s.size();
        component.append(s.substr(i, slash - i));
        parts.push_back(std::move(component));
        i = slash + 1;
    }
    return parts;
}

}  // namespace velnor
