#include "ui/buy_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>

#include "trade/dialog_checks.h"
#include "trade/result_text.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"
#include "ui/main_texts.h"
#include "ui/quantity_text.h"
#include "ui/seller_choices.h"
#include "ui/thumbnail_cache.h"
#include "ui/thumbnail_key.h"
#include "ui/trade_card.h"
#include "ui/widgets.h"

namespace ui {

BuyDialog::BuyDialog(DialogContext context, const book::Listing& listing)
    : DialogWindow("TavrinNodeAgoranBuy", "Buy", "Buy " + qtext(item_label(listing)), &context.window()),
      m_context(std::move(context)), m_held(listing)
{
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    m_picture = new QLabel(this);
    m_picture->setObjectName("picture");
    m_picture->setFixedSize(PICTURE_SIZE, PICTURE_SIZE);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setProperty("role", "muted");
    m_picture->setText("Loading the picture...");
    m_picture->setWordWrap(true);
    top->addWidget(m_picture, 0, Qt::AlignTop);

    auto* facts = new QFormLayout;
    facts->setHorizontalSpacing(14);
    auto add = [&](const std::string& label, const std::string& value, const char* name) {
        auto* shown = make_wrapped_label(qtext(value), nullptr, this);
        shown->setObjectName(name);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        facts->addRow(make_label(qtext(label), "muted", this), shown);
    };
    add("Item", item_label(listing), "item");
    add("Kind", listing.kind == book::ListingKind::Picture ? "picture (one inscription)" : "token", "kind");
    std::string seller = seller_label(listing);
    if (!listing.paymail.empty() && listing.paymail != seller) seller += " (" + listing.paymail + ")";
    add("Seller", seller, "seller");
    add("On offer", quantity_text(listing, listing.qty), "available");
    add("Price", bsv_text(listing.price_sats) + " total", "price");
    if (listing.kind != book::ListingKind::Picture) add("Per " + unit_label(listing), unit_price_text(listing) + " BSV", "unitPrice");
    if (const std::string note = seller_note_text(listing); !note.empty()) add("Seller's note", note, "note");
    top->addLayout(facts, 1);
    body()->addLayout(top);

    m_warning = make_wrapped_label(qtext(seller_name_warning(listing)), "warning", this);
    m_warning->setObjectName("warning");
    m_warning->setVisible(!m_warning->text().isEmpty());
    body()->addWidget(m_warning);

    auto* qty_row = new QHBoxLayout;
    qty_row->addWidget(make_label("Quantity", "muted", this));
    m_qty = new QLineEdit(qtext(quantity_number(listing, listing.qty.empty() ? "1" : listing.qty)), this);
    m_qty->setObjectName("qty");
    m_qty->setMaxLength(static_cast<int>(trade::BOX_TEXT_MAX));
    // A picture is bought whole.
    m_qty->setReadOnly(listing.kind == book::ListingKind::Picture);
    qty_row->addWidget(m_qty, 1);
    qty_row->addWidget(make_label(qtext(unit_label(listing)), "muted", this));
    body()->addLayout(qty_row);
    m_cost = make_wrapped_label("", "value", this);
    m_cost->setObjectName("cost");
    body()->addWidget(m_cost);
    body()->addWidget(make_wrapped_label(QString(BUY_NOTE_PRO_RATA) + " " + BUY_NOTE_SELLER, "muted", this));
    connect(m_qty, &QLineEdit::textChanged, this, &BuyDialog::showCost);
    showCost();

    m_post = addButton("Post offer", "post", true);
    connect(m_post, &QPushButton::clicked, this, &BuyDialog::postOffer);
    setMinimumWidth(560);

    // The real inscription, drawn large before anything is paid.
    QPointer<BuyDialog> self = this;
    m_context.controller().runJob<QImage>(
        [key = thumbnail_key(listing)](MarketServices& services) {
            return ThumbnailCache::fetch_image(services, key, PICTURE_SIZE);
        },
        [self](QImage image) {
            if (!self) return;
            if (image.isNull()) return self->m_picture->setText("The picture could not be read.");
            self->m_picture->setPixmap(QPixmap::fromImage(image));
        });
}

CostLine BuyDialog::costLine() const { return buy_cost_line(m_held, utf8(m_qty->text())); }

void BuyDialog::showCost()
{
    const CostLine line = costLine();
    m_cost->setText(qtext(line.text));
    set_style_property(m_cost, "role", line.accent ? "value" : "bad");
}

void BuyDialog::postOffer()
{
    MarketController& controller = m_context.controller();
    if (std::string refusal = held_listing_refusal(m_held, controller.book()); !refusal.empty())
        return m_context.refuse("Buy", refusal);
    if (m_context.refuseWhenBusy()) return;
    // A quantity that is not a number of the listing's units, or more than it holds.
    const auto units = typed_quantity(m_held, utf8(m_qty->text()));
    if (const CostLine line = costLine(); !units || !line.accent) return m_context.refuse("Buy", line.text);
    book::Listing listing = m_held;
    listing.offers.clear();

    setChecking(true);
    QPointer<BuyDialog> self = this;
    const DialogContext context = m_context;
    m_context.check<trade::BuyPlan>(
        Action::Buy, STATUS_CHECKING_OFFER,
        [listing, qty = *units](TradeServices& services) { return services.plan_buy(listing, qty); },
        [self, context, listing](std::optional<trade::BuyPlan> plan) {
            if (!self) return;
            self->setChecking(false);
            if (!plan) return context.refuse("Buy", trade::refusal_text("the checks stopped unexpectedly."));
            if (plan->refusal) return context.refuse("Buy", trade::error_text(*plan->refusal));
            // The book may have been reloaded while the checks ran.
            if (std::string refusal = held_listing_refusal(listing, context.controller().book()); !refusal.empty())
                return context.refuse("Buy", refusal);
            context.startAction({Action::Buy, "Buy", STATUS_BUILDING_OFFER, STATUS_BUY_DONE},
                                [plan = *plan](TradeServices& services) { return services.run_buy(plan); });
            self->close();
        });
}

} // namespace ui
