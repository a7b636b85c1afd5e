#include "ui/owner_button.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "ui/control_ids.h"

namespace ui {

OwnerButton::OwnerButton(int control_id, Kind kind, const QString& text, QWidget* parent)
    : QAbstractButton(parent), m_id(control_id), m_kind(kind)
{
    setObjectName(QString::number(control_id));
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover, true);
    setFont(app_font(FontRole::Button));
    setProperty("ag.hot", false);
}

void OwnerButton::setSubtitle(const QString& subtitle)
{
    m_subtitle = subtitle;
    update();
}

void OwnerButton::setGlyph(Glyph glyph)
{
    m_glyph = glyph;
    update();
}

void OwnerButton::setFlashOn(bool on)
{
    if (m_flash_on == on) return;
    m_flash_on = on;
    update();
}

void OwnerButton::setBound(bool bound)
{
    if (m_bound == bound) return;
    m_bound = bound;
    update();
}

FaceColours OwnerButton::faceColours() const
{
    ButtonState state;
    state.enabled = isEnabled();
    state.hovered = property("ag.hot").toBool();
    state.pressed = isDown();
    state.flash_on = m_flash_on;
    if (m_kind == Kind::Tile) return tile_face(m_id, state, active_theme());
    return button_face(m_id, state, active_theme(), m_bound);
}

QSize OwnerButton::sizeHint() const { return m_kind == Kind::Tile ? QSize(196, 76) : QSize(110, 34); }

void OwnerButton::enterEvent(QEnterEvent* event)
{
    setProperty("ag.hot", true);
    update();
    QAbstractButton::enterEvent(event);
}

void OwnerButton::leaveEvent(QEvent* event)
{
    setProperty("ag.hot", false);
    update();
    QAbstractButton::leaveEvent(event);
}

void OwnerButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const FaceColours colours = faceColours();
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal corner = m_kind == Kind::Tile ? 16 : 14;
    const qreal radius = std::min(corner / 2, std::min(r.width(), r.height()) / 2);

    // A soft vertical gradient over the face: a touch lighter at the top.
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    const QColor base = qcolor(colours.face);
    face.setColorAt(0, base.lighter(m_kind == Kind::Tile ? 118 : 112));
    face.setColorAt(1, base);
    p.setBrush(face);
    p.setPen(QPen(qcolor(colours.border), 1));
    p.drawRoundedRect(r, radius, radius);

    if (hasFocus()) {
        p.setPen(QPen(qcolor(active_theme().accent), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(3, 3, -3, -3), radius - 2, radius - 2);
    }

    const QColor glyph = qcolor(colours.glyph);
    if (m_kind == Kind::IconOnly) {
        const qreal g = std::min(r.width(), r.height()) * 0.58;
        draw_glyph(p, m_glyph, QRectF(r.center().x() - g / 2, r.center().y() - g / 2, g, g), glyph);
        return;
    }
    if (m_kind == Kind::Tile) {
        const QRectF badge(r.left() + 14, r.center().y() - 20, 40, 40);
        QColor ring = glyph;
        ring.setAlpha(40);
        p.setPen(Qt::NoPen);
        p.setBrush(ring);
        p.drawEllipse(badge);
        draw_glyph(p, m_glyph, badge.adjusted(9, 9, -9, -9), glyph);

        const QRectF textRect(badge.right() + 12, r.top() + 10, r.width() - badge.width() - 40, r.height() - 20);
        QFont title = app_font(FontRole::Panel);
        p.setFont(title);
        p.setPen(qcolor(colours.title));
        const QFontMetrics tm(title);
        p.drawText(QRectF(textRect.left(), textRect.top() + 4, textRect.width(), tm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, tm.elidedText(text(), Qt::ElideRight, int(textRect.width())));
        QFont sub = app_font(FontRole::RowCount);
        p.setFont(sub);
        QColor subColour = colours.title == TILE_TITLE_COLOUR ? qcolor(blend(colours.title, colours.face, 80))
                                                              : qcolor(colours.title);
        p.setPen(subColour);
        const QFontMetrics sm(sub);
        p.drawText(QRectF(textRect.left(), textRect.top() + 6 + tm.height(), textRect.width(), sm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   sm.elidedText(m_subtitle, Qt::ElideRight, int(textRect.width())));
        return;
    }
    // Plain button: glyph then label, centred together.
    p.setFont(font());
    const QFontMetrics fm(font());
    const QString label = text();
    const qreal glyphSize = m_glyph == Glyph::None ? 0 : std::min<qreal>(18, r.height() - 14);
    const qreal gap = (glyphSize > 0 && !label.trimmed().isEmpty()) ? 8 : 0;
    const qreal textWidth = fm.horizontalAdvance(label);
    const qreal total = glyphSize + gap + textWidth;
    qreal x = r.center().x() - total / 2;
    if (glyphSize > 0) {
        draw_glyph(p, m_glyph, QRectF(x, r.center().y() - glyphSize / 2, glyphSize, glyphSize), glyph);
        x += glyphSize + gap;
    }
    p.setPen(qcolor(colours.title));
    p.drawText(QRectF(x, r.top(), textWidth + 2, r.height()), Qt::AlignLeft | Qt::AlignVCenter, label);
}

TextLabel::TextLabel(int control_id, const QString& text, FontRole font, QWidget* parent)
    : QWidget(parent), m_text(text), m_colour(qcolor(active_theme().muted))
{
    if (control_id) setObjectName(QString::number(control_id));
    setFont(app_font(font));
    setAttribute(Qt::WA_TranslucentBackground, true);
}

void TextLabel::setText(const QString& text)
{
    if (m_text == text) return;
    m_text = text;
    update();
    emit textChanged(m_text);
}

void TextLabel::setColour(const QColor& colour)
{
    if (m_colour == colour) return;
    m_colour = colour;
    update();
}

void TextLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void TextLabel::setFontRole(FontRole role)
{
    setFont(app_font(role));
    update();
}

void TextLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font());
    p.setPen(m_colour);
    const QFontMetrics fm(font());
    p.drawText(rect(), int(m_alignment), fm.elidedText(m_text, Qt::ElideRight, width()));
}

void TextLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit clicked();
    QWidget::mousePressEvent(event);
}

} // namespace ui
