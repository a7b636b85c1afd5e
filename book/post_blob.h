// The terms a post signs. The signing string covers a post's type, location, handle, actor and
// time, its "id" and the SHA-256 of its "blob", but none of the members the book reads from
// it: price, quantity, outpoint, listing, offer. Every post this program signs therefore carries
//   "id"    a random 128-bit nonce, 32 lower-case hex digits, so that no two posts share a
//           signature, whoever signs them at whatever moment;
//   "blob"  post_blob(post): a canonical text of every member a reader takes from a post.
// A reader that follows the signing string verifies such a post as any other; this program's
// reader also drops a post whose "blob" does not answer its members (post_blob_matches).
#pragma once

#include <string>

#include "book/post.h"

namespace book {

// Compact JSON (members in byte order of their names, UTF-8 unescaped) of those of the members
//   app, buyer, buyer_ord, exp, icon, kind, listing, name, note, ord_addr, origin, pay_sats,
//   paymail, price_sats, qty, sold, sym, to_handle, utxo
// that the post carries, each with its value as it stands, and of the long texts
//   enc, offer
// as "enc_sha256" and "offer_sha256": lower-case hex SHA-256 of the text (of its compact JSON
// when it is not a string). "{}" for a post that carries none of them. Safe from any thread.
std::string post_blob(const Json& post);

// True when the post carries no "blob" (a post made before posts signed their terms), or
// carries a "blob" that is a string holding a JSON object equal, member by member, to
// post_blob(post). Safe from any thread.
[[nodiscard]] bool post_blob_matches(const Json& post);

// A fresh "id": 32 lower-case hex digits from the system's secure random source; "" when that
// source fails.
std::string fresh_post_id();

} // namespace book
