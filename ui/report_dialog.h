// The Report dialog "TavrinNodeAgoranReport": a short free text sealed for the architect and
// sent through the report routine. Sealing needs the wallet's keys and runs on a worker.
#pragma once

#include <QPlainTextEdit>

#include "ui/dialog_context.h"
#include "ui/dialog_window.h"

namespace ui {

enum ReportControlId : int {
    ID_REPORT_TEXT = 1701,
    ID_REPORT_SEND = 1702,
    ID_REPORT_CLOSE = 1703,
    ID_REPORT_INTRO = 1704,
};

class ReportDialog : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int WIDTH = 570;
    static constexpr int HEIGHT = 320;

    explicit ReportDialog(DialogContext context);

private:
    void send();

    DialogContext m_context;
    QPlainTextEdit* m_text = nullptr;
};

} // namespace ui
