#include "book/load.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

#include "book/book_view.h"
#include "book/history.h"
#include "book/identity.h"
#include "book/listing_check.h"
#include "tests/book/devnet_book.h"
#include "tests/support/temp_dir.h"
#include "wallet/file_io.h"

namespace load_test {

using book::Json;
using book::PostRecord;
using booktest::sign;

const booktest::Trader ALICE = booktest::trader(51, "alice");
const booktest::Trader BOB = booktest::trader(52, "bob");
const booktest::Trader NOBODY = booktest::trader(53, "nobody");  // never registered
const booktest::Trader ARCH = booktest::trader(54, "arch");

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<std::string> txids(const std::vector<PostRecord>& posts)
{
    std::vector<std::string> ids;
    for (const PostRecord& p : posts) ids.push_back(p.txid.hex());
    return ids;
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
        return {.services = m_services, .cache_dir = cached ? std::optional(cache_dir()) : std::nullopt,
                .status_file = m_temp.path() / "book_state.json", .time_budget_seconds = 20, .stats = &m_stats};
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

    Json listing(const booktest::Trader& who, int64_t ts, uint64_t price = 1000)
    {
        return sign(booktest::listing_post("10", price, booktest::txid_of(0xa0) + "_1"), who, ts);
    }

    book::LoadStats m_stats;
    book::LoadStatus m_status;
    testsupport::TempDir m_temp;
};

// Only posts whose signer's registered key verifies them reach the book, in (ts, txid) order;
// each actor's key is asked for once and the transactions in one bulk request.
TEST_F(BookLoadTest, LoadsVerifiedPostsInBookOrderAndDropsTheRest)
{
    const Json termed = booktest::listing_post("10", 1000, booktest::txid_of(0xa0) + "_1");
    std::string late = publish(sign(termed, ALICE, 3000, /*with_terms=*/true));
    std::string early = publish(listing(BOB, 1000));
    std::string same_a = publish(sign(Json{{"type", "ag_cancel"}, {"listing", late}}, ALICE, 2000));
    std::string same_b = publish(sign(Json{{"type", "ag_cancel"}, {"listing", early}}, BOB, 2000));
    Json no_ts = listing(ALICE, 1600), forged = listing(BOB, 1700), altered = listing(ALICE, 1900);
    Json repriced = sign(termed, ALICE, 1950, true);
    no_ts.erase("ts");
    forged["actor"] = "alice";                              // signed as bob
    altered["pay_addr"] = booktest::OTHER_ADDRESS + "x";   // a signed member changed
    repriced["price_sats"] = 1;                            // its blob signs 1000
    for (const Json& dropped : {listing(NOBODY, 1500), sign(booktest::listing_post("1", 1, "u_1"), ALICE, 0), no_ts,
                                forged, sign(Json{{"type", "ag_list"}, {"handle", "bob"}}, ALICE, 1800), altered, repriced}) {
        publish(dropped);
    }

    std::vector<PostRecord> posts = load();
    EXPECT_EQ(txids(posts), (std::vector<std::string>{early, std::min(same_a, same_b), std::max(same_a, same_b), late}));
    for (const PostRecord& p : posts) EXPECT_EQ(p.outputs.count, p.fields.type == "ag_list" ? 4u : 3u);
    EXPECT_EQ(m_stats.identities, 3u);
    EXPECT_EQ(m_http.count("/api/bsvalias/id/"), 3u);
    EXPECT_EQ(m_http.count("/txs/hex"), 1u);
    EXPECT_TRUE(m_status.complete);
    EXPECT_EQ(m_status.last_complete, m_status.loaded_at);
}

// Without the index the book comes from WhatsOnChain's lists and says it may be short; with no
// service at all the load fails as offline and keeps the time of the last whole book.
TEST_F(BookLoadTest, AMissingIndexFallsBackAndNoServiceAtAllIsOffline)
{
    EXPECT_TRUE(load().empty());
    EXPECT_TRUE(m_status.complete);
    const int64_t whole_at = m_status.loaded_at;

    std::string id = publish(listing(ALICE, 1000));
    m_http.set_handler([](const std::string&, const std::string& url, const std::string&) -> std::optional<net::HttpReply> {
        return has(url, "/oi/oracle/") ? std::optional(testsupport::FakeHttp::reply(503, "down")) : std::nullopt;
    });
    EXPECT_EQ(txids(load()), std::vector<std::string>{id});
    EXPECT_FALSE(m_status.complete);
    EXPECT_FALSE(m_status.index_whole);
    m_http.set_handler({});

    devnet().fault("registry", Json{{"down", true}});
    devnet().fault("woc", Json{{"down", true}});
    book::BookResult<std::vector<PostRecord>> failed = book::load_posts(m_status, options());
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().code, book::BookCode::IndexFailed);
    EXPECT_TRUE(m_status.offline);
    EXPECT_EQ(m_status.last_complete, whole_at);
    book::LoadStatus history;
    EXPECT_FALSE(book::load_history(history, ALICE.pub, options()).ok());
    EXPECT_TRUE(history.offline);
}

// The index failing part way through never passes for the whole book: the pages it gave are
// read, WhatsOnChain adds what it lists, and the status says the index was cut short.
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
            if (has(url, "offset=0")) return m_http.reply(200, Json{{"txids", pages[0]}}.dump());
            if (has(url, "offset=2000")) return m_http.reply(200, Json{{"txids", pages[1]}}.dump());
            return m_http.reply(503, "down");
        }
        if (has(url, "/txs/hex")) {  // the bulk answer leaves out the ids nobody knows, as the service does
            Json asked = core::parse_json(body).value()["txids"];
            if (std::all_of(asked.begin(), asked.end(), [&](const Json& id) { return unknown.count(id) > 0; }))
                return m_http.reply(200, "[]");
        }
        size_t at = url.find("/tx/");
        if (at != std::string::npos && unknown.count(url.substr(at + 4, 64)) > 0) return m_http.reply(404, "");
        return std::nullopt;
    });
    std::string late = publish(listing(ALICE, 1002));  // only WhatsOnChain lists it

    EXPECT_EQ(txids(load()), (std::vector<std::string>{first, second, late}));
    EXPECT_EQ(m_http.count("offset=4000"), 1u);
    EXPECT_EQ(m_http.count("offset=6000"), 0u);
    EXPECT_FALSE(m_status.index_whole);
    EXPECT_FALSE(m_status.complete);
    EXPECT_EQ(m_status.unread, 3998u);
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
        {{"/txs/hex", "/hex"}, true},              // WhatsOnChain's raw hex; the index's copy proves
        {{"/oi/tx/", "/txs/hex"}, true},           // the index's JSON and the bulk answer; the single one proves
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
        ASSERT_EQ(view.size(), c.read ? 1u : 0u) << c.lying[0];
        if (c.read) { EXPECT_EQ(view[0].price_sats, 1000u); }
        EXPECT_EQ(m_status.unread, c.read ? 0u : 1u);
    }
    // What no service proved was not cached: the honest services give it next time.
    m_http.set_rewrite({});
    EXPECT_EQ(txids(load(true)), std::vector<std::string>{id});
    EXPECT_EQ(m_stats.fetched, 1u);
}

// A warm reload asks for no transaction and gives the same book; whatever happens to the cache
// files, a load reads only what proves and fetches the rest.
TEST_F(BookLoadTest, TheCacheServesWarmLoadsAndDamagedEntriesAreRefetched)
{
    std::string id = publish(listing(ALICE, 1000));
    publish(listing(BOB, 1001));
    devnet().mine();
    std::vector<PostRecord> cold = load(/*cached=*/true);
    ASSERT_EQ(cold.size(), 2u);
    EXPECT_EQ(m_stats.signatures_checked, 2u);
    m_http.clear();
    std::vector<PostRecord> warm = load(/*cached=*/true);
    EXPECT_EQ(m_http.count("/tx/") + m_http.count("/txs/"), 0u);
    EXPECT_EQ(m_stats.from_cache, 2u);
    EXPECT_EQ(m_stats.signatures_checked, 0u);
    ASSERT_EQ(warm.size(), 2u);
    for (size_t i = 0; i < warm.size(); ++i) {
        EXPECT_EQ(warm[i].post, cold[i].post);
        EXPECT_EQ(warm[i].outputs.paid.size() + warm[i].position.height, cold[i].outputs.paid.size() + cold[i].position.height);
        EXPECT_EQ(warm[i].position.state, net::ChainPosition::State::Confirmed);
    }

    std::filesystem::path shard = cache_dir() / (id.substr(0, 2) + ".json");
    const std::string text = wallet::read_text_file(shard).value_or("");
    Json doc = core::parse_json(text).value();
    const std::string price = core::hex_encode(core::as_bytes("1000"));
    Json moved = doc, tampered = doc;
    moved["txs"][std::string(id).replace(2, 1, id[2] == 'f' ? "e" : "f")] = moved["txs"][id];
    moved["txs"].erase(id);
    std::string altered = doc["txs"][id]["hex"];
    altered.replace(altered.find(price), price.size(), core::hex_encode(core::as_bytes("9000")));
    tampered["txs"][id]["hex"] = altered;
    for (const std::string& damage : {text.substr(0, text.size() / 2), moved.dump(), tampered.dump()}) {
        std::ofstream(shard, std::ios::trunc) << damage;
        std::vector<PostRecord> posts = load(/*cached=*/true);
        ASSERT_EQ(posts.size(), 2u);
        for (const PostRecord& p : posts) EXPECT_NE(book::post_u64(p.post, "price_sats"), 9000u);
        EXPECT_GE(m_stats.fetched, 1u);
        EXPECT_EQ(load(/*cached=*/true).size(), 2u);
        EXPECT_EQ(m_stats.fetched, 0u);  // written again whole by the refetch
    }
}

class IdentityTest : public booktest::BookDevnetTest {
protected:
    std::string domain() const { return m_services.config->registry_domain; }
};

// Every written form of a handle of the registry's domain is one lookup; other domains, empty
// names and names that would leave their path are never asked for.
TEST_F(IdentityTest, OneLookupPerHandleAndNoneForForeignOrHostileNames)
{
    devnet().set_identity("alice", ALICE.pub);
    const std::pair<std::string, std::string> cases[] = {
        {"alice", ALICE.pub},
        {" @Alice ", ALICE.pub},
        {"alice@" + domain(), ALICE.pub},
        {"alice@elsewhere.example", ""},
        {" @ ", ""},
        {"@@" + domain(), ""},  // no name before the domain
        {"../paymail/architects?x=", ""},
    };
    for (const auto& [handle, key] : cases) EXPECT_EQ(book::identity_key_of(handle, m_services), key) << handle;
    EXPECT_EQ(m_http.count("/api/bsvalias/id/alice@" + domain()), 1u);
    EXPECT_EQ(m_http.count("/api/bsvalias/"), m_http.count("/api/bsvalias/id/alice@" + domain()) + m_http.count("%2F"));
    for (const std::string& url : m_http.urls()) EXPECT_EQ(url.find("/../"), std::string::npos) << url;
}

// A registry that is down answers no key, no freeze and no architects: none of it is cached, and
// the reduction keeps the last good architects list meanwhile.
TEST_F(IdentityTest, RegistryOutagesAreNotCached)
{
    EXPECT_EQ(book::identity_key_of("alice", m_services), "");  // not registered yet
    devnet().set_identity("alice", ALICE.pub);
    devnet().freeze(ALICE.pub, "under review");
    devnet().set_architects({ARCH.pub});
    std::string note = "stale";
    EXPECT_TRUE(book::identity_frozen(ALICE.pub, note, m_services));
    EXPECT_EQ(note, "under review");
    EXPECT_FALSE(book::identity_frozen("not/hex", note, m_services));
    EXPECT_EQ(book::architect_keys_for_reduction(m_services), std::vector<std::string>{ARCH.pub});

    devnet().fault("registry", Json{{"down", true}});
    EXPECT_EQ(book::identity_key_of("alice", m_services), "");
    EXPECT_FALSE(book::identity_frozen(ALICE.pub, note, m_services));
    EXPECT_EQ(note, "");
    EXPECT_FALSE(book::architect_keys(m_services));
    EXPECT_EQ(book::architect_keys_for_reduction(m_services), std::vector<std::string>{ARCH.pub});

    devnet().clear_faults();
    devnet().set_architects({});
    EXPECT_EQ(book::identity_key_of("alice", m_services), ALICE.pub);
    EXPECT_EQ(m_http.count("/api/bsvalias/id/"), 3u);
    EXPECT_TRUE(book::architect_keys_for_reduction(m_services).empty());
}

// A listing output is live while the index knows it unspent, in either written form; the
// reason says why not otherwise.
TEST_F(IdentityTest, ListingOutputChecks)
{
    std::string origin = devnet().inscribe(booktest::OTHER_ADDRESS, "image/png", "\x89PNG....");
    ASSERT_EQ(origin.size(), 66u);
    std::string colon = origin;
    colon[64] = ':';
    for (const std::string& live : {origin, colon}) EXPECT_TRUE(book::listing_output_unspent(tx::parse_outpoint(live), m_services).ok()) << live;
    // The lot moves on: a later transaction spends the output.
    const tx::RawTx spend{.inputs = {{.prev_hash = tx::txid_to_wire(origin.substr(0, 64)).value(), .script_sig = {0x51}}},
                          .outputs = {{1, booktest::p2pkh_lock(booktest::OTHER_ADDRESS)}}};
    ASSERT_FALSE(devnet().import_tx(core::hex_encode(tx::serialize_raw_tx(spend))).empty());
    const std::pair<std::string, book::BookCode> refused[] = {
        {origin.substr(0, 40) + "_0", book::BookCode::OutputInvalid},
        {std::string(64, 'z') + "_0", book::BookCode::OutputInvalid},
        {std::string(64, 'b') + "_0", book::BookCode::OutputUnknown},
        {origin, book::BookCode::OutputSpent},
    };
    for (const auto& [outpoint, why] : refused) {
        book::BookResult<void> checked = book::listing_output_unspent(tx::parse_outpoint(outpoint), m_services);
        ASSERT_FALSE(checked.ok()) << outpoint;
        EXPECT_EQ(checked.error().code, why) << outpoint;
    }
}

// Two programs' worth of services in one process: each keeps what its own registry answered,
// even for the same handle of the same registry base.
TEST(BookCaches, ServicesWithTheirOwnCachesNeverSeeEachOthersAnswers)
{
    auto config = std::make_shared<net::ServiceConfig>();
    config->registry = "http://registry.test";
    const std::string url = config->registry + "/api/bsvalias/id/alice@" + config->registry_domain;
    struct Side {
        testsupport::FakeHttp http;
        book::Caches caches;
        book::BookServices services;
    } sides[2];
    const std::string keys[2] = {ALICE.pub, ARCH.pub};
    for (int i = 0; i < 2; ++i) {
        sides[i].http.answer(url, 200, Json{{"pubkey", keys[i]}}.dump());
        sides[i].services = {.config = config, .http = &sides[i].http, .caches = &sides[i].caches};
    }
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 2; ++i) EXPECT_EQ(book::identity_key_of("alice", sides[i].services), keys[i]) << i << round;
    }
    for (int i = 0; i < 2; ++i) EXPECT_EQ(sides[i].http.count("/api/bsvalias/id/"), 1u) << i;  // the second round was cached

    sides[0].caches.clear_identities();
    EXPECT_EQ(book::identity_key_of("alice", sides[0].services), keys[0]);
    EXPECT_EQ(sides[0].http.count("/api/bsvalias/id/"), 2u);
    EXPECT_EQ(sides[1].http.count("/api/bsvalias/id/"), 1u);
}

} // namespace load_test
