#include "ui/tools/sample_market.h"

#include "book/chain_facts.h"

#include <chrono>
#include <random>
#include <thread>

namespace ui {

namespace {

const char* const SELLERS[] = {"ariadne", "basilios", "calliope", "demos", "eudora", "phaedra", "galen",
                               "helios", "ione", "kleon", "lysander", "melina", "nikias", "olympia",
                               "pericles", "rhea", "sappho", "theron", "xanthe", "zeno"};
struct SampleToken {
    const char* name;
    const char* sym;
    int dec;
};
const SampleToken TOKENS[] = {{"Obol", "OBOL", 0},      {"Drachma", "DRCH", 2}, {"Laurel", "LAUR", 8},
                              {"Owl Coin", "OWL", 0},   {"Amphora", "AMPH", 3}, {"Agora Gold", "AGG", 6},
                              {"Trireme", "TRIR", 0},   {"Olive Oil", "OLIV", 1}};
const char* const PICTURES[] = {"Dawn over the Stoa", "Golden Owl #12", "Temple at Night", "Marble Bust",
                                "Harbour Lights",     "Laurel Crown",   "Mosaic Fragment", "Lyre Study"};
const char* const NOTES[] = {"Fresh mint, fair price",       "Partial fills welcome", "Rare early lot",
                             "Bundle from the first drop",   "Quick sale",            "Collector's piece",
                             "Holding since genesis",        "Priced to move"};

std::string hex64(std::mt19937& rng)
{
    static const char* digits = "0123456789abcdef";
    std::string out(64, '0');
    for (char& c : out) c = digits[rng() % 16];
    return out;
}

} // namespace

std::vector<book::Listing> sample_book(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<book::Listing> out;
    out.reserve(n);
    const int64_t now = 1'790'000'000;
    for (size_t i = 0; i < n; ++i) {
        book::Listing l;
        l.id = tx::Txid::parse(hex64(rng)).value();
        const bool token = rng() % 3 != 0;
        const std::string seller = SELLERS[rng() % std::size(SELLERS)];
        l.handle = seller + "@tavrinnode.example";
        l.paymail = l.handle;
        l.pubkey = "02" + hex64(rng);
        l.created = now - static_cast<int64_t>(i) * 600;
        l.exp = l.created + 2'419'200;
        l.utxo = tx::parse_outpoint(hex64(rng) + "_0");
        l.note = NOTES[rng() % std::size(NOTES)];
        if (token) {
            const auto& t = TOKENS[rng() % std::size(TOKENS)];
            l.kind = book::ListingKind::Token;
            l.name = t.name;
            l.sym = t.sym;
            l.dec = t.dec;
            l.origin = hex64(rng) + "_0";
            l.icon = std::string("icon-") + t.sym;
            l.qty = std::to_string((10 + rng() % 5000) * 1000) + std::string(static_cast<size_t>(t.dec), '0');
            l.price_sats = 50'000 + (rng() % 400) * 25'000;
        } else {
            l.kind = book::ListingKind::Picture;
            l.claimed.name = PICTURES[rng() % std::size(PICTURES)];
            l.origin = "pic-" + std::to_string(rng() % std::size(PICTURES));
            l.qty = "1";
            l.price_sats = 1'000'000 + (rng() % 90) * 500'000;
        }
        const unsigned roll = rng() % 20;
        using book::ListingStatus;
        l.status = roll < 15   ? ListingStatus::Live
                   : roll < 17 ? ListingStatus::Expired
                   : roll < 19 ? ListingStatus::Cancelled
                               : ListingStatus::ForceCancelled;
        l.fee_ok = true;
        out.push_back(std::move(l));
    }
    return out;
}

WalletSnapshot sample_wallet(const std::string& identity_key)
{
    WalletSnapshot wallet;
    wallet.bound = true;
    wallet.wallet_id = "w1";
    wallet.paymail = "melina@tavrinnode.example";
    wallet.identity_key = identity_key;
    wallet.address = "1MelinaPaysHere000000000000000000";
    wallet.ordinals_address = "1MelinaOrdinals00000000000000000";
    wallet.balance_known = true;
    wallet.balance_sats = 1'284'500'000;
    return wallet;
}

ScriptedServices::ScriptedServices() = default;

void ScriptedServices::set_book(std::vector<book::Listing> view)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_states.clear();
    for (const auto& listing : view) {
        m_states[listing.id] = {listing.status, listing.fee_ok};
        // The index reports a picture's listing output as holding the picture it names, unless
        // a test said otherwise.
        if (listing.kind == book::ListingKind::Picture) m_origins.try_emplace(book::listing_utxo_text(listing), listing.origin);
    }
    m_view = std::move(view);
    m_book_error.clear();
}

void ScriptedServices::set_book_error(std::string error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_book_error = std::move(error);
}

void ScriptedServices::set_wallet(WalletSnapshot wallet)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wallet = std::move(wallet);
}

void ScriptedServices::set_reserves(std::vector<tx::Txid> listing_ids)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reserves = std::move(listing_ids);
}

void ScriptedServices::set_update_page(PageFetch page)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_page = std::move(page);
}

void ScriptedServices::set_connect_result(trade::TradeResult<void> result, WalletSnapshot wallet_after)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_connect_result = std::move(result);
    m_wallet_after_connect = std::move(wallet_after);
}

void ScriptedServices::set_book_delay_ms(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_book_delay_ms = ms;
}

void ScriptedServices::set_content(const std::string& key, InscriptionContent content)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_content[key] = std::move(content);
}

std::vector<tx::Txid> ScriptedServices::removed_reserves() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_removed;
}

trade::TradeResult<void> ScriptedServices::connect()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_connect_result) m_wallet = m_wallet_after_connect;
    return m_connect_result;
}

void ScriptedServices::disconnect()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wallet = {};
}

WalletSnapshot ScriptedServices::wallet_snapshot()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_wallet;
}

bool ScriptedServices::refresh_balance()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wallet.balance_known = true;
    return m_wallet.bound;
}

void ScriptedServices::set_output_origin(const std::string& outpoint, std::string origin)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_origins[outpoint] = std::move(origin);
}

void ScriptedServices::set_book_incomplete(size_t unread)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_unread = unread;
}

void ScriptedServices::set_services_badge(std::string badge)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_badge = std::move(badge);
}

std::string ScriptedServices::services_badge()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_badge;
}

BookLoad ScriptedServices::load_book(const std::string& identity_key)
{
    int delay = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        delay = m_book_delay_ms;
    }
    if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    ++m_book_loads;
    std::lock_guard<std::mutex> lock(m_mutex);
    BookLoad load;
    if (!m_book_error.empty()) {
        load.error = m_book_error == "-" ? std::string() : m_book_error;
        return load;
    }
    load.ok = true;
    load.complete = m_unread == 0;
    load.unread = m_unread;
    // An incomplete read holds only some of the book.
    load.view = m_unread == 0 ? m_view : std::vector<book::Listing>(m_view.begin(), m_view.begin() + m_view.size() / 2);
    // A picture shows what the index says its listing output holds, as the live book does.
    for (auto& listing : load.view)
        if (listing.kind == book::ListingKind::Picture) {
            const auto held = m_origins.find(book::listing_utxo_text(listing));
            book::apply_chain_facts(listing, held == m_origins.end() ? std::nullopt : std::optional(book::HeldAsset{held->second, ""}),
                                    std::nullopt);
        }
    load.states = m_states;
    if (!identity_key.empty()) {
        load.history = m_history;
        load.history_ok = true;
    }
    return load;
}

std::vector<tx::Txid> ScriptedServices::reserve_listing_ids()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reserves;
}

void ScriptedServices::remove_reserve(const tx::Txid& listing_id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_removed.push_back(listing_id);
    std::erase(m_reserves, listing_id);
}

std::optional<InscriptionContent> ScriptedServices::inscription_content(const std::string& key)
{
    ++m_content_requests;
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_content.find(key);
    if (it == m_content.end()) return std::nullopt;
    return it->second;
}

void ScriptedServices::set_lots(std::vector<wallet::TvPursaOrdRow> lots, std::string error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lots = std::move(lots);
    m_lots_error = std::move(error);
}

void ScriptedServices::set_history(std::vector<book::HistoryRow> rows, std::string error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_history = std::move(rows);
    m_history_error = std::move(error);
}

std::string ScriptedServices::history_key() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_history_key;
}

std::string ScriptedServices::list_lots(std::vector<wallet::TvPursaOrdRow>& lots)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    lots = m_lots;
    return m_lots_error;
}

bool ScriptedServices::load_history(const std::string& identity_key, std::vector<book::HistoryRow>& rows,
                                    std::string& error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_history_key = identity_key;
    rows = m_history;
    error = m_history_error;
    return error.empty();
}

PageFetch ScriptedServices::fetch_page(const std::string&)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_page;
}

bool ScriptedServices::offer_spends_listing(const std::string& offer_hex, const tx::Outpoint& utxo)
{
    // Scripted offers name the outpoint they spend in their text.
    return offer_hex.find(tx::format_outpoint(utxo)) != std::string::npos;
}

} // namespace ui
