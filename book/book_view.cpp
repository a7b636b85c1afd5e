#include "book/book_view.h"

#include <algorithm>
#include <map>

#include "book/chain_facts.h"
#include "book/post.h"
#include "book/reduce_context.h"

namespace book {

std::vector<Listing> book_view_of(std::map<std::string, Listing> listings, int64_t now)
{
    std::vector<Listing> view;
    view.reserve(listings.size());
    for (auto& [id, listing] : listings) {
        if (listing.status == ListingStatus::Live && listing.exp >= 1 && now > listing.exp) listing.status = ListingStatus::Expired;
        if (listing.status == ListingStatus::Sold) continue;
        if (parse_decimal_u64(listing.qty).value_or(0) == 0) continue;
        view.push_back(std::move(listing));
    }
    std::stable_sort(view.begin(), view.end(),
                     [](const Listing& a, const Listing& b) { return a.created > b.created; });
    return view;
}

bool load_book_view(std::vector<Listing>& out, std::string& error, const LoadOptions& options)
{
    std::map<std::string, Listing> reduced;
    return load_book_view(out, reduced, error, options);
}

bool load_book_view(std::vector<Listing>& out, std::map<std::string, Listing>& reduced, std::string& error,
                    const LoadOptions& options)
{
    LoadStatus status;
    return load_book_view(out, reduced, status, error, options);
}

bool load_book_view(std::vector<Listing>& out, std::map<std::string, Listing>& reduced, LoadStatus& status,
                    std::string& error, const LoadOptions& options)
{
    out.clear();
    reduced.clear();
    error.clear();
    try {
        std::vector<PostRecord> posts;
        if (!load_posts(posts, status, error, options)) return false;
        reduce_book(posts, reduce_context_for(posts, options), reduced);
        out = book_view_of(reduced, options.services.market_now());
        fill_chain_facts(out, options.services);
        return true;
    } catch (...) {
        out.clear();
        reduced.clear();
        error = "could not load the book";
        return false;
    }
}

} // namespace book
