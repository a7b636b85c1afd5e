// The secret-holding JSON reader and writer give exactly what the plain ones give; only the way
// their buffers are released differs (checked by the hardening suite's freed-memory scan).
#include <vector>

#include <gtest/gtest.h>

#include "core/json_get.h"
#include "core/secret_json.h"

namespace {

void expect_same_parse(const std::string& text)
{
    const auto plain = core::parse_json(text);
    const auto secret = core::parse_secret_json(text);
    ASSERT_EQ(plain.has_value(), secret.has_value()) << text;
    if (plain) {
        EXPECT_EQ(*plain, *secret) << text;
    }
}

// Every text, well formed or broken, gives what the library gives.
TEST(SecretJson, ParsesAndRefusesWhatTheLibraryDoes)
{
    for (const std::string& text : std::vector<std::string>{
             R"({"mnemonic": "legal winner thank year wave sausage worth useful legal winner thank yellow", "recv": [0, 2], "show": 0})",
             R"({"a": {"b": ["x", "y", {"c": "z"}]}, "d": null, "e": true, "f": 1.5, "g": ""})",
             R"("just a string")",
             R"(["\u0000", "\u00005", "\"quoted\"", "back\\slash", "\/\b\f\n\r\t"])",
             "{\"k\" \t\n:\r\"v\"}",
             R"({"snow": "\u2603", "pair": "\ud83d\ude00", "raw": "☃ 😀"})",
             R"({"dup": "first", "dup": "second"})",
             R"([1, 2, 3])",
             "  {}  ",
             std::string(R"({"mnemonic": "legal winner thank year)"),  // torn inside a value
             std::string(R"({"mnemonic": "legal" "winner"})"),
             std::string(R"({"bad escape": "\q"})"),
             std::string(R"({"lone high": "\ud83d"})"),
             std::string(R"({"lone low": "\ude00"})"),
             std::string(R"({"short hex": "\u12"})"),
             std::string("{\"control\": \"a\tb\"}"),
             std::string("{\"latin1\": \"caf\xE9\"}"),
             std::string("{\"overlong\": \"\xC0\xAF\"}"),
             std::string("{\"surrogate in utf8\": \"\xED\xA0\x80\"}"),
             std::string(R"({"a": 1,})"),
             std::string(R"({"a": "x")"),
             std::string("\"unterminated\\\""),
             std::string(""),
         }) {
        expect_same_parse(text);
    }
    // The library stops at a NUL byte outside a literal; text after it is never read.
    expect_same_parse(std::string("\"a&&{\"\0\0{\"mnic\": \"woseful le, \"recv\": \"x\"}", 31));
    expect_same_parse(std::string("{\"k\": \"v\"}\0{\"broken", 19));
    expect_same_parse(std::string("{\"k\": \"v\0\"}", 11));
}

TEST(SecretJson, DumpsWhatTheFileWriterDumps)
{
    const auto doc = core::parse_json(
        R"({"mnemonic": "legal winner thank year wave sausage worth useful legal winner thank yellow", "z": [1, {"y": "\u2603"}], "a": ""})");
    ASSERT_TRUE(doc);
    EXPECT_EQ(core::dump_secret_json_file(*doc).str(), core::json_dump_file(*doc));
    // Long enough to outgrow the first buffer several times.
    core::Json big = core::Json::object();
    for (int i = 0; i < 300; ++i) big["key" + std::to_string(i)] = std::string(static_cast<size_t>(i), 'x');
    EXPECT_EQ(core::dump_secret_json_file(big).str(), core::json_dump_file(big));
    // Text that is not UTF-8 is replaced, as the file writer does.
    const core::Json odd = {{"name", std::string("caf\xE9")}};
    EXPECT_EQ(core::dump_secret_json_file(odd).str(), core::json_dump_file(odd));
}

} // namespace
