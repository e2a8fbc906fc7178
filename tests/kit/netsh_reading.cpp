#include "kit/netsh_reading.h"

#include <algorithm>
#include <cwctype>

#include "main/wlan.h"

namespace velnor::kit {
namespace {

template <class Char>
bool IsHex(Char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Six hex pairs joined by one separator, ":" or "-", starting at `at`.
template <class Text>
bool AddressAt(const Text& text, size_t at) {
    if (at + 17 > text.size()) return false;
    const auto separator = text[at + 2];
    if (separator != ':' && separator != '-') return false;
    for (size_t pair = 0; pair < 6; ++pair) {
        const size_t p = at + pair * 3;
        if (!IsHex(text[p]) || !IsHex(text[p + 1])) return false;
        if (pair < 5 && text[p + 2] != separator) return false;
    }
    return true;
}

template <class Text>
Text Mask(Text text) {
    for (size_t at = 0; at < text.size(); ++at) {
        if (!AddressAt(text, at)) continue;
        for (size_t i = 0; i < 17; ++i)
            if (i % 3 != 2) text[at + i] = '*';
        at += 16;
    }
    return text;
}

bool Holds(std::wstring_view line, std::wstring_view part) { return line.find(part) != std::wstring_view::npos; }

std::wstring Lower(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

bool HoldsJapanese(std::wstring_view line) {
    for (wchar_t c : line)
        if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF)) return true;
    return false;
}

bool Blank(std::wstring_view line) { return line.find_first_not_of(L" \t") == std::wstring_view::npos; }

}  // namespace

const std::wstring_view kMadeUpNameUnquoted = L" Zembrodix Plunkavre";
const std::wstring_view kMadeUpNameQuoted = L" Qorvantiel Tisqueloth";

std::wstring MaskHardwareAddresses(std::wstring text) { return Mask(std::move(text)); }
std::string MaskHardwareAddresses(std::string bytes) { return Mask(std::move(bytes)); }

InterfaceReading ReadInterfaceListing(const std::vector<std::wstring>& lines) {
    for (const auto& line : lines)
        if (Holds(line, kConnectedMarker)) return {ListingState::Connected, line};
    // A Japanese listing gives each interface a state line; only then does the
    // missing marker mean that no interface is connected.
    for (const auto& line : lines)
        if (Holds(line, L"状態") && Holds(line, L": ")) return {ListingState::Disconnected, line};
    return {ListingState::Unknown, {}};
}

std::wstring LikelyReason(const std::vector<std::wstring>& lines) {
    bool any = false, japanese = false;
    for (const auto& line : lines) {
        const std::wstring lower = Lower(line);
        if (Holds(lower, L"wlansvc"))
            return L"the wireless service (WLAN AutoConfig, wlansvc) is not running";
        if (Holds(line, L"インターフェイスがありません") || Holds(line, L"インターフェイスはありません") ||
            Holds(lower, L"no wireless interface"))
            return L"this machine has no wireless adapter (or it is switched off)";
        any = any || !Blank(line);
        japanese = japanese || HoldsJapanese(line);
    }
    if (!any) return L"netsh printed nothing";
    if (!japanese) return L"netsh printed no Japanese: the display language is probably not Japanese";
    return {};
}

std::vector<std::wstring> FirstLines(const std::vector<std::wstring>& lines, size_t count) {
    std::vector<std::wstring> out;
    for (const auto& line : lines) {
        if (out.size() == count) break;
        if (!Blank(line)) out.push_back(line);
    }
    return out;
}

std::vector<std::wstring> WordsFoundInListing(std::wstring_view name, const std::vector<std::wstring>& lines) {
    std::vector<std::wstring> words;
    for (size_t i = 0; i < name.size();) {
        const size_t start = name.find_first_not_of(L' ', i);
        if (start == std::wstring_view::npos) break;
        const size_t end = std::min(name.find(L' ', start), name.size());
        words.push_back(Lower(name.substr(start, end - start)));
        i = end;
    }
    std::vector<std::wstring> found;
    for (const auto& word : words)
        for (const auto& line : lines)
            if (Holds(Lower(line), word)) {
                found.push_back(word);
                break;
            }
    return found;
}

std::wstring NameRepeatedBack(std::wstring_view name, const std::vector<std::wstring>& answer) {
    const std::wstring_view whole = name.substr(std::min(name.find_first_not_of(L' '), name.size()));
    const size_t gap = whole.find(L' ');
    const std::wstring_view first = whole.substr(0, gap);
    const std::wstring_view second = gap == std::wstring_view::npos ? std::wstring_view() : whole.substr(gap + 1);
    const std::pair<std::wstring_view, std::wstring> readings[] = {
        {whole, L"the whole name [" + std::wstring(whole) + L"]"},
        {first, L"only the first word [" + std::wstring(first) + L"]"},
        {second, L"only the second word [" + std::wstring(second) + L"]"},
    };
    // Between quotes netsh says exactly what it looked for; an interface's
    // name may stand between quotes in the same answer, so look at them all.
    for (const auto& line : answer)
        for (size_t open = line.find(L'"'); open != std::wstring::npos;) {
            const size_t close = line.find(L'"', open + 1);
            if (close == std::wstring::npos) break;
            const std::wstring_view quoted = std::wstring_view(line).substr(open + 1, close - open - 1);
            if (quoted.empty()) return L"an empty name [\"\"]";
            for (const auto& [part, words] : readings)
                if (!part.empty() && quoted == part) return words;
            open = line.find(L'"', close + 1);
        }
    for (const auto& [part, words] : readings)
        for (const auto& line : answer)
            if (!part.empty() && Holds(line, part)) return words;
    return L"neither the name nor one of its words";
}

}  // namespace velnor::kit
