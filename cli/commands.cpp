#include "cli/commands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "book/book_view.h"
#include "book/history.h"
#include "book/load.h"
#include "book/reduce.h"
#include "book/reduce_context.h"
#include "book/post.h"
#include "cli/lots.h"
#include "cli/record_json.h"
#include "cli/table.h"
#include "core/token_amount.h"
#include "core/amount.h"
#include "core/log.h"
#include "core/market_clock.h"
#include "funding/reserves.h"
#include "net/service_config.h"
#include "trade/buy_routine.h"
#include "trade/cancel_routine.h"
#include "trade/complete_routine.h"
#include "trade/list_routine.h"
#include "trade/market_session.h"
#include "trade/offer_complete.h"
#include "trade/report.h"
#include "trade/reserve_reconcile.h"
#include "trade/result_text.h"
#include "trade/trade_gate.h"
#include "trade/wallet_now.h"
#include "wallet/app_binding.h"
#include "wallet/balance.h"
#include "wallet/connect.h"

namespace cli {
namespace {

constexpr const char* APP_INSTANCE = "agoran-cli";
constexpr const char* APP_NAME = "Agoran";
// Shortest id prefix the commands accept in place of a whole txid.
constexpr size_t MIN_ID_PREFIX = 8;
// The exit status of book and history when what they print is not the whole book.
constexpr int EXIT_INCOMPLETE = 3;

// Prints the result text; the exit status says whether the command did what it was asked.
int finish(std::ostream& out, const std::string& text, bool ok = false)
{
    out << text << (text.empty() || text.back() != '\n' ? "\n" : "");
    return ok ? 0 : 1;
}

int finish(std::ostream& out, const trade::TradeResult<trade::Sent>& result)
{
    return finish(out, trade::result_text(result), result.ok());
}

// Prints why the command did nothing; exit status 1.
int refuse(std::ostream& out, const trade::TradeError& error)
{
    return finish(out, trade::failure_text(error));
}

int refuse(std::ostream& out, const std::string& sentence)
{
    return finish(out, trade::refusal_text(sentence));
}

std::string short_id(const std::string& id)
{
    return id.substr(0, 12);
}

// What the chain calls the lot, marked when the seller's post says otherwise.
std::string item_label(const book::Listing& l)
{
    std::string label = l.name;
    // A token's name is often its symbol; it is not printed twice.
    if (!l.sym.empty() && l.sym != label) label += (label.empty() ? "" : "  ") + l.sym;
    if (label.empty()) label = short_id(l.chain_origin.empty() ? l.origin : l.chain_origin);
    return l.claims_differ ? label + "  (seller's claims differ)" : label;
}

// True when id names the txid: the whole of it, or a prefix of at least MIN_ID_PREFIX characters.
bool id_matches(const std::string& txid, const std::string& id)
{
    std::string want = core::ascii_lower(id);
    if (want.size() < MIN_ID_PREFIX || want.size() > txid.size()) return false;
    return txid.compare(0, want.size(), want) == 0;
}

struct Book {
    std::vector<book::Listing> listings;
    book::LoadStatus status;
    std::optional<trade::TradeError> error;  // when the load failed
};

// Warns on standard error when the load did not read the whole book, saying what is missing and
// when the last whole book was read. True when it warned.
bool warn_if_incomplete(const book::LoadStatus& status, const std::string& load_error)
{
    if (status.complete) return false;
    std::string text = "the book is incomplete: " + book::shortfall_text(status);
    if (!load_error.empty()) text += " (" + load_error + ")";
    text += status.last_complete > 0 ? "; the last whole book was read " + core::utc_minute_text(status.last_complete) + " UTC."
                                     : "; no whole book has been read yet.";
    core::log_warning(text);
    return true;
}

// Loads the book; with a wallet bound and the book read whole, its reserves are then settled
// against it as the desktop program settles them (a listing the book holds closed frees its
// lot). A book read in part is never settled against: what it misses is not closed.
Book load_book(trade::MarketSession& session)
{
    core::log_progress("Loading the book...");
    Book b;
    book::BookResult<book::BookView> view = book::load_book_view(b.status, book::default_load_options(session.book()));
    if (!view) {
        b.error = trade::TradeError(view.error());
        warn_if_incomplete(b.status, book::error_text(view.error()));
        return b;
    }
    b.listings = std::move(view.value().listings);
    warn_if_incomplete(b.status, "");
    if (b.status.complete && wallet::pursa_is_connected(session.wallet()))
        (void)trade::reconcile_reserves(session.wallet(), trade::listing_states(view->reduced, b.listings));
    return b;
}

// The one listing the id names, or the sentence that says why there is none.
const book::Listing* find_listing(const Book& b, const std::string& id, std::string& error)
{
    const book::Listing* found = nullptr;
    for (const auto& l : b.listings) {
        if (!id_matches(l.id.hex(), id)) continue;
        if (found) {
            error = "more than one listing starts with " + id + ".";
            return nullptr;
        }
        found = &l;
    }
    if (!found) error = "no listing " + id + " on the book.";
    return found;
}

int cmd_connect(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    wallet::ConnectOptions options;
    int timeout = 60;
    if (inv.has_option("timeout")) {
        auto seconds = book::parse_decimal_u64(inv.option("timeout"));
        if (!seconds || *seconds == 0 || *seconds > 86'400) return refuse(out, "--timeout takes 1 to 86400 seconds.");
        timeout = static_cast<int>(*seconds);
    }
    options.poll_interval = std::chrono::milliseconds(500);
    options.max_polls = timeout * 2;
    options.log = [](const std::string& line) { core::log_progress(line); };
    options.start_pursa = [] {
        core::log_progress("Approve this app in Pursa (pursa approve).");
        return true;
    };
    const wallet::WalletResult<void> connected = wallet::pursa_connect(session.wallet(), options);
    return finish(out, trade::result_text(connected), connected.ok());
}

int cmd_balance(trade::MarketSession& session, std::ostream& out)
{
    if (!trade::hd_wallet_bound(session.wallet())) return refuse(out, trade::TradeError(trade::TradeCode::ConnectFirst));
    core::log_progress("Reading the balance...");
    if (auto refreshed = wallet::refresh_wallet_balance(session.funding().wallet()); !refreshed) return refuse(out, refreshed.error());
    wallet::CachedBalance balance = wallet::cached_balance(session.funding().wallet());
    out << core::format_bsv(balance.sats) << " BSV\n";
    return 0;
}

// A quantity of a listing's units as people read it: tokens with their decimals and digit
// grouping ("840" LAUR for 84000000000 base units at 8 decimals), anything else as it stands.
std::string qty_text(const book::Listing& listing, const std::string& units)
{
    if (listing.kind == book::ListingKind::Picture) return units;
    return core::format_token_amount(units, listing.dec.value_or(0)).value_or(units);
}

int cmd_book(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    // A load the services failed prints what it has (nothing) under its warning, as a partial
    // one does.
    Book b = load_book(session);
    const int status = b.status.complete ? 0 : EXIT_INCOMPLETE;
    if (inv.flag("json")) {
        out << core::json_dump_file(listings_json(b.listings));
        return status;
    }
    std::vector<std::vector<std::string>> rows;
    for (const auto& l : b.listings) {
        rows.push_back({short_id(l.id.hex()), item_label(l), std::string(book::listing_kind_text(l.kind)), qty_text(l, l.qty), core::format_bsv_sats(l.price_sats),
                        l.handle, std::string(book::listing_status_text(l.status)), std::to_string(l.offers.size())});
    }
    out << format_table({"Listing", "Item", "Kind", "Qty", "Price BSV", "Seller", "Status", "Offers"}, rows);
    return status;
}

int cmd_lots(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    if (!trade::hd_wallet_bound(session.wallet())) return refuse(out, trade::TradeError(trade::TradeCode::ConnectFirst));
    core::log_progress("Loading lots from this wallet...");
    WalletLots lots = load_wallet_lots(session.funding().wallet());
    if (!lots.error.empty()) return refuse(out, lots.error);
    if (inv.flag("json")) {
        out << core::json_dump_file(lots_json(lots.lots));
        return 0;
    }
    std::vector<std::vector<std::string>> rows;
    for (const auto& lot : lots.lots) {
        rows.push_back({tx_outpoint_text(lot), lot.name.empty() ? lot.token_id : lot.name,
                        lot.picture() ? "picture" : lot.amount});
    }
    out << format_table({"Lot", "Name", "Held"}, rows);
    return 0;
}

int cmd_list(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    if (!trade::hd_wallet_bound(session.wallet())) return refuse(out, trade::TradeError(trade::TradeCode::ConnectFirst));
    WalletLots lots = load_wallet_lots(session.funding().wallet());
    if (!lots.error.empty()) return refuse(out, lots.error);
    std::string error;
    const trade::LotToList* lot = find_lot(lots.lots, inv.args[0], error);
    if (!lot) return refuse(out, error);
    if (funding::reserve_holds(session.wallet(), {lot->txid, lot->vout})) {
        // Held for a listing: the book may show that listing closed (sold, cancelled by an
        // architect), which frees the lot.
        Book b = load_book(session);
        if (b.error) return refuse(out, *b.error);
    }
    trade::ListRequest request{*lot, inv.option("qty", "1"), inv.option("price"), inv.option("note")};
    core::log_progress("Posting listing (0.01 BSV + 1 sat)...");
    return finish(out, trade::list_lot(session, request));
}

int cmd_buy(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    Book b = load_book(session);
    if (b.error) return refuse(out, *b.error);
    std::string error;
    const book::Listing* listing = find_listing(b, inv.args[0], error);
    if (!listing) return refuse(out, error);
    core::log_progress("Building half-signed offer...");
    return finish(out, trade::buy_listing(session, *listing, inv.option("qty", listing->qty)));
}

int cmd_offers(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    std::string me = trade::wallet_identity_key(session.wallet());
    if (me.empty()) return refuse(out, trade::TradeError(trade::TradeCode::ConnectFirst));
    Book b = load_book(session);
    if (b.error) return refuse(out, *b.error);
    std::vector<trade::OfferRow> offers = trade::offers_on_my_listings(session, b.listings, me);
    std::vector<trade::OfferCheck> checks;
    for (const auto& row : offers) {
        core::log_progress("Checking offer " + short_id(row.offer.id.hex()) + "...");
        checks.push_back(trade::evaluate_offer(session, row.offer.offer, row.listing));
    }
    if (inv.flag("json")) {
        out << core::json_dump_file(offer_rows_json(offers, checks));
        return 0;
    }
    std::vector<std::vector<std::string>> rows;
    for (size_t i = 0; i < offers.size(); ++i) {
        const auto& c = checks[i];
        std::string verdict = c.passes ? "passes" : trade::error_text(c.error);
        rows.push_back({short_id(offers[i].offer.id.hex()), short_id(offers[i].listing.id.hex()), item_label(offers[i].listing),
                        qty_text(offers[i].listing, offers[i].offer.qty), core::format_bsv_sats(offers[i].offer.pay_sats),
                        core::format_bsv_sats(c.paid_sats), core::format_bsv_sats(c.due_sats), offers[i].offer.handle,
                        verdict});
    }
    if (rows.empty()) {
        out << "Nobody has offered on your listings yet.\n";
        return 0;
    }
    out << format_table({"Offer", "Listing", "Item", "Qty", "They say", "Pays BSV", "Due BSV", "Buyer", "Check"}, rows);
    return 0;
}

// An offer that has left the book (its listing filled, or the offer withdrawn), read from the
// posts themselves, with its listing as the seller's posts leave it: completing it again must
// say why it cannot go through.
trade::TradeResult<trade::OfferRow> closed_offer(trade::MarketSession& session, const std::string& id,
                                                 const std::string& me)
{
    book::LoadOptions options = book::default_load_options(session.book());
    book::LoadStatus status;
    book::BookResult<std::vector<book::PostRecord>> loaded = book::load_posts(status, options);
    if (!loaded) return trade::TradeError(loaded.error());
    const std::vector<book::PostRecord>& posts = *loaded;
    warn_if_incomplete(status, "");
    std::map<tx::Txid, book::Listing> listings;
    book::reduce_book(posts, book::reduce_context_for(posts, options), listings);
    for (const auto& record : posts) {
        if (!id_matches(record.txid.hex(), id) || book::post_string(record.post, "type") != "ag_buy") continue;
        const std::optional<tx::Txid> listing_id = tx::Txid::parse(book::post_string(record.post, "listing"));
        auto it = listing_id ? listings.find(*listing_id) : listings.end();
        if (it == listings.end() || core::ascii_lower(it->second.pubkey) != me) continue;
        book::Offer offer;
        offer.id = record.txid;
        offer.handle = book::post_string(record.post, "handle");
        offer.pubkey = book::post_pubkey(record.post);
        offer.qty = book::post_string(record.post, "qty");
        offer.pay_sats = book::post_u64(record.post, "pay_sats");
        offer.buyer_ord = book::post_string(record.post, "buyer_ord");
        offer.offer = book::post_string(record.post, "offer");
        offer.created = record.time;
        return trade::OfferRow{offer, it->second};
    }
    return trade::TradeError(trade::TradeCode::Refused, "no offer " + id + " on your listings.");
}

int cmd_complete(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    std::string me = trade::wallet_identity_key(session.wallet());
    if (me.empty()) return refuse(out, trade::TradeError(trade::TradeCode::ConnectFirst));
    Book b = load_book(session);
    if (b.error) return refuse(out, *b.error);
    std::optional<trade::OfferRow> chosen;
    for (const auto& l : b.listings) {
        if (core::ascii_lower(l.pubkey) != me) continue;
        for (const auto& o : l.offers) {
            if (!id_matches(o.id.hex(), inv.args[0])) continue;
            if (chosen) return refuse(out, "more than one offer starts with " + inv.args[0] + ".");
            chosen = trade::OfferRow{o, l};
        }
    }
    if (!chosen) {
        trade::TradeResult<trade::OfferRow> closed = closed_offer(session, inv.args[0], me);
        if (!closed) return refuse(out, closed.error());
        chosen = std::move(closed).value();
    }
    if (!chosen->has_signed_bytes()) return refuse(out, trade::TradeError(trade::TradeCode::OfferNotSigned));
    core::log_progress("Signing seller input and broadcasting...");
    return finish(out, trade::run_completion(session, *chosen));
}

int cmd_cancel(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    Book b = load_book(session);
    if (b.error) return refuse(out, *b.error);
    std::string error;
    const book::Listing* listing = find_listing(b, inv.args[0], error);
    if (!listing) return refuse(out, error);
    if (auto refusal = trade::check_cancel_listing(session.wallet(), *listing)) return refuse(out, *refusal);
    core::log_progress("Posting cancel overlay...");
    return finish(out, trade::run_cancel_listing(session, *listing));
}

int cmd_cancel_offer(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    trade::TraderGate gate = trade::trader_gate(session.wallet());
    if (gate.identity_key.empty()) return refuse(out, trade::TradeError(trade::TradeCode::ConnectFirst));
    // The wallet's own record of its offers first: it withdraws an offer whether or not the
    // book shows it (its listing dated ahead, closed, or the book not loading at all).
    for (const auto& record : trade::recorded_offers(session.wallet())) {
        if (!id_matches(record.offer.hex(), inv.args[0])) continue;
        core::log_progress("Cancelling your offer...");
        return finish(out, trade::withdraw_recorded_offer(session, record));
    }
    Book b = load_book(session);
    if (b.error) return refuse(out, *b.error);
    for (const auto& l : b.listings) {
        auto mine = trade::own_offer_on(l, gate.identity_key, gate.handle);
        if (!mine || !id_matches(mine->id.hex(), inv.args[0])) continue;
        core::log_progress("Cancelling your offer...");
        return finish(out, trade::run_offer_cancel(session, l.id, *mine));
    }
    return refuse(out, trade::TradeError(trade::TradeCode::PickOpenOffer));
}

int cmd_history(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    std::string me = trade::wallet_identity_key(session.wallet());
    if (me.empty()) return refuse(out, trade::TradeError(trade::TradeCode::ConnectFirst));
    core::log_progress("Loading history...");
    book::LoadStatus load;
    book::BookResult<std::vector<book::HistoryRow>> loaded = book::load_history(load, me, book::default_load_options(session.book()));
    warn_if_incomplete(load, loaded ? "" : book::error_text(loaded.error()));
    const std::vector<book::HistoryRow> rows = loaded ? std::move(loaded).value() : std::vector<book::HistoryRow>{};
    const int status = load.complete ? 0 : EXIT_INCOMPLETE;
    if (inv.flag("json")) {
        out << core::json_dump_file(history_json(rows));
        return status;
    }
    std::vector<std::vector<std::string>> table;
    for (const auto& r : rows) {
        table.push_back({core::utc_minute_text(r.time), r.role, r.type, r.name.empty() ? short_id(r.origin) : r.name, r.qty,
                         core::format_bsv_sats(r.pay_sats), r.counterparty, r.open ? "open" : "",
                         short_id(r.txid.hex())});
    }
    out << format_table({"Time (UTC)", "Role", "Type", "Item", "Qty", "BSV", "With", "", "Post"}, table);
    return status;
}

int cmd_report(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    std::string text;
    if (inv.has_option("file")) {
        if (!inv.args.empty()) return refuse(out, "give the report as words or as --file, not both.");
        std::ifstream file(inv.option("file"), std::ios::binary);
        std::ostringstream content;
        if (!file || !(content << file.rdbuf())) return refuse(out, "could not read " + inv.option("file") + ".");
        text = content.str();
    } else {
        for (const auto& word : inv.args) text += (text.empty() ? "" : " ") + word;
    }
    core::log_progress("Sending report...");
    return finish(out, trade::send_report(session, text));
}

} // namespace

std::string services_note(const net::ServiceConfig& services)
{
    const std::string badge = net::services_badge(services);
    return badge.empty() ? std::string() : "Using " + badge + " from " + net::services_file_path().string();
}

int run_command(trade::MarketSession& session, const Invocation& inv, std::ostream& out)
{
    if (inv.command == "help") {
        out << usage_text();
        return 0;
    }
    wallet::register_app(session.wallet(), APP_INSTANCE, APP_NAME);
    try {
        if (inv.command == "connect") return cmd_connect(session, inv, out);
        if (inv.command == "unbind") {
            wallet::pursa_disconnect(session.wallet());
            return finish(out, "success", true);
        }
        if (inv.command == "balance") return cmd_balance(session, out);
        if (inv.command == "book") return cmd_book(session, inv, out);
        if (inv.command == "lots") return cmd_lots(session, inv, out);
        if (inv.command == "list") return cmd_list(session, inv, out);
        if (inv.command == "buy") return cmd_buy(session, inv, out);
        if (inv.command == "offers") return cmd_offers(session, inv, out);
        if (inv.command == "complete") return cmd_complete(session, inv, out);
        if (inv.command == "cancel") return cmd_cancel(session, inv, out);
        if (inv.command == "cancel-offer") return cmd_cancel_offer(session, inv, out);
        if (inv.command == "history") return cmd_history(session, inv, out);
        if (inv.command == "report") return cmd_report(session, inv, out);
    } catch (const std::exception& e) {
        return refuse(out, trade::TradeError(trade::TradeCode::Stopped, e.what()));
    } catch (...) {
        return refuse(out, trade::TradeError(trade::TradeCode::Stopped));
    }
    return refuse(out, "unknown command \"" + inv.command + "\".");
}

} // namespace cli
