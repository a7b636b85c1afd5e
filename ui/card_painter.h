// Drawing of the trade windows' cards and headings: rounded panels (corner 12) in the panel
// colour, bordered blend(accent, border, 70), or, when selected, filled blend(panel, accent, 36)
// and bordered in the accent; a title in the accent colour and labelled lines beneath. UI thread.
#pragma once

#include <QPainter>
#include <QRect>

#include "ui/trade_card.h"

namespace ui {

inline constexpr int CARD_GAP = 12;

// The height a card needs at a width.
int card_height(const Card& card, int width);
void paint_card(QPainter& painter, const Card& card, const QRect& rect, bool selected);

// A serif heading in the accent colour, with a 2-pixel accent underline when asked.
void paint_heading(QPainter& painter, const QString& text, const QRect& rect, bool underline);
// A section heading in the panel font and the muted colour.
void paint_section(QPainter& painter, const QString& text, const QRect& rect);

} // namespace ui
