#include "funding/known_balance.h"

#include <mutex>

namespace funding {

namespace {

std::mutex g_mutex;
BalanceSource g_source;

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
    return source ? source() : std::nullopt;
}

} // namespace funding
