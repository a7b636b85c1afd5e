#include "ui/dialog_window.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>

namespace ui {

DialogWindow::DialogWindow(const char* class_name, const QString& title, QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(class_name);
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose, true);
}

void DialogWindow::setChecking(bool checking)
{
    m_checking = checking;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->setEnabled(!checking);
    setCursor(checking ? Qt::BusyCursor : Qt::ArrowCursor);
}

void DialogWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(rect(), qcolor(active_theme().background));
    paintContent(p);
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // A multi-line edit keeps its line breaks.
        if (qobject_cast<QPlainTextEdit*>(focusWidget())) break;
        if (m_checking) return;
        if (auto* focused = qobject_cast<QAbstractButton*>(focusWidget()); focused && focused->isEnabled()) {
            focused->click();
            return;
        }
        if (m_default && m_default->isEnabled()) m_default->click();
        return;
    }
    default: break;
    }
    QWidget::keyPressEvent(event);
}

WrapLabel::WrapLabel(int control_id, const QString& text, FontRole font, QWidget* parent)
    : QWidget(parent), m_text(text)
{
    if (control_id) setObjectName(QString::number(control_id));
    setFont(app_font(font));
    setAttribute(Qt::WA_TranslucentBackground, true);
}

void WrapLabel::setText(const QString& text)
{
    if (m_text == text) return;
    m_text = text;
    update();
}

void WrapLabel::setMuted(bool muted)
{
    m_muted = muted;
    update();
}

void WrapLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font());
    const Theme& theme = active_theme();
    p.setPen(qcolor(m_muted ? theme.muted : theme.text));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
}

QLineEdit* make_edit(int control_id, const QString& text, int max_length, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::number(control_id));
    edit->setFont(app_font(FontRole::Edit));
    edit->setMaxLength(max_length);
    return edit;
}

OwnerButton* make_button(int control_id, const QString& text, QWidget* parent)
{
    return new OwnerButton(control_id, OwnerButton::Kind::Button, text, parent);
}

} // namespace ui
