// Offer locks: the buyer's coins spent by offers the user has posted and not withdrawn. They
// stay out of every payment, or the offer could never complete. One file per wallet,
// "gallery/offer_locks_<key>.json": {"utxos": ["<txid>_<vout>", ...]}, lower case. Take the
// wallet lock around these calls.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace funding {

std::filesystem::path offer_locks_path();

// The locked outpoints ("txid_vout", lower case). A missing or malformed file reads as none.
std::set<std::string> offer_locks_load();

// Adds the outpoints (lower-cased, ":" read as "_") and saves. False when the write failed.
bool offer_locks_add(const std::vector<std::string>& outpoints);

// Removes the outpoints and saves when anything changed. False when the write failed.
bool offer_locks_remove(const std::vector<std::string>& outpoints);

// Replaces the whole set. False when the write failed.
bool offer_locks_save(const std::set<std::string>& locks);

// The coins an offer transaction spends, as "txid_vout": the text's hexadecimal digits,
// lower-cased, must number at least 80 and be even and parse as a transaction; inputs whose
// txid is not 64 hex digits are skipped. Empty for anything else.
std::vector<std::string> offer_input_outpoints(std::string_view offer_hex);

} // namespace funding
