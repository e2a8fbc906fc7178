#include "main/profile_list.h"

namespace velnor {

void RemoveHidden(std::vector<std::wstring>& items, const std::vector<std::wstring>& hidden) {
    for (const auto& name : hidden)
        for (size_t i = items.size(); i-- > 0;)
            if (items[i] == name) items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
}

int LastIndexOf(const std::vector<std::wstring>& items, const std::wstring& name) {
    for (size_t i = items.size(); i-- > 0;)
        if (items[i] == name) return static_cast<int>(i);
    return -1;
}

}  // namespace velnor
