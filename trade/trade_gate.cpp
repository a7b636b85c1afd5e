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
        gate.refusal = TradeError(TradeCode::ConnectFirst);
        return gate;
    }
    gate.handle = wallet_handle(wallet);
    gate.identity_key = wallet_identity_key(wallet);
    if (gate.handle.empty()) gate.refusal = TradeError(TradeCode::PublishName, wallet::paymail_domain(wallet));
    return gate;
}

bool identity_is_frozen(const MarketSession& session, const std::string& pubkey)
{
    std::string note;
    return book::identity_frozen(pubkey, note, session.book());
}

} // namespace trade
