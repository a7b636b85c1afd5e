#include "net/arc_client.h"

#include <gtest/gtest.h>

#include "tests/support/fake_http.h"
#include "tests/support/test_data.h"

namespace {

using testsupport::read_data_file;

const std::string ARC = "https://arc.test";
const std::string DASH = "\xE2\x80\x93";

class ArcClientTest : public ::testing::Test {
protected:
    testsupport::FakeHttp m_http;
    net::ArcClient m_arc{ARC, m_http};

    bool broadcast(long status, const std::string& body, const std::string& expected, std::string& error)
    {
        m_http.answer(ARC + "/v1/tx", status, body);
        return m_arc.broadcast("0100", expected, error);
    }
};

TEST_F(ArcClientTest, AcceptedAndMined)
{
    std::string error;
    EXPECT_TRUE(broadcast(200, read_data_file("fixtures/arc-tx-ok.json"),
                          "c0d6fce714e4225614f000c6a5addaaa1341acbb9c87115114dcf84f37b945a6", error))
        << error;
    auto asked = m_http.requests();
    EXPECT_EQ(asked.at(0).body, R"({"rawTx":"0100"})");
    EXPECT_EQ(m_http.last_post_options.attempts, 2);
    EXPECT_EQ(m_http.last_post_options.timeout_seconds, 60);

    auto mined = core::parse_json(read_data_file("fixtures/arc-tx-mined.json"));
    auto answer = net::parse_arc_answer(*mined);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->tx_status, "MINED");
    EXPECT_EQ(answer->block_height, 736228);
    EXPECT_TRUE(answer->competing_txs.empty());  // null, not []
}

TEST_F(ArcClientTest, RejectionsInsideHttp200)
{
    std::string error;
    auto double_spend = read_data_file("fixtures/arc-tx-double-spend.derived.json");
    EXPECT_FALSE(broadcast(200, double_spend, "3d7770a2c3bbf890fe69ad33faadd3efb470b60d05b071eaa86e6597d480e111", error));
    EXPECT_EQ(error, "DOUBLE_SPEND_ATTEMPTED");
    auto parsed = net::parse_arc_answer(*core::parse_json(double_spend));
    EXPECT_EQ(parsed->competing_txs.size(), 1u);

    const std::string orphan =
        R"({"txStatus":"SEEN_IN_ORPHAN_MEMPOOL","extraInfo":"missing parents","txid":")" + std::string(64, 'a') + "\"}";
    EXPECT_FALSE(broadcast(200, orphan, std::string(64, 'a'), error));
    EXPECT_EQ(error, "SEEN_IN_ORPHAN_MEMPOOL: missing parents");

    const std::string rejected = R"({"txStatus":"REJECTED","extraInfo":"REJECTED","txid":")" + std::string(64, 'a') + "\"}";
    EXPECT_FALSE(broadcast(200, rejected, std::string(64, 'a'), error));
    EXPECT_EQ(error, "REJECTED");

    const std::string missing =
        R"({"txStatus":"STORED","extraInfo":"arc error: Missing inputs","txid":")" + std::string(64, 'a') + "\"}";
    EXPECT_FALSE(broadcast(200, missing, std::string(64, 'a'), error));
    EXPECT_EQ(error, "arc error: Missing inputs");
}

TEST_F(ArcClientTest, OtherAnswers)
{
    std::string error;
    const std::string txid(64, 'b');
    EXPECT_FALSE(broadcast(200, "not json", txid, error));
    EXPECT_EQ(error, "bad arc response");
    EXPECT_FALSE(broadcast(200, R"({"txid":"x"})", txid, error));
    EXPECT_EQ(error, "bad arc response");
    EXPECT_FALSE(broadcast(200, R"({"txStatus":"QUEUED","txid":")" + txid + "\"}", txid, error));
    EXPECT_EQ(error, "broadcast did not confirm");
    EXPECT_FALSE(broadcast(200, R"({"txStatus":"SEEN_ON_NETWORK","txid":"abc"})", txid, error));
    EXPECT_EQ(error, "arc did not return a txid");
    EXPECT_FALSE(broadcast(200, R"({"txStatus":"SEEN_ON_NETWORK","txid":")" + std::string(64, 'c') + "\"}", txid, error));
    EXPECT_EQ(error, "arc did not return a txid");
    // No txid in the answer: the expected one stands in.
    EXPECT_TRUE(broadcast(200, R"({"txStatus":"ACCEPTED_BY_NETWORK"})", txid, error)) << error;
}

TEST_F(ArcClientTest, ErrorAnswersBecomeSentences)
{
    std::string error;
    EXPECT_FALSE(broadcast(465, read_data_file("fixtures/arc-tx-fee-too-low-465.derived.json"), std::string(64, 'a'), error));
    EXPECT_EQ(error, "HTTP 465 " + DASH +
                         " Fees are insufficient: arc error 465: transaction fee is too low; minimum expected fee: 38, actual fee: 20");
    EXPECT_FALSE(broadcast(400, read_data_file("fixtures/arc-tx-bad-request-400.derived.json"), std::string(64, 'a'), error));
    EXPECT_EQ(error.rfind("HTTP 400 " + DASH + " The request seems to be malformed", 0), 0u) << error;
    EXPECT_FALSE(broadcast(502, "<html>bad gateway</html>", std::string(64, 'a'), error));
    EXPECT_EQ(error, "HTTP 502");
    EXPECT_EQ(net::arc_error_text(463, read_data_file("fixtures/arc-tx-rejected-463.json")),
              "HTTP 463 " + DASH +
                  " Transaction is invalid because the outputs are non-existent or invalid: arc error 463: arc error "
                  "463: transaction output 0 satoshis is invalid");
}

TEST_F(ArcClientTest, StatusOfATransaction)
{
    const std::string txid = "48ccf56b16ec11ddd9cfafc4f28492fb7e989d58594a0acd150a1592570ccd13";
    m_http.answer(ARC + "/v1/tx/" + txid, 200, read_data_file("fixtures/arc-tx-status-get.derived.json"));
    auto status = m_arc.status(txid);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->tx_status, "MINED");
    EXPECT_EQ(status->block_height, 837394);
    EXPECT_EQ(m_arc.status("nope").failure, net::Failure::Input);
}

TEST(ArcStatusClassTest, Classes)
{
    for (const char* s : {"RECEIVED", "STORED", "ANNOUNCED_TO_NETWORK", "REQUESTED_BY_NETWORK", "SENT_TO_NETWORK",
                          "ACCEPTED_BY_NETWORK", "SEEN_ON_NETWORK", "MINED", "CONFIRMED"}) {
        EXPECT_EQ(net::arc_status_class(s), net::ArcStatusClass::Accepted) << s;
    }
    for (const char* s : {"REJECTED", "DOUBLE_SPEND_ATTEMPTED", "SEEN_IN_ORPHAN_MEMPOOL"}) {
        EXPECT_EQ(net::arc_status_class(s), net::ArcStatusClass::Rejected) << s;
    }
    for (const char* s : {"", "UNKNOWN", "QUEUED", "MINED_IN_STALE_BLOCK", "mined"}) {
        EXPECT_EQ(net::arc_status_class(s), net::ArcStatusClass::Other) << s;
    }
}

} // namespace
