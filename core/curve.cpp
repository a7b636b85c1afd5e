#include "core/curve.h"

#include <algorithm>
#include <cstdlib>

#include "core/hash.h"
#include "core/hex.h"
#include "core/secure.h"

namespace core {
namespace {

secp256k1_context* create_context()
{
    secp256k1_context* ctx = secp256k1_context_create(SECP256K1_CONTEXT_NONE);
    if (!ctx) std::abort();  // out of memory at start-up: no curve work is possible
    SecretScalar seed;
    // Blinding only hardens against side channels; an unrandomised context still computes
    // correct results, so a failed random source leaves the context as it is.
    if (random_bytes(seed.bytes.data(), seed.bytes.size())) {
        int randomized = secp256k1_context_randomize(ctx, seed.bytes.data());
        (void)randomized;  // always 1 for a context made by secp256k1_context_create
    }
    return ctx;
}

} // namespace

const secp256k1_context* secp_context()
{
    static const secp256k1_context* ctx = create_context();
    return ctx;
}

SecretScalar::~SecretScalar()
{
    wipe();
}

void SecretScalar::wipe()
{
    secure_wipe(bytes.data(), bytes.size());
}

bool load_private_key(std::string_view priv_hex, SecretScalar& out)
{
    if (!hex_decode_to(priv_hex, out.bytes) || !secp256k1_ec_seckey_verify(secp_context(), out.bytes.data())) {
        out.wipe();
        return false;
    }
    return true;
}

bool load_private_key(ByteView priv, SecretScalar& out)
{
    if (priv.size() != out.bytes.size()) {
        out.wipe();
        return false;
    }
    std::copy(priv.begin(), priv.end(), out.bytes.begin());
    if (!secp256k1_ec_seckey_verify(secp_context(), out.bytes.data())) {
        out.wipe();
        return false;
    }
    return true;
}

std::optional<secp256k1_pubkey> parse_pubkey(ByteView pubkey)
{
    if (pubkey.size() == 33) {
        if (pubkey[0] != 0x02 && pubkey[0] != 0x03) return std::nullopt;
    } else if (pubkey.size() == 65) {
        if (pubkey[0] != 0x04) return std::nullopt;
    } else {
        return std::nullopt;
    }
    secp256k1_pubkey parsed;
    if (!secp256k1_ec_pubkey_parse(secp_context(), &parsed, pubkey.data(), pubkey.size())) return std::nullopt;
    return parsed;
}

std::array<uint8_t, 33> serialize_compressed(const secp256k1_pubkey& pubkey)
{
    std::array<uint8_t, 33> out{};
    size_t len = out.size();
    (void)secp256k1_ec_pubkey_serialize(secp_context(), out.data(), &len, &pubkey, SECP256K1_EC_COMPRESSED);
    return out;
}

} // namespace core
