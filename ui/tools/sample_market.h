// A market made up for pictures, benchmarks and widget tests: a deterministic book of listings
// and services that answer from memory (with pictures drawn on the fly), so that a window can be
// shown without any network. Not used by the program itself.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ui/market_services.h"

namespace ui {

// A bound wallet of the made-up market: "melina@tavrinnode.example" with the identity key
// given and a balance of 12.845 BSV.
WalletSnapshot sample_wallet(const std::string& identity_key);

// n listings from a few dozen sellers: tokens and pictures, mostly live, some expired,
// cancelled and sold, in book order (newest first). Same seed, same book.
std::vector<book::Listing> sample_book(size_t n, unsigned seed = 7);

// Services that answer from memory. Every answer can be replaced, and calls are counted.
class ScriptedServices : public MarketServices {
public:
    ScriptedServices();

    // What the next calls return (thread-safe).
    void set_book(std::vector<book::Listing> view);
    void set_book_error(std::string error);  // non-empty: loads fail with it
    void set_wallet(WalletSnapshot wallet);
    void set_reserves(std::vector<tx::Txid> listing_ids);
    void set_update_page(PageFetch page);
    void set_connect_result(trade::TradeResult<void> result, WalletSnapshot wallet_after);
    // Delays every book load by this many milliseconds.
    void set_book_delay_ms(int ms);
    // Pictures for thumbnails: key -> content; keys not given answer nothing.
    void set_content(const std::string& key, InscriptionContent content);
    // The origin the ordinals index reports for an output (set_book reports each picture
    // listing's output as holding the origin it names, unless set here first).
    void set_output_origin(const std::string& outpoint, std::string origin);
    // Loads read all but this many posts (0: complete); an incomplete load holds half the book.
    void set_book_incomplete(size_t unread);
    void set_services_badge(std::string badge);

    int book_loads() const { return m_book_loads; }
    int content_requests() const { return m_content_requests; }
    std::vector<tx::Txid> removed_reserves() const;

    trade::TradeResult<void> connect() override;
    void disconnect() override;
    WalletSnapshot wallet_snapshot() override;
    bool refresh_balance() override;
    BookLoad load_book(const std::string& identity_key) override;
    std::vector<tx::Txid> reserve_listing_ids() override;
    void remove_reserve(const tx::Txid& listing_id) override;
    std::optional<InscriptionContent> inscription_content(const std::string& key) override;
    std::string list_lots(std::vector<wallet::TvPursaOrdRow>& lots) override;
    bool load_history(const std::string& identity_key, std::vector<book::HistoryRow>& rows, std::string& error) override;
    PageFetch fetch_page(const std::string& url) override;
    void set_lots(std::vector<wallet::TvPursaOrdRow> lots, std::string error = {});
    void set_history(std::vector<book::HistoryRow> rows, std::string error = {});
    std::string history_key() const;
    bool offer_spends_listing(const std::string& offer_hex, const tx::Outpoint& utxo) override;
    std::string services_badge() override;
    std::string product_page() override { return "https://tavrinnode.example/agoran"; }
    std::string tx_page_url(const std::string& txid) override { return "https://woc.example/tx/" + txid; }

private:
    mutable std::mutex m_mutex;
    std::vector<book::Listing> m_view;
    std::map<tx::Txid, ListingState> m_states;
    std::string m_book_error;
    WalletSnapshot m_wallet;
    WalletSnapshot m_wallet_after_connect;
    trade::TradeResult<void> m_connect_result{trade::TradeError(trade::TradeCode::Refused, "Pursa did not answer.")};
    std::vector<tx::Txid> m_reserves;
    std::vector<tx::Txid> m_removed;
    PageFetch m_page;
    std::vector<wallet::TvPursaOrdRow> m_lots;
    std::string m_lots_error;
    std::vector<book::HistoryRow> m_history;
    std::string m_history_error;
    std::string m_history_key;
    int m_book_delay_ms = 0;
    std::map<std::string, InscriptionContent> m_content;
    std::map<std::string, std::string> m_origins;
    size_t m_unread = 0;
    std::string m_badge;
    std::atomic<int> m_book_loads{0};
    std::atomic<int> m_content_requests{0};
};

} // namespace ui
