// Colours as the drawing code computes them: 8-bit RGB triples and the channel blend that every
// hover, pressed and disabled face is made of. Pure; safe from any thread.
#pragma once

#include <cstdint>

namespace ui {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

// 0xRRGGBB as a colour.
constexpr Rgb rgb(uint32_t hex)
{
    return Rgb{static_cast<uint8_t>((hex >> 16) & 0xFF), static_cast<uint8_t>((hex >> 8) & 0xFF),
               static_cast<uint8_t>(hex & 0xFF)};
}

// Mixes each channel as (a * (255 - t) + b * t) / 255, rounded to the nearest integer and
// clamped to 0..255; t outside 0..255 is clamped first.
Rgb blend(Rgb a, Rgb b, int t);

inline constexpr Rgb WHITE = rgb(0xFFFFFF);
inline constexpr Rgb BLACK = rgb(0x000000);

} // namespace ui
