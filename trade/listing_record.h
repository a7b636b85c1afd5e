// The seller's own record of a listing (funding/reserves.h): written from the listing post this
// wallet signed, moved on by the completions it built, and the only terms an offer is checked
// against. The book only finds offers and names listings; when it shows other terms than the
// record, nothing is signed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "book/listing.h"
#include "core/json_fwd.h"
#include "funding/reserves.h"
#include "trade/error.h"
#include "trade/offer_rules.h"
#include "tx/txid.h"

namespace trade {
class MarketSession;
}

namespace trade {

// The record of a listing post as this wallet signed it; lot_units is what the listed output
// holds ("" when not known). Units left and their price start as the post's "qty" and
// "price_sats". Pure.
funding::ListingRecord record_of_listing_post(const core::Json& signed_post, std::string lot_units);

// What an offer is checked against: the record's kind, origin, the output that holds the lot
// now, the units still for sale and their price, the payment address and the lot's units. Pure.
ListingTerms record_terms(const funding::Reserve& reserve);

// The terms in which the book's listing differs from the record, named for the user ("price,
// quantity"); "" when the book shows what the record holds. Pure.
std::string terms_the_book_changed(const book::Listing& listing, const funding::Reserve& reserve);

struct SellerRecord {
    std::optional<funding::Reserve> reserve;  // with its record, when there is one
    TradeError error;                         // why not, otherwise
};

// The reserve of one of this wallet's listings with its record. A reserve kept before records
// were is completed from the listing post in the listing's own transaction (its bytes proven by
// the txid, signed by this wallet's identity key, naming the reserved output) and saved; one
// whose lot has moved since (part of it sold) cannot be and is refused. Errors: NoRecord,
// RecordPartlySold, ListingTxNotLoaded. Network: call from a worker.
SellerRecord seller_record(MarketSession& session, const tx::Txid& listing_id);

} // namespace trade
