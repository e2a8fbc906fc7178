#include "platform/network_adapters.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <vector>

namespace velnor {

bool WirelessAdapterUp() {
    const ULONG flags = GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                        GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    // The size the documentation recommends; an adapter added in between
    // asks for more, so the call is repeated with the size it names.
    ULONG size = 15000;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = GetAdaptersAddresses(AF_UNSPEC, flags, nullptr,
                                      reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != ERROR_SUCCESS) return false;
    for (auto* a = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next)
        if (a->IfType == IF_TYPE_IEEE80211 && a->OperStatus == IfOperStatusUp) return true;
    return false;
}

}  // namespace velnor
