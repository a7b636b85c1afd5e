#include "ui/settings_window.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include "ui/control_ids.h"
#include "ui/help_texts.h"
#include "ui/owner_button.h"
#include "ui/ui_style.h"

namespace ui {

SettingsWindow::SettingsWindow(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName("TavrinNodeAgoranSettings");
    setWindowTitle("Settings");
    setAttribute(Qt::WA_DeleteOnClose, true);
    setFixedSize(WIDTH, HEIGHT);

    auto* label = new TextLabel(ID_SETTINGS_THEME_LABEL, "Theme", FontRole::Panel, this);
    label->setGeometry(16, 16, 120, 20);
    label->setColour(qcolor(active_theme().muted));

    m_theme = new QComboBox(this);
    m_theme->setObjectName(QString::number(ID_SETTINGS_THEME));
    m_theme->setFont(app_font(FontRole::Edit));
    for (int i = 0; i < THEME_COUNT; ++i) m_theme->addItem(QString::fromUtf8(theme_shown_name(i).data()));
    m_theme->setCurrentIndex(active_theme_index());
    m_theme->setGeometry(16, 40, 280, 30);
    connect(m_theme, &QComboBox::currentIndexChanged, this, [this, label](int index) {
        emit themeChosen(index);
        label->setColour(qcolor(active_theme().muted));
        update();
    });

    auto* terms = new OwnerButton(ID_SETTINGS_TERMS, OwnerButton::Kind::Button, "Terms of Use", this);
    terms->setGeometry(16, 90, 160, 34);
    connect(terms, &QAbstractButton::clicked, this, &SettingsWindow::termsRequested);
    auto* close = new OwnerButton(ID_SETTINGS_CLOSE, OwnerButton::Kind::Button, "Close", this);
    close->setGeometry(184, 90, 112, 34);
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
}

void SettingsWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), qcolor(active_theme().background));
}

void SettingsWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) close();
    else QWidget::keyPressEvent(event);
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) close();
    else QWidget::keyPressEvent(event);
}

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName("TavrinNodeAgoranHelp");
    setWindowTitle(HELP_HEADING);
    setAttribute(Qt::WA_DeleteOnClose, true);
    resize(WIDTH, HEIGHT);
    setMinimumSize(520, 600);
    auto* close = new OwnerButton(0, OwnerButton::Kind::Button, "Close", this);
    close->setObjectName("help.close");
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    m_close = close;
}

void HelpWindow::resizeEvent(QResizeEvent*) { m_close->setGeometry((width() - 120) / 2, height() - 52, 120, 36); }

void HelpWindow::paintEvent(QPaintEvent*)
{
    const Theme& theme = active_theme();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(rect(), qcolor(theme.background));

    const int margin = 24;
    const int w = width() - 2 * margin;
    QFont heading = app_font(FontRole::SerifTitle);
    p.setFont(heading);
    p.setPen(qcolor(theme.accent));
    p.drawText(QRect(margin, 18, w, 32), Qt::AlignLeft | Qt::AlignVCenter, HELP_HEADING);
    const int underline = QFontMetrics(heading).horizontalAdvance(HELP_HEADING);
    p.fillRect(QRect(margin, 52, underline, 2), qcolor(theme.accent));

    QFont body = app_font(FontRole::RowCount);
    body.setPixelSize(13);
    p.setFont(body);
    p.setPen(qcolor(theme.text));
    const QRect intro(margin, 64, w, 44);
    p.drawText(intro, Qt::AlignLeft | Qt::TextWordWrap, HELP_INTRO);

    const int cardTop = 116;
    const int available = height() - 52 - 16 - cardTop;
    const int gap = 10;
    const int cardHeight = std::max(56, (available - 4 * gap) / 5);
    int y = cardTop;
    int number = 1;
    for (const auto& card : help_cards()) {
        const QRectF box(margin, y, w, cardHeight);
        p.setPen(QPen(qcolor(blend(theme.accent, theme.border, 70)), 1));
        p.setBrush(qcolor(theme.panel));
        p.drawRoundedRect(box, 12, 12);
        // Step badge.
        const QRectF badge(box.left() + 14, box.top() + 14, 28, 28);
        p.setPen(Qt::NoPen);
        p.setBrush(qcolor(blend(theme.panel, theme.accent, 70)));
        p.drawEllipse(badge);
        QFont badgeFont = app_font(FontRole::Panel);
        p.setFont(badgeFont);
        p.setPen(qcolor(theme.glyph));
        p.drawText(badge, Qt::AlignCenter, QString::number(number++));

        p.setFont(app_font(FontRole::Panel));
        p.setPen(qcolor(theme.accent));
        p.drawText(QRectF(box.left() + 56, box.top() + 10, box.width() - 70, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   card.title);
        p.setFont(body);
        p.setPen(qcolor(theme.text));
        p.drawText(QRectF(box.left() + 56, box.top() + 36, box.width() - 70, box.height() - 42),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, card.text);
        y += cardHeight + gap;
    }
}

} // namespace ui
