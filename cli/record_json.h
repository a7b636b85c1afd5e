// The JSON forms agoran-cli prints with --json: every member of the records, so that scripts
// need not parse tables.
#pragma once

#include <vector>

#include "book/history.h"
#include "book/listing.h"
#include "core/json_fwd.h"
#include "trade/complete_routine.h"
#include "trade/list_routine.h"
#include "trade/offer_rules.h"

namespace cli {

// A listing: "name", "sym", "icon", "dec" and "chain_origin" are what the chain holds; the
// seller's own words are under "seller_claims" ({"name", "sym", "icon"}), and "claims_differ" is
// true when they, or the post's "origin", say otherwise than the chain.
core::Json listing_json(const book::Listing& listing);
core::Json listings_json(const std::vector<book::Listing>& listings);
core::Json offer_json(const book::Offer& offer);
// Each offer with its listing's id and what completing it would find ("check": {"passes",
// "error", "paid_sats", "due_sats", "qty", "units_left"}).
core::Json offer_rows_json(const std::vector<trade::OfferRow>& rows, const std::vector<trade::OfferCheck>& checks);
core::Json history_json(const std::vector<book::HistoryRow>& rows);
core::Json lots_json(const std::vector<trade::LotToList>& lots);

} // namespace cli
