// The loaded wallet: one process-wide TvWalletState, guarded by the wallet lock
// (wallet/wallet_lock.h). Filled by wallet_load, emptied by wallet_forget (wallet/wallet_file.h).
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

// The process-wide state. Hold the wallet lock while touching it.
TvWalletState& wallet_state();

// Hooks for the wallet-dependent caches kept by the layers above (coin caches, spent and change
// snapshots): `loaded` runs after every successful load from the file, `forgotten` whenever the
// state is wiped. Both run with the wallet lock held. A listener stays until removed with the id
// add_wallet_listener gave it; removing it from one of the hooks themselves is not allowed.
struct WalletListener {
    std::function<void()> loaded;
    std::function<void()> forgotten;
};
using WalletListenerId = uint64_t;
WalletListenerId add_wallet_listener(WalletListener listener);
void remove_wallet_listener(WalletListenerId id);
void notify_wallet_loaded();
void notify_wallet_forgotten();

} // namespace wallet
