#include "book/book_view.h"

#include <algorithm>

#include "book/post.h"

namespace book {

std::vector<Listing> book_view_of(std::map<std::string, Listing> listings, int64_t now)
{
    std::vector<Listing> view;
    view.reserve(listings.size());
    for (auto& [id, listing] : listings) {
        if (listing.status == "live" && listing.exp >= 1 && now > listing.exp) listing.status = "expired";
        if (listing.status == "sold") continue;
        if (parse_decimal_u64(listing.qty).value_or(0) == 0) continue;
        view.push_back(std::move(listing));
    }
    std::stable_sort(view.begin(), view.end(),
                     [](const Listing& a, const Listing& b) { return a.created > b.created; });
    return view;
}

} // namespace book
