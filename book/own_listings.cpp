#include "book/own_listings.h"

#include "book/post.h"
#include "funding/reserves.h"
#include "wallet/connect.h"

namespace book {

std::set<std::string> bound_wallet_listing_ids(wallet::WalletSession& wallet)
{
    std::set<std::string> ids;
    if (!wallet::pursa_is_connected(wallet)) return ids;
    for (const funding::Reserve& reserve : funding::reserve_list(wallet)) {
        if (reserve.listing) ids.insert(reserve.listing->hex());
    }
    return ids;
}

} // namespace book
