#include "funding/known_balance.h"


#include "core/mutex.h"
#include "wallet/balance.h"

namespace funding {

namespace {

core::Mutex g_mutex;
BalanceSource g_source AGORAN_GUARDED_BY(g_mutex);

std::optional<core::Amount> wallet_cached_balance()
{
    wallet::CachedBalance balance = wallet::cached_balance();
    if (!balance.known) return std::nullopt;
    return balance.sats;
}

} // namespace

void set_known_balance_source(BalanceSource source)
{
    core::MutexLock guard(g_mutex);
    g_source = std::move(source);
}

std::optional<core::Amount> known_balance()
{
    BalanceSource source;
    {
        core::MutexLock guard(g_mutex);
        source = g_source;
    }
    return source ? source() : wallet_cached_balance();
}

} // namespace funding
