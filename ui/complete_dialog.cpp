#include "ui/complete_dialog.h"

#include <QDialogButtonBox>

#include "trade/result_text.h"
#include "ui/dialog_texts.h"

namespace ui {

CompleteDialog::CompleteDialog(DialogContext context, std::vector<CompleteRow> rows)
    : DialogWindow("TavrinNodeAgoranComplete", "Complete", COMPLETE_HEADING, &context.window()),
      m_context(std::move(context)), m_rows(std::move(rows))
{
    m_cards = new CardList(this);
    m_cards->setObjectName("complete.cards");
    m_cards->setSelectable(!m_rows.empty());
    CardList::Section section;
    for (const auto& row : m_rows) section.cards.push_back(complete_card(row));
    if (m_rows.empty()) section.cards.push_back(none_yet_card(COMPLETE_NONE));
    m_cards->setSections({section});
    connect(m_cards, &CardList::activated, this, &CompleteDialog::complete);
    body()->addWidget(m_cards, 1);

    m_run = addButton("Complete", "complete", true);
    connect(m_run, &QPushButton::clicked, this, &CompleteDialog::complete);
    setMinimumSize(620, 420);
}

void CompleteDialog::complete()
{
    const int selected = m_cards->selected();
    if (std::string refusal = complete_refusal(m_rows, selected); !refusal.empty())
        return m_context.refuse("Complete", refusal);
    if (m_context.refuseWhenBusy()) return;
    const CompleteRow row = m_rows[static_cast<size_t>(selected)];

    setChecking(true);
    QPointer<CompleteDialog> self = this;
    const DialogContext context = m_context;
    using Refusal = std::optional<trade::TradeError>;
    m_context.check<Refusal>(
        Action::Complete, STATUS_CHECKING_COINS,
        [offer = row.row](TradeServices& services) { return services.check_completion(offer); },
        [self, context, row](std::optional<Refusal> checked) {
            if (!self) return;
            self->setChecking(false);
            if (!checked) return context.refuse("Complete", trade::refusal_text("the checks stopped unexpectedly."));
            if (*checked) return context.refuse("Complete", trade::error_text(**checked));
            context.confirm("Complete", complete_question(row.row), "Complete", [self, context, row] {
                if (context.refuseWhenBusy()) return;
                if (self) self->close();
                context.startAction({Action::Complete, "Complete", STATUS_COMPLETING, STATUS_COMPLETE_DONE},
                                    [offer = row.row](TradeServices& services) { return services.run_completion(offer); });
            });
        });
}

} // namespace ui
