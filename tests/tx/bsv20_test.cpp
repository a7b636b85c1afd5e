#include "tx/bsv20.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"

namespace {

const std::string TOKEN_ID = "ae59f3b898ec61acbdb6cc7a245fabeded0c094bf046f35206a3aec60ef88127_0";

TEST(Bsv20TransferJson, OnlyTheFourRequiredMembersWhenNothingElseIsKnown)
{
    EXPECT_EQ(tx::bsv20_transfer_json(TOKEN_ID, "5"),
              R"({"amt":"5","id":")" + TOKEN_ID + R"(","op":"transfer","p":"bsv-20"})");
    auto vector = testsupport::read_json_vector("inscriptions.json")["scripts"][1];
    EXPECT_EQ(tx::bsv20_transfer_json(TOKEN_ID, "5"), vector["body_text"].get<std::string>());
}

TEST(Bsv20TransferJson, OptionalMembersSortedAndAsStrings)
{
    EXPECT_EQ(tx::bsv20_transfer_json(TOKEN_ID, "12", "Gold \"Bar\"", "icon_0", "GLD", "8"),
              R"({"amt":"12","dec":"8","icon":"icon_0","id":")" + TOKEN_ID +
                  R"(","name":"Gold \"Bar\"","op":"transfer","p":"bsv-20","sym":"GLD"})");
    // Text that is not UTF-8 is replaced, not thrown on.
    EXPECT_NE(tx::bsv20_transfer_json(TOKEN_ID, "1", std::string("\xff\xfe")).find("\"name\""), std::string::npos);
}

TEST(ParseBsv20, ReadsTheRealTransferBody)
{
    auto real = testsupport::read_json_vector("inscriptions.json")["scripts"][4];
    auto body = tx::parse_bsv20(real["body_text"].get<std::string>());
    ASSERT_TRUE(body.has_value());
    EXPECT_TRUE(body->is_token());
    EXPECT_EQ(body->op, "transfer");
    EXPECT_EQ(body->id, TOKEN_ID);
    EXPECT_EQ(body->amt, "2870813");
}

// Amounts as text or exact integers (a double would round 2^53 + 1); anything else is no amount.
TEST(ParseBsv20, AmountsAndRefusedBodies)
{
    const std::pair<const char*, const char*> amounts[] = {
        {R"("42")", "42"}, {"42", "42"}, {"0", "0"}, {"9007199254740993", "9007199254740993"},
        {"18446744073709551615", "18446744073709551615"}, {"18446744073709551616", ""}, {"-1", ""}, {"1.5", ""},
        {"1e3", ""}, {"true", ""}, {"null", ""}, {R"(["1"])", ""},
    };
    for (const auto& [json, amt] : amounts) {
        auto body = tx::parse_bsv20(R"({"p":"bsv-20","id":"x_0","amt":)" + std::string(json) + "}");
        ASSERT_TRUE(body.has_value()) << json;
        EXPECT_EQ(body->amt, amt) << json;
    }
    for (const std::string& text : {std::string(R"({"p":"bsv-21","id":"x_0","amt":"1"})"), std::string(R"({"p":"bsv-20 ","id":"x_0"})"),
                                    std::string(R"({"p":"BSV-20","id":"x_0"})"), std::string(R"({"id":"x_0"})"),
                                    std::string(R"({"p":20})"), std::string(R"(["p","bsv-20"])"), std::string(R"({"p":"bsv-20")"),
                                    std::string(), std::string("\x89PNG\r\n", 6)}) {
        EXPECT_FALSE(tx::parse_bsv20(text).has_value()) << text;
    }
}

TEST(ParseBsv20, ATokenNeedsAnId)
{
    auto deploy = tx::parse_bsv20(R"({"p":"bsv-20","op":"deploy+mint","sym":"GLD","amt":"1000","dec":"2"})");
    ASSERT_TRUE(deploy.has_value());
    EXPECT_FALSE(deploy->is_token());
    EXPECT_EQ(deploy->sym, "GLD");
    EXPECT_EQ(deploy->dec, "2");
    auto wrong_type = tx::parse_bsv20(R"({"p":"bsv-20","id":5,"amt":"1"})");
    ASSERT_TRUE(wrong_type.has_value());
    EXPECT_FALSE(wrong_type->is_token());
}

} // namespace
