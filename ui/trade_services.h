// The door between the trade dialogs and the trade routines of trade/: each function is one of
// those routines, as the live services run them (ui/live_trade_services.h); pictures and widget
// tests hand the dialogs scripted ones. Every function may wait on the network or take the
// wallet lock: workers call them, the UI thread never does (registry_domain aside).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "book/listing.h"
#include "core/json_fwd.h"
#include "trade/buy_routine.h"
#include "trade/complete_routine.h"
#include "trade/error.h"
#include "trade/list_routine.h"
#include "trade/offer_rules.h"

namespace ui {

class TradeServices {
public:
    virtual ~TradeServices() = default;

    // --- List: the checks and the post, the reserve, then publishing ---
    // The plan, dated by the session's clock.
    virtual trade::ListingPlan plan_listing(const trade::ListRequest& request) = 0;
    // nullopt when the outpoint is reserved, else why not.
    virtual std::optional<trade::TradeError> reserve_add(const tx::Outpoint& outpoint, const std::string& origin, int64_t exp) = 0;
    virtual void reserve_remove(const tx::Outpoint& outpoint) = 0;
    virtual trade::TradeResult<trade::Sent> publish_listing(const core::Json& post, const tx::Outpoint& outpoint) = 0;

    // --- Buy: the checks and the post, then the offer built and published ---
    virtual trade::BuyPlan plan_buy(const book::Listing& listing, const std::string& qty_box) = 0;
    virtual trade::TradeResult<trade::Sent> run_buy(const trade::BuyPlan& plan) = 0;

    // --- Cancel ---
    virtual trade::TradeResult<trade::Sent> run_cancel_listing(const book::Listing& listing) = 0;
    virtual trade::TradeResult<trade::Sent> run_offer_cancel(const tx::Txid& listing_id, const book::Offer& offer) = 0;

    // --- Complete ---
    virtual std::vector<trade::OfferRow> offers_on_my_listings(const std::vector<book::Listing>& listings,
                                                               const std::string& my_key) = 0;
    // What the seller's check finds in the offer, without signing anything.
    virtual trade::OfferCheck evaluate_offer(const std::string& offer_text, const book::Listing& listing) = 0;
    // The refusal of the Complete button's checks before its confirmation; nullopt when they pass.
    virtual std::optional<trade::TradeError> check_completion(const trade::OfferRow& row) = 0;
    virtual trade::TradeResult<trade::Sent> run_completion(const trade::OfferRow& row) = 0;

    // --- Report: sealed for the architect and sent ---
    virtual trade::TradeResult<trade::Sent> send_report(const std::string& text) = 0;

    // --- Configuration; any thread ---
    // The family registry's paymail domain (the part after "@").
    virtual std::string registry_domain() = 0;
};

} // namespace ui
