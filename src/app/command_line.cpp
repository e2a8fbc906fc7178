#include "app/command_line.h"

namespace velnor {

bool HasSwitch(const std::vector<std::wstring>& args, std::wstring_view sw) {
    for (size_t i = 1; i <= 2 && i < args.size(); ++i)
        if (args[i] == sw) return true;
    return false;
}

}  // namespace velnor
