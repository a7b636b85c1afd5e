#include "net/ordinals_client.h"

#include <gtest/gtest.h>

#include "tests/support/fake_http.h"
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
    m_http.answer(unspent_url("true"), 200, read_data_file("fixtures/gp-txos-address-unspent-bsv20.derived.json"));
    auto tokens = m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens);
    ASSERT_TRUE(tokens) << tokens.error;
    ASSERT_EQ(tokens->size(), 1u);
    const net::Txo& t = tokens->at(0);
    EXPECT_EQ(t.outpoint, TRANSFER + "_1");
    EXPECT_TRUE(!t.spent() && t.has_bsv20 && !t.has_bsv21 && t.has_insc);
    ASSERT_TRUE(t.token && t.file);
    EXPECT_EQ(t.token->amt + " " + t.token->id, "18446744073699500000 " + MNEE);
    EXPECT_EQ(t.file->size, 133);
    EXPECT_EQ(t.height, 874010);

    m_http.answer(unspent_url("false"), 200, read_data_file("fixtures/gp-txos-history-payment-captured.json"));
    auto plain = m_gp.unspent_txos(OWNER, net::TxoSelection::NonToken);
    ASSERT_TRUE(plain && plain->size() == 1);
    EXPECT_EQ(plain->at(0).sats, 10000000);
    EXPECT_TRUE(plain->at(0).origin.empty());
    EXPECT_FALSE(plain->at(0).has_insc);
    EXPECT_EQ(plain->at(0).spend, tx::Txid::parse("77749e6e75c5d411f5005ebc7a53e427a4bd4c77e010b4090da6bcd7620f361e"));

    const std::string txid = MNEE.substr(0, 64);
    m_http.answer(API + "/txos/" + txid + "_0", 200, read_data_file("fixtures/gp-txos-outpoint-spent.derived.json"));
    auto spent = m_gp.txo(txid, 0);
    ASSERT_TRUE(spent);
    EXPECT_EQ(spent->spend, tx::Txid::parse(TRANSFER));
    EXPECT_EQ(spent->token->amt, "18446744073709500000");

    const std::string by_address = read_data_file("fixtures/gp-bsv20-address-unspent.derived.json");
    m_http.answer(API + "/bsv20/" + OWNER + "/unspent?limit=100&offset=0", 200, by_address);
    m_http.answer(API + "/bsv20/" + OWNER + "/id/" + MNEE, 200, by_address);
    auto list = m_gp.token_unspent(OWNER);
    ASSERT_TRUE(list && list->size() == 1) << list.error;
    EXPECT_EQ(list->at(0).id + " " + list->at(0).amt + " " + list->at(0).owner, MNEE + " 18446744073699500000 " + OWNER);
    EXPECT_EQ(list->at(0).status, 1);
    EXPECT_EQ(m_gp.token_outputs(OWNER, MNEE)->size(), 1u);

    m_http.answer(API + "/bsv20/id/" + MNEE, 200, read_data_file("fixtures/gp-bsv20-id.derived.json"));
    auto info = m_gp.token(MNEE);
    ASSERT_TRUE(info) << info.error;
    EXPECT_EQ(info->sym + " " + info->name + info->icon, "MNEE 9c7f7f1788c6382d5ac737a4052334cf150b52d1e46c484ecfb1d6e00184f263_0");
    EXPECT_EQ(info->dec, 5);
    EXPECT_EQ(info->deploy_json.value("op", ""), "deploy+mint");
    // Decimals only in the deploy inscription's text, and there out of range.
    auto doc = core::parse_json(read_data_file("fixtures/gp-bsv20-id.derived.json"));
    doc->erase("dec");
    EXPECT_EQ(net::parse_token_info(*doc)->dec, 5);
    (*doc)["data"]["insc"]["json"]["dec"] = "99";
    EXPECT_FALSE(net::parse_token_info(*doc)->dec);
}

TEST_F(OrdinalsClientTest, FailuresAndBadInput)
{
    const std::string txid = MNEE.substr(0, 64);
    m_http.answer(API + "/txos/" + txid + "_1", 404, read_data_file("fixtures/gp-error-404.json"));
    m_http.answer(API + "/txos/" + txid + "_2", 500, read_data_file("fixtures/gp-error-invalid-outpoint.json"));
    m_http.answer(API + "/bsv20/id/" + MNEE, 404, read_data_file("fixtures/gp-error-404.json"));
    m_http.answer(CONTENT + "/content/" + TRANSFER + "_1", 404, read_data_file("fixtures/gp-error-404.json"));
    m_http.answer(unspent_url("true"), 200, R"({"message":"oops"})");
    auto miss = m_gp.txo(txid, 1);
    EXPECT_EQ(miss.failure, net::Failure::Request);
    EXPECT_EQ(miss.status, 404);
    EXPECT_EQ(m_gp.txo(txid, 2).status, 500);
    EXPECT_EQ(m_gp.token(MNEE).status, 404);
    EXPECT_EQ(m_gp.content(TRANSFER + "_1").status, 404);
    EXPECT_EQ(m_gp.unspent_txos(OWNER, net::TxoSelection::Tokens).failure, net::Failure::Answer);

    m_http.clear();
    EXPECT_EQ(m_gp.txo("x", 0).failure, net::Failure::Input);
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

TEST_F(OrdinalsClientTest, ContentIsCappedAndKeepsItsType)
{
    const std::string origin = TRANSFER + "_0";
    const std::string png("\x89PNG\r\n\x1a\n\0\0", 10);
    m_http.answer(CONTENT + "/content/" + origin, 200, png, "image/png");
    auto content = m_gp.content(origin);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->bytes, png);
    EXPECT_EQ(content->content_type, "image/png");
    EXPECT_EQ(m_http.last_get_options.max_body, net::MAX_CONTENT_BODY);
    m_http.answer(API + "/files/inscriptions/" + origin, 200, png);
    EXPECT_TRUE(m_gp.files_inscription(origin));
}

} // namespace ordinals_client_test
