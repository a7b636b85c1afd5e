#include "trade/listing_record.h"

#include "book/post.h"
#include "book/post_blob.h"
#include "book/signing.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "trade/chain_lookup.h"
#include "trade/market_session.h"
#include "trade/wallet_now.h"
#include "tx/raw_tx.h"

namespace trade {
namespace {

// The post a raw transaction carries, read as the book reads one.
std::optional<core::Json> post_of_raw_tx(core::ByteView raw)
{
    auto parsed = tx::parse_raw_tx(raw);
    if (!parsed) return std::nullopt;
    core::Json vout = core::Json::array();
    for (const auto& output : parsed->outputs) vout.push_back({{"scriptPubKey", {{"hex", core::hex_encode(output.script)}}}});
    return book::read_post_from_tx(core::Json{{"vout", std::move(vout)}});
}

bool same_units(std::string_view a, std::string_view b)
{
    auto x = book::parse_decimal_u64(a);
    return x && x == book::parse_decimal_u64(b);
}

} // namespace

funding::ListingRecord record_of_listing_post(const core::Json& signed_post, std::string lot_units)
{
    funding::ListingRecord record;
    record.kind = book::post_string(signed_post, "kind");
    record.listed_utxo = tx::parse_outpoint(book::post_string(signed_post, "utxo"));
    record.lot_units = std::move(lot_units);
    record.qty = book::post_string(signed_post, "qty");
    record.price_sats = book::post_u64(signed_post, "price_sats");
    record.units_left = record.qty;
    record.price_left = record.price_sats;
    record.pay_addr = book::post_string(signed_post, "pay_addr");
    record.ord_addr = book::post_string(signed_post, "ord_addr");
    record.ts = book::post_int(signed_post, "ts");
    return record;
}

ListingTerms record_terms(const funding::Reserve& reserve)
{
    const funding::ListingRecord& r = reserve.record;
    return {book::listing_kind_of(r.kind), reserve.origin, reserve.utxo, r.units_left, r.price_left, r.pay_addr, r.lot_units};
}

std::string terms_the_book_changed(const book::Listing& listing, const funding::Reserve& reserve)
{
    const funding::ListingRecord& r = reserve.record;
    std::string changed;
    auto note = [&changed](bool differs, std::string_view name) {
        if (differs) changed += (changed.empty() ? "" : ", ") + std::string(name);
    };
    note(book::listing_kind_text(listing.kind) != r.kind, "kind");
    note(item_key(listing.origin) != item_key(reserve.origin), "item");
    note(listing.utxo != reserve.utxo, "output");
    note(!same_units(listing.qty, r.units_left), "quantity");
    note(listing.price_sats != r.price_left, "price");
    note(listing.pay_addr != r.pay_addr, "payment address");
    note(listing.ord_addr != r.ord_addr, "ordinals address");
    return changed;
}

SellerRecord seller_record(MarketSession& session, const tx::Txid& listing_id)
{
    SellerRecord out;
    std::optional<funding::Reserve> reserve = funding::reserve_of_listing(session.wallet(), listing_id);
    if (!reserve) {
        out.error = TradeError(TradeCode::NoRecord);
        return out;
    }
    if (reserve->record.known()) {
        out.reserve = std::move(reserve);
        return out;
    }
    // A reserve from before records were kept: the listing's own transaction says what this
    // wallet published, and its txid proves those bytes.
    std::optional<core::Bytes> raw = load_raw_tx(session, listing_id);
    if (!raw) {
        out.error = TradeError(TradeCode::ListingTxNotLoaded);
        return out;
    }
    std::optional<core::Json> post = post_of_raw_tx(*raw);
    const std::string me = wallet_identity_key(session.wallet());
    if (!post || book::post_string(*post, "type") != "ag_list" || !book::verify_post_signature(*post) ||
        !book::post_blob_matches(*post) || me.empty() || book::post_pubkey(*post) != me ||
        item_key(book::post_string(*post, "origin")) != item_key(reserve->origin)) {
        out.error = TradeError(TradeCode::NoRecord);
        return out;
    }
    if (tx::parse_outpoint(book::post_string(*post, "utxo")) != reserve->utxo) {
        out.error = TradeError(TradeCode::RecordPartlySold);
        return out;
    }
    reserve->record = record_of_listing_post(*post, "");
    (void)funding::reserve_rebind(session.wallet(), listing_id, reserve->utxo, reserve->record);
    out.reserve = std::move(reserve);
    return out;
}

} // namespace trade
