#include "net/chain_tx.h"

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "core/json_get.h"
#include "tests/support/test_data.h"

namespace chain_tx_test {

using core::Json;

// Amounts in BSV as the service writes them become exact satoshis, including floats whose
// product with 1e8 falls just below the whole number.
TEST(ChainTxTest, BsvFloatsAndSatoshiMembers)
{
    const std::pair<double, std::optional<int64_t>> floats[] = {
        {0.00000549, 549},        {0.0245168, 2451680},        {12.5000042, 1250000420},
        {0.29, 29000000},         {20999999.99999999, 2099999999999999}, {21000000.0, 2100000000000000},
        {0.0, 0},                 {-0.00000001, std::nullopt}, {42000000.00000002, std::nullopt},
        {std::nan(""), std::nullopt}, {INFINITY, std::nullopt},
    };
    for (const auto& [bsv, sats] : floats) EXPECT_EQ(net::bsv_to_sats(bsv), sats) << bsv;

    const std::pair<const char*, std::optional<int64_t>> outputs[] = {
        {R"({"valueSat": 1234, "value": 9})", 1234}, {R"({"valueSat": 1233.6})", 1234},
        {R"({"satoshis": 1, "value": 1.0})", 1},     {R"({"value": 1})", 100000000},
        {R"({"value": "0.1"})", std::nullopt},       {R"({"valueSat": -1})", std::nullopt},
        {R"({})", std::nullopt},
    };
    for (const auto& [text, sats] : outputs) EXPECT_EQ(net::chain_output_sats(Json::parse(text)), sats) << text;
}

TEST(ChainTxTest, RealTransactionsAndTheirVariants)
{
    const Json doc = testsupport::read_json_vector("fixtures/woc-tx-with-opreturn.json");
    auto tx = net::parse_chain_tx(doc);  // the amounts are the WhatsOnChain client's captured answer's
    ASSERT_TRUE(tx && tx->confirmed && tx->outputs.size() == 4u);
    EXPECT_TRUE(tx->outputs[0].addresses.empty());  // the data output
    EXPECT_EQ(tx->outputs[3].addresses, std::vector<std::string>{"1JSSSgcyufLgbXFw6WAXyXgBrmgFpnqXWh"});
    EXPECT_EQ(net::chain_vout_count(doc), 4u);

    Json coinbase = testsupport::read_json_vector("fixtures/woc-tx.json");
    EXPECT_EQ(net::parse_chain_tx(coinbase)->block_height, 575191);

    // Unconfirmed, with a cut script (which need not be hex) and in upper case.
    coinbase.erase("blockhash");
    coinbase.erase("confirmations");
    coinbase["txid"] = "C1D32F28BAA27A376BA977F6A8DE6CE0A87041157CEF0274B20BFDA2B0D8DF96";
    coinbase["vout"][0]["scriptPubKey"]["isTruncated"] = true;
    coinbase["vout"][0]["scriptPubKey"]["hex"] = "0063036f7264...";
    auto pending = net::parse_chain_tx(coinbase);
    ASSERT_TRUE(pending);
    EXPECT_FALSE(pending->confirmed);
    EXPECT_EQ(pending->block_height, 0);
    EXPECT_EQ(pending->txid, "c1d32f28baa27a376ba977f6a8de6ce0a87041157cef0274b20bfda2b0d8df96");
    EXPECT_TRUE(pending->outputs[0].script_truncated);
    EXPECT_TRUE(pending->outputs[0].script_hex.empty());

    Json upper = doc;
    upper["vout"][3]["scriptPubKey"]["hex"] = "76A914BF4C1C6DF10A1E8AFC6A4B4E8A2F5D2EC0C0F7B288AC";
    upper["vout"][3]["scriptPubKey"].erase("addresses");
    upper["vout"][3]["scriptPubKey"]["address"] = "17fm4xevwDh3XRHv9UoqYrVgPMbwcGHsUs";
    auto lowered = net::parse_chain_tx(upper);
    ASSERT_TRUE(lowered);
    EXPECT_EQ(lowered->outputs[3].script_hex, "76a914bf4c1c6df10a1e8afc6a4b4e8a2f5d2ec0c0f7b288ac");
    EXPECT_EQ(lowered->outputs[3].addresses, std::vector<std::string>{"17fm4xevwDh3XRHv9UoqYrVgPMbwcGHsUs"});
}

TEST(ChainTxTest, MalformedTransactionsAreRefusedWhole)
{
    const Json good = testsupport::read_json_vector("fixtures/woc-tx-with-opreturn.json");
    const std::pair<const char*, std::function<void(Json&)>> changes[] = {
        {"no txid", [](Json& d) { d.erase("txid"); }},
        {"short txid", [](Json& d) { d["txid"] = "33b9"; }},
        {"outputs not a list", [](Json& d) { d["vout"] = Json::object(); }},
        {"unknown amount", [](Json& d) { d["vout"][1].erase("value"); }},
        {"negative amount", [](Json& d) { d["vout"][1]["value"] = -0.1; }},
        {"out of order", [](Json& d) { d["vout"][2]["n"] = 1; }},
        {"script not hex", [](Json& d) { d["vout"][3]["scriptPubKey"]["hex"] = "76a9zz"; }},
        {"odd script", [](Json& d) { d["vout"][3]["scriptPubKey"]["hex"] = "76a"; }},
        {"output not an object", [](Json& d) { d["vout"][0] = "output"; }},
        {"a list", [](Json& d) { d = Json::array(); }},
        {"null", [](Json& d) { d = Json(); }},
    };
    for (const auto& [name, change] : changes) {
        Json doc = good;
        change(doc);
        EXPECT_FALSE(net::parse_chain_tx(doc)) << name;
    }
}

} // namespace chain_tx_test
