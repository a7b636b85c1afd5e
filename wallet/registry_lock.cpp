#include "wallet/registry_lock.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "core/log.h"
#include "platform/file_lock.h"
#include "wallet/data_paths.h"

namespace wallet {

namespace {

struct RegistryLockState {
    std::recursive_mutex mutex;
    int depth = 0;                              // guarded by mutex
    std::unique_ptr<platform::FileLock> file;   // guarded by mutex
};

RegistryLockState& lock_state()
{
    static RegistryLockState state;
    return state;
}

std::atomic<int64_t> g_wait_ms{REGISTRY_LOCK_WAIT.count()};

} // namespace

void registry_lock()
{
    RegistryLockState& s = lock_state();
    s.mutex.lock();
    if (++s.depth != 1) return;
    platform::LockFailure failure = platform::LockFailure::None;
    s.file = platform::FileLock::acquire(registry_lock_path(), std::chrono::milliseconds(g_wait_ms.load()), &failure);
    if (failure == platform::LockFailure::TimedOut) {
        core::log_warning("Another program kept the wallet registry lock (wallets.lock) for too long; going on without "
                          "it. Close the other program if this repeats.");
    }
}

void registry_unlock()
{
    RegistryLockState& s = lock_state();
    if (s.depth > 0 && --s.depth == 0) s.file.reset();
    s.mutex.unlock();
}

void set_registry_lock_wait(std::chrono::milliseconds wait)
{
    g_wait_ms = wait.count() > 0 ? wait.count() : REGISTRY_LOCK_WAIT.count();
}

} // namespace wallet
