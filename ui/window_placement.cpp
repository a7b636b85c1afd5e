#include "ui/window_placement.h"

namespace ui {

Rect place_beside(const Rect& main, int w, int h, const Rect& work)
{
    int x = main.right() + 12;
    if (x + w > work.right()) x = main.x - w - 12;
    if (x < work.x) x = work.x + 8;
    int y = main.y;
    if (y + h > work.bottom()) y = work.bottom() - h;
    if (y < work.y) y = work.y;
    return Rect{x, y, w, h};
}

} // namespace ui
