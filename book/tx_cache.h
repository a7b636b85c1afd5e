// The book's transaction cache in the data directory. A transaction never changes once its
// txid is known, so the loader keeps what it read from every transaction it fetched: the
// addresses and amounts of its outputs, its post, and the verdict on that post's own signature. The
// verdict on the signing key is never kept: the registry may change a handle's key at any time.
// Only transactions whose content was checked against their txid are kept.
//
// Files: "<data dir>/agoran/tx_cache/<first hex digit of the txid>.json", each
//   {"format": 1, "txs": {"<txid>": {"txid": "<txid>", "vout": 4, "paid": [["<address>", sats], ...],
//                                    "post": {...} or null, "sig": true}}}
// An entry is used only when its key is a well-formed txid that belongs to the file it sits in,
// its "txid" repeats the key, and every member has its type; anything else in a file is
// ignored. Files are replaced atomically; a damaged file costs only refetches.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "book/post.h"
#include "book/post_record.h"

namespace book {

struct CachedTx {
    TxOutputs outputs;                 // what the book reads of the transaction's outputs
    std::optional<Json> post;          // its post; none when it carries none
    std::optional<bool> signature_ok;  // verify_post_signature of that post
};

class TxCache {
public:
    // A cache kept in dir (created on the first save).
    explicit TxCache(std::filesystem::path dir);

    // "<data dir>/agoran/tx_cache".
    static std::filesystem::path default_dir();

    // Reads every file of the cache, in parallel, and keeps their good entries. The loader
    // calls it while the txid lists are still being fetched, so it cannot know which are needed.
    void load();

    // Moves the entry for a txid out of the cache, or nullopt. Safe from many threads at once
    // for distinct txids once load has returned.
    std::optional<CachedTx> take(const std::string& txid);

    // Writes the entries into their files (merged with what the files hold), the files in
    // parallel. False when a file could not be written; the others are still written.
    bool save(const std::unordered_map<std::string, CachedTx>& entries) const;

    const std::filesystem::path& dir() const { return m_dir; }

private:
    std::filesystem::path shard_path(const std::string& shard) const;
    std::unordered_map<std::string, CachedTx> read_shard(const std::string& shard) const;

    std::filesystem::path m_dir;
    std::unordered_map<std::string, CachedTx> m_entries;
};

} // namespace book
