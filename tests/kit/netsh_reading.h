// What the test kit's probe makes of the machine's own netsh: portable, so
// that the core tests can show each reading with made-up listings.
#pragma once
// The location notice is recognised by the program's own rule
// (ListingNeedsLocationPermission in main/wlan.h).

#include <string>
#include <string_view>
#include <vector>

namespace velnor::kit {

// A hardware address (six hex pairs joined by ":" or "-") locates a home
// through public maps of access points; each one becomes "**:**:**:**:**:**".
// Too much masked is harmless, one address left is not: a pair is masked
// whatever stands before it, even half of a double-byte character.
std::wstring MaskHardwareAddresses(std::wstring text);
// The same on the bytes of a capture in an ANSI code page or UTF-8, where
// the address is plain ASCII.
std::string MaskHardwareAddresses(std::string bytes);

enum class ListingState { Connected, Disconnected, Unknown };

struct InterfaceReading {
    ListingState state;
    std::wstring line;  // the line that decided it, when one did
};

// What the interface listing says: connected by the program's own rule (a
// line holds the connected marker), disconnected only when it is recognisably
// a Japanese interface listing that gives a state, and unknown otherwise.
InterfaceReading ReadInterfaceListing(const std::vector<std::wstring>& lines);

// The likely reason why a listing holds nothing the program can read, for a
// person to check: the wireless service stopped, no wireless adapter, or a
// display language other than Japanese. Empty when there is no telling.
std::wstring LikelyReason(const std::vector<std::wstring>& lines);

// The first `count` lines that are not blank, as netsh printed them.
std::vector<std::wstring> FirstLines(const std::vector<std::wstring>& lines, size_t count);

// Names for asking netsh how it reads "connect name=": two words each, every
// word made up so that no real profile can bear one, and each name beginning
// with the space that parsing leaves in front of every name. One is sent
// unquoted after "name=", the other as the program sends names, quoted.
extern const std::wstring_view kMadeUpNameUnquoted;
extern const std::wstring_view kMadeUpNameQuoted;

// In plain words, which name netsh repeated back in its answer to a connect
// for `name` (as parsed, its leading space included): the whole name, only
// its first or second word, an empty name, or none of these. A name between
// double quotes in the answer counts first.
std::wstring NameRepeatedBack(std::wstring_view name, const std::vector<std::wstring>& answer);

// The words of the name that a line of the profile listing holds, compared
// without regard to case; empty when no line holds any of them.
std::vector<std::wstring> WordsFoundInListing(std::wstring_view name, const std::vector<std::wstring>& lines);

}  // namespace velnor::kit
