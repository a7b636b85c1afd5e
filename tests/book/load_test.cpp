#include "book/load.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "book/book_view.h"
#include "book/identity.h"
#include "book/tx_cache.h"
#include "tests/book/devnet_book.h"
#include "tests/support/temp_dir.h"

namespace {

using book::Json;
using book::PostRecord;
using booktest::sign;

const booktest::Trader ALICE = booktest::trader(51, "alice");
const booktest::Trader BOB = booktest::trader(52, "bob");
const booktest::Trader NOBODY = booktest::trader(53, "nobody");  // never registered

class BookLoadTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        book::clear_identity_cache();
        devnet().set_identity("alice", ALICE.pub);
        devnet().set_identity("bob", BOB.pub);
        m_services = booktest::devnet_services(devnet(), m_http);
    }
    void TearDown() override { book::clear_identity_cache(); }

    book::LoadOptions options(bool cached = false)
    {
        book::LoadOptions o;
        o.services = m_services;
        if (cached) o.cache_dir = m_temp.path() / "tx_cache";
        o.stats = &m_stats;
        return o;
    }

    std::vector<PostRecord> load(bool cached = false)
    {
        std::vector<PostRecord> posts;
        std::string error;
        EXPECT_TRUE(book::load_posts(posts, error, options(cached))) << error;
        EXPECT_EQ(error, "");
        return posts;
    }

    std::string publish(const Json& post) { return booktest::publish(devnet(), post); }

    static std::vector<std::string> txids(const std::vector<PostRecord>& posts)
    {
        std::vector<std::string> ids;
        for (const PostRecord& p : posts) ids.push_back(p.txid);
        return ids;
    }

    Json listing(const booktest::Trader& who, int64_t ts)
    {
        return sign(booktest::listing_post("10", 1000, booktest::txid_of(0xa0) + "_1"), who, ts);
    }

    booktest::RecordingHttp m_http;
    book::BookServices m_services;
    book::LoadStats m_stats;
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
        EXPECT_EQ(book::post_string(p.post, "protocol"), "TV-Agoran");
        EXPECT_GE(p.outputs.count, 3u);
        EXPECT_EQ(p.fields.signer, book::post_pubkey(p.post));
    }
    EXPECT_EQ(m_stats.posts, 4u);
    EXPECT_EQ(m_stats.identities, 3u);  // alice, bob and nobody (who has no key), once each
    EXPECT_EQ(m_http.count("/api/bsvalias/id/"), 3u);
}

TEST_F(BookLoadTest, AReplayedEnvelopeIsDroppedEvenWhenItsTxidSortsFirst)
{
    std::string mine = publish(listing(ALICE, 1000));
    std::string other = publish(listing(ALICE, 1001));
    Json cancel = sign(Json{{"type", "ag_cancel"}, {"listing", mine}}, ALICE, 2000);
    std::string original = publish(cancel);
    Json copy = cancel;
    copy["listing"] = other;
    std::string replay = booktest::publish_sorting_before(devnet(), copy, original);
    ASSERT_LT(replay, original);

    std::vector<PostRecord> posts = load();
    std::vector<std::string> ids = txids(posts);
    EXPECT_NE(std::find(ids.begin(), ids.end(), original), ids.end());
    EXPECT_EQ(std::find(ids.begin(), ids.end(), replay), ids.end());
    EXPECT_EQ(m_stats.replays_dropped, 1u);
}

TEST_F(BookLoadTest, AReplayedFillAndAReplayedListingAreDroppedEvenWhenTheirTxidsSortFirst)
{
    std::string mine = publish(listing(ALICE, 1000));
    std::string other = publish(listing(ALICE, 1001));
    Json fill = sign(Json{{"type", "ag_fill"}, {"listing", mine}, {"qty", "7"}, {"sold", "3"},
                          {"utxo", booktest::txid_of(0xa1) + "_1"}},
                     ALICE, 2000);
    std::string fill_original = publish(fill);
    Json fill_copy = fill;
    fill_copy["listing"] = other;  // would close the other listing
    fill_copy["qty"] = "0";
    fill_copy["utxo"] = "";
    std::string fill_replay = booktest::publish_sorting_before(devnet(), fill_copy, fill_original);
    Json lot = listing(ALICE, 3000);
    std::string lot_original = publish(lot);
    Json lot_copy = lot;
    lot_copy["price_sats"] = 1;  // the victim's name on a lot at another price
    std::string lot_replay = booktest::publish_sorting_before(devnet(), lot_copy, lot_original);
    ASSERT_LT(fill_replay, fill_original);
    ASSERT_LT(lot_replay, lot_original);

    std::vector<std::string> ids = txids(load());
    EXPECT_EQ(ids, (std::vector<std::string>{mine, other, fill_original, lot_original}));
    EXPECT_EQ(m_stats.replays_dropped, 2u);

    std::vector<book::Listing> view;
    std::map<std::string, book::Listing> reduced;
    std::string error;
    ASSERT_TRUE(book::load_book_view(view, reduced, error, options())) << error;
    ASSERT_EQ(reduced.size(), 3u);
    EXPECT_EQ(reduced.at(mine).qty, "7");
    EXPECT_EQ(reduced.at(other).status, "live");
    EXPECT_EQ(reduced.at(other).qty, "10");
    EXPECT_EQ(reduced.at(lot_original).price_sats, 1000u);
}

TEST_F(BookLoadTest, AnActorWithAnAtSignAndCapitalsFindsTheKeyOfItsBareHandle)
{
    booktest::Trader shouting = ALICE;
    shouting.handle = "@ALICE";
    Json post = booktest::listing_post("10", 1000, booktest::txid_of(0xa0) + "_1");
    post["handle"] = " Alice";  // the same name, written otherwise
    std::string id = publish(sign(post, shouting, 1000));
    EXPECT_EQ(txids(load()), std::vector<std::string>{id});
    EXPECT_EQ(m_http.count("/api/bsvalias/id/alice@"), 1u);
}

TEST_F(BookLoadTest, IndexDownOnTheFirstPageTriesAllFourWhatsOnChainLists)
{
    std::string id = publish(listing(ALICE, 1000));
    m_http.set_override([](const std::string& url) -> std::optional<net::JsonReply> {
        if (url.find("/oi/oracle/") != std::string::npos) return booktest::failed_reply();
        return std::nullopt;
    });
    std::vector<PostRecord> posts = load();
    EXPECT_EQ(txids(posts), std::vector<std::string>{id});
    const std::string address = "/address/" + std::string(net::BOOK_ORACLE_ADDRESS);
    std::vector<std::string> lists;
    for (const std::string& url : m_http.urls()) {
        if (url.find(address) != std::string::npos) lists.push_back(url.substr(url.find(address) + address.size()));
    }
    EXPECT_EQ(lists, (std::vector<std::string>{"/unconfirmed/history", "/unspent", "/confirmed/history", "/history"}));
}

TEST_F(BookLoadTest, WithTheIndexUpOnlyTwoWhatsOnChainListsAreAsked)
{
    publish(listing(ALICE, 1000));
    load();
    EXPECT_EQ(m_http.count("/address/"), 2u);
    EXPECT_EQ(m_http.count("/unconfirmed/history"), 1u);
    EXPECT_EQ(m_http.count("/oi/oracle/agoran/txids?limit=2000&offset=0"), 1u);
}

TEST_F(BookLoadTest, NoSourceAtAllFailsTheLoad)
{
    devnet().fault("registry", Json{{"down", true}});
    devnet().fault("woc", Json{{"down", true}});
    std::vector<PostRecord> posts(1);
    std::string error = "stale";
    EXPECT_FALSE(book::load_posts(posts, error, options()));
    EXPECT_EQ(error, "OI agoran txids failed");
    EXPECT_TRUE(posts.empty());
}

TEST_F(BookLoadTest, AnEmptyBookIsNoFailure)
{
    std::vector<PostRecord> posts(1);
    std::string error = "stale";
    EXPECT_TRUE(book::load_posts(posts, error, options()));
    EXPECT_TRUE(posts.empty());
    EXPECT_EQ(error, "");
}

TEST_F(BookLoadTest, AOneOutputWhatsOnChainAnswerIsAskedOfTheIndexToo)
{
    std::string id = publish(listing(ALICE, 1000));
    m_http.set_rewrite([](const std::string& url, net::JsonReply& reply) {
        if (url.find("/woc/") != std::string::npos && url.find("/tx/") != std::string::npos && reply.ok) {
            Json first = reply.json["vout"][0];
            reply.json["vout"] = Json::array({first});
        }
    });
    std::vector<PostRecord> posts = load();
    ASSERT_EQ(txids(posts), std::vector<std::string>{id});
    EXPECT_EQ(m_http.count("/oi/tx/" + id), 1u);
    EXPECT_EQ(posts[0].outputs.count, 4u);
}

TEST_F(BookLoadTest, AnAnswerAboutAnotherTransactionIsRefused)
{
    std::string id = publish(listing(ALICE, 1000));
    std::string other = publish(listing(BOB, 1001));
    // Both services answer the other transaction when asked for the first.
    m_http.set_rewrite([&](const std::string& url, net::JsonReply& reply) {
        if (url.find("/tx/" + id) == std::string::npos) return;
        net::JsonReply swapped = net::CurlHttp().get_json(url.substr(0, url.find(id)) + other, 5);
        reply = swapped;
    });
    EXPECT_EQ(txids(load()), std::vector<std::string>{other});
}

TEST_F(BookLoadTest, AnUnreachableRegistryFailsEveryPostWithoutCachingTheFailure)
{
    publish(listing(ALICE, 1000));
    publish(listing(BOB, 1001));
    devnet().fault("registry", Json{{"down", true}});
    std::vector<PostRecord> posts = load(/*cached=*/true);
    EXPECT_TRUE(posts.empty());
    EXPECT_EQ(m_stats.fetched, 2u);

    devnet().clear_faults();
    m_http.clear();
    posts = load(/*cached=*/true);
    EXPECT_EQ(posts.size(), 2u);
    EXPECT_EQ(m_stats.from_cache, 2u);  // the transactions and signature verdicts were kept
    EXPECT_EQ(m_stats.fetched, 0u);
    EXPECT_EQ(m_http.count("/api/bsvalias/id/"), 2u);
}

TEST_F(BookLoadTest, AWarmReloadMakesNoTransactionRequestAndGivesTheSameBook)
{
    for (int i = 0; i < 6; ++i) publish(listing(i % 2 ? ALICE : BOB, 1000 + i));
    std::vector<PostRecord> cold = load(/*cached=*/true);
    ASSERT_EQ(cold.size(), 6u);
    EXPECT_EQ(m_stats.fetched, 6u);
    EXPECT_EQ(m_stats.signatures_checked, 6u);

    m_http.clear();
    std::vector<PostRecord> warm = load(/*cached=*/true);
    EXPECT_EQ(m_http.count("/tx/"), 0u);
    EXPECT_EQ(m_stats.from_cache, 6u);
    EXPECT_EQ(m_stats.signatures_checked, 0u);
    ASSERT_EQ(warm.size(), cold.size());
    for (size_t i = 0; i < warm.size(); ++i) {
        EXPECT_EQ(warm[i].txid, cold[i].txid);
        EXPECT_EQ(warm[i].post, cold[i].post);
        EXPECT_EQ(warm[i].outputs.count, cold[i].outputs.count);
        ASSERT_EQ(warm[i].outputs.paid.size(), cold[i].outputs.paid.size());
        for (size_t j = 0; j < warm[i].outputs.paid.size(); ++j) {
            EXPECT_EQ(warm[i].outputs.paid[j].address, cold[i].outputs.paid[j].address);
            EXPECT_EQ(warm[i].outputs.paid[j].sats, cold[i].outputs.paid[j].sats);
        }
        EXPECT_EQ(warm[i].time, cold[i].time);
    }
}

TEST_F(BookLoadTest, AChangedIdentityKeyIsNotHiddenByTheCache)
{
    publish(listing(ALICE, 1000));
    EXPECT_EQ(load(/*cached=*/true).size(), 1u);
    devnet().set_identity("alice", BOB.pub);
    book::clear_identity_cache();
    EXPECT_TRUE(load(/*cached=*/true).empty());
}

TEST_F(BookLoadTest, DamagedOrForeignCacheEntriesAreRefetched)
{
    std::string id = publish(listing(ALICE, 1000));
    ASSERT_EQ(load(/*cached=*/true).size(), 1u);
    std::filesystem::path shard = m_temp.path() / "tx_cache" / (id.substr(0, 1) + ".json");
    ASSERT_TRUE(std::filesystem::exists(shard));

    // A truncated file.
    std::string text;
    {
        std::ifstream in(shard);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    {
        std::ofstream out(shard, std::ios::trunc);
        out << text.substr(0, text.size() / 2);
    }
    EXPECT_EQ(load(/*cached=*/true).size(), 1u);
    EXPECT_EQ(m_stats.fetched, 1u);

    // An entry whose transaction names another txid is not used.
    Json doc = core::parse_json(text).value();
    doc["txs"][id]["txid"] = std::string(64, 'f');
    {
        std::ofstream out(shard, std::ios::trunc);
        out << doc.dump();
    }
    EXPECT_EQ(load(/*cached=*/true).size(), 1u);
    EXPECT_EQ(m_stats.fetched, 1u);
    EXPECT_EQ(load(/*cached=*/true).size(), 1u);
    EXPECT_EQ(m_stats.fetched, 0u);  // rewritten whole by the refetch
}

TEST_F(BookLoadTest, ATransactionThatDoesNotHashToItsTxidIsNeverCached)
{
    std::string id = publish(listing(ALICE, 1000));
    m_http.set_rewrite([](const std::string& url, net::JsonReply& reply) {
        if (url.find("/tx/") == std::string::npos || !reply.ok) return;
        for (Json& out : reply.json["vout"]) {
            if (out.contains("valueSat") && out["valueSat"] == 5000) out["valueSat"] = 6000;
            if (out["value"] == 0.00005) out["value"] = 0.00006;
        }
    });
    EXPECT_EQ(load(/*cached=*/true).size(), 1u);
    EXPECT_EQ(m_stats.fetched, 1u);
    EXPECT_EQ(load(/*cached=*/true).size(), 1u);
    EXPECT_EQ(m_stats.fetched, 1u);
    EXPECT_FALSE(std::filesystem::exists(m_temp.path() / "tx_cache" / (id.substr(0, 1) + ".json")));
}

TEST_F(BookLoadTest, OwnListingsAreLoadedEvenWhenNoListNamesThem)
{
    std::string id = publish(listing(ALICE, 1000));
    m_http.set_override([&](const std::string& url) -> std::optional<net::JsonReply> {
        if (url.find("/oi/oracle/") != std::string::npos) return booktest::json_reply(Json{{"txids", Json::array()}});
        if (url.find("/address/") != std::string::npos) return booktest::json_reply(Json::array());
        return std::nullopt;
    });
    EXPECT_TRUE(load().empty());
    book::LoadOptions o = options();
    o.own_listing_ids = {id};
    std::vector<PostRecord> posts;
    std::string error;
    ASSERT_TRUE(book::load_posts(posts, error, o));
    EXPECT_EQ(txids(posts), std::vector<std::string>{id});
}

TEST_F(BookLoadTest, IndexDownOnPageThreeKeepsTheFirstTwoPagesAndTheLoadGoesOn)
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
    m_http.set_override([&](const std::string& url) -> std::optional<net::JsonReply> {
        if (url.find("/oi/oracle/") != std::string::npos) {
            if (url.find("offset=0") != std::string::npos) return booktest::json_reply(Json{{"txids", pages[0]}});
            if (url.find("offset=2000") != std::string::npos) return booktest::json_reply(Json{{"txids", pages[1]}});
            return booktest::failed_reply();
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
}

TEST_F(BookLoadTest, TheArchitectsListIsFetchedOncePerReductionAndOutlivesAFailure)
{
    const booktest::Trader architect = booktest::trader(54, "arch");
    devnet().set_identity("arch", architect.pub);
    devnet().set_architects({architect.pub});
    std::vector<std::string> ids;
    for (int i = 0; i < 3; ++i) ids.push_back(publish(listing(ALICE, 1000 + i)));
    std::vector<book::Listing> view;
    std::map<std::string, book::Listing> reduced;
    std::string error;
    ASSERT_TRUE(book::load_book_view(view, reduced, error, options())) << error;
    EXPECT_EQ(m_http.count("/architects"), 0u);  // no force cancel, no list

    for (int i = 0; i < 3; ++i) {
        publish(sign(Json{{"type", "ag_force_cancel"}, {"listing", ids[static_cast<size_t>(i)]}}, architect, 2000 + i));
    }
    publish(sign(Json{{"type", "ag_force_cancel"}, {"listing", ids[0]}}, architect, 2100));
    m_http.clear();
    ASSERT_TRUE(book::load_book_view(view, reduced, error, options())) << error;
    EXPECT_EQ(m_http.count("/architects"), 1u);
    for (const std::string& id : ids) EXPECT_EQ(reduced.at(id).status, "force_cancelled") << id;

    // The registry fails the list for a while: the listings stay closed.
    m_http.set_override([](const std::string& url) -> std::optional<net::JsonReply> {
        if (url.find("/architects") != std::string::npos) return booktest::failed_reply();
        return std::nullopt;
    });
    m_http.clear();
    ASSERT_TRUE(book::load_book_view(view, reduced, error, options())) << error;
    EXPECT_EQ(m_http.count("/architects"), 1u);
    for (const std::string& id : ids) EXPECT_EQ(reduced.at(id).status, "force_cancelled") << id;
    ASSERT_EQ(view.size(), 3u);
    for (const book::Listing& l : view) EXPECT_EQ(l.status, "force_cancelled");
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
        m_services.oracle_address = std::string(net::BOOK_ORACLE_ADDRESS);
        m_http.set_override([this](const std::string& url) -> std::optional<net::JsonReply> {
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

    booktest::RecordingHttp m_http;
    book::BookServices m_services;
    std::vector<net::JsonReply> m_pages;
};

TEST_F(IndexPagingTest, DownOnPageThreeKeepsPagesOneAndTwo)
{
    m_pages = {booktest::json_reply(Json{{"txids", ids(1, 2000)}}), booktest::json_reply(Json{{"txids", ids(2001, 2000)}}),
               booktest::failed_reply()};
    book::TxidList list;
    std::string error;
    EXPECT_TRUE(book::list_oi_txids(list, error, m_services));
    EXPECT_EQ(error, "");
    EXPECT_EQ(list.size(), 4000u);
    EXPECT_EQ(m_http.count("offset=4000"), 1u);
    EXPECT_EQ(m_http.count("offset=6000"), 0u);
}

TEST_F(IndexPagingTest, APageOfKnownIdsEndsThePaging)
{
    m_pages = {booktest::json_reply(Json{{"txids", ids(1, 2000)}}), booktest::json_reply(Json{{"txids", ids(1, 2000)}}),
               booktest::json_reply(Json{{"txids", ids(5001, 2000)}})};
    book::TxidList list;
    std::string error;
    EXPECT_TRUE(book::list_oi_txids(list, error, m_services));
    EXPECT_EQ(list.size(), 2000u);
    EXPECT_EQ(m_http.count("offset=4000"), 0u);
}

TEST_F(IndexPagingTest, AShortPageIsTheLast)
{
    m_pages = {booktest::json_reply(Json{{"txids", ids(1, 1999)}}), booktest::json_reply(Json{{"txids", ids(3001, 5)}})};
    book::TxidList list;
    std::string error;
    EXPECT_TRUE(book::list_oi_txids(list, error, m_services));
    EXPECT_EQ(list.size(), 1999u);
    EXPECT_EQ(m_http.count("offset=2000"), 0u);
}

TEST_F(IndexPagingTest, PagingStopsAtTwentyThousandIds)
{
    for (unsigned page = 0; page < 12; ++page) {
        m_pages.push_back(booktest::json_reply(Json{{"txids", ids(1 + page * 2000, 2000)}}));
    }
    book::TxidList list;
    std::string error;
    EXPECT_TRUE(book::list_oi_txids(list, error, m_services));
    EXPECT_EQ(list.size(), 20000u);
    EXPECT_EQ(m_http.count("offset=18000"), 1u);
    EXPECT_EQ(m_http.count("offset=20000"), 0u);
}

TEST_F(IndexPagingTest, OddIdsAreIgnoredAndCaseIsFolded)
{
    std::string upper(64, 'A');
    Json page = Json::array({upper, std::string(64, 'a'), std::string(63, 'b'), std::string(65, 'c'), 7, nullptr,
                             std::string(64, 'g'), std::string(64, 'd'), std::string(64, 'd')});
    m_pages = {booktest::json_reply(Json{{"txids", page}})};
    book::TxidList list;
    std::string error;
    EXPECT_TRUE(book::list_oi_txids(list, error, m_services));
    EXPECT_EQ(list.ids(), (std::vector<std::string>{std::string(64, 'a'), std::string(64, 'd')}));
}

TEST_F(IndexPagingTest, AnswersWithoutTxidsFailAndKeepEarlierPages)
{
    m_pages = {booktest::json_reply(Json{{"txids", ids(1, 2000)}}), booktest::json_reply(Json{{"ids", ids(1, 2)}})};
    book::TxidList list;
    std::string error;
    EXPECT_FALSE(book::list_oi_txids(list, error, m_services));
    EXPECT_EQ(error, "OI agoran returned no txids");
    EXPECT_EQ(list.size(), 2000u);

    m_pages = {booktest::failed_reply()};
    book::TxidList empty;
    EXPECT_FALSE(book::list_oi_txids(empty, error, m_services));
    EXPECT_EQ(error, "OI agoran txids failed");
}

TEST_F(IndexPagingTest, WhatsOnChainStopsOnceFourHundredIdsAreKnown)
{
    m_http.set_override([](const std::string& url) -> std::optional<net::JsonReply> {
        if (url.find("/unconfirmed/history") != std::string::npos) {
            Json entries = Json::array();
            for (Json id : ids(1, 300)) entries.push_back(Json{{"tx_hash", id}});
            return booktest::json_reply(entries);
        }
        if (url.find("/unspent") != std::string::npos) {
            Json entries = Json::array();
            for (Json id : ids(301, 150)) entries.push_back(Json{{"txid", id}});
            return booktest::json_reply(Json{{"result", entries}});
        }
        return booktest::json_reply(Json::array({ids(9000, 1)[0]}));
    });
    book::TxidList list;
    book::list_woc_txids(list, /*oi_succeeded=*/false, m_services);
    EXPECT_EQ(list.size(), 450u);
    EXPECT_EQ(m_http.count("/confirmed/history"), 0u);
}

} // namespace
