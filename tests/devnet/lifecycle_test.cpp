// The simulator as a process: state that survives a restart. Fault injection and the indexers'
// lag are exercised by the product's own fault tests, which fail when a fault does not take.
#include <gtest/gtest.h>

#include "tests/devnet/spend_helpers.h"

namespace devnet_test {
namespace {

const std::string WOC = "/woc/v1/bsv/main";

class Lifecycle : public SpendTest {};

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

} // namespace
} // namespace devnet_test
