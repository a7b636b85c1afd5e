#include "book/load.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "book/book_view.h"
#include "book/history.h"
#include "book/identity.h"
#include "book/tx_cache.h"
#include "tests/book/devnet_book.h"
#include "tests/support/temp_dir.h"

namespace load_test {

using book::Json;
using book::PostRecord;
using booktest::sign;
using State = net::ChainPosition::State;

const booktest::Trader ALICE = booktest::trader(51, "alice");
const booktest::Trader BOB = booktest::trader(52, "bob");
const booktest::Trader NOBODY = booktest::trader(53, "nobody");  // never registered

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The bytes of all files under a folder.
uintmax_t folder_bytes(const std::filesystem::path& dir)
{
    uintmax_t total = 0;
    std::error_code ec;
    for (const auto& file : std::filesystem::recursive_directory_iterator(dir, ec)) {
        if (file.is_regular_file()) total += file.file_size();
    }
    return total;
}

class BookLoadTest : public booktest::BookDevnetTest {
protected:
    void SetUp() override
    {
        BookDevnetTest::SetUp();
        devnet().set_identity("alice", ALICE.pub);
        devnet().set_identity("bob", BOB.pub);
    }

    book::LoadOptions options(bool cached = false)
    {
        book::LoadOptions o;
        o.services = m_services;
        if (cached) o.cache_dir = cache_dir();
        o.status_file = m_temp.path() / "book_state.json";
        o.stats = &m_stats;
        o.time_budget_seconds = 20;
        return o;
    }
    std::filesystem::path cache_dir() const { return m_temp.path() / "tx_cache"; }

    // Loads, expecting success; m_status says whether the book was whole.
    std::vector<PostRecord> load(bool cached = false)
    {
        book::BookResult<std::vector<PostRecord>> posts = book::load_posts(m_status, options(cached));
        EXPECT_TRUE(posts.ok());
        return posts ? std::move(posts).value() : std::vector<PostRecord>{};
    }

    std::string publish(const Json& post) { return booktest::publish(devnet(), post); }

    static std::vector<std::string> txids(const std::vector<PostRecord>& posts)
    {
        std::vector<std::string> ids;
        for (const PostRecord& p : posts) ids.push_back(p.txid);
        return ids;
    }

    Json listing(const booktest::Trader& who, int64_t ts, uint64_t price = 1000)
    {
        return sign(booktest::listing_post("10", price, booktest::txid_of(0xa0) + "_1"), who, ts);
    }

    book::LoadStats m_stats;
    book::LoadStatus m_status;
    testsupport::TempDir m_temp;
};

TEST_F(BookLoadTest, LoadsVerifiedPostsInBookOrderAndDropsTheRest)
{
    const Json termed = booktest::listing_post("10", 1000, booktest::txid_of(0xa0) + "_1");
    std::string late = publish(sign(termed, ALICE, 3000, /*with_terms=*/true));
    std::string early = publish(listing(BOB, 1000));
    std::string same_a = publish(sign(Json{{"type", "ag_cancel"}, {"listing", late}}, ALICE, 2000));
    std::string same_b = publish(sign(Json{{"type", "ag_cancel"}, {"listing", early}}, BOB, 2000));
    publish(listing(NOBODY, 1500));                                       // no registered key
    publish(sign(booktest::listing_post("1", 1, "u_1"), ALICE, 0));       // "ts" 0
    Json no_ts = listing(ALICE, 1600);
    no_ts.erase("ts");
    publish(no_ts);                                                        // no "ts"
    Json forged = listing(BOB, 1700);
    forged["actor"] = "alice";                                             // signed as bob
    publish(forged);
    publish(sign(Json{{"type", "ag_list"}, {"handle", "bob"}}, ALICE, 1800));  // posts in bob's name
    Json altered = listing(ALICE, 1900);
    altered["pay_addr"] = booktest::OTHER_ADDRESS + "x";                  // signed member changed
    publish(altered);
    Json repriced = sign(termed, ALICE, 1950, true);
    repriced["price_sats"] = 1;                                            // its blob signs 1000
    publish(repriced);

    std::vector<PostRecord> posts = load();
    std::vector<std::string> expected = {early, std::min(same_a, same_b), std::max(same_a, same_b), late};
    EXPECT_EQ(txids(posts), expected);
    for (const PostRecord& p : posts) {
        EXPECT_GT(p.time, 0);
        EXPECT_EQ(p.outputs.count, p.fields.type == "ag_list" ? 4u : 3u);
        EXPECT_EQ(p.fields.signer, book::post_pubkey(p.post));
    }
    EXPECT_EQ(m_stats.identities, 3u);  // alice, bob and nobody (who has no key), once each
    EXPECT_EQ(m_http.count("/api/bsvalias/id/"), 3u);
    EXPECT_EQ(m_http.count("/txs/hex"), 1u);  // ten transactions, one bulk request
    EXPECT_TRUE(m_status.complete);
    EXPECT_EQ(m_status.unread, 0u);
    EXPECT_EQ(m_status.last_complete, m_status.loaded_at);
}

// Copies of one signed envelope: the first on chain stays, whichever list named a copy first.
TEST_F(BookLoadTest, ACopyNeverDisplacesAnOriginalBeforeItOnChain)
{
    std::string mine = publish(listing(ALICE, 1000));
    std::string other = publish(listing(ALICE, 1001));
    Json cancel = sign(Json{{"type", "ag_cancel"}, {"listing", mine}}, ALICE, 2000);
    std::string original = publish(cancel);
    devnet().mine();
    Json copy = cancel;
    copy["listing"] = other;
    std::string replay = booktest::publish_sorting_before(devnet(), copy, original);

    // The index fails and WhatsOnChain's unconfirmed history names the copy first.
    m_http.fail_where({"/oi/oracle/"});
    std::vector<std::string> ids = txids(load());
    EXPECT_EQ(ids, (std::vector<std::string>{mine, other, original}));
    EXPECT_EQ(m_stats.replays_dropped, 1u);
    EXPECT_FALSE(m_status.complete);  // the index did not answer

    // Mined later than the original, the copy still loses; mined first, it would win.
    devnet().mine();
    m_http.set_handler({});
    EXPECT_EQ(txids(load()), (std::vector<std::string>{mine, other, original}));

    // Neither mined: the order the lists gave; no service can tell where they stand: neither.
    std::string unmined = publish(sign(Json{{"type", "ag_cancel"}, {"listing", other}}, BOB, 3000));
    Json unmined_copy = sign(Json{{"type", "ag_cancel"}, {"listing", other}}, BOB, 3000);
    unmined_copy["note"] = "x";
    std::string second = publish(unmined_copy);
    ids = txids(load());
    EXPECT_EQ(std::count(ids.begin(), ids.end(), unmined) + std::count(ids.begin(), ids.end(), second), 1);
    m_http.fail_where({"/tx/" + unmined, "/tx/" + second});
    ids = txids(load());
    EXPECT_EQ(std::count(ids.begin(), ids.end(), unmined) + std::count(ids.begin(), ids.end(), second), 0);
    EXPECT_FALSE(m_status.complete);
    EXPECT_EQ(m_status.unread, 2u);
}

// An actor written with "@" and capitals is checked against its bare handle's key, once; a key
// the registry changed is not hidden by the cache once the identities are looked up again.
TEST_F(BookLoadTest, SignersAreCheckedAgainstTheKeyOfTheirBareHandle)
{
    booktest::Trader shouting = ALICE;
    shouting.handle = "@ALICE";
    Json post = booktest::listing_post("10", 1000, booktest::txid_of(0xa0) + "_1");
    post["handle"] = " Alice";  // the same name, written otherwise
    std::string id = publish(sign(post, shouting, 1000));
    EXPECT_EQ(txids(load(/*cached=*/true)), std::vector<std::string>{id});
    EXPECT_EQ(m_http.count("/api/bsvalias/id/alice@"), 1u);

    devnet().set_identity("alice", BOB.pub);
    m_caches.clear_identities();
    EXPECT_TRUE(load(/*cached=*/true).empty());
    EXPECT_TRUE(m_status.complete);  // read whole: the post is simply not alice's
}

TEST_F(BookLoadTest, TheListsAskedDependOnTheIndex)
{
    std::string id = publish(listing(ALICE, 1000));
    load();
    EXPECT_EQ(m_http.count("/address/"), 2u);
    EXPECT_EQ(m_http.count("/unconfirmed/history"), 1u);
    EXPECT_EQ(m_http.count("/oi/oracle/agoran/txids?limit=2000&offset=0"), 1u);

    m_http.clear();
    m_http.fail_where({"/oi/oracle/"});
    EXPECT_EQ(txids(load()), std::vector<std::string>{id});
    const std::string address = "/address/" + std::string(net::BOOK_ORACLE_ADDRESS);
    std::vector<std::string> lists;
    for (const std::string& url : m_http.urls()) {
        if (has(url, address)) lists.push_back(url.substr(url.find(address) + address.size()));
    }
    EXPECT_EQ(lists, (std::vector<std::string>{"/unconfirmed/history", "/unspent", "/confirmed/history", "/history"}));
    EXPECT_FALSE(m_status.complete);
    EXPECT_FALSE(m_status.index_whole);
    EXPECT_EQ(book::shortfall_text(m_status), "the market's services are busy; the list of posts could not be read");
}

TEST_F(BookLoadTest, AnEmptyBookIsWholeAndNoSourceAtAllIsOffline)
{
    EXPECT_TRUE(load().empty());
    EXPECT_TRUE(m_status.complete);
    const int64_t whole_at = m_status.loaded_at;

    devnet().fault("registry", Json{{"down", true}});
    devnet().fault("woc", Json{{"down", true}});
    book::BookResult<std::vector<PostRecord>> failed = book::load_posts(m_status, options());
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().code, book::BookCode::IndexFailed);
    EXPECT_FALSE(m_status.complete);
    EXPECT_TRUE(m_status.offline);
    EXPECT_EQ(m_status.last_complete, whole_at);
    EXPECT_EQ(book::shortfall_text(m_status), "offline");

    book::LoadStatus history;
    EXPECT_FALSE(book::load_history(history, ALICE.pub, options()).ok());
    EXPECT_TRUE(history.offline);
    EXPECT_EQ(history.last_complete, whole_at);
}

// A service that changes a byte of a post (in the raw hex, or in JSON that carries it) is
// never believed: the post is read where its bytes prove, or it is not read and the load says so.
TEST_F(BookLoadTest, ALyingServiceNeverChangesAPost)
{
    std::string id = publish(listing(ALICE, 1000, 1000));
    const std::string honest = core::hex_encode(core::as_bytes(R"("price_sats":1000)"));
    const std::string forged = core::hex_encode(core::as_bytes(R"("price_sats":9000)"));
    struct Case {
        std::vector<std::string> lying;  // URL parts whose answers are rewritten
        bool read;
    };
    const Case cases[] = {
        {{"/txs/hex", "/hex"}, true},          // WhatsOnChain's raw hex; the index's copy proves
        {{"/oi/tx/", "/txs/hex"}, true},       // the index's JSON and the bulk answer; the single one proves
        {{"/txs/hex", "/oi/tx/", "/tx/"}, false},  // everyone
    };
    for (const Case& c : cases) {
        m_http.set_rewrite([&](const std::string& url, net::HttpReply& reply) {
            for (const std::string& part : c.lying) {
                if (!has(url, part)) continue;
                for (size_t at = reply.body.find(honest); at != std::string::npos; at = reply.body.find(honest, at)) {
                    reply.body.replace(at, honest.size(), forged);
                }
            }
        });
        std::filesystem::remove_all(cache_dir());
        book::BookResult<book::BookView> loaded = book::load_book_view(m_status, options(true));
        ASSERT_TRUE(loaded.ok());
        const std::vector<book::Listing>& view = loaded->listings;
        EXPECT_GE(m_stats.refused, 1u) << c.lying[0];
        if (c.read) {
            ASSERT_EQ(view.size(), 1u) << c.lying[0];
            EXPECT_EQ(view[0].price_sats, 1000u);
            EXPECT_TRUE(m_status.complete);
        } else {
            EXPECT_TRUE(view.empty());
            EXPECT_FALSE(m_status.complete);
            EXPECT_EQ(m_status.unread, 1u);
            EXPECT_EQ(book::shortfall_text(m_status), "the market's services are busy; 1 post not read yet");
        }
    }
    // What no service proved was not cached: the honest services give it next time.
    m_http.set_rewrite({});
    EXPECT_EQ(txids(load(true)), std::vector<std::string>{id});
    EXPECT_EQ(m_stats.fetched, 1u);
}

// Only a post can be a post: a deeply nested one, one with an object member, one over 16 KiB.
// None reaches the book, the cache keeps a few bytes for each, and no load asks for them again.
TEST_F(BookLoadTest, HostilePostsCostNothingToLoad)
{
    std::string id = publish(listing(ALICE, 1000));
    ASSERT_EQ(load(true).size(), 1u);
    const uintmax_t before = folder_bytes(cache_dir());

    std::string nested = R"({"protocol":"TV-Agoran","type":"ag_list","zz":)" + std::string(20000, '[') +
                         std::string(20000, ']') + "}";
    Json object_member = listing(BOB, 1100);
    object_member["zz"] = Json{{"a", 1}};
    Json too_large = sign(Json{{"type", "ag_list"}, {"note", std::string(book::MAX_POST_BYTES, 'x')}}, BOB, 1200);
    std::vector<core::Bytes> scripts = {tx::data_carrier_script(core::as_bytes(nested)),
                                        booktest::carrier(object_member), booktest::carrier(too_large)};
    uint64_t nonce = 9000;
    for (const core::Bytes& script : scripts) {
        tx::RawTx raw;
        tx::RawTxInput input;
        input.prev_hash[0] = static_cast<uint8_t>(nonce++);
        input.prev_hash[31] = 0x77;
        input.script_sig = {0x51};
        raw.inputs.push_back(input);
        raw.outputs.push_back({1, booktest::p2pkh_lock(net::BOOK_ORACLE_ADDRESS)});
        raw.outputs.push_back({0, script});
        ASSERT_FALSE(devnet().import_tx(core::hex_encode(tx::serialize_raw_tx(raw))).empty());
    }
    EXPECT_EQ(txids(load(true)), std::vector<std::string>{id});
    EXPECT_EQ(m_stats.fetched, 3u);
    EXPECT_TRUE(m_status.complete);
    EXPECT_LT(folder_bytes(cache_dir()) - before, 3u * 256);

    m_http.clear();
    EXPECT_EQ(txids(load(true)), std::vector<std::string>{id});
    EXPECT_EQ(m_http.count("/tx/") + m_http.count("/txs/"), 0u);
}

TEST_F(BookLoadTest, AnUnreachableRegistryLeavesPostsUnreadWithoutCachingTheFailure)
{
    publish(listing(ALICE, 1000));
    publish(listing(BOB, 1001));
    m_http.fail_where({"/bsvalias/"});
    EXPECT_TRUE(load(true).empty());
    EXPECT_EQ(m_stats.fetched, 2u);
    EXPECT_FALSE(m_status.complete);
    EXPECT_EQ(m_status.unread, 2u);

    m_http.set_handler({});
    m_http.clear();
    EXPECT_EQ(load(true).size(), 2u);
    EXPECT_EQ(m_stats.from_cache, 2u);  // the transactions and signature verdicts were kept
    EXPECT_EQ(m_stats.fetched, 0u);
    EXPECT_EQ(m_http.count("/api/bsvalias/id/"), 2u);
    EXPECT_TRUE(m_status.complete);
}

TEST_F(BookLoadTest, AWarmReloadMakesNoTransactionRequestAndGivesTheSameBook)
{
    for (int i = 0; i < 6; ++i) publish(listing(i % 2 ? ALICE : BOB, 1000 + i));
    devnet().mine();
    std::vector<PostRecord> cold = load(/*cached=*/true);
    ASSERT_EQ(cold.size(), 6u);
    EXPECT_EQ(m_stats.fetched, 6u);
    EXPECT_EQ(m_stats.signatures_checked, 6u);

    m_http.clear();
    std::vector<PostRecord> warm = load(/*cached=*/true);
    EXPECT_EQ(m_http.count("/tx/") + m_http.count("/txs/"), 0u);
    EXPECT_EQ(m_stats.from_cache, 6u);
    EXPECT_EQ(m_stats.signatures_checked, 0u);
    // Everything the reduction reads of a post, as text.
    auto summary = [](const std::vector<PostRecord>& posts) {
        std::string out;
        for (const PostRecord& p : posts) {
            out += p.txid + p.post.dump() + std::to_string(p.outputs.count) + std::to_string(p.time) +
                   std::to_string(static_cast<int>(p.position.state)) + std::to_string(p.position.height);
            for (const auto& paid : p.outputs.paid) out += paid.address + std::to_string(paid.sats);
            out += "\n";
        }
        return out;
    };
    EXPECT_EQ(summary(warm), summary(cold));
    EXPECT_EQ(cold.back().position.state, State::Confirmed);
}

// Whatever happens to the cache files, a load reads only what proves and fetches the rest.
TEST_F(BookLoadTest, DamagedCacheEntriesAreRefetched)
{
    std::string id = publish(listing(ALICE, 1000));
    ASSERT_EQ(load(/*cached=*/true).size(), 1u);
    std::filesystem::path shard = cache_dir() / (id.substr(0, 2) + ".json");
    ASSERT_TRUE(std::filesystem::exists(shard));
    std::string text;
    {
        std::ifstream in(shard);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    Json doc = core::parse_json(text).value();
    std::string hex = doc["txs"][id]["hex"];
    std::string altered = hex;
    const std::string price = core::hex_encode(core::as_bytes("1000"));
    altered.replace(altered.find(price), price.size(), core::hex_encode(core::as_bytes("9000")));
    Json moved = doc;
    moved["txs"][std::string(id).replace(2, 1, id[2] == 'f' ? "e" : "f")] = moved["txs"][id];
    moved["txs"].erase(id);
    Json tampered = doc;
    tampered["txs"][id]["hex"] = altered;

    for (const std::string& damage : {text.substr(0, text.size() / 2), moved.dump(), tampered.dump()}) {
        {
            std::ofstream out(shard, std::ios::trunc);
            out << damage;
        }
        std::vector<PostRecord> posts = load(/*cached=*/true);
        ASSERT_EQ(posts.size(), 1u);
        EXPECT_EQ(book::post_u64(posts[0].post, "price_sats"), 1000u);
        EXPECT_EQ(m_stats.fetched, 1u);
        EXPECT_EQ(load(/*cached=*/true).size(), 1u);
        EXPECT_EQ(m_stats.fetched, 0u);  // written again whole by the refetch
    }
}

TEST_F(BookLoadTest, TheCacheKeepsWithinItsBoundOldestFirst)
{
    std::vector<std::string> ids;
    size_t bound = 0;
    for (int i = 0; i < 4; ++i) {
        ids.push_back(publish(listing(ALICE, 1000 + i)));
        book::LoadOptions o = options(true);
        if (bound > 0) o.cache_max_bytes = bound;
        ASSERT_TRUE(book::load_posts(m_status, o).ok());
        if (bound == 0) {
            book::TxCache one(cache_dir());
            one.load();
            bound = one.bytes() * 7 / 2;  // room for three and a half listings
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // entries stored a second apart
    }
    book::TxCache cache(cache_dir());
    cache.load();
    EXPECT_LE(cache.bytes(), bound);
    EXPECT_EQ(cache.find(ids[0]), nullptr);
    for (size_t i = 1; i < ids.size(); ++i) EXPECT_NE(cache.find(ids[i]), nullptr) << i;
}

TEST_F(BookLoadTest, OwnListingsAreLoadedEvenWhenNoListNamesThem)
{
    std::string id = publish(listing(ALICE, 1000));
    m_http.set_handler([&](const std::string&, const std::string& url, const std::string&) -> std::optional<net::HttpReply> {
        if (has(url, "/oi/oracle/")) return booktest::json_reply(Json{{"txids", Json::array()}});
        if (has(url, "/address/")) return booktest::json_reply(Json::array());
        return std::nullopt;
    });
    EXPECT_TRUE(load().empty());
    book::LoadOptions o = options();
    o.own_listing_ids = {id};
    book::BookResult<std::vector<PostRecord>> posts = book::load_posts(o);
    ASSERT_TRUE(posts.ok());
    EXPECT_EQ(txids(*posts), std::vector<std::string>{id});
}

TEST_F(BookLoadTest, IndexDownOnPageThreeKeepsTheFirstTwoPagesAndSaysTheBookIsIncomplete)
{
    std::string first = publish(listing(ALICE, 1000));
    std::string second = publish(listing(BOB, 1001));
    // Pages 1 and 2 are full (each real id among ids no service knows); page 3 fails.
    std::set<std::string> unknown;
    Json pages[2] = {Json::array({first}), Json::array({second})};
    for (unsigned i = 0; i < 3998; ++i) {
        char id[65];
        std::snprintf(id, sizeof id, "%064x", 0x5000 + i);
        unknown.insert(id);
        pages[i % 2].push_back(id);
    }
    m_http.set_handler([&](const std::string&, const std::string& url, const std::string& body) -> std::optional<net::HttpReply> {
        if (has(url, "/oi/oracle/")) {
            if (has(url, "offset=0")) return booktest::json_reply(Json{{"txids", pages[0]}});
            if (has(url, "offset=2000")) return booktest::json_reply(Json{{"txids", pages[1]}});
            return booktest::failed_reply();
        }
        if (has(url, "/txs/hex")) {
            // The bulk answer leaves out the ids nobody knows, as the service does.
            Json asked = core::parse_json(body).value()["txids"];
            bool only_unknown = std::all_of(asked.begin(), asked.end(), [&](const Json& id) { return unknown.count(id) > 0; });
            if (only_unknown) return booktest::json_reply(Json::array());
        }
        size_t at = url.find("/tx/");
        if (at != std::string::npos && unknown.count(url.substr(at + 4, 64)) > 0) return booktest::failed_reply(404);
        return std::nullopt;
    });
    std::string late = publish(listing(ALICE, 1002));  // only WhatsOnChain lists it

    std::vector<PostRecord> posts = load();
    EXPECT_EQ(txids(posts), (std::vector<std::string>{first, second, late}));
    EXPECT_EQ(m_stats.txids, 4001u);
    EXPECT_EQ(m_http.count("offset=4000"), 1u);
    EXPECT_EQ(m_http.count("offset=6000"), 0u);
    // The index answered, so WhatsOnChain is asked only for its first list, which ends it.
    EXPECT_EQ(m_http.count("/unconfirmed/history"), 1u);
    EXPECT_EQ(m_http.count("/unspent"), 0u);
    EXPECT_FALSE(m_status.index_whole);
    EXPECT_EQ(m_status.unread, 3998u);
}

TEST_F(BookLoadTest, TheArchitectsListIsFetchedOncePerReductionAndOutlivesAFailure)
{
    const booktest::Trader architect = booktest::trader(54, "arch");
    devnet().set_identity("arch", architect.pub);
    devnet().set_architects({architect.pub});
    std::vector<std::string> ids;
    for (int i = 0; i < 3; ++i) ids.push_back(publish(listing(ALICE, 1000 + i)));
    ASSERT_TRUE(book::load_book_view(options()).ok());
    EXPECT_EQ(m_http.count("/architects"), 0u);  // no force cancel, no list

    for (int i = 0; i < 3; ++i) {
        publish(sign(Json{{"type", "ag_force_cancel"}, {"listing", ids[static_cast<size_t>(i)]}}, architect, 2000 + i));
    }
    publish(sign(Json{{"type", "ag_force_cancel"}, {"listing", ids[0]}}, architect, 2100));
    m_http.clear();
    book::BookResult<book::BookView> loaded = book::load_book_view(options());
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(m_http.count("/architects"), 1u);
    for (const std::string& id : ids) EXPECT_EQ(loaded->reduced.at(id).status, book::ListingStatus::ForceCancelled) << id;

    // The registry fails the list for a while: the listings stay closed.
    m_http.fail_where({"/architects"});
    m_http.clear();
    loaded = book::load_book_view(options());
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(m_http.count("/architects"), 1u);
    for (const std::string& id : ids) EXPECT_EQ(loaded->reduced.at(id).status, book::ListingStatus::ForceCancelled) << id;
    ASSERT_EQ(loaded->listings.size(), 3u);
    for (const book::Listing& l : loaded->listings) EXPECT_EQ(l.status, book::ListingStatus::ForceCancelled);
}

// The index listing itself, with canned pages: paging, its end and its failures.
class IndexPagingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto config = std::make_shared<net::ServiceConfig>();
        config->registry = "http://127.0.0.1:9/registry";
        config->woc_api = "http://127.0.0.1:9/woc";
        m_services.config = config;
        m_services.http = &m_http;
        m_services.caches = &m_caches;
        m_services.oracle_address = std::string(net::BOOK_ORACLE_ADDRESS);
        m_http.set_handler([this](const std::string&, const std::string& url, const std::string&) -> std::optional<net::HttpReply> {
            size_t at = url.find("offset=");
            if (at == std::string::npos) return booktest::failed_reply();
            size_t page = std::stoul(url.substr(at + 7)) / 2000;
            if (page >= m_pages.size()) return booktest::failed_reply();
            return m_pages[page];
        });
    }

    static Json ids(unsigned first, unsigned count)
    {
        Json list = Json::array();
        for (unsigned i = first; i < first + count; ++i) {
            char id[65];
            std::snprintf(id, sizeof id, "%064x", i);
            list.push_back(id);
        }
        return list;
    }

    // Lists the index; whole tells whether it was read to its end.
    book::BookResult<void> list(book::TxidList& list, bool* whole = nullptr)
    {
        book::ListReport report;
        book::BookResult<void> listed = book::list_oi_txids(list, m_services, {}, &report);
        if (whole) *whole = report.whole;
        return listed;
    }

    booktest::RecordingHttp m_http;
    book::Caches m_caches;
    book::BookServices m_services;
    std::vector<net::HttpReply> m_pages;
};

// Where the listing ends (a page of known ids, a short page, twenty thousand ids), what is read
// of a page (64 hex digits, case folded, once each), and failures that keep the earlier pages.
TEST_F(IndexPagingTest, TheIndexEndsAtAPageOfKnownIdsAShortPageOrTwentyThousandIds)
{
    struct Case {
        std::vector<net::HttpReply> pages;
        size_t ids;
        std::string last_asked;
        std::optional<book::BookCode> error = {};  // none: read whole
    };
    const Json odd = Json::array({std::string(64, 'A'), std::string(64, 'a'), std::string(63, 'b'), std::string(65, 'c'), 7,
                                  nullptr, std::string(64, 'g'), std::string(64, 'd'), std::string(64, 'd')});
    auto page = [](const Json& ids) { return booktest::json_reply(Json{{"txids", ids}}); };
    std::vector<Case> cases = {
        {{page(ids(1, 2000)), page(ids(1, 2000)), page(ids(5001, 2000))}, 2000, "offset=2000"},
        {{page(ids(1, 1999)), page(ids(3001, 5))}, 1999, "offset=0"},
        {{}, 20000, "offset=18000"},
        {{page(odd)}, 2, "offset=0"},
        {{page(ids(1, 2000)), booktest::json_reply(Json{{"ids", ids(1, 2)}})}, 2000, "offset=2000", book::BookCode::IndexNotTxids},
        {{booktest::failed_reply()}, 0, "offset=0", book::BookCode::IndexFailed},
    };
    for (unsigned p = 0; p < 12; ++p) cases[2].pages.push_back(page(ids(1 + p * 2000, 2000)));
    for (const Case& c : cases) {
        m_pages = c.pages;
        m_http.clear();
        book::TxidList ids_read;
        bool whole = false;
        book::BookResult<void> listed = list(ids_read, &whole);
        EXPECT_EQ(listed.ok() ? std::nullopt : std::optional(listed.error().code), c.error) << c.last_asked << " " << c.ids;
        EXPECT_EQ(whole, !c.error);
        EXPECT_EQ(ids_read.size(), c.ids);
        std::vector<std::string> urls = m_http.urls();
        ASSERT_FALSE(urls.empty());
        EXPECT_TRUE(has(urls.back(), c.last_asked)) << urls.back();
    }
    m_pages = {page(odd)};
    book::TxidList odd_read;
    ASSERT_TRUE(list(odd_read).ok());
    EXPECT_EQ(odd_read.ids(), (std::vector<tx::Txid>{*tx::Txid::parse(std::string(64, 'a')), *tx::Txid::parse(std::string(64, 'd'))}));
}

TEST_F(IndexPagingTest, WhatsOnChainStopsOnceFourHundredIdsAreKnown)
{
    m_http.set_handler([](const std::string&, const std::string& url, const std::string&) -> std::optional<net::HttpReply> {
        if (has(url, "/unconfirmed/history")) {
            Json entries = Json::array();
            for (Json id : ids(1, 300)) entries.push_back(Json{{"tx_hash", id}});
            return booktest::json_reply(entries);
        }
        if (has(url, "/unspent")) {
            Json entries = Json::array();
            for (Json id : ids(301, 150)) entries.push_back(Json{{"txid", id}});
            return booktest::json_reply(Json{{"result", entries}});
        }
        return booktest::json_reply(Json::array({ids(9000, 1)[0]}));
    });
    book::TxidList ids_read;
    book::list_woc_txids(ids_read, /*oi_succeeded=*/false, m_services);
    EXPECT_EQ(ids_read.size(), 450u);
    EXPECT_EQ(m_http.count("/confirmed/history"), 0u);
}

} // namespace load_test
