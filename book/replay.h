// Replayed posts. A post's signature binds only some of its members, so the same signed
// envelope can be copied into another transaction with a different "listing", "utxo", "qty" or
// "price_sats" and still verify. Among posts that carry the same signing key and the same
// signature only the first on chain is kept: a mined one before one that is not, a lower block
// height first, and between equals the one the loader gathered first. Which list named a post
// first never lets a copy in the mempool displace a mined original.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "book/post_record.h"

namespace book {

// The identity of a signed envelope: the compressed signing key and the signature as (r, s)
// with s in the lower half of the curve order, so that re-encodings of one signature (Base64
// spelling, the 65-byte compact form, a negated s, an uncompressed key) share one identity.
std::string replay_key(const Json& post);

// The signature of a post ("sig", else "signature") as 128 hex digits r || s with s in the
// lower half of the order; "text:" and the text itself when it does not decode to 64 or 65 bytes.
std::string canonical_signature(const Json& post);

// The txids of the posts that share their envelope with another post and whose position is
// Unknown: the loader asks where they stand before it drops replays.
std::vector<tx::Txid> replays_to_place(const std::vector<PostRecord>& posts);

// Removes every group of posts sharing an envelope in which some post's position is still
// Unknown: which one came first cannot be told, so none is shown. Returns the number removed.
size_t withhold_unplaced_replays(std::vector<PostRecord>& posts);

// Removes every post whose envelope (signing key and canonical signature, from its fields) is
// carried by a post before it on chain: Confirmed before Unconfirmed before Unknown, then the
// lower height, then the smaller `seen`. The order of the remaining posts is kept. Returns the
// number removed.
size_t drop_replays(std::vector<PostRecord>& posts);

} // namespace book
