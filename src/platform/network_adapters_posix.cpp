#include "platform/network_adapters.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace velnor {

// Linux shows a wireless interface by its "wireless" entry and its link by
// "operstate".
bool WirelessAdapterUp() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net", ec)) {
        if (!std::filesystem::exists(entry.path() / "wireless", ec)) continue;
        std::string state;
        std::ifstream(entry.path() / "operstate") >> state;
        if (state == "up") return true;
    }
    return false;
}

}  // namespace velnor
