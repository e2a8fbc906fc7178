#include "list/tick_list.h"

namespace velnor {

std::vector<bool> TicksFor(const std::vector<std::wstring>& items, const std::vector<std::wstring>& hidden) {
    std::vector<bool> ticks(items.size(), false);
    for (const auto& name : hidden)
        for (size_t i = items.size(); i-- > 0;)
            if (items[i] == name) ticks[i] = true;
    return ticks;
}

std::vector<std::wstring> TickedNames(const std::vector<std::wstring>& items, const std::vector<bool>& ticks) {
    std::vector<std::wstring> names;
    for (size_t i = 0; i < items.size() && i < ticks.size(); ++i)
        if (ticks[i]) names.push_back(items[i]);
    return names;
}

}  // namespace velnor
