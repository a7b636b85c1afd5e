// The typed admin client reports the simulator's refusals in its words (its successful calls are
// the demo seeding's and Pursa's).
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
