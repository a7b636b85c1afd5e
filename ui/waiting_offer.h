// Whether a listing of the wallet's has an offer waiting for the seller. Pure.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "book/listing.h"

namespace ui {

// True when the offer transaction (hex) spends the listing's outpoint ("txid_vout").
using OfferSpendsListing = std::function<bool(const std::string& offer_hex, const tx::Outpoint& utxo)>;

// Offer hex shorter than this cannot be checked against the listing and counts as waiting.
inline constexpr size_t OFFER_HEX_CHECKABLE = 80;

// True when the listing is "live", has an offer, is the wallet's own (its pubkey equals
// identity_key, which must not be empty), and among its offers, in order, one either cannot be
// checked (hex under 80 characters, or the listing has no utxo) or spends the listing's output.
[[nodiscard]] bool has_waiting_offer(const book::Listing& listing, std::string_view identity_key,
                                     const OfferSpendsListing& spends);

// True when bound and some listing of the book has a waiting offer.
[[nodiscard]] bool any_waiting_offer(const std::vector<book::Listing>& book, bool bound,
                                     std::string_view identity_key, const OfferSpendsListing& spends);

} // namespace ui
