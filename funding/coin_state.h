// The funding layer's short-term memory of the bound wallet's coins: the address coin caches,
// the ordinals indexes that hold inscription outputs back, the spent set and the pending change
// (both saved as snapshots in "ord_snap"), and the txids of the latest broadcasts. Each session
// owns one (funding/session.h); touch it only with the wallet lock held.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "tx/outpoint.h"

namespace funding {

class Session;

using Clock = std::chrono::steady_clock;

// A list is fresh while its last successful fetch is younger than this.
inline constexpr std::chrono::seconds LIST_FRESHNESS{8};
// Marking lists stale moves their fetch time this far into the past.
inline constexpr std::chrono::seconds FORCED_STALENESS{30};

struct CachedCoin {
    tx::Txid txid;
    uint32_t vout = 0;
    core::Amount sats = 0;
    bool operator==(const CachedCoin&) const = default;
    [[nodiscard]] tx::Outpoint outpoint() const { return {txid, vout}; }
};

struct PendingCoin {
    tx::Txid txid;
    uint32_t vout = 0;
    core::Amount sats = 0;
    std::string addr;
    [[nodiscard]] tx::Outpoint outpoint() const { return {txid, vout}; }
};

struct AddressCoins {
    std::vector<CachedCoin> coins;
    Clock::time_point fetched{};
    bool ok = false;  // a fetch has succeeded

    [[nodiscard]] bool fresh(Clock::time_point now) const { return ok && now - fetched < LIST_FRESHNESS; }
};

// The outpoints of one address that carry an inscription or tokens.
struct OrdinalIndex {
    std::set<tx::Outpoint> outpoints;
    Clock::time_point fetched{};
    bool complete = false;
};

struct CoinState {
    std::string key;  // wallet key the state was loaded for; empty before the first load
    std::map<std::string, AddressCoins> lists;
    std::map<std::string, OrdinalIndex> indexes;
    // Outpoint -> the address that held it ("" when not known, as after a restart).
    std::map<tx::Outpoint, std::string> spent;
    std::vector<PendingCoin> change;  // in the order created
    // The outpoints the snapshots held when this process last read or wrote them: a
    // save writes what is on disk then plus this process's changes since, so that programs
    // sharing the wallet never undo each other's records.
    std::set<tx::Outpoint> spent_base;
    std::set<tx::Outpoint> change_base;
    // The inputs of broadcasts this process has under way: no other payment may
    // choose them while the broadcast waits for the network with the wallet lock let go.
    std::set<tx::Outpoint> sending;
    std::optional<tx::Txid> last_recorded_txid;   // the latest broadcast whose outcome was recorded
    std::optional<tx::Txid> last_confirmed_txid;  // the latest broadcast found on the chain
};

// Makes the session's coin state belong to the bound wallet: when its key differs from the
// state's, the state is emptied and the snapshots of the wallet are read. False without a
// loadable wallet. The session's wallet listener does the same at every wallet load and empties
// the state at every forget.
[[nodiscard]] bool ensure_coin_state(Session& session);

// Makes the state that of the wallet with this key, read from its snapshots, unless it already is.
void load_coin_state(Session& session, const std::string& key);

// Forgets everything in memory (the snapshots stay on disk): the next ensure_coin_state reads
// them again. Runs when the wallet is forgotten, and stands in for a restart in tests.
void reset_coin_state(Session& session);

// "ord_snap/<key>_spent.json" and "ord_snap/<key>_change.json" in the data directory.
std::filesystem::path spent_snapshot_path(const std::string& key);
std::filesystem::path change_snapshot_path(const std::string& key);

// Brings both snapshots of the state's wallet and the state together, under each file's
// cross-process lock: the files get this process's changes since it last read or wrote them, and
// the state gets what other programs of the same wallet recorded meanwhile (their spent coins
// leave the lists, their change is offered). False when a write failed or waited too long (the
// changes stay in memory for the next save).
bool save_snapshots(Session& session);

// Moves every list's fetch time FORCED_STALENESS into the past.
void mark_lists_stale(Session& session);

// Whether the outpoint is in the spent set.
[[nodiscard]] bool is_spent(const Session& session, const tx::Txid& txid, uint32_t vout);

struct SpentOutpoint {
    tx::Txid txid;
    uint32_t vout = 0;
    std::string addr;  // the address that held it, "" when not known
};

// Adds outpoints to the spent set and purges them from the lists and the pending change.
void add_spent(Session& session, const std::vector<SpentOutpoint>& outpoints);

// Forgets a pending change coin (and takes it off its address's list) without calling it spent:
// the chain does not know it. A list fetched later brings it back if it exists.
void forget_pending_change(Session& session, const tx::Txid& txid, uint32_t vout);

// Adds a pending change coin unless that outpoint is already pending, and puts it in its
// address's list. False when it was already pending.
bool add_pending_change(Session& session, const PendingCoin& coin);

} // namespace funding
