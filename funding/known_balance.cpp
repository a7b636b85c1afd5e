#include "funding/known_balance.h"

#include <mutex>

#include "wallet/balance.h"

namespace funding {

namespace {

std::mutex g_mutex;
BalanceSource g_source;

std::optional<core::Amount> wallet_cached_balance()
{
    wallet::CachedBalance balance = wallet::cached_balance();
    if (!balance.known) return std::nullopt;
    return balance.sats;
}

} // namespace

void set_known_balance_source(BalanceSource source)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_source = std::move(source);
}

std::optional<core::Amount> known_balance()
{
    BalanceSource source;
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        source = g_source;
    }
    return source ? source() : wallet_cached_balance();
}

} // namespace funding
