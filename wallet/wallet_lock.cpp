#include "wallet/wallet_lock.h"

namespace wallet {

std::recursive_mutex& wallet_mutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

} // namespace wallet
