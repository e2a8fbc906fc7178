// The command-line switches, recognised only in argument 1 or 2.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velnor {

// True when argument 1, or else argument 2, equals the switch exactly
// (case-sensitive). `args[0]` is the program itself; later arguments are
// never examined.
bool HasSwitch(const std::vector<std::wstring>& args, std::wstring_view sw);

inline constexpr std::wstring_view kPortableSwitch = L"/p";
inline constexpr std::wstring_view kSilentSwitch = L"/s";

}  // namespace velnor

namespace velnor {

// The process's command line split as the platform splits it; element 0 is
// the program.
std::vector<std::wstring> CommandLineArguments();

}  // namespace velnor
