// The simulated chain: the node (validation, mempool, blocks), its indexes, the journal that
// keeps it across restarts, and the indexers' lag ("delayed visibility"). Safe from any
// thread: lookups share a reader lock, changes take the writer lock.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>

#include "devnet/chain_state.h"
#include "devnet/journal.h"
#include "devnet/validation.h"

namespace devnet {

inline constexpr int64_t DEFAULT_FEE_RATE = 100;  // satoshis per 1000 bytes

class Chain {
public:
    explicit Chain(int64_t fee_rate = DEFAULT_FEE_RATE) : m_fee_rate(fee_rate) {}

    // Replays the journal of state_dir (created when missing) and keeps appending to it.
    // Without a call to open the chain lives in memory only. False with error on failure.
    [[nodiscard]] bool open(const std::filesystem::path& state_dir, std::string& error);

    // Validates and, when valid, accepts a transaction into the mempool (see judge_transaction).
    Judgement submit(core::ByteView raw);

    // Accepts a transaction without checking its scripts, fees or parents: for real mainnet
    // transactions whose parents are not on this chain, and for the admin's own coinbase
    // transactions. Refused only when it does not parse, is already known (already_*), or an
    // input it names is already spent here (mempool_conflict / spent_inputs).
    Judgement import_trusted(core::ByteView raw);

    // Seeds an output of a transaction that is not on this chain (a real transaction's
    // parent), so that a transaction spending it can be submitted. See ChainState::seed_output.
    [[nodiscard]] bool seed_output(const Outpoint& outpoint, uint64_t value, core::Bytes script);

    // Mines the mempool into a block, then count - 1 empty blocks. Returns the tip height.
    int64_t mine(int count);

    int64_t fee_rate() const { return m_fee_rate.load(); }
    void set_fee_rate(int64_t rate) { m_fee_rate.store(rate); }

    // Accepted submissions reach the indexes only after this delay (the node has them at
    // once: children may spend them and conflicts are found).
    void set_visibility_delay(std::chrono::milliseconds delay) { m_visibility_delay_ms.store(delay.count()); }

    // Runs f(const ChainState&) under the reader lock, after applying due index updates.
    template <class F>
    auto read(F&& f) const
    {
        settle();
        std::shared_lock lock(m_mutex);
        return f(static_cast<const ChainState&>(m_state));
    }

private:
    struct Pending {
        std::string txid;
        std::chrono::steady_clock::time_point due;
    };

    // Stores an accepted record: journal, node view, then indexes (now or after the delay).
    void store(TxRecord record, bool trusted, bool delayed);
    // Moves due pending transactions into the indexes; all of them when everything is set.
    void settle(bool everything = false) const;
    void settle_locked(bool everything) const;
    void replay(const JournalEvent& event);

    mutable std::shared_mutex m_mutex;
    mutable ChainState m_state;
    mutable std::deque<Pending> m_pending;  // guarded by m_mutex
    mutable std::atomic<bool> m_has_pending{false};
    Journal m_journal;
    bool m_persistent = false;
    std::atomic<int64_t> m_fee_rate;
    std::atomic<int64_t> m_visibility_delay_ms{0};
};

// Seconds since the epoch.
int64_t unix_now();

} // namespace devnet
