#include "trade/buy_routine.h"

#include <cstdint>

#include "book/listing_check.h"
#include "book/post.h"
#include "core/base58.h"
#include "core/market_clock.h"
#include "trade/dialog_checks.h"
#include "trade/market_session.h"
#include "trade/post_tx.h"
#include "trade/trade_gate.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"

namespace trade {
namespace {

BuyPlan refused(TradeError why)
{
    BuyPlan plan;
    plan.refusal = std::move(why);
    return plan;
}

// Why a buy cannot open on the listing, nullopt when it can; `not_live` is the refusal of a
// listing that is missing or closed, which the dialog and the routine word differently.
std::optional<TradeError> buy_opening(wallet::WalletSession& wallet, const book::Listing* listing, TradeCode not_live)
{
    TraderGate gate = trader_gate(wallet);
    if (gate.refusal) return gate.refusal;
    if (!listing || listing->status != book::ListingStatus::Live) return TradeError(not_live);
    if (core::ascii_lower(listing->pubkey) == gate.identity_key) return TradeError(TradeCode::OwnListing);
    return std::nullopt;
}

} // namespace

std::optional<TradeError> check_buy_open(wallet::WalletSession& wallet, const book::Listing* listing)
{
    return buy_opening(wallet, listing, TradeCode::SelectLiveListing);
}

BuyPlan plan_buy(MarketSession& session, const book::Listing& listing, std::string_view qty_box)
{
    if (auto opening = buy_opening(session.wallet(), &listing, TradeCode::PickLiveListing)) return refused(*opening);
    if (qty_box.size() > BOX_TEXT_MAX) return refused(TradeCode::QtyWhole);
    std::string qty_text = trim_box_text(qty_box);
    if (qty_text.empty() || qty_text == "0") return refused(TradeCode::QtyAtLeastOne);

    if (auto unspent = book::listing_output_unspent(listing.utxo, session.book()); !unspent)
        return refused(lot_gone_error(unspent.error()));
    TraderGate gate = trader_gate(session.wallet());
    if (gate.refusal) return refused(*gate.refusal);
    if (identity_is_frozen(session, gate.identity_key) || identity_is_frozen(session, core::ascii_lower(listing.pubkey)))
        return refused(TradeCode::BuyFrozen);

    BuyPayment payment = buy_payment(qty_text, listing.qty, listing.price_sats);
    if (payment.refusal) return refused(*payment.refusal);
    // Posts apply in the order of their times: an offer stamped before its listing would find
    // no listing to attach to, and its coins would stay locked for nothing.
    const int64_t now = session.clock().now();
    if (listing.created > now + MAX_LISTING_LEAD) return refused(dated_ahead_error(listing.created - MAX_LISTING_LEAD));

    std::string buyer_ord;
    {
        wallet::WalletLock lock(session.wallet());
        wallet::OrdinalsAddress ord = wallet::ordinals_address(session.wallet());
        if (!ord.hash) return refused(TradeError(TradeCode::BuyerOrdinals, ord.error));
        buyer_ord = core::address_from_hash160(*ord.hash);
    }

    BuyPlan plan;
    plan.post = core::Json::object();
    plan.post["type"] = "ag_buy";
    plan.post["handle"] = gate.handle;
    plan.post["listing"] = listing.id.hex();
    plan.post["qty"] = payment.qty;
    plan.post["pay_sats"] = payment.pay_sats;
    plan.post["buyer_ord"] = buyer_ord;
    if (listing.created >= now) plan.post["ts"] = listing.created + 1;
    plan.offer.listing_utxo = *listing.utxo;  // there: its output was found unspent
    plan.offer.listing_origin = listing.origin;
    plan.offer.listing_kind = listing.kind;
    plan.offer.quantity = payment.qty;
    plan.offer.price = payment.pay_sats > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<core::Amount>(payment.pay_sats);
    plan.offer.seller_pay_addr = listing.pay_addr;
    plan.offer.seller_ord_addr = listing.ord_addr;
    return plan;
}

TradeResult<Sent> run_buy(MarketSession& session, BuyPlan plan)
{
    TradeResult<std::string> offer = build_offer(session, plan.offer);
    if (!offer) return offer.error();
    plan.post["offer"] = *offer;
    return publish_post(session, plan.post, false);
}

TradeResult<Sent> buy_listing(MarketSession& session, const book::Listing& listing, std::string_view qty_box)
{
    BuyPlan plan = plan_buy(session, listing, qty_box);
    if (plan.refusal) return *plan.refusal;
    return run_buy(session, std::move(plan));
}

} // namespace trade
