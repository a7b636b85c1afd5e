#include "net/arc_client.h"

#include <gtest/gtest.h>

#include "tests/support/fake_http.h"
#include "tests/support/test_data.h"

namespace arc_client_test {

using testsupport::read_data_file;

const std::string ARC = "https://arc.test";
const std::string DASH = "\xE2\x80\x93";

// What a broadcast makes of each answer: a rejection inside an HTTP 200 is a failure, and an
// answer about another transaction than the one sent is never taken as its acceptance.
TEST(ArcClientTest, BroadcastAnswers)
{
    const std::string a(64, 'a'), b(64, 'b');
    auto status = [](const std::string& tx_status, const std::string& txid, const std::string& extra = "") {
        return R"({"txStatus":")" + tx_status + "\"" + (extra.empty() ? "" : R"(,"extraInfo":")" + extra + "\"") +
               (txid.empty() ? "" : R"(,"txid":")" + txid + "\"") + "}";
    };
    struct Case {
        long status;
        std::string body;
        std::string txid;
        std::string error;  // empty: accepted
    };
    const Case cases[] = {
        {200, read_data_file("fixtures/arc-tx-ok.json"), "c0d6fce714e4225614f000c6a5addaaa1341acbb9c87115114dcf84f37b945a6", ""},
        {200, read_data_file("fixtures/arc-tx-double-spend.derived.json"),
         "3d7770a2c3bbf890fe69ad33faadd3efb470b60d05b071eaa86e6597d480e111", "DOUBLE_SPEND_ATTEMPTED"},
        {200, status("SEEN_IN_ORPHAN_MEMPOOL", a, "missing parents"), a, "SEEN_IN_ORPHAN_MEMPOOL: missing parents"},
        {200, status("REJECTED", a, "REJECTED"), a, "REJECTED"},
        {200, status("STORED", a, "arc error: Missing inputs"), a, "arc error: Missing inputs"},
        {200, "not json", b, "bad arc response"},
        {200, R"({"txid":"x"})", b, "bad arc response"},
        {200, status("QUEUED", b), b, "broadcast did not confirm"},
        {200, status("SEEN_ON_NETWORK", "abc"), b, "arc did not return a txid"},
        {200, status("SEEN_ON_NETWORK", std::string(64, 'c')), b, "arc did not return a txid"},
        {200, status("ACCEPTED_BY_NETWORK", ""), b, ""},  // no txid in the answer: the sent one stands
        {465, read_data_file("fixtures/arc-tx-fee-too-low-465.derived.json"), a,
         "HTTP 465 " + DASH +
             " Fees are insufficient: arc error 465: transaction fee is too low; minimum expected fee: 38, actual fee: 20"},
        {502, "<html>bad gateway</html>", a, "HTTP 502"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        testsupport::FakeHttp http;
        net::ArcClient arc(ARC, http);
        http.answer(ARC + "/v1/tx", c.status, c.body);
        std::string error;
        EXPECT_EQ(arc.broadcast("0100", c.txid, error), c.error.empty());
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(http.requests().at(0).body, R"({"rawTx":"0100"})");
        EXPECT_EQ(http.last_post_options.attempts, 2);
    }
    EXPECT_EQ(net::arc_error_text(400, read_data_file("fixtures/arc-tx-bad-request-400.derived.json"))
                  .rfind("HTTP 400 " + DASH + " The request seems to be malformed", 0),
              0u);
    EXPECT_EQ(net::arc_error_text(463, read_data_file("fixtures/arc-tx-rejected-463.json")),
              "HTTP 463 " + DASH +
                  " Transaction is invalid because the outputs are non-existent or invalid: arc error 463: arc error "
                  "463: transaction output 0 satoshis is invalid");
}

TEST(ArcClientTest, StatusOfATransaction)
{
    testsupport::FakeHttp http;
    net::ArcClient arc(ARC, http);
    const std::string txid = "48ccf56b16ec11ddd9cfafc4f28492fb7e989d58594a0acd150a1592570ccd13";
    http.answer(ARC + "/v1/tx/" + txid, 200, read_data_file("fixtures/arc-tx-status-get.derived.json"));
    auto status = arc.status(txid);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->tx_status, "MINED");
    EXPECT_EQ(status->block_height, 837394);
    EXPECT_EQ(arc.status("nope").failure, net::Failure::Input);

    auto mined = net::parse_arc_answer(*core::parse_json(read_data_file("fixtures/arc-tx-mined.json")));
    ASSERT_TRUE(mined);
    EXPECT_EQ(mined->block_height, 736228);
    EXPECT_TRUE(mined->competing_txs.empty());  // null, not []
    EXPECT_EQ(net::parse_arc_answer(*core::parse_json(read_data_file("fixtures/arc-tx-double-spend.derived.json")))
                  ->competing_txs.size(),
              1u);

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

} // namespace arc_client_test
