// The lock envelope "TV-LOCK1" by which Pursa protects a wallet: the content of a locked wallet
// file and the format of a seal file. This program only recognises it; Pursa seals and opens it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "core/bytes.h"

namespace wallet {

inline constexpr std::string_view LOCK_TAG = "TV-LOCK1";
inline constexpr std::string_view LOCK_KDF = "pbkdf2-sha256";
inline constexpr uint32_t LOCK_ITERATIONS_DEFAULT = 210'000;
inline constexpr uint32_t LOCK_ITERATIONS_MIN = 10'000;
inline constexpr uint32_t LOCK_ITERATIONS_MAX = 5'000'000;

// {"lock", "kdf", "iter", "salt", "iv", "tag", "ct"}, hex members decoded.
struct LockEnvelope {
    uint32_t iterations = LOCK_ITERATIONS_DEFAULT;
    core::Bytes salt;        // 16 bytes
    core::Bytes iv;          // 12 bytes
    core::Bytes tag;         // 16 bytes
    core::Bytes ciphertext;  // non-empty
};

// True when the value is an object whose "lock" is exactly "TV-LOCK1" (the wallet is locked,
// whatever the rest of the envelope holds).
[[nodiscard]] bool is_lock_envelope(const nlohmann::json& value);

// The envelope's members, checked: "kdf" "pbkdf2-sha256", "iter" 10,000 to 5,000,000, salt 16,
// iv 12 and tag 16 bytes, a non-empty ciphertext, all hex. nullopt otherwise.
std::optional<LockEnvelope> parse_lock_envelope(const nlohmann::json& value);
nlohmann::json lock_envelope_to_json(const LockEnvelope& envelope);

} // namespace wallet
