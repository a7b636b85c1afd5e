#include "funding/outcome.h"

#include "core/base58.h"
#include "funding/coin_state.h"
#include "funding/session.h"
#include "funding/sibling_reserves.h"
#include "tx/script.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

std::string owner_of(wallet::WalletSession& wallet, const tx::TxInput& in)
{
    if (in.pub_key_hash == core::Hash160{}) return "";
    return wallet::wallet_address_for_hash160(wallet, in.pub_key_hash).value_or("");
}

} // namespace

void record_outcome(Session& session, const tx::Txid& txid, const std::vector<tx::TxInput>& inputs,
                    const std::vector<tx::TxOutput>& outputs, const std::optional<core::Hash160>& change_hash)
{
    wallet::WalletLock lock(session.wallet());
    if (!ensure_coin_state(session)) return;
    std::vector<SpentOutpoint> spent;
    std::vector<tx::Outpoint> spent_outpoints;
    for (const auto& in : inputs) {
        spent.push_back({in.txid, in.vout, owner_of(session.wallet(), in)});
        spent_outpoints.push_back({in.txid, in.vout});
    }
    add_spent(session, spent);

    std::optional<size_t> largest_change;
    for (size_t n = 0; n < outputs.size(); ++n) {
        const auto& out = outputs[n];
        auto hash = tx::p2pkh_hash(out.script);
        if (!hash || out.value < 1) continue;
        if (change_hash && *hash == *change_hash && (!largest_change || out.value > outputs[*largest_change].value)) {
            largest_change = n;
        }
        auto addr = wallet::wallet_address_for_hash160(session.wallet(), *hash);
        if (!addr) continue;
        (void)add_pending_change(session, {txid, static_cast<uint32_t>(n), out.value, *addr});
    }
    session.coins().last_recorded_txid = txid;
    (void)save_snapshots(session);
    if (largest_change) (void)move_swap_holds(session.wallet(), spent_outpoints, {txid, static_cast<uint32_t>(*largest_change)});
}

} // namespace funding
