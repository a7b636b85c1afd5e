// The token index: BSV-21 tokens follow the indexer's rules (string values only, whole
// transfers invalid when they claim more than their inputs hold). How an
// inscription follows its satoshi is exercised by the product's own trade tests.
#include <gtest/gtest.h>

#include "tests/devnet/spend_helpers.h"
#include "tx/inscription.h"

namespace devnet_test {
namespace {

const std::string API = "/ordinals/api";

class Indexing : public SpendTest {
protected:
    nlohmann::json txo(const std::string& outpoint) { return devnet().get(API + "/txos/" + outpoint).json(); }

    void submit(const tx::RawTx& t)
    {
        auto reply = devnet().post("/woc/v1/bsv/main/tx/raw", broadcast_body(t));
        ASSERT_EQ(reply.status, 200) << reply.body;
    }

    Coin coin_at(const std::string& txid, uint32_t vout, uint64_t value, const TestKey& key)
    {
        return Coin{txid, vout, value, output_script(devnet(), txid, vout), key};
    }

    tx::RawTxOutput transfer(const TestKey& to, const std::string& id, const std::string& amt)
    {
        std::string body = "{\"amt\":\"" + amt + "\",\"id\":\"" + id + "\",\"op\":\"transfer\",\"p\":\"bsv-20\"}";
        return tx::RawTxOutput{1, tx::inscription_script(to.hash, "application/bsv-20", core::as_bytes(body))};
    }
};

TEST_F(Indexing, TransferClaimingMoreThanItsInputsInvalidatesEveryOutput)
{
    for (bool greedy : {false, true}) {
        SCOPED_TRACE(greedy ? "greedy" : "balanced");
        std::string id = devnet().mint(alice.address, "1000", "TOK", "", "2");
        Coin tokens = coin_at(id.substr(0, 64), 0, 1, alice);
        Coin fee = funded_coin(devnet(), alice, 10000);
        tx::RawTx t = signed_tx({tokens, fee}, {transfer(bob, id, "600"), transfer(alice, id, greedy ? "500" : "400"),
                                                pay(alice, 9000)});
        submit(t);
        for (uint32_t vout : {0u, 1u}) {
            auto out = devnet().get(API + "/bsv20/outpoint/" + txid_of(t) + "_" + std::to_string(vout)).json();
            EXPECT_EQ(out["status"], greedy ? -1 : 1);
            EXPECT_EQ(out["reason"], greedy ? nlohmann::json("insufficient balance 400 < 500") : nlohmann::json(nullptr));
        }
        auto valid = devnet().get(API + "/bsv20/" + bob.address + "/id/" + id).json();
        EXPECT_EQ(valid.size(), greedy ? 0u : 1u);
    }
}

TEST_F(Indexing, TokenBodiesWithNonStringValuesAreNotTokens)
{
    std::string numeric = devnet().inscribe(alice.address, "application/bsv-20", R"({"p":"bsv-20","op":"deploy+mint","amt":1000})");
    std::string big_dec = devnet().inscribe(alice.address, "application/bsv-20", R"({"p":"bsv-20","op":"deploy+mint","amt":"1000","dec":"19"})");
    std::string good = devnet().inscribe(alice.address, "Application/BSV-20", R"({"p":"bsv-20","op":"DEPLOY+MINT","amt":"1000"})");
    for (const auto& origin : {numeric, big_dec}) {
        auto reply = devnet().get(API + "/bsv20/id/" + origin);
        EXPECT_EQ(reply.status, 404);
        EXPECT_EQ(reply.json(), nlohmann::json({{"message", "Not Found"}}));
        EXPECT_FALSE(txo(origin)["data"].contains("bsv20"));
    }
    EXPECT_EQ(txo(numeric)["data"]["insc"]["json"]["amt"], 1000);  // still indexed as JSON
    EXPECT_EQ(devnet().get(API + "/bsv20/id/" + good).json()["amt"], "1000");
    auto tokens = devnet().get(API + "/txos/address/" + alice.address + "/unspent?bsv20=true").json();
    auto others = devnet().get(API + "/txos/address/" + alice.address + "/unspent?bsv20=false").json();
    EXPECT_EQ(tokens.size(), 1u);
    EXPECT_EQ(others.size(), 2u);
}

} // namespace
} // namespace devnet_test
