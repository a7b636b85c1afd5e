// The look shared by every window. The active theme lives in the application's QPalette; one
// style sheet (":/agoran/agoran.qss") draws every control from that palette, in point sizes,
// and gives the tiles their own fixed colours. Widgets name what they are through the "role"
// property ("title", "muted", "value", ...) and the style sheet does the rest. UI thread.
//
// Palette roles: Window background, Base panel, Mid border, Text and WindowText text, Midlight
// and PlaceholderText muted, Link accent, Button tile, AlternateBase tile-alt, ButtonText glyph,
// Dark caption, Light and Shadow the banner gradient, Highlight the accent tint of selections.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QVariant>

#include <string>

#include "ui/rgb.h"
#include "ui/theme.h"

class QWidget;

namespace ui {

// The active theme (index 0..3) and its colours.
int active_theme_index();
const Theme& active_theme();
// Makes a theme active: the application's palette, and the style sheet (loaded once). Every
// widget follows at once.
void set_active_theme(int index);

QColor qcolor(Rgb colour);
QString qtext(const std::string& utf8);
std::string utf8(const QString& text);

// blend(caption, accent, 55): selected rows.
Rgb accent_tint(const Theme& theme);
// Colours of the status line.
inline constexpr Rgb PROGRESS_COLOUR = rgb(0x38CC62);
inline constexpr Rgb ERROR_COLOUR = rgb(0xDC3838);
// Rows with an offer waiting, flashing between the two backgrounds.
inline constexpr Rgb FLASH_ROW_TEXT = rgb(0xFFF4DC);
inline constexpr Rgb FLASH_ROW_ON = rgb(0xD6841C);
inline constexpr Rgb FLASH_ROW_OFF = rgb(0x482C10);

// Sets a property the style sheet reads and re-applies the sheet to the widget.
void set_style_property(QWidget* widget, const char* name, const QVariant& value);

// The glyphs drawn on tiles and buttons (":/agoran/glyphs/<name>.png"), tinted.
enum class Glyph {
    Buy, List, Complete, Current, History, Cancel, Report, Gear, Copy, Refresh, Plug, Unplug, Help, Close, Wallet,
    Basket,
};
QIcon glyph_icon(Glyph glyph, const QColor& colour);
QPixmap glyph_pixmap(Glyph glyph, const QColor& colour, int size);

} // namespace ui
