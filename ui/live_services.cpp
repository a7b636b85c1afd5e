#include "ui/live_services.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cstdio>

#include "core/log.h"
#include "core/text.h"
#include "book/book_view.h"
#include "book/chain_facts.h"
#include "book/history.h"
#include "book/load.h"
#include "book/reduce.h"
#include "book/reduce_context.h"
#include "funding/reserves.h"
#include "net/http.h"
#include "net/http_client.h"
#include "net/service_config.h"
#include "trade/market_session.h"
#include "ui/workers.h"
#include "book/post_record.h"
#include "ui/version_check.h"
#include "trade/result_text.h"
#include "wallet/app_binding.h"
#include "wallet/balance.h"
#include "wallet/lots.h"
#include "wallet/lots_cache.h"
#include "wallet/connect.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace ui {

namespace {

class LiveServices final : public MarketServices {
public:
    explicit LiveServices(trade::MarketSession& session) : m_session(session) {}

    trade::TradeResult<void> connect() override
    {
        wallet::ConnectOptions options;
        options.log = [](const std::string& line) { core::log_progress(core::trim_ascii_space(line)); };
        if (auto connected = wallet::pursa_connect(m_session.wallet(), options); !connected) return trade::TradeError(connected.error());
        return {};
    }

    void disconnect() override { wallet::pursa_disconnect(m_session.wallet()); }

    WalletSnapshot wallet_snapshot() override
    {
        WalletSnapshot snapshot;
        wallet::WalletLock lock(m_session.wallet());
        snapshot.bound = wallet::pursa_is_connected(m_session.wallet());
        if (!snapshot.bound) return snapshot;
        snapshot.wallet_id = wallet::active_wallet_id(m_session.wallet());
        if (wallet::wallet_load(m_session.wallet())) {
            const wallet::TvWalletState& state = m_session.wallet().state();
            snapshot.identity_key = state.identity_pub;
            snapshot.address = state.recv_address;
            if (const auto ord = wallet::ordinals_key(m_session.wallet())) snapshot.ordinals_address = ord->address;
        }
        if (const auto summary = wallet::wallet_summary(m_session.wallet()); summary && snapshot.address.empty())
            snapshot.address = summary->address;
        snapshot.paymail = wallet::pursa_paymail(m_session.wallet());
        for (const auto& reserve : funding::reserve_list(m_session.wallet())) snapshot.reserved_utxos.push_back(reserve.utxo);
        const wallet::CachedBalance balance = wallet::cached_balance(m_session.funding().wallet());
        snapshot.balance_known = balance.known;
        snapshot.balance_sats = balance.known ? balance.sats : -1;
        return snapshot;
    }
    bool refresh_balance() override { return wallet::refresh_wallet_balance(m_session.funding().wallet()).ok(); }
    BookLoad load_book(const std::string& identity_key) override
    {
        BookLoad load;
        try {
            const book::LoadOptions options = book::default_load_options(m_session.book());
            book::LoadStatus status;
            book::BookResult<std::vector<book::PostRecord>> loaded = book::load_posts(status, options);
            if (!loaded) {
                load.error = trade::failure_text(loaded.error());
                return load;
            }
            if (status.offline) {
                load.error = trade::refusal_text(book::shortfall_text(status));
                return load;
            }
            const std::vector<book::PostRecord>& posts = *loaded;
            // A load that missed posts is shown as such: the window keeps its last complete book.
            load.complete = status.complete;
            load.unread = status.complete ? 0 : std::max<size_t>(status.unread, 1);
            std::map<tx::Txid, book::Listing> reduced;
            book::reduce_book(posts, book::reduce_context_for(posts, options), reduced);
            if (identity_key.empty()) {
                load.view = book::book_view_of(reduced, m_session.clock().now());
                book::fill_chain_facts(load.view, options.services);
            } else {
                // The history names listings that have left the view (sold ones) too.
                std::vector<book::Listing*> all;
                for (auto& [id, listing] : reduced) all.push_back(&listing);
                book::fill_chain_facts(all, options.services);
                load.view = book::book_view_of(reduced, m_session.clock().now());
                load.history = book::history_rows(posts, reduced, identity_key);
                load.history_ok = true;
            }
            load.states = listing_states(reduced, load.view);
            load.ok = true;
        } catch (...) {
            load = BookLoad{};
        }
        return load;
    }
    std::vector<tx::Txid> reserve_listing_ids() override
    {
        std::vector<tx::Txid> ids;
        for (const auto& reserve : funding::reserve_list(m_session.wallet())) {
            if (reserve.listing) ids.push_back(*reserve.listing);
        }
        return ids;
    }
    void remove_reserve(const tx::Txid& listing_id) override { (void)funding::reserve_remove_listing(m_session.wallet(), listing_id); }
    std::optional<InscriptionContent> inscription_content(const std::string& key) override
    {
        // The "/ord_cache" files first; what the network gives is cached there.
        const std::string origin = key.size() == 64 ? key + "_0" : key;
        if (auto cached = wallet::read_content_cache(origin)) return InscriptionContent{std::move(cached->bytes), std::move(cached->type)};
        InscriptionContent content;
        if (!wallet::fetch_inscription_content(m_session.funding().wallet(), key, content.bytes, content.content_type)) return std::nullopt;
        (void)wallet::write_content_cache(origin, content.bytes, content.content_type, "");
        return content;
    }

    std::string list_lots(std::vector<wallet::TvPursaOrdRow>& lots) override
    {
        auto listed = wallet::tv_pursa_list_ordinals(m_session.funding().wallet(), lots, true, false);
        return listed ? std::string() : trade::failure_text(listed.error());
    }

    bool load_history(const std::string& identity_key, std::vector<book::HistoryRow>& rows, std::string& error) override
    {
        book::LoadStatus status;
        book::BookResult<std::vector<book::HistoryRow>> loaded =
            book::load_history(status, identity_key, book::default_load_options(m_session.book()));
        rows.clear();
        if (!loaded) {
            error = trade::failure_text(loaded.error());
            return false;
        }
        rows = std::move(loaded).value();
        if (status.complete) return true;
        // History of a partial book is not the wallet's history: the window keeps what it showed.
        error = trade::refusal_text("History not updated: " + book::shortfall_text(status) + ".");
        return false;
    }

    PageFetch fetch_page(const std::string& url) override
    {
        net::GetOptions options;
        options.timeout_seconds = 15;
        options.max_body = VERSION_PAGE_MAX_BODY;
        const net::HttpReply reply = net::default_http().get(url, options);
        PageFetch page;
        // A transfer counts when a whole answer arrived (redirects are followed).
        page.ok = reply.ok;
        page.status = reply.status;
        page.body = reply.body;
        return page;
    }

    bool offer_spends_listing(const std::string&, const tx::Outpoint&) override { return true; }
    std::string product_page() override { return m_session.funding().services().product_page; }
    std::string tx_page_url(const std::string& txid) override { return m_session.funding().services().tx_page_url(txid); }
    std::string services_badge() override
    {
        return net::services_badge(m_session.funding().services());
    }

private:
    trade::MarketSession& m_session;
};

} // namespace

std::shared_ptr<MarketServices> make_live_services(trade::MarketSession& session)
{
    return std::make_shared<LiveServices>(session);
}

void start_library_services(trade::MarketSession& session, const std::string& program_folder)
{
    wallet::register_app(session.wallet(), program_folder, "Agoran");
    curl_global_init(CURL_GLOBAL_ALL);
    // Progress sentences of the library layers go to the status line; warnings to the log.
    core::set_log_sink([](core::LogLevel level, const std::string& text) {
        if (level != core::LogLevel::Progress) {
            std::fprintf(stderr, "%s: %s\n", level == core::LogLevel::Warning ? "warning" : "error", text.c_str());
            return;
        }
        post_progress(text);
    });
}

void stop_library_services()
{
    // No worker may still be inside libcurl or the wallet when they shut down.
    drain_workers();
    core::set_log_sink({});
    curl_global_cleanup();
}

} // namespace ui
