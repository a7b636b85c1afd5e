// The loaded wallet: a TvWalletState held by each wallet session (wallet/wallet_session.h) and
// guarded by that session's wallet lock (wallet/wallet_lock.h). Filled by wallet_load, emptied by
// wallet_forget (wallet/wallet_file.h).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/secure.h"
#include "wallet/owned_ord.h"

namespace wallet {

inline constexpr size_t RECV_COUNTERS = 6;

struct TvWalletState {
    std::string wallet_id;  // the wallet id the state was loaded for
    core::SecretString mnemonic;
    bool hd = false;
    bool backup = false;
    std::array<uint32_t, RECV_COUNTERS> recv{};  // highest address index in use, per account
    uint32_t shown = 0;                          // receive index shown, never above recv[1]

    core::SecretString recv_priv;  // receive key
    std::string recv_pub;
    std::string recv_address;
    std::string identity_pub;
    std::string identity_address;

    std::string paymail;
    std::string ord_avatar;
    std::vector<TvOwnedOrd> owned;
    std::vector<TvContact> contacts;

    // Seed and master caches, filled on first use (wallet/wallet_keys.h).
    core::SecretBytes seed;
    bool seed_ready = false;
    core::SecretBytes master;
    bool master_ready = false;
};

// Hooks for the wallet-dependent caches kept by the layers above (coin caches, spent and change
// snapshots), registered with a wallet session: `loaded` runs after every successful load of that
// session's wallet from the file, `forgotten` whenever its state is wiped. Both run with the
// session's wallet lock held. A listener stays until removed with the id add_listener gave it;
// removing it from one of the hooks themselves is not allowed.
struct WalletListener {
    std::function<void()> loaded;
    std::function<void()> forgotten;
};
using WalletListenerId = uint64_t;

} // namespace wallet
