// The service clients against the local simulator: the reader checks that guard the parsing
// faults the live services provoke, and the HTTP client's edge cases through the simulator's
// fault injection.
#include <chrono>
#include <vector>

#include <gtest/gtest.h>

#include "net/arc_client.h"
#include "net/http_client.h"
#include "net/ordinals_client.h"
#include "net/registry_client.h"
#include "net/service_config.h"
#include "net/woc_client.h"
#include "tests/net/sleep_log.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/test_data.h"

namespace devnet_readers_test {

const std::string DASH = "\xE2\x80\x93";
const std::string OWNER = "1inHbiwj2jrEcZPiSYnfgJ8FmS1Bmk4Dh";
const std::string PAYEE = "1L2F8wYxTRagCZLnsm2engg8ngGECSeuE5";
const std::string EMPTY = "12drYTV2c9nZMrxep9ewpWPdLrV5bNcWF2";

std::string fixture_hex(const std::string& name)
{
    std::string hex = testsupport::read_data_file("fixtures/" + name);
    while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r' || hex.back() == ' ')) hex.pop_back();
    return hex;
}

class DevnetReadersTest : public testsupport::DevnetTest {
protected:
    net::WocClient woc() { return net::WocClient(devnet().woc(), net::default_http()); }
    net::OrdinalsClient gp() { return net::OrdinalsClient(devnet().ordinals(), devnet().content(), net::default_http()); }
    net::ArcClient arc() { return net::ArcClient(devnet().arc(), net::default_http()); }
    net::RegistryClient registry()
    {
        return net::RegistryClient(devnet().registry(), std::string(net::DEFAULT_REGISTRY_DOMAIN), net::default_http());
    }

    // The output of txid paying address.
    std::optional<net::ChainTxOutput> output_to(const net::ChainTx& tx, const std::string& address)
    {
        for (const auto& out : tx.outputs) {
            for (const auto& a : out.addresses) {
                if (a == address) return out;
            }
        }
        return std::nullopt;
    }
};

TEST_F(DevnetReadersTest, WocTransactionsFloatsConfirmationAndTruncation)
{
    const std::string txid = devnet().fund(PAYEE, 549);
    ASSERT_FALSE(txid.empty());
    auto unconfirmed = woc().tx(txid);
    ASSERT_TRUE(unconfirmed) << unconfirmed.error;
    EXPECT_FALSE(unconfirmed->confirmed);
    auto paid = output_to(*unconfirmed, PAYEE);
    ASSERT_TRUE(paid);
    EXPECT_EQ(paid->sats, 549);  // 0.00000549 BSV, read exactly

    devnet().mine();
    auto confirmed = woc().tx(txid);
    ASSERT_TRUE(confirmed);
    EXPECT_TRUE(confirmed->confirmed);
    EXPECT_GT(confirmed->block_height, 0);

    // A large inscription: the JSON cuts its script, the raw hex holds all of it.
    const std::string origin = devnet().inscribe(OWNER, "image/png", std::string(150'000, 'p'));
    ASSERT_EQ(origin.size(), 66u);
    const std::string big_txid = origin.substr(0, 64);
    auto big = woc().tx(big_txid);
    ASSERT_TRUE(big) << big.error;
    EXPECT_TRUE(big->outputs.at(0).script_truncated);
    auto hex = woc().tx_hex(big_txid);
    ASSERT_TRUE(hex) << hex.error;
    EXPECT_GT(hex->size(), 300'000u);
}

TEST_F(DevnetReadersTest, WocUnspentListsInEveryShape)
{
    const std::string txid = devnet().fund(PAYEE, 12345);
    ASSERT_FALSE(txid.empty());
    auto all = woc().unspent(PAYEE, net::WocUnspentList::All);
    ASSERT_TRUE(all) << all.error;
    ASSERT_EQ(all->size(), 1u);
    EXPECT_EQ(all->at(0).txid, txid);
    EXPECT_EQ(all->at(0).sats, 12345);  // integer satoshis, not BSV
    EXPECT_EQ(all->at(0).height, 0);
    EXPECT_EQ(all->at(0).script_hex.substr(0, 6), "76a914");

    auto legacy = woc().unspent(PAYEE, net::WocUnspentList::Legacy);
    ASSERT_TRUE(legacy) << legacy.error;
    EXPECT_EQ(legacy->size(), 1u);

    devnet().mine();
    auto confirmed = woc().unspent(PAYEE, net::WocUnspentList::Confirmed);
    ASSERT_TRUE(confirmed) << confirmed.error;
    ASSERT_EQ(confirmed->size(), 1u);
    EXPECT_GT(confirmed->at(0).height, 0);

    auto none = woc().unspent(EMPTY, net::WocUnspentList::Unconfirmed);
    ASSERT_TRUE(none) << none.error;
    EXPECT_TRUE(none->empty());
    auto any = woc().unspent_any(PAYEE);
    ASSERT_TRUE(any);
    EXPECT_EQ(any->size(), 1u);

    auto history = woc().address_txids(PAYEE, net::WocAddressList::ConfirmedHistory);
    ASSERT_TRUE(history) << history.error;
    EXPECT_EQ(*history, std::vector<std::string>{txid});

    auto balances = woc().balances({PAYEE, EMPTY});
    ASSERT_TRUE(balances) << balances.error;
    ASSERT_EQ(balances->size(), 2u);
    EXPECT_EQ(balances->at(0).confirmed + balances->at(0).unconfirmed, 12345);
}

TEST_F(DevnetReadersTest, BroadcastAnswersOfEveryService)
{
    const std::string txid = devnet().fund(PAYEE, 5000);
    auto hex = woc().tx_hex(txid);
    ASSERT_TRUE(hex) << hex.error;

    auto again = woc().broadcast(*hex);
    ASSERT_FALSE(again);
    EXPECT_NE(again.error.find("Transaction already in the mempool"), std::string::npos) << again.error;
    devnet().mine();
    auto known = woc().broadcast(*hex);
    ASSERT_FALSE(known);
    EXPECT_NE(known.error.find("txn-already-known"), std::string::npos) << known.error;

    // A real transaction whose parents this chain never saw.
    const std::string orphan = fixture_hex("tx-bsv21-transfer-f7ca34a9.hex");
    auto missing = woc().broadcast(orphan);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error.find("Missing inputs"), std::string::npos) << missing.error;

    std::string error;
    EXPECT_FALSE(arc().broadcast(orphan, "f7ca34a9c0319bfb837a56ee7375e8246229f5fefbdaaaf9fdec97493d428bee", error));
    EXPECT_EQ(error.rfind("HTTP 460 " + DASH, 0), 0u) << error;
    EXPECT_TRUE(arc().broadcast(*hex, txid, error)) << error;  // known: its stored status

    auto oi = registry().submit(*hex);
    ASSERT_TRUE(oi) << oi.error;
}

TEST_F(DevnetReadersTest, RealTokenTransferAtTheTopOfTheRange)
{
    const std::string deploy = devnet().import_tx(fixture_hex("tx-bsv21-deploy-mint-ae59f3b8.hex"));
    const std::string transfer = devnet().import_tx(fixture_hex("tx-bsv21-transfer-f7ca34a9.hex"));
    ASSERT_EQ(deploy, "ae59f3b898ec61acbdb6cc7a245fabeded0c094bf046f35206a3aec60ef88127");
    ASSERT_EQ(transfer, "f7ca34a9c0319bfb837a56ee7375e8246229f5fefbdaaaf9fdec97493d428bee");
    const std::string token_id = deploy + "_0";

    auto tokens = gp().token_unspent(OWNER);
    ASSERT_TRUE(tokens) << tokens.error;
    ASSERT_EQ(tokens->size(), 1u);
    EXPECT_EQ(tokens->at(0).outpoint, transfer + "_1");
    EXPECT_EQ(tokens->at(0).amt, "18446744073699500000");
    EXPECT_EQ(tokens->at(0).id, token_id);
    EXPECT_EQ(tokens->at(0).status, 1);

    auto txos = gp().unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(txos) << txos.error;
    ASSERT_EQ(txos->size(), 1u);
    ASSERT_TRUE(txos->at(0).token);
    EXPECT_EQ(txos->at(0).token->amt, "18446744073699500000");
    auto plain = gp().unspent_txos(OWNER, net::TxoSelection::NonToken);
    ASSERT_TRUE(plain) << plain.error;
    for (const auto& t : *plain) EXPECT_FALSE(t.has_bsv20) << t.outpoint;

    auto spent = gp().txo(deploy, 0);
    ASSERT_TRUE(spent) << spent.error;
    EXPECT_EQ(spent->spend, transfer);
    auto info = gp().token(token_id);
    ASSERT_TRUE(info) << info.error;
    EXPECT_EQ(info->sym, "MNEE");
    EXPECT_EQ(info->dec, 5);
    EXPECT_EQ(info->amt, "18446744073709500000");
}

TEST_F(DevnetReadersTest, MintedTokensPicturesAndNumericTokenJson)
{
    const std::string id = devnet().mint(OWNER, "1000000", "TST", "", "2");
    ASSERT_EQ(id.size(), 66u);
    auto out = gp().txo(id.substr(0, 64), 0);
    ASSERT_TRUE(out) << out.error;
    EXPECT_FALSE(out->spent());
    ASSERT_TRUE(out->token);
    EXPECT_EQ(out->token->amt, "1000000");
    auto info = gp().token(id);
    ASSERT_TRUE(info) << info.error;
    EXPECT_EQ(info->sym, "TST");
    EXPECT_EQ(info->dec, 2);

    const std::string png("\x89PNG\r\n\x1a\n-picture-bytes", 22);
    const std::string origin = devnet().inscribe(OWNER, "image/png", png);
    auto content = gp().content(origin);
    ASSERT_TRUE(content) << content.error;
    EXPECT_EQ(content->bytes, png);
    EXPECT_EQ(content->content_type.rfind("image/png", 0), 0u);

    // A payment output carries no inscription: the content base answers a JSON 404.
    const std::string paid = devnet().fund(PAYEE, 3000);
    auto tx = woc().tx(paid);
    ASSERT_TRUE(tx);
    for (uint32_t i = 0; i < tx->outputs.size(); ++i) {
        auto miss = gp().content(paid + "_" + std::to_string(i));
        EXPECT_FALSE(miss);
        EXPECT_EQ(miss.status, 404);
    }

    // Numbers where the token protocol wants text: not a token.
    const std::string numeric = devnet().inscribe(OWNER, "application/bsv-20",
                                                  R"({"p":"bsv-20","op":"deploy+mint","amt":100,"dec":0})");
    ASSERT_EQ(numeric.size(), 66u);
    auto token = gp().token(numeric);
    EXPECT_FALSE(token);
    EXPECT_EQ(token.status, 404);
    auto tokens = gp().unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(tokens);
    for (const auto& t : *tokens) EXPECT_NE(t.outpoint, numeric);
}

// --- the HTTP client's edge cases through the simulator's faults ---

TEST_F(DevnetReadersTest, RateLimitBackOffThenSuccess)
{
    const std::string txid = devnet().fund(PAYEE, 1000);
    devnet().fault("woc", {{"rate_limit_next", 3}});
    nettest::SleepLog log;
    net::CurlHttp http(log.sleeper());
    net::WocClient client(devnet().woc(), http);
    auto tx = client.tx(txid);
    EXPECT_TRUE(tx) << tx.error;
    EXPECT_EQ(log.waits, (std::vector<long>{400, 800, 1600}));

    devnet().fault("woc", {{"rate_limit_next", 4}});
    auto limited = client.tx(txid);
    EXPECT_FALSE(limited);
    EXPECT_EQ(limited.error, "HTTP 429 " + DASH + " WhatsOnChain is rate-limiting. Wait a few seconds and try again.");
}

TEST_F(DevnetReadersTest, FailingAnswersBecomeTheirSentences)
{
    const std::string not_found = R"({"message":"Not Found"})";
    devnet().fault("ordinals", {{"status", 404}, {"body", not_found}, {"content_type", "application/json"}});
    const std::string url = devnet().ordinals() + "/txos/" + std::string(64, 'a') + "_0";
    net::Json json;
    EXPECT_FALSE(net::get_json(url, json, 5));
    EXPECT_EQ(json.value("message", ""), "Not Found");
    std::string body, error;
    EXPECT_TRUE(net::http_get(url, body, error, 5, true));
    EXPECT_EQ(body, not_found);
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(net::http_get(url, body, error, 5, false));
    EXPECT_EQ(error, "HTTP 404 " + DASH + " " + not_found);

    devnet().fault("woc", {{"status", 500}, {"body", "<html><body>Internal Server Error</body></html>"},
                           {"content_type", "text/html"}});
    EXPECT_FALSE(net::http_get(devnet().woc() + "/tx/" + std::string(64, 'b'), body, error, 5));
    EXPECT_EQ(error, "HTTP 500");

    const std::string long_json = R"({"error":")" + std::string(288, 'y') + R"("})";
    ASSERT_EQ(long_json.size(), 300u);
    devnet().fault("registry", {{"status", 400}, {"body", long_json}, {"content_type", "application/json"}});
    std::string response;
    EXPECT_FALSE(net::http_post_json(devnet().registry() + "/oi/submit", R"({"txhex":"00"})", response, error, 5));
    EXPECT_EQ(error, "HTTP 400 " + DASH + " " + long_json.substr(0, 120));
}

TEST_F(DevnetReadersTest, SlowAnswerWithinTheTwoSecondFloor)
{
    const std::string txid = devnet().fund(PAYEE, 1000);
    devnet().fault("woc", {{"delay_ms", 1300}});
    auto tx = woc().tx(txid, 1);  // asked for 1 s, given 2
    EXPECT_TRUE(tx) << tx.error;
    // The plain JSON GET keeps the time-out it was given.
    auto json = woc().tx_json(txid, 1);
    EXPECT_FALSE(json);
    EXPECT_EQ(json.error, curl_easy_strerror(CURLE_OPERATION_TIMEDOUT));
}

} // namespace devnet_readers_test
