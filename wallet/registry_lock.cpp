#include "wallet/registry_lock.h"

#include <memory>
#include <mutex>

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

} // namespace

void registry_lock()
{
    RegistryLockState& s = lock_state();
    s.mutex.lock();
    if (++s.depth == 1) s.file = platform::FileLock::acquire(registry_lock_path());
}

void registry_unlock()
{
    RegistryLockState& s = lock_state();
    if (s.depth > 0 && --s.depth == 0) s.file.reset();
    s.mutex.unlock();
}

} // namespace wallet
