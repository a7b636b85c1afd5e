// Speed of the book at the size a real market reaches: a simulator book of 2,000 and of 20,000
// signed posts from 300 identities, loaded through the real loader, on the local machine
// (second argument 0) or under the simulator's wan profile (1: about 100 ms a request, and
// WhatsOnChain serving 3 requests a second, 429 beyond).
//
//   ColdLoad      every transaction fetched, every signature and identity key checked
//   WarmReload    the reload the main window makes every 30 s: transaction cache on disk,
//                 identity keys still cached in the process
//   WarmRestart   the first load after a restart: transaction cache on disk, identity keys
//                 asked again
//   Reduce        reduction alone, on the loaded posts
//   Verify        signature and key checks alone, keys known
//
// Counters: requests made per load, split by kind, and "lost": posts of the book the load did
// not hand on. The simulator is started from the build tree (or AGORAN_DEVNET) on a free port,
// filled once per size, and stopped at exit.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <random>

#include "book/identity.h"
#include "book/load.h"
#include "book/reduce.h"
#include "book/replay.h"
#include "book/signing.h"
#include "core/base58.h"
#include "core/hex.h"
#include "core/key.h"
#include "core/message.h"
#include "net/http_client.h"
#include "net/json_reply.h"
#include "net/market_addresses.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "wallet/parallel_loop.h"

namespace {

using book::Json;

// Process CPU seconds (every thread) of the last load.
double g_load_cpu = 0;

// Counts every request by kind, then asks the real client.
class CountingHttp final : public net::Http {
public:
    net::JsonReply get_json(const std::string& url, int timeout_seconds) override
    {
        count(url);
        return m_real.get_json(url, timeout_seconds);
    }
    net::HttpReply get(const std::string& url, const net::GetOptions& options) override
    {
        count(url);
        return m_real.get(url, options);
    }
    net::HttpReply post_json(const std::string& url, const std::string& body, const net::PostOptions& options) override
    {
        count(url);
        return m_real.post_json(url, body, options);
    }
    void reset()
    {
        tx = oi_pages = identity = lists = other = 0;
    }
    std::atomic<int64_t> tx{0}, oi_pages{0}, identity{0}, lists{0}, other{0};

private:
    void count(const std::string& url)
    {
        if (url.find("/tx/") != std::string::npos || url.find("/txs/") != std::string::npos) {
            ++tx;
        } else if (url.find("/oi/oracle/") != std::string::npos) {
            ++oi_pages;
        } else if (url.find("/bsvalias/") != std::string::npos) {
            ++identity;
        } else if (url.find("/address/") != std::string::npos) {
            ++lists;
        } else {
            ++other;
        }
    }
    net::CurlHttp m_real;
};

struct Trader {
    std::string priv;
    std::string pub;
    std::string handle;
};

core::Bytes p2pkh(std::string_view address)
{
    return tx::p2pkh_script(core::hash160_from_address(address).value());
}

// One simulator with one book of a given size.
class BenchBook {
public:
    static BenchBook& of(size_t posts)
    {
        static std::mutex mutex;
        static std::map<size_t, std::unique_ptr<BenchBook>> books;
        std::lock_guard<std::mutex> lock(mutex);
        auto& slot = books[posts];
        if (!slot) slot = std::make_unique<BenchBook>(posts);
        return *slot;
    }

    explicit BenchBook(size_t posts) : m_size(posts)
    {
        // AGORAN_BOOK_BENCH_DIR keeps the simulator's state between runs (filled once).
        std::string keep = platform::get_env("AGORAN_BOOK_BENCH_DIR").value_or("");
        std::random_device seed;
        m_keep = !keep.empty();
        m_root = m_keep ? std::filesystem::path(keep) / std::to_string(posts)
                        : std::filesystem::temp_directory_path() /
                              ("agoran-book-bench-" + std::to_string(posts) + "-" + std::to_string(seed()));
        std::filesystem::create_directories(m_root / "state");
        start();
        if (!std::filesystem::exists(m_root / "filled")) {
            fill(posts);
            std::ofstream(m_root / "filled") << posts << "\n";
        }
        auto config = std::make_shared<net::ServiceConfig>();
        config->woc_api = m_base + "/woc/v1/bsv/main";
        config->ordinals_api = m_base + "/ordinals/api";
        config->ordinals_content = m_base + "/ordinals";
        config->registry = m_base + "/registry";
        services.config = config;
        services.http = &http;
        services.caches = &caches;
        services.oracle_address = std::string(net::BOOK_ORACLE_ADDRESS);
        services.house_fee_address = std::string(net::HOUSE_FEE_ADDRESS);
    }

    ~BenchBook()
    {
        if (m_devnet) m_devnet->stop();
        std::error_code ec;
        if (!m_keep) std::filesystem::remove_all(m_root, ec);
    }

    book::LoadOptions options(bool cached, book::LoadStats* stats)
    {
        book::LoadOptions o;
        o.services = services;
        if (cached) o.cache_dir = m_root / "tx_cache";
        o.stats = stats;
        return o;
    }

    // The wan profile's faults and WhatsOnChain's pace, or neither.
    void set_wan(bool wan)
    {
        auto config = std::make_shared<net::ServiceConfig>(*services.config);
        config->pace = net::ServicePaces{wan ? 3.0 : 0.0, 0, 0, 0};
        net::register_service_access(*config);
        services.config = config;
        if (!wan) {
            admin("faults/clear", Json::object());
            return;
        }
        for (const char* service : {"woc", "ordinals", "arc", "registry"}) {
            Json fault = {{"service", service}, {"delay_ms", 100}};
            if (std::string(service) == "woc") fault["rate_per_second"] = 3;
            admin("fault", fault);
        }
    }

    size_t size() const { return m_size; }

    void clear_cache()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root / "tx_cache", ec);
    }

    CountingHttp http;
    book::Caches caches;
    book::BookServices services;

private:
    void start()
    {
        std::filesystem::path binary = platform::get_env("AGORAN_DEVNET").value_or("");
        if (binary.empty()) binary = platform::executable_path().parent_path().parent_path() / "devnet" / "agoran-devnet";
        m_devnet = platform::ChildProcess::start(binary, {"--port", "0", "--state", (m_root / "state").string()});
        if (!m_devnet) {
            std::fprintf(stderr, "cannot start %s\n", binary.string().c_str());
            std::exit(1);
        }
        std::optional<std::string> line = m_devnet->read_line(std::chrono::seconds(20));
        if (!line || line->rfind("http://", 0) != 0) {
            std::fprintf(stderr, "the simulator did not start\n");
            std::exit(1);
        }
        m_base = *line;
    }

    void admin(const std::string& path, const Json& body)
    {
        std::string answer, error;
        if (!net::http_post_json(m_base + "/admin/" + path, body.dump(), answer, error, 30)) {
            std::fprintf(stderr, "admin %s failed: %s %s\n", path.c_str(), error.c_str(), answer.c_str());
            std::exit(1);
        }
        m_last_answer = answer;
    }

    Json sign(Json post, const Trader& who, int64_t ts)
    {
        post["protocol"] = "TV-Agoran";
        post["location"] = "agoran";
        post["handle"] = who.handle;
        post["actor"] = who.handle;
        post["paymail"] = who.handle + "@" + std::string(net::DEFAULT_REGISTRY_DOMAIN);
        post["ts"] = ts;
        post["pubkey"] = who.pub;
        post["sig"] = core::sign_message_plain(book::signing_string(post), who.priv).value_or("");
        return post;
    }

    std::string publish(const Json& post, uint64_t nonce)
    {
        tx::RawTx raw;
        tx::RawTxInput input;
        for (int i = 0; i < 8; ++i) input.prev_hash[i] = static_cast<uint8_t>(nonce >> (8 * i));
        input.prev_hash[31] = 0xbe;
        input.script_sig = {0x51};
        raw.inputs.push_back(input);
        if (post["type"] == "ag_list") raw.outputs.push_back({1'000'000, p2pkh(net::HOUSE_FEE_ADDRESS)});
        raw.outputs.push_back({1, p2pkh(net::BOOK_ORACLE_ADDRESS)});
        raw.outputs.push_back({0, tx::data_carrier_script(core::as_bytes(post.dump()))});
        raw.outputs.push_back({25'000, p2pkh(net::HOUSE_FEE_ADDRESS)});
        admin("import", Json{{"hex", core::hex_encode(tx::serialize_raw_tx(raw))}});
        return core::parse_json(m_last_answer).value_or(Json::object()).value("txid", "");
    }

    // A market: listings, offers on them, fills, cancels and withdrawn offers.
    void fill(size_t count)
    {
        std::vector<Trader> traders;
        for (unsigned i = 0; i < 300; ++i) {
            char priv[65];
            std::snprintf(priv, sizeof priv, "%064x", 0x1000 + i);
            Trader t{priv, core::pubkey_from_privkey(priv).value_or(""), "trader" + std::to_string(i)};
            admin("identity", Json{{"handle", t.handle}, {"pubkey", t.pub}});
            traders.push_back(t);
        }
        std::mt19937_64 rng(42);
        std::vector<std::pair<std::string, size_t>> listings;  // id, seller
        std::vector<std::string> offers;
        int64_t ts = 1'700'000'000;
        for (size_t n = 0; n < count; ++n) {
            ++ts;
            uint64_t roll = rng() % 10;
            size_t who = rng() % traders.size();
            Json post;
            if (listings.empty() || roll < 4) {
                post = {{"type", "ag_list"}, {"origin", core::hex_encode(core::as_bytes("token-" + std::to_string(rng() % 40))).substr(0, 20)},
                        {"kind", "bsv21"}, {"utxo", std::string(60, 'a') + std::to_string(n) + "_1"},
                        {"qty", std::to_string(1 + rng() % 100000)}, {"price_sats", 1000 + rng() % 100'000'000},
                        {"note", "lot " + std::to_string(n)}, {"exp", ts + 2'419'200},
                        {"pay_addr", std::string(net::HOUSE_FEE_ADDRESS)}, {"ord_addr", std::string(net::HOUSE_FEE_ADDRESS)}};
                std::string id = publish(sign(post, traders[who], ts), n);
                listings.emplace_back(id, who);
                continue;
            }
            auto& [listing, seller] = listings[rng() % listings.size()];
            if (roll < 7) {
                post = {{"type", "ag_buy"}, {"listing", listing}, {"qty", "1"}, {"pay_sats", 5000},
                        {"buyer_ord", std::string(net::HOUSE_FEE_ADDRESS)}, {"offer", std::string(400, '0')}};
                offers.push_back(publish(sign(post, traders[who], ts), n));
                continue;
            }
            if (roll == 7) {
                post = {{"type", "ag_fill"}, {"listing", listing}, {"qty", "5"}, {"sold", "1"},
                        {"utxo", std::string(60, 'b') + std::to_string(n) + "_1"}, {"pay_sats", 5000}, {"buyer", "x"}};
                who = seller;
            } else if (roll == 8) {
                post = {{"type", "ag_cancel"}, {"listing", listing}};
                who = seller;
            } else {
                post = {{"type", "ag_offer_cancel"}, {"listing", listing},
                        {"offer", offers.empty() ? std::string(64, '0') : offers[rng() % offers.size()]}};
            }
            publish(sign(post, traders[who], ts), n);
        }
        admin("mine", Json{{"blocks", 1}});
    }

    size_t m_size = 0;
    std::filesystem::path m_root;
    bool m_keep = false;
    std::unique_ptr<platform::ChildProcess> m_devnet;
    std::string m_base;
    std::string m_last_answer;
};

void report(benchmark::State& state, BenchBook& b, const book::LoadStats& stats)
{
    state.counters["posts"] = static_cast<double>(stats.posts);
    state.counters["lost"] = static_cast<double>(b.size() - std::min(b.size(), stats.posts));
    state.counters["unread"] = static_cast<double>(stats.unread);
    state.counters["cpu_s"] = g_load_cpu;
    state.counters["req_tx"] = static_cast<double>(b.http.tx);
    state.counters["req_oi_pages"] = static_cast<double>(b.http.oi_pages);
    state.counters["req_identity"] = static_cast<double>(b.http.identity);
    state.counters["req_woc_lists"] = static_cast<double>(b.http.lists);
    state.counters["req_other"] = static_cast<double>(b.http.other);
    state.counters["fetch_s"] = stats.fetch_seconds;
    state.counters["identity_s"] = stats.identity_seconds;
    state.counters["gather_s"] = stats.gather_seconds;
    state.counters["cache_s"] = stats.cache_seconds;
    state.counters["save_s"] = stats.save_seconds;
    state.counters["finish_s"] = stats.finish_seconds;
}

std::vector<book::PostRecord> load_or_die(BenchBook& b, bool cached, book::LoadStats* stats)
{
    std::clock_t start = std::clock();
    book::BookResult<std::vector<book::PostRecord>> posts = book::load_posts(b.options(cached, stats));
    if (!posts) {
        std::fprintf(stderr, "load failed: %s\n", book::error_text(posts.error()).c_str());
        std::exit(1);
    }
    g_load_cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    return std::move(posts).value();
}

void BM_ColdLoad(benchmark::State& state)
{
    BenchBook& b = BenchBook::of(static_cast<size_t>(state.range(0)));
    b.set_wan(state.range(1) != 0);
    book::LoadStats stats;
    for (auto _ : state) {
        state.PauseTiming();
        b.caches.clear_identities();
        b.clear_cache();
        b.http.reset();
        state.ResumeTiming();
        benchmark::DoNotOptimize(load_or_die(b, /*cached=*/true, &stats));
    }
    report(state, b, stats);
}

void BM_WarmReload(benchmark::State& state)
{
    BenchBook& b = BenchBook::of(static_cast<size_t>(state.range(0)));
    b.set_wan(state.range(1) != 0);
    book::LoadStats stats;
    load_or_die(b, true, &stats);  // fills the cache and the identity keys
    for (auto _ : state) {
        b.http.reset();
        benchmark::DoNotOptimize(load_or_die(b, true, &stats));
    }
    report(state, b, stats);
}

void BM_WarmRestart(benchmark::State& state)
{
    BenchBook& b = BenchBook::of(static_cast<size_t>(state.range(0)));
    b.set_wan(state.range(1) != 0);
    book::LoadStats stats;
    load_or_die(b, true, &stats);
    for (auto _ : state) {
        state.PauseTiming();
        b.caches.clear_identities();
        b.http.reset();
        state.ResumeTiming();
        benchmark::DoNotOptimize(load_or_die(b, true, &stats));
    }
    report(state, b, stats);
}

void BM_Reduce(benchmark::State& state)
{
    BenchBook& b = BenchBook::of(static_cast<size_t>(state.range(0)));
    b.set_wan(false);
    book::LoadStats stats;
    std::vector<book::PostRecord> posts = load_or_die(b, true, &stats);
    book::ReduceContext context;
    context.house_fee_address = b.services.house_fee_address;
    context.oracle_address = b.services.oracle_address;
    std::map<tx::Txid, book::Listing> listings;
    for (auto _ : state) {
        state.PauseTiming();
        listings = {};  // the previous result is dropped outside the timing
        state.ResumeTiming();
        book::reduce_book(posts, context, listings);
        benchmark::DoNotOptimize(listings);
    }
    state.counters["posts"] = static_cast<double>(posts.size());
    state.counters["listings"] = static_cast<double>(listings.size());
}

void BM_Verify(benchmark::State& state)
{
    BenchBook& b = BenchBook::of(static_cast<size_t>(state.range(0)));
    b.set_wan(false);
    book::LoadStats stats;
    std::vector<book::PostRecord> posts = load_or_die(b, true, &stats);
    std::map<std::string, std::string> keys;
    for (const auto& p : posts) keys[book::post_string(p.post, "actor")] = book::post_pubkey(p.post);
    book::IdentityKeyLookup lookup = [&](std::string_view handle) { return keys[std::string(handle)]; };
    size_t good = 0;
    for (auto _ : state) {
        good = 0;
        for (const auto& p : posts) good += book::verify_post(p.post, lookup);
    }
    state.counters["posts"] = static_cast<double>(posts.size());
    state.counters["verified"] = static_cast<double>(good);
}

// The 300 identity look-ups alone, made one after another (1) or on the book's eight threads (8).
// Each request opens a new connection, so this also measures how well the simulator takes a
// burst of eight connects: with a short listen queue some are dropped and the kernel sends them
// again only a second later (ListenOverflows and TCPSynRetrans in /proc/net/netstat).
void BM_IdentityLookups(benchmark::State& state)
{
    BenchBook& b = BenchBook::of(2000);
    b.set_wan(false);
    const bool parallel = state.range(0) > 1;
    size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.caches.clear_identities();
        b.http.reset();
        std::atomic<size_t> keys{0};
        state.ResumeTiming();
        auto look_up = [&](size_t i) { keys += !book::identity_key_of("trader" + std::to_string(i), b.services).empty(); };
        if (parallel) {
            if (!wallet::parallel_for(300, 8, look_up).empty()) state.SkipWithError("a look-up threw");
        } else {
            for (size_t i = 0; i < 300; ++i) look_up(i);
        }
        found = keys;
    }
    state.counters["keys"] = static_cast<double>(found);
    state.counters["req_identity"] = static_cast<double>(b.http.identity);
}

BENCHMARK(BM_ColdLoad)->Args({2000, 0})->Args({20000, 0})->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColdLoad)->Args({2000, 1})->Args({20000, 1})->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WarmReload)->Args({2000, 0})->Args({20000, 0})->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WarmRestart)->Args({2000, 0})->Args({20000, 0})->Args({2000, 1})->Args({20000, 1})->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdentityLookups)->Arg(1)->Arg(8)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Reduce)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Verify)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
