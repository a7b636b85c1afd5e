#include "cli/record_json.h"

#include "trade/result_text.h"
#include "tx/outpoint.h"

namespace cli {

core::Json offer_json(const book::Offer& o)
{
    return {{"id", o.id.hex()},     {"handle", o.handle},       {"pubkey", o.pubkey}, {"qty", o.qty},
            {"pay_sats", o.pay_sats}, {"buyer_ord", o.buyer_ord}, {"offer", o.offer},   {"created", o.created}};
}

core::Json listing_json(const book::Listing& l)
{
    core::Json offers = core::Json::array();
    for (const auto& o : l.offers) offers.push_back(offer_json(o));
    return {{"id", l.id.hex()},
            {"origin", l.origin},
            {"kind", book::listing_kind_text(l.kind)},
            {"utxo", book::listing_utxo_text(l)},
            {"qty", l.qty},
            {"price_sats", l.price_sats},
            {"note", l.note},
            {"created", l.created},
            {"exp", l.exp},
            {"pay_addr", l.pay_addr},
            {"ord_addr", l.ord_addr},
            {"handle", l.handle},
            {"paymail", l.paymail},
            {"pubkey", l.pubkey},
            {"chain_origin", l.chain_origin},
            {"name", l.name},
            {"sym", l.sym},
            {"icon", l.icon},
            {"dec", l.dec ? core::Json(*l.dec) : core::Json(nullptr)},
            {"seller_claims", {{"name", l.claimed.name}, {"sym", l.claimed.sym}, {"icon", l.claimed.icon}}},
            {"claims_differ", l.claims_differ},
            {"status", book::listing_status_text(l.status)},
            {"fee_ok", l.fee_ok},
            {"offers", std::move(offers)}};
}

core::Json listings_json(const std::vector<book::Listing>& listings)
{
    core::Json out = core::Json::array();
    for (const auto& l : listings) out.push_back(listing_json(l));
    return out;
}

core::Json offer_rows_json(const std::vector<trade::OfferRow>& rows, const std::vector<trade::OfferCheck>& checks)
{
    core::Json out = core::Json::array();
    for (size_t i = 0; i < rows.size(); ++i) {
        core::Json row = offer_json(rows[i].offer);
        row["listing"] = rows[i].listing.id.hex();
        if (i < checks.size()) {
            const auto& c = checks[i];
            const std::string error = c.passes ? std::string() : trade::failure_text(c.error);
            row["check"] = {{"passes", c.passes},     {"error", error},   {"paid_sats", c.paid_sats},
                            {"due_sats", c.due_sats}, {"qty", c.qty},     {"units_left", c.units_left}};
        }
        out.push_back(std::move(row));
    }
    return out;
}

core::Json history_json(const std::vector<book::HistoryRow>& rows)
{
    core::Json out = core::Json::array();
    for (const auto& r : rows) {
        out.push_back({{"type", r.type},         {"txid", r.txid.hex()},   {"listing", r.listing},
                       {"handle", r.handle},     {"pubkey", r.pubkey}, {"counterparty", r.counterparty},
                       {"qty", r.qty},           {"pay_sats", r.pay_sats}, {"name", r.name},
                       {"origin", r.origin},     {"time", r.time},   {"role", r.role},
                       {"open", r.open}});
    }
    return out;
}

core::Json lots_json(const std::vector<trade::LotToList>& lots)
{
    core::Json out = core::Json::array();
    for (const auto& l : lots) {
        out.push_back({{"id", l.id},
                       {"outpoint", tx::format_outpoint(l.txid, l.vout)},
                       {"name", l.name},
                       {"token_id", l.token_id},
                       {"amount", l.amount},
                       {"kind", l.picture() ? "picture" : "bsv21"}});
    }
    return out;
}

} // namespace cli
