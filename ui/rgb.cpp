#include "ui/rgb.h"

#include <algorithm>

namespace ui {

namespace {

uint8_t mix(uint8_t a, uint8_t b, int t)
{
    const int value = (a * (255 - t) + b * t + 127) / 255;
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

} // namespace

Rgb blend(Rgb a, Rgb b, int t)
{
    t = std::clamp(t, 0, 255);
    return Rgb{mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

} // namespace ui
