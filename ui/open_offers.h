// Which offers on the wallet's listings a seller can still act on, as the Complete dialog and
// the Listings & Offers window count them. Pure, but the coin check it calls may reach the
// network: run it on a worker.
#pragma once

#include <functional>
#include <string>

#include "book/listing.h"
#include "ui/waiting_offer.h"

namespace ui {

// True when any coin the offer's buyer funded it with is already spent.
using BuyerCoinsSpent = std::function<bool(const std::string& offer_hex)>;

// True when the listing is "live" and the wallet's own (identity_key not empty).
[[nodiscard]] bool is_own_live_listing(const book::Listing& listing, const std::string& identity_key);

// An offer counts unless its hex is long enough to check (80 characters or more) and either
// the listing has a utxo the offer does not spend, or the buyer's coins are spent. The coin
// check is asked only when the spend check passed.
[[nodiscard]] bool offer_counts(const book::Listing& listing, const book::Offer& offer,
                                const OfferSpendsListing& spends, const BuyerCoinsSpent& coins_spent);

} // namespace ui
