// The registry lock: an in-process re-entrant mutex plus an exclusive byte-range lock on
// "wallets.lock" in the data directory, shared with Pursa and every other app. Every access to
// the registry, a bind file, a connect file or a wallet file runs under it.
#pragma once

#include <chrono>

namespace wallet {

// How long the outermost registry_lock waits for the cross-process lock.
inline constexpr std::chrono::milliseconds REGISTRY_LOCK_WAIT{15'000};

// Takes the mutex; the outermost call also takes the cross-process lock, waiting for it at most
// the registry lock wait. When the lock file cannot be opened, or another program keeps the
// lock for the whole wait (a warning says so), the caller proceeds under the mutex alone: every
// file it guards is replaced atomically, so readers never see half a file.
void registry_lock();
// Undoes one registry_lock; the outermost one releases the cross-process lock.
void registry_unlock();

// Sets the registry lock wait (tests); 0 or less restores REGISTRY_LOCK_WAIT. Safe from any thread.
void set_registry_lock_wait(std::chrono::milliseconds wait);

// Holds the registry lock for the life of the object.
class RegistryLock {
public:
    RegistryLock() { registry_lock(); }
    ~RegistryLock() { registry_unlock(); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
};

} // namespace wallet
