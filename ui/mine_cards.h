// The "Listings & Offers" window's cards: the wallet's live listings with the offers waiting
// on each, and the wallet's open offers on other listings. Pure, but the coin check it calls
// may reach the network: run it on a worker.
#pragma once

#include <string>
#include <vector>

#include "book/listing.h"
#include "ui/open_offers.h"
#include "ui/time_text.h"
#include "ui/trade_card.h"

namespace ui {

struct MineCards {
    std::vector<Card> listings;
    std::vector<Card> offers;
};

// "%d offer%s waiting".
std::string offers_waiting_text(size_t count);

// Listing cards ("Listing": "Item", with "  ·  N offers waiting" appended when offers count,
// "Qty", "Asking", "Expires") for the wallet's live listings; offer cards ("Offer": "Item",
// "Qty", "You pay", "Seller") for the wallet's offers on live listings. Book order.
MineCards mine_cards(const std::vector<book::Listing>& book, const std::string& identity_key,
                     const std::string& paymail, const OfferSpendsListing& spends,
                     const BuyerCoinsSpent& coins_spent, const TimeFormatter& format = local_time_text);

} // namespace ui
