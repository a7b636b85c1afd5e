// Hashes of the Bitcoin family and the keyed hashes the wallet derives keys with.
// All functions are stateless and safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/bytes.h"
#include "core/secure.h"

namespace core {

Hash256 sha256(ByteView data);
// SHA-256 applied twice.
Hash256 sha256d(ByteView data);
// RIPEMD-160 of SHA-256.
Hash160 hash160(ByteView data);

// HMAC-SHA512 of data under key. Returns the 64-byte MAC in a wiping holder, or an empty
// holder when OpenSSL fails.
SecretBytes hmac_sha512(ByteView key, ByteView data);

// PBKDF2-HMAC-SHA512 (BIP-39 seed). Returns out_len bytes, or an empty holder on failure.
SecretBytes pbkdf2_sha512(ByteView password, ByteView salt, uint32_t iterations, size_t out_len);

// PBKDF2-HMAC-SHA256 (the wallet lock envelope). Same contract as above.
SecretBytes pbkdf2_sha256(ByteView password, ByteView salt, uint32_t iterations, size_t out_len);

// Fills a buffer from the system's secure random source (RAND_bytes). False on failure.
[[nodiscard]] bool random_bytes(uint8_t* out, size_t size);

} // namespace core
