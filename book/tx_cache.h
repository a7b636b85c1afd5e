// The book's transaction cache in the data directory. A transaction never changes once its
// txid is known, so the loader keeps the raw bytes of every transaction whose post it read and
// whose signature verified, and a mark for every transaction that holds nothing a reader uses
// (no post, a push that is not a post, a bad signature, no time, a book post in another's
// name). Raw bytes are proven against their txid whenever they are read; an entry that fails
// is dropped and the transaction fetched again. The verdict on the signing key is never kept:
// the registry may change a handle's key at any time.
//
// Files: "<data dir>/agoran/tx_cache/<first two hex digits of the txid>.json", each
//   {"format": 2, "txs": {"<txid>": {"hex": "<raw transaction>", "height": 812345, "stored": 1700000000},
//                         "<txid>": {"none": true, "stored": 1700000000}}}
// "height" is there when the services reported the transaction mined; "stored" is when the
// entry was written (Unix seconds). The entries together stay within a byte bound; beyond it
// the entries whose signer had no published key in the last load go first, then the oldest.
// Each file is replaced whole through a temporary file of its own name, so processes sharing
// the data directory never read half a file; two that replace one file at once may lose one's
// new entries, which costs refetches only. Files of the first format ("<hex digit>.json") are
// removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "tx/txid.h"

namespace book {

struct CachedTx {
    std::string hex;                // the raw transaction; empty for a transaction without a post
    std::optional<int64_t> height;  // the block the services reported it in
    int64_t stored = 0;             // Unix seconds

    [[nodiscard]] bool has_post() const { return !hex.empty(); }
};

// What one load hands back to the cache.
struct CacheUpdate {
    std::unordered_map<tx::Txid, CachedTx> fresh;  // new entries, by txid
    std::set<tx::Txid> damaged;                    // entries that did not prove: removed
    std::set<tx::Txid> unkeyed;                    // posts whose signer had no published key
};

class TxCache {
public:
    // 128 MiB: a full book of 20,000 posts needs about a third of it.
    static constexpr size_t DEFAULT_MAX_BYTES = 128u << 20;

    // A cache kept in dir (created on the first save), holding at most max_bytes of entries.
    explicit TxCache(std::filesystem::path dir, size_t max_bytes = DEFAULT_MAX_BYTES);

    // "<data dir>/agoran/tx_cache".
    static std::filesystem::path default_dir();

    // Reads every file of the cache, in parallel, and keeps the entries whose key is a
    // lower-case txid of their file and whose members have their types. Removes files of the
    // first format and temporary files left behind for more than ten minutes.
    void load();

    // The entry for a txid, or null. Safe from many threads at once once load has returned.
    const CachedTx* find(const tx::Txid& txid) const;

    // Applies a load's update to the files (each merged with what it holds now, the files in
    // parallel) and keeps the entries within the byte bound. False when a file could not be
    // written; the others are still written.
    bool save(const CacheUpdate& update);

    const std::filesystem::path& dir() const { return m_dir; }
    // The bytes the entries known to this object take, as the bound counts them.
    size_t bytes() const;

    // The bytes an entry counts for.
    static size_t entry_bytes(const CachedTx& entry) { return entry.hex.size() + 64; }

private:
    std::filesystem::path shard_path(const std::string& shard) const;
    std::unordered_map<tx::Txid, CachedTx> read_shard(const std::string& shard) const;
    [[nodiscard]] bool write_shard(const std::string& shard, const std::unordered_map<tx::Txid, CachedTx>& entries) const;

    std::filesystem::path m_dir;
    size_t m_max_bytes;
    std::unordered_map<tx::Txid, CachedTx> m_entries;
};

} // namespace book
