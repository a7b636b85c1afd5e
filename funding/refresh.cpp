#include "funding/refresh.h"

#include <algorithm>
#include <thread>

#include "funding/chain_clients.h"
#include "funding/coin_state.h"
#include "funding/session.h"
#include "funding/wallet_addresses.h"
#include "tx/outpoint.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

// Threads started at once; the rest of the stale addresses wait for the next batch.
constexpr size_t MAX_FETCH_THREADS = 16;

struct Fetched {
    std::string address;
    bool list_ok = false;
    std::vector<CachedCoin> coins;
    bool index_ok = false;
    bool index_complete = false;
    std::set<tx::Outpoint> index;
};

bool carries_ordinal(const net::Txo& t)
{
    return !t.origin.empty() || t.has_insc || t.has_bsv20 || t.has_bsv21;
}

void add_coin(std::vector<CachedCoin>& coins, CachedCoin coin)
{
    if (std::find(coins.begin(), coins.end(), coin) == coins.end()) coins.push_back(std::move(coin));
}

Fetched fetch_address(const ChainClients& clients, const std::string& address, RefreshMode mode)
{
    Fetched f;
    f.address = address;
    auto plain = clients.ordinals.unspent_txos(address, net::TxoSelection::NonToken);
    auto tokens = clients.ordinals.unspent_txos(address, net::TxoSelection::Tokens);
    if (plain) {
        for (const auto& t : *plain) {
            if (carries_ordinal(t)) f.index.insert({t.txid, t.vout});
        }
    }
    if (tokens) {
        for (const auto& t : *tokens) f.index.insert({t.txid, t.vout});
    }
    f.index_ok = plain.ok() || tokens.ok();
    f.index_complete = plain.ok() && tokens.ok();

    if (mode == RefreshMode::Forced) {
        if (!plain) return f;
        f.list_ok = true;
        for (const auto& t : *plain) {
            if (carries_ordinal(t) || t.sats <= 1 || t.spent()) continue;
            add_coin(f.coins, {t.txid, t.vout, t.sats});
        }
        return f;
    }
    auto list = clients.woc.unspent_any(address);
    if (!list) return f;
    f.list_ok = true;
    for (const auto& u : *list) {
        if (u.spent_in_mempool || u.sats < 1) continue;
        add_coin(f.coins, {u.txid, u.vout, u.sats});
    }
    return f;
}

std::vector<Fetched> fetch_all(const Session& session, const std::vector<std::string>& addresses, RefreshMode mode)
{
    std::vector<Fetched> results(addresses.size());
    if (addresses.empty()) return results;
    // The fetching threads touch neither the wallet state nor the coin state.
    ChainClients clients = chain_clients(session);
    for (size_t start = 0; start < addresses.size(); start += MAX_FETCH_THREADS) {
        size_t end = std::min(addresses.size(), start + MAX_FETCH_THREADS);
        std::vector<std::thread> threads;
        for (size_t i = start; i < end; ++i) {
            threads.emplace_back([&, i] { results[i] = fetch_address(clients, addresses[i], mode); });
        }
        for (auto& t : threads) t.join();
    }
    return results;
}

// Folds one successful fetch into the state; true when the spent set or pending change changed.
bool merge(CoinState& state, const Fetched& f, Clock::time_point now)
{
    bool changed = false;
    if (f.index_ok) {
        auto& index = state.indexes[f.address];
        index.outpoints = f.index;
        index.fetched = now;
        index.complete = f.index_complete;
    }
    if (!f.list_ok) return false;
    auto shown = [&](const tx::Outpoint& outpoint) {
        return std::any_of(f.coins.begin(), f.coins.end(), [&](const CachedCoin& c) { return c.outpoint() == outpoint; });
    };
    AddressCoins& list = state.lists[f.address];
    std::vector<CachedCoin> merged = f.coins;
    for (const auto& c : list.coins) {
        if (state.spent.count(c.outpoint()) == 0) add_coin(merged, c);
    }
    for (auto it = state.change.begin(); it != state.change.end();) {
        if (it->addr == f.address && shown(it->outpoint())) {
            it = state.change.erase(it);
            changed = true;
            continue;
        }
        if (it->addr == f.address) add_coin(merged, {it->txid, it->vout, it->sats});
        ++it;
    }
    for (auto it = state.spent.begin(); it != state.spent.end();) {
        if (it->second != f.address && shown(it->first)) {
            // Read back from a snapshot (or recorded by another program) without its address:
            // this list still shows it, so it is this address's, and goes when the list drops it.
            it->second = f.address;
            changed = true;
        }
        bool gone = it->second == f.address && !shown(it->first);
        if (gone) {
            it = state.spent.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    list.coins = std::move(merged);
    list.fetched = now;
    list.ok = true;
    return changed;
}

// When every payment address's list came back in this refresh, a spent coin that none of them
// shows and that no fetched address owns (its address unknown after a restart, an ordinals or a
// counterparty's output of a sale) hides nothing any more: it leaves the set, which otherwise
// would grow with every payment for the life of the wallet's files.
bool forget_unlisted_spent(CoinState& state, const std::vector<WalletAddress>& addresses,
                           const std::vector<Fetched>& results)
{
    std::set<std::string> listed;
    for (const auto& f : results) {
        if (f.list_ok) listed.insert(f.address);
    }
    for (const auto& a : addresses) {
        if (listed.count(a.address) == 0) return false;
    }
    return std::erase_if(state.spent, [&](const auto& entry) { return listed.count(entry.second) == 0; }) > 0;
}

} // namespace

FundingResult<void> refresh_coins(Session& session, RefreshMode mode)
{
    wallet::WalletLock lock(session.wallet());
    if (!ensure_coin_state(session)) return FundingError(FundingCode::NoHdWallet);
    auto addresses = payment_addresses(session.wallet(), false);
    if (addresses.empty()) return FundingError(FundingCode::NoHdWallet);
    const std::string key = session.coins().key;
    Clock::time_point now = Clock::now();
    std::vector<std::string> due;
    for (const auto& a : addresses) {
        auto it = session.coins().lists.find(a.address);
        if (mode == RefreshMode::Forced || it == session.coins().lists.end() || !it->second.fresh(now)) due.push_back(a.address);
    }
    std::vector<Fetched> results;
    {
        // Other threads use the wallet while the lists are on their way.
        wallet::WalletUnlock unlock(session.wallet());
        results = fetch_all(session, due, mode);
    }
    // The state may have been emptied meanwhile (the same wallet forgotten and loaded again).
    if (!wallet::wallet_load(session.wallet()) || wallet::wallet_key(session.wallet()) != key || !ensure_coin_state(session))
        return FundingError(FundingCode::WalletChanged);
    now = Clock::now();
    bool changed = false;
    for (const auto& f : results) changed = merge(session.coins(), f, now) || changed;
    changed = forget_unlisted_spent(session.coins(), addresses, results) || changed;
    if (changed) (void)save_snapshots(session);
    return {};
}

} // namespace funding
