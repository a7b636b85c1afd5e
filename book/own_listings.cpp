#include "book/own_listings.h"

#include "book/post.h"
#include "funding/reserves.h"
#include "wallet/connect.h"

namespace book {

std::set<std::string> bound_wallet_listing_ids()
{
    std::set<std::string> ids;
    if (!wallet::pursa_is_connected()) return ids;
    for (const funding::Reserve& reserve : funding::reserve_list()) {
        if (!reserve.listing.empty()) ids.insert(core::ascii_lower(reserve.listing));
    }
    return ids;
}

} // namespace book
