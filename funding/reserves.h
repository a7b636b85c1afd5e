// Listing reserves: the outputs that hold listed lots, kept out of every payment until a
// buyer's offer spends them. One file per wallet, "agoran/reserves_<key>.json":
//   {"reserves": [{"utxo": "<txid>_<vout>", "origin": text, "listing": txid, "exp": integer}]}
// Outpoints are stored normalised (lower case, ":" read as "_"). A missing or malformed file
// reads as no reserves; a malformed one is kept aside as "<name>.bad-<ms>" when next written.
// Every operation takes the wallet lock for its whole duration, and every change is a
// read-modify-write under the file's cross-process lock (json_store.h): other programs of the
// same wallet may list at the same time. A change that waits too long for that lock fails with
// "error: another program is changing this wallet's listing reserves. Try again in a moment.".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace funding {

struct Reserve {
    std::string utxo;     // normalised outpoint
    std::string origin;   // token id or inscription origin; may be empty
    std::string listing;  // id of the listing post, lower case; empty until bound
    int64_t exp = 0;      // the listing's expiry, as the caller gave it
};

// The reserve file of the bound wallet (the data directory's "agoran" folder).
std::filesystem::path reserves_path();

// Every reserve of the bound wallet, in file order.
std::vector<Reserve> reserve_list();

// "" on success; "error: bad UTXO." when the normalised outpoint is shorter than 66
// characters; "error: that UTXO is already listed."; "error: could not write Agoran reserve.".
std::string reserve_add(std::string_view outpoint, std::string_view origin, int64_t exp);

// Binds the reserve of the outpoint to a listing id (stored lower case). "" on success;
// "error: no reserve for that UTXO."; "error: could not update Agoran reserve.".
std::string reserve_bind_listing(std::string_view outpoint, std::string_view listing_id);

// Moves the reserve of a listing to a new outpoint. "" on success; "error: bad rebind." unless
// the listing id is 64 characters and the normalised outpoint at least 66; "error: no reserve
// for that listing."; "error: could not update Agoran reserve.".
std::string reserve_rebind(std::string_view listing_id, std::string_view new_outpoint);

// Removes every reserve whose utxo equals the normalised key or whose listing equals the
// lower-cased key, and rewrites the file. An empty key removes nothing. False only when a
// needed write failed or waited too long.
bool reserve_remove(std::string_view key);

// Whether some reserve holds txid + "_" + vout (compared normalised).
[[nodiscard]] bool reserve_holds(std::string_view txid, uint32_t vout);

// The utxo of the reserve bound to the listing id (compared lower case), or "".
std::string reserve_for_listing(std::string_view listing_id);

} // namespace funding
