#include "ui/dialog_texts.h"

#include "ui/offer_cancel.h"
#include "ui/quantity_text.h"
#include "ui/trade_card.h"

namespace ui {

std::string trade_refusal(trade::TradeCode code, std::string detail)
{
    return trade::error_text(trade::TradeError(code, std::move(detail)));
}

std::string cancel_listing_question(const book::Listing& listing)
{
    return "Cancel your listing of " + quantity_text(listing, listing.qty) + " for " + bsv_text(listing.price_sats) +
           "?\n" + CANCEL_CONFIRM_NOTE;
}

std::string offer_cancel_question(const OfferCancelContext& context)
{
    const std::string seller = context.seller.empty() ? "the seller's" : context.seller + "'s";
    return "Withdraw your offer of " + quantity_text(context.listing, context.offer.qty) + " for " +
           bsv_text(context.offer.pay_sats) + " on " + seller + " listing?\n" + OFFER_CANCEL_EFFECT;
}

std::string complete_question(const trade::OfferRow& row)
{
    const std::string buyer = row.offer.handle.empty() ? std::string("the buyer") : row.offer.handle;
    return "Sell " + quantity_text(row.listing, row.offer.qty) + " to " + buyer + " for " + bsv_text(row.offer.pay_sats) +
           "?\n" + COMPLETE_CONFIRM_NOTE;
}

} // namespace ui
