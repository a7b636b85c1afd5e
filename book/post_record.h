// One post of the book as the loader hands it on: where it came from and when it was signed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "book/post.h"

namespace book {

struct PostRecord {
    std::string txid;   // 64 lower-case hex characters
    Json post;          // the post object found in the transaction
    Json tx;            // the transaction as chain JSON
    int64_t time = 0;   // the post's "ts", always above 0
    size_t seen = 0;    // position of the txid in the order the loader gathered the ids
};

// Book order: time ascending, then txid ascending (byte order).
inline bool book_order_less(const PostRecord& a, const PostRecord& b)
{
    if (a.time != b.time) return a.time < b.time;
    return a.txid < b.txid;
}

} // namespace book
