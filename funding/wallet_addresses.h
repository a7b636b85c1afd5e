// The addresses whose coins pay for the program's transactions: the receive addresses of HD
// account 1 (m/44'/236'/1'/0/i, i = 0 .. "recv"[1]) in index order, then the identity address.
// Wallet lock held.
#pragma once

#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/secure.h"
#include "wallet/wallet_session.h"

namespace funding {

struct WalletAddress {
    std::string address;
    core::Hash160 hash{};
    core::SecretString priv_hex;  // empty unless keys were asked for
    std::string pub_hex;
};

// Empty when no HD wallet is loaded. Without with_keys, only addresses and hashes are filled.
std::vector<WalletAddress> payment_addresses(wallet::WalletSession& wallet, bool with_keys);

} // namespace funding
