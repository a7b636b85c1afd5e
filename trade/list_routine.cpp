#include "trade/list_routine.h"

#include "book/identity.h"
#include "book/post.h"
#include "book/token_details.h"
#include "core/base58.h"
#include "funding/reserves.h"
#include "trade/chain_lookup.h"
#include "trade/dialog_checks.h"
#include "trade/listing_record.h"
#include "trade/market_session.h"
#include "trade/post_tx.h"
#include "trade/trade_gate.h"
#include "tx/outpoint.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace trade {
namespace {

ListingPlan refused(TradeError why)
{
    ListingPlan plan;
    plan.refusal = std::move(why);
    return plan;
}

} // namespace

ListingPlan plan_listing(MarketSession& session, const ListRequest& request, int64_t now)
{
    TraderGate gate = trader_gate(session.wallet());
    if (gate.refusal) return refused(*gate.refusal);
    if (identity_is_frozen(session, gate.identity_key)) return refused(TradeCode::ListFrozen);

    const LotToList& lot = request.lot;
    if (lot.txid.is_null() || (lot.id.empty() && lot.token_id.empty())) return refused(TradeCode::PickLot);
    auto price = parse_price_box(request.price);
    if (!price) return refused(TradeCode::PriceBad);
    if (auto bad_note = check_note(request.note)) return refused(*bad_note);
    ListQuantity qty = list_quantity(request.qty, lot.picture(), lot.amount);
    if (qty.refusal) return refused(*qty.refusal);

    ListingPlan plan;
    plan.outpoint = {lot.txid, lot.vout};
    plan.origin = lot.token_id.empty() ? lot.id : lot.token_id;
    plan.exp = now + LISTING_LIFETIME;
    const book::ListingKind kind = lot.picture() ? book::ListingKind::Picture : book::ListingKind::Token;

    std::string pay_addr;
    std::string ord_addr;
    {
        wallet::WalletLock lock(session.wallet());
        pay_addr = session.wallet().state().recv_address;
        wallet::OrdinalsAddress ord = wallet::ordinals_address(session.wallet());
        if (ord.hash) ord_addr = core::address_from_hash160(*ord.hash);
    }
    if (pay_addr.empty() || ord_addr.empty()) return refused(TradeCode::ConnectFirst);

    std::string name = lot.name;
    std::string sym;
    std::string icon;
    book::token_details(plan.origin, kind, name, sym, icon, session.book());

    core::Json post = core::Json::object();
    post["type"] = "ag_list";
    post["handle"] = gate.handle;
    post["origin"] = plan.origin;
    post["kind"] = book::listing_kind_text(kind);
    post["utxo"] = tx::format_outpoint(plan.outpoint);
    post["qty"] = qty.qty;
    post["price_sats"] = *price;
    post["note"] = trim_box_text(request.note);
    post["exp"] = plan.exp;
    post["pay_addr"] = pay_addr;
    post["ord_addr"] = ord_addr;
    if (!name.empty()) post["name"] = name;
    if (!sym.empty()) post["sym"] = sym;
    if (!icon.empty()) post["icon"] = icon;
    plan.post = std::move(post);
    return plan;
}

namespace {

// The units the listed output holds, as the chain shows it: "1" for a picture, the amount of a
// token lot's transfer inscription; "" when it cannot be read.
std::string lot_units_of(MarketSession& session, const core::Json& post)
{
    if (book::listing_kind_of(book::post_string(post, "kind")) == book::ListingKind::Picture) return "1";
    auto outpoint = tx::parse_outpoint(book::post_string(post, "utxo"));
    LoadedOutput listed = outpoint ? load_output(session, outpoint->txid, outpoint->vout) : LoadedOutput{};
    auto body = listed.prevout ? output_bsv20(listed.prevout->script) : std::nullopt;
    return body ? body->amt : std::string();
}

} // namespace

TradeResult<Sent> publish_listing(MarketSession& session, const core::Json& post, const tx::Outpoint& outpoint)
{
    core::Json signed_post = post;
    TradeResult<Sent> result = publish_signed_post(session, signed_post, true);
    if (result) {
        // The seller's record: what this wallet signed and published, never what the book shows.
        funding::ListingRecord record = record_of_listing_post(signed_post, lot_units_of(session, signed_post));
        (void)funding::reserve_bind_listing(session.wallet(), tx::format_outpoint(outpoint), result->txid.hex(), record);
    } else {
        (void)funding::reserve_remove(session.wallet(), tx::format_outpoint(outpoint));
    }
    return result;
}

TradeResult<Sent> list_lot(MarketSession& session, const ListRequest& request)
{
    ListingPlan plan = plan_listing(session, request, session.clock().now());
    if (plan.refusal) return *plan.refusal;
    if (auto reserved = funding::reserve_add(session.wallet(), tx::format_outpoint(plan.outpoint), plan.origin, plan.exp); !reserved) return TradeError(reserved.error());
    return publish_listing(session, plan.post, plan.outpoint);
}

} // namespace trade
