#include "book/post.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "tx/script.h"
#include "tests/book/post_factory.h"

namespace {

using book::Json;
using book::read_post_from_tx;

std::string hex_of(std::string_view text)
{
    return core::hex_encode(core::as_bytes(text));
}

Json tx_with_scripts(const std::vector<Json>& hexes)
{
    Json vout = Json::array();
    for (const Json& hex : hexes) vout.push_back(Json{{"value", 0}, {"scriptPubKey", {{"hex", hex}}}});
    return Json{{"vout", vout}};
}

const std::string POST_A = R"({"protocol":"TV-Agoran","type":"ag_cancel","n":1})";
const std::string POST_B = R"({"protocol":"TV-Agoran","type":"ag_cancel","n":2})";

// text behind a push opcode ("" for a direct push) and its little-endian length of width bytes.
std::string pushed(const std::string& opcode, size_t width, const std::string& text)
{
    std::string length;
    for (size_t i = 0; i < width; ++i) length += hex_of(std::string(1, static_cast<char>((text.size() >> (8 * i)) & 0xff)));
    return opcode + length + hex_of(text);
}

std::string direct_push(const std::string& text)
{
    return pushed("", 1, text);
}

// The shortest push of any length.
std::string push(const std::string& text)
{
    return core::hex_encode(tx::data_carrier_script(core::as_bytes(text))).substr(4);
}

// A post of exactly size bytes.
std::string post_of_size(size_t size)
{
    std::string head = R"({"protocol":"TV-Agoran","n":2,"pad":")";
    return head + std::string(size - head.size() - 2, 'x') + "\"}";
}

// Every push width and spelling of a post; the first output that carries one wins, and only the
// first push of an output is read.
TEST(ReadPostFromTx, ReadsThePostOfTheFirstOutputThatCarriesOne)
{
    const std::string big = R"({"protocol":"TV-Agoran","n":3,"pad":")" + std::string(300, 'x') + "\"}";
    std::string upper = "006A" + direct_push(POST_A);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Case {
        const char* name;
        std::vector<Json> scripts;
        int n;  // the post's "n"; 0: no post
    };
    const Case cases[] = {
        {"after OP_FALSE", {"006a" + direct_push(POST_A)}, 1},
        {"without OP_FALSE", {"6a" + direct_push(POST_A)}, 1},
        {"OP_PUSHDATA1", {"006a" + pushed("4c", 1, POST_A)}, 1},
        {"OP_PUSHDATA2", {"006a" + pushed("4d", 2, big)}, 3},
        {"OP_PUSHDATA4", {"006a" + pushed("4e", 4, big)}, 3},
        {"upper-case hex", {upper}, 1},
        {"the first of two posts", {"006a" + direct_push(POST_A), "006a" + direct_push(POST_B)}, 1},
        {"16 KiB exactly", {"006a" + push(post_of_size(book::MAX_POST_BYTES))}, 2},
        {"brackets inside a string", {"006a" + direct_push(R"({"protocol":"TV-Agoran","n":4,"note":"[{\"}]"})")}, 4},
        {"data after the post's push", {"006a" + direct_push(POST_A) + "51"}, 1},
        {"a post behind another push", {"006a" + direct_push("hello") + direct_push(POST_A)}, 0},
    };
    for (const Case& c : cases) {
        auto post = read_post_from_tx(tx_with_scripts(c.scripts));
        ASSERT_EQ(post.has_value(), c.n != 0) << c.name;
        if (post) { EXPECT_EQ(post->at("n"), c.n) << c.name; }
    }
    EXPECT_EQ(read_post_from_tx(tx_with_scripts({"006a" + pushed("4d", 2, big)}))->at("pad"), std::string(300, 'x'));
}

TEST(ReadPostFromTx, SkipsTransactionsAndOutputsThatAreNotPostsAndMovesOn)
{
    const std::string good = "006a" + direct_push(POST_B);
    const std::vector<Json> bad = {
        "006a" + direct_push(R"({"protocol":"TV-Art","type":"ag_cancel"})"),  // another protocol
        "006a" + direct_push(R"([{"protocol":"TV-Agoran"}])"),                // an array
        "006a" + direct_push("not json at all"),                              // not JSON
        "006a" + direct_push(R"({"protocol":"TV-Agoran")"),                   // truncated JSON
        "006a" + push(R"({"protocol":"TV-Agoran","zz":)" + std::string(5000, '[') + std::string(5000, ']') + "}"),
        "006a" + direct_push(R"({"protocol":"TV-Agoran","o":{"a":1}})"),     // an object member
        "006a" + direct_push(R"({"protocol":"TV-Agoran","a":[]})"),          // an array member
        "006a" + direct_push(R"({"protocol":"TV-Agoran"}{"n":1})"),          // two objects
        "006a" + push(post_of_size(book::MAX_POST_BYTES + 1)),                // over 16 KiB
        "006a00",                                                             // empty push
        "006a",                                                               // nothing after OP_RETURN
        "0000",                                                               // no OP_RETURN
        "76a914" + std::string(40, '0') + "88ac",                             // P2PKH
        "006a4f" + hex_of(POST_A),                                            // not a push opcode
        "006a40" + hex_of("{}"),                                              // length past the end
        "006a4d01",                                                           // width past the end
        "006a4c",                                                             // no length byte
        "006" ,                                                               // odd hex
        "6a",                                                                 // under 4 characters
        "006a" + direct_push(POST_A).substr(0, 2) + "zz" + hex_of(POST_A).substr(2),  // not hex
        Json(42),                                                             // hex not a string
    };
    for (const Json& tx : {Json::object(), Json{{"vout", Json::object()}}, Json::array(),
                           Json{{"vout", Json::array({1, "x", nullptr, Json{{"scriptPubKey", "006a"}}})}}}) {
        EXPECT_FALSE(read_post_from_tx(tx)) << tx.dump();
    }
    for (const Json& hex : bad) {
        EXPECT_FALSE(read_post_from_tx(tx_with_scripts({hex}))) << hex.dump();
        auto after = read_post_from_tx(tx_with_scripts({hex, good}));
        ASSERT_TRUE(after) << hex.dump();
        EXPECT_EQ(after->at("n"), 2) << hex.dump();
    }
}

// How each member of a post is read: strings only as strings, integers truncated, numeric text
// whole and in range, amounts never negative, keys lower case, handles bare.
TEST(PostFields, EachMemberReadsOnlyWhatItsTypeAllows)
{
    const Json post = {{"s", "x"}, {"i", 1700000000}, {"f", 12.9}, {"neg", -3.7}, {"t", "12"}, {"big", 1e30},
                       {"nf", "17.9"}, {"nn", "-5"}, {"junk", "12abc"}, {"blank", " 12"}, {"b", true},
                       {"huge", "99999999999999999999"}, {"max", 18446744073709551615ULL}, {"pubkey", ""}, {"signature", "s"}};
    EXPECT_EQ(book::post_string(post, "s") + book::post_string(post, "i") + book::post_string(post, "b"), "x");
    // The fallback is read only when the first member is missing, not when it is empty.
    EXPECT_EQ(book::post_string_or(post, "pubkey", "publicKey") + book::post_string_or(post, "sig", "signature"), "s");
    const std::tuple<std::string, int64_t, int64_t> integers[] = {  // member, post_int, post_number
        {"i", 1700000000, 1700000000}, {"f", 12, 12}, {"neg", -3, -3}, {"t", 0, 12}, {"big", 0, 0}, {"missing", 0, 0},
        {"nf", 0, 17}, {"nn", 0, -5}, {"junk", 0, 0}, {"blank", 0, 0}, {"b", 0, 0}, {"huge", 0, 0}};
    for (const auto& [member, as_int, as_number] : integers) {
        EXPECT_EQ(book::post_int(post, member), as_int) << member;
        EXPECT_EQ(book::post_number(post, member), as_number) << member;
    }
    EXPECT_EQ(book::post_u64(post, "max"), 18446744073709551615ULL);
    EXPECT_EQ(book::post_u64(post, "neg"), 0u);
    EXPECT_FALSE(book::post_u64_opt(post, "t"));

    const std::string key = booktest::trader(7, "seven").pub;
    std::string upper = key;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(book::post_pubkey(Json{{"pubkey", upper}}), key);
    EXPECT_EQ(book::post_pubkey(Json{{"publicKey", key}}), key);
    const std::pair<std::string, std::string> handles[] = {{"  @Alice ", "Alice"}, {"$bob", "bob"}, {"@@bob", "@bob"}, {"@ bob\t", "bob"}};
    for (const auto& [written, bare] : handles) EXPECT_EQ(book::normalize_handle(written), bare) << written;
    const std::pair<std::string, std::optional<uint64_t>> decimals[] = {
        {"18446744073709551615", 18446744073709551615ULL}, {"18446744073709551616", std::nullopt}, {"+1", std::nullopt},
        {" 1", std::nullopt}, {"", std::nullopt}, {"007", 7}};
    for (const auto& [text, value] : decimals) EXPECT_EQ(book::parse_decimal_u64(text), value) << text;
}

} // namespace
