// What every trade window shares: a dialog owned by the main window, named after its class,
// deleted on close, with a heading in the accent colour. Escape closes it and Enter presses its
// default button (the dialog's own keys). While a check runs on a worker its controls are
// disabled until the answer arrives.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

class DialogWindow : public QDialog {
    Q_OBJECT
public:
    // heading: the title shown inside the window (none when empty).
    DialogWindow(const char* class_name, const QString& title, const QString& heading, QWidget* owner);

    // Busy while a check runs on a worker: every control is disabled, the window stays open.
    void setChecking(bool checking);
    bool checking() const { return m_checking; }

protected:
    QVBoxLayout* body() const { return m_body; }
    // The row of buttons along the bottom, which always ends in "Close": a button of the row
    // named name; the primary one is what Enter presses. Call after the rest of the body.
    QPushButton* addButton(const QString& text, const char* name, bool primary = false);
    void addCloseButton() { (void)buttonRow(); }

private:
    QDialogButtonBox* buttonRow();

    QVBoxLayout* m_body = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    bool m_checking = false;
};

} // namespace ui
