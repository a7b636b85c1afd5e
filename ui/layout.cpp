#include "ui/layout.h"

#include <algorithm>

#include "ui/control_ids.h"

namespace ui {

MainLayout main_layout(int w, int h)
{
    MainLayout out;
    auto& c = out.controls;
    out.banner = {0, 0, w, BANNER_HEIGHT};

    c[ID_SETTINGS] = {w - 89, 26, 36, 36};
    c[ID_CONNECT] = {w - 126, 68, 110, 34};
    c[ID_UNBIND] = {w - 126, 108, 110, 34};

    out.wallet_panel = {16, 180, 420, 162};
    c[ID_WALLET_LABEL] = {64, 188, 324, 22};
    c[ID_WALLET_VALUE] = {64, 212, 324, 30};
    c[ID_COPY] = {396, 212, 28, 28};
    c[ID_BALANCE_LABEL] = {64, 269, 324, 22};
    c[ID_BALANCE_VALUE] = {64, 293, 324, 30};
    c[ID_BALANCE_REFRESH] = {396, 293, 28, 28};

    const int t = std::max((w - 494) / 4, 156);
    out.tile_width = t;
    c[ID_BUY] = {448, 180, t, 76};
    c[ID_LIST] = {458 + t, 180, t, 76};
    c[ID_COMPLETE] = {468 + 2 * t, 180, t, 76};
    c[ID_CURRENT] = {478 + 3 * t, 180, t, 76};
    c[ID_HISTORY] = {448, 266, t, 76};
    c[ID_CANCEL] = {458 + t, 266, t, 76};
    c[ID_REPORT] = {468 + 2 * t, 266, t, 76};

    out.filter_bar = {16, 354, w - 32, 36};
    const int s = std::max(w - 638, 180);
    c[ID_SEARCH] = {24, 358, s, 28};
    c[ID_ITEM_FILTER] = {s + 32, 358, 150, 28};
    c[ID_SELLER_FILTER] = {s + 190, 358, 150, 28};
    c[ID_STATUS_FILTER] = {s + 348, 358, 150, 28};
    c[ID_REFRESH] = {w - 136, 354, 120, 36};

    const int l = std::max(h - 542, 120);
    c[ID_TABLE] = {16, 400, w - 32, l};
    c[ID_ROW_COUNT] = {16, 406 + l, 220, 22};

    const int bottom = 430 + l;
    c[ID_HELP] = {16, bottom, 186, 36};
    c[ID_STATUS] = {212, bottom, std::max(w - 516, 80), 36};
    c[ID_VERSION] = {w - 296, bottom, 280, 36};
    c[ID_CLOSE] = {16, h - 52, w - 32, 36};
    return out;
}

} // namespace ui
