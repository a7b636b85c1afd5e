// The message window "TavrinNodeAgoranNote": a compact dialog with a title, one short line (and
// any lines the result adds), the transaction it names shortened ("3f6c1d…4e3f2a") with a
// button that copies it in full, and the event log of this session (new offers, fills). In
// confirm mode it asks a question: the caller's confirm button and "Close"; it is opened with
// QDialog::open(), never a nested event loop, and the answer arrives through a callback.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <vector>

#include "ui/market_controller.h"

namespace ui {

class MessageWindow : public QDialog {
    Q_OBJECT
public:
    // An information window; txid may be empty.
    MessageWindow(const QString& title, const QString& text, const QString& txid, QWidget* parent);

    // Asks a question window-modally and returns at once; on_confirm runs when the confirm
    // button is pressed (never when the window is closed otherwise).
    static MessageWindow* ask(QWidget* parent, const QString& title, const QString& question,
                              const QString& confirm_label, std::function<void()> on_confirm);

    // Shows the session's events beneath the message (newest first); hidden when empty.
    void setEvents(const std::vector<LoggedEvent>& events);

    QString title() const { return windowTitle(); }
    QString text() const { return m_text->text(); }
    QString txid() const { return m_txid; }
    bool confirmMode() const { return m_confirm != nullptr; }
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* closeButton() const { return m_close; }
    QListWidget* eventList() const { return m_events; }

private:
    MessageWindow(const QString& title, const QString& text, const QString& txid, const QString& confirm_label,
                  QWidget* parent);

    QString m_txid;
    QLabel* m_text = nullptr;
    QListWidget* m_events = nullptr;
    QLabel* m_events_heading = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace ui
