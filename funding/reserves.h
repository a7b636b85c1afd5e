// Listing reserves: the outputs that hold listed lots, kept out of every payment until a
// buyer's offer spends them, and the seller's own record of each listing. One file per wallet,
// "agoran/reserves_<key>.json":
//   {"reserves": [{"utxo": "<txid>_<vout>", "origin": text, "listing": txid, "exp": integer,
//                  "kind": text, "listed_utxo": "<txid>_<vout>", "lot_units": decimal text,
//                  "qty": decimal text, "price_sats": integer, "units_left": decimal text,
//                  "price_left": integer, "pay_addr": text, "ord_addr": text, "ts": integer}]}
// The members after "exp" are the record (ListingRecord); a reserve written before records were
// kept lacks them. Outpoints are written "<txid>_<vout>" in lower case (either separator and
// either case are read). A missing or malformed file reads as no reserves; a malformed one is
// kept aside as "<name>.bad-<ms>" when next written. An entry whose utxo, listing or (with a
// record) listed_utxo does not parse is not a reserve of this program: it is left out of every
// answer and written back unchanged by every change. Every operation takes the wallet lock for its whole duration, and every change is
// a read-modify-write under the file's cross-process lock (json_store.h): other programs of the
// same wallet may list at the same time. A change that waits too long for that lock fails with
// ReservesBusy.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "funding/error.h"
#include "tx/outpoint.h"
#include "wallet/wallet_session.h"

namespace funding {

// What this wallet signed and published in a listing post, and what its own completions left of
// the listing since: the terms every offer on the listing is checked against. Never read from
// the book.
struct ListingRecord {
    std::string kind;         // "bsv21" or "picture"; "" when no record is kept
    std::optional<tx::Outpoint> listed_utxo;  // the outpoint the listing post named
    std::string lot_units;    // units the reserved output holds ("1" for a picture); "" when not known
    std::string qty;          // units the listing post offered
    uint64_t price_sats = 0;  // the price the listing post asked for qty
    std::string units_left;   // units still for sale
    uint64_t price_left = 0;  // the price of units_left (the fill post's "price_sats")
    std::string pay_addr;
    std::string ord_addr;
    int64_t ts = 0;           // the listing post's time

    [[nodiscard]] bool known() const { return !kind.empty(); }
};

struct Reserve {
    tx::Outpoint utxo;                 // the output that holds the lot now
    std::string origin;                // token id or inscription origin; may be empty
    std::optional<tx::Txid> listing;   // id of the listing post; empty until bound
    int64_t exp = 0;       // the listing's expiry, as the caller gave it
    ListingRecord record;  // empty until the listing post is published
};

// The reserve file of the bound wallet (the data directory's "agoran" folder).
std::filesystem::path reserves_path(wallet::WalletSession& wallet);

// Every reserve of the bound wallet, in file order.
std::vector<Reserve> reserve_list(wallet::WalletSession& wallet);

// AlreadyListed; ReserveWriteFailed.
[[nodiscard]] FundingResult<void> reserve_add(wallet::WalletSession& wallet, const tx::Outpoint& outpoint, std::string_view origin, int64_t exp);

// Binds the reserve of the outpoint to a listing id, and keeps the record of the published
// listing when one is given. NoReserveForUtxo; ReserveUpdateFailed.
[[nodiscard]] FundingResult<void> reserve_bind_listing(wallet::WalletSession& wallet, const tx::Outpoint& outpoint, const tx::Txid& listing_id);
[[nodiscard]] FundingResult<void> reserve_bind_listing(wallet::WalletSession& wallet, const tx::Outpoint& outpoint, const tx::Txid& listing_id,
                                                       const ListingRecord& record);

// Moves the reserve of a listing to a new outpoint. NoReserveForListing; ReserveUpdateFailed.
[[nodiscard]] FundingResult<void> reserve_rebind(wallet::WalletSession& wallet, const tx::Txid& listing_id, const tx::Outpoint& new_outpoint);
// The same, replacing the listing's record as well (after a sale this wallet completed).
[[nodiscard]] FundingResult<void> reserve_rebind(wallet::WalletSession& wallet, const tx::Txid& listing_id, const tx::Outpoint& new_outpoint,
                                                 const ListingRecord& record);

// Removes every reserve of the outpoint (reserve_remove) or bound to the listing
// (reserve_remove_listing), and rewrites the file. False only when a needed write failed or
// waited too long.
bool reserve_remove(wallet::WalletSession& wallet, const tx::Outpoint& outpoint);
bool reserve_remove_listing(wallet::WalletSession& wallet, const tx::Txid& listing_id);

// Whether some reserve holds the outpoint.
[[nodiscard]] bool reserve_holds(wallet::WalletSession& wallet, const tx::Outpoint& outpoint);

// The utxo of the reserve bound to the listing id, or nullopt.
std::optional<tx::Outpoint> reserve_for_listing(wallet::WalletSession& wallet, const tx::Txid& listing_id);

// The reserve bound to the listing id, or nullopt.
std::optional<Reserve> reserve_of_listing(wallet::WalletSession& wallet, const tx::Txid& listing_id);

} // namespace funding
