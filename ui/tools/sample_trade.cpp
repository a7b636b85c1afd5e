#include "ui/tools/sample_trade.h"

#include <chrono>
#include <thread>

namespace ui {

namespace {
const char* const SAMPLE_TXID = "5e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a1b0c9d8e7f6a5b4c3d2e1f";
} // namespace

void ScriptedTradeServices::set_frozen(const std::string& pubkey)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frozen.insert(pubkey);
}

void ScriptedTradeServices::set_spent(const std::string& outpoint, const std::string& reason)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_spent[outpoint] = reason;
}

void ScriptedTradeServices::set_buyer_coins_spent(const std::string& offer_hex)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_coins_spent.insert(offer_hex);
}

void ScriptedTradeServices::set_verdict(const std::string& offer_hex, OfferVerdict verdict)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_verdicts[offer_hex] = std::move(verdict);
}

void ScriptedTradeServices::set_reserve_result(std::string result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reserve_result = std::move(result);
}

void ScriptedTradeServices::set_result(const std::string& routine, std::string result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_results[routine] = std::move(result);
}

void ScriptedTradeServices::set_sealed(SealedReport sealed)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sealed = std::move(sealed);
}

void ScriptedTradeServices::set_delay_ms(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delay_ms = ms;
}

std::vector<ScriptedTradeServices::Call> ScriptedTradeServices::calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<ScriptedTradeServices::Call> ScriptedTradeServices::calls(const std::string& name) const
{
    std::vector<Call> out;
    for (auto& call : calls())
        if (call.name == name) out.push_back(call);
    return out;
}

void ScriptedTradeServices::clear_calls()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

void ScriptedTradeServices::record(std::string name, std::string argument, std::string extra)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back({std::move(name), std::move(argument), std::move(extra)});
}

std::string ScriptedTradeServices::result_of(const std::string& routine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_results.find(routine);
    return it != m_results.end() ? it->second : std::string("success: ") + SAMPLE_TXID;
}

void ScriptedTradeServices::pause() const
{
    int delay = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        delay = m_delay_ms;
    }
    if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
}

bool ScriptedTradeServices::identity_frozen(const std::string& pubkey)
{
    pause();
    record("identity_frozen", pubkey);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frozen.count(pubkey) > 0;
}

bool ScriptedTradeServices::listing_output_unspent(const std::string& outpoint, std::string& reason)
{
    pause();
    record("listing_output_unspent", outpoint);
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_spent.find(outpoint);
    if (it == m_spent.end()) return true;
    reason = it->second;
    return false;
}

AssetDetails ScriptedTradeServices::asset_details(const std::string& origin, const std::string& kind, AssetDetails known)
{
    record("asset_details", origin, kind);
    if (kind == "bsv21" && known.sym.empty()) known.sym = "OWL";
    if (kind == "picture" && known.icon.empty()) known.icon = origin;
    return known;
}

bool ScriptedTradeServices::buyer_coins_spent(const std::string& offer_hex)
{
    pause();
    record("buyer_coins_spent", offer_hex);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_coins_spent.count(offer_hex) > 0;
}

OfferVerdict ScriptedTradeServices::check_offer(const book::Listing& listing, const book::Offer& offer)
{
    record("check_offer", offer.offer, listing.id);
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_verdicts.find(offer.offer);
    if (it != m_verdicts.end()) return it->second;
    return OfferVerdict{true, true, offer.pay_sats, offer.pay_sats, ""};
}

std::string ScriptedTradeServices::reserve_add(const std::string& outpoint, const std::string& origin, int64_t expiry)
{
    record("reserve_add", outpoint, origin + " " + std::to_string(expiry));
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_reserve_result.rfind("success", 0) != 0) return m_reserve_result;
    if (!m_reserved.insert(outpoint).second) return "error: that UTXO is already listed.";
    return m_reserve_result;
}

void ScriptedTradeServices::reserve_remove(const std::string& key)
{
    record("reserve_remove", key);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reserved.erase(key);
}

std::string ScriptedTradeServices::post_listing(const nlohmann::json& post, const std::string& reserve_key)
{
    pause();
    record("post_listing", post.dump(), reserve_key);
    return result_of("post_listing");
}

std::string ScriptedTradeServices::post_offer(const nlohmann::json& post, const book::Listing& listing,
                                              const std::string& qty, uint64_t pay_sats)
{
    pause();
    record("post_offer", post.dump(), listing.utxo + " " + qty + " " + std::to_string(pay_sats));
    return result_of("post_offer");
}

std::string ScriptedTradeServices::complete_sale(const book::Listing& listing, const book::Offer& offer)
{
    pause();
    record("complete_sale", offer.id, listing.id);
    return result_of("complete_sale");
}

std::string ScriptedTradeServices::cancel_listing(const nlohmann::json& post, const std::string& listing_id,
                                                  const std::string& utxo)
{
    pause();
    record("cancel_listing", post.dump(), listing_id + " " + utxo);
    return result_of("cancel_listing");
}

std::string ScriptedTradeServices::cancel_offer(const nlohmann::json& post, const std::string& offer_hex)
{
    pause();
    record("cancel_offer", post.dump(), offer_hex);
    return result_of("cancel_offer");
}

SealedReport ScriptedTradeServices::seal_report(const std::string& text)
{
    record("seal_report", text);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sealed;
}

std::string ScriptedTradeServices::send_report(const std::string& payload)
{
    pause();
    record("send_report", payload);
    return result_of("send_report");
}

} // namespace ui

namespace ui {

namespace {

std::string hex_id(char c, int n) { return std::string(63, c) + static_cast<char>('0' + n % 10); }

book::Offer sample_offer(const std::string& id, const std::string& handle, const std::string& pubkey,
                         const std::string& qty, uint64_t pay, const std::string& spends)
{
    book::Offer offer;
    offer.id = id;
    offer.handle = handle;
    offer.pubkey = pubkey;
    offer.qty = qty;
    offer.pay_sats = pay;
    // Scripted offers name the outpoint they spend (ScriptedServices::offer_spends_listing).
    if (!spends.empty()) {
        offer.offer = "01000000" + id + spends;
    }
    return offer;
}

book::Listing sample_listing(const std::string& id, const std::string& owner, const std::string& handle,
                             int64_t now, const char* name, const char* sym, const char* qty, uint64_t price)
{
    book::Listing l;
    l.id = id;
    l.pubkey = owner;
    l.handle = handle;
    l.paymail = handle;
    l.kind = sym[0] ? "bsv21" : "picture";
    l.origin = std::string(64, 'e') + "_0";
    l.utxo = id.substr(0, 60) + "beef_1";
    l.qty = qty;
    l.price_sats = price;
    l.name = name;
    l.sym = sym;
    l.icon = sym[0] ? std::string("icon-") + sym : "pic-1";
    l.note = "Partial fills welcome";
    l.status = "live";
    l.fee_ok = true;
    l.created = now - 3600;
    l.exp = now + 20 * 86400;
    l.pay_addr = "1PayAddressOfTheSeller00000000000";
    l.ord_addr = "1OrdAddressOfTheSeller00000000000";
    return l;
}

} // namespace

std::vector<book::Listing> sample_trade_book(const std::string& me, int64_t now)
{
    const std::string zeno = "02" + std::string(64, 'c');
    const std::string rhea = "03" + std::string(64, 'd');
    std::vector<book::Listing> book;

    auto owl = sample_listing(hex_id('a', 1), me, SAMPLE_PAYMAIL, now, "Owl Coin", "OWL", "400", 200'000'000);
    owl.offers = {sample_offer(hex_id('b', 1), "zeno@tavrinnode.example", zeno, "100", 50'000'000, owl.utxo),
                  sample_offer(hex_id('b', 2), "rhea@tavrinnode.example", rhea, "40", 1, owl.utxo)};
    book.push_back(owl);

    auto dawn = sample_listing(hex_id('a', 2), me, SAMPLE_PAYMAIL, now, "Dawn over the Stoa", "", "1", 45'000'000);
    dawn.offers = {sample_offer(hex_id('b', 3), "rhea@tavrinnode.example", rhea, "1", 45'000'000, "")};
    book.push_back(dawn);

    auto laurel = sample_listing(hex_id('a', 3), zeno, "zeno@tavrinnode.example", now, "Laurel", "LAUR", "5000",
                                 1'250'000'000);
    laurel.offers = {sample_offer(hex_id('b', 4), SAMPLE_PAYMAIL, me, "1000", 250'000'000, laurel.utxo)};
    book.push_back(laurel);

    auto amphora = sample_listing(hex_id('a', 4), rhea, "rhea@tavrinnode.example", now, "Amphora", "AMPH", "12",
                                  36'000'000);
    amphora.offers = {sample_offer(hex_id('b', 5), SAMPLE_PAYMAIL, me, "3", 9'000'000, amphora.utxo)};
    book.push_back(amphora);

    book.push_back(sample_listing(hex_id('a', 5), zeno, "zeno@tavrinnode.example", now, "Golden Owl #12", "", "1",
                                  120'000'000));
    book.push_back(sample_listing(hex_id('a', 6), rhea, "rhea@tavrinnode.example", now, "Drachma", "DRCH", "900",
                                  90'000'000));
    auto old = sample_listing(hex_id('a', 7), me, SAMPLE_PAYMAIL, now, "Obol", "OBOL", "50", 5'000'000);
    old.status = "expired";
    old.exp = now - 86400;
    book.push_back(old);
    return book;
}

std::vector<book::HistoryRow> sample_trade_history(const std::string& me, int64_t now)
{
    struct Row {
        const char* type;
        const char* role;
        int64_t ago;
        const char* name;
        const char* qty;
        uint64_t sats;
        const char* counterparty;
        bool open;
    };
    const Row rows[] = {
        {"ag_buy", "buy", 2 * 3600, "Amphora  AMPH", "3", 9'000'000, "rhea@tavrinnode.example", true},
        {"ag_buy", "buy", 5 * 3600, "Laurel  LAUR", "1000", 250'000'000, "zeno@tavrinnode.example", true},
        {"ag_fill", "sell", 9 * 3600, "Owl Coin  OWL", "100", 50'000'000, "zeno@tavrinnode.example", false},
        {"ag_fill", "buy", 30 * 3600, "Drachma  DRCH", "200", 20'000'000, "rhea@tavrinnode.example", false},
        {"ag_list", "sell", 40 * 3600, "Owl Coin  OWL", "500", 250'000'000, "", false},
        {"ag_fill", "sell", 3 * 86400, "Golden Owl #3", "1", 80'000'000, "ione@tavrinnode.example", false},
        {"ag_offer_cancel", "buy", 4 * 86400, "Trireme  TRIR", "10", 0, "", false},
        {"ag_fill", "sell", 6 * 86400, "Owl Coin  OWL", "60", 30'000'000, "galen@tavrinnode.example", false},
        {"ag_cancel", "sell", 8 * 86400, "Obol  OBOL", "50", 0, "", false},
        {"ag_fill", "buy", 10 * 86400, "Lyre Study", "1", 65'000'000, "sappho@tavrinnode.example", false},
    };
    std::vector<book::HistoryRow> out;
    int n = 0;
    for (const Row& r : rows) {
        book::HistoryRow row;
        row.type = r.type;
        row.role = r.role;
        row.time = now - r.ago;
        row.name = r.name;
        row.qty = r.qty;
        row.pay_sats = r.sats;
        row.handle = std::string(r.role) == "buy" && std::string(r.type) == "ag_fill" ? "you" : SAMPLE_PAYMAIL;
        row.pubkey = me;
        row.counterparty = r.counterparty;
        row.open = r.open;
        row.txid = hex_id('f', n++);
        row.listing = hex_id('9', n);
        out.push_back(std::move(row));
    }
    // The open offers are those on the book.
    out[0].txid = hex_id('b', 5);
    out[0].listing = hex_id('a', 4);
    out[1].txid = hex_id('b', 4);
    out[1].listing = hex_id('a', 3);
    return out;
}

std::vector<wallet::TvPursaOrdRow> sample_lots()
{
    std::vector<wallet::TvPursaOrdRow> lots(3);
    lots[0].origin = std::string(64, '1') + "_0";
    lots[0].txid = std::string(64, '2');
    lots[0].vout = 1;
    lots[0].name = "Owl Coin";
    lots[0].token_id = std::string(64, '1') + "_0";
    lots[0].amt = "500";
    lots[1].origin = std::string(64, '3') + "_0";
    lots[1].txid = std::string(64, '4');
    lots[1].vout = 0;
    lots[1].token_id = std::string(64, '3') + "_0";
    lots[1].amt = "12000";
    lots[2].origin = std::string(64, '5') + "_0";
    lots[2].txid = std::string(64, '5');
    lots[2].vout = 0;
    lots[2].name = "Dawn over the Stoa";
    return lots;
}

} // namespace ui
