#include "ui/card_painter.h"

#include <QFontMetrics>

#include "ui/ui_style.h"

namespace ui {

namespace {

constexpr int PAD = 14;
constexpr int LABEL_WIDTH = 150;
constexpr int TITLE_HEIGHT = 28;

QFont title_font() { return app_font(FontRole::Panel); }
QFont line_font()
{
    QFont font = app_font(FontRole::RowCount);
    font.setPixelSize(15);
    return font;
}

int value_width(const CardField& field, int width)
{
    return field.label.empty() ? width - 2 * PAD : width - 2 * PAD - LABEL_WIDTH;
}

int line_height(const CardField& field, int width)
{
    const QFontMetrics fm(line_font());
    const QRect bound = fm.boundingRect(QRect(0, 0, std::max(40, value_width(field, width)), 10000),
                                        Qt::TextWordWrap, QString::fromStdString(field.value));
    return std::max(fm.height(), bound.height()) + 4;
}

} // namespace

int card_height(const Card& card, int width)
{
    int h = PAD + TITLE_HEIGHT;
    for (const auto& field : card.fields) h += line_height(field, width);
    return h + PAD - 4;
}

void paint_card(QPainter& p, const Card& card, const QRect& rect, bool selected)
{
    const Theme& theme = active_theme();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF box = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(qcolor(selected ? theme.accent : blend(theme.accent, theme.border, 70)), 1));
    p.setBrush(qcolor(selected ? blend(theme.panel, theme.accent, 36) : theme.panel));
    p.drawRoundedRect(box, 12, 12);

    p.setFont(title_font());
    p.setPen(qcolor(theme.accent));
    p.drawText(QRect(rect.left() + PAD, rect.top() + PAD - 4, rect.width() - 2 * PAD, TITLE_HEIGHT),
               Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(card.title));

    p.setFont(line_font());
    int y = rect.top() + PAD + TITLE_HEIGHT;
    for (const auto& field : card.fields) {
        const int h = line_height(field, rect.width());
        int x = rect.left() + PAD;
        if (!field.label.empty()) {
            p.setPen(qcolor(theme.muted));
            p.drawText(QRect(x, y, LABEL_WIDTH - 8, h), Qt::AlignLeft | Qt::AlignTop,
                       QString::fromStdString(field.label));
            x += LABEL_WIDTH;
        }
        p.setPen(qcolor(theme.text));
        p.drawText(QRect(x, y, value_width(field, rect.width()), h), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromStdString(field.value));
        y += h;
    }
    p.restore();
}

void paint_heading(QPainter& p, const QString& text, const QRect& rect, bool underline)
{
    const Theme& theme = active_theme();
    const QFont font = app_font(FontRole::SerifTitle);
    p.save();
    p.setFont(font);
    p.setPen(qcolor(theme.accent));
    p.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    if (underline) {
        const int w = QFontMetrics(font).horizontalAdvance(text);
        p.fillRect(QRect(rect.left(), rect.bottom() + 2, w, 2), qcolor(theme.accent));
    }
    p.restore();
}

void paint_section(QPainter& p, const QString& text, const QRect& rect)
{
    p.save();
    p.setFont(app_font(FontRole::Panel));
    p.setPen(qcolor(active_theme().muted));
    p.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    p.restore();
}

} // namespace ui
