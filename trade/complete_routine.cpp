#include "trade/complete_routine.h"

#include "book/post.h"
#include "core/json_get.h"
#include "trade/dialog_checks.h"
#include "trade/market_session.h"
#include "trade/offer_complete.h"
#include "trade/post_tx.h"
#include "trade/trade_gate.h"

namespace trade {

std::vector<OfferRow> offers_on_my_listings(MarketSession& session, const std::vector<book::Listing>& listings, const std::string& my_key)
{
    std::vector<OfferRow> rows;
    const std::string me = core::ascii_lower(my_key);
    if (me.empty()) return rows;
    for (const auto& listing : listings) {
        if (listing.status != book::ListingStatus::Live || core::ascii_lower(listing.pubkey) != me) continue;
        for (const auto& offer : listing.offers) {
            if (offer.offer.size() >= 80) {
                if (listing.utxo && !offer_spends_listing(offer.offer, *listing.utxo)) continue;
                if (buyer_coins_spent(session, offer.offer)) continue;
            }
            rows.push_back({offer, listing});
        }
    }
    return rows;
}

std::optional<TradeError> check_completion(MarketSession& session, const OfferRow& row)
{
    if (!row.has_signed_bytes()) return TradeError(TradeCode::OfferNotSigned);
    if (buyer_coins_spent(session, row.offer.offer)) return TradeError(TradeCode::BuyerCoinsGone);
    return std::nullopt;
}

TradeResult<Sent> run_completion(MarketSession& session, const OfferRow& row)
{
    Completion done = complete_offer(session, row.offer.offer, row.listing);
    if (!done.result) return done.result;

    // The fill states what this wallet's record now holds, never what the book showed.
    uint64_t total = book::parse_decimal_u64(done.terms.qty).value_or(0);
    uint64_t sold = book::parse_decimal_u64(done.check.qty).value_or(0);
    FillRemainder rest = fill_remainder(total, sold, done.terms.price_sats);

    core::Json post = core::Json::object();
    post["type"] = "ag_fill";
    post["handle"] = trader_gate(session.wallet()).handle;
    post["listing"] = row.listing.id.hex();
    post["qty"] = std::to_string(rest.qty);
    post["sold"] = done.check.qty;
    post["pay_sats"] = done.check.paid_sats;
    post["buyer"] = row.offer.handle;
    if (rest.price_sats) post["price_sats"] = *rest.price_sats;
    post["utxo"] = done.leftover_outpoint ? tx::format_outpoint(*done.leftover_outpoint) : std::string();

    TradeResult<Sent> published = publish_post(session, post, false);
    Sent sale = *done.result;
    if (!published) sale.fill_failed = published.error();
    return sale;
}

} // namespace trade
