#include "ui/offer_cancel.h"

#include "ui/dialog_texts.h"

namespace ui {

bool is_own_offer(const book::Offer& offer, const std::string& identity_key, const std::string& paymail)
{
    if (!offer.pubkey.empty()) return !identity_key.empty() && offer.pubkey == identity_key;
    if (paymail.empty() || offer.handle.empty()) return false;
    return offer.handle == paymail || offer.handle == paymail.substr(0, paymail.find('@'));
}

const book::Offer* own_offer(const book::Listing& listing, const std::string& identity_key,
                             const std::string& paymail)
{
    const book::Offer* found = nullptr;
    for (const auto& offer : listing.offers)
        if (is_own_offer(offer, identity_key, paymail)) found = &offer;
    return found;
}

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
    context.listing_id = row.listing;
    context.offer.id = row.txid.hex();
    context.offer.qty = row.qty;
    context.offer.pay_sats = row.pay_sats;
    context.offer.pubkey = row.pubkey;
    context.offer.handle = row.handle;
    context.item = row.name;
    context.listing.name = row.name;
    context.listing.origin = row.origin;
    for (const auto& listing : book) {
        if (listing.id != row.listing) continue;
        context.listing = listing;
        context.listing.offers.clear();
        if (const std::string names = name_and_symbol(listing); !names.empty()) context.item = names;
        context.seller = seller_label(listing);
        for (const auto& offer : listing.offers)
            if (offer.id == row.txid.hex()) context.offer = offer;
    }
    if (context.seller.empty()) context.seller = row.counterparty;
    return context;
}

std::string offer_cancel_refusal(const OfferCancelContext& context)
{
    return context.listing_id.size() == 64 ? std::string() : std::string(CANCEL_PICK_OFFER);
}

CancelChoice cancel_choice(const book::Listing* selected, const WalletSnapshot& wallet)
{
    CancelChoice choice;
    if (!selected) {
        choice.message = CANCEL_SELECT;
        return choice;
    }
    if (!wallet.bound) {
        choice.message = CONNECT_FIRST;
        return choice;
    }
    if (!wallet.identity_key.empty() && selected->pubkey == wallet.identity_key) {
        if (selected->status != book::ListingStatus::Live) {
            choice.message = CANCEL_CLOSED;
            return choice;
        }
        choice.action = CancelAction::ConfirmUnlist;
        return choice;
    }
    const book::Offer* mine = own_offer(*selected, wallet.identity_key, wallet.paymail);
    if (!mine) {
        choice.message = CANCEL_NOT_YOURS;
        return choice;
    }
    choice.action = CancelAction::CancelOffer;
    choice.context = offer_cancel_context(*selected, *mine);
    return choice;
}

const book::Listing* unlistable_listing(const std::string& listing_id, const std::vector<book::Listing>& book,
                                        const WalletSnapshot& wallet)
{
    if (!wallet.bound || wallet.identity_key.empty()) return nullptr;
    for (const auto& listing : book)
        if (listing.id == listing_id)
            return listing.pubkey == wallet.identity_key && listing.status == book::ListingStatus::Live ? &listing : nullptr;
    return nullptr;
}

} // namespace ui
