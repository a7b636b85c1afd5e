#include "demo/seed_market.h"

#include <map>
#include <set>

#include "book/book_view.h"
#include "book/load.h"
#include "core/bytes.h"
#include "core/json_get.h"
#include "core/market_clock.h"
#include "demo/market_moves.h"
#include "demo/market_script.h"
#include "demo/trader_desk.h"
#include "net/http_client.h"
#include "net/service_config.h"
#include "pursa/approvals.h"
#include "trade/market_session.h"
#include "trade/report.h"
#include "trade/result_text.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_lock.h"
#include "wallet/connect.h"
#include "wallet/lots_cache.h"

namespace demo {
namespace {

constexpr int TRADER_COINS = 16;
constexpr int64_t TRADER_COIN_SATS = 50'000'000;
constexpr int USER_COINS = 10;
constexpr int64_t USER_COIN_SATS = 100'000'000;

class Seeder {
public:
    Seeder(const SeedOptions& options, SeedReport& report)
        : m_options(options), m_report(report), m_admin(options.base_url, net::default_http())
    {
    }

    bool open_people()
    {
        for (int i = 0; i <= TRADER_COUNT; ++i) {
            Trader t;
            t.name = i == USER ? USER_NAME : TRADER_NAMES[i];
            t.root = i == USER ? user_root(m_options.state_dir) : trader_root(m_options.state_dir, t.name);
            if (i != USER && !copy_services(user_root(m_options.state_dir), t.root, m_report.error)) return false;
            log("Opening the wallet of " + t.name + "...");
            const bool user = i == USER;
            if (!open_trader(t, m_admin, user ? USER_COINS : TRADER_COINS, user ? USER_COIN_SATS : TRADER_COIN_SATS,
                             m_report.error)) {
                return false;
            }
            m_people.push_back(t);
        }
        m_report.traders = TRADER_COUNT;
        return true;
    }

    // The market's architect: a wallet of its own under the handle reports are sealed to, and
    // the registry's architects list naming its key, so that Report reaches someone.
    bool open_architect()
    {
        Trader architect;
        architect.name = std::string(trade::ARCHITECT_HANDLE);
        architect.root = trader_root(m_options.state_dir, architect.name);
        log("Opening the wallet of the market's architect...");
        if (!copy_services(user_root(m_options.state_dir), architect.root, m_report.error) ||
            !open_trader(architect, m_admin, 1, TRADER_COIN_SATS, m_report.error))
            return false;
        auto listed = m_admin.set_architects({architect.identity_key});
        if (!listed.value) return failed("naming the architect: " + listed.error);
        m_report.architect_key = architect.identity_key;
        return true;
    }

    bool make_items()
    {
        log("Minting tokens and inscribing pictures...");
        for (int t = 0; t < TOKEN_COUNT; ++t) {
            const TokenPlan& token = TOKENS[t];
            const std::string& to = m_people[size_t(token.owner)].ordinals;
            std::string icon;
            if (size_t(t) < m_options.token_icons.size()) {
                auto inscribed = m_admin.inscribe(to, "image/png", core::as_bytes(m_options.token_icons[size_t(t)]));
                if (!inscribed.value) return failed("the icon of " + std::string(token.symbol) + ": " + inscribed.error);
                icon = *inscribed.value;
                m_names.push_back({icon, m_options.token_icons[size_t(t)], std::string(token.symbol) + " icon"});
            }
            auto id = m_admin.mint(to, std::to_string(token.supply), token.symbol, icon, std::to_string(token.decimals));
            if (!id.value) return failed("minting " + std::string(token.symbol) + ": " + id.error);
            m_items["T" + std::to_string(t)] = *id.value;
            ++m_report.tokens;
        }
        for (int p = 0; p < PICTURE_COUNT && size_t(p) < m_options.pictures.size(); ++p) {
            const std::string& to = m_people[size_t(PICTURES[p].owner)].ordinals;
            auto origin = m_admin.inscribe(to, "image/png", core::as_bytes(m_options.pictures[size_t(p)]));
            if (!origin.value) return failed("inscribing " + std::string(PICTURES[p].name) + ": " + origin.error);
            m_items["P" + std::to_string(p)] = *origin.value;
            m_names.push_back({*origin.value, m_options.pictures[size_t(p)], PICTURES[p].name});
            ++m_report.pictures;
        }
        // Every wallet knows the pictures (and the token icons) by name, as Pursa shows them.
        for (const Trader& person : m_people) {
            enter_folder(person.root);
            for (const Named& n : m_names) (void)wallet::write_content_cache(n.origin, n.png, "image/png", n.name);
        }
        (void)m_admin.mine(1);
        return true;
    }

    // Each trader trades through a session of its own, bound to its wallet.
    void play(const std::vector<Move>& moves, int64_t now)
    {
        log("Playing " + std::to_string(moves.size()) + " moves of the last 90 days...");
        std::map<size_t, std::unique_ptr<trade::MarketSession>> sessions;
        for (const Move& m : moves) {
            const Trader& actor = m_people[size_t(m.actor)];
            std::unique_ptr<trade::MarketSession>& held = sessions[size_t(m.actor)];
            if (held) enter_folder(actor.root);
            else held = act_as(actor.root);
            trade::MarketSession& session = *held;
            session.clock().fix(m.at);
            const trade::TradeResult<trade::Sent> result = run(session, m);
            if (!result) {
                ++m_report.moves_failed;
                log("  " + m_people[size_t(m.actor)].name + " " + describe(m) + ": " + trade::result_text(result));
                continue;
            }
            if (m.kind == MoveKind::Complete) {
                ++m_report.fills;
                m_report.oldest_fill_days = std::max(m_report.oldest_fill_days, double(now - m.at) / 86'400.0);
            }
            if (m.kind == MoveKind::Withdraw) ++m_report.withdrawn_offers;
            (void)m_admin.mine(1);
        }
    }

    void approve_app()
    {
        if (m_options.app_instance.empty()) return;
        const auto session = act_as(user_root(m_options.state_dir), m_options.app_instance);
        const std::optional<std::string> request = wallet::write_connect_request(session->wallet());
        if (!request || !pursa::answer_request(*request, true, m_people[USER].wallet_id) ||
            wallet::read_connect_reply(session->wallet(), *request) != wallet::ConnectReply::Ok) {
            m_report.error = "could not approve the desktop program's connect request";
        }
    }

    void count()
    {
        const auto user = act_as(user_root(m_options.state_dir));
        const trade::MarketSession& session = *user;
        m_report.user_key = m_people[USER].identity_key;
        book::BookResult<book::BookView> loaded = book::load_book_view(book::default_load_options(session.book()));
        if (!loaded) {
            m_report.error = "the seeded book does not load: " + book::error_text(loaded.error());
            return;
        }
        const std::vector<book::Listing>& view = loaded->listings;
        const std::map<tx::Txid, book::Listing>& reduced = loaded->reduced;
        m_report.listings = static_cast<int>(reduced.size());
        for (const auto& [id, l] : reduced) {
            if (l.status == book::ListingStatus::Sold) ++m_report.sold;
            if (l.status == book::ListingStatus::Cancelled) ++m_report.cancelled;
        }
        for (const auto& l : view) {
            if (l.status == book::ListingStatus::Expired) ++m_report.expired;
            if (l.status != book::ListingStatus::Live) continue;
            ++m_report.live;
            m_report.live_ids.push_back(l.id.hex());
            m_report.open_offers += static_cast<int>(l.offers.size());
            auto listed = m_listed_qty.find(l.id);
            if (listed != m_listed_qty.end() && listed->second != l.qty) ++m_report.partially_filled;
        }
    }

private:
    trade::TradeResult<trade::Sent> run(trade::MarketSession& session, const Move& m)
    {
        switch (m.kind) {
        case MoveKind::List: {
            auto item = m_items.find(m.lot);
            if (item == m_items.end()) return trade::TradeError(trade::TradeCode::Refused, "no such item " + m.lot);
            trade::TradeResult<trade::Sent> result = list_lot(session, item->second, m.qty, m.price, m.note);
            if (result) {
                m_ids[m.label] = result->txid.hex();
                m_listed_qty[result->txid] = m.qty;
            }
            return result;
        }
        case MoveKind::Offer: {
            trade::TradeResult<trade::Sent> result = offer_on(session, id_of(m.ref), m.qty);
            if (result) m_ids[m.label] = result->txid.hex();
            return result;
        }
        case MoveKind::Complete:
            return complete_offer(session, id_of(m.ref));
        case MoveKind::Cancel:
            return cancel_listing(session, id_of(m.ref));
        case MoveKind::Withdraw:
            return withdraw_offer(session, id_of(m.ref));
        }
        return trade::TradeError(trade::TradeCode::Refused, "unknown move");
    }

    std::string id_of(const std::string& label) const
    {
        auto it = m_ids.find(label);
        return it == m_ids.end() ? std::string("(" + label + " failed)") : it->second;
    }

    static std::string describe(const Move& m)
    {
        const char* verbs[] = {"lists", "offers on", "completes", "cancels", "withdraws"};
        return std::string(verbs[static_cast<int>(m.kind)]) + " " + (m.kind == MoveKind::List ? m.label : m.ref);
    }

    bool failed(const std::string& what)
    {
        m_report.error = what;
        return false;
    }

    void log(const std::string& line) const
    {
        if (m_options.log) m_options.log(line);
    }

    struct Named {
        std::string origin;
        std::string png;
        std::string name;
    };

    const SeedOptions& m_options;
    SeedReport& m_report;
    std::vector<Named> m_names;                        // inscriptions and their display names
    net::DevnetAdminClient m_admin;
    std::vector<Trader> m_people;                      // by index; the user last
    std::map<std::string, std::string> m_items;        // "T0", "P3" -> token id or origin
    std::map<std::string, std::string> m_ids;          // move label -> txid
    std::map<tx::Txid, std::string> m_listed_qty;      // listing id -> qty first listed
};

} // namespace

std::filesystem::path user_root(const std::filesystem::path& state_dir)
{
    return state_dir / "user";
}

std::filesystem::path trader_root(const std::filesystem::path& state_dir, const std::string& name)
{
    return state_dir / "traders" / name;
}

std::filesystem::path seed_report_path(const std::filesystem::path& state_dir)
{
    return state_dir / "seeded.json";
}

SeedReport seed_market(const SeedOptions& options)
{
    SeedReport report;
    try {
        Seeder seeder(options, report);
        if (!seeder.open_people() || !seeder.open_architect() || !seeder.make_items()) return report;
        const int64_t now = core::system_seconds();
        seeder.play(market_script(now), now);
        seeder.approve_app();
        if (report.error.empty()) seeder.count();
    } catch (const std::exception& e) {
        report.error = std::string("seeding stopped: ") + e.what();
    } catch (...) {
        report.error = "seeding stopped";
    }
    return report;
}

std::optional<core::SecretString> architect_key(const std::filesystem::path& state_dir)
{
    const auto architect = act_as(trader_root(state_dir, std::string(trade::ARCHITECT_HANDLE)));
    wallet::WalletSession& session = architect->wallet();
    wallet::WalletLock lock(session);
    if (!wallet::wallet_load(session)) return std::nullopt;
    auto key = wallet::derive_path(session, wallet::identity_path());
    if (!key) return std::nullopt;
    return std::move(key->priv_hex);
}

std::string seed_report_json(const SeedReport& r)
{
    core::Json j = {{"traders", r.traders},
                    {"tokens", r.tokens},
                    {"pictures", r.pictures},
                    {"listings", r.listings},
                    {"live", r.live},
                    {"partially_filled", r.partially_filled},
                    {"cancelled", r.cancelled},
                    {"expired", r.expired},
                    {"sold", r.sold},
                    {"open_offers", r.open_offers},
                    {"withdrawn_offers", r.withdrawn_offers},
                    {"fills", r.fills},
                    {"moves_failed", r.moves_failed},
                    {"oldest_fill_days", r.oldest_fill_days},
                    {"user", USER_NAME},
                    {"user_key", r.user_key},
                    {"architect_key", r.architect_key},
                    {"live_ids", r.live_ids}};
    return core::json_dump_file(j);
}

} // namespace demo
