// secp256k1 keys and ECDSA, through libsecp256k1. Private keys travel as 64 lower-case hex
// characters, public keys as 66 hex characters of the compressed point. Every function is
// stateless, wipes private key bytes on every path and is safe from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace core {

// Returns the compressed public key hex of a 32-byte private key given in hex, or nullopt
// when the hex is not exactly 32 bytes or not a valid scalar.
std::optional<std::string> pubkey_from_privkey(std::string_view priv_hex);

// Returns the P2PKH address of a 33-byte compressed public key given in hex; empty for
// anything else (an uncompressed key included).
std::string address_from_pubkey(std::string_view pub_hex);

// For keys received from other parties: 33 bytes starting 02/03 are returned as hex
// unchanged (no curve check); 65 bytes starting 04 that decode as a point are returned
// compressed; anything else gives "".
std::string normalize_pubkey(ByteView pubkey);

// Signs a 32-byte digest with the private key (hex, exactly 32 bytes). The signature is
// low-S and DER encoded. Returns nullopt on a bad key or a signing failure.
std::optional<Bytes> ecdsa_sign_der(std::string_view priv_hex, const Hash256& digest);

// Verifies a 64-byte r||s signature, or a 65-byte compact one (its first byte ignored),
// against a 33- or 65-byte public key. A high s is accepted (normalised first).
bool verify_digest(const Hash256& digest, ByteView signature, ByteView pubkey);

// Verifies a DER signature against a 33- or 65-byte public key. With require_low_s a
// signature whose s is in the upper half of the order is refused (as nodes refuse it);
// otherwise it is normalised first. A signature that is not strict DER is refused.
bool verify_der(const Hash256& digest, ByteView der, ByteView pubkey, bool require_low_s);

// True when the DER signature parses and its s is in the lower half of the order.
bool der_is_low_s(ByteView der);

} // namespace core
