#include "ui/theme.h"



namespace velnor {
namespace {

constexpr wchar_t kThemeResourceType[] = L"THEME";

std::optional<Theme>& Current() {
    static std::optional<Theme> theme;
    return theme;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (!IS_INTRESOURCE(name)) reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(name);
    return TRUE;
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

std::optional<COLORREF> ParseColour(std::string_view v) {
    if (v.size() != 7 || v[0] != '#') return std::nullopt;
    unsigned value = 0;
    for (char c : v.substr(1)) {
        value <<= 4;
        if (c >= '0' && c <= '9') value |= c - '0';
        else if (c >= 'a' && c <= 'f') value |= c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') value |= c - 'A' + 10;
        else return std::nullopt;
    }
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::vector<std::wstring> EmbeddedThemeNames(HMODULE module) {
    std::vector<std::wstring> names;
    EnumResourceNamesW(module, kThemeResourceType, CollectName, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

Theme ParseTheme(std::wstring_view name, std::string_view text) {
    Theme t;
    t.name = name;
    const struct {
        std::string_view key;
        COLORREF Theme::*field;
    } fields[] = {
        {"window", &Theme::window}, {"panel", &Theme::panel},         {"text", &Theme::text},
        {"accent", &Theme::accent}, {"button", &Theme::button},       {"buttonHot", &Theme::buttonHot},
        {"border", &Theme::border}, {"buttonPressed", &Theme::buttonPressed},
    };
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = Trim(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        const size_t eq = line.find('=');
        if (line.empty() || line[0] == ';' || eq == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, eq));
        const auto colour = ParseColour(Trim(line.substr(eq + 1)));
        for (const auto& f : fields)
            if (f.key == key && colour) t.*(f.field) = *colour;
    }
    return t;
}

std::optional<Theme> LoadEmbeddedTheme(HMODULE module, std::wstring_view name) {
    for (const std::wstring& candidate : EmbeddedThemeNames(module)) {
        if (!SameNameIgnoringCase(candidate, name)) continue;
        HRSRC res = FindResourceW(module, candidate.c_str(), kThemeResourceType);
        HGLOBAL data = res ? LoadResource(module, res) : nullptr;
        const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
        if (!bytes) continue;
        return ParseTheme(name, std::string_view(bytes, SizeofResource(module, res)));
    }
    return std::nullopt;
}

const Theme* CurrentTheme() { return Current() ? &*Current() : nullptr; }
void SetCurrentTheme(std::optional<Theme> theme) { Current() = std::move(theme); }

}  // namespace velnor
