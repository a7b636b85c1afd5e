// Colours of the owner-drawn tiles and buttons in each of their states. Pure.
#pragma once

#include <optional>

#include "ui/rgb.h"
#include "ui/theme.h"

namespace ui {

struct ButtonState {
    bool enabled = true;
    bool hovered = false;
    bool pressed = false;
    // Offers wait on a listing of the wallet's and the flash is in its "on" phase.
    bool flash_on = false;
};

struct FaceColours {
    Rgb face;
    Rgb border;
    Rgb glyph;
    Rgb title;  // tiles only; buttons draw their text in the glyph colour
};

// The fixed colours of a tile (face, border, glyph), or nullopt when id is no tile.
struct TileColours {
    Rgb face;
    Rgb border;
    Rgb glyph;
};
std::optional<TileColours> tile_colours(int control_id);

inline constexpr Rgb TILE_TITLE_COLOUR = rgb(0xF4ECD6);
inline constexpr Rgb FLASH_FACE = rgb(0xE89418);
inline constexpr Rgb FLASH_BORDER = rgb(0xFFDC78);
inline constexpr Rgb CONNECT_BOUND_GLYPH = rgb(0x30C460);

// Waiting-offer rows of the book table.
inline constexpr Rgb FLASH_ROW_TEXT = rgb(0xFFF4DC);
inline constexpr Rgb FLASH_ROW_ON = rgb(0xD6841C);
inline constexpr Rgb FLASH_ROW_OFF = rgb(0x482C10);

// The colours a tile is drawn in. Face: hovered blends 28/255 toward white; disabled uses
// blend(face, background, 90); pressed then blends 36/255 toward black; an enabled Complete or
// Current tile with the flash on uses the flash face and border. Border: disabled the theme
// border; hovered or pressed the glyph blended 40/255 toward white. Glyph muted when disabled;
// the title #F4ECD6, muted when disabled.
FaceColours tile_face(int control_id, const ButtonState& state, const Theme& theme);

// The colours of a button that is not a tile: the theme's tile and glyph colours with the same
// hover, pressed and disabled rules; the Connect glyph is green while bound.
FaceColours button_face(int control_id, const ButtonState& state, const Theme& theme, bool bound);

} // namespace ui
