// Colour rules of the status line, the tiles and buttons, and the blend they are built on.
#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "ui/rgb.h"
#include "ui/status_text.h"
#include "ui/theme.h"
#include "ui/tile_style.h"

namespace {

TEST(Blend, RoundsEachChannelAndClampsT)
{
    EXPECT_EQ(ui::blend(ui::rgb(0x000000), ui::rgb(0xFFFFFF), 128), ui::rgb(0x808080));
    EXPECT_EQ(ui::blend(ui::rgb(0x102030), ui::rgb(0x102030), 77), ui::rgb(0x102030));
    EXPECT_EQ(ui::blend(ui::rgb(0x0C2418), ui::WHITE, 0), ui::rgb(0x0C2418));
    EXPECT_EQ(ui::blend(ui::rgb(0x0C2418), ui::WHITE, 255), ui::WHITE);
    EXPECT_EQ(ui::blend(ui::rgb(0x0C2418), ui::WHITE, 400), ui::WHITE);
    EXPECT_EQ(ui::blend(ui::rgb(0x0C2418), ui::WHITE, -5), ui::rgb(0x0C2418));
    // (12 * 227 + 255 * 28) / 255 = 38.68 -> 39: rounded, not truncated.
    EXPECT_EQ(ui::blend(ui::rgb(0x0C0000), ui::WHITE, 28).r, 39);
    // Channels stay apart: red does not leak into green.
    EXPECT_EQ(ui::blend(ui::rgb(0xFF0000), ui::rgb(0x000000), 0), ui::rgb(0xFF0000));
}

TEST(StatusLine, TrailingDotsStrippedAndThreeDotsAnimate)
{
    auto d = ui::status_display("Loading the book (OI, then WhatsOnChain if needed)...");
    EXPECT_EQ(d.base, "Loading the book (OI, then WhatsOnChain if needed)");
    EXPECT_EQ(d.kind, ui::StatusKind::Progress);
    d = ui::status_display("Copied.");
    EXPECT_EQ(d.base, "Copied");
    EXPECT_EQ(d.kind, ui::StatusKind::Normal);
    d = ui::status_display("Wait....");
    EXPECT_EQ(d.base, "Wait");
    EXPECT_EQ(d.kind, ui::StatusKind::Progress);
    d = ui::status_display("Two..");
    EXPECT_EQ(d.kind, ui::StatusKind::Normal);
    EXPECT_EQ(ui::status_frame("Go", 0), "Go");
    EXPECT_EQ(ui::status_frame("Go", 3), "Go...");
    EXPECT_EQ(ui::status_frame("Go", 5), "Go.");
}

TEST(StatusLine, ErrorInAnyCaseAfterBlanksIsRed)
{
    for (const char* text : {"error: book load failed", "ERROR: x", "  \tError x", "errors everywhere"})
        EXPECT_EQ(ui::status_display(text).kind, ui::StatusKind::Error) << text;
    for (const char* text : {"An error happened", "err", "", "\nerror: x", "success: error"})
        EXPECT_NE(ui::status_display(text).kind, ui::StatusKind::Error) << text;
    // An error still in progress animates green.
    EXPECT_EQ(ui::status_display("error: retrying...").kind, ui::StatusKind::Progress);
    const ui::Rgb text = ui::rgb(0x123456);
    EXPECT_EQ(ui::status_colour(ui::StatusKind::Error, text), ui::rgb(0xDC3838));
    EXPECT_EQ(ui::status_colour(ui::StatusKind::Progress, text), ui::rgb(0x38CC62));
    EXPECT_EQ(ui::status_colour(ui::StatusKind::Normal, text), text);
}

TEST(TileStyle, EveryTileHasItsOwnColours)
{
    const ui::Theme& theme = ui::theme_palette(0);
    ui::ButtonState normal;
    const auto buy = ui::tile_face(ui::ID_BUY, normal, theme);
    EXPECT_EQ(buy.face, ui::rgb(0x0C2418));
    EXPECT_EQ(buy.border, ui::rgb(0x1C402C));
    EXPECT_EQ(buy.glyph, ui::rgb(0xBAE6C4));
    EXPECT_EQ(buy.title, ui::rgb(0xF4ECD6));
    EXPECT_EQ(ui::tile_face(ui::ID_REPORT, normal, theme).face, ui::rgb(0x762A2E));
    EXPECT_EQ(ui::tile_face(ui::ID_REPORT, normal, theme).glyph, ui::rgb(0xC45816));
    EXPECT_EQ(ui::tile_face(ui::ID_CANCEL, normal, theme).border, ui::rgb(0x401C22));
    for (int id : ui::TILE_IDS) EXPECT_TRUE(ui::tile_colours(id).has_value()) << id;
    EXPECT_FALSE(ui::tile_colours(ui::ID_REFRESH).has_value());
}

TEST(TileStyle, HoverPressedAndDisabledFaces)
{
    const ui::Theme& theme = ui::theme_palette(1);
    const ui::Rgb face = ui::rgb(0x0C2038);
    const ui::Rgb glyph = ui::rgb(0x8CC4EC);

    ui::ButtonState hover;
    hover.hovered = true;
    auto c = ui::tile_face(ui::ID_COMPLETE, hover, theme);
    EXPECT_EQ(c.face, ui::blend(face, ui::WHITE, 28));
    EXPECT_EQ(c.border, ui::blend(glyph, ui::WHITE, 40));

    ui::ButtonState pressed = hover;
    pressed.pressed = true;
    c = ui::tile_face(ui::ID_COMPLETE, pressed, theme);
    EXPECT_EQ(c.face, ui::blend(ui::blend(face, ui::WHITE, 28), ui::BLACK, 36));

    ui::ButtonState disabled;
    disabled.enabled = false;
    c = ui::tile_face(ui::ID_COMPLETE, disabled, theme);
    EXPECT_EQ(c.face, ui::blend(face, theme.background, 90));
    EXPECT_EQ(c.border, theme.border);
    EXPECT_EQ(c.glyph, theme.muted);
    EXPECT_EQ(c.title, theme.muted);
}

TEST(TileStyle, FlashOnlyOnEnabledCompleteAndCurrent)
{
    const ui::Theme& theme = ui::theme_palette(0);
    ui::ButtonState flash;
    flash.flash_on = true;
    for (int id : {ui::ID_COMPLETE, ui::ID_CURRENT}) {
        const auto c = ui::tile_face(id, flash, theme);
        EXPECT_EQ(c.face, ui::rgb(0xE89418)) << id;
        EXPECT_EQ(c.border, ui::rgb(0xFFDC78)) << id;
    }
    EXPECT_EQ(ui::tile_face(ui::ID_BUY, flash, theme).face, ui::rgb(0x0C2418));
    flash.enabled = false;
    EXPECT_NE(ui::tile_face(ui::ID_COMPLETE, flash, theme).face, ui::rgb(0xE89418));
}

TEST(TileStyle, PlainButtonsUseTheThemeAndConnectTurnsGreenWhileBound)
{
    for (int t = 0; t < ui::THEME_COUNT; ++t) {
        const ui::Theme& theme = ui::theme_palette(t);
        const auto c = ui::button_face(ui::ID_REFRESH, {}, theme, true);
        EXPECT_EQ(c.face, theme.tile);
        EXPECT_EQ(c.glyph, theme.glyph);
        EXPECT_EQ(c.border, theme.border);
    }
    const ui::Theme& theme = ui::theme_palette(0);
    EXPECT_EQ(ui::button_face(ui::ID_CONNECT, {}, theme, true).glyph, ui::rgb(0x30C460));
    EXPECT_EQ(ui::button_face(ui::ID_CONNECT, {}, theme, false).glyph, theme.glyph);
    EXPECT_EQ(ui::button_face(ui::ID_REFRESH, {}, theme, true).glyph, theme.glyph);
}

} // namespace
