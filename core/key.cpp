#include "core/key.h"

#include <algorithm>
#include <cstring>

#include <secp256k1_ecdh.h>

#include "core/base58.h"
#include "core/curve.h"
#include "core/hash.h"
#include "core/hex.h"

namespace core {
namespace {

constexpr size_t DER_MAX_SIZE = 72;

// The distinguished encoding rules for an ECDSA signature as nodes enforce them (no sighash
// byte): 0x30 len 0x02 lenR R 0x02 lenS S, both integers positive, minimally encoded.
bool der_shape_ok(ByteView sig)
{
    if (sig.size() < 8 || sig.size() > DER_MAX_SIZE) return false;
    if (sig[0] != 0x30 || sig[1] != sig.size() - 2) return false;
    size_t len_r = sig[3];
    if (5 + len_r >= sig.size()) return false;
    size_t len_s = sig[5 + len_r];
    if (len_r + len_s + 6 != sig.size()) return false;

    if (sig[2] != 0x02 || len_r == 0) return false;
    if (sig[4] & 0x80) return false;                                     // negative
    if (len_r > 1 && sig[4] == 0x00 && !(sig[5] & 0x80)) return false;  // needless padding

    if (sig[len_r + 4] != 0x02 || len_s == 0) return false;
    if (sig[len_r + 6] & 0x80) return false;
    if (len_s > 1 && sig[len_r + 6] == 0x00 && !(sig[len_r + 7] & 0x80)) return false;
    return true;
}

std::optional<secp256k1_ecdsa_signature> parse_strict_der(ByteView der)
{
    if (!der_shape_ok(der)) return std::nullopt;
    secp256k1_ecdsa_signature sig;
    if (!secp256k1_ecdsa_signature_parse_der(secp_context(), &sig, der.data(), der.size())) return std::nullopt;
    // The parser reads a number at or above the order as zero; such a signature is not valid.
    std::array<uint8_t, 64> rs{};
    (void)secp256k1_ecdsa_signature_serialize_compact(secp_context(), rs.data(), &sig);
    auto is_zero = [](auto first, auto last) { return std::all_of(first, last, [](uint8_t b) { return b == 0; }); };
    if (is_zero(rs.begin(), rs.begin() + 32) || is_zero(rs.begin() + 32, rs.end())) return std::nullopt;
    return sig;
}

} // namespace

std::optional<std::string> pubkey_from_privkey(std::string_view priv_hex)
{
    SecretScalar key;
    if (!load_private_key(priv_hex, key)) return std::nullopt;
    auto pub = pubkey_from_secret(key.bytes);
    if (!pub) return std::nullopt;
    return hex_encode(*pub);
}

std::optional<Bytes> pubkey_from_secret(ByteView secret)
{
    SecretScalar key;
    if (!load_private_key(secret, key)) return std::nullopt;
    secp256k1_pubkey pub;
    if (!secp256k1_ec_pubkey_create(secp_context(), &pub, key.bytes.data())) return std::nullopt;
    auto ser = serialize_compressed(pub);
    return Bytes(ser.begin(), ser.end());
}

bool is_private_key(ByteView secret)
{
    SecretScalar key;
    return load_private_key(secret, key);
}

bool privkey_tweak_add(SecretBytes& key, ByteView tweak)
{
    if (tweak.size() != 32) return false;
    SecretScalar work;
    if (!load_private_key(key.view(), work)) return false;
    if (!secp256k1_ec_seckey_tweak_add(secp_context(), work.bytes.data(), tweak.data())) return false;
    std::copy(work.bytes.begin(), work.bytes.end(), key.data());
    return true;
}

std::optional<SecretBytes> new_private_key()
{
    SecretScalar key;
    do {
        if (!random_bytes(key.bytes.data(), key.bytes.size())) return std::nullopt;
    } while (!secp256k1_ec_seckey_verify(secp_context(), key.bytes.data()));
    return SecretBytes(Bytes(key.bytes.begin(), key.bytes.end()));
}

namespace {

// The x coordinate of the shared point, unhashed.
int copy_x(unsigned char* output, const unsigned char* x32, const unsigned char*, void*)
{
    std::memcpy(output, x32, 32);
    return 1;
}

} // namespace

std::optional<SecretBytes> ecdh_x(ByteView secret, ByteView point)
{
    SecretScalar key;
    auto parsed = parse_pubkey(point);
    if (!parsed || !load_private_key(secret, key)) return std::nullopt;
    SecretBytes shared{Bytes(32)};
    if (!secp256k1_ecdh(secp_context(), shared.data(), &*parsed, key.bytes.data(), copy_x, nullptr))
        return std::nullopt;
    return shared;
}

std::string address_from_pubkey(std::string_view pub_hex)
{
    std::array<uint8_t, 33> pub{};
    if (!hex_decode_to(pub_hex, pub)) return {};
    return address_from_hash160(hash160(pub));
}

std::string normalize_pubkey(ByteView pubkey)
{
    if (pubkey.size() == 33 && (pubkey[0] == 0x02 || pubkey[0] == 0x03)) return hex_encode(pubkey);
    if (pubkey.size() == 65 && pubkey[0] == 0x04) {
        auto parsed = parse_pubkey(pubkey);
        if (!parsed) return {};
        return hex_encode(serialize_compressed(*parsed));
    }
    return {};
}

std::optional<Bytes> ecdsa_sign_der(std::string_view priv_hex, const Hash256& digest)
{
    SecretScalar key;
    if (!load_private_key(priv_hex, key)) return std::nullopt;
    return ecdsa_sign_der_secret(key.bytes, digest);
}

std::optional<Bytes> ecdsa_sign_der_secret(ByteView secret, const Hash256& digest)
{
    SecretScalar key;
    if (!load_private_key(secret, key)) return std::nullopt;
    secp256k1_ecdsa_signature sig;
    // RFC 6979 nonces; the library always returns the lower-half s.
    if (!secp256k1_ecdsa_sign(secp_context(), &sig, digest.data(), key.bytes.data(), secp256k1_nonce_function_rfc6979,
                              nullptr)) {
        return std::nullopt;
    }
    (void)secp256k1_ecdsa_signature_normalize(secp_context(), &sig, &sig);
    Bytes der(DER_MAX_SIZE);
    size_t len = der.size();
    if (!secp256k1_ecdsa_signature_serialize_der(secp_context(), der.data(), &len, &sig) || len == 0) {
        return std::nullopt;
    }
    der.resize(len);
    return der;
}

bool verify_digest(const Hash256& digest, ByteView signature, ByteView pubkey)
{
    auto pub = parse_pubkey(pubkey);
    if (!pub) return false;
    ByteView rs;
    if (signature.size() == 64) {
        rs = signature;
    } else if (signature.size() == 65) {
        rs = signature.subspan(1);
    } else {
        return false;
    }
    secp256k1_ecdsa_signature sig;
    // Refuses r or s at or above the order; verification would refuse them anyway.
    if (!secp256k1_ecdsa_signature_parse_compact(secp_context(), &sig, rs.data())) return false;
    (void)secp256k1_ecdsa_signature_normalize(secp_context(), &sig, &sig);
    return secp256k1_ecdsa_verify(secp_context(), &sig, digest.data(), &*pub) == 1;
}

bool verify_der(const Hash256& digest, ByteView der, ByteView pubkey, bool require_low_s)
{
    auto sig = parse_strict_der(der);
    if (!sig) return false;
    auto pub = parse_pubkey(pubkey);
    if (!pub) return false;
    bool was_high = secp256k1_ecdsa_signature_normalize(secp_context(), &*sig, &*sig) == 1;
    if (was_high && require_low_s) return false;
    return secp256k1_ecdsa_verify(secp_context(), &*sig, digest.data(), &*pub) == 1;
}

bool der_is_low_s(ByteView der)
{
    auto sig = parse_strict_der(der);
    if (!sig) return false;
    return secp256k1_ecdsa_signature_normalize(secp_context(), nullptr, &*sig) == 0;
}

bool der_is_strict(ByteView der)
{
    return parse_strict_der(der).has_value();
}

} // namespace core
