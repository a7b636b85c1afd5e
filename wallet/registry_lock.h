// The registry lock: an in-process re-entrant mutex plus an exclusive byte-range lock on
// "wallets.lock" in the data directory, shared with Pursa and every other app. Every access to
// the registry, a bind file, a connect file or a wallet file runs under it.
#pragma once

#include <chrono>

#include "platform/file_lock.h"

namespace wallet {

// How long the outermost registry lock waits for the cross-process lock.
inline constexpr std::chrono::milliseconds REGISTRY_LOCK_WAIT{15'000};

// Holds the registry lock for the life of the object: the in-process mutex of
// "wallets.lock" (platform::ProcessFileLock, re-entrant) and, for the outermost holder, the
// cross-process lock, waited for at most `wait`. When the lock file cannot be opened, or
// another program keeps the lock for the whole wait (a warning says so), the holder proceeds
// under the mutex alone: every file it guards is replaced atomically, so readers never see
// half a file.
class RegistryLock {
public:
    explicit RegistryLock(std::chrono::milliseconds wait = REGISTRY_LOCK_WAIT);
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;

private:
    platform::LockFailure m_failure = platform::LockFailure::None;  // set by m_lock, declared before it
    platform::ProcessFileLock m_lock;
};

} // namespace wallet
