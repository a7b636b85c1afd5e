#include "trade/chain_lookup.h"

#include "book/post.h"
#include "core/hex.h"
#include "funding/chain_clients.h"
#include "trade/market_session.h"
#include "tx/parse.h"
#include "tx/serialize.h"
#include "tx/spendable_lock.h"
#include "wallet/wallet_lock.h"

namespace trade {

SpentState output_spent_state(const MarketSession& session, const tx::Txid& txid, uint32_t vout)
{
    wallet::WalletUnlock unlock(session.wallet());
    auto answer = funding::chain_clients(session.funding()).woc.spent(txid, vout);
    if (!answer) return SpentState::Unknown;
    switch (answer->state) {
    case net::SpentCheck::State::Unspent:
        return SpentState::Unspent;
    case net::SpentCheck::State::Spent:
        return SpentState::Spent;
    case net::SpentCheck::State::UnknownOutpoint:
        return SpentState::Unknown;
    }
    return SpentState::Unknown;
}

std::optional<core::Bytes> load_raw_tx(const MarketSession& session, const tx::Txid& txid)
{
    wallet::WalletUnlock unlock(session.wallet());
    auto hex = funding::chain_clients(session.funding()).woc.tx_hex(txid);
    if (!hex) return std::nullopt;
    auto raw = core::hex_decode(*hex);
    if (!raw || tx::tx_id(*raw) != txid) return std::nullopt;
    return raw;
}

LoadedOutput load_output(const MarketSession& session, const tx::Txid& txid, uint32_t vout)
{
    LoadedOutput out;
    out.error = std::string(OUTPUT_NOT_LOADED);
    auto raw = load_raw_tx(session, txid);
    if (!raw) return out;
    auto output = tx::tx_output_at(*raw, vout);
    if (!output || !tx::find_spendable_lock(output->script)) return out;
    out.prevout = Prevout{output->value, std::move(output->script)};
    out.error.clear();
    return out;
}

} // namespace trade
