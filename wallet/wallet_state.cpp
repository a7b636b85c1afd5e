#include "wallet/wallet_state.h"

#include "wallet/wallet_lock.h"

namespace wallet {

namespace {

std::vector<WalletListener>& listeners()
{
    static std::vector<WalletListener> list;  // guarded by the wallet lock
    return list;
}

} // namespace

TvWalletState& wallet_state()
{
    static TvWalletState state;
    return state;
}

void add_wallet_listener(WalletListener listener)
{
    WalletLock lock;
    listeners().push_back(std::move(listener));
}

void notify_wallet_loaded()
{
    WalletLock lock;
    for (auto& l : listeners()) {
        if (l.loaded) l.loaded();
    }
}

void notify_wallet_forgotten()
{
    WalletLock lock;
    for (auto& l : listeners()) {
        if (l.forgotten) l.forgotten();
    }
}

} // namespace wallet
