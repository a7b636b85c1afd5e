// The Report dialog "TavrinNodeAgoranReport": a short free text sealed for the market's
// architect and sent through the report routine. Sealing needs the wallet's keys and runs on a
// worker; the dialog keeps its text until the report is sent.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/dialog_context.h"
#include "ui/dialog_window.h"

namespace ui {

class ReportDialog : public DialogWindow {
    Q_OBJECT
public:
    explicit ReportDialog(DialogContext context);
    QPlainTextEdit* textBox() const { return m_text; }
    QPushButton* sendButton() const { return m_send; }

private:
    void send();

    DialogContext m_context;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_counter = nullptr;
    QPushButton* m_send = nullptr;
};

} // namespace ui
