// The "Listings & Offers" window's cards: the wallet's live listings with the offers waiting
// on each, and the wallet's open offers on other listings. Pure.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "book/listing.h"
#include "trade/complete_routine.h"
#include "tx/txid.h"
#include "ui/time_text.h"
#include "ui/trade_card.h"

namespace ui {

struct MineCards {
    std::vector<Card> listings;
    std::vector<Card> offers;
};

// "%d offer%s waiting".
std::string offers_waiting_text(size_t count);

// How many offers wait on each listing (by id): the rows the Complete dialog would show.
std::map<tx::Txid, size_t> waiting_counts(const std::vector<trade::OfferRow>& rows);

// Listing cards ("Listing": "Item", with "  ·  N offers waiting" appended when offers wait,
// "Qty", "Asking", "Expires") for the wallet's live listings; offer cards ("Offer": "Item",
// "Qty", "You pay", "Seller") for the wallet's offers on live listings. Book order.
MineCards mine_cards(const std::vector<book::Listing>& book, const std::string& identity_key,
                     const std::string& paymail, const std::map<tx::Txid, size_t>& waiting,
                     const TimeFormatter& format = local_time_text);

} // namespace ui
