// secp256k1 keys and ECDSA, through libsecp256k1. Private keys travel as 64 hex characters,
// public keys as 66 lower-case hex characters of the compressed point. Every function is
// stateless, wipes private key bytes on every path and is safe from any thread. Signatures use
// deterministic RFC 6979 nonces, so the same key and digest always give the same signature.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/secure.h"

namespace core {

// Returns the compressed public key hex (66 lower-case characters) of a 32-byte private key
// given in hex (either case), or nullopt when the hex is not exactly 32 bytes or the number is
// not a valid scalar (zero, or not below the curve order).
std::optional<std::string> pubkey_from_privkey(std::string_view priv_hex);

// Returns the 33-byte compressed public key of a 32-byte private key given as bytes, or nullopt
// when it is not 32 bytes or not a valid scalar.
std::optional<Bytes> pubkey_from_secret(ByteView secret);

// True when secret is 32 bytes forming a valid private key (1 to n-1).
[[nodiscard]] bool is_private_key(ByteView secret);

// Adds tweak (32 bytes, big-endian) to the 32-byte private key modulo the curve order, in place
// (the child key step of HD derivation). Returns false, leaving key unchanged, when key is not
// a valid scalar, the tweak is not 32 bytes or not below the order, or the sum is zero.
[[nodiscard]] bool privkey_tweak_add(SecretBytes& key, ByteView tweak);

// Returns a fresh private key (32 random bytes forming a valid scalar) in a wiping holder, or
// nullopt when the system's random source fails.
std::optional<SecretBytes> new_private_key();

// Elliptic-curve Diffie-Hellman: the raw 32-byte x coordinate of secret · point, unhashed (callers
// pass it through a key derivation function), in a wiping holder. Returns nullopt when secret is
// not 32 bytes forming a valid scalar, or point is not a 33-byte (02/03) or 65-byte (04) encoding
// of a point on the curve.
std::optional<SecretBytes> ecdh_x(ByteView secret, ByteView point);

// Returns the P2PKH address of a 33-byte public key given in hex; empty for anything else (an
// uncompressed key included). The point itself is not checked.
std::string address_from_pubkey(std::string_view pub_hex);

// For keys received from other parties: 33 bytes starting 02/03 are returned as hex
// unchanged (no curve check); 65 bytes starting 04 that decode as a point are returned
// compressed; anything else gives "".
std::string normalize_pubkey(ByteView pubkey);

// Signs a 32-byte digest with the private key (hex, exactly 32 bytes). The signature is
// low-S and DER encoded (at most 72 bytes, no sighash byte). Returns nullopt on a bad key or a
// signing failure.
std::optional<Bytes> ecdsa_sign_der(std::string_view priv_hex, const Hash256& digest);

// Same, with the private key given as 32 raw bytes.
std::optional<Bytes> ecdsa_sign_der_secret(ByteView secret, const Hash256& digest);

// Verifies a 64-byte r||s signature, or a 65-byte compact one (its first byte ignored),
// against a 33-byte (02/03) or 65-byte (04) public key that lies on the curve. A high s is
// accepted (normalised first); r or s of zero or not below the order is refused.
[[nodiscard]] bool verify_digest(const Hash256& digest, ByteView signature, ByteView pubkey);

// Verifies a DER signature (without a sighash byte) against a 33- or 65-byte public key. With
// require_low_s a signature whose s is in the upper half of the order is refused (as nodes
// refuse it); otherwise it is normalised first. A signature that is not strict DER (BIP-66
// rules: minimal lengths, no needless padding, no negative numbers, nothing after it) is
// refused.
[[nodiscard]] bool verify_der(const Hash256& digest, ByteView der, ByteView pubkey, bool require_low_s);

// True when the DER signature is strict DER and its s is in the lower half of the order.
[[nodiscard]] bool der_is_low_s(ByteView der);

// True when the signature (without a sighash byte) is strict DER with r and s below the order.
[[nodiscard]] bool der_is_strict(ByteView der);

} // namespace core
