// Signed messages: the "Bitcoin Signed Message" digest, compact (key-recoverable) and plain
// signatures of text, public key recovery, and verification. Signature texts are Base64 of 65
// bytes (header 31 + recovery id, r, s) or of 64 bytes (r, s); both are 88 characters. Every
// function is stateless, wipes private key bytes on every path and is safe from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace core {

// Returns SHA-256d of 0x18 "Bitcoin Signed Message:\n", the message length as a CompactSize
// (one byte below 253; 0xFD + 2 bytes LE below 65,536; 0xFE + 4 bytes LE below 2^32; 0xFF + 8
// bytes LE above), and the message bytes.
Hash256 signed_message_digest(std::string_view message);

// Signs the signed-message digest of message with the private key (64 hex digits). Returns the
// Base64 text of the 65-byte compact signature: header 31 + recovery id (31 to 34, the mark of a
// compressed key), r, s, with s in the lower half of the order. The recovery id is the first of
// 0..3 whose recovered key equals the signer's. nullopt on a bad key or a failure.
std::optional<std::string> sign_message_compact(std::string_view message, std::string_view priv_hex);

// Signs the signed-message digest of message with the private key (64 hex digits) and returns
// the Base64 text of the 64-byte plain signature r || s (low s). Should that fail, the whole
// sequence is tried once more over the single SHA-256 of the message bytes. nullopt when both
// fail (a bad key).
std::optional<std::string> sign_message_plain(std::string_view message, std::string_view priv_hex);

// Recovers the public key of the signature (r, s), 32 bytes each, over digest for recovery id
// 0..3 (bit 0: parity of R's Y; bit 1: R's X is r plus the order). Returns the 33-byte compressed
// key, or nullopt when r or s is not 32 bytes, zero or not below the order, the recovery id is
// out of range, or no key exists for these values.
std::optional<Bytes> recover_pubkey(const Hash256& digest, ByteView r, ByteView s, int recovery_id);

// Verifies a signature text (Base64 of 64 bytes r||s, or of 65 bytes whose first byte is
// ignored) for message against a public key given in hex (33 or 65 bytes; blanks around it and
// one "0x" prefix are tolerated). The signature is accepted over the signed-message digest,
// over SHA-256 of the message, or over SHA-256d of the message, tried in that order. A high s is
// accepted. False for anything malformed.
[[nodiscard]] bool verify_message(std::string_view message, std::string_view pub_hex, std::string_view signature_base64);

} // namespace core
