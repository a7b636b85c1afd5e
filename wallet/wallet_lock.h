// The wallet lock: one process-wide re-entrant mutex that guards the loaded wallet state, key
// derivation and signing, and every operation of the layers above that reads, signs or spends
// the wallet's coins. Network fetches are made with it released; afterwards the operation
// checks that the same wallet is still bound (wallet_key(), wallet/wallet_key.h).
#pragma once

#include <mutex>

namespace wallet {

std::recursive_mutex& wallet_mutex();

// Holds the wallet lock for the life of the object.
class WalletLock {
public:
    WalletLock() : m_guard(wallet_mutex()) {}
    WalletLock(const WalletLock&) = delete;
    WalletLock& operator=(const WalletLock&) = delete;

private:
    std::lock_guard<std::recursive_mutex> m_guard;
};

} // namespace wallet
