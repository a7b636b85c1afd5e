#include "book/listing.h"

namespace book {

ListingKind listing_kind_of(std::string_view text)
{
    return text == "picture" ? ListingKind::Picture : ListingKind::Token;
}

std::string_view listing_kind_text(ListingKind kind)
{
    return kind == ListingKind::Picture ? "picture" : "bsv21";
}

std::string_view listing_status_text(ListingStatus status)
{
    switch (status) {
    case ListingStatus::Live: return "live";
    case ListingStatus::Expired: return "expired";
    case ListingStatus::Cancelled: return "cancelled";
    case ListingStatus::ForceCancelled: return "force_cancelled";
    case ListingStatus::Sold: return "sold";
    }
    return "live";
}

std::string listing_utxo_text(const Listing& listing)
{
    return listing.utxo ? tx::format_outpoint(*listing.utxo) : std::string();
}

} // namespace book
