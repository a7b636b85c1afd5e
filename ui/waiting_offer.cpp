#include "ui/waiting_offer.h"

namespace ui {

bool has_waiting_offer(const book::Listing& listing, std::string_view identity_key,
                       const OfferSpendsListing& spends)
{
    if (listing.status != book::ListingStatus::Live || listing.offers.empty()) return false;
    if (identity_key.empty() || listing.pubkey != identity_key) return false;
    for (const auto& offer : listing.offers) {
        if (offer.offer.size() < OFFER_HEX_CHECKABLE || !listing.utxo) return true;
        if (spends && spends(offer.offer, *listing.utxo)) return true;
    }
    return false;
}

bool any_waiting_offer(const std::vector<book::Listing>& book, bool bound, std::string_view identity_key,
                       const OfferSpendsListing& spends)
{
    if (!bound) return false;
    for (const auto& listing : book)
        if (has_waiting_offer(listing, identity_key, spends)) return true;
    return false;
}

} // namespace ui
