#include "wallet/hd_derive.h"

#include <cstring>

#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"

namespace wallet {

namespace {

constexpr uint32_t PURPOSE = 44u | HARDENED;
constexpr uint32_t COIN_TYPE = 236u | HARDENED;
constexpr std::string_view MASTER_HMAC_KEY = "Bitcoin seed";

// One private child step: key||chain (64 bytes) of the parent in, of the child out.
bool derive_child(core::SecretBytes& extended, uint32_t index)
{
    std::array<uint8_t, 37> data{};
    if (index >= HARDENED) {
        data[0] = 0x00;
        std::memcpy(data.data() + 1, extended.data(), 32);
    } else {
        core::SecretString priv_hex(core::hex_encode(core::ByteView(extended.data(), 32)));
        auto pub_hex = core::pubkey_from_privkey(priv_hex.view());
        if (!pub_hex) return false;
        auto pub = core::hex_decode(*pub_hex);
        if (!pub || pub->size() != 33) return false;
        std::memcpy(data.data(), pub->data(), 33);
    }
    data[33] = static_cast<uint8_t>(index >> 24);
    data[34] = static_cast<uint8_t>(index >> 16);
    data[35] = static_cast<uint8_t>(index >> 8);
    data[36] = static_cast<uint8_t>(index);

    core::SecretBytes mac = core::hmac_sha512(core::ByteView(extended.data() + 32, 32), data);
    core::secure_wipe(data.data(), data.size());
    if (mac.size() != 64) return false;

    // child = (IL + k) mod n; the addition refuses IL >= n and a zero result.
    core::SecretBytes child{core::Bytes(extended.data(), extended.data() + 32)};
    if (!core::privkey_tweak_add(child, core::ByteView(mac.data(), 32))) return false;
    child.resize(64);
    std::memcpy(child.data() + 32, mac.data() + 32, 32);
    extended = std::move(child);
    return true;
}

} // namespace

DerivationPath account_path(uint32_t account, uint32_t index)
{
    return {PURPOSE, COIN_TYPE, account | HARDENED, 0, index};
}

DerivationPath ordinals_change_path(uint32_t index)
{
    return {PURPOSE, COIN_TYPE, ORDINALS_ACCOUNT | HARDENED, 1, index};
}

DerivationPath identity_path()
{
    return {PURPOSE, COIN_TYPE, 100u | HARDENED, 0, 0};
}

DerivationPath bn_path()
{
    return {PURPOSE, COIN_TYPE, 102u | HARDENED, 0, 0};
}

core::SecretBytes master_key_from_seed(core::ByteView seed)
{
    if (seed.size() != 64) return {};
    core::SecretBytes mac = core::hmac_sha512(core::as_bytes(MASTER_HMAC_KEY), seed);
    if (mac.size() != 64) return {};
    // A master key of zero or not below the order cannot be used (BIP-32 rejects the seed).
    if (!core::is_private_key(core::ByteView(mac.data(), 32))) return {};
    return mac;
}

core::SecretBytes derive_chain_parent(const core::SecretBytes& master, const DerivationPath& path)
{
    if (master.size() != 64) return {};
    core::SecretBytes extended{core::Bytes(master.view().begin(), master.view().end())};
    for (size_t level = 0; level + 1 < path.size(); ++level) {
        if (!derive_child(extended, path[level])) return {};
    }
    return extended;
}

std::optional<DerivedKey> derive_last_level(const core::SecretBytes& parent, uint32_t index)
{
    if (parent.size() != 64) return std::nullopt;
    core::SecretBytes extended{core::Bytes(parent.view().begin(), parent.view().end())};
    if (!derive_child(extended, index)) return std::nullopt;
    DerivedKey out;
    out.priv_hex.assign(core::hex_encode(core::ByteView(extended.data(), 32)));
    auto pub_hex = core::pubkey_from_privkey(out.priv_hex.view());
    if (!pub_hex) return std::nullopt;
    out.pub_hex = *pub_hex;
    out.address = core::address_from_pubkey(out.pub_hex);
    if (out.address.empty()) return std::nullopt;
    return out;
}

std::optional<DerivedKey> derive_from_master(const core::SecretBytes& master, const DerivationPath& path)
{
    core::SecretBytes parent = derive_chain_parent(master, path);
    if (parent.empty()) return std::nullopt;
    return derive_last_level(parent, path.back());
}

} // namespace wallet
