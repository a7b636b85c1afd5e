#include "ui/list_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QStandardItemModel>


#include "core/token_amount.h"
#include "trade/dialog_checks.h"
#include "trade/result_text.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"
#include "ui/quantity_text.h"
#include "ui/widgets.h"

namespace ui {

namespace {

} // namespace

ListDialog::ListDialog(DialogContext context, std::vector<wallet::TvPursaOrdRow> lots)
    : DialogWindow("TavrinNodeAgoranList", "List", "List a lot", &context.window()), m_context(std::move(context)),
      m_lots(std::move(lots))
{
    const WalletSnapshot& wallet = m_context.controller().wallet();
    auto* form = new QFormLayout;
    form->setHorizontalSpacing(14);
    m_lot = new QComboBox(this);
    m_lot->setObjectName("lot");
    for (const auto& lot : m_lots) {
        const bool listed = lot_is_listed(lot, wallet.reserved_utxos);
        m_listed.push_back(listed);
        m_lot->addItem(qtext(lot_choice_label(lot, listed)));
        if (listed)
            m_lot->setItemData(m_lot->count() - 1, "Held for a listing until that listing ends.", Qt::ToolTipRole);
    }
    form->addRow(make_label("Lot", "muted", this), m_lot);

    // A box with a note of its own to its right.
    auto add_row = [&](const char* label, const char* name, int max_length, QLabel*& note, const char* note_name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setMaxLength(max_length);
        note = make_label("", "muted", this);
        note->setObjectName(note_name);
        auto* row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(note);
        form->addRow(make_label(label, "muted", this), row);
        return edit;
    };
    m_qty = add_row("Quantity", "qty", static_cast<int>(trade::BOX_TEXT_MAX), m_held, "held");
    m_rest = make_wrapped_label("", "warning", this);
    m_rest->setObjectName("rest");
    form->addRow(m_rest);

    m_price = add_row("Price (BSV)", "price", static_cast<int>(trade::BOX_TEXT_MAX), m_unit_price, "unitPrice");
    m_price->setPlaceholderText("total, in BSV");
    m_note = add_row("Note", "note", static_cast<int>(trade::NOTE_BOX_MAX), m_counter, "noteCounter");
    m_note->setPlaceholderText("required, shown to buyers as your note");
    body()->addLayout(form);
    body()->addWidget(make_wrapped_label(LIST_INFO, "muted", this));

    m_post = addButton("Post listing", "post", true);
    connect(m_post, &QPushButton::clicked, this, &ListDialog::postListing);

    connect(m_lot, &QComboBox::currentIndexChanged, this, &ListDialog::lotChosen);
    for (QLineEdit* edit : {m_qty, m_price, m_note}) connect(edit, &QLineEdit::textChanged, this, &ListDialog::updateTexts);
    // The first lot not listed yet.
    int first = 0;
    while (first < static_cast<int>(m_listed.size()) && m_listed[static_cast<size_t>(first)]) ++first;
    m_lot->setCurrentIndex(m_lots.empty() ? -1 : first < static_cast<int>(m_lots.size()) ? first : 0);
    lotChosen();
    setMinimumWidth(520);
}

const wallet::TvPursaOrdRow* ListDialog::chosenLot() const
{
    const int choice = m_lot->currentIndex();
    return choice >= 0 && static_cast<size_t>(choice) < m_lots.size() ? &m_lots[static_cast<size_t>(choice)] : nullptr;
}

void ListDialog::lotChosen()
{
    const wallet::TvPursaOrdRow* lot = chosenLot();
    // A picture is listed whole; a token lot defaults to all that is held.
    const bool picture = lot && lot->is_picture();
    m_qty->setReadOnly(picture);
    m_qty->setEnabled(lot && !picture);
    if (lot) m_qty->setText(picture ? QString("1") : qtext(core::format_token_amount(lot->amt, lot_decimals(*lot)).value_or(lot->amt)));
    m_held->setText(lot ? "you hold " + qtext(lot_held_text(*lot)) : QString());
    updateTexts();
}

void ListDialog::updateTexts()
{
    const wallet::TvPursaOrdRow* lot = chosenLot();
    const std::string rest = lot ? lot_rest_note(*lot, utf8(m_qty->text())) : std::string();
    m_rest->setText(qtext(rest));
    m_rest->setVisible(!rest.empty());

    // The price of one unit, once both boxes hold numbers.
    QString per_unit;
    const auto price = trade::parse_price_box(utf8(m_price->text()));
    const auto units = lot ? lot_quantity(*lot, utf8(m_qty->text())) : std::nullopt;
    if (lot && price && units && !lot->is_picture()) {
        book::Listing as_listed;
        as_listed.kind = book::ListingKind::Token;
        as_listed.qty = *units;
        as_listed.price_sats = static_cast<uint64_t>(*price);
        as_listed.dec = lot_decimals(*lot);
        per_unit = "= " + qtext(unit_price_text(as_listed)) + " BSV each";
    }
    m_unit_price->setText(per_unit);

    const size_t bytes = static_cast<size_t>(m_note->text().toUtf8().size());
    m_counter->setText(QString("%1 / %2").arg(bytes).arg(trade::NOTE_BYTES_MAX));
    set_style_property(m_counter, "role", bytes > trade::NOTE_BYTES_MAX ? "bad" : "muted");
}

void ListDialog::postListing()
{
    if (m_context.refuseWhenBusy()) return;
    const WalletSnapshot& wallet = m_context.controller().wallet();
    if (!wallet.bound) return m_context.refuse("List", trade_refusal(trade::TradeCode::ConnectFirst));
    if (wallet.paymail.empty())
        return m_context.refuse("List", trade_refusal(trade::TradeCode::PublishName, m_context.services()->registry_domain()));

    // No valid lot selected leaves the routine an empty lot, which it refuses.
    trade::ListRequest request;
    const wallet::TvPursaOrdRow* lot = chosenLot();
    if (lot) {
        if (m_listed[static_cast<size_t>(m_lot->currentIndex())]) return m_context.refuse("List", LIST_ALREADY_LISTED);
        request.lot = lot_to_list(*lot);
        // The routine reads base units; what was typed is in the token's units.
        request.qty = lot_quantity(*lot, utf8(m_qty->text())).value_or(utf8(m_qty->text()));
    }
    request.price = utf8(m_price->text());
    request.note = utf8(m_note->text());

    setChecking(true);
    QPointer<ListDialog> self = this;
    const DialogContext context = m_context;
    m_context.check<ListCheck>(
        Action::List, STATUS_CHECKING_LISTING,
        [request](TradeServices& services) { return run_list_checks(request, services); },
        [self, context](std::optional<ListCheck> plan) {
            if (!self) {
                // Closed while its lot was being reserved: nothing is posted, so let the lot go.
                if (plan && plan->refusal.empty())
                    run_on_pool(Pool::Actions, [services = context.services(), outpoint = plan->outpoint] {
                        services->reserve_remove(outpoint);
                    });
                return;
            }
            self->setChecking(false);
            if (!plan) return context.refuse("List", trade::refusal_text("the checks stopped unexpectedly."));
            if (!plan->refusal.empty()) return context.refuse("List", plan->refusal);
            context.startAction({Action::List, "List", STATUS_POSTING_LISTING, STATUS_LIST_DONE, true},
                                [post = plan->post, outpoint = plan->outpoint](TradeServices& services) {
                                    return services.publish_listing(post, outpoint);
                                });
            self->close();
        });
}

} // namespace ui
