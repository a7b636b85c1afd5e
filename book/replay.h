// Replayed posts. A post's signature binds only its type, location, handle, actor, time and
// payment address, so the same signed envelope can be copied into another transaction with a
// different "listing", "utxo", "qty" or "price_sats" and still verify. Among posts that carry
// the same signing key and the same signature only the one the loader gathered first is kept.
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

// Removes every post whose replay_key (read from its fields) was already carried by a post with
// a smaller `seen`.
// The order of the remaining posts is kept. Returns the number removed.
size_t drop_replays(std::vector<PostRecord>& posts);

} // namespace book
