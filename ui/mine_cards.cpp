#include "ui/mine_cards.h"

#include "trade/cancel_routine.h"
#include "ui/offer_cancel.h"
#include "ui/quantity_text.h"

namespace ui {

std::string offers_waiting_text(size_t count)
{
    return std::to_string(count) + (count == 1 ? " offer waiting" : " offers waiting");
}

std::map<tx::Txid, size_t> waiting_counts(const std::vector<trade::OfferRow>& rows)
{
    std::map<tx::Txid, size_t> counts;
    for (const auto& row : rows) ++counts[row.listing.id];
    return counts;
}

MineCards mine_cards(const std::vector<book::Listing>& book, const std::string& identity_key,
                     const std::string& paymail, const std::map<tx::Txid, size_t>& waiting,
                     const TimeFormatter& format)
{
    MineCards cards;
    for (const auto& listing : book) {
        if (listing.status != book::ListingStatus::Live) continue;
        if (!identity_key.empty() && listing.pubkey == identity_key) {
            std::string item = item_label(listing);
            if (const auto it = waiting.find(listing.id); it != waiting.end() && it->second > 0)
                item += "  \u00B7  " + offers_waiting_text(it->second);
            std::string expires = "-";
            if (listing.exp > 0) {
                expires = format(listing.exp, "%Y-%m-%d");
                if (expires.empty()) expires = "-";
            }
            cards.listings.push_back(Card{"Listing",
                                          {{"Item", item},
                                           {"Qty", quantity_text(listing, listing.qty)},
                                           {"Asking", bsv_text(listing.price_sats)},
                                           {"Expires", expires}}});
        }
        for (const auto& offer : listing.offers) {
            if (!trade::is_own_offer(offer, identity_key, paymail)) continue;
            const std::string seller = seller_label(listing);
            cards.offers.push_back(Card{"Offer",
                                        {{"Item", item_label(listing)},
                                         {"Qty", quantity_text(listing, offer.qty)},
                                         {"You pay", offer.pay_sats == 0 ? "-" : bsv_text(offer.pay_sats)},
                                         {"Seller", seller.empty() ? "-" : seller}}});
        }
    }
    return cards;
}

} // namespace ui
