#include "ui/complete_rows.h"

#include "ui/dialog_texts.h"

namespace ui {

std::vector<CompleteRow> complete_rows(const std::vector<book::Listing>& book, const std::string& identity_key,
                                       const OfferSpendsListing& spends, const BuyerCoinsSpent& coins_spent)
{
    std::vector<CompleteRow> rows;
    for (const auto& listing : book) {
        if (!is_own_live_listing(listing, identity_key)) continue;
        for (const auto& offer : listing.offers) {
            if (!offer_counts(listing, offer, spends, coins_spent)) continue;
            CompleteRow row;
            row.listing = listing;
            row.listing.offers.clear();
            row.offer = offer;
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

Card complete_card(const CompleteRow& row)
{
    Card card;
    card.title = row.signed_bytes() ? "Offer" : "Offer (needs a new post)";
    card.fields = {
        {"Item", name_and_symbol(row.listing)},
        {"Qty", row.offer.qty},
        {"They pay", bsv_text(row.offer.pay_sats)},
        {"Buyer", row.offer.handle},
        {"Seller's check", verdict_text(row.verdict)},
    };
    if (row.verdict.checked)
        card.fields.back().tone = row.verdict.passes ? CardField::Tone::Good : CardField::Tone::Bad;
    return card;
}

std::string complete_refusal(const std::vector<CompleteRow>& rows, int selected)
{
    if (selected < 0) return COMPLETE_PICK;
    if (rows.empty()) return COMPLETE_NONE;
    if (static_cast<size_t>(selected) >= rows.size()) return COMPLETE_PICK;
    if (!rows[static_cast<size_t>(selected)].signed_bytes()) return COMPLETE_UNSIGNED;
    return {};
}

} // namespace ui
