#include "ui/dialog_jobs.h"

#include "trade/dialog_checks.h"
#include "ui/dialog_texts.h"

namespace ui {

ListCheck run_list_checks(const trade::ListRequest& request, TradeServices& services)
{
    ListCheck check;
    trade::ListingPlan plan = services.plan_listing(request);
    if (plan.refusal) {
        check.refusal = trade::error_text(*plan.refusal);
        return check;
    }
    if (auto refused = services.reserve_add(plan.outpoint, plan.origin, plan.exp)) {
        check.refusal = trade::error_text(*refused);
        return check;
    }
    check.post = std::move(plan.post);
    check.outpoint = plan.outpoint;
    return check;
}

std::string held_listing_refusal(const book::Listing& held, const std::vector<book::Listing>& book)
{
    for (const auto& listing : book) {
        if (listing.id != held.id) continue;
        if (listing.status != book::ListingStatus::Live) return trade_refusal(trade::TradeCode::PickLiveListing);
        if (listing.qty != held.qty || listing.price_sats != held.price_sats || listing.utxo != held.utxo ||
            listing.pay_addr != held.pay_addr)
            return BUY_LISTING_CHANGED;
        return {};
    }
    return trade_refusal(trade::TradeCode::PickLiveListing);
}

std::vector<CompleteRow> run_complete_rows(const std::vector<book::Listing>& book, const std::string& identity_key,
                                           TradeServices& services)
{
    std::vector<CompleteRow> rows;
    for (auto& row : services.offers_on_my_listings(book, identity_key)) {
        CompleteRow complete;
        complete.row = std::move(row);
        if (complete.row.has_signed_bytes())
            complete.check = services.evaluate_offer(complete.row.offer.offer, complete.row.listing);
        rows.push_back(std::move(complete));
    }
    return rows;
}

MineCards run_mine_cards(const std::vector<book::Listing>& book, const std::string& identity_key,
                         const std::string& paymail, TradeServices& services)
{
    return mine_cards(book, identity_key, paymail, waiting_counts(services.offers_on_my_listings(book, identity_key)));
}

} // namespace ui
