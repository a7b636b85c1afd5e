#include "trade/reserve_reconcile.h"

#include <set>

#include "book/post.h"
#include "funding/reserves.h"

namespace trade {

std::map<std::string, ListingState> listing_states(const std::map<std::string, book::Listing>& reduced,
                                                   const std::vector<book::Listing>& view)
{
    std::map<std::string, ListingState> out;
    for (const auto& [id, listing] : reduced) out[core::ascii_lower(id)] = {listing.status, listing.fee_ok};
    for (const auto& listing : view) out[core::ascii_lower(listing.id)] = {listing.status, listing.fee_ok};
    return out;
}

bool is_closed(const ListingState& state)
{
    if (state.status == book::ListingStatus::Sold || state.status == book::ListingStatus::ForceCancelled || state.status == book::ListingStatus::Expired) return true;
    return state.status == book::ListingStatus::Cancelled && state.fee_ok;
}

std::vector<std::string> reserves_to_drop(const std::vector<std::string>& reserve_listing_ids,
                                          const std::map<std::string, ListingState>& states)
{
    std::vector<std::string> out;
    std::set<std::string> seen;
    for (const auto& raw : reserve_listing_ids) {
        if (raw.empty()) continue;
        const std::string id = core::ascii_lower(raw);
        const auto it = states.find(id);
        if (it == states.end() || !is_closed(it->second)) continue;
        if (seen.insert(id).second) out.push_back(id);
    }
    return out;
}

std::vector<std::string> reconcile_reserves(const std::map<std::string, ListingState>& states,
                                            const std::vector<std::string>& reserve_listing_ids,
                                            const std::function<void(const std::string& listing_id)>& remove)
{
    std::vector<std::string> dropped = reserves_to_drop(reserve_listing_ids, states);
    for (const auto& id : dropped) remove(id);
    return dropped;
}

std::vector<std::string> reconcile_reserves(wallet::WalletSession& wallet, const std::map<std::string, ListingState>& states)
{
    std::vector<std::string> ids;
    for (const auto& reserve : funding::reserve_list(wallet)) ids.push_back(reserve.listing ? reserve.listing->hex() : std::string());
    return reconcile_reserves(states, ids, [&](const std::string& id) {
        if (auto listing = tx::Txid::parse(id)) (void)funding::reserve_remove_listing(wallet, *listing);
    });
}

} // namespace trade
