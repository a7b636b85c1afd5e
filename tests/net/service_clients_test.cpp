// The service clients over one canned HTTP client: the captured answers of the real services
// read as the product reads them, and the lying, malformed and refused answers each client meets.
// (The same clients talk to the simulator in the suites above.)
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "core/json_get.h"
#include "net/arc_client.h"
#include "net/chain_tx.h"
#include "net/ordinals_client.h"
#include "net/registry_client.h"
#include "net/text.h"
#include "net/woc_client.h"
#include "tests/support/fake_http.h"
#include "tests/support/test_data.h"
#include "tests/support/test_txid.h"

namespace service_clients_test {

using core::Json;

// A captured answer of a real service (or one derived from it), from tests/data/fixtures.
std::string fixture(const std::string& name)
{
    return testsupport::read_data_file("fixtures/" + name);
}

const std::string DASH = "\xE2\x80\x93";  // U+2013 in UTF-8

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

    Json coinbase = testsupport::read_json_vector("fixtures/woc-tx.json");
    EXPECT_EQ(net::parse_chain_tx(coinbase)->block_height, 575191);

    // Unconfirmed, with a cut script (which need not be hex) and in upper case.
    coinbase.erase("blockhash");
    coinbase.erase("confirmations");
    coinbase["txid"] = "C1D32F28BAA27A376BA977F6A8DE6CE0A87041157CEF0274B20BFDA2B0D8DF96";
    coinbase["vout"][0]["scriptPubKey"] = {{"hex", "0063036f7264..."}, {"isTruncated", true}};
    auto pending = net::parse_chain_tx(coinbase);
    ASSERT_TRUE(pending);
    EXPECT_FALSE(pending->confirmed);
    EXPECT_EQ(pending->block_height, 0);
    EXPECT_EQ(pending->txid.hex(), "c1d32f28baa27a376ba977f6a8de6ce0a87041157cef0274b20bfda2b0d8df96");
    EXPECT_TRUE(pending->outputs[0].script_truncated);
    EXPECT_TRUE(pending->outputs[0].script_hex.empty());

    Json upper = doc;
    upper["vout"][3]["scriptPubKey"] = {{"hex", "76A914BF4C1C6DF10A1E8AFC6A4B4E8A2F5D2EC0C0F7B288AC"},
                                        {"address", "17fm4xevwDh3XRHv9UoqYrVgPMbwcGHsUs"}};
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

const std::string WOC = "https://woc.test/v1/bsv/main";
const std::string TXID = "33b9432a0ea203bbb6ec00592622cf6e90223849e4c9a76447a19a3ed43907d3";
const std::string ADDR = "1L2F8wYxTRagCZLnsm2engg8ngGECSeuE5";
const std::string AT = WOC + "/address/" + ADDR;

class WocClientTest : public ::testing::Test {
protected:
    testsupport::FakeHttp m_http;
    net::WocClient m_woc{WOC, m_http};
};

// The captured answers of every endpoint, read as the product reads them.
TEST_F(WocClientTest, RealAnswersOfEveryEndpoint)
{
    m_http.answer(WOC + "/tx/" + TXID, 200, fixture("woc-tx-with-opreturn.json"));
    EXPECT_EQ(m_woc.tx(test_txid(TXID))->outputs.at(1).sats, 549);  // its reading: ChainTxTest

    m_http.answer(WOC + "/tx/" + TXID + "/3/spent", 200, fixture("woc-spent.json"));
    auto spent = m_woc.spent(test_txid(TXID), 3);
    ASSERT_TRUE(spent);
    EXPECT_EQ(spent->state, net::SpentCheck::State::Spent);
    EXPECT_EQ(spent->spender_txid.hex(), "87645a7c4a9a5a9b9cd1468db19cdba44129c35cc487fc57c4d8843141ad2551");
    EXPECT_TRUE(spent->spender_confirmed);

    m_http.answer(AT + "/unspent/all", 200, fixture("woc-unspent-all.json"));
    auto all = m_woc.unspent(ADDR, net::WocUnspentList::All);
    ASSERT_TRUE(all && all->size() == 3u) << all.error;
    EXPECT_EQ((*all)[0].sats, 98);  // integer satoshis, never multiplied as BSV
    EXPECT_EQ((*all)[0].script_hex, "76a914d0a69b53d9a1e229b51a60cc24814f8750b7446188ac");
    EXPECT_EQ((*all)[1].height, 861499);
    EXPECT_TRUE((*all)[2].spent_in_mempool && !(*all)[1].spent_in_mempool);

    m_http.answer(AT + "/unspent", 200, fixture("woc-unspent-legacy.json"));
    EXPECT_EQ(m_woc.unspent(ADDR, net::WocUnspentList::Legacy)->at(0).sats, 25000000);

    m_http.answer(AT + "/unconfirmed/history", 200, fixture("woc-unconfirmed-history.json"));
    m_http.answer(AT + "/history", 200, fixture("woc-history-legacy.json"));
    m_http.answer(AT + "/confirmed/history", 200,
                  R"({"result":[")" + TXID + R"(",{"txid":"abc"},{"tx_hash":5},7]})");
    EXPECT_EQ(m_woc.address_txids(ADDR, net::WocAddressList::UnconfirmedHistory)->at(0).hex(),
              "2fde4146ae470efb337395987261b028c38e4e095b44ae3bc800c4073daf4730");
    EXPECT_EQ(m_woc.address_txids(ADDR, net::WocAddressList::History)->size(), 2u);
    EXPECT_EQ(*m_woc.address_txids(ADDR, net::WocAddressList::ConfirmedHistory), std::vector<tx::Txid>{*tx::Txid::parse(TXID)});

    // Balances go in batches of twenty addresses.
    m_http.clear();
    m_http.answer(WOC + "/addresses/balance", 200, fixture("woc-addresses-balance.json"));
    std::vector<std::string> addresses;
    for (int i = 0; i < 25; ++i) addresses.push_back("addr" + std::to_string(i));
    auto balances = m_woc.balances(addresses);
    ASSERT_TRUE(balances && balances->size() == 4u);  // the canned answer twice
    EXPECT_EQ(core::parse_json(m_http.requests().at(1).body)->at("addresses").size(), 5u);
    EXPECT_EQ(balances->at(1).address, "1KGHhLTQaPr4LErrvbAuGE62yPpDoRwrob");
    EXPECT_EQ(balances->at(1).confirmed, 301995631);
}

// Answers that are not what was asked for, and input that must never become a request.
TEST_F(WocClientTest, FaultsAndLyingAnswers)
{
    const std::string tx_url = WOC + "/tx/" + TXID;
    const std::string spent_url = tx_url + "/3/spent";
    const std::string legacy_url = AT + "/unspent";
    auto failure_of = [](const auto& result) { return result ? std::optional<net::Failure>{} : result.failure; };
    const auto tx = [&](net::WocClient& w) { return failure_of(w.tx(test_txid(TXID))); };
    const auto tx_hex = [&](net::WocClient& w) { return failure_of(w.tx_hex(test_txid(TXID))); };
    const auto spent = [&](net::WocClient& w) { return failure_of(w.spent(test_txid(TXID), 3)); };
    const auto legacy = [&](net::WocClient& w) { return failure_of(w.unspent(ADDR, net::WocUnspentList::Legacy)); };
    const auto bulk = [&](net::WocClient& w) { return failure_of(w.txs_hex({test_txid(TXID)})); };
    const auto balance = [&](net::WocClient& w) { return failure_of(w.balances({"a"})); };
    using Ask = std::function<std::optional<net::Failure>(net::WocClient&)>;
    const std::tuple<const char*, std::string, long, std::string, Ask, std::optional<net::Failure>> cases[] = {
        {"another transaction than asked", tx_url, 200, fixture("woc-tx.json"), tx, net::Failure::Answer},
        {"missing transaction", tx_url, 404, "", tx, net::Failure::Request},
        {"hex that is JSON", tx_url + "/hex", 200, R"({"error":"unknown"})", tx_hex, net::Failure::Answer},
        {"empty hex", tx_url + "/hex", 200, "", tx_hex, net::Failure::Answer},
        {"200 naming no spender", spent_url, 200, R"({"vin":1})", spent, net::Failure::Answer},
        {"spent check 500", spent_url, 500, "oops", spent, net::Failure::Request},
        {"unspent as an object", legacy_url, 200, R"({"result": {}})", legacy, net::Failure::Answer},
        {"unspent error", legacy_url, 200, R"({"error": "bad address"})", legacy, net::Failure::Answer},
        {"unspent not JSON", legacy_url, 200, "not json", legacy, net::Failure::Answer},
        {"bulk hex error", WOC + "/txs/hex", 200, R"({"error":"busy"})", bulk, net::Failure::Answer},
        {"balance error", WOC + "/addresses/balance", 200, R"({"error":"too many"})", balance, net::Failure::Answer},
    };
    for (const auto& [name, url, status, body, ask, failure] : cases) {
        m_http.answer(url, status, body);
        EXPECT_EQ(ask(m_woc), failure) << name;
    }

    // The spent check reads the status code: 404 is unspent, 400 an outpoint the service does not know.
    m_http.answer(spent_url, 404, "Not Found");
    EXPECT_EQ(m_woc.spent(test_txid(TXID), 3)->state, net::SpentCheck::State::Unspent);
    m_http.answer(spent_url, 400, "{\"error\":\"bad utxo\"}");
    EXPECT_EQ(m_woc.spent(test_txid(TXID), 3)->state, net::SpentCheck::State::UnknownOutpoint);

    // Bad input is refused before anything is asked; an address is escaped in the path.
    m_http.clear();
    EXPECT_EQ(m_woc.txs_hex(std::vector<tx::Txid>(21, test_txid(TXID))).failure, net::Failure::Input);
    EXPECT_EQ(m_woc.txs_hex({}).failure, net::Failure::Input);
    EXPECT_EQ(m_woc.broadcast("01zz").failure, net::Failure::Input);
    EXPECT_TRUE(m_http.requests().empty());
    (void)m_woc.unspent("../../tx/raw?x=1", net::WocUnspentList::Legacy);
    EXPECT_EQ(m_http.requests().at(0).url, WOC + "/address/..%2F..%2Ftx%2Fraw%3Fx%3D1/unspent");
}

TEST_F(WocClientTest, RawHexSinglyAndInBulk)
{
    const std::string hex = fixture("tx-bsv21-transfer-f7ca34a9.hex");
    m_http.answer(WOC + "/tx/" + TXID + "/hex", 200, hex + "\n");
    auto raw = m_woc.tx_hex(test_txid(TXID));
    ASSERT_TRUE(raw) << raw.error;
    EXPECT_EQ(*raw, core::ascii_lower(std::string(hex.substr(0, hex.find_last_not_of("\r\n ") + 1))));
    EXPECT_EQ(m_http.last_get_options.max_body, net::MAX_RAW_TX_BODY);

    // Entries without hex are left out; a block named is kept, the bulk form need not name one.
    const std::string other(64, 'b');
    m_http.answer(WOC + "/txs/hex", 200,
                  R"([{"txid":")" + TXID + R"(","hex":"01AB","blockhash":"00ff","blockheight":7,"confirmations":2},)"
                  R"({"txid":")" + other + R"(","hex":"02"},{"txid":")" + other + R"(","error":"unknown"},"x"])");
    auto bulk = m_woc.txs_hex({test_txid(TXID), test_txid(other)});
    ASSERT_TRUE(bulk && bulk->size() == 2u) << bulk.error;
    EXPECT_EQ(bulk->at(0).hex, "01ab");
    EXPECT_EQ(bulk->at(0).position, (net::ChainPosition{net::ChainPosition::State::Confirmed, 7}));
    EXPECT_EQ(bulk->at(1).position.state, net::ChainPosition::State::Unknown);
}

TEST_F(WocClientTest, UnspentEntriesPagesAndFallbacks)
{
    const std::string entry = R"({"tx_hash":")" + TXID + R"(","tx_pos":)";
    m_http.answer(AT + "/unspent", 200,
                  "[" + entry + R"(0,"value":1000},)" + R"({"tx_hash":"abc","tx_pos":0,"value":1},)" + entry +
                      R"(-1,"value":1},)" + entry + R"(1,"value":0.0001},)" + entry + R"(2,"value":"5"},)" + entry +
                      R"(3,"value":-5},"just text", null])");
    auto list = m_woc.unspent(ADDR, net::WocUnspentList::Legacy);
    ASSERT_TRUE(list && list->size() == 1u);  // a short txid, a bad index, a BSV float, a text and a negative value go
    EXPECT_EQ(list->at(0).sats, 1000);

    const std::string confirmed = AT + "/confirmed/unspent";
    m_http.answer(confirmed, 200, R"({"result":[)" + entry + R"(0,"value":5,"height":1}],"nextPageToken":"p2"})");
    m_http.answer(confirmed + "?token=p2", 200, R"({"result":[)" + entry + R"(1,"value":6,"height":1}]})");
    auto pages = m_woc.unspent(ADDR, net::WocUnspentList::Confirmed);
    ASSERT_TRUE(pages && pages->size() == 2u) << pages.error;
    EXPECT_EQ(pages->at(1).sats, 6);

    // The lists are tried in order until one answers; none answering is "no utxos".
    testsupport::FakeHttp fresh;
    fresh.answer(AT + "/unconfirmed/unspent", 200, fixture("woc-unconfirmed-unspent.json"));
    net::WocClient in_order(WOC, fresh);
    auto any = in_order.unspent_any(ADDR);
    ASSERT_TRUE(any);
    EXPECT_EQ(any->size(), 2u);
    EXPECT_EQ(fresh.urls(), (std::vector<std::string>{AT + "/unspent/all", AT + "/unspent", AT + "/unconfirmed/unspent"}));
    EXPECT_EQ(net::WocClient("https://down.test", m_http).unspent_any(ADDR).error, "no utxos");
}

TEST_F(WocClientTest, BroadcastPostsTxhexTwiceAtMostAndKeepsTheNodesText)
{
    m_http.answer(WOC + "/tx/raw", 200, "\"" + TXID + "\"\n");
    ASSERT_TRUE(m_woc.broadcast("0100AB"));
    EXPECT_EQ(m_http.requests().at(0).body, R"({"txhex":"0100ab"})");
    EXPECT_EQ(m_http.last_post_options.attempts, 2);
    m_http.answer(WOC + "/tx/raw", 400, "258: txn-mempool-conflict");
    EXPECT_EQ(m_woc.broadcast("0100").error, "HTTP 400 " + DASH + " 258: txn-mempool-conflict");
}

const std::string API = "https://gp.test/api";
const std::string CONTENT = "https://gp.test";
const std::string OWNER = "1inHbiwj2jrEcZPiSYnfgJ8FmS1Bmk4Dh";
const std::string MNEE = "ae59f3b898ec61acbdb6cc7a245fabeded0c094bf046f35206a3aec60ef88127_0";
const std::string TRANSFER = "f7ca34a9c0319bfb837a56ee7375e8246229f5fefbdaaaf9fdec97493d428bee";

class OrdinalsClientTest : public ::testing::Test {
protected:
    testsupport::FakeHttp m_http;
    net::OrdinalsClient m_gp{API, CONTENT, m_http};

    std::string unspent_url(const char* bsv20, int offset = 0) const
    {
        return API + "/txos/address/" + OWNER + "/unspent?bsv20=" + bsv20 + "&limit=100&offset=" + std::to_string(offset);
    }
};

// The captured answers: token amounts above 2^53 stay exact, nulls and string integers are read.
TEST_F(OrdinalsClientTest, RealAnswersOfEveryEndpoint)
{
    m_http.answer(unspent_url("true"), 200, fixture("gp-txos-address-unspent-bsv20.derived.json"));
    auto tokens = m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(tokens && tokens->size() == 1u) << tokens.error;
    const net::Txo& t = tokens->at(0);
    EXPECT_EQ(t.outpoint, TRANSFER + "_1");
    EXPECT_TRUE(!t.spent() && t.has_bsv20 && !t.has_bsv21 && t.has_insc);
    ASSERT_TRUE(t.token && t.file);
    EXPECT_EQ(t.token->amt + " " + t.token->id, "18446744073699500000 " + MNEE);
    EXPECT_EQ(t.file->size, 133);
    EXPECT_EQ(t.height, 874010);

    m_http.answer(unspent_url("false"), 200, fixture("gp-txos-history-payment-captured.json"));
    auto plain = m_gp.unspent_txos(OWNER, net::TxoSelection::NonToken);
    ASSERT_TRUE(plain && plain->size() == 1);
    EXPECT_EQ(plain->at(0).sats, 10000000);
    EXPECT_TRUE(plain->at(0).origin.empty());
    EXPECT_FALSE(plain->at(0).has_insc);
    EXPECT_EQ(plain->at(0).spend, tx::Txid::parse("77749e6e75c5d411f5005ebc7a53e427a4bd4c77e010b4090da6bcd7620f361e"));

    const std::string txid = MNEE.substr(0, 64);
    m_http.answer(API + "/txos/" + txid + "_0", 200, fixture("gp-txos-outpoint-spent.derived.json"));
    auto spent = m_gp.txo(test_txid(txid), 0);
    ASSERT_TRUE(spent);
    EXPECT_EQ(spent->spend, tx::Txid::parse(TRANSFER));
    EXPECT_EQ(spent->token->amt, "18446744073709500000");

    const std::string by_address = fixture("gp-bsv20-address-unspent.derived.json");
    m_http.answer(API + "/bsv20/" + OWNER + "/unspent?limit=100&offset=0", 200, by_address);
    m_http.answer(API + "/bsv20/" + OWNER + "/id/" + MNEE, 200, by_address);
    auto list = m_gp.token_unspent(OWNER);
    ASSERT_TRUE(list && list->size() == 1) << list.error;
    EXPECT_EQ(list->at(0).id + " " + list->at(0).amt + " " + list->at(0).owner, MNEE + " 18446744073699500000 " + OWNER);
    EXPECT_EQ(list->at(0).status, 1);
    EXPECT_EQ(m_gp.token_outputs(OWNER, MNEE)->size(), 1u);

    m_http.answer(API + "/bsv20/id/" + MNEE, 200, fixture("gp-bsv20-id.derived.json"));
    auto info = m_gp.token(MNEE);
    ASSERT_TRUE(info) << info.error;
    EXPECT_EQ(info->sym + " " + info->name + info->icon, "MNEE 9c7f7f1788c6382d5ac737a4052334cf150b52d1e46c484ecfb1d6e00184f263_0");
    EXPECT_EQ(info->dec, 5);
    EXPECT_EQ(info->deploy_json.value("op", ""), "deploy+mint");
    // Decimals only in the deploy inscription's text, and there out of range.
    auto doc = core::parse_json(fixture("gp-bsv20-id.derived.json"));
    doc->erase("dec");
    EXPECT_EQ(net::parse_token_info(*doc)->dec, 5);
    (*doc)["data"]["insc"]["json"]["dec"] = "99";
    EXPECT_FALSE(net::parse_token_info(*doc)->dec);
}

TEST_F(OrdinalsClientTest, FailuresAndBadInput)
{
    const std::string txid = MNEE.substr(0, 64);
    m_http.answer(API + "/txos/" + txid + "_1", 404, fixture("gp-error-404.json"));
    m_http.answer(API + "/txos/" + txid + "_2", 500, fixture("gp-error-invalid-outpoint.json"));
    m_http.answer(API + "/bsv20/id/" + MNEE, 404, fixture("gp-error-404.json"));
    m_http.answer(CONTENT + "/content/" + TRANSFER + "_1", 404, fixture("gp-error-404.json"));
    m_http.answer(unspent_url("true"), 200, R"({"message":"oops"})");
    auto miss = m_gp.txo(test_txid(txid), 1);
    EXPECT_EQ(miss.failure, net::Failure::Request);
    EXPECT_EQ(miss.status, 404);
    EXPECT_EQ(m_gp.txo(test_txid(txid), 2).status, 500);
    EXPECT_EQ(m_gp.token(MNEE).status, 404);
    EXPECT_EQ(m_gp.content(TRANSFER + "_1").status, 404);
    EXPECT_EQ(m_http.last_get_options.max_body, net::MAX_CONTENT_BODY);
    EXPECT_EQ(m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens).failure, net::Failure::Answer);

    m_http.clear();
    EXPECT_EQ(m_gp.token_outputs(OWNER, "MNEE").failure, net::Failure::Input);
    EXPECT_EQ(m_gp.content("../api/x").failure, net::Failure::Input);
    EXPECT_TRUE(m_http.requests().empty());
}

TEST_F(OrdinalsClientTest, OriginsFileAndMalformedOutputs)
{
    const std::string origin = std::string(64, 'd') + "_0";
    const std::string moved = std::string(64, 'e');
    nlohmann::json entry = {{"txid", moved}, {"vout", 0}, {"satoshis", 1}, {"owner", OWNER}, {"spend", ""},
                            {"origin", {{"outpoint", origin},
                                        {"data", {{"insc", {{"file", {{"type", "image/png"}, {"size", 1847}}}}}}}}}};
    nlohmann::json bare = entry;
    bare["vout"] = 1;
    bare["origin"] = {{"outpoint", origin}};
    m_http.answer(unspent_url("false"), 200, nlohmann::json::array({entry, bare}).dump());
    auto plain = m_gp.unspent_txos(OWNER, net::TxoSelection::NonToken);
    ASSERT_TRUE(plain && plain->size() == 2) << plain.error;
    EXPECT_FALSE(plain->at(0).file);  // nothing inscribed on the output itself
    ASSERT_TRUE(plain->at(0).origin_file);
    EXPECT_EQ(plain->at(0).origin_file->size, 1847);
    EXPECT_EQ(plain->at(0).origin, origin);
    EXPECT_FALSE(plain->at(1).origin_file);  // an origin without data tells nothing

    // Only the last entry is whole; a token amount with leading zeros is read as its number.
    std::string body = R"([
        {"txid": "short", "vout": 0, "satoshis": 1, "spend": ""},
        {"vout": 0, "satoshis": 1},
        {"txid": "TXID", "vout": "0", "satoshis": 1, "spend": ""},
        {"txid": "TXID", "vout": 1, "satoshis": 1.5, "spend": ""},
        {"txid": "TXID", "vout": 2, "satoshis": 1, "spend": "not-a-txid"},
        {"txid": "TXID", "vout": 3, "satoshis": 1, "spend": "", "owner": 5},
        {"txid": "TXID", "vout": 4, "satoshis": 1, "spend": "", "data": {"bsv20": {"op": "transfer", "amt": 1e30}}},
        {"txid": "TXID", "vout": 5, "satoshis": 1, "spend": "", "data": {"bsv20": {"op": "transfer", "amt": "-5"}}},
        "junk",
        {"txid": "TXID", "vout": 6, "satoshis": 1, "spend": "", "data": {"bsv20": {"op": "transfer", "amt": "0010"}}}
    ])";
    for (size_t at; (at = body.find("TXID")) != std::string::npos;) body.replace(at, 4, std::string(64, 'd'));
    m_http.answer(unspent_url("true"), 200, body);
    auto list = m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(list && list->size() == 1);
    EXPECT_EQ(list->at(0).vout, 6u);
    EXPECT_EQ(list->at(0).token->amt, "10");
}

TEST_F(OrdinalsClientTest, PagesAreReadUntilShortAndNeverForEver)
{
    auto page = [](int first, int count) {
        core::Json arr = core::Json::array();
        for (int i = first; i < first + count; ++i) arr.push_back({{"txid", std::string(64, 'b')}, {"vout", i}, {"satoshis", 1}, {"spend", ""}});
        return arr.dump();
    };
    m_http.answer(unspent_url("false", 0), 200, page(0, 100));
    m_http.answer(unspent_url("false", 100), 200, page(100, 100));
    m_http.answer(unspent_url("false", 200), 200, page(200, 7));
    auto all = m_gp.unspent_txos(OWNER, net::TxoSelection::NonToken);
    ASSERT_TRUE(all) << all.error;
    EXPECT_EQ(all->size(), 207u);
    EXPECT_EQ(m_http.requests().size(), 3u);

    // A service that ignores the offset answers the same page again: read once, not in a loop.
    m_http.clear();
    for (int offset = 0; offset <= 300; offset += 100) m_http.answer(unspent_url("true", offset), 200, page(0, 150));
    auto same = m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->size(), 150u);
    EXPECT_EQ(m_http.requests().size(), 2u);
}

const std::string ARC = "https://arc.test";

// What a broadcast makes of each answer: a rejection inside an HTTP 200 is a failure, and an
// answer about another transaction than the one sent is never taken as its acceptance. (The
// broadcaster's tests read the orphan, rejected and unreadable answers through it.)
TEST(ArcClientTest, BroadcastAnswers)
{
    const std::string a(64, 'a'), b(64, 'b');
    auto status = [](const std::string& tx_status, const std::string& txid, const std::string& extra = "") {
        return R"({"txStatus":")" + tx_status + "\"" + (extra.empty() ? "" : R"(,"extraInfo":")" + extra + "\"") +
               (txid.empty() ? "" : R"(,"txid":")" + txid + "\"") + "}";
    };
    const std::tuple<long, std::string, std::string, std::string> cases[] = {  // status, body, txid sent, error
        {200, fixture("arc-tx-ok.json"), "c0d6fce714e4225614f000c6a5addaaa1341acbb9c87115114dcf84f37b945a6", ""},
        {200, fixture("arc-tx-double-spend.derived.json"),
         "3d7770a2c3bbf890fe69ad33faadd3efb470b60d05b071eaa86e6597d480e111", "DOUBLE_SPEND_ATTEMPTED"},
        {200, status("STORED", a, "arc error: Missing inputs"), a, "arc error: Missing inputs"},
        {200, R"({"txid":"x"})", b, "bad arc response"},
        {200, status("QUEUED", b), b, "broadcast did not confirm"},
        {200, status("SEEN_ON_NETWORK", "abc"), b, "arc did not return a txid"},
        {200, status("SEEN_ON_NETWORK", std::string(64, 'c')), b, "arc did not return a txid"},
        {200, status("ACCEPTED_BY_NETWORK", ""), b, ""},  // no txid in the answer: the sent one stands
        {465, fixture("arc-tx-fee-too-low-465.derived.json"), a,
         "HTTP 465 " + DASH +
             " Fees are insufficient: arc error 465: transaction fee is too low; minimum expected fee: 38, actual fee: 20"},
        {502, "<html>bad gateway</html>", a, "HTTP 502"},
    };
    for (const auto& [code, body, txid, expected] : cases) {
        SCOPED_TRACE(body);
        testsupport::FakeHttp http;
        net::ArcClient arc(ARC, http);
        http.answer(ARC + "/v1/tx", code, body);
        std::string error;
        EXPECT_EQ(arc.broadcast("0100", test_txid(txid), error), expected.empty());  // no error expected: accepted
        EXPECT_EQ(error, expected);
        EXPECT_EQ(http.requests().at(0).body, R"({"rawTx":"0100"})");
        EXPECT_EQ(http.last_post_options.attempts, 2);
    }
    EXPECT_TRUE(net::arc_error_text(400, fixture("arc-tx-bad-request-400.derived.json"))
                    .starts_with("HTTP 400 " + DASH + " The request seems to be malformed"));
    EXPECT_EQ(net::arc_error_text(463, fixture("arc-tx-rejected-463.json")),
              "HTTP 463 " + DASH +
                  " Transaction is invalid because the outputs are non-existent or invalid: arc error 463: arc error "
                  "463: transaction output 0 satoshis is invalid");
}

TEST(ArcClientTest, StatusOfATransaction)
{
    testsupport::FakeHttp http;
    net::ArcClient arc(ARC, http);
    const std::string txid = "48ccf56b16ec11ddd9cfafc4f28492fb7e989d58594a0acd150a1592570ccd13";
    http.answer(ARC + "/v1/tx/" + txid, 200, fixture("arc-tx-status-get.derived.json"));
    auto status = arc.status(test_txid(txid));
    ASSERT_TRUE(status);
    EXPECT_EQ(status->tx_status, "MINED");
    EXPECT_EQ(status->block_height, 837394);

    auto mined = net::parse_arc_answer(*core::parse_json(fixture("arc-tx-mined.json")));
    ASSERT_TRUE(mined);
    EXPECT_EQ(mined->block_height, 736228);
    EXPECT_TRUE(mined->competing_txs.empty());  // null, not []
    auto double_spend = net::parse_arc_answer(*core::parse_json(fixture("arc-tx-double-spend.derived.json")));
    EXPECT_EQ(double_spend->competing_txs.size(), 1u);

    // Only the states that mean "the network has it" count as accepted; unknown states are neither.
    using C = net::ArcStatusClass;
    const std::pair<const char*, C> classes[] = {
        {"RECEIVED", C::Accepted}, {"STORED", C::Accepted}, {"SEEN_ON_NETWORK", C::Accepted}, {"MINED", C::Accepted},
        {"CONFIRMED", C::Accepted}, {"REJECTED", C::Rejected}, {"DOUBLE_SPEND_ATTEMPTED", C::Rejected},
        {"SEEN_IN_ORPHAN_MEMPOOL", C::Rejected}, {"", C::Other}, {"QUEUED", C::Other}, {"MINED_IN_STALE_BLOCK", C::Other},
        {"mined", C::Other},
    };
    for (const auto& [status, cls] : classes) EXPECT_EQ(net::arc_status_class(status), cls) << status;
}

const std::string REG = "https://registry.test";
const std::string KEY = "02" + std::string(64, 'a');

class RegistryClientTest : public ::testing::Test {
protected:
    testsupport::FakeHttp m_http;
    net::RegistryClient m_reg{REG, "registry.test", m_http};
};

// Ids that are not txids are counted but left out; an answer without the list is refused.
TEST_F(RegistryClientTest, OracleTxidsAndTheirFailures)
{
    const std::string url = REG + "/oi/oracle/agoran/txids?limit=2000&offset=4000";
    m_http.answer(url, 200, R"({"txids":[")" + std::string(64, 'a') + R"(", 5, null, "B", ")" + std::string(64, 'B') + R"("]})");
    auto page = m_reg.oracle_txids("agoran", 2000, 4000);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->entries, 5u);
    EXPECT_EQ(page->txids, (std::vector<tx::Txid>{*tx::Txid::parse(std::string(64, 'a')), *tx::Txid::parse(std::string(64, 'b'))}));
    const std::tuple<long, const char*, net::Failure> failures[] = {
        {200, R"({"ids":[]})", net::Failure::Answer}, {200, "[]", net::Failure::Answer},
        {200, "not json", net::Failure::Answer}, {503, "", net::Failure::Request},
    };
    for (const auto& [status, body, failure] : failures) {
        m_http.answer(url, status, body);
        EXPECT_EQ(m_reg.oracle_txids("agoran", 2000, 4000).failure, failure) << body;
    }
}

// The submission goes once, with a short time-out (what its "ok" means: the broadcaster's tests).
TEST_F(RegistryClientTest, SubmitGoesOnceWithAShortTimeOut)
{
    m_http.answer(REG + "/oi/submit", 200, R"({"ok":"true"})");
    EXPECT_FALSE(m_reg.submit("0100")->ok);
    EXPECT_EQ(m_http.requests().at(0).body, R"({"txhex":"0100"})");
    EXPECT_EQ(m_http.last_post_options.timeout_seconds, 2);
    EXPECT_EQ(m_http.last_post_options.attempts, 1);
}

// Keys are read in lower case and only whole; a handle is escaped in the path; "frozen" counts
// only as a boolean; the oracle's copy of a transaction counts only with its raw hex.
TEST_F(RegistryClientTest, IdentityLookupsAndOracleTransactions)
{
    m_http.answer(REG + "/api/bsvalias/id/alice@registry.test", 200, R"({"publicKey":")" + KEY + "\"}");
    EXPECT_EQ(*m_reg.identity_key("alice"), KEY);
    m_http.answer(REG + "/api/bsvalias/id/bob@registry.test", 200, R"({"pubkey":"02ABCDEF"})");
    EXPECT_EQ(m_reg.identity_key("bob").failure, net::Failure::Answer);
    static_cast<void>(m_reg.identity_key("x/../../architects"));
    EXPECT_EQ(m_http.requests().back().url, REG + "/api/bsvalias/id/x%2F..%2F..%2Farchitects@registry.test");
    m_http.answer(REG + "/api/paymail/identity/" + KEY, 200, R"({"frozen":"yes","frozenNote":"spam"})");
    EXPECT_FALSE(m_reg.identity_status(KEY)->frozen);
    EXPECT_EQ(m_reg.identity_status("zz").failure, net::Failure::Input);
    m_http.answer(REG + "/api/paymail/architects", 200, R"({"pubkeys":["03)" + std::string(64, 'B') + R"(", "short", 7]})");
    EXPECT_EQ(*m_reg.architects(), std::vector<std::string>{"03" + std::string(64, 'b')});

    const std::string mined(64, 'e'), bare(64, 'd');
    m_http.answer(REG + "/oi/tx/" + mined, 200,
                  R"({"txid":")" + mined + R"(","hex":"0100AB","blockhash":"00aa","blockheight":812,"vout":[]})");
    m_http.answer(REG + "/oi/tx/" + bare, 200, R"({"txid":")" + bare + R"(","vout":[]})");
    auto tx = m_reg.oi_tx(test_txid(mined));
    ASSERT_TRUE(tx);
    EXPECT_EQ(tx->hex, "0100ab");
    EXPECT_EQ(tx->position, (net::ChainPosition{net::ChainPosition::State::Confirmed, 812}));
    EXPECT_EQ(m_reg.oi_tx(test_txid(bare)).failure, net::Failure::Answer);
}

} // namespace service_clients_test
