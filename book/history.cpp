#include "book/history.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <set>
#include <unordered_map>

#include "book/chain_facts.h"
#include "book/reduce_context.h"
#include "core/text.h"

namespace book {
namespace {

struct LastOffer {
    std::string qty;
    uint64_t pay_sats = 0;
    std::string buyer;
};

std::string display_name(const Listing& listing)
{
    return listing.name.empty() ? listing.sym : listing.name;
}

// The listing a row names; none when the post's id is no txid.
const Listing* find_listing(const std::map<tx::Txid, Listing>& listings, const std::string& id)
{
    const std::optional<tx::Txid> txid = tx::Txid::parse(id);
    auto it = txid ? listings.find(*txid) : listings.end();
    return it == listings.end() ? nullptr : &it->second;
}

std::set<std::string> offer_set(const std::vector<PostRecord>& posts)
{
    std::set<std::string> offers;
    for (const PostRecord& record : posts) {
        const PostFields& f = record.fields;
        if (f.type != "ag_buy" || f.listing.empty() || f.signer.empty()) continue;
        offers.insert(f.listing + "|" + f.signer);
    }
    return offers;
}

HistoryRow row_of(const PostRecord& record, const std::map<tx::Txid, Listing>& listings,
                  std::unordered_map<std::string, LastOffer>& last_offers)
{
    const PostFields& f = record.fields;
    HistoryRow row;
    row.type = f.type;
    row.txid = record.txid;
    row.listing = row.type == "ag_list" ? record.txid.hex() : f.listing;
    row.handle = f.handle;
    row.pubkey = f.signer;
    row.qty = f.qty;
    row.pay_sats = f.pay_sats;

    if (row.type == "ag_buy") {
        last_offers[row.listing] = LastOffer{row.qty, row.pay_sats, row.handle};
    } else if (row.type == "ag_fill") {
        auto last = last_offers.find(row.listing);
        if (!f.sold.empty()) {
            row.qty = f.sold;
        } else if (last != last_offers.end()) {
            row.qty = last->second.qty;
        }
        if (row.pay_sats == 0 && last != last_offers.end()) row.pay_sats = last->second.pay_sats;
        row.counterparty = f.buyer;
        if (row.counterparty.empty() && last != last_offers.end()) row.counterparty = last->second.buyer;
    }
    if (row.pay_sats == 0) row.pay_sats = f.price_sats.value_or(0);

    const Listing* listing = find_listing(listings, row.listing);
    row.time = record.time;
    if (listing) row.name = display_name(*listing);
    // The asset as the chain knows it, once asked; else what the posts say.
    row.origin = listing && !listing->chain_origin.empty() ? listing->chain_origin : f.origin;
    if (row.origin.empty() && listing) row.origin = listing->origin;

    if (row.type == "ag_list" || row.type == "ag_cancel" || row.type == "ag_fill" || row.type == "ag_force_cancel") {
        row.role = "sell";
        if (row.type != "ag_fill") row.counterparty.clear();
    } else if (row.type == "ag_buy" || row.type == "ag_offer_cancel") {
        row.role = "buy";
        if (listing) row.counterparty = listing->handle.empty() ? listing->paymail : listing->handle;
    } else {
        row.role = "book";
    }
    if (row.type == "ag_buy" && listing) {
        row.open = std::any_of(listing->offers.begin(), listing->offers.end(),
                               [&](const Offer& offer) { return offer.id == record.txid; });
    }
    return row;
}

// Decides whether the row concerns the user, adjusting a purchase row. False drops it.
bool keep_row(HistoryRow& row, const std::map<tx::Txid, Listing>& listings,
              const std::set<std::string>& offers, const std::string& my_key)
{
    if (my_key.empty()) return true;
    if (row.pubkey == my_key) return true;
    row.open = false;
    if (row.type == "ag_fill" && offers.count(row.listing + "|" + my_key) > 0) {
        row.role = "buy";
        row.counterparty = row.handle;
        row.handle = "you";
        return true;
    }
    if (row.type == "ag_buy") {
        const Listing* listing = find_listing(listings, row.listing);
        if (listing && !listing->pubkey.empty() && listing->pubkey == my_key) return true;
    }
    return false;
}

} // namespace

std::vector<HistoryRow> history_rows(const std::vector<PostRecord>& posts,
                                     const std::map<tx::Txid, Listing>& listings, std::string_view my_key)
{
    const std::string me = core::ascii_lower(my_key);
    const std::set<std::string> offers = offer_set(posts);

    std::vector<size_t> order(posts.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return book_order_less(posts[a], posts[b]); });

    std::unordered_map<std::string, LastOffer> last_offers;
    std::vector<HistoryRow> rows;
    for (size_t i : order) {
        HistoryRow row = row_of(posts[i], listings, last_offers);
        if (keep_row(row, listings, offers, me)) rows.push_back(std::move(row));
    }
    std::sort(rows.begin(), rows.end(), [](const HistoryRow& a, const HistoryRow& b) {
        if (a.time != b.time) return a.time > b.time;
        return a.txid > b.txid;
    });
    return rows;
}

BookResult<std::vector<HistoryRow>> load_history(std::string_view my_key, const LoadOptions& options)
{
    LoadStatus status;
    return load_history(status, my_key, options);
}

BookResult<std::vector<HistoryRow>> load_history(LoadStatus& status, std::string_view my_key,
                                                 const LoadOptions& options)
{
    try {
        BookResult<std::vector<PostRecord>> loaded = load_posts(status, options);
        if (!loaded) return loaded.error();
        const std::vector<PostRecord>& posts = *loaded;
        std::map<tx::Txid, Listing> listings;
        reduce_book(posts, reduce_context_for(posts, options), listings);
        // Names come from the chain, asked only for the listings the user's rows are about.
        std::vector<HistoryRow> rows = history_rows(posts, listings, my_key);
        std::set<tx::Txid> about;
        for (const HistoryRow& row : rows) {
            if (std::optional<tx::Txid> id = tx::Txid::parse(row.listing)) about.insert(*id);
        }
        std::vector<Listing*> named;
        for (auto& [id, listing] : listings) {
            if (about.count(id) > 0) named.push_back(&listing);
        }
        fill_chain_facts(named, options.services);
        return history_rows(posts, listings, my_key);
    } catch (...) {
        return BookError(BookCode::HistoryFailed);
    }
}

} // namespace book
