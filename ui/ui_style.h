// The look shared by every window: the active theme, the eight fonts, colour conversion, the
// style sheet of the standard controls and the glyphs drawn on tiles and buttons. UI thread.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>

#include <string>

#include "ui/rgb.h"
#include "ui/theme.h"

namespace ui {

// The active theme (index 0..3) and its palette.
int active_theme_index();
const Theme& active_theme();
// Makes a theme active and re-applies the style sheet; callers repaint their windows.
void set_active_theme(int index);

QColor qcolor(Rgb colour);
QString qtext(const std::string& utf8);
std::string utf8(const QString& text);

// The fixed header band behind the banner's controls.
inline constexpr Rgb HEADER_BAND = rgb(0x040812);
// blend(caption, accent, 55): selected rows.
Rgb accent_tint(const Theme& theme);

enum class FontRole {
    Button,       // 20 regular: buttons, the table
    Edit,         // 16 regular: edits
    EmptyTitle,   // 19 semibold: empty-table title
    RowCount,     // 14 regular
    Panel,        // 20 semibold: panel labels, status line
    Value,        // 26 semibold: wallet and balance values
    SerifTitle,   // 22 semibold serif: titles of secondary windows
    Body,         // 19 regular
};
// The font of a role (heights are cell heights in logical pixels).
QFont app_font(FontRole role);

// The style sheet of edits, drop-downs, the table, its header and scroll bars for a theme.
QString theme_style_sheet(const Theme& theme);

enum class Glyph {
    None, Buy, List, Complete, Current, History, Cancel, Report, Gear, Copy, Refresh, Plug, Unplug,
    Help, Close, Wallet, Basket,
};
// Draws a glyph centred in rect, in colour.
void draw_glyph(QPainter& painter, Glyph glyph, const QRectF& rect, const QColor& colour);

} // namespace ui
