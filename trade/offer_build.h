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

#include "core/bytes.h"

namespace trade {

struct OfferRequest {
    std::string listing_utxo;    // "txid_vout" or "txid:vout"
    std::string listing_origin;  // token id or picture origin the listing claims; may be empty
    std::string listing_kind;    // "bsv21" or "picture"
    std::string quantity;        // token units to buy; for a picture "", "1", "all" or "ALL"
    core::Amount price = 0;      // satoshis for the seller, already pro-rated
    std::string seller_pay_addr;
    std::string seller_ord_addr;
};

// The offer as lower-case hex of the whole transaction, or "error: ..." (nothing built, nothing
// paid except the coin split self-payment). Before anything is built the ordinals index must
// confirm that the listing output holds what the listing claims: the picture's inscription, or
// valid tokens of the listing's token id, at least the quantity bought. Holds the wallet lock
// for wallet work only, not across the chain queries. Call from a worker thread.
std::string build_offer(const OfferRequest& request);

// The check that keeps a small coin apart before the offer is funded: when the wallet's coins,
// smallest first, need all but less than price + 500 satoshis to reach 2000, and the total is
// at least price + 2900, pays 2000 satoshis to the wallet's own main address. "" when it
// passes; otherwise "error: ..." (the refresh's or the payment's own error). Takes the wallet
// lock through the funding layer.
std::string coin_split_check(core::Amount price, const core::Hash160& main_hash);

} // namespace trade
