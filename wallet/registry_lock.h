// The registry lock: an in-process re-entrant mutex plus an exclusive byte-range lock on
// "wallets.lock" in the data directory, shared with Pursa and every other app. Every access to
// the registry, a bind file, a connect file or a wallet file runs under it.
#pragma once

namespace wallet {

// Takes the mutex; the outermost call also takes the cross-process lock (waiting for it).
// When the lock file cannot be opened or locked the caller proceeds under the mutex alone.
void registry_lock();
// Undoes one registry_lock; the outermost one releases the cross-process lock.
void registry_unlock();

// Holds the registry lock for the life of the object.
class RegistryLock {
public:
    RegistryLock() { registry_lock(); }
    ~RegistryLock() { registry_unlock(); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
};

} // namespace wallet
