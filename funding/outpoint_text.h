// The textual forms of an outpoint that the funding memory keys on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tx/outpoint.h"

namespace funding {

// The form reserves are stored in: lower case, every ":" replaced by "_". No other check.
std::string normalize_outpoint(std::string_view text);

// "txid:vout": the form the spent snapshot stores.
std::string spent_key(const tx::Outpoint& outpoint);

// "txid_vout", lower case: the key of offer locks, hold-back lists and reserves.
std::string lock_key(std::string_view txid, uint32_t vout);
std::string lock_key(const tx::Txid& txid, uint32_t vout);

} // namespace funding
