#include "ui/report_dialog.h"

#include <QDialogButtonBox>

#include "trade/dialog_checks.h"
#include "trade/result_text.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"
#include "ui/widgets.h"

namespace ui {

namespace {

const ActionSpec REPORT_ACTION{Action::Report, "Report", STATUS_SENDING_REPORT, STATUS_REPORT_DONE};

} // namespace

ReportDialog::ReportDialog(DialogContext context)
    : DialogWindow("TavrinNodeAgoranReport", "Report", "Report an issue", &context.window()),
      m_context(std::move(context))
{
    body()->addWidget(make_wrapped_label(REPORT_INTRO, "muted", this));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("text");
    m_text->setTabChangesFocus(true);
    m_text->setMinimumHeight(140);
    body()->addWidget(m_text, 1);
    m_counter = make_label("", "muted", this);
    m_counter->setObjectName("counter");
    m_counter->setAlignment(Qt::AlignRight);
    body()->addWidget(m_counter);
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        const size_t bytes = static_cast<size_t>(m_text->toPlainText().toUtf8().size());
        m_counter->setText(QString("%1 / %2").arg(bytes).arg(trade::REPORT_BYTES_MAX));
        set_style_property(m_counter, "role", bytes > trade::REPORT_BYTES_MAX ? "bad" : "muted");
    });
    emit m_text->textChanged();

    // Enter adds a line to the report; the button sends it.
    m_send = addButton("Send report", "send");
    connect(m_send, &QPushButton::clicked, this, &ReportDialog::send);
    setMinimumWidth(520);
}

void ReportDialog::send()
{
    const WalletSnapshot& wallet = m_context.controller().wallet();
    if (!wallet.bound || wallet.paymail.empty()) return m_context.refuse("Report", REPORT_CONNECT);
    const std::string text = utf8(m_text->toPlainText());
    if (auto refusal = trade::check_report_text(text)) return m_context.refuse("Report", trade::error_text(*refusal));
    if (m_context.refuseWhenBusy()) return;

    // The report is sealed and sent in one routine; the dialog waits for it, so that a report
    // that could not be sealed or sent keeps its text.
    setChecking(true);
    QPointer<ReportDialog> self = this;
    const DialogContext context = m_context;
    using Sent = trade::TradeResult<trade::Sent>;
    m_context.check<Sent>(
        Action::Report, STATUS_SENDING_REPORT, [text](TradeServices& services) { return services.send_report(text); },
        [self, context](std::optional<Sent> result) {
            if (self) self->setChecking(false);
            const Sent sent = result ? *result : Sent(trade::TradeError(trade::TradeCode::EncryptFailed));
            if (self && sent) self->close();
            context.controller().finishAction(REPORT_ACTION, sent);
        });
}

} // namespace ui
