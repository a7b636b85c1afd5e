// Byte strings, digests and amounts shared by every layer.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// An owned, growable byte string: hashes, keys, scripts and raw transactions.
using Bytes = std::vector<uint8_t>;
// A read-only view of bytes owned elsewhere.
using ByteView = std::span<const uint8_t>;

// A count of satoshis (1 BSV = 100,000,000). Never a floating-point value.
using Amount = int64_t;
inline constexpr Amount SATS_PER_BSV = 100'000'000;

// A SHA-256 or SHA-256d digest, in computed order (not byte-reversed).
using Hash256 = std::array<uint8_t, 32>;
// RIPEMD-160 of SHA-256: the payload of an address.
using Hash160 = std::array<uint8_t, 20>;

// The bytes of a text, without copying.
inline ByteView as_bytes(std::string_view text)
{
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

} // namespace core
