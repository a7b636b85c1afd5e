#include "ui/mine_cards.h"

#include "ui/offer_cancel.h"

namespace ui {

std::string offers_waiting_text(size_t count)
{
    return std::to_string(count) + (count == 1 ? " offer waiting" : " offers waiting");
}

MineCards mine_cards(const std::vector<book::Listing>& book, const std::string& identity_key,
                     const std::string& paymail, const OfferSpendsListing& spends,
                     const BuyerCoinsSpent& coins_spent, const TimeFormatter& format)
{
    MineCards cards;
    for (const auto& listing : book) {
        if (listing.status != "live") continue;
        if (is_own_live_listing(listing, identity_key)) {
            size_t waiting = 0;
            for (const auto& offer : listing.offers)
                if (offer_counts(listing, offer, spends, coins_spent)) ++waiting;
            std::string item = item_label(listing);
            if (waiting > 0) item += "  \u00B7  " + offers_waiting_text(waiting);
            std::string expires = "-";
            if (listing.exp > 0) {
                expires = format(listing.exp, "%Y-%m-%d");
                if (expires.empty()) expires = "-";
            }
            cards.listings.push_back(Card{"Listing",
                                          {{"Item", item},
                                           {"Qty", listing.qty},
                                           {"Asking", bsv_text(listing.price_sats)},
                                           {"Expires", expires}}});
        }
        for (const auto& offer : listing.offers) {
            if (!is_own_offer(offer, identity_key, paymail)) continue;
            const std::string seller = seller_label(listing);
            cards.offers.push_back(Card{"Offer",
                                        {{"Item", item_label(listing)},
                                         {"Qty", offer.qty},
                                         {"You pay", offer.pay_sats == 0 ? "-" : bsv_text(offer.pay_sats)},
                                         {"Seller", seller.empty() ? "-" : seller}}});
        }
    }
    return cards;
}

} // namespace ui
