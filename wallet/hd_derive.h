// BIP-32 private derivation along the wallet's fixed five-level paths (purpose 44', coin
// type 236'). Stateless: the wallet state keeps the caches (wallet/wallet_keys.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/bytes.h"
#include "core/secure.h"

namespace wallet {

inline constexpr uint32_t HARDENED = 0x80000000u;

// Always exactly five indices; an index at or above HARDENED is hardened.
using DerivationPath = std::array<uint32_t, 5>;

// A derived key: private key hex (64 characters), compressed public key hex, P2PKH address.
struct DerivedKey {
    core::SecretString priv_hex;
    std::string pub_hex;
    std::string address;
};

// m/44'/236'/a'/0/i: address i of account a.
DerivationPath account_path(uint32_t account, uint32_t index);
// m/44'/236'/5'/1/i: ordinals change address i.
DerivationPath ordinals_change_path(uint32_t index);
// m/44'/236'/100'/0/0: the identity key.
DerivationPath identity_path();
// m/44'/236'/102'/0/0: the BN key.
DerivationPath bn_path();

inline constexpr uint32_t RECEIVE_ACCOUNT = 1;
inline constexpr uint32_t ORDINALS_ACCOUNT = 5;
inline constexpr uint32_t ACCOUNT_COUNT = 6;

// The master key of a 64-byte seed: HMAC-SHA512 keyed "Bitcoin seed"; 64 bytes, private key
// then chain code. Empty holder when the seed is not 64 bytes or the HMAC fails.
core::SecretBytes master_key_from_seed(core::ByteView seed);

// Applies the five child derivations to a 64-byte master key and returns the final key with
// its public key and address. nullopt when the master is malformed or a child key is out of
// range or zero. Every intermediate key and chain code is wiped. Safe from any thread.
std::optional<DerivedKey> derive_from_master(const core::SecretBytes& master, const DerivationPath& path);

// The extended key (private key then chain code, 64 bytes) after the first four levels of a
// path: the parent of every address of one account and chain. Empty holder on failure.
core::SecretBytes derive_chain_parent(const core::SecretBytes& master, const DerivationPath& path);
// The key at one more level below a 64-byte extended key. nullopt on failure.
std::optional<DerivedKey> derive_last_level(const core::SecretBytes& parent, uint32_t index);

} // namespace wallet
