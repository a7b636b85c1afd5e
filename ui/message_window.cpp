#include "ui/message_window.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>

#include "ui/ui_style.h"

namespace ui {

MessageWindow::MessageWindow(const QString& title, const QString& text, const QString& txid,
                             const QString& confirmLabel, QWidget* owner)
    : QWidget(owner, Qt::Window), m_title(title), m_txid(txid), m_confirm_label(confirmLabel)
{
    setObjectName("TavrinNodeAgoranNote");
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose, true);
    resize(WIDTH, HEIGHT);
    setMinimumSize(420, 300);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("note.text");
    m_text->setReadOnly(true);
    m_text->setFont(app_font(FontRole::Body));
    m_text->setPlainText(text);

    if (!m_txid.isEmpty()) {
        m_txid_button = new OwnerButton(0, OwnerButton::Kind::Button, "txid", this);
        m_txid_button->setObjectName("note.txid");
        m_txid_button->setGlyph(Glyph::Copy);
        connect(m_txid_button, &QAbstractButton::clicked, this,
                [this] { QGuiApplication::clipboard()->setText(m_txid); });
    }
    if (m_confirm_label.isEmpty()) {
        m_close = new OwnerButton(0, OwnerButton::Kind::Button, "Close", this);
        m_close->setObjectName("note.close");
        connect(m_close, &QAbstractButton::clicked, this, &QWidget::close);
    } else {
        m_cancel = new OwnerButton(0, OwnerButton::Kind::Button, "Cancel", this);
        m_cancel->setObjectName("note.cancel");
        m_confirm = new OwnerButton(0, OwnerButton::Kind::Button, m_confirm_label, this);
        m_confirm->setObjectName("note.confirm");
        connect(m_cancel, &QAbstractButton::clicked, this, &QWidget::close);
        connect(m_confirm, &QAbstractButton::clicked, this, [this] {
            m_confirmed = true;
            close();
        });
    }
    layoutControls();
}

QString MessageWindow::text() const { return m_text->toPlainText(); }

void MessageWindow::layoutControls()
{
    const int w = width();
    const int h = height();
    m_text->setGeometry(28, 64, std::max(40, w - 56), std::max(40, h - 132));
    const int y = h - 56;
    if (m_txid_button) m_txid_button->setGeometry(28, y, 110, 36);
    if (m_close) m_close->setGeometry((w - 110) / 2, y, 110, 36);
    if (m_cancel && m_confirm) {
        const int left = (w - (122 + 110)) / 2;
        m_cancel->setGeometry(left, y, 110, 36);
        m_confirm->setGeometry(left + 122, y, 110, 36);
    }
}

void MessageWindow::resizeEvent(QResizeEvent*) { layoutControls(); }

void MessageWindow::paintEvent(QPaintEvent*)
{
    const Theme& theme = active_theme();
    QPainter p(this);
    p.fillRect(rect(), qcolor(theme.background));
    p.fillRect(QRect(0, 0, width(), 52), qcolor(theme.caption));
    p.setPen(qcolor(theme.border));
    p.drawLine(0, 52, width(), 52);
    p.setFont(app_font(FontRole::SerifTitle));
    p.setPen(qcolor(theme.accent));
    p.drawText(QRect(28, 0, width() - 56, 52), Qt::AlignLeft | Qt::AlignVCenter, m_title);
}

void MessageWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !m_text->hasFocus()) {
        if (m_confirm) m_confirmed = true;
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MessageWindow::closeEvent(QCloseEvent* event)
{
    if (!m_finished) {
        m_finished = true;
        emit finished(m_confirmed);
    }
    event->accept();
}

} // namespace ui
