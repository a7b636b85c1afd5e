#include "net/chain_tx.h"

#include <gtest/gtest.h>

#include "core/json_get.h"
#include "tests/support/test_data.h"

namespace {

using core::Json;

TEST(BsvToSatsTest, FloatsThatDoNotConvertExactly)
{
    EXPECT_EQ(net::bsv_to_sats(0.00000549), 549);  // 548.99999999... as a product
    EXPECT_EQ(net::bsv_to_sats(0.0245168), 2451680);
    EXPECT_EQ(net::bsv_to_sats(12.5000042), 1250000420);
    EXPECT_EQ(net::bsv_to_sats(0.29), 29000000);   // 28999999.999999996 as a product
    EXPECT_EQ(net::bsv_to_sats(20999999.99999999), 2099999999999999);
    EXPECT_EQ(net::bsv_to_sats(21000000.0), 2100000000000000);
    EXPECT_EQ(net::bsv_to_sats(0.0), 0);
    EXPECT_FALSE(net::bsv_to_sats(-0.00000001));
    EXPECT_FALSE(net::bsv_to_sats(21000000.00000001 * 2));
    EXPECT_FALSE(net::bsv_to_sats(std::nan("")));
    EXPECT_FALSE(net::bsv_to_sats(1.0 / 0.0));
}

TEST(ChainTxTest, WhatsOnChainTransactionWithFloatValues)
{
    Json doc = testsupport::read_json_vector("fixtures/woc-tx-with-opreturn.json");
    auto tx = net::parse_chain_tx(doc);
    ASSERT_TRUE(tx);
    EXPECT_EQ(tx->txid, "33b9432a0ea203bbb6ec00592622cf6e90223849e4c9a76447a19a3ed43907d3");
    ASSERT_EQ(tx->outputs.size(), 4u);
    EXPECT_EQ(tx->outputs[0].sats, 0);
    EXPECT_EQ(tx->outputs[0].script_hex.substr(0, 4), "006a");
    EXPECT_TRUE(tx->outputs[0].addresses.empty());
    EXPECT_EQ(tx->outputs[1].sats, 549);
    EXPECT_EQ(tx->outputs[2].sats, 5489);
    EXPECT_EQ(tx->outputs[3].sats, 2451680);
    EXPECT_EQ(tx->outputs[3].addresses, std::vector<std::string>{"1JSSSgcyufLgbXFw6WAXyXgBrmgFpnqXWh"});
    EXPECT_TRUE(tx->confirmed);
    EXPECT_EQ(net::chain_vout_count(doc), 4u);

    auto coinbase = net::parse_chain_tx(testsupport::read_json_vector("fixtures/woc-tx.json"));
    ASSERT_TRUE(coinbase);
    EXPECT_EQ(coinbase->outputs.at(0).sats, 1250000420);
    EXPECT_EQ(coinbase->block_height, 575191);
}

TEST(ChainTxTest, UnconfirmedAndTruncatedOutputs)
{
    Json doc = testsupport::read_json_vector("fixtures/woc-tx.json");
    doc.erase("blockhash");
    doc.erase("confirmations");
    doc["vout"][0]["scriptPubKey"]["isTruncated"] = true;
    doc["vout"][0]["scriptPubKey"]["hex"] = "0063036f7264...";  // a cut script need not be hex
    auto tx = net::parse_chain_tx(doc);
    ASSERT_TRUE(tx);
    EXPECT_FALSE(tx->confirmed);
    EXPECT_EQ(tx->block_height, 0);
    EXPECT_TRUE(tx->outputs[0].script_truncated);
    EXPECT_TRUE(tx->outputs[0].script_hex.empty());
}

TEST(ChainTxTest, SatoshiMembersWinOverValue)
{
    EXPECT_EQ(net::chain_output_sats(Json::parse(R"({"valueSat": 1234, "value": 9})")), 1234);
    EXPECT_EQ(net::chain_output_sats(Json::parse(R"({"valueSat": 1233.6})")), 1234);
    EXPECT_EQ(net::chain_output_sats(Json::parse(R"({"satoshis": 1, "value": 1.0})")), 1);
    EXPECT_EQ(net::chain_output_sats(Json::parse(R"({"value": 1})")), 100000000);
    EXPECT_FALSE(net::chain_output_sats(Json::parse(R"({"value": "0.1"})")));
    EXPECT_FALSE(net::chain_output_sats(Json::parse(R"({"valueSat": -1})")));
    EXPECT_FALSE(net::chain_output_sats(Json::parse(R"({})")));
}

TEST(ChainTxTest, MalformedTransactionsAreRefusedWhole)
{
    const Json good = testsupport::read_json_vector("fixtures/woc-tx-with-opreturn.json");
    ASSERT_TRUE(net::parse_chain_tx(good));
    auto broken = [&](auto change) {
        Json doc = good;
        change(doc);
        return !net::parse_chain_tx(doc).has_value();
    };
    EXPECT_TRUE(broken([](Json& d) { d.erase("txid"); }));
    EXPECT_TRUE(broken([](Json& d) { d["txid"] = "33b9"; }));
    EXPECT_TRUE(broken([](Json& d) { d["vout"] = Json::object(); }));
    EXPECT_TRUE(broken([](Json& d) { d["vout"][1].erase("value"); }));           // unknown amount
    EXPECT_TRUE(broken([](Json& d) { d["vout"][1]["value"] = -0.1; }));
    EXPECT_TRUE(broken([](Json& d) { d["vout"][2]["n"] = 1; }));                 // out of order
    EXPECT_TRUE(broken([](Json& d) { d["vout"][3]["scriptPubKey"]["hex"] = "76a9zz"; }));
    EXPECT_TRUE(broken([](Json& d) { d["vout"][3]["scriptPubKey"]["hex"] = "76a"; }));
    EXPECT_TRUE(broken([](Json& d) { d["vout"][0] = "output"; }));
    EXPECT_FALSE(net::parse_chain_tx(Json::array()));
    EXPECT_FALSE(net::parse_chain_tx(Json()));
}

TEST(ChainTxTest, UpperCaseIsLowered)
{
    Json doc = testsupport::read_json_vector("fixtures/woc-tx.json");
    doc["txid"] = "C1D32F28BAA27A376BA977F6A8DE6CE0A87041157CEF0274B20BFDA2B0D8DF96";
    doc["vout"][0]["scriptPubKey"]["hex"] = "76A914492558FB8CA71A3591316D095AFC0F20EF7D42F788AC";
    doc["vout"][0]["scriptPubKey"].erase("addresses");
    doc["vout"][0]["scriptPubKey"]["address"] = "17fm4xevwDh3XRHv9UoqYrVgPMbwcGHsUs";
    auto tx = net::parse_chain_tx(doc);
    ASSERT_TRUE(tx);
    EXPECT_EQ(tx->txid, "c1d32f28baa27a376ba977f6a8de6ce0a87041157cef0274b20bfda2b0d8df96");
    EXPECT_EQ(tx->outputs[0].script_hex, "76a914492558fb8ca71a3591316d095afc0f20ef7d42f788ac");
    EXPECT_EQ(tx->outputs[0].addresses, std::vector<std::string>{"17fm4xevwDh3XRHv9UoqYrVgPMbwcGHsUs"});
}

} // namespace
