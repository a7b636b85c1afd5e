#include "book/load.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "book/chain_tx_check.h"
#include "book/identity.h"
#include "book/own_listings.h"
#include "book/parallel.h"
#include "book/post_blob.h"
#include "book/replay.h"
#include "book/signing.h"
#include "book/tx_cache.h"
#include "core/hex.h"
#include "net/chain_tx.h"

namespace book {
namespace {

constexpr std::string_view OI_NAME = "agoran";
constexpr int OI_PAGE = 2000;
constexpr int OI_MAX_IDS = 20000;
constexpr int OI_TIMEOUT = 12;
constexpr int WOC_LIST_TIMEOUT = 8;
constexpr size_t WOC_ENOUGH_IDS = 400;
constexpr int WOC_TX_TIMEOUT = 10;
constexpr int OI_TX_TIMEOUT = 4;

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A chain answer is about txid unless it names another one.
bool answer_names(const Json& tx, const std::string& txid)
{
    const Json* named = core::json_member(tx, "txid");
    if (!named) return true;
    return named->is_string() && ascii_lower(named->get<std::string>()) == txid;
}

// What the first phase of a load found for one txid.
struct Found {
    std::optional<PostRecord> record;
    std::optional<CachedTx> to_cache;
    bool fetched = false;
    bool from_cache = false;
    bool signature_checked = false;
};

Found examine(const std::string& txid, size_t seen, TxCache* cache, const BookServices& services)
{
    Found found;
    TxOutputs outputs;
    std::optional<Json> post;
    std::optional<bool> signature_ok;
    if (std::optional<CachedTx> cached = cache ? cache->take(txid) : std::nullopt) {
        found.from_cache = true;
        post = std::move(cached->post);
        outputs = std::move(cached->outputs);
        signature_ok = cached->signature_ok;
    } else {
        Json answer;
        if (!fetch_tx(txid, answer, services)) return found;
        found.fetched = true;
        post = read_post_from_tx(answer);
        outputs = read_tx_outputs(answer);
        if (post) {
            signature_ok = verify_post_signature(*post);
            found.signature_checked = true;
        }
        // Kept only when its content hashes to the txid: the cache never holds a service's
        // mistake.
        if (core::json_string(answer, "txid") == txid && chain_tx_txid(answer) == txid) {
            CachedTx entry;
            entry.outputs = outputs;
            entry.post = post;
            entry.signature_ok = signature_ok;
            found.to_cache = std::move(entry);
        }
    }
    if (post && !signature_ok) {
        signature_ok = verify_post_signature(*post);
        found.signature_checked = true;
    }
    if (!post || !signature_ok.value_or(false)) return found;
    int64_t time = post_number(*post, "ts");
    if (time <= 0 || !book_post_names_signer(*post) || !post_blob_matches(*post)) return found;
    found.record = make_post_record(txid, std::move(*post), std::move(outputs), time, seen);
    return found;
}

// The identity keys of the actors met while the transactions are read. The first worker that
// meets an actor asks the registry (through the process-wide cache) and the others go on, so
// the lookups overlap the fetches instead of waiting for them.
class ActorKeys {
public:
    explicit ActorKeys(const BookServices& services) : m_services(services) {}

    void meet(const std::string& actor)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_keys.emplace(actor, std::string()).second) return;
        }
        const Clock::time_point start = Clock::now();
        std::string key = identity_key_of(actor, m_services);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_keys[actor] = std::move(key);
        m_waited += seconds_since(start);
    }

    // Once every worker is done: the key published for the actor, "" when none.
    const std::string& key_of(const std::string& actor) const
    {
        static const std::string NONE;
        auto it = m_keys.find(actor);
        return it == m_keys.end() ? NONE : it->second;
    }
    size_t count() const { return m_keys.size(); }
    double waited() const { return m_waited; }

private:
    const BookServices& m_services;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_keys;  // normalised lower-case actor -> key
    double m_waited = 0;                         // seconds, summed over the workers
};

} // namespace

bool TxidList::add(std::string_view text)
{
    if (text.size() != 64 || !core::is_hex64(text)) return false;
    std::string id = ascii_lower(text);
    if (!m_known.insert(id).second) return false;
    m_ids.push_back(std::move(id));
    return true;
}

bool list_oi_txids(TxidList& list, std::string& error, const BookServices& services)
{
    net::RegistryClient registry = services.registry();
    for (int offset = 0; offset < OI_MAX_IDS; offset += OI_PAGE) {
        net::Result<std::vector<std::string>> page = registry.oracle_txids(OI_NAME, OI_PAGE, offset, OI_TIMEOUT);
        if (!page) {
            if (page.failure == net::Failure::Answer) {
                error = "OI agoran returned no txids";
                return false;
            }
            if (offset == 0) {
                error = "OI agoran txids failed";
                return false;
            }
            return true;
        }
        bool added = false;
        for (const std::string& id : *page) added = list.add(id) || added;
        if (!added || page->size() < static_cast<size_t>(OI_PAGE)) return true;
    }
    return true;
}

void list_woc_txids(TxidList& list, bool oi_succeeded, const BookServices& services)
{
    static constexpr net::WocAddressList ORDER[] = {net::WocAddressList::UnconfirmedHistory, net::WocAddressList::Unspent,
                                                    net::WocAddressList::ConfirmedHistory, net::WocAddressList::History};
    net::WocClient woc = services.woc();
    size_t tries = oi_succeeded ? 2 : 4;
    for (size_t i = 0; i < tries; ++i) {
        net::Result<std::vector<std::string>> ids = woc.address_txids(services.oracle_address, ORDER[i], WOC_LIST_TIMEOUT);
        if (!ids) continue;
        for (const std::string& id : *ids) list.add(id);
        if (list.size() >= WOC_ENOUGH_IDS) return;
    }
}

bool fetch_tx(const std::string& txid, Json& out, const BookServices& services)
{
    out = Json();
    net::Result<Json> woc = services.woc().tx_json(txid, WOC_TX_TIMEOUT);
    if (woc && answer_names(*woc, txid)) out = std::move(*woc);
    if (net::chain_vout_count(out) < 2) {
        net::Result<Json> oi = services.registry().oi_tx_json(txid, OI_TX_TIMEOUT);
        if (oi && answer_names(*oi, txid) && net::chain_vout_count(*oi) > net::chain_vout_count(out)) {
            out = std::move(*oi);
        }
    }
    return net::chain_vout_count(out) >= 1;
}

LoadOptions default_load_options()
{
    LoadOptions options;
    options.own_listing_ids = bound_wallet_listing_ids();
    options.cache_dir = TxCache::default_dir();
    return options;
}

bool load_posts(std::vector<PostRecord>& posts, std::string& error)
{
    return load_posts(posts, error, default_load_options());
}

namespace {

bool load_posts_checked(std::vector<PostRecord>& posts, std::string& error, const LoadOptions& options)
{
    posts.clear();
    error.clear();
    LoadStats stats;
    const Clock::time_point start = Clock::now();
    const BookServices& services = options.services;

    // The transaction cache is read while the txid lists are fetched.
    std::optional<TxCache> cache;
    std::thread cache_reader;
    auto read_cache = [&cache, &stats] {
        const Clock::time_point cache_start = Clock::now();
        try {
            cache->load();
        } catch (...) {
            // Whatever was read is good; the rest is fetched.
        }
        stats.cache_seconds = seconds_since(cache_start);
    };
    if (options.cache_dir) {
        cache.emplace(*options.cache_dir);
        try {
            cache_reader = std::thread(read_cache);
        } catch (const std::system_error&) {
            read_cache();
        }
    }
    struct JoinCacheReader {
        std::thread& thread;
        ~JoinCacheReader()
        {
            if (thread.joinable()) thread.join();
        }
    } join_cache_reader{cache_reader};

    TxidList list;
    std::string oi_error;
    bool oi_ok = list_oi_txids(list, oi_error, services);
    list_woc_txids(list, oi_ok, services);
    for (const std::string& id : options.own_listing_ids) list.add(id);
    stats.txids = list.size();
    stats.gather_seconds = seconds_since(start);
    if (cache_reader.joinable()) cache_reader.join();
    if (list.empty() && !oi_ok) {
        error = oi_error.empty() ? "no agoran book (OI and WhatsOnChain miss)" : oi_error;
        if (options.stats) *options.stats = stats;
        return false;
    }

    // Transactions, posts, the checks that need only the post, and the identity key of every
    // actor met.
    const Clock::time_point fetch_start = Clock::now();
    std::vector<Found> found(list.size());
    ActorKeys keys(services);
    parallel_for(list.size(), [&](size_t i) {
        found[i] = examine(list.ids()[i], i, cache ? &*cache : nullptr, services);
        if (found[i].record) keys.meet(found[i].record->fields.actor);
    });
    std::unordered_map<std::string, CachedTx> fresh;
    for (size_t i = 0; i < found.size(); ++i) {
        stats.fetched += found[i].fetched;
        stats.from_cache += found[i].from_cache;
        stats.signatures_checked += found[i].signature_checked;
        if (found[i].to_cache) fresh.emplace(list.ids()[i], std::move(*found[i].to_cache));
    }
    stats.identities = keys.count();
    stats.identity_seconds = keys.waited();
    const Clock::time_point save_start = Clock::now();
    if (cache && !fresh.empty()) (void)cache->save(fresh);
    stats.save_seconds = seconds_since(save_start);
    stats.fetch_seconds = seconds_since(fetch_start);

    const Clock::time_point finish_start = Clock::now();
    posts.reserve(found.size());
    for (Found& f : found) {
        if (!f.record) continue;
        // identity_key_of answers compressed lower-case keys, the form of the signer's key.
        const std::string& published = keys.key_of(f.record->fields.actor);
        if (published.empty() || published != f.record->fields.signer) continue;
        posts.push_back(std::move(*f.record));
    }
    stats.replays_dropped = drop_replays(posts);
    // Records are large: order their positions, then move each once.
    std::vector<size_t> order(posts.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return book_order_less(posts[a], posts[b]); });
    std::vector<PostRecord> sorted;
    sorted.reserve(posts.size());
    for (size_t i : order) sorted.push_back(std::move(posts[i]));
    posts.swap(sorted);
    stats.posts = posts.size();
    stats.finish_seconds = seconds_since(finish_start);
    stats.total_seconds = seconds_since(start);
    if (options.stats) *options.stats = stats;
    return true;
}

} // namespace

bool load_posts(std::vector<PostRecord>& posts, std::string& error, const LoadOptions& options)
{
    try {
        return load_posts_checked(posts, error, options);
    } catch (...) {
        posts.clear();
        error = "could not load the book";
        return false;
    }
}

} // namespace book
