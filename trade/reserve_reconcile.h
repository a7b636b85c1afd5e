// Settling the wallet's listing reserves against a book load: a reserve is dropped only when the
// reduced book holds its listing in a closed state (sold, expired, cancelled, or cancelled by an
// architect), so that the lot can be listed again. A listing the load did not return (a failed
// fetch, an outage of the key registry) never drops its reserve. The desktop program and
// agoran-cli run reconcile_reserves after every complete book load.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "book/listing.h"
#include "tx/txid.h"
#include "wallet/wallet_session.h"

namespace trade {

// What reconciliation needs to know of a listing of the reduced book.
struct ListingState {
    book::ListingStatus status = book::ListingStatus::Live;  // after the view's expiry marking
    bool fee_ok = false;
    bool operator==(const ListingState&) const = default;
};

// The states of the whole reduced book: every listing of `reduced` (sold ones included) with
// the status the view gave it where the view holds it (expiry is marked only there). Pure.
std::map<tx::Txid, ListingState> listing_states(const std::map<tx::Txid, book::Listing>& reduced,
                                                   const std::vector<book::Listing>& view);

// True for "sold", "force_cancelled", "expired", and "cancelled" with fee_ok (a listing
// cancelled because its fee was never seen keeps its reserve). Pure.
[[nodiscard]] bool is_closed(const ListingState& state);

// The listing ids, among those of the wallet's bound reserves, whose reserve is to be dropped:
// those the states hold closed. Each id once, in the order given. Pure.
std::vector<tx::Txid> reserves_to_drop(const std::vector<tx::Txid>& reserve_listing_ids,
                                       const std::map<tx::Txid, ListingState>& states);

// Drops, through remove, the reserve of every listing reserves_to_drop names; returns those ids.
std::vector<tx::Txid> reconcile_reserves(const std::map<tx::Txid, ListingState>& states,
                                         const std::vector<tx::Txid>& reserve_listing_ids,
                                         const std::function<void(const tx::Txid& listing_id)>& remove);

// reconcile_reserves over the bound wallet's reserves file (funding/reserves.h).
std::vector<tx::Txid> reconcile_reserves(wallet::WalletSession& wallet, const std::map<tx::Txid, ListingState>& states);

} // namespace trade
