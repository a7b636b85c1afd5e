// Trade services that answer from memory, for the pictures and the widget tests: every answer
// can be set, and every call the dialogs make is recorded. Thread-safe.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "book/history.h"
#include "ui/trade_services.h"
#include "wallet/lots.h"

namespace ui {

// Scripted routines check nothing themselves: a refusal is whatever the test sets for the
// routine, and anything else passes with a post built from the request.
class ScriptedTradeServices : public TradeServices {
public:
    // One call as it reached the services: its name, its main argument (a post as compact JSON,
    // a key, an outpoint, an offer id) and what else it was given.
    struct Call {
        std::string name;
        std::string argument;
        std::string extra;
    };

    // The refusal the next calls of the routine give: of its checks (plan_listing, plan_buy,
    // check_completion), or its failure (any other routine; nullopt sends SAMPLE_TXID).
    void set_answer(const std::string& routine, std::optional<trade::TradeError> answer);
    // Offers whose buyer's coins are gone: left out of offers_on_my_listings.
    void set_buyer_coins_spent(const std::string& offer_text);
    void set_check(const std::string& offer_text, trade::OfferCheck check);
    // Delays every routine and check by this many milliseconds.
    void set_delay_ms(int ms);

    std::vector<Call> calls() const;
    std::vector<Call> calls(const std::string& name) const;

    trade::ListingPlan plan_listing(const trade::ListRequest& request) override;
    std::optional<trade::TradeError> reserve_add(const tx::Outpoint& outpoint, const std::string& origin, int64_t exp) override;
    void reserve_remove(const tx::Outpoint& outpoint) override;
    trade::TradeResult<trade::Sent> publish_listing(const core::Json& post, const tx::Outpoint& outpoint) override;
    trade::BuyPlan plan_buy(const book::Listing& listing, const std::string& qty_box) override;
    trade::TradeResult<trade::Sent> run_buy(const trade::BuyPlan& plan) override;
    trade::TradeResult<trade::Sent> run_cancel_listing(const book::Listing& listing) override;
    trade::TradeResult<trade::Sent> run_offer_cancel(const tx::Txid& listing_id, const book::Offer& offer) override;
    std::vector<trade::OfferRow> offers_on_my_listings(const std::vector<book::Listing>& listings,
                                                       const std::string& my_key) override;
    trade::OfferCheck evaluate_offer(const std::string& offer_text, const book::Listing& listing) override;
    std::optional<trade::TradeError> check_completion(const trade::OfferRow& row) override;
    trade::TradeResult<trade::Sent> run_completion(const trade::OfferRow& row) override;
    trade::TradeResult<trade::Sent> send_report(const std::string& text) override;
    std::string registry_domain() override { return "tavrinnode.example"; }

private:
    void record(std::string name, std::string argument, std::string extra = {});
    std::optional<trade::TradeError> answer(const std::string& routine);
    trade::TradeResult<trade::Sent> sent(const std::string& routine);
    void pause() const;

    mutable std::mutex m_mutex;
    std::map<std::string, std::optional<trade::TradeError>> m_answers;
    std::set<std::string> m_coins_spent;
    std::map<std::string, trade::OfferCheck> m_checks;
    std::set<tx::Outpoint> m_reserved;
    int m_delay_ms = 0;
    std::vector<Call> m_calls;
};

} // namespace ui

namespace ui {

// A made-up market around one wallet (identity key me, paymail "melina@tavrinnode.example"):
// its live listings with offers waiting (one that passes the seller's check, one that
// underpays, one without signed bytes), an expired listing of its own, its own offers on two
// other sellers' listings, and other sellers' live listings. Book order, newest first.
std::vector<book::Listing> sample_trade_book(const std::string& me, int64_t now);
// The wallet's history over the last days: listings, offers, purchases and sales.
std::vector<book::HistoryRow> sample_trade_history(const std::string& me, int64_t now);
// Two token lots and a picture.
std::vector<wallet::TvPursaOrdRow> sample_lots();
// The bound wallet of those samples.
inline constexpr const char* SAMPLE_PAYMAIL = "melina@tavrinnode.example";

} // namespace ui
