// Loading the book: the txids of every transaction that paid the book oracle (the registry's
// oracle index, topped up from WhatsOnChain's history of the oracle address and the wallet's own
// listings), the transactions themselves as raw bytes proven by their txid (from the
// transaction cache, else WhatsOnChain's bulk answer, else the index's copy or WhatsOnChain's
// single answer), their posts, and the checks every post must pass before reduction. A load
// knows whether it read the whole book, and says so in its status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "book/error.h"
#include "book/post_record.h"
#include "book/services.h"
#include "book/tx_cache.h"
#include "net/http.h"
#include "tx/txid.h"

namespace book {

// Txids in the order first seen, each once.
class TxidList {
public:
    // Appends the txid when it is not yet listed. True when it was appended.
    bool add(const tx::Txid& id)
    {
        if (!m_known.insert(id).second) return false;
        m_ids.push_back(id);
        return true;
    }
    const std::vector<tx::Txid>& ids() const { return m_ids; }
    size_t size() const { return m_ids.size(); }
    bool empty() const { return m_ids.empty(); }

private:
    std::vector<tx::Txid> m_ids;
    std::unordered_set<tx::Txid> m_known;
};

// What the txid lists found out about themselves.
struct ListReport {
    bool whole = false;     // the oracle index was read to its end: every page it has was answered
    bool answered = false;  // some service answered (with any HTTP status)
};

// Oracle index pages of 2,000 entries (at most 10), their txids added to list. Succeeds when the index answered;
// IndexFailed when its first page fails and IndexNotTxids when a page is not a txid list (ids of
// earlier pages stay). A later page that fails ends the paging with success (and report->whole
// false), as does a page that adds nothing new or holds fewer than 2,000 entries (the end
// of the index: whole).
BookResult<void> list_oi_txids(TxidList& list, const BookServices& services, const net::Deadline& deadline = {},
                               ListReport* report = nullptr);

// WhatsOnChain's lists of the oracle address: unconfirmed history and unspent outputs, and
// when the index failed also confirmed and full history; stops after a list that answered
// once 400 ids are known, and after a list that got no answer at all.
void list_woc_txids(TxidList& list, bool oi_succeeded, const BookServices& services,
                    const net::Deadline& deadline = {}, ListReport* report = nullptr);

// Whether a load read the whole book: what the desktop and agoran-cli need to say when it did
// not ("Book as of 14:02 — the market's services are busy; 37 posts not read yet").
struct LoadStatus {
    bool complete = false;      // the index was read whole and every listed transaction was read
                                // and proven, and its signer's key looked up
    bool offline = false;       // no service answered at all
    bool index_whole = false;   // the oracle index answered every page: unread counts every post
                                // listed but not read; otherwise more may be missing
    size_t unread = 0;          // listed transactions not read yet: not fetched, not proven by
                                // their txid, their signer's key not looked up, or their place on
                                // chain among copies of one signature unknown
    int64_t loaded_at = 0;      // Unix seconds when this load ended
    int64_t last_complete = 0;  // Unix seconds of the last complete load (this one when complete,
                                // else from the status file); 0 when none is known
};

// The plain words for an incomplete load: "offline"; "the market's services are busy; 37 posts
// not read yet" (1: "1 post"); or, when the index could not be read whole, "the market's
// services are busy; the list of posts could not be read" (with "and 37 posts not read yet"
// added when some listed ones were not read either). "" for a complete load.
std::string shortfall_text(const LoadStatus& status);

// What one load did, for the benchmarks and the logs.
struct LoadStats {
    size_t txids = 0;             // ids gathered
    size_t from_cache = 0;        // transactions read from the transaction cache
    size_t fetched = 0;           // transactions fetched from the services and proven
    size_t refused = 0;           // answers whose bytes did not hash to the txid asked for
    size_t unread = 0;            // as in LoadStatus
    size_t signatures_checked = 0;
    size_t identities = 0;        // distinct actors whose key was looked up
    size_t replays_dropped = 0;
    size_t posts = 0;             // posts handed on
    double gather_seconds = 0;    // txid lists
    double cache_seconds = 0;     // reading the transaction cache (while the lists are fetched)
    double save_seconds = 0;      // writing new entries to it
    double fetch_seconds = 0;     // transactions, posts, signatures and identity keys
    double identity_seconds = 0;  // waiting on identity keys, summed over the workers
    double finish_seconds = 0;    // key checks, replays, order
    double total_seconds = 0;
};

struct LoadOptions {
    BookServices services;  // set before a load
    // Listing ids named by the bound wallet's listing reserves: always loaded.
    std::set<tx::Txid> own_listing_ids;
    // The transaction cache and its byte bound; no cache when empty.
    std::optional<std::filesystem::path> cache_dir;
    size_t cache_max_bytes = TxCache::DEFAULT_MAX_BYTES;
    // Where the time of the last complete load is kept ({"last_complete": seconds}); none when empty.
    std::optional<std::filesystem::path> status_file;
    // The load's time budget: the txid lists, and then the transactions, get this many seconds
    // each, plus the time WhatsOnChain's pace needs for the requests planned. Services that are
    // busy are asked again within it; what is not read when it ends is counted unread.
    int time_budget_seconds = 60;
    // Filled when given.
    LoadStats* stats = nullptr;
};

// The program's options: the given services, the bound wallet's reserved listings, and the
// cache and status file in the data directory.
LoadOptions default_load_options(const BookServices& services);

// Loads every post that verifies, is signed at a positive time, names its own signer (book
// posts), carries no blob that differs from its members, and is the first on chain among the
// posts that carry its signature; sorted by time, then txid. Fails only when no txid could be
// gathered and the oracle index failed (the index's error), or on an unexpected
// failure (LoadFailed). status says whether the book is whole, also on failure. Call from a
// worker thread: it blocks on the network.
BookResult<std::vector<PostRecord>> load_posts(LoadStatus& status, const LoadOptions& options);
BookResult<std::vector<PostRecord>> load_posts(const LoadOptions& options);

} // namespace book
