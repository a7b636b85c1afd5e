// The typed admin client drives a running simulator and reports its refusals in its words.
#include <gtest/gtest.h>

#include "net/devnet_admin_client.h"
#include "net/http_client.h"
#include "tests/devnet/spend_helpers.h"

namespace devnet_test {
namespace {

class AdminClient : public testsupport::DevnetTest {
protected:
    net::DevnetAdminClient client() { return net::DevnetAdminClient(devnet().base_url(), net::default_http()); }
};

TEST_F(AdminClient, FundsMintsInscribesAndMines)
{
    TestKey alice = test_key("alice");
    auto admin = client();
    auto txid = admin.fund(alice.address, 12345);
    ASSERT_TRUE(txid) << txid.error;
    EXPECT_EQ(devnet().get("/woc/v1/bsv/main/tx/" + *txid).json()["vout"][0]["value"], 0.00012345);

    auto id = admin.mint(alice.address, "21000000", "GOLD", "", "8");
    ASSERT_TRUE(id) << id.error;
    EXPECT_EQ(devnet().get("/ordinals/api/bsv20/id/" + *id).json()["dec"], 8);

    std::string png = "\x89PNG\r\n\x1a\nbody";
    auto origin = admin.inscribe(alice.address, "image/png", core::as_bytes(png));
    ASSERT_TRUE(origin) << origin.error;
    EXPECT_EQ(devnet().get("/ordinals/content/" + *origin).body, png);

    auto height = admin.mine(3);
    ASSERT_TRUE(height);
    EXPECT_EQ(*height, 3);
    auto status = admin.status();
    ASSERT_TRUE(status);
    EXPECT_EQ((*status)["mempool"], 0);

    ASSERT_TRUE(admin.set_identity("alice", alice.pub));
    EXPECT_EQ(devnet().get("/registry/api/bsvalias/id/alice@x").json()["pubkey"], alice.pub);
    ASSERT_TRUE(admin.fault("arc", {{"status", 503}}));
    EXPECT_EQ(devnet().get("/arc/v1/tx/" + *txid).status, 503);
    ASSERT_TRUE(admin.clear_faults());
    EXPECT_EQ(devnet().get("/arc/v1/tx/" + *txid).status, 200);
}

TEST_F(AdminClient, RefusalsCarryTheSimulatorsSentence)
{
    auto admin = client();
    auto bad = admin.fund("not-an-address", 5);
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.failure, net::Failure::Request);
    EXPECT_EQ(bad.status, 400);
    EXPECT_EQ(bad.error, "address is not a P2PKH address");
    EXPECT_FALSE(admin.import_tx("00"));
    EXPECT_FALSE(admin.fault("nowhere", nlohmann::json::object()));

    net::DevnetAdminClient nobody("http://127.0.0.1:1", net::default_http());
    auto down = nobody.mine();
    EXPECT_FALSE(down);
    EXPECT_EQ(down.status, 0);
    EXPECT_FALSE(down.error.empty());
}

} // namespace
} // namespace devnet_test
