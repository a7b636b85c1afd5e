#include "trade/reserve_reconcile.h"

#include <optional>
#include <set>

#include "funding/reserves.h"

namespace trade {

std::map<tx::Txid, ListingState> listing_states(const std::map<tx::Txid, book::Listing>& reduced,
                                                const std::vector<book::Listing>& view)
{
    std::map<tx::Txid, ListingState> out;
    for (const auto& [id, listing] : reduced) out[id] = {listing.status, listing.fee_ok};
    for (const auto& listing : view) out[listing.id] = {listing.status, listing.fee_ok};
    return out;
}

bool is_closed(const ListingState& state)
{
    if (state.status == book::ListingStatus::Sold || state.status == book::ListingStatus::ForceCancelled || state.status == book::ListingStatus::Expired) return true;
    return state.status == book::ListingStatus::Cancelled && state.fee_ok;
}

std::vector<tx::Txid> reserves_to_drop(const std::vector<tx::Txid>& reserve_listing_ids,
                                       const std::map<tx::Txid, ListingState>& states)
{
    std::vector<tx::Txid> out;
    std::set<tx::Txid> seen;
    for (const auto& id : reserve_listing_ids) {
        const auto it = states.find(id);
        if (it == states.end() || !is_closed(it->second)) continue;
        if (seen.insert(id).second) out.push_back(id);
    }
    return out;
}

std::vector<tx::Txid> reconcile_reserves(const std::map<tx::Txid, ListingState>& states,
                                         const std::vector<tx::Txid>& reserve_listing_ids,
                                         const std::function<void(const tx::Txid& listing_id)>& remove)
{
    std::vector<tx::Txid> dropped = reserves_to_drop(reserve_listing_ids, states);
    for (const auto& id : dropped) remove(id);
    return dropped;
}

std::vector<tx::Txid> reconcile_reserves(wallet::WalletSession& wallet, const std::map<tx::Txid, ListingState>& states)
{
    std::vector<tx::Txid> ids;
    for (const auto& reserve : funding::reserve_list(wallet)) {
        if (reserve.listing) ids.push_back(*reserve.listing);
    }
    return reconcile_reserves(states, ids, [&](const tx::Txid& id) { (void)funding::reserve_remove_listing(wallet, id); });
}

} // namespace trade
