// A plain container window without border or caption: the panel of the main
// window and the radio group are made of it. It paints its surface and passes
// its controls' notifications on to its parent.
#pragma once

#include <windows.h>

#include "ui/theme_paint.h"

namespace velnor {

HWND CreateContainer(HWND parent, int id, Surface surface);
// The surface the container paints, and so the one every control in it
// stands on: whoever paints a control asks here.
Surface SurfaceOf(HWND container);

}  // namespace velnor
