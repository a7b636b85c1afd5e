// The book's transaction cache in the data directory. A transaction never changes once its
// txid is known, so the loader keeps every transaction it fetched (in the pruned chain JSON the
// book reads) together with the verdict on its post's own signature. The verdict on the
// signing key is never kept: the registry may change a handle's key at any time.
//
// Files: "<data dir>/agoran/tx_cache/<first two hex digits of the txid>.json", each
//   {"format": 1, "txs": {"<txid>": {"tx": {...}, "sig": true|false}}}
// An entry is used only when its txid is well formed, belongs to the file it sits in and
// equals the "txid" of its transaction; anything else in a file is ignored. Files are
// replaced atomically; a damaged file costs only refetches.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "book/post.h"

namespace book {

struct CachedTx {
    Json tx;                          // pruned chain JSON, its "txid" equal to the key
    std::optional<bool> signature_ok; // verify_post_signature of its post; none without a post
};

class TxCache {
public:
    // A cache kept in dir (created on the first save).
    explicit TxCache(std::filesystem::path dir);

    // "<data dir>/agoran/tx_cache".
    static std::filesystem::path default_dir();

    // Reads the files that may hold these txids and keeps their good entries in memory.
    void load(const std::vector<std::string>& txids);

    // The entry for a txid, or null. Safe from many threads once load has returned.
    const CachedTx* find(const std::string& txid) const;

    // Writes the entries into their files (merged with what the files hold). False when a
    // file could not be written; the entries written before stay.
    bool save(const std::unordered_map<std::string, CachedTx>& entries) const;

    const std::filesystem::path& dir() const { return m_dir; }

private:
    std::filesystem::path shard_path(const std::string& shard) const;
    std::unordered_map<std::string, CachedTx> read_shard(const std::string& shard) const;

    std::filesystem::path m_dir;
    std::unordered_map<std::string, CachedTx> m_entries;
};

} // namespace book
