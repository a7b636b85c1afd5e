// Authenticated encryption with AES-256-GCM (OpenSSL): a 32-byte key, a 12-byte nonce that must
// never repeat under one key, associated data that is authenticated but not encrypted, and a
// 16-byte tag after the ciphertext. Both functions are stateless and safe from any thread.
#pragma once

#include <cstddef>
#include <optional>

#include "core/bytes.h"
#include "core/secure.h"

namespace core {

inline constexpr size_t AEAD_KEY_SIZE = 32;
inline constexpr size_t AEAD_NONCE_SIZE = 12;
inline constexpr size_t AEAD_TAG_SIZE = 16;

// Encrypts plaintext under key and nonce and authenticates it together with aad.
// Returns: the ciphertext (exactly as long as plaintext) followed by the 16-byte tag; nullopt
//          when key is not 32 bytes, nonce is not 12 bytes, an input exceeds INT_MAX bytes, or
//          OpenSSL fails.
// In:      key (secret), nonce, aad and plaintext (either may be empty).
std::optional<Bytes> aead_seal(ByteView key, ByteView nonce, ByteView aad, ByteView plaintext);

// Checks and decrypts what aead_seal returned.
// Returns: the plaintext in a wiping holder; nullopt when key or nonce has the wrong size, sealed
//          is shorter than the tag, or the tag does not match (any changed byte of key, nonce,
//          aad or sealed). No plaintext leaves the function unless the tag matched.
// In:      key (secret), nonce, aad, sealed (ciphertext || tag).
std::optional<SecretBytes> aead_open(ByteView key, ByteView nonce, ByteView aad, ByteView sealed);

} // namespace core
