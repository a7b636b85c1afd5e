// The service clients against the local simulator, for what the captured answers and the product's
// own tests do not show: real token transactions at the top of the amount range, pictures and
// token JSON that is not a token, and the real client's reading of a 404 and of a slow answer.
#include <vector>

#include <gtest/gtest.h>

#include "net/http_client.h"
#include "net/ordinals_client.h"
#include "net/service_config.h"
#include "net/woc_client.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/test_data.h"

namespace devnet_readers_test {

const std::string DASH = "\xE2\x80\x93";
const std::string OWNER = "1inHbiwj2jrEcZPiSYnfgJ8FmS1Bmk4Dh";
const std::string PAYEE = "1L2F8wYxTRagCZLnsm2engg8ngGECSeuE5";

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
};

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

TEST_F(DevnetReadersTest, PicturesPaymentsAndNumericTokenJson)
{
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

TEST_F(DevnetReadersTest, A404IsAFailureUnlessTheCallerExpectsIt)
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
