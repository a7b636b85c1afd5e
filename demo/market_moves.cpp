#include "demo/market_moves.h"

#include <map>
#include <optional>
#include <vector>

#include "book/book_view.h"
#include "cli/lots.h"
#include "trade/buy_routine.h"
#include "trade/cancel_routine.h"
#include "trade/complete_routine.h"
#include "trade/list_routine.h"
#include "trade/market_session.h"
#include "trade/reserve_reconcile.h"
#include "trade/trade_gate.h"
#include "trade/wallet_now.h"

namespace demo {
namespace {

struct View {
    std::vector<book::Listing> listings;
    std::optional<trade::TradeError> error;  // when the book did not load
};

View load_view(const trade::MarketSession& session)
{
    View v;
    book::BookResult<book::BookView> view = book::load_book_view(book::default_load_options(session.book()));
    if (view) v.listings = std::move(view.value().listings);
    else v.error = trade::TradeError(view.error());
    return v;
}

// What the desktop program does on every book load: reserves of this wallet's listings that the
// book holds closed (sold, expired, cancelled) are dropped, so their lots can be listed again.
void settle_reserves(trade::MarketSession& session)
{
    book::BookResult<book::BookView> view = book::load_book_view(book::default_load_options(session.book()));
    if (!view) return;
    (void)trade::reconcile_reserves(session.wallet(), trade::listing_states(view->reduced, view->listings));
}

} // namespace

trade::TradeResult<trade::Sent> list_lot(trade::MarketSession& session, const std::string& lot_key, const std::string& qty,
                                         const std::string& price_bsv, const std::string& note)
{
    settle_reserves(session);
    cli::WalletLots lots = cli::load_wallet_lots(session.funding().wallet());
    if (!lots.error.empty()) return trade::TradeError(trade::TradeCode::Refused, lots.error);
    std::string error;
    const trade::LotToList* lot = cli::find_lot(lots.lots, lot_key, error);
    if (!lot) return trade::TradeError(trade::TradeCode::Refused, error);
    return trade::list_lot(session, trade::ListRequest{*lot, qty, price_bsv, note});
}

trade::TradeResult<trade::Sent> offer_on(trade::MarketSession& session, const std::string& listing_id, const std::string& qty)
{
    const std::optional<tx::Txid> id = tx::Txid::parse(listing_id);
    View v = load_view(session);
    if (v.error) return *v.error;
    for (const auto& l : v.listings) {
        if (l.id == id) return trade::buy_listing(session, l, qty);
    }
    return trade::TradeError(trade::TradeCode::Refused, "no listing " + listing_id + " on the book.");
}

trade::TradeResult<trade::Sent> complete_offer(trade::MarketSession& session, const std::string& offer_id)
{
    const std::string me = trade::wallet_identity_key(session.wallet());
    if (me.empty()) return trade::TradeError(trade::TradeCode::ConnectFirst);
    const std::optional<tx::Txid> id = tx::Txid::parse(offer_id);
    View v = load_view(session);
    if (v.error) return *v.error;
    for (const auto& row : trade::offers_on_my_listings(session, v.listings, me)) {
        if (row.offer.id == id) return trade::run_completion(session, row);
    }
    return trade::TradeError(trade::TradeCode::Refused, "no offer " + offer_id + " on this wallet's listings.");
}

trade::TradeResult<trade::Sent> cancel_listing(trade::MarketSession& session, const std::string& listing_id)
{
    const std::optional<tx::Txid> id = tx::Txid::parse(listing_id);
    View v = load_view(session);
    if (v.error) return *v.error;
    for (const auto& l : v.listings) {
        if (l.id != id) continue;
        if (auto refusal = trade::check_cancel_listing(session.wallet(), l)) return *refusal;
        return trade::run_cancel_listing(session, l);
    }
    return trade::TradeError(trade::TradeCode::Refused, "no listing " + listing_id + " on the book.");
}

trade::TradeResult<trade::Sent> withdraw_offer(trade::MarketSession& session, const std::string& offer_id)
{
    const trade::TraderGate gate = trade::trader_gate(session.wallet());
    if (gate.identity_key.empty()) return trade::TradeError(trade::TradeCode::ConnectFirst);
    const std::optional<tx::Txid> id = tx::Txid::parse(offer_id);
    View v = load_view(session);
    if (v.error) return *v.error;
    for (const auto& l : v.listings) {
        auto mine = trade::own_offer_on(l, gate.identity_key, gate.handle);
        if (mine && mine->id == id) return trade::run_offer_cancel(session, l.id, *mine);
    }
    return trade::TradeError(trade::TradeCode::Refused, "no open offer " + offer_id + " of this wallet.");
}

} // namespace demo
