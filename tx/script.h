// The plain locking scripts the program writes: pay-to-public-key-hash and the data carrier.
#pragma once

#include <cstddef>
#include <optional>

#include "core/bytes.h"

namespace tx {

inline constexpr size_t P2PKH_SCRIPT_SIZE = 25;

// 76 A9 14 <hash> 88 AC: the 25-byte lock paying to the hash. Safe from any thread.
core::Bytes p2pkh_script(const core::Hash160& hash);

// The hash a script pays to when its first 25 bytes are the P2PKH lock (anything may
// follow); nullopt otherwise. Safe from any thread.
std::optional<core::Hash160> p2pkh_prefix_hash(core::ByteView script);

// The hash when the script is exactly the 25-byte P2PKH lock; nullopt otherwise.
std::optional<core::Hash160> p2pkh_hash(core::ByteView script);

// 00 6A followed by push(payload); just 00 6A when the payload is empty. Carries a post or
// other data in a zero-value output. Safe from any thread.
core::Bytes data_carrier_script(core::ByteView payload);

} // namespace tx
