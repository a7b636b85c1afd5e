#include "ui/card_painter.h"

#include <QFontMetrics>

#include "ui/ui_style.h"

namespace ui {

namespace {

constexpr int PAD = 14;
constexpr int MIN_LABEL_WIDTH = 150;
constexpr int TITLE_HEIGHT = 28;

QFont title_font() { return app_font(FontRole::Panel); }
QFont line_font()
{
    QFont font = app_font(FontRole::RowCount);
    font.setPixelSize(15);
    return font;
}

// The label column: wide enough for the card's longest label.
int label_width(const Card& card)
{
    const QFontMetrics fm(line_font());
    int widest = 0;
    for (const auto& field : card.fields) widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(field.label)));
    return std::max(MIN_LABEL_WIDTH, widest + 24);
}

int value_width(const CardField& field, int width, int labels)
{
    return field.label.empty() ? width - 2 * PAD : width - 2 * PAD - labels;
}

int line_height(const CardField& field, int width, int labels)
{
    const QFontMetrics fm(line_font());
    const QRect bound = fm.boundingRect(QRect(0, 0, std::max(40, value_width(field, width, labels)), 10000),
                                        Qt::TextWordWrap, QString::fromStdString(field.value));
    return std::max(fm.height(), bound.height()) + 4;
}

QColor value_colour(CardField::Tone tone, const Theme& theme)
{
    switch (tone) {
    case CardField::Tone::Normal: return qcolor(theme.text);
    case CardField::Tone::Good: return QColor(0x38, 0xCC, 0x62);
    case CardField::Tone::Bad: return QColor(0xDC, 0x38, 0x38);
    }
    return qcolor(theme.text);
}

} // namespace

int card_height(const Card& card, int width)
{
    const int labels = label_width(card);
    int h = PAD + TITLE_HEIGHT;
    for (const auto& field : card.fields) h += line_height(field, width, labels);
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
    const int labels = label_width(card);
    int y = rect.top() + PAD + TITLE_HEIGHT;
    for (const auto& field : card.fields) {
        const int h = line_height(field, rect.width(), labels);
        int x = rect.left() + PAD;
        if (!field.label.empty()) {
            p.setPen(qcolor(theme.muted));
            p.drawText(QRect(x, y, labels - 8, h), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(field.label));
            x += labels;
        }
        p.setPen(value_colour(field.tone, theme));
        p.drawText(QRect(x, y, value_width(field, rect.width(), labels), h),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, QString::fromStdString(field.value));
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
