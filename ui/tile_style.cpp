#include "ui/tile_style.h"

#include "ui/control_ids.h"

namespace ui {

std::optional<TileColours> tile_colours(int control_id)
{
    switch (control_id) {
    case ID_BUY: return TileColours{rgb(0x0C2418), rgb(0x1C402C), rgb(0xBAE6C4)};
    case ID_LIST: return TileColours{rgb(0x2A2008), rgb(0x483810), rgb(0xE8C448)};
    case ID_COMPLETE: return TileColours{rgb(0x0C2038), rgb(0x1C3858), rgb(0x8CC4EC)};
    case ID_CURRENT: return TileColours{rgb(0x1C160A), rgb(0x483814), rgb(0xE8C460)};
    case ID_HISTORY: return TileColours{rgb(0x101622), rgb(0x202A3A), rgb(0xB0C4D8)};
    case ID_CANCEL: return TileColours{rgb(0x200E12), rgb(0x401C22), rgb(0xE85660)};
    case ID_REPORT: return TileColours{rgb(0x762A2E), rgb(0xA84044), rgb(0xC45816)};
    default: return std::nullopt;
    }
}

namespace {

FaceColours apply_states(TileColours base, const ButtonState& state, const Theme& theme)
{
    FaceColours out;
    Rgb face = base.face;
    if (!state.enabled) face = blend(face, theme.background, 90);
    else if (state.hovered) face = blend(face, WHITE, 28);
    if (state.pressed) face = blend(face, BLACK, 36);

    Rgb border = base.border;
    if (!state.enabled) border = theme.border;
    else if (state.hovered || state.pressed) border = blend(base.glyph, WHITE, 40);

    out.face = face;
    out.border = border;
    out.glyph = state.enabled ? base.glyph : theme.muted;
    out.title = state.enabled ? TILE_TITLE_COLOUR : theme.muted;
    return out;
}

} // namespace

FaceColours tile_face(int control_id, const ButtonState& state, const Theme& theme)
{
    const auto base = tile_colours(control_id);
    if (!base) return button_face(control_id, state, theme, false);
    FaceColours out = apply_states(*base, state, theme);
    if (state.enabled && state.flash_on && (control_id == ID_COMPLETE || control_id == ID_CURRENT)) {
        out.face = FLASH_FACE;
        out.border = FLASH_BORDER;
    }
    return out;
}

FaceColours button_face(int control_id, const ButtonState& state, const Theme& theme, bool bound)
{
    TileColours base{theme.tile, theme.border, theme.glyph};
    FaceColours out = apply_states(base, state, theme);
    if (control_id == ID_CONNECT && bound && state.enabled) out.glyph = CONNECT_BOUND_GLYPH;
    out.title = out.glyph;
    return out;
}

} // namespace ui
