#include "book/book_view.h"

#include <algorithm>
#include <map>

#include "book/chain_facts.h"
#include "book/post.h"
#include "book/reduce_context.h"

namespace book {

std::vector<Listing> book_view_of(std::map<tx::Txid, Listing> listings, int64_t now)
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

BookResult<BookView> load_book_view(const LoadOptions& options)
{
    LoadStatus status;
    return load_book_view(status, options);
}

BookResult<BookView> load_book_view(LoadStatus& status, const LoadOptions& options)
{
    try {
        BookResult<std::vector<PostRecord>> posts = load_posts(status, options);
        if (!posts) return posts.error();
        BookView view;
        reduce_book(*posts, reduce_context_for(*posts, options), view.reduced);
        view.listings = book_view_of(view.reduced, options.services.market_now());
        fill_chain_facts(view.listings, options.services);
        return view;
    } catch (...) {
        return BookError(BookCode::LoadFailed);
    }
}

} // namespace book
