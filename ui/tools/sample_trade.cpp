#include "ui/tools/sample_trade.h"

#include <chrono>
#include <thread>

#include "core/market_clock.h"

namespace ui {

namespace {
const char* const SAMPLE_TXID = "5e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a1b0c9d8e7f6a5b4c3d2e1f";
} // namespace

void ScriptedTradeServices::set_answer(const std::string& routine, std::optional<trade::TradeError> answer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers[routine] = std::move(answer);
}

void ScriptedTradeServices::set_buyer_coins_spent(const std::string& offer_text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_coins_spent.insert(offer_text);
}

void ScriptedTradeServices::set_check(const std::string& offer_text, trade::OfferCheck check)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_checks[offer_text] = std::move(check);
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

void ScriptedTradeServices::record(std::string name, std::string argument, std::string extra)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back({std::move(name), std::move(argument), std::move(extra)});
}

std::optional<trade::TradeError> ScriptedTradeServices::answer(const std::string& routine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_answers.find(routine);
    return it != m_answers.end() ? it->second : std::nullopt;
}

trade::TradeResult<trade::Sent> ScriptedTradeServices::sent(const std::string& routine)
{
    if (auto refusal = answer(routine)) return *refusal;
    return trade::Sent{*tx::Txid::parse(SAMPLE_TXID), true, std::nullopt};
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

trade::ListingPlan ScriptedTradeServices::plan_listing(const trade::ListRequest& request)
{
    pause();
    record("plan_listing", tx::format_outpoint(request.lot.txid, request.lot.vout),
           request.qty + "|" + request.price + "|" + request.note);
    trade::ListingPlan plan;
    plan.refusal = answer("plan_listing");
    if (plan.refusal) return plan;
    plan.outpoint = {request.lot.txid, request.lot.vout};
    plan.origin = request.lot.token_id.empty() ? request.lot.id : request.lot.token_id;
    plan.exp = core::system_seconds() + trade::LISTING_LIFETIME;
    plan.post = {{"type", "ag_list"}, {"utxo", tx::format_outpoint(plan.outpoint)}, {"qty", request.lot.picture() ? "1" : request.qty},
                 {"note", request.note}, {"exp", plan.exp}};
    return plan;
}

std::optional<trade::TradeError> ScriptedTradeServices::reserve_add(const tx::Outpoint& outpoint, const std::string& origin, int64_t exp)
{
    record("reserve_add", tx::format_outpoint(outpoint), origin + " " + std::to_string(exp));
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_reserved.insert(outpoint).second) return trade::TradeError(funding::FundingError(funding::FundingCode::AlreadyListed));
    return std::nullopt;
}

void ScriptedTradeServices::reserve_remove(const tx::Outpoint& outpoint)
{
    record("reserve_remove", tx::format_outpoint(outpoint));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reserved.erase(outpoint);
}

trade::TradeResult<trade::Sent> ScriptedTradeServices::publish_listing(const core::Json& post, const tx::Outpoint& outpoint)
{
    pause();
    record("publish_listing", post.dump(), tx::format_outpoint(outpoint));
    return sent("publish_listing");
}

trade::BuyPlan ScriptedTradeServices::plan_buy(const book::Listing& listing, const std::string& qty_box)
{
    pause();
    record("plan_buy", listing.id.hex(), qty_box);
    trade::BuyPlan plan;
    plan.refusal = answer("plan_buy");
    if (plan.refusal) return plan;
    plan.post = {{"type", "ag_buy"}, {"listing", listing.id.hex()}, {"qty", qty_box}};
    if (listing.utxo) plan.offer.listing_utxo = *listing.utxo;
    plan.offer.quantity = qty_box;
    return plan;
}

trade::TradeResult<trade::Sent> ScriptedTradeServices::run_buy(const trade::BuyPlan& plan)
{
    pause();
    record("run_buy", plan.post.dump(), tx::format_outpoint(plan.offer.listing_utxo));
    return sent("run_buy");
}

trade::TradeResult<trade::Sent> ScriptedTradeServices::run_cancel_listing(const book::Listing& listing)
{
    pause();
    record("run_cancel_listing", listing.id.hex(), book::listing_utxo_text(listing));
    return sent("run_cancel_listing");
}

trade::TradeResult<trade::Sent> ScriptedTradeServices::run_offer_cancel(const tx::Txid& listing_id, const book::Offer& offer)
{
    pause();
    record("run_offer_cancel", offer.id.hex(), listing_id.hex() + " " + offer.offer);
    return sent("run_offer_cancel");
}

std::vector<trade::OfferRow> ScriptedTradeServices::offers_on_my_listings(const std::vector<book::Listing>& listings,
                                                                          const std::string& my_key)
{
    pause();
    record("offers_on_my_listings", my_key);
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<trade::OfferRow> rows;
    for (const auto& listing : listings) {
        if (listing.status != book::ListingStatus::Live || my_key.empty() || listing.pubkey != my_key) continue;
        for (const auto& offer : listing.offers)
            if (!m_coins_spent.count(offer.offer)) rows.push_back({offer, listing});
    }
    return rows;
}

trade::OfferCheck ScriptedTradeServices::evaluate_offer(const std::string& offer_text, const book::Listing& listing)
{
    record("evaluate_offer", offer_text, listing.id.hex());
    std::lock_guard<std::mutex> lock(m_mutex);
    if (const auto it = m_checks.find(offer_text); it != m_checks.end()) return it->second;
    // An offer passes by default, paying what it says.
    trade::OfferCheck check;
    check.passes = true;
    for (const auto& offer : listing.offers)
        if (offer.offer == offer_text) check.paid_sats = check.due_sats = offer.pay_sats;
    return check;
}

std::optional<trade::TradeError> ScriptedTradeServices::check_completion(const trade::OfferRow& row)
{
    pause();
    record("check_completion", row.offer.id.hex());
    return answer("check_completion");
}

trade::TradeResult<trade::Sent> ScriptedTradeServices::run_completion(const trade::OfferRow& row)
{
    pause();
    record("run_completion", row.offer.id.hex(), row.listing.id.hex());
    return sent("run_completion");
}

trade::TradeResult<trade::Sent> ScriptedTradeServices::send_report(const std::string& text)
{
    pause();
    record("send_report", text);
    return sent("send_report");
}

} // namespace ui

namespace ui {

namespace {

std::string hex_id(char c, int n) { return std::string(63, c) + static_cast<char>('0' + n % 10); }

book::Offer sample_offer(const std::string& id, const std::string& handle, const std::string& pubkey,
                         const std::string& qty, uint64_t pay, const std::string& spends)
{
    book::Offer offer;
    offer.id = tx::Txid::parse(id).value();
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
    l.id = tx::Txid::parse(id).value();
    l.pubkey = owner;
    l.handle = handle;
    l.paymail = handle;
    l.kind = sym[0] ? book::ListingKind::Token : book::ListingKind::Picture;
    l.origin = sym[0] ? std::string(64, 'e') + "_0" : "pic-1";
    l.utxo = tx::parse_outpoint(id.substr(0, 60) + "beef_1");
    l.qty = qty;
    l.price_sats = price;
    // A picture's title is its seller's word; the chain names only tokens.
    (sym[0] ? l.name : l.claimed.name) = name;
    l.sym = sym;
    l.icon = sym[0] ? std::string("icon-") + sym : "";
    l.note = "Partial fills welcome";
    l.status = book::ListingStatus::Live;
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
    owl.offers = {sample_offer(hex_id('b', 1), "zeno@tavrinnode.example", zeno, "100", 50'000'000, book::listing_utxo_text(owl)),
                  sample_offer(hex_id('b', 2), "rhea@tavrinnode.example", rhea, "40", 1, book::listing_utxo_text(owl))};
    book.push_back(owl);

    auto dawn = sample_listing(hex_id('a', 2), me, SAMPLE_PAYMAIL, now, "Dawn over the Stoa", "", "1", 45'000'000);
    dawn.offers = {sample_offer(hex_id('b', 3), "rhea@tavrinnode.example", rhea, "1", 45'000'000, "")};
    book.push_back(dawn);

    auto laurel = sample_listing(hex_id('a', 3), zeno, "zeno@tavrinnode.example", now, "Laurel", "LAUR", "5000",
                                 1'250'000'000);
    laurel.offers = {sample_offer(hex_id('b', 4), SAMPLE_PAYMAIL, me, "1000", 250'000'000, book::listing_utxo_text(laurel))};
    book.push_back(laurel);

    auto amphora = sample_listing(hex_id('a', 4), rhea, "rhea@tavrinnode.example", now, "Amphora", "AMPH", "12",
                                  36'000'000);
    amphora.offers = {sample_offer(hex_id('b', 5), SAMPLE_PAYMAIL, me, "3", 9'000'000, book::listing_utxo_text(amphora))};
    book.push_back(amphora);

    book.push_back(sample_listing(hex_id('a', 5), zeno, "zeno@tavrinnode.example", now, "Golden Owl #12", "", "1",
                                  120'000'000));
    book.push_back(sample_listing(hex_id('a', 6), rhea, "rhea@tavrinnode.example", now, "Drachma", "DRCH", "900",
                                  90'000'000));
    auto old = sample_listing(hex_id('a', 7), me, SAMPLE_PAYMAIL, now, "Obol", "OBOL", "50", 5'000'000);
    old.status = book::ListingStatus::Expired;
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
        bool theirs = false;  // someone else's post on the wallet's listing
    };
    const Row rows[] = {
        {"ag_buy", "buy", 2 * 3600, "Amphora", "3", 9'000'000, "rhea@tavrinnode.example", true},
        {"ag_buy", "buy", 5 * 3600, "Laurel", "1000", 250'000'000, "zeno@tavrinnode.example", true},
        {"ag_buy", "buy", 7 * 3600, "Owl Coin", "100", 50'000'000, SAMPLE_PAYMAIL, false, true},
        {"ag_fill", "sell", 9 * 3600, "Owl Coin", "100", 50'000'000, "zeno@tavrinnode.example", false},
        {"ag_fill", "buy", 30 * 3600, "Drachma", "200", 20'000'000, "rhea@tavrinnode.example", false},
        {"ag_list", "sell", 40 * 3600, "Owl Coin", "500", 250'000'000, "", false},
        {"ag_fill", "sell", 3 * 86400, "Golden Owl #3", "1", 80'000'000, "ione@tavrinnode.example", false},
        {"ag_offer_cancel", "buy", 4 * 86400, "Trireme", "10", 0, "", false},
        {"ag_fill", "sell", 6 * 86400, "Owl Coin", "60", 30'000'000, "galen@tavrinnode.example", false},
        {"ag_cancel", "sell", 8 * 86400, "Obol", "50", 0, "", false},
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
        if (r.theirs) {
            row.handle = "zeno@tavrinnode.example";
            row.pubkey = "02" + std::string(64, 'c');
        }
        row.counterparty = r.counterparty;
        row.open = r.open;
        row.txid = *tx::Txid::parse(hex_id('f', n++));
        row.listing = hex_id('9', n);
        out.push_back(std::move(row));
    }
    // The open offers are those on the book.
    out[0].txid = *tx::Txid::parse(hex_id('b', 5));
    out[0].listing = hex_id('a', 4);
    out[1].txid = *tx::Txid::parse(hex_id('b', 4));
    out[1].listing = hex_id('a', 3);
    // zeno's offer on the wallet's Owl Coin listing.
    out[2].txid = *tx::Txid::parse(hex_id('b', 1));
    out[2].listing = hex_id('a', 1);
    return out;
}

std::vector<wallet::TvPursaOrdRow> sample_lots()
{
    std::vector<wallet::TvPursaOrdRow> lots(3);
    lots[0].origin = std::string(64, '1') + "_0";
    lots[0].txid = *tx::Txid::parse(std::string(64, '2'));
    lots[0].vout = 1;
    lots[0].name = "Owl Coin";
    lots[0].token_id = std::string(64, '1') + "_0";
    lots[0].amt = "500";
    lots[1].origin = std::string(64, '3') + "_0";
    lots[1].txid = *tx::Txid::parse(std::string(64, '4'));
    lots[1].vout = 0;
    lots[1].token_id = std::string(64, '3') + "_0";
    lots[1].name = "LAUR";
    lots[1].amt = "1200000";
    lots[1].dec = "2";
    lots[2].origin = std::string(64, '5') + "_0";
    lots[2].txid = *tx::Txid::parse(std::string(64, '5'));
    lots[2].vout = 0;
    lots[2].name = "Dawn over the Stoa";
    return lots;
}

} // namespace ui
