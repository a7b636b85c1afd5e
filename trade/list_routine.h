// Listing a lot: the List dialog's checks, the "ag_list" post, its reserve and its publishing.
// The desktop program and the command line run the same steps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/json_get.h"
#include "trade/error.h"
#include "tx/outpoint.h"
#include "tx/txid.h"

namespace trade {
class MarketSession;
}

namespace trade {

// The lot of the wallet being listed, as the wallet's lots list describes it.
struct LotToList {
    std::string id;        // the lot's own id: its inscription origin
    tx::Txid txid;         // the output that holds it now; null when no lot was picked
    uint32_t vout = 0;
    std::string name;
    std::string token_id;  // empty for a picture
    std::string amount;    // units held, decimal text; empty for a picture

    [[nodiscard]] bool picture() const { return token_id.empty() && amount.empty(); }
};

struct ListRequest {
    LotToList lot;
    std::string qty;    // as typed; ignored for a picture
    std::string price;  // BSV, as typed
    std::string note;
};

// A listing ready to publish: its post, the outpoint to reserve and the reserve's members.
struct ListingPlan {
    core::Json post;
    tx::Outpoint outpoint;
    std::string origin;
    int64_t exp = 0;
    std::optional<TradeError> refusal;
};

// How long a listing lives: 28 days.
inline constexpr int64_t LISTING_LIFETIME = 2'419'200;

// The dialog's checks in its order (a bound wallet, a published paymail, an identity that is not
// frozen (ListFrozen), a lot (PickLot), price (PriceBad), note, quantity), then the post: "type" "ag_list", "handle", "origin",
// "kind", "utxo", "qty", "price_sats", "note", "exp" = now + 28 days, "pay_addr", "ord_addr",
// and "name", "sym", "icon" when known. Asks the registry (frozen) and the ordinals index (token
// names). Call from a worker thread.
ListingPlan plan_listing(MarketSession& session, const ListRequest& request, int64_t now);

// The list-post worker: publishes the post with the house fee; on success binds the reserve of
// the outpoint to the new listing's txid with the seller's record of the listing (the post as
// signed, and the units the listed output holds as the chain shows them), otherwise drops the
// reserve. Returns the publishing result.
TradeResult<Sent> publish_listing(MarketSession& session, const core::Json& post, const tx::Outpoint& outpoint);

// plan_listing at the session's market moment, reserve_add, publish_listing; a refusal of
// plan_listing is returned as it stands.
TradeResult<Sent> list_lot(MarketSession& session, const ListRequest& request);

} // namespace trade
