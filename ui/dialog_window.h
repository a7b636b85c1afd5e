// What every trade window shares: a top-level window owned by the main window, named after
// its class, deleted on close, painted in the active theme; Escape closes it, Enter presses
// the focused button or else the default one, Tab walks the controls. While a check runs on a
// worker the window shows it is busy: its controls are disabled until the answer arrives.
#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include "ui/owner_button.h"
#include "ui/ui_style.h"

namespace ui {

class DialogWindow : public QWidget {
    Q_OBJECT
public:
    DialogWindow(const char* class_name, const QString& title, QWidget* owner);

    // The button Enter presses when no button has the focus.
    void setDefaultButton(QAbstractButton* button) { m_default = button; }
    QAbstractButton* defaultButton() const { return m_default; }

    // Busy while a check runs on a worker: every control is disabled, the window stays open.
    void setChecking(bool checking);
    bool checking() const { return m_checking; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Drawn over the background.
    virtual void paintContent(QPainter&) {}

private:
    QPointer<QAbstractButton> m_default;
    bool m_checking = false;
};

// A label that wraps its text, drawn in the theme's muted (or text) colour.
class WrapLabel : public QWidget {
    Q_OBJECT
public:
    WrapLabel(int control_id, const QString& text, FontRole font, QWidget* parent);
    QString text() const { return m_text; }
    void setText(const QString& text);
    void setMuted(bool muted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    bool m_muted = true;
};

// A single-line edit with an identifier, the edit font and a length limit.
QLineEdit* make_edit(int control_id, const QString& text, int max_length, QWidget* parent);

// A dialog button with an identifier.
OwnerButton* make_button(int control_id, const QString& text, QWidget* parent);

} // namespace ui
