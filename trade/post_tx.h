// Putting a book post on chain: sign it, then pay a transaction whose outputs are the house fee
// (a listing only), one satoshi to the book oracle and the data output carrying the post.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/json_fwd.h"
#include "funding/pay.h"
#include "trade/error.h"

namespace trade {
class MarketSession;
}

namespace trade {

// The house fee of a listing: 0.01 BSV.
inline constexpr int64_t HOUSE_FEE_SATS = 1'000'000;

// Sets "protocol" "TV-Agoran" and "location" "agoran", signs the post with the wallet's
// identity key and publishes it with post_transaction: what was sent, or why not (NotConnected,
// SignFailed, the book layer's signing failure, PostTooLarge, EmptyPayload, the funding layer's failure).
// spend: what the paying transaction must spend or leave alone besides (funding/pay.h;
// withdrawing an offer spends one of its coins).
TradeResult<Sent> publish_post(MarketSession& session, core::Json post, bool pay_house_fee, const funding::PayOptions& spend = {});
// The same, leaving the post as it was signed (envelope, "id", "blob", "ts", "sig") in post.
TradeResult<Sent> publish_signed_post(MarketSession& session, core::Json& post, bool pay_house_fee, const funding::PayOptions& spend = {});

// Pays [house fee,] 1 sat to the book oracle and the data output with the payload. The coins an
// "offer" member of the payload spends are held back from the payment, and after a successful
// "ag_buy" they become offer locks, and the buyer's coins among them (the signed inputs) are
// recorded with the post's txid and its "listing" (the wallet's own record of the offer).
TradeResult<Sent> post_transaction(MarketSession& session, std::string_view payload, bool pay_house_fee, const funding::PayOptions& spend = {});

} // namespace trade
