#include "funding/known_balance.h"

#include "funding/session.h"
#include "wallet/balance.h"

namespace funding {

std::optional<core::Amount> known_balance(const Session& session)
{
    if (BalanceSource source = session.known_balance_source()) return source();
    wallet::CachedBalance balance = wallet::cached_balance(session.wallet());
    if (!balance.known) return std::nullopt;
    return balance.sats;
}

} // namespace funding
