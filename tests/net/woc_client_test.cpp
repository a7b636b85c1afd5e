#include "net/woc_client.h"

#include <gtest/gtest.h>

#include "net/text.h"
#include "tests/support/fake_http.h"
#include "tests/support/test_data.h"

namespace {

using testsupport::read_data_file;

const std::string WOC = "https://woc.test/v1/bsv/main";
const std::string TXID = "33b9432a0ea203bbb6ec00592622cf6e90223849e4c9a76447a19a3ed43907d3";
const std::string ADDR = "1L2F8wYxTRagCZLnsm2engg8ngGECSeuE5";

class WocClientTest : public ::testing::Test {
protected:
    testsupport::FakeHttp m_http;
    net::WocClient m_woc{WOC, m_http};
};

TEST_F(WocClientTest, TransactionIsReadFromTxPathWithExactAmounts)
{
    m_http.answer(WOC + "/tx/" + TXID, 200, read_data_file("fixtures/woc-tx-with-opreturn.json"));
    auto tx = m_woc.tx(TXID);
    ASSERT_TRUE(tx) << tx.error;
    EXPECT_EQ(tx->outputs.at(1).sats, 549);
    auto json = m_woc.tx_json(TXID);
    ASSERT_TRUE(json);
    EXPECT_EQ(net::chain_vout_count(*json), 4u);
    EXPECT_EQ(m_http.requests().at(0).method, "GET");
    EXPECT_EQ(m_http.requests().at(1).method, "GET_JSON");
}

TEST_F(WocClientTest, TransactionFailures)
{
    m_http.answer(WOC + "/tx/" + TXID, 200, read_data_file("fixtures/woc-tx.json"));  // another txid
    auto other = m_woc.tx(TXID);
    EXPECT_FALSE(other);
    EXPECT_EQ(other.failure, net::Failure::Answer);

    EXPECT_EQ(m_woc.tx("../address/x").failure, net::Failure::Input);
    EXPECT_TRUE(m_http.requests().size() == 1);  // nothing asked for a bad txid

    const std::string missing(64, 'a');
    m_http.answer(WOC + "/tx/" + missing, 404, "");
    auto gone = m_woc.tx(missing);
    EXPECT_EQ(gone.failure, net::Failure::Request);
    EXPECT_EQ(gone.status, 404);
    EXPECT_EQ(gone.error, "HTTP 404");
}

TEST_F(WocClientTest, RawHexIsPlainTextFromHexPathAndAnArrayInBulk)
{
    const std::string hex = read_data_file("fixtures/tx-bsv21-transfer-f7ca34a9.hex");
    m_http.answer(WOC + "/tx/" + TXID + "/hex", 200, hex + "\n");
    auto raw = m_woc.tx_hex(TXID);
    ASSERT_TRUE(raw) << raw.error;
    EXPECT_EQ(raw->size() % 2, 0u);
    EXPECT_EQ(*raw, core::ascii_lower(std::string(hex.substr(0, hex.find_last_not_of("\r\n ") + 1))));
    EXPECT_EQ(m_http.last_get_options.max_body, net::MAX_RAW_TX_BODY);

    m_http.answer(WOC + "/tx/" + TXID + "/hex", 200, "{\"error\":\"unknown\"}");
    EXPECT_EQ(m_woc.tx_hex(TXID).failure, net::Failure::Answer);
    m_http.answer(WOC + "/tx/" + TXID + "/hex", 200, "");
    EXPECT_EQ(m_woc.tx_hex(TXID).failure, net::Failure::Answer);

    // In bulk: at most twenty ids; entries without hex are left out; a block named is kept.
    const std::string other(64, 'b');
    m_http.answer(WOC + "/txs/hex", 200,
                  R"([{"txid":")" + TXID + R"(","hex":"01AB","blockhash":"00ff","blockheight":7,"confirmations":2},)"
                  R"({"txid":")" + other + R"(","hex":"02"},{"txid":")" + other + R"(","error":"unknown"},"x"])");
    auto bulk = m_woc.txs_hex({TXID, other});
    ASSERT_TRUE(bulk) << bulk.error;
    ASSERT_EQ(bulk->size(), 2u);
    EXPECT_EQ(bulk->at(0).hex, "01ab");
    EXPECT_EQ(bulk->at(0).position, (net::ChainPosition{net::ChainPosition::State::Confirmed, 7}));
    EXPECT_EQ(bulk->at(1).position.state, net::ChainPosition::State::Unknown);  // the bulk form need not say
    EXPECT_EQ(core::parse_json(m_http.requests().back().body)->at("txids").size(), 2u);
    EXPECT_EQ(m_woc.txs_hex(std::vector<std::string>(21, TXID)).failure, net::Failure::Input);
    EXPECT_EQ(m_woc.txs_hex({}).failure, net::Failure::Input);
    m_http.answer(WOC + "/txs/hex", 200, R"({"error":"busy"})");
    EXPECT_EQ(m_woc.txs_hex({TXID}).failure, net::Failure::Answer);
}

TEST_F(WocClientTest, SpentCheckReadsStatusCodes)
{
    const std::string url = WOC + "/tx/" + TXID + "/3/spent";
    m_http.answer(url, 200, read_data_file("fixtures/woc-spent.json"));
    auto spent = m_woc.spent(TXID, 3);
    ASSERT_TRUE(spent);
    EXPECT_EQ(spent->state, net::SpentCheck::State::Spent);
    EXPECT_EQ(spent->spender_txid, "87645a7c4a9a5a9b9cd1468db19cdba44129c35cc487fc57c4d8843141ad2551");
    EXPECT_TRUE(spent->spender_confirmed);
    EXPECT_TRUE(m_http.last_get_options.accept_404);

    m_http.answer(url, 404, "Not Found");
    auto unspent = m_woc.spent(TXID, 3);
    ASSERT_TRUE(unspent);
    EXPECT_EQ(unspent->state, net::SpentCheck::State::Unspent);

    m_http.answer(url, 400, "{\"error\":\"bad utxo\"}");
    auto unknown = m_woc.spent(TXID, 3);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->state, net::SpentCheck::State::UnknownOutpoint);

    m_http.answer(url, 200, "{\"vin\":1}");  // 200 that names no spender is not "unspent"
    EXPECT_EQ(m_woc.spent(TXID, 3).failure, net::Failure::Answer);
    m_http.answer(url, 500, "oops");
    EXPECT_EQ(m_woc.spent(TXID, 3).failure, net::Failure::Request);
}

TEST_F(WocClientTest, UnspentListsInEveryShape)
{
    m_http.answer(WOC + "/address/" + ADDR + "/unspent/all", 200, read_data_file("fixtures/woc-unspent-all.json"));
    auto all = m_woc.unspent(ADDR, net::WocUnspentList::All);
    ASSERT_TRUE(all) << all.error;
    ASSERT_EQ(all->size(), 3u);
    // Integer satoshis here, never multiplied as BSV.
    EXPECT_EQ((*all)[0].sats, 98);
    EXPECT_EQ((*all)[0].height, 0);  // unconfirmed: no height
    EXPECT_EQ((*all)[0].script_hex, "76a914d0a69b53d9a1e229b51a60cc24814f8750b7446188ac");
    EXPECT_EQ((*all)[1].height, 861499);
    EXPECT_EQ((*all)[1].vout, 1u);
    EXPECT_FALSE((*all)[1].spent_in_mempool);
    EXPECT_TRUE((*all)[2].spent_in_mempool);

    m_http.answer(WOC + "/address/" + ADDR + "/unspent", 200, read_data_file("fixtures/woc-unspent-legacy.json"));
    auto legacy = m_woc.unspent(ADDR, net::WocUnspentList::Legacy);
    ASSERT_TRUE(legacy);
    ASSERT_EQ(legacy->size(), 2u);
    EXPECT_EQ((*legacy)[0].sats, 25000000);

    m_http.answer(WOC + "/address/" + ADDR + "/unconfirmed/unspent", 200,
                  R"({"address":"x","script":"y","result":null,"error":""})");
    auto none = m_woc.unspent(ADDR, net::WocUnspentList::Unconfirmed);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST_F(WocClientTest, MalformedUnspentEntriesAreLeftOut)
{
    const std::string good = R"({"tx_hash":")" + TXID + R"(","tx_pos":0,"value":1000})";
    const std::string body = "[" + good + "," +
        R"({"tx_hash":"abc","tx_pos":0,"value":1},)"                                  // short txid
        R"({"tx_hash":")" + TXID + R"(","tx_pos":-1,"value":1},)" +                  // bad index
        R"({"tx_hash":")" + TXID + R"(","tx_pos":1,"value":0.0001},)" +              // BSV float
        R"({"tx_hash":")" + TXID + R"(","tx_pos":2,"value":"5"},)" +                 // text
        R"({"tx_hash":")" + TXID + R"(","tx_pos":3,"value":-5},)" +
        R"("just text", null])";
    m_http.answer(WOC + "/address/" + ADDR + "/unspent", 200, body);
    auto list = m_woc.unspent(ADDR, net::WocUnspentList::Legacy);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ(list->at(0).sats, 1000);

    for (const char* shape : {R"({"result": {}})", R"({"error": "bad address"})", "42", "not json"}) {
        m_http.answer(WOC + "/address/" + ADDR + "/unspent", 200, shape);
        EXPECT_EQ(m_woc.unspent(ADDR, net::WocUnspentList::Legacy).failure, net::Failure::Answer) << shape;
    }
}

TEST_F(WocClientTest, UnspentPagesAreFollowed)
{
    const std::string url = WOC + "/address/" + ADDR + "/confirmed/unspent";
    m_http.answer(url, 200,
                  R"({"result":[{"tx_hash":")" + TXID + R"(","tx_pos":0,"value":5,"height":1}],"nextPageToken":"p2"})");
    m_http.answer(url + "?token=p2", 200, R"({"result":[{"tx_hash":")" + TXID + R"(","tx_pos":1,"value":6,"height":1}]})");
    auto list = m_woc.unspent(ADDR, net::WocUnspentList::Confirmed);
    ASSERT_TRUE(list) << list.error;
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ(list->at(1).sats, 6);
}

TEST_F(WocClientTest, UnspentFallsBackInOrderThenSaysNoUtxos)
{
    m_http.answer(WOC + "/address/" + ADDR + "/unconfirmed/unspent", 200,
                  read_data_file("fixtures/woc-unconfirmed-unspent.json"));
    auto list = m_woc.unspent_any(ADDR);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->size(), 2u);
    auto asked = m_http.requests();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].url, WOC + "/address/" + ADDR + "/unspent/all");
    EXPECT_EQ(asked[1].url, WOC + "/address/" + ADDR + "/unspent");

    net::WocClient down("https://down.test", m_http);
    auto none = down.unspent_any(ADDR);
    EXPECT_FALSE(none);
    EXPECT_EQ(none.error, "no utxos");
}

TEST_F(WocClientTest, HistoryTxidsFromEveryShape)
{
    m_http.answer(WOC + "/address/" + ADDR + "/unconfirmed/history", 200,
                  read_data_file("fixtures/woc-unconfirmed-history.json"));
    m_http.answer(WOC + "/address/" + ADDR + "/history", 200, read_data_file("fixtures/woc-history-legacy.json"));
    m_http.answer(WOC + "/address/" + ADDR + "/confirmed/history", 200,
                  R"({"result":[")" + TXID + R"(",{"txid":"abc"},{"tx_hash":5},7]})");
    auto unconfirmed = m_woc.address_txids(ADDR, net::WocAddressList::UnconfirmedHistory);
    ASSERT_TRUE(unconfirmed);
    EXPECT_EQ(unconfirmed->at(0), "2fde4146ae470efb337395987261b028c38e4e095b44ae3bc800c4073daf4730");
    auto legacy = m_woc.address_txids(ADDR, net::WocAddressList::History);
    ASSERT_TRUE(legacy);
    EXPECT_EQ(legacy->size(), 2u);
    auto mixed = m_woc.address_txids(ADDR, net::WocAddressList::ConfirmedHistory);
    ASSERT_TRUE(mixed);
    EXPECT_EQ(*mixed, (std::vector<std::string>{TXID, "abc"}));
}

TEST_F(WocClientTest, AddressIsEscapedInThePath)
{
    m_woc.unspent("../../tx/raw?x=1", net::WocUnspentList::Legacy);
    EXPECT_EQ(m_http.requests().at(0).url, WOC + "/address/..%2F..%2Ftx%2Fraw%3Fx%3D1/unspent");
}

TEST_F(WocClientTest, BroadcastPostsTxhexAndReadsEveryTxidForm)
{
    m_http.answer(WOC + "/tx/raw", 200, "\"" + TXID + "\"\n");
    auto answer = m_woc.broadcast("0100AB");
    ASSERT_TRUE(answer);
    EXPECT_EQ(m_http.requests().at(0).body, R"({"txhex":"0100ab"})");
    EXPECT_EQ(m_http.last_post_options.attempts, 2);
    EXPECT_EQ(m_http.last_post_options.timeout_seconds, 60);
    EXPECT_EQ(net::woc_broadcast_txid(*answer), TXID);

    EXPECT_EQ(net::woc_broadcast_txid(TXID), TXID);
    EXPECT_EQ(net::woc_broadcast_txid(" " + core::ascii_lower(TXID) + "\r\n"), TXID);
    EXPECT_EQ(net::woc_broadcast_txid(R"({"txid":")" + TXID + R"("})"), TXID);
    EXPECT_FALSE(net::woc_broadcast_txid("Transaction already in the mempool"));
    EXPECT_FALSE(net::woc_broadcast_txid(R"({"txid":"abc"})"));
    EXPECT_FALSE(net::woc_broadcast_txid(""));

    for (const char* node : {"257: txn-already-known", "Missing inputs", "258: txn-mempool-conflict"}) {
        m_http.answer(WOC + "/tx/raw", 400, node);
        auto refused = m_woc.broadcast("0100");
        EXPECT_FALSE(refused);
        EXPECT_EQ(refused.error, "HTTP 400 \xE2\x80\x93 " + std::string(node));
    }
    EXPECT_EQ(m_woc.broadcast("01zz").failure, net::Failure::Input);
}

TEST_F(WocClientTest, BalancesInBatchesOfTwenty)
{
    m_http.answer(WOC + "/addresses/balance", 200, read_data_file("fixtures/woc-addresses-balance.json"));
    std::vector<std::string> addresses;
    for (int i = 0; i < 25; ++i) addresses.push_back("addr" + std::to_string(i));
    auto balances = m_woc.balances(addresses);
    ASSERT_TRUE(balances);
    auto asked = m_http.requests();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(core::parse_json(asked[0].body)->at("addresses").size(), 20u);
    EXPECT_EQ(core::parse_json(asked[1].body)->at("addresses").size(), 5u);
    ASSERT_EQ(balances->size(), 4u);  // the canned answer twice
    EXPECT_EQ(balances->at(1).address, "1KGHhLTQaPr4LErrvbAuGE62yPpDoRwrob");
    EXPECT_EQ(balances->at(1).confirmed, 301995631);

    m_http.answer(WOC + "/addresses/balance", 200, R"({"error":"too many"})");
    EXPECT_EQ(m_woc.balances({"a"}).failure, net::Failure::Answer);
}

} // namespace
