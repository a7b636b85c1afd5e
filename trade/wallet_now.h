// The bound wallet as the trade routines see it at one moment: whether one is bound, its
// identity, and which hashes are its own. Each function takes the wallet lock itself.
#pragma once

#include <string>

#include "core/bytes.h"
#include "wallet/wallet_session.h"

namespace trade {

// True when a wallet is bound and loads as an HD wallet.
[[nodiscard]] bool hd_wallet_bound(wallet::WalletSession& wallet);

// The wallet key (wallet/wallet_key.h): compared before and after network work to notice that
// another wallet was bound meanwhile.
std::string bound_wallet_key(wallet::WalletSession& wallet);

// The wallet's paymail handle without "@" and the domain ("alice"), or "" when it has none.
// Posts carry it as "handle", equal to the "actor" the signature names.
std::string wallet_handle(wallet::WalletSession& wallet);

// The identity public key (66 lower-case hex characters), or "" without an HD wallet.
std::string wallet_identity_key(wallet::WalletSession& wallet);

// Whether the P2PKH hash is one of this wallet's addresses (any account up to its counter, or
// the identity address).
[[nodiscard]] bool wallet_owns_hash(wallet::WalletSession& wallet, const core::Hash160& hash);

} // namespace trade
