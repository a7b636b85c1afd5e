// Trade services that answer from memory, for the pictures and the widget tests: every answer
// can be set, and every call the dialogs make is recorded. Thread-safe.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "book/history.h"
#include "ui/trade_services.h"
#include "wallet/lots.h"

namespace ui {

class ScriptedTradeServices : public TradeServices {
public:
    // One call as it reached the services: its name and its main argument (a post as compact
    // JSON, a key, an outpoint).
    struct Call {
        std::string name;
        std::string argument;
        std::string extra;
    };

    void set_frozen(const std::string& pubkey);
    void set_spent(const std::string& outpoint, const std::string& reason);
    void set_buyer_coins_spent(const std::string& offer_hex);
    void set_verdict(const std::string& offer_hex, OfferVerdict verdict);
    void set_reserve_result(std::string result);
    void set_result(const std::string& routine, std::string result);  // post_listing, post_offer, ...
    void set_sealed(SealedReport sealed);
    // Delays every check and routine by this many milliseconds.
    void set_delay_ms(int ms);

    std::vector<Call> calls() const;
    std::vector<Call> calls(const std::string& name) const;
    void clear_calls();

    bool identity_frozen(const std::string& pubkey) override;
    bool listing_output_unspent(const std::string& outpoint, std::string& reason) override;
    AssetDetails asset_details(const std::string& origin, const std::string& kind, AssetDetails known) override;
    bool buyer_coins_spent(const std::string& offer_hex) override;
    OfferVerdict check_offer(const book::Listing& listing, const book::Offer& offer) override;
    std::string reserve_add(const std::string& outpoint, const std::string& origin, int64_t expiry) override;
    void reserve_remove(const std::string& key) override;
    std::string post_listing(const nlohmann::json& post, const std::string& reserve_key) override;
    std::string post_offer(const nlohmann::json& post, const book::Listing& listing, const std::string& qty,
                           uint64_t pay_sats) override;
    std::string complete_sale(const book::Listing& listing, const book::Offer& offer) override;
    std::string cancel_listing(const nlohmann::json& post, const std::string& listing_id,
                               const std::string& utxo) override;
    std::string cancel_offer(const nlohmann::json& post, const std::string& offer_hex) override;
    SealedReport seal_report(const std::string& text) override;
    std::string send_report(const std::string& payload) override;
    std::string registry_domain() override { return "tavrinnode.example"; }

private:
    void record(std::string name, std::string argument, std::string extra = {});
    std::string result_of(const std::string& routine);
    void pause() const;

    mutable std::mutex m_mutex;
    std::set<std::string> m_frozen;
    std::map<std::string, std::string> m_spent;
    std::set<std::string> m_coins_spent;
    std::map<std::string, OfferVerdict> m_verdicts;
    std::set<std::string> m_reserved;
    std::string m_reserve_result = "success";
    std::map<std::string, std::string> m_results;
    SealedReport m_sealed{"{\"sealed\":\"report\"}", ""};
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
