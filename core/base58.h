// Base58Check pay-to-public-key-hash addresses (version byte 0x00 only).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace core {

// Returns the Base58Check text of 0x00 || hash || checksum: one "1" per leading zero byte, then
// the base-58 digits (twenty zero bytes give "1111111111111111111114oLvT2"). Safe from any thread.
std::string address_from_hash160(const Hash160& hash);

// Decodes a P2PKH address: 26 to 35 characters of the Base58 alphabet (no 0, O, I or l, no
// blanks), 25 bytes whose first byte is 0x00 and whose checksum matches. Returns the hash160,
// or nullopt (script-hash and test-network addresses included). Safe from any thread.
std::optional<Hash160> hash160_from_address(std::string_view address);

} // namespace core
