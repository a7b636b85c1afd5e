#include "book/reduce.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace book {
namespace {

// An output's satoshis: "valueSat" (a float rounded), else "value" in BSV, rounded.
uint64_t output_sats(const Json& output)
{
    if (const Json* v = core::json_member(output, "valueSat"); v && v->is_number()) {
        if (v->is_number_float()) {
            double d = v->get<double>() + 0.5;
            return (std::isfinite(d) && d >= 0 && d < 1.8e19) ? static_cast<uint64_t>(d) : 0;
        }
        return post_u64(output, "valueSat");
    }
    if (const Json* v = core::json_member(output, "value"); v && v->is_number()) {
        double d = v->get<double>() * 100'000'000.0 + 0.5;
        return (std::isfinite(d) && d >= 0 && d < 1.8e19) ? static_cast<uint64_t>(d) : 0;
    }
    return 0;
}

std::string output_address(const Json& output)
{
    const Json* spk = core::json_object(output, "scriptPubKey");
    if (!spk) return {};
    if (const Json* addresses = core::json_array(*spk, "addresses"); addresses && !addresses->empty()) {
        const Json& first = addresses->front();
        return first.is_string() ? first.get<std::string>() : std::string();
    }
    return core::json_string(*spk, "address");
}

size_t output_count(const Json& tx)
{
    const Json* vout = core::json_array(tx, "vout");
    return vout ? vout->size() : 0;
}

bool listing_fee_paid(const Json& tx, const ReduceContext& context)
{
    const Json* vout = core::json_array(tx, "vout");
    if (!vout) return false;
    bool fee = false;
    bool oracle = false;
    for (const Json& output : *vout) {
        std::string address = output_address(output);
        if (address.empty()) continue;
        uint64_t sats = output_sats(output);
        if (address == context.house_fee_address && sats >= LISTING_FEE_SATS) fee = true;
        if (address == context.oracle_address && sats >= 1) oracle = true;
    }
    return fee && oracle;
}

std::string handle_or_actor(const Json& post)
{
    std::string handle = post_string(post, "handle");
    return handle.empty() ? post_string(post, "actor") : handle;
}

void apply_list(const PostRecord& record, const ReduceContext& context, std::map<std::string, Listing>& out)
{
    const Json& post = record.post;
    Listing listing;
    listing.id = record.txid;
    listing.origin = post_string(post, "origin");
    listing.kind = post_string(post, "kind");
    listing.utxo = ascii_lower(post_string(post, "utxo"));
    listing.qty = post_string(post, "qty");
    listing.price_sats = post_u64(post, "price_sats");
    listing.note = post_string(post, "note");
    listing.created = record.time;
    listing.exp = post_int(post, "exp");
    if (listing.exp < 1) listing.exp = record.time + LISTING_LIFETIME_SECONDS;
    listing.pay_addr = post_string(post, "pay_addr");
    listing.ord_addr = post_string(post, "ord_addr");
    listing.handle = handle_or_actor(post);
    listing.paymail = post_string(post, "paymail");
    listing.pubkey = post_pubkey(post);
    listing.name = post_string(post, "name");
    listing.sym = post_string(post, "sym");
    listing.icon = post_string(post, "icon");
    listing.status = "live";
    if (listing_fee_paid(record.tx, context)) {
        listing.fee_ok = true;
    } else if (context.reserved_listing_ids.count(record.txid) > 0) {
        listing.fee_ok = true;
    } else {
        listing.fee_ok = false;
        if (output_count(record.tx) >= 3) listing.status = "cancelled";
    }
    if (listing.origin.empty() || listing.utxo.empty()) return;
    out[listing.id] = std::move(listing);
}

// The owner checks compare the signer's key as verified; an empty key never owns anything.
bool signed_by(const Json& post, const std::string& owner_key)
{
    std::string key = post_pubkey(post);
    return !key.empty() && key == owner_key;
}

bool is_architect(const std::string& key, const ReduceContext& context)
{
    if (key.empty()) return false;
    return std::find(context.architect_keys.begin(), context.architect_keys.end(), key) !=
           context.architect_keys.end();
}

void apply_fill(const Json& post, Listing& listing)
{
    if (!signed_by(post, listing.pubkey) || listing.status != "live") return;
    uint64_t total = parse_decimal_u64(listing.qty).value_or(0);
    std::string q = post_string(post, "qty");
    std::string s = post_string(post, "sold");
    uint64_t q_num = parse_decimal_u64(q).value_or(0);
    if (s.empty() && total > 0 && q_num > total) {
        if (!listing.offers.empty()) s = listing.offers.back().qty;
        uint64_t sold = parse_decimal_u64(s).value_or(0);
        q = sold < total ? std::to_string(total - sold) : "0";
    }
    if (const Json* price = core::json_member(post, "price_sats")) {
        if (price->is_number()) listing.price_sats = post_u64(post, "price_sats");
    } else if (total > 0) {
        uint64_t rest = parse_decimal_u64(q).value_or(0);
        if (rest < total) listing.price_sats = mul_div_floor(rest, listing.price_sats, total);
    }
    listing.qty = q;
    listing.utxo = ascii_lower(post_string(post, "utxo"));
    listing.offers.clear();
    if (!listing.qty.empty() && listing.qty != "0" && !listing.utxo.empty()) return;
    listing.status = "sold";
    listing.qty = "0";
    listing.utxo.clear();
}

Offer offer_from(const PostRecord& record)
{
    const Json& post = record.post;
    Offer offer;
    offer.id = record.txid;
    offer.handle = handle_or_actor(post);
    offer.pubkey = post_pubkey(post);
    offer.qty = post_string(post, "qty");
    offer.pay_sats = post_u64(post, "pay_sats");
    offer.buyer_ord = post_string(post, "buyer_ord");
    offer.offer = post_string(post, "offer");
    offer.created = record.time;
    return offer;
}

void apply_offer_cancel(const Json& post, Listing& listing)
{
    std::string offer_id = ascii_lower(post_string(post, "offer"));
    std::string key = post_pubkey(post);
    std::erase_if(listing.offers, [&](const Offer& offer) {
        if (offer.id != offer_id) return false;
        if (!key.empty() && !offer.pubkey.empty()) return offer.pubkey == key;
        return false;
    });
}

void apply(const PostRecord& record, const ReduceContext& context, std::map<std::string, Listing>& out)
{
    const Json& post = record.post;
    std::string type = post_string(post, "type");
    if (type == "ag_list") {
        apply_list(record, context, out);
        return;
    }
    auto it = out.find(ascii_lower(post_string(post, "listing")));
    if (it == out.end()) return;
    Listing& listing = it->second;
    if (type == "ag_cancel") {
        if (!signed_by(post, listing.pubkey)) return;
        listing.status = "cancelled";
        listing.offers.clear();
    } else if (type == "ag_force_cancel") {
        if (!is_architect(post_pubkey(post), context)) return;
        listing.status = "force_cancelled";
        listing.offers.clear();
    } else if (type == "ag_fill") {
        apply_fill(post, listing);
    } else if (type == "ag_buy") {
        listing.offers.push_back(offer_from(record));
    } else if (type == "ag_offer_cancel") {
        apply_offer_cancel(post, listing);
    }
}

} // namespace

void reduce_book(const std::vector<PostRecord>& posts, const ReduceContext& context,
                 std::map<std::string, Listing>& out)
{
    out.clear();
    std::vector<size_t> order(posts.size());
    std::iota(order.begin(), order.end(), size_t{0});
    auto less = [&](size_t a, size_t b) { return book_order_less(posts[a], posts[b]); };
    if (!std::is_sorted(order.begin(), order.end(), less)) std::stable_sort(order.begin(), order.end(), less);
    for (size_t i : order) apply(posts[i], context, out);
}

bool has_force_cancel(const std::vector<PostRecord>& posts)
{
    return std::any_of(posts.begin(), posts.end(), [](const PostRecord& record) {
        return post_string(record.post, "type") == "ag_force_cancel";
    });
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
