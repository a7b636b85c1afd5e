#include "ui/report_dialog.h"

#include "ui/control_ids.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"

namespace ui {

ReportDialog::ReportDialog(DialogContext context)
    : DialogWindow("TavrinNodeAgoranReport", "Report", &context.main()), m_context(std::move(context))
{
    setFixedSize(WIDTH, HEIGHT);
    auto* intro = new WrapLabel(ID_REPORT_INTRO, REPORT_INTRO, FontRole::Edit, this);
    intro->setGeometry(16, 16, 520, 36);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QString::number(ID_REPORT_TEXT));
    m_text->setFont(app_font(FontRole::Edit));
    m_text->setTabChangesFocus(true);
    m_text->setGeometry(16, 56, 520, 160);
    auto* send = make_button(ID_REPORT_SEND, "Send report", this);
    send->setGeometry(16, 230, 150, 34);
    connect(send, &QAbstractButton::clicked, this, &ReportDialog::send);
    auto* close = make_button(ID_REPORT_CLOSE, "Close", this);
    close->setGeometry(176, 230, 120, 34);
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    setDefaultButton(send);
}

void ReportDialog::send()
{
    const WalletSnapshot& wallet = m_context.main().wallet();
    if (!wallet.bound || wallet.paymail.empty()) return m_context.refuse("Report", REPORT_CONNECT);
    const std::string text = utf8(m_text->toPlainText());
    if (std::string refusal = report_text_refusal(text); !refusal.empty()) return m_context.refuse("Report", refusal);
    if (m_context.refuseWhenBusy()) return;

    // The report is sealed and sent in one routine; the dialog waits for it, so that a report
    // that could not be sealed or sent keeps its text.
    setChecking(true);
    QPointer<ReportDialog> self = this;
    const DialogContext context = m_context;
    m_context.check<std::string>(
        ID_REPORT, STATUS_SENDING_REPORT, [text](TradeServices& services) { return services.send_report(text); },
        [self, context](std::optional<std::string> result) {
            if (self) self->setChecking(false);
            const std::string text = result ? *result : std::string("error: ") + REPORT_NO_ENCRYPT;
            if (self && text.rfind("success", 0) == 0) self->close();
            context.postResult(text);
        });
}

} // namespace ui
