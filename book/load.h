// Loading the book: the txids of every transaction that paid the book oracle (the registry's
// oracle index, topped up from WhatsOnChain's history of the oracle address and the wallet's own
// listings), the transactions themselves (from the transaction cache, else fetched on up to
// eight threads), their posts, and the checks every post must pass before reduction.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "book/post_record.h"
#include "book/services.h"

namespace book {

// Txids in the order first seen: lower-case, 64 hex digits, each once.
class TxidList {
public:
    // Lower-cases the text and appends it when it is 64 hex digits and not yet listed. True
    // when it was appended.
    bool add(std::string_view text);
    const std::vector<std::string>& ids() const { return m_ids; }
    size_t size() const { return m_ids.size(); }
    bool empty() const { return m_ids.empty(); }

private:
    std::vector<std::string> m_ids;
    std::unordered_set<std::string> m_known;
};

inline bool add_txid(TxidList& list, std::string_view text)
{
    return list.add(text);
}

// Oracle index pages of 2,000 ids (at most 10). True when the index answered; false with
// error "OI agoran txids failed" when its first page fails and "OI agoran returned no txids"
// when a page is not a txid list (ids of earlier pages stay). A later page that fails ends the
// paging with true, as does a page that adds nothing new or holds fewer than 2,000 ids.
[[nodiscard]] bool list_oi_txids(TxidList& list, std::string& error, const BookServices& services = default_services());

// WhatsOnChain's lists of the oracle address: unconfirmed history and unspent outputs, and
// when the index failed also confirmed and full history; stops after a list that answered
// once 400 ids are known.
void list_woc_txids(TxidList& list, bool oi_succeeded, const BookServices& services = default_services());

// The transaction as chain JSON: WhatsOnChain, and the registry's copy when WhatsOnChain
// fails or shows fewer than 2 outputs (the answer with more outputs wins). An answer that
// names another txid is refused. True when the result has at least one output.
[[nodiscard]] bool fetch_tx(const std::string& txid, Json& out, const BookServices& services = default_services());

// What one load did, for the benchmarks and the logs.
struct LoadStats {
    size_t txids = 0;             // ids gathered
    size_t from_cache = 0;        // transactions read from the transaction cache
    size_t fetched = 0;           // transactions fetched from the services
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
    BookServices services = default_services();
    // Listing ids named by the bound wallet's listing reserves: always loaded.
    std::set<std::string> own_listing_ids;
    // The transaction cache; none when empty.
    std::optional<std::filesystem::path> cache_dir;
    // Filled when given.
    LoadStats* stats = nullptr;
};

// The program's options: its services, the bound wallet's reserved listings and the cache in
// the data directory.
LoadOptions default_load_options();

// Loads every post that verifies, is signed at a positive time, names its own signer (book
// posts), carries no blob that differs from its members, and is not a replay of an envelope gathered earlier; sorted by time, then txid.
// Clears both outputs first. False only when no txid could be gathered and the oracle index
// failed; error then holds the index's sentence, or "no agoran book (OI and WhatsOnChain
// miss)". Call from a worker thread: it blocks on the network.
[[nodiscard]] bool load_posts(std::vector<PostRecord>& posts, std::string& error);
[[nodiscard]] bool load_posts(std::vector<PostRecord>& posts, std::string& error, const LoadOptions& options);

} // namespace book
