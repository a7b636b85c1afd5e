#include "book/reduce.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "core/market_clock.h"

namespace book {
namespace {

bool listing_fee_paid(const TxOutputs& outputs, const ReduceContext& context)
{
    bool fee = false;
    bool oracle = false;
    for (const PaidOutput& output : outputs.paid) {
        if (output.address == context.house_fee_address && output.sats >= LISTING_FEE_SATS) fee = true;
        if (output.address == context.oracle_address && output.sats >= 1) oracle = true;
    }
    return fee && oracle;
}

// The listings while reduction runs: in creation order, found by id through an index whose
// keys view the txids of the posts (which outlive the reduction).
struct WorkingBook {
    std::vector<Listing> listings;
    std::unordered_map<std::string_view, size_t> index;

    Listing* find(const tx::Txid& id)
    {
        auto it = index.find(id.hex());
        return it == index.end() ? nullptr : &listings[it->second];
    }
};

void apply_list(const PostRecord& record, const ReduceContext& context, WorkingBook& book)
{
    const PostFields& f = record.fields;
    if (f.origin.empty() || !f.utxo) return;
    Listing listing;
    listing.id = record.txid;
    listing.origin = f.origin;
    listing.kind = listing_kind_of(f.kind);
    listing.utxo = f.utxo;
    listing.qty = f.qty;
    listing.price_sats = f.price_sats.value_or(0);
    listing.note = f.note;
    listing.created = record.time;
    listing.exp = f.exp < 1 ? core::add_seconds(record.time, LISTING_LIFETIME_SECONDS) : f.exp;
    listing.pay_addr = f.pay_addr;
    listing.ord_addr = f.ord_addr;
    listing.handle = f.handle;
    listing.paymail = f.paymail;
    listing.pubkey = f.signer;
    listing.claimed = SellerClaims{f.name, f.sym, f.icon};
    listing.status = ListingStatus::Live;
    if (listing_fee_paid(record.outputs, context) || context.reserved_listing_ids.count(record.txid) > 0) {
        listing.fee_ok = true;
    } else {
        listing.fee_ok = false;
        if (record.outputs.count >= 3) listing.status = ListingStatus::Cancelled;
    }
    auto [it, inserted] = book.index.try_emplace(record.txid.hex(), book.listings.size());
    if (inserted) {
        book.listings.push_back(std::move(listing));
    } else {
        book.listings[it->second] = std::move(listing);
    }
}

// The owner checks compare the signer's key as verified; an empty key never owns anything.
bool signed_by(const PostFields& f, const std::string& owner_key)
{
    return !f.signer.empty() && f.signer == owner_key;
}

bool is_architect(const std::string& key, const ReduceContext& context)
{
    if (key.empty()) return false;
    return std::find(context.architect_keys.begin(), context.architect_keys.end(), key) !=
           context.architect_keys.end();
}

// A fill naming no output closes the listing; one naming something that is not an outpoint
// changes nothing.
void apply_fill(const PostFields& f, Listing& listing)
{
    if (f.has_utxo && !f.utxo) return;
    if (!signed_by(f, listing.pubkey) || listing.status != ListingStatus::Live) return;
    uint64_t total = parse_decimal_u64(listing.qty).value_or(0);
    std::string q = f.qty;
    std::string s = f.sold;
    uint64_t q_num = parse_decimal_u64(q).value_or(0);
    if (s.empty() && total > 0 && q_num > total) {
        if (!listing.offers.empty()) s = listing.offers.back().qty;
        uint64_t sold = parse_decimal_u64(s).value_or(0);
        q = sold < total ? std::to_string(total - sold) : "0";
    }
    if (f.has_price) {
        if (f.price_sats) listing.price_sats = *f.price_sats;
    } else if (total > 0) {
        uint64_t rest = parse_decimal_u64(q).value_or(0);
        if (rest < total) listing.price_sats = mul_div_floor(rest, listing.price_sats, total);
    }
    listing.qty = std::move(q);
    listing.utxo = f.utxo;
    listing.offers.clear();
    if (!listing.qty.empty() && listing.qty != "0" && listing.utxo) return;
    listing.status = ListingStatus::Sold;
    listing.qty = "0";
    listing.utxo.reset();
}

Offer offer_from(const PostRecord& record)
{
    const PostFields& f = record.fields;
    Offer offer;
    offer.id = record.txid;
    offer.handle = f.handle;
    offer.pubkey = f.signer;
    offer.qty = f.qty;
    offer.pay_sats = f.pay_sats;
    offer.buyer_ord = f.buyer_ord;
    offer.offer = f.offer;
    offer.created = record.time;
    return offer;
}

// An offer id that is no txid names no offer.
void apply_offer_cancel(const PostFields& f, Listing& listing)
{
    const std::optional<tx::Txid> offer_id = tx::Txid::parse(f.offer);
    std::erase_if(listing.offers, [&](const Offer& offer) {
        return offer.id == offer_id && !f.signer.empty() && offer.pubkey == f.signer;
    });
}

void apply(const PostRecord& record, const ReduceContext& context, WorkingBook& book)
{
    const PostFields& f = record.fields;
    if (f.type == "ag_list") {
        apply_list(record, context, book);
        return;
    }
    // A listing id that is no txid names no listing.
    const std::optional<tx::Txid> listing_id = tx::Txid::parse(f.listing);
    Listing* found = listing_id ? book.find(*listing_id) : nullptr;
    if (!found) return;
    Listing& listing = *found;
    if (f.type == "ag_cancel") {
        if (!signed_by(f, listing.pubkey)) return;
        listing.status = ListingStatus::Cancelled;
        listing.offers.clear();
    } else if (f.type == "ag_force_cancel") {
        if (!is_architect(f.signer, context)) return;
        listing.status = ListingStatus::ForceCancelled;
        listing.offers.clear();
    } else if (f.type == "ag_fill") {
        apply_fill(f, listing);
    } else if (f.type == "ag_buy") {
        listing.offers.push_back(offer_from(record));
    } else if (f.type == "ag_offer_cancel") {
        apply_offer_cancel(f, listing);
    }
}

} // namespace

void reduce_book(const std::vector<PostRecord>& posts, const ReduceContext& context,
                 std::map<tx::Txid, Listing>& out)
{
    out.clear();
    std::vector<size_t> order(posts.size());
    std::iota(order.begin(), order.end(), size_t{0});
    auto less = [&](size_t a, size_t b) { return book_order_less(posts[a], posts[b]); };
    if (!std::is_sorted(order.begin(), order.end(), less)) std::stable_sort(order.begin(), order.end(), less);
    WorkingBook book;
    book.listings.reserve(posts.size() / 2);
    book.index.reserve(posts.size() / 2);
    for (size_t i : order) apply(posts[i], context, book);
    for (Listing& listing : book.listings) {
        tx::Txid id = listing.id;
        out.emplace(std::move(id), std::move(listing));
    }
}

bool has_force_cancel(const std::vector<PostRecord>& posts)
{
    return std::any_of(posts.begin(), posts.end(),
                       [](const PostRecord& record) { return record.fields.type == "ag_force_cancel"; });
}

uint64_t mul_div_floor(uint64_t a, uint64_t b, uint64_t d)
{
    const uint64_t mask = 0xffffffffULL;
    uint64_t p0 = (a & mask) * (b & mask);
    uint64_t p1 = (a & mask) * (b >> 32);
    uint64_t p2 = (a >> 32) * (b & mask);
    uint64_t p3 = (a >> 32) * (b >> 32);
    uint64_t mid = (p0 >> 32) + (p1 & mask) + (p2 & mask);
    uint64_t lo = (p0 & mask) | (mid << 32);
    uint64_t hi = p3 + (p1 >> 32) + (p2 >> 32) + (mid >> 32);
    if (d == 0 || hi >= d) return std::numeric_limits<uint64_t>::max();
    uint64_t quotient = 0;
    uint64_t rest = hi;
    for (int bit = 63; bit >= 0; --bit) {
        bool carry = (rest >> 63) != 0;
        rest = (rest << 1) | ((lo >> bit) & 1);
        quotient <<= 1;
        if (carry || rest >= d) {
            rest -= d;
            quotient |= 1;
        }
    }
    return quotient;
}

} // namespace book
