// The user's own trade history, drawn from the whole book.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "book/listing.h"
#include "book/load.h"
#include "book/post_record.h"
#include "tx/txid.h"

namespace book {

struct HistoryRow {
    std::string type;          // the post's "type"
    tx::Txid txid;
    std::string listing;       // the listing the post is about, as the post names it
    std::string handle;        // the poster; "you" in a purchase row
    std::string pubkey;        // the poster's key, lower case
    std::string counterparty;  // the other side's handle, or ""
    std::string qty;
    uint64_t pay_sats = 0;
    std::string name;          // the listing's name, or its symbol, as the chain gives them
    std::string origin;        // the asset: what the listing output holds, else the post's origin
    int64_t time = 0;
    std::string role;          // "sell", "buy" or "book"
    bool open = false;         // the user's own offer, still open on its listing
};

// Builds the rows of the user whose identity key is my_key ("" keeps every post) from the
// posts in book order and the reduced listings (chain facts already filled). Newest first, equal
// times in descending txid order. Safe from any thread.
std::vector<HistoryRow> history_rows(const std::vector<PostRecord>& posts,
                                     const std::map<tx::Txid, Listing>& listings, std::string_view my_key);

// Loads and reduces the book, fills the chain facts of the listings the rows are about
// (book/chain_facts.h) and builds the rows. Fails with the loader's error, or HistoryFailed.
BookResult<std::vector<HistoryRow>> load_history(std::string_view my_key, const LoadOptions& options);
// The same, and status says whether the book the rows come from is whole (also on failure): the
// rows of an incomplete book may miss some of the user's.
BookResult<std::vector<HistoryRow>> load_history(LoadStatus& status, std::string_view my_key,
                                                 const LoadOptions& options);

} // namespace book
