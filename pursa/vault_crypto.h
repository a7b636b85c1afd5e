// Sealing a wallet file's text into a "TV-LOCK1" envelope and opening it again:
// key = PBKDF2-HMAC-SHA256(password, 16-byte salt, iterations, 32 bytes), AES-256-GCM with a
// random 12-byte nonce and no associated data.
#pragma once

#include <optional>
#include <string_view>

#include "core/secure.h"
#include "wallet/lock_envelope.h"

namespace pursa {

// Encrypts the text under the password. nullopt on an empty password or text, an iteration
// count out of range, or a failure of the random source or the cipher.
std::optional<wallet::LockEnvelope> seal_text(std::string_view text, std::string_view password,
                                              uint32_t iterations = wallet::LOCK_ITERATIONS_DEFAULT);

// Decrypts and authenticates. nullopt for a wrong password or any change to the envelope.
std::optional<core::SecretString> open_envelope(const wallet::LockEnvelope& envelope, std::string_view password);

} // namespace pursa
