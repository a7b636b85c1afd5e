// libsecp256k1 plumbing shared by the key, message and wallet code: the process context, secret
// scalars that wipe themselves, and public key parsing.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include <secp256k1.h>

#include "core/bytes.h"

namespace core {

// Returns the process-wide context, created on first use and randomised (side-channel blinding)
// from the system's random source. Initialisation is thread-safe; afterwards the context is only
// used through this const pointer, which libsecp256k1 allows from any number of threads at once.
// Never null.
const secp256k1_context* secp_context();

// A 32-byte secret scalar held on the stack and wiped when it goes out of scope.
struct SecretScalar {
    std::array<uint8_t, 32> bytes{};
    SecretScalar() = default;
    SecretScalar(const SecretScalar&) = delete;
    SecretScalar& operator=(const SecretScalar&) = delete;
    ~SecretScalar();
    void wipe();
};

// Decodes a private key given as exactly 64 hex digits (either case) into out and checks that it
// is a valid scalar (1 to n-1). Returns true on success; on failure out is wiped. Thread-safe.
[[nodiscard]] bool load_private_key(std::string_view priv_hex, SecretScalar& out);

// Same for a private key given as 32 raw bytes.
[[nodiscard]] bool load_private_key(ByteView priv, SecretScalar& out);

// Parses a 33-byte compressed or 65-byte uncompressed SEC1 public key and checks that it lies on
// the curve. Returns nullopt for any other length, prefix or point. Thread-safe.
std::optional<secp256k1_pubkey> parse_pubkey(ByteView pubkey);

// The 33-byte compressed encoding of a parsed public key. Thread-safe.
std::array<uint8_t, 33> serialize_compressed(const secp256k1_pubkey& pubkey);

} // namespace core
