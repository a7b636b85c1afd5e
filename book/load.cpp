#include "book/load.h"
#include "core/market_clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "book/identity.h"
#include "book/own_listings.h"
#include "book/post_blob.h"
#include "book/proven_tx.h"
#include "book/replay.h"
#include "book/signing.h"
#include "core/hex.h"
#include "core/log.h"
#include "core/text.h"
#include "platform/atomic_file.h"
#include "platform/data_dir.h"
#include "wallet/parallel_loop.h"

namespace book {
namespace {

constexpr std::string_view OI_NAME = "agoran";
constexpr int OI_PAGE = 2000;
constexpr int OI_MAX_IDS = 20000;
constexpr int OI_TIMEOUT = 12;
constexpr int WOC_LIST_TIMEOUT = 8;
constexpr size_t WOC_ENOUGH_IDS = 400;
constexpr int WOC_TX_TIMEOUT = 10;
constexpr int WOC_BULK_TIMEOUT = 30;
constexpr size_t LOAD_THREADS = 8;  // the fan-outs' threads, the caller being one
constexpr int OI_TX_TIMEOUT = 4;
// Cached transactions are read in chunks of this many; a load with this many to fetch says so.
constexpr size_t CACHED_CHUNK = 64;
constexpr size_t PROGRESS_FROM = 100;

using Clock = std::chrono::steady_clock;
using State = ChainPosition::State;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What the services did during one load: whether any answered at all (with any HTTP status),
// and which have stopped answering, so that a load against a service that is down ends soon
// instead of asking it for every transaction.
class Contact {
public:
    enum Service { woc, registry, COUNT };
    static constexpr int GONE_AFTER = 3;  // requests in a row without an answer

    void saw(Service service, long status)
    {
        if (status != 0) {
            answered = true;
            m_misses[service] = 0;
        } else {
            ++m_misses[service];
        }
    }
    [[nodiscard]] bool gone(Service service) const { return m_misses[service] >= GONE_AFTER; }

    std::atomic<bool> answered{false};

private:
    std::atomic<int> m_misses[COUNT] = {};
};

// A transaction read for one txid: its bytes proven, and where the services said it stands.
struct ReadTx {
    tx::RawTx tx;
    std::string hex;
    ChainPosition position;
    bool from_cache = false;
    bool signature_known_good = false;  // a cached post: its signature verified when it was stored
};

// What the load found for one txid.
struct Found {
    std::optional<ReadTx> read;
    bool no_post = false;  // read, and nothing in it is a post the book can use
    bool refused = false;  // some service gave bytes that did not prove
    std::optional<PostRecord> record;
    bool signature_checked = false;
    bool failed = false;  // reading it threw: counted unread, never cached
};

ChainPosition position_of_height(const std::optional<int64_t>& height)
{
    if (!height) return {};
    return ChainPosition{State::Confirmed, *height};
}

std::optional<ReadTx> prove(const tx::Txid& txid, const net::RawTxAnswer& answer)
{
    if (answer.txid != txid) return std::nullopt;
    std::optional<tx::RawTx> raw = prove_raw_tx(txid.hex(), answer.hex);
    if (!raw) return std::nullopt;
    return ReadTx{std::move(*raw), answer.hex, answer.position};
}

// The index's copy, else WhatsOnChain's single answer: the first whose bytes prove.
std::optional<ReadTx> fetch_one(const tx::Txid& txid, const BookServices& services, const net::Deadline& deadline,
                                Contact& contact, bool& refused)
{
    if (!contact.gone(Contact::registry)) {
        net::Result<net::RawTxAnswer> oi = services.registry().oi_tx(txid, OI_TX_TIMEOUT, deadline);
        contact.saw(Contact::registry, oi.status);
        if (oi) {
            if (std::optional<ReadTx> read = prove(txid, *oi)) return read;
            refused = true;
        }
    }
    if (!contact.gone(Contact::woc)) {
        net::Result<std::string> woc = services.woc().tx_hex(txid, WOC_TX_TIMEOUT, deadline);
        contact.saw(Contact::woc, woc.status);
        if (woc) {
            if (std::optional<ReadTx> read = prove(txid, net::RawTxAnswer{txid, *woc, {}})) return read;
            refused = true;
        }
    }
    return std::nullopt;
}

// Reads the post of a proven transaction and runs the checks that need only the post.
void examine(const tx::Txid& txid, size_t seen, Found& found)
{
    ReadTx& read = *found.read;
    std::optional<Json> post = read_post(read.tx.outputs);
    if (!post) {
        found.no_post = true;
        return;
    }
    if (!read.signature_known_good) {
        found.signature_checked = true;
        if (!verify_post_signature(*post)) {
            found.no_post = true;
            return;
        }
    }
    int64_t time = post_number(*post, "ts");
    if (time <= 0 || !book_post_names_signer(*post) || !post_blob_matches(*post)) {
        found.no_post = true;
        return;
    }
    found.record = make_post_record(txid, std::move(*post), read_tx_outputs(read.tx), time, seen);
    found.record->position = read.position;
}

// The identity keys of the actors met while the transactions are read. The first worker that
// meets an actor asks the registry (through the process-wide cache) and the others go on, so
// the lookups overlap the fetches instead of waiting for them.
class ActorKeys {
public:
    ActorKeys(const BookServices& services, net::Deadline deadline, Contact& contact)
        : m_services(services), m_deadline(deadline), m_contact(contact)
    {
    }

    void meet(const std::string& actor)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_keys.emplace(actor, std::nullopt).second) return;
        }
        if (m_contact.gone(Contact::registry)) return;
        const Clock::time_point start = Clock::now();
        std::optional<std::string> key = identity_key_lookup(actor, m_services, m_deadline);
        m_contact.saw(Contact::registry, key ? 200 : 0);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_keys[actor] = std::move(key);
        m_waited += seconds_since(start);
    }

    // Once every worker is done: the key published for the actor, "" when none, nullopt when
    // the registry did not answer.
    [[nodiscard]] std::optional<std::string> key_of(const std::string& actor) const
    {
        auto it = m_keys.find(actor);
        return it == m_keys.end() ? std::nullopt : it->second;
    }
    [[nodiscard]] size_t count() const { return m_keys.size(); }
    [[nodiscard]] double waited() const { return m_waited; }

private:
    const BookServices& m_services;
    net::Deadline m_deadline;
    Contact& m_contact;
    std::mutex m_mutex;
    std::map<std::string, std::optional<std::string>> m_keys;  // normalised lower-case actor -> key
    double m_waited = 0;                                       // seconds, summed over the workers
};

net::Deadline deadline_in(double seconds)
{
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// The time of the last complete load kept in the status file; 0 when none.
int64_t read_last_complete(const std::optional<std::filesystem::path>& file)
{
    if (!file) return 0;
    std::ifstream in(*file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::optional<Json> doc = core::parse_json(text);
    return doc ? std::max<int64_t>(core::json_int64(*doc, "last_complete", 0), 0) : 0;
}

void write_last_complete(const std::optional<std::filesystem::path>& file, int64_t when)
{
    if (!file) return;
    std::error_code ec;
    std::filesystem::create_directories(file->parent_path(), ec);
    (void)platform::write_file_atomic(*file, core::json_dump_file(Json{{"last_complete", when}}));
}

} // namespace

BookResult<void> list_oi_txids(TxidList& list, const BookServices& services, const net::Deadline& deadline,
                               ListReport* report)
{
    ListReport local;
    ListReport& r = report ? *report : local;
    r.whole = false;
    net::RegistryClient registry = services.registry();
    for (int offset = 0; offset < OI_MAX_IDS; offset += OI_PAGE) {
        net::Result<net::TxidPage> page = registry.oracle_txids(OI_NAME, OI_PAGE, offset, OI_TIMEOUT, deadline);
        if (page.status != 0) r.answered = true;
        if (!page) {
            if (page.failure == net::Failure::Answer) return BookError(BookCode::IndexNotTxids);
            if (offset == 0) return BookError(BookCode::IndexFailed);
            return {};
        }
        bool added = false;
        for (const tx::Txid& id : page->txids) added = list.add(id) || added;
        if (!added || page->entries < static_cast<size_t>(OI_PAGE)) {
            r.whole = true;
            return {};
        }
    }
    r.whole = true;
    return {};
}

void list_woc_txids(TxidList& list, bool oi_succeeded, const BookServices& services, const net::Deadline& deadline,
                    ListReport* report)
{
    static constexpr net::WocAddressList ORDER[] = {net::WocAddressList::UnconfirmedHistory, net::WocAddressList::Unspent,
                                                    net::WocAddressList::ConfirmedHistory, net::WocAddressList::History};
    net::WocClient woc = services.woc();
    size_t tries = oi_succeeded ? 2 : 4;
    for (size_t i = 0; i < tries; ++i) {
        net::Result<std::vector<tx::Txid>> ids = woc.address_txids(services.oracle_address, ORDER[i], WOC_LIST_TIMEOUT, deadline);
        if (ids.status != 0 && report) report->answered = true;
        // No answer at all: the service cannot be reached, and its other lists neither.
        if (!ids && ids.status == 0) return;
        if (!ids) continue;
        for (const tx::Txid& id : *ids) list.add(id);
        if (list.size() >= WOC_ENOUGH_IDS) return;
    }
}

std::string shortfall_text(const LoadStatus& status)
{
    if (status.complete) return "";
    if (status.offline) return "offline";
    auto posts = [](size_t n) { return std::to_string(n) + (n == 1 ? " post" : " posts") + " not read yet"; };
    if (!status.index_whole) {
        std::string text = "the market's services are busy; the list of posts could not be read";
        if (status.unread > 0) text += ", and " + posts(status.unread);
        return text;
    }
    return "the market's services are busy; " + posts(status.unread);
}

LoadOptions default_load_options(const BookServices& services)
{
    LoadOptions options;
    options.services = services;
    if (services.wallet) options.own_listing_ids = bound_wallet_listing_ids(*services.wallet);
    options.cache_dir = TxCache::default_dir();
    options.status_file = platform::data_dir() / "agoran" / "book_state.json";
    return options;
}

BookResult<std::vector<PostRecord>> load_posts(const LoadOptions& options)
{
    LoadStatus status;
    return load_posts(status, options);
}

namespace {

BookResult<std::vector<PostRecord>> load_posts_checked(LoadStatus& status, const LoadOptions& options)
{
    LoadStats stats;
    const Clock::time_point start = Clock::now();
    const BookServices& services = options.services;
    Contact contact;
    auto finish = [&](bool complete) {
        status.complete = complete;
        status.offline = !complete && !contact.answered;
        status.loaded_at = core::system_seconds();
        if (complete) {
            status.last_complete = status.loaded_at;
            write_last_complete(options.status_file, status.loaded_at);
        } else {
            status.last_complete = read_last_complete(options.status_file);
        }
        stats.unread = status.unread;
        stats.total_seconds = seconds_since(start);
        if (options.stats) *options.stats = stats;
    };

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
        cache.emplace(*options.cache_dir, options.cache_max_bytes);
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

    const net::Deadline list_deadline = deadline_in(options.time_budget_seconds);
    TxidList list;
    ListReport lists;
    const BookResult<void> oi = list_oi_txids(list, services, list_deadline, &lists);
    list_woc_txids(list, oi.ok(), services, list_deadline, &lists);
    if (lists.answered) contact.answered = true;
    for (const tx::Txid& id : options.own_listing_ids) list.add(id);
    status.index_whole = oi.ok() && lists.whole;
    stats.txids = list.size();
    stats.gather_seconds = seconds_since(start);
    if (cache_reader.joinable()) cache_reader.join();
    if (list.empty() && !oi.ok()) {
        finish(false);
        return oi.error();
    }

    // Transactions: the cache first (proven again), then WhatsOnChain in bulk, then one by one
    // from the index or WhatsOnChain.
    const Clock::time_point fetch_start = Clock::now();
    const std::vector<tx::Txid>& ids = list.ids();
    std::vector<Found> found(ids.size());
    CacheUpdate update;
    std::mutex update_mutex;
    std::vector<size_t> missing;
    // An entry whose reading threw is fetched again like one the cache lacks.
    const std::vector<size_t> cache_failed = wallet::parallel_for(ids.size(), LOAD_THREADS, [&](size_t i) {
        const CachedTx* cached = cache ? cache->find(ids[i]) : nullptr;
        if (!cached) return;
        if (!cached->has_post()) {
            found[i].no_post = true;
            return;
        }
        if (std::optional<tx::RawTx> raw = prove_raw_tx(ids[i].hex(), cached->hex)) {
            found[i].read = ReadTx{std::move(*raw), cached->hex, position_of_height(cached->height), true, true};
            return;
        }
        std::lock_guard<std::mutex> lock(update_mutex);
        update.damaged.insert(ids[i]);
    });
    for (size_t i : cache_failed) found[i] = Found{};
    for (size_t i = 0; i < ids.size(); ++i) {
        if (!found[i].read && !found[i].no_post) missing.push_back(i);
    }
    stats.from_cache = ids.size() - missing.size();

    const double woc_pace = services.config->pace.woc;
    const size_t planned = (missing.size() + net::WOC_BULK_TXIDS - 1) / net::WOC_BULK_TXIDS;
    const net::Deadline fetch_deadline =
        deadline_in(options.time_budget_seconds + (woc_pace > 0 ? static_cast<double>(planned) / woc_pace : 0.0));
    if (missing.size() >= PROGRESS_FROM) core::log_progress("Reading " + std::to_string(missing.size()) + " posts of the book...");

    // Each transaction's post is read, and its signer's key asked, as soon as the transaction
    // is in hand: the registry's answers overlap the waits for WhatsOnChain's pace.
    ActorKeys keys(services, fetch_deadline, contact);
    auto take_in = [&](size_t i) {
        if (!found[i].read) return;
        examine(ids[i], i, found[i]);
        if (found[i].record) keys.meet(found[i].record->fields.actor);
    };
    std::vector<size_t> cached;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (found[i].read) cached.push_back(i);
    }
    std::vector<std::vector<size_t>> tasks;  // the cached ones in chunks, then the bulk requests
    for (size_t at = 0; at < cached.size(); at += CACHED_CHUNK) {
        tasks.emplace_back(cached.begin() + static_cast<std::ptrdiff_t>(at),
                           cached.begin() + static_cast<std::ptrdiff_t>(std::min(cached.size(), at + CACHED_CHUNK)));
    }
    const size_t first_batch = tasks.size();
    for (size_t at = 0; at < missing.size(); at += net::WOC_BULK_TXIDS) {
        tasks.emplace_back(missing.begin() + static_cast<std::ptrdiff_t>(at),
                           missing.begin() + static_cast<std::ptrdiff_t>(std::min(missing.size(), at + net::WOC_BULK_TXIDS)));
    }
    net::WocClient woc = services.woc();
    const std::vector<size_t> failed_tasks = wallet::parallel_for(tasks.size(), LOAD_THREADS, [&](size_t t) {
        if (t >= first_batch && !contact.gone(Contact::woc)) {
            std::vector<tx::Txid> batch_ids;
            for (size_t i : tasks[t]) batch_ids.push_back(ids[i]);
            net::Result<std::vector<net::RawTxAnswer>> answers = woc.txs_hex(batch_ids, fetch_deadline, WOC_BULK_TIMEOUT);
            contact.saw(Contact::woc, answers.status);
            for (size_t i : tasks[t]) {
                if (!answers) break;
                for (const net::RawTxAnswer& answer : *answers) {
                    if (answer.txid != ids[i]) continue;
                    if ((found[i].read = prove(ids[i], answer))) break;
                    found[i].refused = true;
                }
            }
        }
        for (size_t i : tasks[t]) take_in(i);
    });
    for (size_t t : failed_tasks) {
        for (size_t i : tasks[t]) found[i].failed = true;
    }
    const std::vector<size_t> fetch_failed = wallet::parallel_for(missing.size(), LOAD_THREADS, [&](size_t m) {
        size_t i = missing[m];
        if (found[i].read || found[i].failed) return;
        bool refused = false;
        found[i].read = fetch_one(ids[i], services, fetch_deadline, contact, refused);
        found[i].refused = found[i].refused || refused;
        take_in(i);
    });
    for (size_t m : fetch_failed) found[missing[m]].failed = true;
    for (size_t i = 0; i < found.size(); ++i) {
        const Found& f = found[i];
        stats.refused += f.refused;
        stats.signatures_checked += f.signature_checked;
        if (f.failed || (!f.read && !f.no_post)) {
            ++status.unread;
            continue;
        }
        if (!f.read || f.read->from_cache) continue;
        ++stats.fetched;
        CachedTx entry;
        if (f.record) {
            entry.hex = f.read->hex;
            if (f.read->position.state == State::Confirmed) entry.height = f.read->position.height;
        }
        update.fresh.emplace(ids[i], std::move(entry));
    }
    stats.identities = keys.count();
    stats.identity_seconds = keys.waited();

    const Clock::time_point finish_start = Clock::now();
    std::vector<PostRecord> posts;
    posts.reserve(found.size());
    for (Found& f : found) {
        if (!f.record || f.failed) continue;
        // identity_key_lookup answers compressed lower-case keys, the form of the signer's key.
        std::optional<std::string> published = keys.key_of(f.record->fields.actor);
        if (!published) {
            ++status.unread;
            continue;
        }
        if (published->empty() || *published != f.record->fields.signer) {
            update.unkeyed.insert(f.record->txid);
            continue;
        }
        posts.push_back(std::move(*f.record));
    }

    // Copies of one envelope: the first on chain stays. Where a copy stands is asked only when
    // no answer so far said.
    std::vector<tx::Txid> to_place = replays_to_place(posts);
    if (!to_place.empty()) {
        std::map<tx::Txid, ChainPosition> placed;
        std::mutex placed_mutex;
        // A copy whose place could not be asked keeps the place its first answer gave.
        const std::vector<size_t> unplaced = wallet::parallel_for(to_place.size(), LOAD_THREADS, [&](size_t i) {
            if (contact.gone(Contact::woc)) return;
            net::Result<net::ChainTx> answer = woc.tx(to_place[i], WOC_TX_TIMEOUT, fetch_deadline);
            contact.saw(Contact::woc, answer.status);
            if (!answer) return;
            ChainPosition position{answer->confirmed ? State::Confirmed : State::Unconfirmed, answer->block_height};
            std::lock_guard<std::mutex> lock(placed_mutex);
            placed[to_place[i]] = position;
        });
        if (!unplaced.empty()) core::log_warning("The place on chain of some copied posts could not be asked.");
        for (PostRecord& record : posts) {
            auto it = placed.find(record.txid);
            if (it == placed.end()) continue;
            record.position = it->second;
            if (record.position.state == State::Confirmed && cache) {
                // Kept with its height, so that the next load need not ask again.
                const CachedTx* cached = cache->find(record.txid);
                auto fresh = update.fresh.find(record.txid);
                CachedTx entry = fresh != update.fresh.end() ? fresh->second : cached ? *cached : CachedTx{};
                if (!entry.has_post()) continue;
                entry.height = record.position.height;
                update.fresh.insert_or_assign(record.txid, std::move(entry));
            }
        }
        status.unread += withhold_unplaced_replays(posts);
    }
    stats.replays_dropped = drop_replays(posts);

    const Clock::time_point save_start = Clock::now();
    if (cache && (!update.fresh.empty() || !update.damaged.empty())) (void)cache->save(update);
    stats.save_seconds = seconds_since(save_start);
    stats.fetch_seconds = seconds_since(fetch_start);

    // Records are large: order their positions, then move each once.
    std::vector<size_t> order(posts.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return book_order_less(posts[a], posts[b]); });
    std::vector<PostRecord> sorted;
    sorted.reserve(posts.size());
    for (size_t i : order) sorted.push_back(std::move(posts[i]));
    stats.posts = sorted.size();
    stats.finish_seconds = seconds_since(finish_start);
    finish(status.index_whole && status.unread == 0);
    return sorted;
}

} // namespace

BookResult<std::vector<PostRecord>> load_posts(LoadStatus& status, const LoadOptions& options)
{
    status = LoadStatus{};
    try {
        return load_posts_checked(status, options);
    } catch (...) {
        status = LoadStatus{};
        status.loaded_at = core::system_seconds();
        return BookError(BookCode::LoadFailed);
    }
}

} // namespace book
