#include "net/woc_client.h"

#include <functional>

#include <gtest/gtest.h>

#include "net/text.h"
#include "tests/support/fake_http.h"
#include "tests/support/test_data.h"

namespace woc_client_test {

using testsupport::read_data_file;

const std::string WOC = "https://woc.test/v1/bsv/main";
const std::string TXID = "33b9432a0ea203bbb6ec00592622cf6e90223849e4c9a76447a19a3ed43907d3";
const std::string ADDR = "1L2F8wYxTRagCZLnsm2engg8ngGECSeuE5";

class WocClientTest : public ::testing::Test {
protected:
    testsupport::FakeHttp m_http;
    net::WocClient m_woc{WOC, m_http};
};

// The captured answers of every endpoint, read as the product reads them.
TEST_F(WocClientTest, RealAnswersOfEveryEndpoint)
{
    m_http.answer(WOC + "/tx/" + TXID, 200, read_data_file("fixtures/woc-tx-with-opreturn.json"));
    auto tx = m_woc.tx(TXID);
    ASSERT_TRUE(tx) << tx.error;
    EXPECT_EQ(tx->outputs.at(1).sats, 549);

    m_http.answer(WOC + "/tx/" + TXID + "/3/spent", 200, read_data_file("fixtures/woc-spent.json"));
    auto spent = m_woc.spent(TXID, 3);
    ASSERT_TRUE(spent);
    EXPECT_EQ(spent->state, net::SpentCheck::State::Spent);
    EXPECT_EQ(spent->spender_txid.hex(), "87645a7c4a9a5a9b9cd1468db19cdba44129c35cc487fc57c4d8843141ad2551");
    EXPECT_TRUE(spent->spender_confirmed);

    m_http.answer(WOC + "/address/" + ADDR + "/unspent/all", 200, read_data_file("fixtures/woc-unspent-all.json"));
    auto all = m_woc.unspent(ADDR, net::WocUnspentList::All);
    ASSERT_TRUE(all) << all.error;
    ASSERT_EQ(all->size(), 3u);
    EXPECT_EQ((*all)[0].sats, 98);  // integer satoshis, never multiplied as BSV
    EXPECT_EQ((*all)[0].script_hex, "76a914d0a69b53d9a1e229b51a60cc24814f8750b7446188ac");
    EXPECT_EQ((*all)[1].height, 861499);
    EXPECT_TRUE((*all)[2].spent_in_mempool && !(*all)[1].spent_in_mempool);

    m_http.answer(WOC + "/address/" + ADDR + "/unspent", 200, read_data_file("fixtures/woc-unspent-legacy.json"));
    EXPECT_EQ(m_woc.unspent(ADDR, net::WocUnspentList::Legacy)->at(0).sats, 25000000);

    m_http.answer(WOC + "/address/" + ADDR + "/unconfirmed/history", 200,
                  read_data_file("fixtures/woc-unconfirmed-history.json"));
    m_http.answer(WOC + "/address/" + ADDR + "/history", 200, read_data_file("fixtures/woc-history-legacy.json"));
    m_http.answer(WOC + "/address/" + ADDR + "/confirmed/history", 200,
                  R"({"result":[")" + TXID + R"(",{"txid":"abc"},{"tx_hash":5},7]})");
    EXPECT_EQ(m_woc.address_txids(ADDR, net::WocAddressList::UnconfirmedHistory)->at(0).hex(),
              "2fde4146ae470efb337395987261b028c38e4e095b44ae3bc800c4073daf4730");
    EXPECT_EQ(m_woc.address_txids(ADDR, net::WocAddressList::History)->size(), 2u);
    EXPECT_EQ(*m_woc.address_txids(ADDR, net::WocAddressList::ConfirmedHistory), std::vector<tx::Txid>{*tx::Txid::parse(TXID)});

    // Balances go in batches of twenty addresses.
    m_http.clear();
    m_http.answer(WOC + "/addresses/balance", 200, read_data_file("fixtures/woc-addresses-balance.json"));
    std::vector<std::string> addresses;
    for (int i = 0; i < 25; ++i) addresses.push_back("addr" + std::to_string(i));
    auto balances = m_woc.balances(addresses);
    ASSERT_TRUE(balances);
    EXPECT_EQ(core::parse_json(m_http.requests().at(1).body)->at("addresses").size(), 5u);
    ASSERT_EQ(balances->size(), 4u);  // the canned answer twice
    EXPECT_EQ(balances->at(1).address, "1KGHhLTQaPr4LErrvbAuGE62yPpDoRwrob");
    EXPECT_EQ(balances->at(1).confirmed, 301995631);
}

// Answers that are not what was asked for, and input that must never become a request.
TEST_F(WocClientTest, FaultsAndLyingAnswers)
{
    const std::string tx_url = WOC + "/tx/" + TXID;
    const std::string spent_url = tx_url + "/3/spent";
    const std::string legacy_url = WOC + "/address/" + ADDR + "/unspent";
    auto failure_of = [](const auto& result) { return result ? std::optional<net::Failure>{} : result.failure; };
    struct Case {
        const char* name;
        std::string url;
        long status;
        std::string body;
        std::function<std::optional<net::Failure>(net::WocClient&)> ask;
        std::optional<net::Failure> failure;
    };
    const auto tx = [&](net::WocClient& w) { return failure_of(w.tx(TXID)); };
    const auto tx_hex = [&](net::WocClient& w) { return failure_of(w.tx_hex(TXID)); };
    const auto spent = [&](net::WocClient& w) { return failure_of(w.spent(TXID, 3)); };
    const auto legacy = [&](net::WocClient& w) { return failure_of(w.unspent(ADDR, net::WocUnspentList::Legacy)); };
    const auto bulk = [&](net::WocClient& w) { return failure_of(w.txs_hex({TXID})); };
    const auto balance = [&](net::WocClient& w) { return failure_of(w.balances({"a"})); };
    const Case cases[] = {
        {"another transaction than asked", tx_url, 200, read_data_file("fixtures/woc-tx.json"), tx, net::Failure::Answer},
        {"missing transaction", tx_url, 404, "", tx, net::Failure::Request},
        {"hex that is JSON", tx_url + "/hex", 200, R"({"error":"unknown"})", tx_hex, net::Failure::Answer},
        {"empty hex", tx_url + "/hex", 200, "", tx_hex, net::Failure::Answer},
        {"200 naming no spender", spent_url, 200, R"({"vin":1})", spent, net::Failure::Answer},
        {"spent check 500", spent_url, 500, "oops", spent, net::Failure::Request},
        {"unspent as an object", legacy_url, 200, R"({"result": {}})", legacy, net::Failure::Answer},
        {"unspent error", legacy_url, 200, R"({"error": "bad address"})", legacy, net::Failure::Answer},
        {"unspent number", legacy_url, 200, "42", legacy, net::Failure::Answer},
        {"unspent not JSON", legacy_url, 200, "not json", legacy, net::Failure::Answer},
        {"bulk hex error", WOC + "/txs/hex", 200, R"({"error":"busy"})", bulk, net::Failure::Answer},
        {"balance error", WOC + "/addresses/balance", 200, R"({"error":"too many"})", balance, net::Failure::Answer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_http.answer(c.url, c.status, c.body);
        EXPECT_EQ(c.ask(m_woc), c.failure);
    }

    // The spent check reads the status code: 404 is unspent, 400 an outpoint the service does not know.
    m_http.answer(spent_url, 404, "Not Found");
    EXPECT_EQ(m_woc.spent(TXID, 3)->state, net::SpentCheck::State::Unspent);
    m_http.answer(spent_url, 400, "{\"error\":\"bad utxo\"}");
    EXPECT_EQ(m_woc.spent(TXID, 3)->state, net::SpentCheck::State::UnknownOutpoint);

    // Bad input is refused before anything is asked; an address is escaped in the path.
    m_http.clear();
    EXPECT_EQ(m_woc.tx("../address/x").failure, net::Failure::Input);
    EXPECT_EQ(m_woc.txs_hex(std::vector<std::string>(21, TXID)).failure, net::Failure::Input);
    EXPECT_EQ(m_woc.txs_hex({}).failure, net::Failure::Input);
    EXPECT_EQ(m_woc.broadcast("01zz").failure, net::Failure::Input);
    EXPECT_TRUE(m_http.requests().empty());
    (void)m_woc.unspent("../../tx/raw?x=1", net::WocUnspentList::Legacy);
    EXPECT_EQ(m_http.requests().at(0).url, WOC + "/address/..%2F..%2Ftx%2Fraw%3Fx%3D1/unspent");
}

TEST_F(WocClientTest, RawHexSinglyAndInBulk)
{
    const std::string hex = read_data_file("fixtures/tx-bsv21-transfer-f7ca34a9.hex");
    m_http.answer(WOC + "/tx/" + TXID + "/hex", 200, hex + "\n");
    auto raw = m_woc.tx_hex(TXID);
    ASSERT_TRUE(raw) << raw.error;
    EXPECT_EQ(*raw, core::ascii_lower(std::string(hex.substr(0, hex.find_last_not_of("\r\n ") + 1))));
    EXPECT_EQ(m_http.last_get_options.max_body, net::MAX_RAW_TX_BODY);

    // Entries without hex are left out; a block named is kept, the bulk form need not name one.
    const std::string other(64, 'b');
    m_http.answer(WOC + "/txs/hex", 200,
                  R"([{"txid":")" + TXID + R"(","hex":"01AB","blockhash":"00ff","blockheight":7,"confirmations":2},)"
                  R"({"txid":")" + other + R"(","hex":"02"},{"txid":")" + other + R"(","error":"unknown"},"x"])");
    auto bulk = m_woc.txs_hex({TXID, other});
    ASSERT_TRUE(bulk) << bulk.error;
    ASSERT_EQ(bulk->size(), 2u);
    EXPECT_EQ(bulk->at(0).hex, "01ab");
    EXPECT_EQ(bulk->at(0).position, (net::ChainPosition{net::ChainPosition::State::Confirmed, 7}));
    EXPECT_EQ(bulk->at(1).position.state, net::ChainPosition::State::Unknown);
}

TEST_F(WocClientTest, UnspentEntriesPagesAndFallbacks)
{
    const std::string entry = R"({"tx_hash":")" + TXID + R"(","tx_pos":)";
    m_http.answer(WOC + "/address/" + ADDR + "/unspent", 200,
                  "[" + entry + R"(0,"value":1000},)" + R"({"tx_hash":"abc","tx_pos":0,"value":1},)" + entry +
                      R"(-1,"value":1},)" + entry + R"(1,"value":0.0001},)" + entry + R"(2,"value":"5"},)" + entry +
                      R"(3,"value":-5},"just text", null])");
    auto list = m_woc.unspent(ADDR, net::WocUnspentList::Legacy);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1u);  // a short txid, a bad index, a BSV float, a text and a negative value are left out
    EXPECT_EQ(list->at(0).sats, 1000);

    const std::string confirmed = WOC + "/address/" + ADDR + "/confirmed/unspent";
    m_http.answer(confirmed, 200, R"({"result":[)" + entry + R"(0,"value":5,"height":1}],"nextPageToken":"p2"})");
    m_http.answer(confirmed + "?token=p2", 200, R"({"result":[)" + entry + R"(1,"value":6,"height":1}]})");
    auto pages = m_woc.unspent(ADDR, net::WocUnspentList::Confirmed);
    ASSERT_TRUE(pages) << pages.error;
    ASSERT_EQ(pages->size(), 2u);
    EXPECT_EQ(pages->at(1).sats, 6);

    // The lists are tried in order until one answers; none answering is "no utxos".
    testsupport::FakeHttp fresh;
    fresh.answer(WOC + "/address/" + ADDR + "/unconfirmed/unspent", 200,
                 read_data_file("fixtures/woc-unconfirmed-unspent.json"));
    net::WocClient in_order(WOC, fresh);
    auto any = in_order.unspent_any(ADDR);
    ASSERT_TRUE(any);
    EXPECT_EQ(any->size(), 2u);
    EXPECT_EQ(fresh.urls(), (std::vector<std::string>{WOC + "/address/" + ADDR + "/unspent/all",
                                                      WOC + "/address/" + ADDR + "/unspent",
                                                      WOC + "/address/" + ADDR + "/unconfirmed/unspent"}));
    EXPECT_EQ(net::WocClient("https://down.test", m_http).unspent_any(ADDR).error, "no utxos");
}

TEST_F(WocClientTest, BroadcastPostsTxhexAndReadsEveryTxidForm)
{
    m_http.answer(WOC + "/tx/raw", 200, "\"" + TXID + "\"\n");
    auto answer = m_woc.broadcast("0100AB");
    ASSERT_TRUE(answer);
    EXPECT_EQ(m_http.requests().at(0).body, R"({"txhex":"0100ab"})");
    EXPECT_EQ(m_http.last_post_options.attempts, 2);
    EXPECT_EQ(net::woc_broadcast_txid(*answer), tx::Txid::parse(TXID));

    EXPECT_EQ(net::woc_broadcast_txid(" " + core::ascii_lower(TXID) + "\r\n"), tx::Txid::parse(TXID));
    EXPECT_EQ(net::woc_broadcast_txid(R"({"txid":")" + TXID + R"("})"), tx::Txid::parse(TXID));
    for (const char* refused : {"Transaction already in the mempool", R"({"txid":"abc"})", ""}) {
        EXPECT_FALSE(net::woc_broadcast_txid(refused)) << refused;
    }
    m_http.answer(WOC + "/tx/raw", 400, "258: txn-mempool-conflict");
    auto refused = m_woc.broadcast("0100");
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error, "HTTP 400 \xE2\x80\x93 258: txn-mempool-conflict");
}

} // namespace woc_client_test
