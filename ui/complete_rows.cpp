#include "ui/complete_rows.h"

#include "trade/error.h"
#include "ui/dialog_texts.h"
#include "ui/quantity_text.h"

namespace ui {

std::string verdict_text(const std::optional<trade::OfferCheck>& check)
{
    if (!check) return "-";
    if (check->passes)
        return "Pays you " + bsv_text(check->paid_sats) + " (" + bsv_text(check->due_sats) + " due). Passes.";
    return "Refused: " + trade::error_text(check->error);
}

Card complete_card(const CompleteRow& row)
{
    const book::Offer& offer = row.row.offer;
    Card card;
    card.title = row.row.has_signed_bytes() ? "Offer" : "Offer (needs a new post)";
    card.fields = {
        {"Item", name_and_symbol(row.row.listing)},
        {"Qty", quantity_text(row.row.listing, offer.qty)},
        {"They pay", bsv_text(offer.pay_sats)},
        {"Buyer", offer.handle},
        {"Seller's check", verdict_text(row.check)},
    };
    if (row.check) card.fields.back().tone = row.check->passes ? CardField::Tone::Good : CardField::Tone::Bad;
    return card;
}

std::string complete_refusal(const std::vector<CompleteRow>& rows, int selected)
{
    if (selected < 0) return COMPLETE_PICK;
    if (rows.empty()) return COMPLETE_NONE;
    if (static_cast<size_t>(selected) >= rows.size()) return COMPLETE_PICK;
    if (!rows[static_cast<size_t>(selected)].row.has_signed_bytes()) return trade_refusal(trade::TradeCode::OfferNotSigned);
    return {};
}

} // namespace ui
