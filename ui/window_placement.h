// Where a secondary window opens: beside the main window, inside the monitor's work area. Pure.
#pragma once

#include "ui/layout.h"

namespace ui {

// The top-left corner for a window of size w x h next to the main window's frame `main` on a
// work area `work`: right of the main window with a 12-pixel gap; when that passes the work
// area's right edge, left of it; when that is left of the work area, 8 pixels in from its left
// edge. The top is the main window's, moved up so the window ends at the work area's bottom,
// and never above the work area's top.
Rect place_beside(const Rect& main, int w, int h, const Rect& work);

} // namespace ui
