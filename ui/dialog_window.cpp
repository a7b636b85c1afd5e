#include "ui/dialog_window.h"

#include "ui/widgets.h"

namespace ui {

DialogWindow::DialogWindow(const char* class_name, const QString& title, const QString& heading, QWidget* owner)
    : QDialog(owner)
{
    setObjectName(class_name);
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose, true);
    m_body = new QVBoxLayout(this);
    m_body->setSpacing(10);
    // The window grows when a line appears or wraps further (the rest of a lot, a warning).
    m_body->setSizeConstraint(QLayout::SetMinimumSize);
    if (!heading.isEmpty()) m_body->addWidget(make_label(heading, "title", this));
}

QDialogButtonBox* DialogWindow::buttonRow()
{
    if (m_buttons) return m_buttons;
    m_buttons = new QDialogButtonBox(this);
    QPushButton* close = m_buttons->addButton("Close", QDialogButtonBox::RejectRole);
    close->setObjectName("close");
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_body->addWidget(m_buttons);
    return m_buttons;
}

QPushButton* DialogWindow::addButton(const QString& text, const char* name, bool primary)
{
    QPushButton* button = buttonRow()->addButton(text, primary ? QDialogButtonBox::AcceptRole : QDialogButtonBox::ActionRole);
    button->setObjectName(name);
    button->setDefault(primary);
    return button;
}

void DialogWindow::setChecking(bool checking)
{
    m_checking = checking;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->setEnabled(!checking);
    setCursor(checking ? Qt::BusyCursor : Qt::ArrowCursor);
}

} // namespace ui
