// Where the list editor first appears: centred over the main window, then
// moved right or down only as far as needed to stay inside the left and top
// of the work area of the main window's monitor (never clamped at the right
// or bottom).
#pragma once

#include <cstdint>

#include "orvo/placement.h"

namespace velnor {

// `owner` is the main window's rectangle, `workLeft` and `workTop` the work
// area's left and top; width and height are the editor's. The halving
// truncates toward zero and is computed in 64 bits.
Bounds FirstEditorPlacement(const Bounds& owner, std::int32_t width, std::int32_t height, std::int32_t workLeft,
                            std::int32_t workTop);

}  // namespace velnor
