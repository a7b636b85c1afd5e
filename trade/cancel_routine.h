// Taking things off the book: the wallet's own listing ("ag_cancel", its reserve released) and
// the wallet's own offer ("ag_offer_cancel"). The desktop program and the command line run the
// same steps.
#pragma once

#include <optional>
#include <string>

#include "book/listing.h"

namespace trade {

// The Cancel tile's checks for one of the wallet's listings: a bound wallet, the wallet's own
// listing ("That listing is not yours, and you have no open offer on it."), still live ("That
// listing is already closed."). "" when they pass.
std::string check_cancel_listing(const book::Listing& listing);

// The cancel-listing worker: publishes "ag_cancel" (no house fee); on success releases the
// reserve by listing id and by outpoint. The publishing result.
std::string run_cancel_listing(const book::Listing& listing);

// The wallet's own offer on a listing: the last offer whose key is the wallet's identity key
// or, for an offer without a key, whose handle is the wallet's handle.
std::optional<book::Offer> own_offer_on(const book::Listing& listing, const std::string& my_key,
                                        const std::string& my_handle);

// The offer-cancel worker: publishes "ag_offer_cancel" ("listing", "offer" = the offer's id).
// Its paying transaction spends one of the withdrawn offer's buyer coins that is still unspent,
// so the old offer can never complete; only when none is left does it fund normally. On
// success the offer's coin locks are removed. "error: Pick one of your open offers." for a
// listing id that is not 64 characters.
std::string run_offer_cancel(const std::string& listing_id, const book::Offer& offer);

} // namespace trade
