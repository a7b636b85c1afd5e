// Reduction: folds the verified posts of the book, in book order, into listings and offers.
// Reduction does no I/O; what it needs from outside comes in a ReduceContext.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "book/listing.h"
#include "book/post_record.h"
#include "tx/txid.h"

namespace book {

struct ReduceContext {
    // Where a listing's fee and its book payment go (P2PKH address text).
    std::string house_fee_address;
    std::string oracle_address;
    // The keys that may force-cancel a listing, compressed lower-case hex.
    std::vector<std::string> architect_keys;
    // Listing ids named by the bound wallet's listing reserves.
    std::set<tx::Txid> reserved_listing_ids;
};

// Satoshis a listing pays as its fee.
inline constexpr uint64_t LISTING_FEE_SATS = 1'000'000;
// Lifetime of a listing without an "exp": 28 days.
inline constexpr int64_t LISTING_LIFETIME_SECONDS = 2'419'200;

// Clears out, then applies the posts in book order (time, then txid; the input need not be
// sorted). Safe from any thread.
void reduce_book(const std::vector<PostRecord>& posts, const ReduceContext& context,
                 std::map<tx::Txid, Listing>& out);

// True when some post among them is an "ag_force_cancel" (the architects list is needed).
[[nodiscard]] bool has_force_cancel(const std::vector<PostRecord>& posts);

// a * b / d, rounded down, through a 128-bit intermediate. d must not be 0.
uint64_t mul_div_floor(uint64_t a, uint64_t b, uint64_t d);

} // namespace book
