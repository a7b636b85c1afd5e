// Keys of the loaded wallet, derived on demand from its mnemonic along the wallet's paths
// (wallet/hd_derive.h). The seed and master key are computed once per load and cached in the
// wallet state. Every function takes the wallet lock itself.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "wallet/hd_derive.h"

namespace wallet {

class WalletSession;

// Derives a path from the loaded wallet's mnemonic. nullopt without a mnemonic or on failure.
std::optional<DerivedKey> derive_path(WalletSession& session, const DerivationPath& path);

// Calls visit(index, key) for the addresses m/44'/236'/a'/c/i, i from first up to and including
// last, in order, deriving the chain's parent once; stops early when visit returns true.
// False when nothing could be derived (no mnemonic, account above 5).
bool for_each_chain_key(WalletSession& session, uint32_t account, uint32_t chain, uint32_t first, uint32_t last,
                        const std::function<bool(uint32_t, DerivedKey&)>& visit);

// Fills the receive and identity keys of the state after a load (HD form); for the single-key
// form only reports whether an address is held.
[[nodiscard]] bool derive_wallet_keys(WalletSession& session);

// m/44'/236'/a'/0/i; nullopt for an account above 5 or without a mnemonic (nothing derived).
std::optional<DerivedKey> account_key(WalletSession& session, uint32_t account, uint32_t index);
// m/44'/236'/5'/1/i.
std::optional<DerivedKey> ordinals_change_key(WalletSession& session, uint32_t index);
// m/44'/236'/5'/0/recv[5]: the address that receives inscriptions and bought lots.
std::optional<DerivedKey> ordinals_key(WalletSession& session);

struct OrdinalsAddress {
    std::optional<core::Hash160> hash;
    std::string error;  // "need an HD Pursa wallet." and the like when hash is empty
};
OrdinalsAddress ordinals_address(WalletSession& session);

// The private and public key of one of the wallet's addresses: the held key (single-key form);
// accounts 0..5 up to their "recv" counter, then the identity key (HD form). nullopt when the
// address does not decode or is not the wallet's.
std::optional<DerivedKey> key_for_address(WalletSession& session, std::string_view address);

// Which of the wallet's payment addresses has this hash160: the receive address, account 1
// up to "recv"[1] (HD only), then the identity address. nullopt when none.
std::optional<std::string> wallet_address_for_hash160(WalletSession& session, const core::Hash160& hash);

} // namespace wallet
