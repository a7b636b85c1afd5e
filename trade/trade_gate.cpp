#include "trade/trade_gate.h"

#include "book/identity.h"
#include "trade/market_session.h"
#include "trade/wallet_now.h"
#include "wallet/paymail_domain.h"

namespace trade {

TraderGate trader_gate(wallet::WalletSession& wallet)
{
    TraderGate gate;
    if (!hd_wallet_bound(wallet)) {
        gate.error = std::string(CONNECT_FIRST);
        return gate;
    }
    gate.handle = wallet_handle(wallet);
    gate.identity_key = wallet_identity_key(wallet);
    if (gate.handle.empty()) gate.error = "Publish a @" + wallet::paymail_domain(wallet) + " name in Pursa first.";
    return gate;
}

bool identity_is_frozen(const MarketSession& session, const std::string& pubkey)
{
    std::string note;
    return book::identity_frozen(pubkey, note, session.book());
}

} // namespace trade
