#include "list/editor_placement.h"

#include <algorithm>

#include "orvo/placement.h"

namespace velnor {

Bounds FirstEditorPlacement(const Bounds& owner, std::int32_t width, std::int32_t height, std::int32_t workLeft,
                            std::int32_t workTop) {
    // C++ division truncates toward zero, as the placement requires.
    std::int64_t left = static_cast<std::int64_t>(owner.left) + (static_cast<std::int64_t>(owner.width) - width) / 2;
    std::int64_t top = static_cast<std::int64_t>(owner.top) + (static_cast<std::int64_t>(owner.height) - height) / 2;
    left = std::max<std::int64_t>(left, workLeft);
    top = std::max<std::int64_t>(top, workTop);
    return {ClampToInt32(left), ClampToInt32(top), width, height};
}

}  // namespace velnor
