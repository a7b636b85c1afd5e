// Which listing reserves a book load settles. A reserve is dropped only when the reduced book
// holds its listing in a closed state; a listing the load did not return (a failed fetch, an
// outage of the key registry) never drops its reserve. Pure.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "book/listing.h"

namespace ui {

// What reconciliation needs to know of a listing of the reduced book.
struct ListingState {
    std::string status;  // after the view's expiry marking: "live", "expired", "sold", ...
    bool fee_ok = false;
    bool operator==(const ListingState&) const = default;
};

// The states of the whole reduced book: every listing of `reduced` (sold ones included) with
// the status the view gave it where the view holds it (expiry is marked only there).
std::map<std::string, ListingState> listing_states(const std::map<std::string, book::Listing>& reduced,
                                                   const std::vector<book::Listing>& view);

// True for "sold", "force_cancelled", "expired", and "cancelled" with fee_ok (a listing
// cancelled because its fee was never seen keeps its reserve).
[[nodiscard]] bool is_closed(const ListingState& state);

// The listing ids, among reserve_listing_ids (empty ids, i.e. reserves not bound to a listing
// yet, are skipped), whose reserve is to be dropped: those the states hold closed. Each id once,
// lower-cased, in the order given.
std::vector<std::string> reserves_to_drop(const std::vector<std::string>& reserve_listing_ids,
                                          const std::map<std::string, ListingState>& states);

} // namespace ui
