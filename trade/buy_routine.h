// Offering on a listing: the Buy dialog's checks, the "ag_buy" post and the half-signed offer it
// carries. The desktop program and the command line run the same steps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "book/listing.h"
#include "core/json_get.h"
#include "trade/error.h"
#include "trade/offer_build.h"
#include "wallet/wallet_session.h"

namespace trade {
class MarketSession;
}

namespace trade {

// The checks made when the Buy dialog opens: a bound wallet, a published paymail, a live
// listing (SelectLiveListing), not the wallet's own (OwnListing). nullopt when they pass.
// listing may be null (nothing selected).
std::optional<TradeError> check_buy_open(wallet::WalletSession& wallet, const book::Listing* listing);

struct BuyPlan {
    core::Json post;      // the "ag_buy" post without its "offer"
    OfferRequest offer;   // what build_offer needs
    std::optional<TradeError> refusal;
};

// How far ahead of the local clock a listing may be dated and still be offered on (seconds).
inline constexpr int64_t MAX_LISTING_LEAD = 600;

// The opening checks, then Post offer's checks in the dialog's order (a live listing
// (PickLiveListing), a quantity, the listing output unspent (LotGone), neither identity frozen
// (BuyFrozen), the payment, a listing dated at most MAX_LISTING_LEAD ahead (ListingDatedAhead))
// and the post: "type" "ag_buy", "handle",
// "listing", "qty", "pay_sats", "buyer_ord", and "ts" one second after the listing's when the
// listing is not dated in the past (an offer is never stamped before its listing). Network
// (ordinals index, registry). Call from a worker thread.
BuyPlan plan_buy(MarketSession& session, const book::Listing& listing, std::string_view qty_box);

// The buy worker: builds the offer, attaches it as "offer" and publishes the post (no house
// fee). The builder's error, or the publishing result.
TradeResult<Sent> run_buy(MarketSession& session, BuyPlan plan);

// plan_buy then run_buy; a refusal of plan_buy is returned as it stands.
TradeResult<Sent> buy_listing(MarketSession& session, const book::Listing& listing, std::string_view qty_box);

} // namespace trade
