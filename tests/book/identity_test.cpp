#include "book/identity.h"

#include <gtest/gtest.h>

#include "book/listing_check.h"
#include "tests/book/devnet_book.h"

namespace {

using book::Json;

const booktest::Trader ALICE = booktest::trader(61, "alice");
const booktest::Trader ARCH = booktest::trader(62, "arch");

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
    for (const std::string& live : {origin, colon}) EXPECT_TRUE(book::listing_output_unspent(live, m_services).ok()) << live;
    // The lot moves on: a later transaction spends the output.
    tx::RawTx spend;
    tx::RawTxInput in;
    in.prev_hash = tx::txid_to_wire(origin.substr(0, 64)).value();
    in.script_sig = {0x51};
    spend.inputs.push_back(in);
    spend.outputs.push_back({1, booktest::p2pkh_lock(booktest::OTHER_ADDRESS)});
    ASSERT_FALSE(devnet().import_tx(core::hex_encode(tx::serialize_raw_tx(spend))).empty());
    const std::pair<std::string, book::BookCode> refused[] = {
        {origin.substr(0, 40) + "_0", book::BookCode::OutputInvalid},
        {std::string(64, 'z') + "_0", book::BookCode::OutputInvalid},
        {std::string(64, 'b') + "_0", book::BookCode::OutputUnknown},
        {origin, book::BookCode::OutputSpent},
    };
    for (const auto& [outpoint, why] : refused) {
        book::BookResult<void> checked = book::listing_output_unspent(outpoint, m_services);
        ASSERT_FALSE(checked.ok()) << outpoint;
        EXPECT_EQ(checked.error().code, why) << outpoint;
    }
}

} // namespace

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
        sides[i].services.config = config;
        sides[i].services.http = &sides[i].http;
        sides[i].services.caches = &sides[i].caches;
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
