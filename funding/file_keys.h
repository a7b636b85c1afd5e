// The wallet keys that name the funding layer's files in the data directory.
#pragma once

#include <string>
#include <string_view>

namespace funding {

// Reserve files: the wallet id ("none" when empty) with letters, digits, "-" and "_" kept and
// every other byte replaced by "_"; "wallet" when that is empty; cut to 64 characters.
std::string reserve_file_key(std::string_view wallet_id);

// Offer-lock files: the wallet id with only letters, digits, "-" and "_" kept; "none" when
// nothing is left.
std::string offer_lock_file_key(std::string_view wallet_id);

} // namespace funding
