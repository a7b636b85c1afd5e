// The Complete dialog's rows: the offers on the wallet's live listings that a sale could
// still come from, the card each is drawn as, and the checks of the Complete button that need
// no network. Pure.
#pragma once

#include <string>
#include <vector>

#include "book/listing.h"
#include "ui/offer_verdict.h"
#include "ui/open_offers.h"
#include "ui/trade_card.h"

namespace ui {

struct CompleteRow {
    book::Listing listing;  // a copy without its offers
    book::Offer offer;
    OfferVerdict verdict;   // what the seller's check finds; filled by the worker
    bool signed_bytes() const { return !offer.offer.empty(); }
};

// Rows in book order, then offer order: the offers of the wallet's own live listings that
// count (open_offers.h).
std::vector<CompleteRow> complete_rows(const std::vector<book::Listing>& book, const std::string& identity_key,
                                       const OfferSpendsListing& spends, const BuyerCoinsSpent& coins_spent);

// "Offer", or "Offer (needs a new post)" without signed bytes; the lines "Item", "Qty", "They
// pay", "Buyer" and "Seller's check".
Card complete_card(const CompleteRow& row);

// The Complete button's checks before the network: "Pick an offer." (no row selected, -1),
// "Nobody has offered on your listings yet." (no rows), "That offer has no signed bytes. ..."
// ; "" when the selected row may go on.
std::string complete_refusal(const std::vector<CompleteRow>& rows, int selected);

} // namespace ui
