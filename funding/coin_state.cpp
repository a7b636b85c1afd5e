#include "funding/coin_state.h"

#include <algorithm>

#include "core/hex.h"
#include "core/json_get.h"
#include "funding/json_store.h"
#include "funding/outpoint_text.h"
#include "net/text.h"
#include "platform/data_dir.h"
#include "tx/outpoint.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_state.h"

namespace funding {

namespace {

void load_for(const std::string& key);

// A wallet that loads brings its snapshots back at once; a forgotten one takes its memory along.
void register_listener_once()
{
    static bool done = [] {
        wallet::add_wallet_listener({[] { load_for(wallet::wallet_key()); }, [] { reset_coin_state(); }});
        return true;
    }();
    (void)done;
}

std::map<std::string, std::string> load_spent(const std::filesystem::path& path)
{
    std::map<std::string, std::string> out;
    StoreRead read = read_store(path, "outpoints");
    const auto* list = core::json_array(read.doc, "outpoints");
    if (!list) return out;
    for (const auto& e : *list) {
        if (!e.is_string()) continue;
        auto op = tx::parse_outpoint(e.get<std::string>());
        if (op) out.emplace(spent_key(op->txid, op->vout), "");
    }
    return out;
}

std::vector<PendingCoin> load_change(const std::filesystem::path& path)
{
    std::vector<PendingCoin> out;
    StoreRead read = read_store(path, "coins");
    const auto* list = core::json_array(read.doc, "coins");
    if (!list) return out;
    for (const auto& e : *list) {
        std::string txid = core::json_string(e, "txid");
        auto vout = core::json_int64_opt(e, "vout");
        auto sats = core::json_int64_opt(e, "sats");
        if (!core::is_hex64(txid) || !vout || *vout < 0 || *vout > UINT32_MAX || !sats || *sats < 1) continue;
        PendingCoin coin{net::lower_ascii(txid), static_cast<uint32_t>(*vout), *sats, core::json_string(e, "addr")};
        bool dup = std::any_of(out.begin(), out.end(),
                               [&](const PendingCoin& c) { return c.txid == coin.txid && c.vout == coin.vout; });
        if (!dup) out.push_back(std::move(coin));
    }
    return out;
}

// Makes the state that of the wallet with this key, read from its snapshots, unless it is already.
void load_for(const std::string& key)
{
    CoinState& state = coin_state();
    if (state.key == key) return;
    state = CoinState{};
    state.key = key;
    state.spent = load_spent(spent_snapshot_path(key));
    state.change = load_change(change_snapshot_path(key));
    for (const auto& c : state.change) {
        auto& list = state.lists[c.addr].coins;
        CachedCoin coin{c.txid, c.vout, c.sats};
        if (std::find(list.begin(), list.end(), coin) == list.end()) list.push_back(coin);
    }
}

} // namespace

CoinState& coin_state()
{
    static CoinState state;
    register_listener_once();
    return state;
}

void reset_coin_state()
{
    coin_state() = CoinState{};
}

std::filesystem::path spent_snapshot_path(const std::string& key)
{
    return platform::data_dir() / "ord_snap" / (key + "_spent.json");
}

std::filesystem::path change_snapshot_path(const std::string& key)
{
    return platform::data_dir() / "ord_snap" / (key + "_change.json");
}

bool ensure_coin_state()
{
    if (!wallet::wallet_load()) return false;
    load_for(wallet::wallet_key());
    return true;
}

bool save_snapshots()
{
    const CoinState& state = coin_state();
    if (state.key.empty()) return false;
    nlohmann::json spent = nlohmann::json::array();
    for (const auto& [s, addr] : state.spent) spent.push_back(s);
    nlohmann::json coins = nlohmann::json::array();
    for (const auto& c : state.change) {
        coins.push_back({{"txid", c.txid}, {"vout", c.vout}, {"sats", c.sats}, {"addr", c.addr}});
    }
    bool ok = write_store(spent_snapshot_path(state.key), "outpoints", {{"outpoints", std::move(spent)}});
    return write_store(change_snapshot_path(state.key), "coins", {{"coins", std::move(coins)}}) && ok;
}

void mark_lists_stale()
{
    for (auto& [address, list] : coin_state().lists) list.fetched -= FORCED_STALENESS;
}

bool is_spent(const std::string& txid, uint32_t vout)
{
    return coin_state().spent.count(spent_key(txid, vout)) > 0;
}

void add_spent(const std::vector<SpentOutpoint>& outpoints)
{
    CoinState& state = coin_state();
    for (const auto& o : outpoints) {
        auto [it, added] = state.spent.emplace(spent_key(o.txid, o.vout), o.addr);
        if (!added && it->second.empty()) it->second = o.addr;
    }
    for (auto& [address, list] : state.lists) {
        std::erase_if(list.coins, [&](const CachedCoin& c) { return state.spent.count(spent_key(c.txid, c.vout)) > 0; });
    }
    std::erase_if(state.change, [&](const PendingCoin& c) { return state.spent.count(spent_key(c.txid, c.vout)) > 0; });
}

bool add_pending_change(const PendingCoin& coin)
{
    CoinState& state = coin_state();
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
