// Completing a sale from the seller's side: the offers waiting on the wallet's listings, the
// Complete dialog's checks, and the completion worker that signs, broadcasts and posts the
// "ag_fill". The desktop program and the command line run the same steps.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "book/listing.h"
#include "trade/error.h"

namespace trade {
class MarketSession;
}

namespace trade {

struct OfferRow {
    book::Offer offer;
    book::Listing listing;

    [[nodiscard]] bool has_signed_bytes() const { return !offer.offer.empty(); }
};

// The offers on the wallet's own live listings (its identity key my_key), in book order and
// then offer order. An offer whose transaction (80 hex characters or more) does not spend the
// listing's output, or whose buyer coins are already spent, is left out. Asks the chain about
// the buyer coins: call from a worker thread.
std::vector<OfferRow> offers_on_my_listings(MarketSession& session, const std::vector<book::Listing>& listings, const std::string& my_key);

// The checks the Complete button makes before its confirmation: signed bytes (OfferNotSigned)
// and the buyer's coins unspent (BuyerCoinsGone). nullopt when they pass. Network.
std::optional<TradeError> check_completion(MarketSession& session, const OfferRow& row);

// The completion worker: complete_offer, then the "ag_fill" post ("qty" the lots left, "sold"
// the lots the offer really took, "pay_sats" what it really paid, "buyer", "price_sats" of the
// rest with a 128-bit product, "utxo" the lot left; the rest reckoned from the seller's record).
// The completion's result; when the fill post fails, the sale with its failure in fill_failed.
TradeResult<Sent> run_completion(MarketSession& session, const OfferRow& row);

} // namespace trade
