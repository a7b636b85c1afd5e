// The wallet lock: one re-entrant mutex per wallet session (wallet/wallet_session.h) that guards
// the session's bound wallet, key derivation and signing, and every operation of the layers above
// that reads, signs or spends that wallet's coins. Network fetches are made with it released
// (WalletUnlock); afterwards the operation checks that the same wallet is still bound
// (wallet_key(session), wallet/wallet_key.h).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace wallet {

// A re-entrant mutex that knows its owning thread and how many levels that thread holds, so
// that a holder can let go of every level at once and take the same number back later.
// Meets the standard Lockable requirements. Safe from any thread.
class DepthMutex {
public:
    void lock();
    [[nodiscard]] bool try_lock();
    // Drops one level; the calling thread must hold the mutex.
    void unlock();

    // Levels the calling thread holds (0 when it holds none).
    [[nodiscard]] size_t held_levels() const;
    // Drops every level the calling thread holds and returns how many that was (0: none held,
    // nothing changes).
    size_t release_all();
    // Waits until the mutex is free and takes it with the given number of levels (0: nothing).
    void reacquire(size_t levels);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_free;
    std::thread::id m_owner;
    size_t m_levels = 0;
};

class WalletSession;

// Holds the session's wallet lock for the life of the object.
class WalletLock {
public:
    explicit WalletLock(const WalletSession& session);
    ~WalletLock();
    WalletLock(const WalletLock&) = delete;
    WalletLock& operator=(const WalletLock&) = delete;

private:
    DepthMutex& m_mutex;
};

// Lets go of every level of the session's wallet lock the calling thread holds for the life of the
// object, and takes the same number of levels back when it ends. Does nothing for a thread that
// holds no level. Whatever was read under the lock before may have changed once it is back:
// check that the same wallet is still bound before using it.
class WalletUnlock {
public:
    explicit WalletUnlock(const WalletSession& session);
    ~WalletUnlock();
    WalletUnlock(const WalletUnlock&) = delete;
    WalletUnlock& operator=(const WalletUnlock&) = delete;

private:
    DepthMutex& m_mutex;
    size_t m_levels;
};

// Levels of the session's wallet lock the calling thread holds.
[[nodiscard]] size_t wallet_lock_levels(const WalletSession& session);

} // namespace wallet
