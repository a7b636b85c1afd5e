// The answers' shapes where readers go wrong (numbers as WhatsOnChain writes them, wrappers
// and bare arrays, missing members), and the registry host's records.
#include <gtest/gtest.h>

#include "net/market_addresses.h"
#include "tests/devnet/spend_helpers.h"

namespace devnet_test {
namespace services_test {

const std::string WOC = "/woc/v1/bsv/main";

class Services : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        alice = test_key("alice");
        bob = test_key("bob");
    }
    TestKey alice;
    TestKey bob;
};

TEST_F(Services, WhatsOnChainWritesValuesAsJavaScriptNumbers)
{
    Coin coin = funded_coin(devnet(), alice, 100000);
    tx::RawTx t = signed_tx({coin}, {pay(bob, 549), pay(bob, 1), pay(bob, 9000), pay(alice, 90000)});
    ASSERT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(t)).status, 200);
    auto reply = devnet().get(WOC + "/tx/" + txid_of(t));
    EXPECT_NE(reply.body.find("\"value\":0.00000549,"), std::string::npos) << reply.body;
    EXPECT_NE(reply.body.find("\"value\":1e-8,"), std::string::npos);
    EXPECT_NE(reply.body.find("\"value\":0.00009,"), std::string::npos);
    auto doc = reply.json();
    EXPECT_FALSE(doc["vout"][0].contains("valueSat"));
    EXPECT_EQ(doc["vin"][0]["coinbase"], "");
    EXPECT_NE(doc["vin"][0]["scriptSig"]["asm"].get<std::string>().find("[ALL|FORKID] " + alice.pub), std::string::npos);
    EXPECT_EQ(doc["vout"][0]["scriptPubKey"]["type"], "pubkeyhash");
    // The registry host's copy also carries integer satoshis.
    auto oi = devnet().get("/registry/oi/tx/" + txid_of(t)).json();
    EXPECT_EQ(oi["vout"][0]["valueSat"], 549);
}

TEST_F(Services, UnspentListsUseTheirOwnShapes)
{
    Coin mined = funded_coin(devnet(), alice, 4000);
    devnet().mine();
    Coin fresh = funded_coin(devnet(), alice, 3000);
    tx::RawTx spend = signed_tx({mined}, {pay(bob, 3500)});
    ASSERT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(spend)).status, 200);

    auto all = devnet().get(WOC + "/address/" + alice.address + "/unspent/all").json();
    ASSERT_EQ(all["result"].size(), 2u);
    for (const auto& e : all["result"]) {
        if (e["status"] == "confirmed") {
            EXPECT_EQ(e["height"], 1);
            EXPECT_EQ(e["isSpentInMempoolTx"], true);
            EXPECT_FALSE(e.contains("hex"));
        } else {
            EXPECT_FALSE(e.contains("height"));
            EXPECT_EQ(e["hex"], core::hex_encode(tx::p2pkh_script(alice.hash)));
        }
    }
    EXPECT_EQ(all["script"].get<std::string>().size(), 64u);
    auto legacy = devnet().get(WOC + "/address/" + alice.address + "/unspent").json();
    ASSERT_TRUE(legacy.is_array());  // bare array, without the coin spent in the mempool
    ASSERT_EQ(legacy.size(), 1u);
    EXPECT_EQ(legacy[0]["tx_hash"], fresh.txid);
    EXPECT_EQ(legacy[0]["height"], 0);
    EXPECT_EQ(devnet().get(WOC + "/address/" + alice.address + "/confirmed/unspent").json()["result"].size(), 1u);
    EXPECT_EQ(devnet().get(WOC + "/address/" + alice.address + "/unconfirmed/unspent").json()["result"].size(), 1u);
    auto bulk = devnet().post(WOC + "/addresses/confirmed/unspent", nlohmann::json{{"addresses", {test_key("nobody").address}}}.dump()).json();
    EXPECT_EQ(bulk[0]["result"], nullptr);
    auto history = devnet().get(WOC + "/address/" + alice.address + "/history").json();
    ASSERT_TRUE(history.is_array());
    EXPECT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0]["height"], 1);
    auto balance = devnet().get(WOC + "/address/" + alice.address + "/balance").json();
    EXPECT_EQ(balance["confirmed"], 4000);
    EXPECT_EQ(balance["unconfirmed"], 3000 - 4000);
    EXPECT_EQ(devnet().get(WOC + "/address/not-an-address/unspent/all").status, 400);
    EXPECT_EQ(devnet().get(WOC + "/tx/" + mined.txid + "/raw").status, 404);
    EXPECT_EQ(devnet().get(WOC + "/tx/" + mined.txid + "/decoded").status, 404);
}

TEST_F(Services, OracleIndexListsTheBookInFirstSeenOrder)
{
    std::vector<std::string> paid;
    for (int i = 0; i < 5; ++i) paid.push_back(devnet().fund(std::string(net::BOOK_ORACLE_ADDRESS), 1));
    devnet().fund(alice.address, 1);  // not the oracle
    devnet().mine();
    paid.push_back(devnet().fund(std::string(net::BOOK_ORACLE_ADDRESS), 1));

    auto page = [&](int limit, int offset) {
        return devnet().get("/registry/oi/oracle/agoran/txids?limit=" + std::to_string(limit) + "&offset=" + std::to_string(offset)).json()["txids"];
    };
    EXPECT_EQ(page(2000, 0), nlohmann::json(paid));
    EXPECT_EQ(page(2, 2), nlohmann::json({paid[2], paid[3]}));
    EXPECT_EQ(page(10, 6), nlohmann::json::array());
    EXPECT_EQ(devnet().get("/registry/oi/oracle/unknown/txids").json()["txids"], nlohmann::json::array());

    // A different oracle address, set at run time.
    devnet().admin("/oracle", {{"name", "agoran"}, {"address", alice.address}});
    EXPECT_EQ(page(10, 0).size(), 1u);
}

TEST_F(Services, RegistryPublishesIdentitiesFreezesAndArchitects)
{
    const std::string R = "/registry/api";
    devnet().set_identity("alice", alice.pub);
    EXPECT_EQ(devnet().get(R + "/bsvalias/id/Alice@example.com").json()["pubkey"], alice.pub);
    EXPECT_EQ(devnet().get(R + "/bsvalias/id/carol@example.com").status, 404);
    devnet().set_identity("alice", bob.pub);  // a changed key
    EXPECT_EQ(devnet().get(R + "/bsvalias/id/alice@example.com").json()["pubkey"], bob.pub);

    EXPECT_EQ(devnet().get(R + "/paymail/identity/" + alice.pub).json()["frozen"], false);
    devnet().freeze(alice.pub, "stolen key");
    auto frozen = devnet().get(R + "/paymail/identity/" + alice.pub).json();
    EXPECT_EQ(frozen["frozen"], true);
    EXPECT_EQ(frozen["frozenNote"], "stolen key");
    devnet().unfreeze(alice.pub);
    EXPECT_EQ(devnet().get(R + "/paymail/identity/" + alice.pub).json()["frozen"], false);
    EXPECT_EQ(devnet().get(R + "/paymail/identity/zz").status, 400);

    devnet().set_architects({bob.pub});
    EXPECT_EQ(devnet().get(R + "/paymail/architects").json()["pubkeys"], nlohmann::json({bob.pub}));
    EXPECT_EQ(devnet().get(R + "/paymail/quota/" + bob.pub).json()["role"], "architect");
    EXPECT_EQ(devnet().get(R + "/paymail/quota/" + alice.pub).json()["role"], "user");

    auto claim = [&](const std::string& handle, const std::string& key) {
        return devnet().post(R + "/paymail/claim", nlohmann::json{{"handle", handle}, {"pubkey", key}}.dump());
    };
    EXPECT_EQ(claim("dora", alice.pub).status, 200);
    EXPECT_EQ(devnet().get(R + "/bsvalias/id/dora@example.com").json()["pubkey"], alice.pub);
    EXPECT_EQ(claim("dora", bob.pub).status, 409);  // taken by another identity
    EXPECT_EQ(claim("", bob.pub).status, 400);
    EXPECT_EQ(devnet().post(R + "/paymail/claim", "nope").status, 400);
    EXPECT_EQ(devnet().get(R + "/paymail/quota/" + alice.pub).json()["claims"], 1);
}

TEST_F(Services, ProductPageAndReportsAreKept)
{
    EXPECT_NE(devnet().get("/product").body.find("version"), std::string::npos);
    devnet().admin("/product", {{"text", "<p>Current build: version 0.003</p>"}});
    EXPECT_EQ(devnet().get("/product/download").body, "<p>Current build: version 0.003</p>");

    std::string report = devnet().fund(std::string(net::REPORT_ORACLE_ADDRESS), 1);
    auto reports = devnet().get("/admin/reports").json()["reports"];
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["txid"], report);
    EXPECT_EQ(reports[0]["hex"], devnet().get(WOC + "/tx/" + report + "/hex").body);
}

} // namespace services_test
} // namespace devnet_test
