#include "net/ordinals_client.h"

#include <gtest/gtest.h>

#include "tests/net/fake_http.h"
#include "tests/support/test_data.h"

namespace ordinals_client_test {

using testsupport::read_data_file;

const std::string API = "https://gp.test/api";
const std::string CONTENT = "https://gp.test";
const std::string OWNER = "1inHbiwj2jrEcZPiSYnfgJ8FmS1Bmk4Dh";
const std::string MNEE = "ae59f3b898ec61acbdb6cc7a245fabeded0c094bf046f35206a3aec60ef88127_0";
const std::string TRANSFER = "f7ca34a9c0319bfb837a56ee7375e8246229f5fefbdaaaf9fdec97493d428bee";

class OrdinalsClientTest : public ::testing::Test {
protected:
    nettest::FakeHttp m_http;
    net::OrdinalsClient m_gp{API, CONTENT, m_http};

    std::string unspent_url(const char* bsv20, int offset = 0) const
    {
        return API + "/txos/address/" + OWNER + "/unspent?bsv20=" + bsv20 + "&limit=100&offset=" + std::to_string(offset);
    }
};

TEST_F(OrdinalsClientTest, TokenOutputsAskedWithBsv20AndReadUnderBsv20)
{
    m_http.answer(unspent_url("true"), 200, read_data_file("fixtures/gp-txos-address-unspent-bsv20.derived.json"));
    auto tokens = m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(tokens) << tokens.error;
    ASSERT_EQ(tokens->size(), 1u);
    const net::Txo& t = tokens->at(0);
    EXPECT_EQ(t.outpoint, TRANSFER + "_1");
    EXPECT_EQ(t.sats, 1);
    EXPECT_FALSE(t.spent());
    EXPECT_TRUE(t.has_bsv20);
    EXPECT_FALSE(t.has_bsv21);
    EXPECT_TRUE(t.has_insc);
    ASSERT_TRUE(t.token);
    EXPECT_EQ(t.token->op, "transfer");
    EXPECT_EQ(t.token->amt, "18446744073699500000");  // above 2^53: exact
    EXPECT_EQ(t.token->id, MNEE);
    ASSERT_TRUE(t.file);
    EXPECT_EQ(t.file->type, "application/bsv-20");
    EXPECT_EQ(t.file->size, 133);
    EXPECT_EQ(t.origin, TRANSFER + "_1");
    EXPECT_EQ(t.height, 874010);
}

TEST_F(OrdinalsClientTest, PaymentOutputWithNullsAndStringIntegers)
{
    m_http.answer(unspent_url("false"), 200, read_data_file("fixtures/gp-txos-history-payment-captured.json"));
    auto plain = m_gp.unspent_txos(OWNER, net::TxoSelection::NonToken);
    ASSERT_TRUE(plain);
    ASSERT_EQ(plain->size(), 1u);
    EXPECT_EQ(plain->at(0).sats, 10000000);
    EXPECT_TRUE(plain->at(0).origin.empty());
    EXPECT_TRUE(plain->at(0).data.is_null());
    EXPECT_FALSE(plain->at(0).has_insc);
    EXPECT_EQ(plain->at(0).spend, "77749e6e75c5d411f5005ebc7a53e427a4bd4c77e010b4090da6bcd7620f361e");
}

TEST_F(OrdinalsClientTest, AMovedInscriptionIsKnownByItsOriginsFile)
{
    const std::string origin = std::string(64, 'd') + "_0";
    const std::string moved = std::string(64, 'e');
    nlohmann::json entry = {{"txid", moved}, {"vout", 0}, {"outpoint", moved + "_0"}, {"satoshis", 1},
                            {"owner", OWNER}, {"spend", ""}, {"height", 19}, {"data", nullptr},
                            {"origin", {{"outpoint", origin},
                                        {"data", {{"insc", {{"file", {{"type", "image/png"}, {"size", 1847}, {"hash", "h"}}}}}}}}}};
    nlohmann::json bare = entry;
    bare["outpoint"] = moved + "_1";
    bare["vout"] = 1;
    bare["origin"] = {{"outpoint", origin}};
    m_http.answer(unspent_url("false"), 200, nlohmann::json::array({entry, bare}).dump());
    auto plain = m_gp.unspent_txos(OWNER, net::TxoSelection::NonToken);
    ASSERT_TRUE(plain) << plain.error;
    ASSERT_EQ(plain->size(), 2u);
    EXPECT_FALSE(plain->at(0).file);  // nothing inscribed on the output itself
    ASSERT_TRUE(plain->at(0).origin_file);
    EXPECT_EQ(plain->at(0).origin_file->type, "image/png");
    EXPECT_EQ(plain->at(0).origin_file->size, 1847);
    EXPECT_EQ(plain->at(0).origin, origin);
    EXPECT_FALSE(plain->at(1).origin_file);  // an origin without data tells nothing
}

TEST_F(OrdinalsClientTest, EveryPageIsRead)
{
    auto page = [](int first, int count) {
        core::Json arr = core::Json::array();
        for (int i = first; i < first + count; ++i) {
            arr.push_back({{"txid", std::string(64, 'b')}, {"vout", i}, {"satoshis", 1}, {"owner", nullptr}, {"spend", ""}});
        }
        return arr.dump();
    };
    m_http.answer(unspent_url("false", 0), 200, page(0, 100));
    m_http.answer(unspent_url("false", 100), 200, page(100, 100));
    m_http.answer(unspent_url("false", 200), 200, page(200, 7));
    auto all = m_gp.unspent_txos(OWNER, net::TxoSelection::NonToken);
    ASSERT_TRUE(all) << all.error;
    EXPECT_EQ(all->size(), 207u);
    EXPECT_EQ(m_http.requests().size(), 3u);
}

TEST_F(OrdinalsClientTest, ServiceIgnoringPagingDoesNotLoop)
{
    core::Json arr = core::Json::array();
    for (int i = 0; i < 150; ++i) {
        arr.push_back({{"txid", std::string(64, 'c')}, {"vout", i}, {"satoshis", 1}, {"spend", ""}});
    }
    for (int offset = 0; offset <= 300; offset += 100) m_http.answer(unspent_url("true", offset), 200, arr.dump());
    auto all = m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 150u);
    EXPECT_EQ(m_http.requests().size(), 2u);
}

TEST_F(OrdinalsClientTest, MalformedOutputsAreLeftOut)
{
    const std::string txid(64, 'd');
    core::Json arr = core::Json::parse(R"([
        {"txid": "short", "vout": 0, "satoshis": 1, "spend": ""},
        {"vout": 0, "satoshis": 1},
        {"txid": "TXID", "vout": "0", "satoshis": 1, "spend": ""},
        {"txid": "TXID", "vout": 1, "satoshis": 1.5, "spend": ""},
        {"txid": "TXID", "vout": 2, "satoshis": 1, "spend": "not-a-txid"},
        {"txid": "TXID", "vout": 3, "satoshis": 1, "spend": "", "owner": 5},
        {"txid": "TXID", "vout": 4, "satoshis": 1, "spend": "", "data": {"bsv20": {"op": "transfer", "amt": 1e30}}},
        {"txid": "TXID", "vout": 5, "satoshis": 1, "spend": "", "data": {"bsv20": {"op": "transfer", "amt": "-5"}}},
        {"txid": "TXID", "vout": 6, "satoshis": 1, "spend": "", "data": {"bsv20": {"op": "transfer", "amt": "0010"}}},
        "junk"
    ])");
    for (auto& e : arr) {
        if (e.is_object() && e.value("txid", "") == "TXID") e["txid"] = txid;
    }
    m_http.answer(unspent_url("true"), 200, arr.dump());
    auto list = m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ(list->at(0).vout, 6u);
    EXPECT_EQ(list->at(0).token->amt, "10");

    m_http.answer(unspent_url("true"), 200, R"({"message":"oops"})");
    EXPECT_EQ(m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens).failure, net::Failure::Answer);
}

TEST_F(OrdinalsClientTest, SpentOutputAndMisses)
{
    const std::string txid = "ae59f3b898ec61acbdb6cc7a245fabeded0c094bf046f35206a3aec60ef88127";
    m_http.answer(API + "/txos/" + txid + "_0", 200, read_data_file("fixtures/gp-txos-outpoint-spent.derived.json"));
    auto spent = m_gp.txo(txid, 0);
    ASSERT_TRUE(spent);
    EXPECT_TRUE(spent->spent());
    EXPECT_EQ(spent->spend, TRANSFER);
    EXPECT_EQ(spent->token->amt, "18446744073709500000");
    EXPECT_EQ(m_http.requests().at(0).method, "GET_JSON");

    m_http.answer(API + "/txos/" + txid + "_1", 404, read_data_file("fixtures/gp-error-404.json"));
    auto miss = m_gp.txo(txid, 1);
    EXPECT_EQ(miss.failure, net::Failure::Request);
    EXPECT_EQ(miss.status, 404);
    m_http.answer(API + "/txos/" + txid + "_2", 500, read_data_file("fixtures/gp-error-invalid-outpoint.json"));
    EXPECT_EQ(m_gp.txo(txid, 2).status, 500);
    EXPECT_EQ(m_gp.txo("x", 0).failure, net::Failure::Input);
}

TEST_F(OrdinalsClientTest, TokenOutputsOfAnAddress)
{
    m_http.answer(API + "/bsv20/" + OWNER + "/unspent?limit=100&offset=0", 200,
                  read_data_file("fixtures/gp-bsv20-address-unspent.derived.json"));
    auto list = m_gp.token_unspent(OWNER);
    ASSERT_TRUE(list) << list.error;
    ASSERT_EQ(list->size(), 1u);
    const net::TokenTxo& t = list->at(0);
    EXPECT_EQ(t.id, MNEE);
    EXPECT_EQ(t.amt, "18446744073699500000");
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.op, "transfer");
    EXPECT_EQ(t.owner, OWNER);

    m_http.answer(API + "/bsv20/" + OWNER + "/id/" + MNEE, 200, read_data_file("fixtures/gp-bsv20-address-unspent.derived.json"));
    auto of_token = m_gp.token_outputs(OWNER, MNEE);
    ASSERT_TRUE(of_token);
    EXPECT_EQ(of_token->size(), 1u);
    EXPECT_EQ(m_gp.token_outputs(OWNER, "MNEE").failure, net::Failure::Input);
}

TEST_F(OrdinalsClientTest, TokenDetailsWithoutName)
{
    m_http.answer(API + "/bsv20/id/" + MNEE, 200, read_data_file("fixtures/gp-bsv20-id.derived.json"));
    auto info = m_gp.token(MNEE);
    ASSERT_TRUE(info) << info.error;
    EXPECT_EQ(info->sym, "MNEE");
    EXPECT_EQ(info->icon, "9c7f7f1788c6382d5ac737a4052334cf150b52d1e46c484ecfb1d6e00184f263_0");
    EXPECT_TRUE(info->name.empty());
    EXPECT_EQ(info->dec, 5);
    EXPECT_EQ(info->amt, "18446744073709500000");
    EXPECT_EQ(info->deploy_json.value("op", ""), "deploy+mint");

    // Decimals only in the deploy inscription's text.
    auto doc = core::parse_json(read_data_file("fixtures/gp-bsv20-id.derived.json"));
    doc->erase("dec");
    auto from_json = net::parse_token_info(*doc);
    ASSERT_TRUE(from_json);
    EXPECT_EQ(from_json->dec, 5);
    (*doc)["data"]["insc"]["json"]["dec"] = "99";
    EXPECT_FALSE(net::parse_token_info(*doc)->dec);

    m_http.answer(API + "/bsv20/id/" + MNEE, 404, read_data_file("fixtures/gp-error-404.json"));
    EXPECT_EQ(m_gp.token(MNEE).status, 404);
}

TEST_F(OrdinalsClientTest, ContentWithCapAndJsonMiss)
{
    const std::string origin = TRANSFER + "_0";
    const std::string png("\x89PNG\r\n\x1a\n\0\0", 10);
    m_http.answer(CONTENT + "/content/" + origin, 200, png, "image/png");
    auto content = m_gp.content(origin);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->bytes, png);
    EXPECT_EQ(content->content_type, "image/png");
    EXPECT_EQ(m_http.last_get_options.max_body, net::MAX_CONTENT_BODY);

    m_http.answer(CONTENT + "/content/" + TRANSFER + "_1", 404, read_data_file("fixtures/gp-error-404.json"));
    auto miss = m_gp.content(TRANSFER + "_1");
    EXPECT_FALSE(miss);
    EXPECT_EQ(miss.status, 404);

    m_http.answer(API + "/files/inscriptions/" + origin, 200, png);
    EXPECT_TRUE(m_gp.files_inscription(origin));
    EXPECT_EQ(m_gp.content("../api/x").failure, net::Failure::Input);
}

TEST(TokenAmountTest, ExactTextOrNothing)
{
    using core::Json;
    EXPECT_EQ(net::token_amount_text(Json::parse("18446744073709551615")), "18446744073709551615");
    EXPECT_EQ(net::token_amount_text(Json("18446744073709551616")), "18446744073709551616");  // text keeps any size
    EXPECT_EQ(net::token_amount_text(Json("000")), "0");
    EXPECT_EQ(net::token_amount_text(Json(0)), "0");
    EXPECT_FALSE(net::token_amount_text(Json::parse("18446744073709551616")));  // became a float
    EXPECT_FALSE(net::token_amount_text(Json(1.5)));
    EXPECT_FALSE(net::token_amount_text(Json(-1)));
    EXPECT_FALSE(net::token_amount_text(Json("1e5")));
    EXPECT_FALSE(net::token_amount_text(Json(" 5")));
    EXPECT_FALSE(net::token_amount_text(Json("")));
    EXPECT_FALSE(net::token_amount_text(Json()));
}

TEST(OutpointTextTest, Forms)
{
    EXPECT_TRUE(net::is_outpoint_text(MNEE));
    EXPECT_TRUE(net::is_outpoint_text(std::string(64, 'A') + "_4294967295"));
    EXPECT_FALSE(net::is_outpoint_text(std::string(64, 'a') + "_"));
    EXPECT_FALSE(net::is_outpoint_text(std::string(64, 'a') + ":0"));
    EXPECT_FALSE(net::is_outpoint_text(std::string(63, 'a') + "_0"));
    EXPECT_FALSE(net::is_outpoint_text(std::string(64, 'a') + "_-1"));
    EXPECT_FALSE(net::is_outpoint_text(std::string(64, 'a') + "_0/../x"));
}

} // namespace ordinals_client_test
