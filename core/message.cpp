#include "core/message.h"

#include <algorithm>

#include <secp256k1_recovery.h>

#include "core/base64.h"
#include "core/curve.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"

namespace core {
namespace {

constexpr std::string_view MAGIC = "Bitcoin Signed Message:\n";
constexpr uint8_t COMPACT_HEADER_BASE = 31;  // 27 + 4: the key is compressed

void append_compact_size(Bytes& out, uint64_t n)
{
    auto put_le = [&out](uint64_t v, int bytes) {
        for (int k = 0; k < bytes; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
    };
    if (n < 253) {
        out.push_back(static_cast<uint8_t>(n));
    } else if (n <= 0xffff) {
        out.push_back(0xfd);
        put_le(n, 2);
    } else if (n <= 0xffffffff) {
        out.push_back(0xfe);
        put_le(n, 4);
    } else {
        out.push_back(0xff);
        put_le(n, 8);
    }
}

// Signs digest with the loaded key: the low-s signature as 64 bytes r || s.
std::optional<std::array<uint8_t, 64>> sign_rs(const SecretScalar& key, const Hash256& digest)
{
    secp256k1_ecdsa_signature sig;
    if (!secp256k1_ecdsa_sign(secp_context(), &sig, digest.data(), key.bytes.data(), secp256k1_nonce_function_rfc6979,
                              nullptr)) {
        return std::nullopt;
    }
    (void)secp256k1_ecdsa_signature_normalize(secp_context(), &sig, &sig);
    std::array<uint8_t, 64> rs{};
    (void)secp256k1_ecdsa_signature_serialize_compact(secp_context(), rs.data(), &sig);
    return rs;
}

// One attempt of the plain signature: DER signature of digest, read back into r || s.
std::optional<std::string> plain_signature_over(const SecretScalar& key, const Hash256& digest)
{
    auto der = ecdsa_sign_der_secret(key.bytes, digest);
    if (!der) return std::nullopt;
    secp256k1_ecdsa_signature sig;
    if (!secp256k1_ecdsa_signature_parse_der(secp_context(), &sig, der->data(), der->size())) return std::nullopt;
    std::array<uint8_t, 64> rs{};
    (void)secp256k1_ecdsa_signature_serialize_compact(secp_context(), rs.data(), &sig);
    return base64_encode(rs);
}

} // namespace

Hash256 signed_message_digest(std::string_view message)
{
    Bytes data;
    data.reserve(1 + MAGIC.size() + 9 + message.size());
    data.push_back(static_cast<uint8_t>(MAGIC.size()));
    data.insert(data.end(), MAGIC.begin(), MAGIC.end());
    append_compact_size(data, message.size());
    data.insert(data.end(), message.begin(), message.end());
    return sha256d(data);
}

std::optional<std::string> sign_message_compact(std::string_view message, std::string_view priv_hex)
{
    Hash256 digest = signed_message_digest(message);
    SecretScalar key;
    if (!load_private_key(priv_hex, key)) return std::nullopt;
    secp256k1_pubkey signer;
    if (!secp256k1_ec_pubkey_create(secp_context(), &signer, key.bytes.data())) return std::nullopt;
    auto rs = sign_rs(key, digest);
    key.wipe();
    if (!rs) return std::nullopt;

    auto signer_bytes = serialize_compressed(signer);
    ByteView r(rs->data(), 32);
    ByteView s(rs->data() + 32, 32);
    for (int id = 0; id < 4; ++id) {
        auto recovered = recover_pubkey(digest, r, s, id);
        if (!recovered || !std::equal(recovered->begin(), recovered->end(), signer_bytes.begin())) continue;
        std::array<uint8_t, 65> compact{};
        compact[0] = static_cast<uint8_t>(COMPACT_HEADER_BASE + id);
        std::copy(rs->begin(), rs->end(), compact.begin() + 1);
        return base64_encode(compact);
    }
    return std::nullopt;
}

std::optional<std::string> sign_message_plain(std::string_view message, std::string_view priv_hex)
{
    SecretScalar key;
    if (!load_private_key(priv_hex, key)) return std::nullopt;
    if (auto text = plain_signature_over(key, signed_message_digest(message))) return text;
    return plain_signature_over(key, sha256(as_bytes(message)));
}

std::optional<Bytes> recover_pubkey(const Hash256& digest, ByteView r, ByteView s, int recovery_id)
{
    if (r.size() != 32 || s.size() != 32 || recovery_id < 0 || recovery_id > 3) return std::nullopt;
    std::array<uint8_t, 64> rs{};
    std::copy(r.begin(), r.end(), rs.begin());
    std::copy(s.begin(), s.end(), rs.begin() + 32);
    secp256k1_ecdsa_recoverable_signature sig;
    if (!secp256k1_ecdsa_recoverable_signature_parse_compact(secp_context(), &sig, rs.data(), recovery_id)) {
        return std::nullopt;
    }
    secp256k1_pubkey pub;
    if (!secp256k1_ecdsa_recover(secp_context(), &pub, &sig, digest.data())) return std::nullopt;
    auto ser = serialize_compressed(pub);
    return Bytes(ser.begin(), ser.end());
}

bool verify_message(std::string_view message, std::string_view pub_hex, std::string_view signature_base64)
{
    auto pub = hex_decode_loose(pub_hex);
    if (!pub) return false;
    auto sig = base64_decode(signature_base64);
    if (!sig || (sig->size() != 64 && sig->size() != 65)) return false;
    return verify_digest(signed_message_digest(message), *sig, *pub) ||
           verify_digest(sha256(as_bytes(message)), *sig, *pub) ||
           verify_digest(sha256d(as_bytes(message)), *sig, *pub);
}

} // namespace core
