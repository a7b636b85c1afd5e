#include "ui/widgets.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/app_art.h"

namespace ui {

QLabel* make_label(const QString& text, const char* role, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    if (role) label->setProperty("role", role);
    return label;
}

QLabel* make_wrapped_label(const QString& text, const char* role, QWidget* parent)
{
    auto* label = make_label(text, role, parent);
    label->setWordWrap(true);
    return label;
}

QPushButton* make_button(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QToolButton* make_icon_button(Glyph glyph, const QString& tip, const char* name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(glyph_icon(glyph, qcolor(active_theme().glyph)));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

TileButton::TileButton(const char* name, Glyph glyph, const QColor& glyph_colour, const QString& title,
                       const QString& subtitle, QWidget* parent)
    : QPushButton(parent)
{
    setObjectName(name);
    setProperty("tile", name);
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(false);
    setAccessibleName(title);
    // The glyph on a faint disc of its own colour.
    QPixmap badge(36, 36);
    badge.fill(Qt::transparent);
    {
        QPainter p(&badge);
        p.setRenderHint(QPainter::Antialiasing, true);
        QColor ring = glyph_colour;
        ring.setAlpha(40);
        p.setPen(Qt::NoPen);
        p.setBrush(ring);
        p.drawEllipse(badge.rect());
        p.drawPixmap(8, 8, glyph_pixmap(glyph, glyph_colour, 20));
    }
    auto* icon = new QLabel(this);
    icon->setPixmap(badge);
    m_title = new QLabel(title, this);
    m_title->setObjectName("tileTitle");
    m_subtitle = new QLabel(subtitle, this);
    m_subtitle->setObjectName("tileSubtitle");
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 6, 12, 6);
    row->setSpacing(10);
    row->addWidget(icon);
    row->addLayout(texts, 1);
    for (QWidget* w : {static_cast<QWidget*>(icon), static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_subtitle)})
        w->setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void TileButton::setFlash(bool on) { set_style_property(this, "flash", on); }

// The tile is as large as its glyph and texts need, so the window never cuts them.
QSize TileButton::sizeHint() const { return layout()->sizeHint(); }
QSize TileButton::minimumSizeHint() const { return layout()->minimumSize(); }

BannerWidget::BannerWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("banner");
    setAttribute(Qt::WA_StyledBackground, false);
}

void BannerWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QRect band = rect();
    const QPixmap& art = app_art().banner;
    if (!art.isNull() && band.width() >= 8 && band.height() >= 8) {
        const double scale = std::max(double(band.width()) / art.width(), double(band.height()) / art.height());
        const double sw = band.width() / scale;
        const double sh = band.height() / scale;
        p.drawPixmap(QRectF(band), art, QRectF((art.width() - sw) / 2, (art.height() - sh) / 2, sw, sh));
    } else {
        QLinearGradient g(band.topLeft(), band.bottomRight());
        g.setColorAt(0, QColor(0x04, 0x08, 0x12));
        g.setColorAt(1, palette().color(QPalette::Light));
        p.fillRect(band, g);
    }
    p.fillRect(QRect(0, band.height() - 2, band.width(), 2), palette().color(QPalette::Link).darker(160));
}

} // namespace ui
