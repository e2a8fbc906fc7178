// The list rules of the list editor: which items are ticked from the hidden
// names, and which names OK writes. Names compare exactly, case-sensitively.
#pragma once

#include <string>
#include <vector>

namespace velnor {

// Ticks for `items`: for each hidden name, every equal item is ticked.
std::vector<bool> TicksFor(const std::vector<std::wstring>& items, const std::vector<std::wstring>& hidden);

// The ticked items' texts, in item order; a name ticked twice is written twice.
std::vector<std::wstring> TickedNames(const std::vector<std::wstring>& items, const std::vector<bool>& ticks);

}  // namespace velnor
