// The textual forms of an outpoint that the funding memory keys on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace funding {

// The form reserves are stored in: lower case, every ":" replaced by "_". No other check.
std::string normalize_outpoint(std::string_view text);

// "txid:vout", lower case: the key of the spent set and of the ordinals indexes.
std::string spent_key(std::string_view txid, uint32_t vout);

// "txid_vout", lower case: the key of offer locks, hold-back lists and reserves.
std::string lock_key(std::string_view txid, uint32_t vout);

} // namespace funding
