// Hashes of the Bitcoin family and the keyed hashes the wallet derives keys with.
// All functions are stateless and safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/bytes.h"
#include "core/secure.h"

namespace core {

// Returns SHA-256 of data. OpenSSL can fail here only when memory runs out; the result is then
// all zero bytes, which no caller will mistake for a valid digest it can match.
Hash256 sha256(ByteView data);
// Returns SHA-256 applied twice (the txid, checksum and signed-message digest), in computed
// order, not byte-reversed. Same failure rule as sha256.
Hash256 sha256d(ByteView data);
// Returns RIPEMD-160 of SHA-256 (the payload of an address). Same failure rule as sha256.
Hash160 hash160(ByteView data);

// HMAC-SHA512 of data under key. Returns the 64-byte MAC in a wiping holder, or an empty
// holder when OpenSSL fails.
SecretBytes hmac_sha512(ByteView key, ByteView data);

// PBKDF2-HMAC-SHA512 (BIP-39 seed). Returns out_len bytes in a wiping holder, or an empty
// holder on failure (zero iterations, zero out_len, a size beyond INT_MAX, or OpenSSL failing).
SecretBytes pbkdf2_sha512(ByteView password, ByteView salt, uint32_t iterations, size_t out_len);

// PBKDF2-HMAC-SHA256 (the wallet lock envelope). Same contract as above.
SecretBytes pbkdf2_sha256(ByteView password, ByteView salt, uint32_t iterations, size_t out_len);

// HKDF-SHA256 (RFC 5869, extract then expand) of the input key material under salt and info.
// Returns out_len bytes in a wiping holder, or an empty holder on failure (out_len zero or above
// 255 * 32, or OpenSSL failing). salt and info may be empty.
SecretBytes hkdf_sha256(ByteView ikm, ByteView salt, ByteView info, size_t out_len);

// Fills out[0..size) from the system's secure random source (RAND_bytes). Returns false on
// failure, when the content of out must not be used. A size of 0 succeeds.
[[nodiscard]] bool random_bytes(uint8_t* out, size_t size);

} // namespace core
