// The system's own view of its network adapters, which needs none of the
// permissions that netsh's wireless listings may be refused for.
#pragma once

namespace velnor {

// Whether a wireless adapter (IEEE 802.11) reports its link as up, that is
// connected to a network. False when none does or the system cannot tell.
bool WirelessAdapterUp();

}  // namespace velnor
