// Sealing a report's text for the architect: ECIES on secp256k1.
//
//   e      a fresh ephemeral scalar, E = e·G
//   m      the sender's message key, M = m·G (carried so the architect can tell senders apart
//          and answer them; the second shared secret proves the sender holds m)
//   A      the architect's identity key
//   ikm    x(e·A) || x(m·A)                          (raw x coordinates, 32 bytes each)
//   key    HKDF-SHA256(ikm, salt = E || M, info = "TV-Agoran report 1" || A), 32 bytes
//   seal   AES-256-GCM(key, iv = 12 random bytes, aad = 01 || E || M)
//
// The sealed text is Base64 of  01 || E (33) || M (33) || iv (12) || ciphertext || tag (16).
// The architect opens it with a (x(a·E) || x(a·M) gives the same ikm).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/secure.h"

namespace trade {

inline constexpr uint8_t REPORT_SEAL_VERSION = 1;

// Seals text for the holder of recipient_pubkey (33 or 65 bytes) from the sender's 32-byte
// message key. Returns the sealed text, or nullopt when a key is malformed, the random source
// fails or OpenSSL fails. Every secret it made is wiped. Safe from any thread.
std::optional<std::string> seal_report_text(std::string_view text, core::ByteView recipient_pubkey,
                                            core::ByteView sender_secret);

struct OpenedReport {
    core::SecretString text;
    std::string sender_pubkey_hex;  // M, 66 lower-case hex characters
};

// Opens a sealed text with the recipient's 32-byte private key. nullopt when the text is not
// a sealed report of this version, a key in it is not on the curve, the key is wrong, or any
// byte was changed. Safe from any thread.
std::optional<OpenedReport> open_report_text(std::string_view sealed, core::ByteView recipient_secret);

} // namespace trade
