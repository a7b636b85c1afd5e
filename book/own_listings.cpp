#include "book/own_listings.h"

#include <optional>

#include "funding/reserves.h"
#include "wallet/connect.h"

namespace book {

std::set<tx::Txid> bound_wallet_listing_ids(wallet::WalletSession& wallet)
{
    std::set<tx::Txid> ids;
    if (!wallet::pursa_is_connected(wallet)) return ids;
    for (const funding::Reserve& reserve : funding::reserve_list(wallet)) {
        if (reserve.listing) ids.insert(*reserve.listing);
    }
    return ids;
}

} // namespace book
