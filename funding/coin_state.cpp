#include "funding/coin_state.h"

#include <algorithm>
#include <set>

#include "core/json_get.h"
#include "funding/json_store.h"
#include "funding/session.h"
#include "platform/data_dir.h"
#include "tx/outpoint.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"

namespace funding {

namespace {

// "txid:vout": the form the spent snapshot stores.
std::string spent_key(const tx::Outpoint& outpoint)
{
    return outpoint.txid.hex() + ":" + std::to_string(outpoint.vout);
}

std::map<tx::Outpoint, std::string> spent_of(const nlohmann::json& doc)
{
    std::map<tx::Outpoint, std::string> out;
    const auto* list = core::json_array(doc, "outpoints");
    if (!list) return out;
    for (const auto& e : *list) {
        if (!e.is_string()) continue;
        auto op = tx::parse_outpoint(e.get<std::string>());
        if (op) out.emplace(std::move(*op), "");
    }
    return out;
}

std::vector<PendingCoin> change_of(const nlohmann::json& doc)
{
    std::vector<PendingCoin> out;
    const auto* list = core::json_array(doc, "coins");
    if (!list) return out;
    for (const auto& e : *list) {
        auto txid = tx::Txid::parse(core::json_string(e, "txid"));
        auto vout = core::json_int64_opt(e, "vout");
        auto sats = core::json_int64_opt(e, "sats");
        if (!txid || !vout || *vout < 0 || *vout > UINT32_MAX || !sats || *sats < 1) continue;
        PendingCoin coin{std::move(*txid), static_cast<uint32_t>(*vout), *sats, core::json_string(e, "addr")};
        bool dup = std::any_of(out.begin(), out.end(),
                               [&](const PendingCoin& c) { return c.txid == coin.txid && c.vout == coin.vout; });
        if (!dup) out.push_back(std::move(coin));
    }
    return out;
}

void list_change(CoinState& state, const PendingCoin& c)
{
    auto& list = state.lists[c.addr].coins;
    CachedCoin coin{c.txid, c.vout, c.sats};
    if (std::find(list.begin(), list.end(), coin) == list.end()) list.push_back(coin);
}

// Three-way merge of one snapshot: what is on disk now, plus what this process added since it
// last read or wrote it, minus what it took away since then. Another program's changes stay.
std::set<tx::Outpoint> merged_keys(const std::set<tx::Outpoint>& disk, const std::set<tx::Outpoint>& base,
                                   const std::set<tx::Outpoint>& mine)
{
    std::set<tx::Outpoint> out;
    for (const auto& k : disk) {
        if (!(base.count(k) > 0 && mine.count(k) == 0)) out.insert(k);
    }
    for (const auto& k : mine) {
        if (base.count(k) == 0) out.insert(k);
    }
    return out;
}

bool kept(StoreUpdate update)
{
    return update == StoreUpdate::Written || update == StoreUpdate::Unchanged;
}

// The memory takes the merged snapshot only once it is on disk: after a failed write, this
// process's changes stay changes for the next save.
StoreUpdate sync_spent(CoinState& state)
{
    std::set<tx::Outpoint> merged;
    const StoreUpdate update = update_store(spent_snapshot_path(state.key), "outpoints", [&](nlohmann::json& doc) {
        std::set<tx::Outpoint> disk;
        for (const auto& [k, addr] : spent_of(doc)) disk.insert(k);
        std::set<tx::Outpoint> mine;
        for (const auto& [k, addr] : state.spent) mine.insert(k);
        merged = merged_keys(disk, state.spent_base, mine);
        if (merged == disk && doc.contains("outpoints")) return false;
        std::set<std::string> texts;  // the file lists them in text order
        for (const auto& k : merged) texts.insert(spent_key(k));
        doc["outpoints"] = nlohmann::json(std::vector<std::string>(texts.begin(), texts.end()));
        return true;
    });
    if (!kept(update)) return update;
    std::erase_if(state.spent, [&](const auto& entry) { return merged.count(entry.first) == 0; });
    for (const auto& k : merged) state.spent.emplace(k, "");
    state.spent_base = merged;
    return update;
}

StoreUpdate sync_change(CoinState& state)
{
    std::set<tx::Outpoint> merged;
    std::vector<PendingCoin> theirs;  // coins another program recorded
    const StoreUpdate update = update_store(change_snapshot_path(state.key), "coins", [&](nlohmann::json& doc) {
        const auto disk = change_of(doc);
        std::set<tx::Outpoint> disk_keys;
        for (const auto& c : disk) disk_keys.insert(c.outpoint());
        std::set<tx::Outpoint> mine;
        for (const auto& c : state.change) mine.insert(c.outpoint());
        merged = merged_keys(disk_keys, state.change_base, mine);
        // A coin spent is no longer change, whoever recorded it.
        std::erase_if(merged, [&](const tx::Outpoint& k) { return state.spent.count(k) > 0; });
        theirs.clear();
        for (const auto& c : disk) {
            if (merged.count(c.outpoint()) > 0 && mine.count(c.outpoint()) == 0) theirs.push_back(c);
        }
        if (merged == disk_keys && doc.contains("coins")) return false;
        nlohmann::json coins = nlohmann::json::array();
        auto add = [&](const PendingCoin& c) {
            coins.push_back({{"txid", c.txid.hex()}, {"vout", c.vout}, {"sats", c.sats}, {"addr", c.addr}});
        };
        for (const auto& c : state.change) {
            if (merged.count(c.outpoint()) > 0) add(c);
        }
        for (const auto& c : theirs) add(c);
        doc["coins"] = std::move(coins);
        return true;
    });
    if (!kept(update)) return update;
    std::erase_if(state.change, [&](const PendingCoin& c) { return merged.count(c.outpoint()) == 0; });
    for (const auto& c : theirs) {
        state.change.push_back(c);
        list_change(state, c);
    }
    state.change_base = merged;
    return update;
}

} // namespace

void reset_coin_state(Session& session)
{
    session.coins() = CoinState{};
}

void load_coin_state(Session& session, const std::string& key)
{
    CoinState& state = session.coins();
    if (state.key == key) return;
    state = CoinState{};
    state.key = key;
    state.spent = spent_of(read_store(spent_snapshot_path(key), "outpoints").doc);
    state.change = change_of(read_store(change_snapshot_path(key), "coins").doc);
    for (const auto& [k, addr] : state.spent) state.spent_base.insert(k);
    for (const auto& c : state.change) {
        state.change_base.insert(c.outpoint());
        list_change(state, c);
    }
}

std::filesystem::path spent_snapshot_path(const std::string& key)
{
    return platform::data_dir() / "ord_snap" / (key + "_spent.json");
}

std::filesystem::path change_snapshot_path(const std::string& key)
{
    return platform::data_dir() / "ord_snap" / (key + "_change.json");
}

bool ensure_coin_state(Session& session)
{
    if (!wallet::wallet_load(session.wallet())) return false;
    load_coin_state(session, wallet::wallet_key(session.wallet()));
    return true;
}

bool save_snapshots(Session& session)
{
    CoinState& state = session.coins();
    if (state.key.empty()) return false;
    const StoreUpdate spent = sync_spent(state);
    // Spends another program recorded leave this process's lists and change too.
    std::vector<SpentOutpoint> purge;
    for (const auto& [k, addr] : state.spent) purge.push_back({k.txid, k.vout, addr});
    add_spent(session, purge);
    const StoreUpdate change = sync_change(state);
    return kept(spent) && kept(change);
}

void mark_lists_stale(Session& session)
{
    for (auto& [address, list] : session.coins().lists) list.fetched -= FORCED_STALENESS;
}

bool is_spent(const Session& session, const tx::Txid& txid, uint32_t vout)
{
    return session.coins().spent.count(tx::Outpoint{txid, vout}) > 0;
}

void add_spent(Session& session, const std::vector<SpentOutpoint>& outpoints)
{
    CoinState& state = session.coins();
    for (const auto& o : outpoints) {
        auto [it, added] = state.spent.emplace(tx::Outpoint{o.txid, o.vout}, o.addr);
        if (!added && it->second.empty()) it->second = o.addr;
    }
    for (auto& [address, list] : state.lists) {
        std::erase_if(list.coins, [&](const CachedCoin& c) { return state.spent.count(c.outpoint()) > 0; });
    }
    std::erase_if(state.change, [&](const PendingCoin& c) { return state.spent.count(c.outpoint()) > 0; });
}

void forget_pending_change(Session& session, const tx::Txid& txid, uint32_t vout)
{
    CoinState& state = session.coins();
    for (auto it = state.change.begin(); it != state.change.end(); ++it) {
        if (it->txid != txid || it->vout != vout) continue;
        std::erase(state.lists[it->addr].coins, CachedCoin{it->txid, it->vout, it->sats});
        state.change.erase(it);
        return;
    }
}

bool add_pending_change(Session& session, const PendingCoin& coin)
{
    CoinState& state = session.coins();
    for (const auto& c : state.change) {
        if (c.txid == coin.txid && c.vout == coin.vout) return false;
    }
    state.change.push_back(coin);
    auto& list = state.lists[coin.addr].coins;
    CachedCoin cached{coin.txid, coin.vout, coin.sats};
    if (std::find(list.begin(), list.end(), cached) == list.end()) list.push_back(cached);
    return true;
}

} // namespace funding
