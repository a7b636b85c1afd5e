#include "ui/offer_cancel.h"

#include "trade/cancel_routine.h"
#include "ui/dialog_texts.h"

namespace ui {

OfferCancelContext offer_cancel_context(const book::Listing& listing, const book::Offer& offer)
{
    OfferCancelContext context;
    context.listing_id = listing.id;
    context.offer = offer;
    context.listing = listing;
    context.listing.offers.clear();
    context.item = name_and_symbol(listing);
    context.seller = seller_label(listing);
    return context;
}

OfferCancelContext offer_cancel_context(const book::HistoryRow& row, const std::vector<book::Listing>& book)
{
    OfferCancelContext context;
    context.listing_id = tx::Txid::parse(row.listing);
    context.offer.id = row.txid;
    context.offer.qty = row.qty;
    context.offer.pay_sats = row.pay_sats;
    context.offer.pubkey = row.pubkey;
    context.offer.handle = row.handle;
    context.item = row.name;
    context.listing.name = row.name;
    context.listing.origin = row.origin;
    for (const auto& listing : book) {
        if (listing.id != context.listing_id) continue;
        context.listing = listing;
        context.listing.offers.clear();
        if (const std::string names = name_and_symbol(listing); !names.empty()) context.item = names;
        context.seller = seller_label(listing);
        for (const auto& offer : listing.offers)
            if (offer.id == row.txid) context.offer = offer;
    }
    if (context.seller.empty()) context.seller = row.counterparty;
    return context;
}

std::string offer_cancel_refusal(const OfferCancelContext& context)
{
    return context.listing_id ? std::string() : trade_refusal(trade::TradeCode::PickOpenOffer);
}

CancelChoice cancel_choice(const book::Listing* selected, const WalletSnapshot& wallet)
{
    CancelChoice choice;
    if (!selected) {
        choice.message = CANCEL_SELECT;
        return choice;
    }
    if (!wallet.bound) {
        choice.message = trade_refusal(trade::TradeCode::ConnectFirst);
        return choice;
    }
    if (!wallet.identity_key.empty() && selected->pubkey == wallet.identity_key) {
        if (selected->status != book::ListingStatus::Live) {
            choice.message = trade_refusal(trade::TradeCode::ListingClosed);
            return choice;
        }
        choice.action = CancelAction::ConfirmUnlist;
        return choice;
    }
    const auto mine = trade::own_offer_on(*selected, wallet.identity_key, wallet.paymail);
    if (!mine) {
        choice.message = trade_refusal(trade::TradeCode::NotYourListingNoOffer);
        return choice;
    }
    choice.action = CancelAction::CancelOffer;
    choice.context = offer_cancel_context(*selected, *mine);
    return choice;
}

const book::Listing* unlistable_listing(const tx::Txid& listing_id, const std::vector<book::Listing>& book,
                                        const WalletSnapshot& wallet)
{
    if (!wallet.bound || wallet.identity_key.empty()) return nullptr;
    for (const auto& listing : book)
        if (listing.id == listing_id)
            return listing.pubkey == wallet.identity_key && listing.status == book::ListingStatus::Live ? &listing : nullptr;
    return nullptr;
}

} // namespace ui
