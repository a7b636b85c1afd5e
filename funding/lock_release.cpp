#include "funding/lock_release.h"

#include "wallet/wallet_lock.h"

namespace funding {

void run_without_wallet_lock(const std::function<void()>& fetch)
{
    wallet::WalletUnlock unlocked;
    fetch();
}

} // namespace funding
