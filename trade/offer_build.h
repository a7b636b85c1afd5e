// The buyer's half of a trade: one transaction that spends the seller's listing output (left
// unsigned) and the buyer's coins (signed with 0x41), pays the price to the seller, moves the
// lot to the buyer's ordinals address and returns unsold units to the seller.
//
// Output order: for a token lot the price first, then the buyer's transfer, then the seller's
// remainder; for a picture the buyer's 1-satoshi output first and the price second, so that the
// listing output's satoshi (and the picture with it), assigned first in first out, lands with
// the buyer. Change to the buyer's main address comes last.
#pragma once

#include <string>

#include "book/listing.h"
#include "core/bytes.h"
#include "trade/error.h"

namespace trade {
class MarketSession;
}

namespace trade {

struct OfferRequest {
    tx::Outpoint listing_utxo;   // the output holding the lot
    std::string listing_origin;  // token id or picture origin the listing claims; may be empty
    book::ListingKind listing_kind = book::ListingKind::Token;
    std::string quantity;        // token units to buy; for a picture "", "1", "all" or "ALL"
    core::Amount price = 0;      // satoshis for the seller, already pro-rated
    std::string seller_pay_addr;
    std::string seller_ord_addr;
};

// The offer as lower-case hex of the whole transaction, or why not (nothing built, nothing paid
// except the coin split self-payment). The offer's coins are chosen so that a coin of the
// wallet is left to pay for the post that carries the offer; when the wallet's money sits in
// too few coins for that, 2000 satoshis are first paid to its own main address, once. Before anything is built the ordinals index must
// confirm that the listing output holds what the listing claims: the picture's inscription, or
// valid tokens of the listing's token id, at least the quantity bought. Holds the wallet lock
// for wallet work only, not across the chain queries. Call from a worker thread.
TradeResult<std::string> build_offer(MarketSession& session, const OfferRequest& request);

} // namespace trade
