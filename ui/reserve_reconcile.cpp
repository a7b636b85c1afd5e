#include "ui/reserve_reconcile.h"

#include <algorithm>
#include <set>

#include "ui/book_filter.h"

namespace ui {

std::map<std::string, ListingState> listing_states(const std::map<std::string, book::Listing>& reduced,
                                                   const std::vector<book::Listing>& view)
{
    std::map<std::string, ListingState> out;
    for (const auto& [id, listing] : reduced) out[ascii_lower(id)] = {listing.status, listing.fee_ok};
    for (const auto& listing : view) out[ascii_lower(listing.id)] = {listing.status, listing.fee_ok};
    return out;
}

bool is_closed(const ListingState& state)
{
    if (state.status == "sold" || state.status == "force_cancelled" || state.status == "expired") return true;
    return state.status == "cancelled" && state.fee_ok;
}

std::vector<std::string> reserves_to_drop(const std::vector<std::string>& reserve_listing_ids,
                                          const std::map<std::string, ListingState>& states)
{
    std::vector<std::string> out;
    std::set<std::string> seen;
    for (const auto& raw : reserve_listing_ids) {
        if (raw.empty()) continue;
        const std::string id = ascii_lower(raw);
        const auto it = states.find(id);
        if (it == states.end() || !is_closed(it->second)) continue;
        if (seen.insert(id).second) out.push_back(id);
    }
    return out;
}

} // namespace ui
