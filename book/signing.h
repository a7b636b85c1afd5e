// The signed envelope of a post: the canonical signing string, the signature check and the
// check of the signing key against the key the registry publishes for the post's "actor".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "book/post.h"

namespace book {

// Answers the identity key (compressed hex) the registry publishes for a handle, or "" when
// there is none or the registry cannot be reached.
using IdentityKeyLookup = std::function<std::string(std::string_view handle)>;

// "TV1|" type "|" channel "|" handle "|" actor "|" ts "|" body, the text every post's signature
// covers. For book posts the body binds "pay_addr", "id" and the SHA-256 of "blob": a post's
// other members are signed only through its blob (book/post_blob.h).
std::string signing_string(const Json& post);

// Every check of a post that depends on the post alone: its shape, its protocol, its members
// and its signature over the signing string. Safe from any thread.
[[nodiscard]] bool verify_post_signature(const Json& post);

// True when the post's signing key (hex-decoded and compressed) equals the key published for
// its "actor"; an empty published key never matches.
[[nodiscard]] bool post_key_matches(const Json& post, std::string_view published_key);

// The full check: verify_post_signature, post_blob_matches, then the key check against
// lookup("actor").
[[nodiscard]] bool verify_post(const Json& post, const IdentityKeyLookup& lookup);

// Book posts ("ag_" types) whose normalised, lower-cased "handle" differs from their "actor"
// claim a name their key was not checked against; the book drops them.
[[nodiscard]] bool book_post_names_signer(const Json& post);

} // namespace book
