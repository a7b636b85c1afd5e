// Taking things off the book: the wallet's own listing ("ag_cancel", its reserve released) and
// the wallet's own offer ("ag_offer_cancel"). The desktop program and the command line run the
// same steps.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/listing.h"
#include "funding/offer_locks.h"
#include "trade/error.h"
#include "tx/txid.h"
#include "wallet/wallet_session.h"

namespace trade {
class MarketSession;
}

namespace trade {

// The Cancel tile's checks for one of the wallet's listings: a bound wallet (ConnectFirst), the
// wallet's own listing (NotYourListingNoOffer), still live (ListingClosed). nullopt when they pass.
std::optional<TradeError> check_cancel_listing(wallet::WalletSession& wallet, const book::Listing& listing);

// The cancel-listing worker: publishes "ag_cancel" (no house fee); on success releases the
// reserve by listing id and by outpoint. The publishing result.
TradeResult<Sent> run_cancel_listing(MarketSession& session, const book::Listing& listing);

// Whether an offer is the wallet's: its key is the wallet's identity key (in any case) or, for
// an offer without a key, its handle is the wallet's name. my_name is the handle or the whole
// paymail ("name" or "name@domain"); a handle matches either.
[[nodiscard]] bool is_own_offer(const book::Offer& offer, const std::string& my_key, const std::string& my_name);

// The wallet's own offer on a listing (is_own_offer): with several, the last in the listing's
// order.
std::optional<book::Offer> own_offer_on(const book::Listing& listing, const std::string& my_key,
                                        const std::string& my_name);

// The offer-cancel worker: withdraw_offer with the offer's coins (the signed inputs of its
// transaction and the coins the wallet recorded for it).
TradeResult<Sent> run_offer_cancel(MarketSession& session, const tx::Txid& listing_id, const book::Offer& offer);

// Withdraws an offer: publishes "ag_offer_cancel" ("listing", "offer" = the offer's id) with a
// payment that spends the offer's coins the chain shows unspent, so the half-signed offer can
// never complete. When the chain shows every coin spent, the offer is dead already and the post
// is paid like any other. Refused, with nothing paid and the offer locks kept: CoinsUnanswered
// when no coin is shown unspent and not all are shown spent (WhatsOnChain cannot answer); the
// funding layer's MustSpendMissing when no unspent coin of the offer can be gathered. On success
// the offer's coin locks and its record are removed.
TradeResult<Sent> withdraw_offer(MarketSession& session, const tx::Txid& listing_id, const tx::Txid& offer_id, const std::vector<tx::Outpoint>& coins);

// The offers this wallet posted and has not withdrawn, from its own record (the offer locks),
// whether or not the book shows them.
std::vector<funding::OfferRecord> recorded_offers(wallet::WalletSession& wallet);

// Withdraws an offer of the wallet's own record (withdraw_offer); PickOpenOffer when the record's
// listing or offer id is no txid.
TradeResult<Sent> withdraw_recorded_offer(MarketSession& session, const funding::OfferRecord& record);

} // namespace trade
