#include "ui/complete_dialog.h"

#include <algorithm>

#include "ui/card_painter.h"
#include "ui/control_ids.h"
#include "ui/dialog_texts.h"

namespace ui {

CompleteDialog::CompleteDialog(DialogContext context, std::vector<CompleteRow> rows)
    : DialogWindow("TavrinNodeAgoranComplete", "Complete", &context.main()), m_context(std::move(context)),
      m_rows(std::move(rows))
{
    m_cards = new CardList(this);
    m_cards->setObjectName("complete.cards");
    m_cards->setSelectable(!m_rows.empty());
    CardList::Section section;
    for (const auto& row : m_rows) section.cards.push_back(complete_card(row));
    if (m_rows.empty()) section.cards.push_back(none_yet_card(COMPLETE_NONE));
    m_cards->setSections({std::move(section)});
    connect(m_cards, &CardList::activated, this, &CompleteDialog::complete);

    m_run = make_button(ID_COMPLETE_RUN, "Complete", this);
    connect(m_run, &QAbstractButton::clicked, this, &CompleteDialog::complete);
    m_close = make_button(ID_COMPLETE_CLOSE, "Close", this);
    connect(m_close, &QAbstractButton::clicked, this, &QWidget::close);
    setDefaultButton(m_run);

    const int cards = std::clamp(m_cards->contentHeight(WIDTH), MIN_CARDS, MAX_CARDS);
    resize(WIDTH, cards + CHROME);
    setMinimumSize(WIDTH, MIN_CARDS + CHROME);
}

void CompleteDialog::resizeEvent(QResizeEvent*)
{
    // Cards between the heading and the buttons; the buttons stay along the bottom.
    m_cards->setGeometry(0, 56, width(), height() - CHROME);
    m_run->setGeometry(24, height() - 56, 148, 36);
    m_close->setGeometry(184, height() - 56, 120, 36);
}

void CompleteDialog::paintContent(QPainter& p)
{
    paint_heading(p, COMPLETE_HEADING, QRect(24, 12, width() - 48, 36), false);
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
    m_context.check<std::string>(
        ID_COMPLETE, STATUS_CHECKING_COINS,
        [offer = row.row](TradeServices& services) { return services.check_completion(offer); },
        [self, context, row](std::optional<std::string> refusal) {
            if (!self) return;
            self->setChecking(false);
            if (!refusal) return context.refuse("Complete", "error: the checks stopped unexpectedly.");
            if (!refusal->empty()) return context.refuse("Complete", *refusal);
            if (!context.main().showMessage("Complete", COMPLETE_CONFIRM, {}, COMPLETE_CONFIRM_LABEL)) return;
            if (context.refuseWhenBusy()) return;
            if (self) self->close();
            context.startAction(ID_COMPLETE, STATUS_COMPLETING, [offer = row.row](TradeServices& services) {
                return services.run_completion(offer);
            });
        });
}

} // namespace ui
