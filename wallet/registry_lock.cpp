#include "wallet/registry_lock.h"

#include "core/log.h"
#include "wallet/data_paths.h"

namespace wallet {

RegistryLock::RegistryLock(std::chrono::milliseconds wait) : m_lock(registry_lock_path(), wait, &m_failure)
{
    if (m_failure == platform::LockFailure::TimedOut) {
        core::log_warning("Another program kept the wallet registry lock (wallets.lock) for too long; going on without "
                          "it. Close the other program if this repeats.");
    }
}

} // namespace wallet
