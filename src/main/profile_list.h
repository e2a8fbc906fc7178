// The list rules of the main window: which profiles are shown and which one
// is selected. Names are compared exactly, case-sensitively, as parsed.
#pragma once

#include <string>
#include <vector>

namespace velnor {

// Removes every item equal to a hidden name, for each hidden name in order,
// walking the items from the last to the first. All copies of a name go; an
// empty hidden name removes empty items.
void RemoveHidden(std::vector<std::wstring>& items, const std::vector<std::wstring>& hidden);

// The index of the last item equal to `name`, or -1.
int LastIndexOf(const std::vector<std::wstring>& items, const std::wstring& name);

}  // namespace velnor
