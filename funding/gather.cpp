#include "funding/gather.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/hex.h"
#include "funding/chain_clients.h"
#include "funding/coin_state.h"
#include "funding/holdback.h"
#include "funding/offer_locks.h"
#include "funding/outpoint_text.h"
#include "funding/session.h"
#include "funding/sibling_reserves.h"
#include "funding/wallet_addresses.h"
#include "tx/script.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

struct Candidate {
    tx::Txid txid;
    uint32_t vout = 0;
    core::Amount sats = 0;
    std::string addr;
};

class Gatherer {
public:
    Gatherer(Session& session, const std::vector<std::string>& hold_back, const std::vector<std::string>& must_spend)
        : m_session(session), m_addresses(payment_addresses(session.wallet(), true)), m_reserved(reserved_outpoints(session.wallet())), m_locks(offer_locks_load(session.wallet()))
    {
        for (const auto& h : hold_back) m_hold_back.insert(normalize_outpoint(h));
        for (const auto& m : must_spend) m_must_spend.insert(normalize_outpoint(m));
        for (size_t i = 0; i < m_addresses.size(); ++i) m_by_address.emplace(m_addresses[i].address, i);
        prune_locks();
    }

    Gathered run()
    {
        const CoinState& state = m_session.coins();
        for (const auto& m : m_must_spend) offer_must_spend(m);
        m_out.forced = m_out.coins.size();
        offer_pending();
        for (const auto& a : m_addresses) {
            auto it = state.lists.find(a.address);
            if (it == state.lists.end()) continue;
            for (const auto& c : it->second.coins) offer({c.txid, c.vout, c.sats, a.address});
        }
        offer_pending();
        if (m_out.coins.size() == m_out.forced) {
            if (!recover_recent_change()) return {};
            offer_pending();
        }
        return std::move(m_out);
    }

private:
    void prune_locks()
    {
        const CoinState& state = m_session.coins();
        bool all_lists = !m_addresses.empty();
        std::set<std::string> listed;
        for (const auto& a : m_addresses) {
            auto it = state.lists.find(a.address);
            if (it == state.lists.end() || !it->second.ok) {
                all_lists = false;
                continue;
            }
            for (const auto& c : it->second.coins) listed.insert(lock_key(c.txid, c.vout));
        }
        for (const auto& c : state.change) listed.insert(lock_key(c.txid, c.vout));
        std::vector<std::string> pruned;
        for (const auto& l : m_locks) {
            auto outpoint = tx::parse_outpoint(l);
            bool spent = outpoint && state.spent.count(*outpoint) > 0;
            bool gone = all_lists && listed.count(l) == 0;
            if (spent || gone) pruned.push_back(l);
        }
        if (!pruned.empty()) {
            // Only these: another program may have locked coins of a new offer meanwhile.
            (void)offer_locks_remove(m_session.wallet(), pruned);
            for (const auto& l : pruned) m_locks.erase(l);
        }
    }

    void offer_pending()
    {
        for (const auto& c : m_session.coins().change) offer({c.txid, c.vout, c.sats, c.addr});
    }

    void offer_must_spend(const std::string& key)
    {
        for (const auto& c : m_session.coins().change) {
            if (lock_key(c.txid, c.vout) == key) return offer({c.txid, c.vout, c.sats, c.addr}, true);
        }
        for (const auto& a : m_addresses) {
            auto it = m_session.coins().lists.find(a.address);
            if (it == m_session.coins().lists.end()) continue;
            for (const auto& c : it->second.coins) {
                if (lock_key(c.txid, c.vout) == key) return offer({c.txid, c.vout, c.sats, a.address}, true);
            }
        }
    }

    void offer(const Candidate& c, bool must_spend = false)
    {
        const CoinState& state = m_session.coins();
        std::string key = lock_key(c.txid, c.vout);
        const tx::Outpoint outpoint{c.txid, c.vout};
        if (state.spent.count(outpoint) > 0 || state.sending.count(outpoint) > 0) return;
        if (held_back_as_ordinal(state, c.addr, c.txid, c.vout, c.sats)) return;
        if (m_reserved.count(key) > 0 || m_hold_back.count(key) > 0) return;
        if (!must_spend && (m_locks.count(key) > 0 || m_must_spend.count(key) > 0)) return;
        auto owner = m_by_address.find(c.addr);
        if (owner == m_by_address.end()) return;
        if (!m_accepted.insert(key).second) return;
        const WalletAddress& a = m_addresses[owner->second];
        tx::TxInput in;
        in.txid = c.txid;
        in.vout = c.vout;
        in.value = c.sats;
        in.priv_key_hex.assign(std::string(a.priv_hex.view()));
        in.pub_key_hex = a.pub_hex;
        in.pub_key_hash = a.hash;
        m_out.total += c.sats;
        m_out.coins.push_back(std::move(in));
    }

    // The outputs of the latest broadcasts that pay a payment address become pending change.
    // The transactions are fetched with the wallet lock let go; false when another wallet (or
    // none) is bound once it is back.
    bool recover_recent_change()
    {
        const CoinState& state = m_session.coins();
        const std::string key = state.key;
        std::vector<tx::Txid> txids;
        for (const auto& t : {state.last_recorded_txid, state.last_confirmed_txid}) {
            if (t && std::find(txids.begin(), txids.end(), *t) == txids.end()) txids.push_back(*t);
        }
        if (txids.empty()) return true;
        std::vector<std::pair<tx::Txid, net::ChainTx>> fetched;
        {
            wallet::WalletUnlock unlock(m_session.wallet());
            ChainClients clients = chain_clients(m_session);
            for (const auto& txid : txids) {
                if (auto chain = clients.woc.tx(txid)) fetched.emplace_back(txid, std::move(*chain));
            }
        }
        if (!ensure_coin_state(m_session) || m_session.coins().key != key) return false;
        // Reserves and offer locks may have changed meanwhile.
        m_reserved = reserved_outpoints(m_session.wallet());
        m_locks = offer_locks_load(m_session.wallet());
        bool added = false;
        for (const auto& [txid, chain] : fetched) {
            for (size_t n = 0; n < chain.outputs.size(); ++n) {
                const auto& out = chain.outputs[n];
                auto script = core::hex_decode(out.script_hex);
                auto hash = script ? tx::p2pkh_hash(*script) : std::nullopt;
                if (!hash || out.sats < 1) continue;
                auto it = std::find_if(m_addresses.begin(), m_addresses.end(), [&](const WalletAddress& a) { return a.hash == *hash; });
                if (it == m_addresses.end()) continue;
                if (m_session.coins().spent.count(tx::Outpoint{txid, static_cast<uint32_t>(n)}) > 0) continue;
                added = add_pending_change(m_session, {txid, static_cast<uint32_t>(n), out.sats, it->address}) || added;
            }
        }
        if (added) (void)save_snapshots(m_session);
        return true;
    }

    Session& m_session;
    std::vector<WalletAddress> m_addresses;
    std::map<std::string, size_t> m_by_address;
    std::set<std::string> m_reserved;
    std::set<std::string> m_locks;
    std::set<std::string> m_hold_back;
    std::set<std::string> m_must_spend;
    std::set<std::string> m_accepted;
    Gathered m_out;
};

} // namespace

Gathered gather_coins(Session& session, const std::vector<std::string>& hold_back, const std::vector<std::string>& must_spend)
{
    wallet::WalletLock lock(session.wallet());
    if (!ensure_coin_state(session)) return {};
    // What other programs of this wallet spent or received since the last look.
    (void)save_snapshots(session);
    return Gatherer(session, hold_back, must_spend).run();
}

} // namespace funding
