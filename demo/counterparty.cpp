#include "demo/counterparty.h"

#include "book/book_view.h"
#include "book/post.h"
#include "trade/buy_routine.h"
#include "trade/complete_routine.h"
#include "trade/market_session.h"
#include "trade/result_text.h"
#include "trade/wallet_now.h"

namespace demo {

std::vector<std::string> counterparty_pass(trade::MarketSession& session, const std::string& user_key, CounterpartyMemory& memory)
{
    std::vector<std::string> lines;
    const std::string me = trade::wallet_identity_key(session.wallet());
    if (me.empty()) return {trade::refusal_text("no wallet is bound.")};
    book::BookResult<book::BookView> loaded = book::load_book_view(book::default_load_options(session.book()));
    if (!loaded) return {trade::failure_text(loaded.error())};
    const std::vector<book::Listing>& view = loaded->listings;
    for (const auto& l : view) {
        // A post of this very second might sort before the listing it names: wait one pass.
        if (l.status != book::ListingStatus::Live || core::ascii_lower(l.pubkey) != user_key || l.created >= session.clock().now()) continue;
        if (!memory.offered.insert(l.id).second) continue;
        bool already = false;
        for (const auto& o : l.offers) already = already || core::ascii_lower(o.pubkey) == me;
        if (already) continue;
        lines.push_back("offer on " + l.id.hex().substr(0, 12) + ": " + trade::result_text(trade::buy_listing(session, l, l.qty)));
    }
    for (const auto& row : trade::offers_on_my_listings(session, view, me)) {
        if (!row.has_signed_bytes() || !memory.answered.insert(row.offer.id).second) continue;
        lines.push_back("complete " + row.offer.id.hex().substr(0, 12) + ": " + trade::result_text(trade::run_completion(session, row)));
    }
    return lines;
}

} // namespace demo
