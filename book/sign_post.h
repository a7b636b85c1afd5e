// Signing a post with the bound wallet's identity key.
#pragma once

#include "book/error.h"
#include "book/post.h"
#include "book/services.h"

namespace book {

// Completes the envelope of the post and signs it: "actor" becomes the bound wallet's handle,
// "paymail" that handle + "@" + the registry's domain, "ts" the market time (core/market_clock.h) unless
// the post carries a numeric "ts" (a time set here is later than every time set before through
// the same caches), "id" a fresh random nonce and "blob" the post's terms (book/post_blob.h), so that no
// two posts ever share a signature and every member the book reads is signed; then "pubkey" and
// "sig" from the identity key. The finished post must verify against the
// registry. Errors: CannotSign, NoHandle, WalletSignFailed (the wallet's sentence) or
// SignatureUnverified (the registry's domain). Blocks on the network; takes the wallet lock
// only while it reads the handle and signs.
BookResult<void> sign_post(Json& post, const BookServices& services);

} // namespace book
