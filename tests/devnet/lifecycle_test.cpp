// The simulator as a process: port 0, the services file, state that survives a restart (and a
// torn journal line), fault injection per service, the indexers' lag, and the block timer.
#include <chrono>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "tests/devnet/spend_helpers.h"

namespace devnet_test {
namespace {

using namespace std::chrono_literals;
const std::string WOC = "/woc/v1/bsv/main";

// Polls until pred holds or about five seconds pass.
template <class Pred>
bool eventually(Pred pred)
{
    for (int i = 0; i < 100; ++i) {
        if (pred()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return pred();
}

TEST(DevnetProcess, PortZeroGivesEachSimulatorItsOwnPortAndWritesTheServicesFile)
{
    testsupport::TempDir data;
    auto first = testsupport::Devnet::start({{"--write-services", data.path().string()}, {}});
    auto second = testsupport::Devnet::start();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->port(), second->port());
    EXPECT_GT(first->port(), 0);
    EXPECT_EQ(first->base_url(), "http://127.0.0.1:" + std::to_string(first->port()));

    std::ifstream in(data.path() / "agoran" / "services.json");
    nlohmann::json services = nlohmann::json::parse(in, nullptr, false);
    ASSERT_TRUE(services.is_object());
    EXPECT_EQ(services["woc_api"], first->base_url() + "/woc/v1/bsv/main");
    EXPECT_EQ(services["ordinals_api"], first->base_url() + "/ordinals/api");
    EXPECT_EQ(services["ordinals_content"], first->base_url() + "/ordinals");
    EXPECT_EQ(services["arc"], first->base_url() + "/arc");
    EXPECT_EQ(services["registry"], first->base_url() + "/registry");
    EXPECT_FALSE(services.contains("registry_domain"));
    EXPECT_EQ(first->get("/admin/status").json()["height"], 0);
}

TEST(DevnetProcess, BadArgumentsStopWithAnErrorAndHelpPrintsTheUsage)
{
    auto process = platform::ChildProcess::start(testsupport::devnet_binary(), {"--port", "0"});
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(process->wait(5s), std::optional<int>(1));  // --state is required
    auto bad = platform::ChildProcess::start(testsupport::devnet_binary(), {"--port", "x", "--state", "/tmp"});
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(bad->wait(5s), std::optional<int>(1));
    auto help = platform::ChildProcess::start(testsupport::devnet_binary(), {"--help"});
    ASSERT_NE(help, nullptr);
    const auto usage = help->read_line(5s);
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->rfind("usage: agoran-devnet --port N --state DIR", 0), 0u) << *usage;
    EXPECT_EQ(help->wait(5s), std::optional<int>(0));
}

class Lifecycle : public testsupport::DevnetTest {
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

TEST_F(Lifecycle, StateSurvivesARestart)
{
    Coin coin = funded_coin(devnet(), alice, 50000);
    devnet().mine(2);
    tx::RawTx pending = signed_tx({coin}, {pay(bob, 49000)});
    ASSERT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(pending)).status, 200);
    std::string id = devnet().mint(alice.address, "5000", "KEEP");
    devnet().set_identity("Alice", alice.pub);
    devnet().freeze(bob.pub, "under review");
    devnet().admin("/product", {{"text", "current build version 0.003"}});

    ASSERT_TRUE(devnet().restart());
    EXPECT_EQ(devnet().get("/admin/status").json()["height"], 2);
    EXPECT_EQ(devnet().get(WOC + "/tx/" + coin.txid).json()["confirmations"], 2);
    EXPECT_FALSE(devnet().get(WOC + "/tx/" + txid_of(pending)).json().contains("blockhash"));
    EXPECT_EQ(devnet().get(WOC + "/tx/" + coin.txid + "/0/spent").json()["txid"], txid_of(pending));
    EXPECT_EQ(devnet().get("/ordinals/api/bsv20/id/" + id).json()["sym"], "KEEP");
    EXPECT_EQ(devnet().get("/registry/api/bsvalias/id/alice@example.com").json()["pubkey"], alice.pub);
    EXPECT_EQ(devnet().get("/registry/api/paymail/identity/" + bob.pub).json()["frozenNote"], "under review");
    EXPECT_EQ(devnet().get("/product").body, "current build version 0.003");
    // The restored mempool still refuses a conflicting spend.
    tx::RawTx conflict = signed_tx({coin}, {pay(alice, 49000)});
    EXPECT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(conflict)).body, "unexpected response code 500: 258: txn-mempool-conflict");
}

TEST_F(Lifecycle, ATornJournalLineIsDroppedAndAMalformedOneRefused)
{
    std::string txid = devnet().fund(alice.address, 7000);
    devnet().stop();
    {
        std::ofstream out(devnet().state_dir() / "chain.jsonl", std::ios::app | std::ios::binary);
        out << "{\"e\":\"tx\",\"hex\":\"0100";  // a write cut short
    }
    ASSERT_TRUE(devnet().restart());
    EXPECT_EQ(devnet().get(WOC + "/tx/" + txid).status, 200);
    std::string second = devnet().fund(alice.address, 8000);
    ASSERT_TRUE(devnet().restart());
    EXPECT_EQ(devnet().get(WOC + "/tx/" + second).status, 200);

    devnet().stop();
    {
        std::ofstream out(devnet().state_dir() / "chain.jsonl", std::ios::trunc | std::ios::binary);
        out << "garbage\n{\"e\":\"block\",\"t\":1}\n";
    }
    auto broken = platform::ChildProcess::start(testsupport::devnet_binary(), {"--port", "0", "--state", devnet().state_dir().string()});
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->wait(5s), std::optional<int>(1));
}

TEST_F(Lifecycle, FaultsApplyPerServiceUntilCleared)
{
    devnet().fault("woc", {{"down", true}});
    EXPECT_EQ(devnet().get(WOC + "/chain/info").status, 0);  // the answer breaks off
    EXPECT_EQ(devnet().get("/arc/v1/tx/" + std::string(64, 'a')).status, 404);  // other services answer

    devnet().fault("woc", {{"rate_limit_next", 2}});
    EXPECT_EQ(devnet().get(WOC + "/chain/info").status, 429);
    EXPECT_EQ(devnet().get(WOC + "/chain/info").status, 429);
    EXPECT_EQ(devnet().get(WOC + "/chain/info").status, 200);

    devnet().fault("woc", {{"rate_per_second", 1}});  // one a second: the next one at once is refused
    EXPECT_EQ(devnet().get(WOC + "/chain/info").status, 200);
    EXPECT_EQ(devnet().get(WOC + "/chain/info").status, 429);

    devnet().fault("woc", {{"refuse_first_asks", 2}});  // every second request asked for the first time
    const std::string unknown = WOC + "/tx/" + std::string(64, 'a');
    EXPECT_EQ(devnet().get(unknown).status, 429);
    EXPECT_EQ(devnet().get(unknown).status, 404);  // asked again: served
    EXPECT_EQ(devnet().get(WOC + "/tx/" + std::string(64, 'b')).status, 404);
    EXPECT_EQ(devnet().get(WOC + "/tx/" + std::string(64, 'c')).status, 429);

    devnet().fault("registry", {{"status", 500}, {"body", "<html><body>oops</body></html>"}, {"content_type", "text/html"}});
    auto html = devnet().get("/registry/api/paymail/architects");
    EXPECT_EQ(html.status, 500);
    EXPECT_EQ(html.body, "<html><body>oops</body></html>");

    devnet().fault("ordinals", {{"delay_ms", 200}});
    EXPECT_EQ(devnet().get("/ordinals/api/txos/" + std::string(64, 'a') + "_0").status, 404);  // late, but answered

    Coin coin = funded_coin(devnet(), alice, 20000);
    tx::RawTx t = signed_tx({coin}, {pay(bob, 19000)});
    devnet().fault("woc", {{"lose_next", 1}});
    EXPECT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(t)).status, 0);  // taken, answer lost
    EXPECT_EQ(devnet().get(WOC + "/tx/" + txid_of(t)).status, 200);
    EXPECT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(t)).body, "unexpected response code 500: Transaction already in the mempool");

    devnet().clear_faults();
    EXPECT_EQ(devnet().get("/registry/api/paymail/architects").status, 200);
}

TEST(LifecycleProfile, TheWanProfileIsSlowAndRateLimitsWhatsOnChain)
{
    testsupport::TempDir data;
    auto wan = testsupport::Devnet::start({{"--profile", "wan", "--write-services", data.path().string()}, {}});
    ASSERT_NE(wan, nullptr);
    nlohmann::json faults = nlohmann::json::parse(wan->get("/admin/faults").body);
    EXPECT_EQ(faults["woc"]["rate_per_second"], 3);
    for (const char* service : {"woc", "ordinals", "arc", "registry"}) EXPECT_EQ(faults[service]["delay_ms"], 100) << service;
    std::ifstream in(data.path() / "agoran" / "services.json");
    EXPECT_EQ(nlohmann::json::parse(in)["pace"]["woc"], 3);
}

TEST_F(Lifecycle, AdminRefusesBadRequests)
{
    EXPECT_EQ(devnet().post("/admin/fund", R"({"address":"1BadAddress","satoshis":5})").status, 400);
    EXPECT_EQ(devnet().post("/admin/fund", "[]").status, 400);
    EXPECT_EQ(devnet().post("/admin/mint", nlohmann::json{{"address", alice.address}, {"amount", "18446744073709551616"}}.dump()).status, 400);
    EXPECT_EQ(devnet().post("/admin/mint", nlohmann::json{{"address", alice.address}, {"amount", "-5"}}.dump()).status, 400);
    EXPECT_EQ(devnet().post("/admin/fault", R"({"service":"woc","delay_ms":"slow"})").status, 400);
    EXPECT_EQ(devnet().post("/admin/fault", R"({"service":"nowhere"})").status, 400);
    EXPECT_EQ(devnet().post("/admin/identity", R"({"handle":"x","pubkey":"02zz"})").status, 400);
    EXPECT_EQ(devnet().post("/admin/import", R"({"hex":"00"})").status, 400);
    EXPECT_EQ(devnet().post("/admin/seed", nlohmann::json{{"txid", std::string(64, '1')}, {"vout", 0}, {"satoshis", 5}, {"script_hex", ""}}.dump()).status, 400);
    EXPECT_EQ(devnet().get("/admin/nothing").status, 404);
}

TEST_F(Lifecycle, DelayedVisibilityHidesAcceptedTransactionsFromTheIndexesOnly)
{
    Coin coin = funded_coin(devnet(), alice, 30000);
    devnet().admin("/visibility", {{"delay_ms", 500}});
    tx::RawTx parent = signed_tx({coin}, {pay(bob, 29000)});
    ASSERT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(parent)).status, 200);
    EXPECT_EQ(devnet().get(WOC + "/tx/" + txid_of(parent)).status, 404);
    EXPECT_EQ(devnet().get(WOC + "/tx/" + coin.txid + "/0/spent").status, 404);

    // The node has it: a child is accepted, a conflict refused.
    Coin out = Coin{txid_of(parent), 0, 29000, tx::p2pkh_script(bob.hash), bob};
    tx::RawTx child = signed_tx({out}, {pay(alice, 28000)});
    EXPECT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(child)).status, 200);
    EXPECT_EQ(devnet().post(WOC + "/tx/raw", broadcast_body(signed_tx({coin}, {pay(alice, 29000)}))).body,
              "unexpected response code 500: 258: txn-mempool-conflict");

    EXPECT_TRUE(eventually([&] { return devnet().get(WOC + "/tx/" + txid_of(child)).status == 200; }));
    EXPECT_EQ(devnet().get(WOC + "/tx/" + txid_of(parent)).status, 200);
}

class BlockTimer : public testsupport::DevnetTest {
protected:
    testsupport::Devnet::Options devnet_options() const override { return {{"--block-interval", "1"}, {}}; }
};

TEST_F(BlockTimer, MinesOnItsOwn)
{
    std::string txid = devnet().fund(test_key("alice").address, 1000);
    EXPECT_TRUE(eventually([&] { return devnet().get(WOC + "/tx/" + txid).json().contains("blockhash"); }));
}

} // namespace
} // namespace devnet_test
