// Where every control of the main window goes for a client area of W x H pixels. Pure.
#pragma once

#include <map>

namespace ui {

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int right() const { return x + w; }
    int bottom() const { return y + h; }
    bool operator==(const Rect&) const = default;
};

inline constexpr int MAIN_WIDTH = 1360;
inline constexpr int MAIN_HEIGHT = 900;
inline constexpr int MAIN_MIN_WIDTH = 1280;
inline constexpr int MAIN_MIN_HEIGHT = 820;
inline constexpr int BANNER_HEIGHT = 168;

struct MainLayout {
    Rect banner;
    Rect wallet_panel;
    Rect filter_bar;
    int tile_width = 0;
    // Rectangles of the controls, by control identifier.
    std::map<int, Rect> controls;
};

// The layout for a client area of width w and height h.
MainLayout main_layout(int w, int h);

} // namespace ui
