#include "ui/dialog_jobs.h"

#include "book/reduce.h"
#include "trade/dialog_checks.h"
#include "ui/dialog_texts.h"

namespace ui {

ListPlan run_list_checks(const ListRequest& request, TradeServices& services)
{
    ListPlan plan;
    if (services.identity_frozen(request.identity_key)) {
        plan.refusal = LIST_FROZEN;
        return plan;
    }
    if (!request.lot) {
        plan.refusal = LIST_PICK_LOT;
        return plan;
    }
    const wallet::TvPursaOrdRow& lot = *request.lot;
    const auto price = trade::parse_price_box(request.price_box);
    if (!price) {
        plan.refusal = trade::PRICE_MESSAGE;
        return plan;
    }
    if (std::string note = trade::check_note(request.note_box); !note.empty()) {
        plan.refusal = std::move(note);
        return plan;
    }
    const trade::ListQuantity qty = trade::list_quantity(request.qty_box, lot.is_picture(), lot.amt);
    if (!qty.error.empty()) {
        plan.refusal = qty.error;
        return plan;
    }

    const std::string outpoint = lot_outpoint(lot);
    const std::string origin = lot.token_id.empty() ? lot.origin : lot.token_id;
    const std::string kind = lot.is_picture() ? "picture" : "bsv21";
    const int64_t expiry = request.now + book::LISTING_LIFETIME_SECONDS;
    const AssetDetails details = services.asset_details(origin, kind, AssetDetails{lot.name, "", ""});

    nlohmann::json post = {
        {"type", "ag_list"},
        {"handle", request.paymail},
        {"origin", origin},
        {"kind", kind},
        {"utxo", outpoint},
        {"qty", qty.qty},
        {"price_sats", *price},
        {"note", trade::trim_box_text(request.note_box)},
        {"exp", expiry},
        {"pay_addr", request.pay_address},
        {"ord_addr", request.ordinals_address},
    };
    if (!details.name.empty()) post["name"] = details.name;
    if (!details.sym.empty()) post["sym"] = details.sym;
    if (!details.icon.empty()) post["icon"] = details.icon;

    const std::string reserved = services.reserve_add(outpoint, origin, expiry);
    if (reserved.rfind("success", 0) != 0) {
        plan.refusal = reserved.empty() ? std::string("error: the lot could not be reserved.") : reserved;
        return plan;
    }
    plan.post = std::move(post);
    plan.outpoint = outpoint;
    return plan;
}

std::string held_listing_refusal(const book::Listing& held, const std::vector<book::Listing>& book)
{
    for (const auto& listing : book) {
        if (listing.id != held.id) continue;
        if (listing.status != "live") return BUY_PICK_LIVE;
        if (listing.qty != held.qty || listing.price_sats != held.price_sats || listing.utxo != held.utxo ||
            listing.pay_addr != held.pay_addr)
            return BUY_LISTING_CHANGED;
        return {};
    }
    return BUY_PICK_LIVE;
}

std::string buy_qty_refusal(const std::string& qty_box)
{
    const std::string qty = trade::trim_box_text(qty_box);
    return qty.empty() || qty == "0" ? std::string(trade::QTY_AT_LEAST_ONE) : std::string();
}

BuyPlan run_buy_checks(const BuyRequest& request, TradeServices& services)
{
    BuyPlan plan;
    std::string reason;
    if (!services.listing_output_unspent(request.listing.utxo, reason)) {
        plan.refusal = BUY_LOT_GONE + reason;
        return plan;
    }
    if (services.identity_frozen(request.identity_key) || services.identity_frozen(request.listing.pubkey)) {
        plan.refusal = BUY_FROZEN;
        return plan;
    }
    const trade::BuyPayment payment =
        trade::buy_payment(request.qty_box, request.listing.qty, request.listing.price_sats);
    if (!payment.error.empty()) {
        plan.refusal = payment.error;
        return plan;
    }
    plan.qty = payment.qty;
    plan.pay_sats = payment.pay_sats;
    plan.post = {
        {"type", "ag_buy"},
        {"handle", request.paymail},
        {"listing", request.listing.id},
        {"qty", payment.qty},
        {"pay_sats", payment.pay_sats},
        {"buyer_ord", request.ordinals_address},
    };
    return plan;
}

std::vector<CompleteRow> run_complete_rows(const std::vector<book::Listing>& book, const std::string& identity_key,
                                           const OfferSpendsListing& spends, TradeServices& services)
{
    auto coins_spent = [&services](const std::string& hex) { return services.buyer_coins_spent(hex); };
    std::vector<CompleteRow> rows = complete_rows(book, identity_key, spends, coins_spent);
    for (auto& row : rows)
        if (row.signed_bytes()) row.verdict = services.check_offer(row.listing, row.offer);
    return rows;
}

MineCards run_mine_cards(const std::vector<book::Listing>& book, const std::string& identity_key,
                         const std::string& paymail, const OfferSpendsListing& spends, TradeServices& services)
{
    auto coins_spent = [&services](const std::string& hex) { return services.buyer_coins_spent(hex); };
    return mine_cards(book, identity_key, paymail, spends, coins_spent);
}

std::string report_text_refusal(const std::string& text) { return trade::check_report_text(text); }

} // namespace ui
