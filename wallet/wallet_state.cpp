#include "wallet/wallet_state.h"

#include "wallet/wallet_lock.h"

namespace wallet {

namespace {

struct Listeners {
    std::vector<std::pair<WalletListenerId, WalletListener>> list;
    WalletListenerId next = 1;
};

Listeners& registered()
{
    static Listeners listeners;  // guarded by the wallet lock
    return listeners;
}

} // namespace

TvWalletState& wallet_state()
{
    static TvWalletState state;
    return state;
}

WalletListenerId add_wallet_listener(WalletListener listener)
{
    WalletLock lock;
    Listeners& all = registered();
    const WalletListenerId id = all.next++;
    all.list.emplace_back(id, std::move(listener));
    return id;
}

void remove_wallet_listener(WalletListenerId id)
{
    WalletLock lock;
    std::erase_if(registered().list, [&](const auto& entry) { return entry.first == id; });
}

void notify_wallet_loaded()
{
    WalletLock lock;
    for (auto& [id, l] : registered().list) {
        if (l.loaded) l.loaded();
    }
}

void notify_wallet_forgotten()
{
    WalletLock lock;
    for (auto& [id, l] : registered().list) {
        if (l.forgotten) l.forgotten();
    }
}

} // namespace wallet
