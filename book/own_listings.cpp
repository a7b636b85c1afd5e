#include "book/own_listings.h"

namespace book {

std::set<std::string> bound_wallet_listing_ids()
{
    // The listing reserves are kept below the book, by the funding layer; until they exist the
    // bound wallet has none.
    return {};
}

} // namespace book
