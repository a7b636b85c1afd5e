#include "ui/ui_style.h"

#include <QApplication>
#include <QPainterPath>

#include <cmath>

namespace ui {

namespace {

int g_theme = DEFAULT_THEME;

QString css(Rgb colour) { return qcolor(colour).name(); }

} // namespace

int active_theme_index() { return g_theme; }
const Theme& active_theme() { return theme_palette(g_theme); }

void set_active_theme(int index)
{
    g_theme = (index >= 0 && index < THEME_COUNT) ? index : DEFAULT_THEME;
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(theme_style_sheet(active_theme()));
}

QColor qcolor(Rgb colour) { return QColor(colour.r, colour.g, colour.b); }
QString qtext(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

Rgb accent_tint(const Theme& theme) { return blend(theme.caption, theme.accent, 55); }

QFont app_font(FontRole role)
{
    int cell = 20;
    bool semibold = false;
    bool serif = false;
    switch (role) {
    case FontRole::Button: cell = 20; break;
    case FontRole::Edit: cell = 16; break;
    case FontRole::EmptyTitle: cell = 19; semibold = true; break;
    case FontRole::RowCount: cell = 14; break;
    case FontRole::Panel: cell = 20; semibold = true; break;
    case FontRole::Value: cell = 26; semibold = true; break;
    case FontRole::SerifTitle: cell = 22; semibold = true; serif = true; break;
    case FontRole::Body: cell = 19; break;
    }
    QFont font;
    font.setFamilies(serif ? QStringList{"Georgia", "DejaVu Serif", "serif"}
                           : QStringList{"Segoe UI", "DejaVu Sans", "sans-serif"});
    // A cell height of n pixels holds glyphs of about 0.78 n.
    font.setPixelSize(std::max(8, static_cast<int>(std::lround(cell * 0.78))));
    font.setWeight(semibold ? QFont::DemiBold : QFont::Normal);
    return font;
}

QString theme_style_sheet(const Theme& t)
{
    const QString sel = css(accent_tint(t));
    return QString(
               "QWidget { color: %1; }"
               "QLineEdit, QPlainTextEdit, QTextEdit { background: %2; color: %1; border: 1px solid %3;"
               " border-radius: 6px; padding: 2px 8px; selection-background-color: %4; }"
               "QLineEdit:focus, QPlainTextEdit:focus { border: 1px solid %5; }"
               "QComboBox { background: %2; color: %1; border: 1px solid %3; border-radius: 6px;"
               " padding: 2px 8px; }"
               "QComboBox:hover { border: 1px solid %5; }"
               "QComboBox::drop-down { border: none; width: 22px; }"
               "QComboBox QAbstractItemView { background: %2; color: %1; border: 1px solid %3;"
               " selection-background-color: %4; outline: none; }"
               "QTableView { background: %2; alternate-background-color: %2; color: %1; border: 1px solid %3;"
               " gridline-color: %3; selection-background-color: %4; selection-color: %1; outline: none; }"
               "QHeaderView::section { background: %6; color: %7; border: none;"
               " border-bottom: 1px solid %3; padding: 4px 8px; }"
               "QHeaderView { background: %6; }"
               "QScrollBar:vertical { background: %2; width: 12px; margin: 0; }"
               "QScrollBar::handle:vertical { background: %3; border-radius: 5px; min-height: 24px; margin: 2px; }"
               "QScrollBar:horizontal { background: %2; height: 12px; margin: 0; }"
               "QScrollBar::handle:horizontal { background: %3; border-radius: 5px; min-width: 24px; margin: 2px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
               "QToolTip { background: %2; color: %1; border: 1px solid %3; }"
               "QMessageBox { background: %8; }")
        .arg(css(t.text), css(t.panel), css(t.border), sel, css(t.accent), css(t.caption), css(t.muted),
             css(t.background));
}

void draw_glyph(QPainter& p, Glyph glyph, const QRectF& r, const QColor& colour)
{
    if (glyph == Glyph::None) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal s = std::min(r.width(), r.height());
    const QPointF c = r.center();
    QPen pen(colour, std::max<qreal>(1.6, s / 11.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    auto at = [&](qreal fx, qreal fy) { return QPointF(c.x() + fx * s / 2, c.y() + fy * s / 2); };
    switch (glyph) {
    case Glyph::Buy: {  // a bag with a handle
        QPainterPath bag;
        bag.moveTo(at(-0.7, -0.2));
        bag.lineTo(at(0.7, -0.2));
        bag.lineTo(at(0.55, 0.8));
        bag.lineTo(at(-0.55, 0.8));
        bag.closeSubpath();
        p.drawPath(bag);
        p.drawArc(QRectF(at(-0.35, -0.75), at(0.35, 0.25)), 0, 180 * 16);
        break;
    }
    case Glyph::List: {  // a price tag
        QPainterPath tag;
        tag.moveTo(at(-0.8, -0.3));
        tag.lineTo(at(-0.3, -0.8));
        tag.lineTo(at(0.8, -0.8));
        tag.lineTo(at(0.8, 0.3));
        tag.lineTo(at(-0.3, 0.8));
        tag.closeSubpath();
        p.drawPath(tag);
        p.drawEllipse(at(0.35, -0.35), s * 0.08, s * 0.08);
        break;
    }
    case Glyph::Complete: {  // a check in a circle
        p.drawEllipse(c, s * 0.42, s * 0.42);
        p.drawPolyline(QPolygonF({at(-0.4, 0.0), at(-0.1, 0.3), at(0.42, -0.3)}));
        break;
    }
    case Glyph::Current: {  // stacked cards
        p.drawRoundedRect(QRectF(at(-0.7, -0.45), at(0.5, 0.75)), s * 0.08, s * 0.08);
        p.drawPolyline(QPolygonF({at(-0.45, -0.7), at(0.75, -0.7), at(0.75, 0.5)}));
        break;
    }
    case Glyph::History: {  // a clock
        p.drawEllipse(c, s * 0.42, s * 0.42);
        p.drawPolyline(QPolygonF({at(0.0, -0.5), at(0.0, 0.0), at(0.35, 0.2)}));
        break;
    }
    case Glyph::Cancel: {  // a crossed circle
        p.drawEllipse(c, s * 0.42, s * 0.42);
        p.drawLine(at(-0.3, -0.3), at(0.3, 0.3));
        p.drawLine(at(0.3, -0.3), at(-0.3, 0.3));
        break;
    }
    case Glyph::Report: {  // a flag
        p.drawLine(at(-0.6, -0.8), at(-0.6, 0.85));
        QPainterPath flag;
        flag.moveTo(at(-0.6, -0.75));
        flag.cubicTo(at(-0.1, -1.0), at(0.2, -0.45), at(0.75, -0.7));
        flag.lineTo(at(0.75, 0.1));
        flag.cubicTo(at(0.2, 0.35), at(-0.1, -0.2), at(-0.6, 0.05));
        p.drawPath(flag);
        break;
    }
    case Glyph::Gear: {
        p.drawEllipse(c, s * 0.16, s * 0.16);
        p.drawEllipse(c, s * 0.34, s * 0.34);
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4;
            p.drawLine(QPointF(c.x() + std::cos(a) * s * 0.34, c.y() + std::sin(a) * s * 0.34),
                       QPointF(c.x() + std::cos(a) * s * 0.47, c.y() + std::sin(a) * s * 0.47));
        }
        break;
    }
    case Glyph::Copy: {
        p.drawRoundedRect(QRectF(at(-0.6, -0.3), at(0.3, 0.75)), s * 0.06, s * 0.06);
        p.drawPolyline(QPolygonF({at(-0.3, -0.6), at(0.6, -0.6), at(0.6, 0.45)}));
        break;
    }
    case Glyph::Refresh: {
        p.drawArc(QRectF(at(-0.6, -0.6), at(0.6, 0.6)), 40 * 16, 280 * 16);
        p.drawPolyline(QPolygonF({at(0.2, -0.75), at(0.5, -0.42), at(0.12, -0.22)}));
        break;
    }
    case Glyph::Plug:
    case Glyph::Unplug: {
        p.drawRoundedRect(QRectF(at(-0.45, -0.3), at(0.45, 0.35)), s * 0.08, s * 0.08);
        p.drawLine(at(-0.2, -0.3), at(-0.2, -0.7));
        p.drawLine(at(0.2, -0.3), at(0.2, -0.7));
        p.drawLine(at(0.0, 0.35), at(0.0, 0.8));
        if (glyph == Glyph::Unplug) p.drawLine(at(-0.75, 0.75), at(0.75, -0.75));
        break;
    }
    case Glyph::Help: {
        p.drawEllipse(c, s * 0.42, s * 0.42);
        p.drawArc(QRectF(at(-0.22, -0.45), at(0.22, -0.02)), -90 * 16, 270 * 16);
        p.drawLine(at(0.0, -0.02), at(0.0, 0.12));
        p.drawPoint(at(0.0, 0.32));
        break;
    }
    case Glyph::Close: {
        p.drawLine(at(-0.4, -0.4), at(0.4, 0.4));
        p.drawLine(at(0.4, -0.4), at(-0.4, 0.4));
        break;
    }
    case Glyph::Wallet: {
        p.drawRoundedRect(QRectF(at(-0.8, -0.55), at(0.8, 0.7)), s * 0.1, s * 0.1);
        p.drawRoundedRect(QRectF(at(0.2, -0.15), at(0.8, 0.3)), s * 0.06, s * 0.06);
        break;
    }
    case Glyph::Basket: {
        QPainterPath basket;
        basket.moveTo(at(-0.85, -0.15));
        basket.lineTo(at(0.85, -0.15));
        basket.lineTo(at(0.6, 0.75));
        basket.lineTo(at(-0.6, 0.75));
        basket.closeSubpath();
        p.drawPath(basket);
        p.drawLine(at(-0.45, -0.15), at(-0.15, -0.75));
        p.drawLine(at(0.45, -0.15), at(0.15, -0.75));
        p.drawLine(at(-0.25, 0.1), at(-0.2, 0.5));
        p.drawLine(at(0.25, 0.1), at(0.2, 0.5));
        break;
    }
    case Glyph::None: break;
    }
    p.restore();
}

} // namespace ui
