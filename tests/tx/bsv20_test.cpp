#include "tx/bsv20.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"

namespace {

const std::string TOKEN_ID = "ae59f3b898ec61acbdb6cc7a245fabeded0c094bf046f35206a3aec60ef88127_0";

// Only the four required members when nothing else is known (as the vector's body); optional
// members sorted and as strings; text that is not UTF-8 replaced, not thrown on.
TEST(Bsv20TransferJson, WritesTheVectorsBodyAndOptionalMembers)
{
    const auto vectors = testsupport::read_json_vector("inscriptions.json")["scripts"];
    EXPECT_EQ(tx::bsv20_transfer_json(TOKEN_ID, "5"), vectors[1]["body_text"].get<std::string>());
    EXPECT_EQ(tx::bsv20_transfer_json(TOKEN_ID, "12", "Gold \"Bar\"", "icon_0", "GLD", "8"),
              R"({"amt":"12","dec":"8","icon":"icon_0","id":")" + TOKEN_ID +
                  R"(","name":"Gold \"Bar\"","op":"transfer","p":"bsv-20","sym":"GLD"})");
    EXPECT_NE(tx::bsv20_transfer_json(TOKEN_ID, "1", std::string("\xff\xfe")).find("\"name\""), std::string::npos);

    auto real = tx::parse_bsv20(vectors[4]["body_text"].get<std::string>());
    ASSERT_TRUE(real.has_value());
    EXPECT_TRUE(real->is_token());
    EXPECT_EQ(real->id + " " + real->op + " " + real->amt, TOKEN_ID + " transfer 2870813");
}

// Amounts as text or exact integers (a double would round 2^53 + 1); anything else is no amount.
// A token needs an id of text.
TEST(ParseBsv20, AmountsIdsAndRefusedBodies)
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
    auto deploy = tx::parse_bsv20(R"({"p":"bsv-20","op":"deploy+mint","sym":"GLD","amt":"1000","dec":"2"})");
    ASSERT_TRUE(deploy.has_value());
    EXPECT_FALSE(deploy->is_token());
    EXPECT_EQ(deploy->sym + deploy->dec, "GLD2");
    EXPECT_FALSE(tx::parse_bsv20(R"({"p":"bsv-20","id":5,"amt":"1"})")->is_token());
    for (const std::string& text : {std::string(R"({"p":"bsv-21","id":"x_0","amt":"1"})"), std::string(R"({"p":"bsv-20 ","id":"x_0"})"),
                                    std::string(R"({"p":"BSV-20","id":"x_0"})"), std::string(R"({"id":"x_0"})"),
                                    std::string(R"({"p":20})"), std::string(R"(["p","bsv-20"])"), std::string(R"({"p":"bsv-20")"),
                                    std::string(), std::string("\x89PNG\r\n", 6)}) {
        EXPECT_FALSE(tx::parse_bsv20(text).has_value()) << text;
    }
}

} // namespace
