#include "ui/open_offers.h"

namespace ui {

bool is_own_live_listing(const book::Listing& listing, const std::string& identity_key)
{
    return listing.status == "live" && !identity_key.empty() && listing.pubkey == identity_key;
}

bool offer_counts(const book::Listing& listing, const book::Offer& offer, const OfferSpendsListing& spends,
                  const BuyerCoinsSpent& coins_spent)
{
    if (offer.offer.size() < OFFER_HEX_CHECKABLE) return true;
    if (!listing.utxo.empty() && !spends(offer.offer, listing.utxo)) return false;
    return !coins_spent(offer.offer);
}

} // namespace ui
