// The seller's half of a trade: check a buyer's offer against the seller's own record of the
// listing (trade/listing_record.h), sign the one listing input, broadcast, and move the record
// to the lot that is left (or drop it).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "book/listing.h"
#include "trade/error.h"
#include "trade/offer_rules.h"
#include "tx/outpoint.h"
#include "tx/transaction.h"

namespace trade {
class MarketSession;
}

namespace trade {

// The offer text reduced to its hexadecimal digits, lower-cased, and parsed. nullopt when
// fewer than 80 digits remain, their count is odd, or they do not parse as a transaction.
std::optional<tx::Transaction> parse_offer_text(std::string_view offer_text);

struct Completion {
    TradeResult<Sent> result{TradeError(TradeCode::Stopped)};  // the sale's transaction, or why not
    std::optional<tx::Outpoint> leftover_outpoint;  // the lot left with the seller, when any
    std::string leftover_units = "0";
    OfferCheck check;                // what the offer was found to take and pay
    ListingTerms terms;              // the record's terms the offer was checked against
};

// Completes the offer on one of this wallet's listings. The book's listing only names it: the
// offer is checked against this wallet's record of the listing (seller_record), and nothing is
// signed when there is none or the book shows other terms (TermsChanged), unless check_offer
// passes against the record, and, for a picture, the ordinals index confirms that the recorded
// output holds the recorded origin. Nothing is broadcast unless every input is then signed and
// the buyer's signatures verify. After the broadcast the record moves to the lot left over
// (units left, their price, the new output), or goes when the listing sold out. Other failures
// as the seller sees them: NoSignedBytes, OfferUnparsed, the funding layer's NeedHdWallet,
// SaleDone, ReservedLotSpent, BuyerSpent, the loader's and check_offer's, and the broadcaster's.
// Call from a worker thread.
Completion complete_offer(MarketSession& session, std::string_view offer_text, const book::Listing& listing);

// What completing the offer would find, without signing anything: the same record, loads and
// checks as complete_offer. For the seller's list of offers. Call from a worker thread.
OfferCheck evaluate_offer(MarketSession& session, std::string_view offer_text, const book::Listing& listing);

// True when some unsigned input of the offer spends the listing outpoint (either separator,
// any case). False for an empty outpoint or an offer that does not parse. Pure.
[[nodiscard]] bool offer_spends_listing(std::string_view offer_text, const tx::Outpoint& listing_outpoint);

// True when some signed input of the offer is already spent on chain (asked in input order,
// stopping at the first). False for an offer that does not parse. Call from a worker thread.
[[nodiscard]] bool buyer_coins_spent(MarketSession& session, std::string_view offer_text);

} // namespace trade
