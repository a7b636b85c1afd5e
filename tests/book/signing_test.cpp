#include "book/signing.h"

#include <map>

#include <gtest/gtest.h>

#include "book/post.h"
#include "book/post_blob.h"
#include "core/hex.h"
#include "core/text.h"
#include "tx/script.h"
#include "tests/book/post_factory.h"

namespace {

using book::Json;
using booktest::Trader;

const std::string EMPTY_SHA256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const Trader ALICE = booktest::trader(11, "alice");

// A registry in memory: bare lower-case handle -> key.
struct Registry {
    std::map<std::string, std::string> keys;
    int lookups = 0;
    book::IdentityKeyLookup lookup()
    {
        return [this](std::string_view handle) {
            ++lookups;
            auto it = keys.find(core::ascii_lower(book::normalize_handle(handle)));
            return it == keys.end() ? std::string() : it->second;
        };
    }
};

Json signed_listing(const Trader& who, bool with_terms = false)
{
    return booktest::sign(booktest::listing_post("10", 1000, booktest::txid_of(0x11) + "_1"), who, 1700000000, with_terms);
}

Json with(Json post, const std::string& member, Json value)
{
    post[member] = std::move(value);
    return post;
}

TEST(SigningString, BindsTheEnvelopeAndFillsTheGenericBody)
{
    Json post = {{"type", " ag_list\t"}, {"location", " AgOran "}, {"handle", " @Alice"}, {"actor", "$ALICE "},
                 {"ts", 1700000000.7}, {"pay_addr", "1PayAddr"}, {"qty", "10"}, {"price_sats", 5}};
    EXPECT_EQ(book::signing_string(post),
              "TV1|ag_list|agoran|alice|alice|1700000000|||0|0|||1PayAddr||0|||0|" + EMPTY_SHA256);
    // "channel" takes the place of "location" when present; "ts" may be numeric text.
    post["channel"] = "Main";
    post["ts"] = "1700000001";
    EXPECT_EQ(book::signing_string(post),
              "TV1|ag_list|main|alice|alice|1700000001|||0|0|||1PayAddr||0|||0|" + EMPTY_SHA256);
    post = {{"type", "x"}, {"id", "I"}, {"trade", "T"}, {"sats", 5}, {"fiat", 2.5}, {"ccy", "usd"},
                 {"rail", "R"}, {"to_addr", "TO"}, {"score", "7"}, {"side", "S"}, {"role", "O"},
                 {"expires", 9}, {"blob", "abc"}};
    EXPECT_EQ(book::signing_string(post),
              "TV1|x||||0|I|T|5|2|usd|R||TO|7|S|O|9|"
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// Whose key a post must carry: the one the registry publishes for its bare handle, in any
// written form, and for a message the actor must be the handle.
TEST(VerifyPost, OnlyThePublishedKeyOfTheHandleVerifies)
{
    const Trader shouting = booktest::trader(11, "@ALICE");
    const Trader mallory = booktest::trader(12, "alice");  // signs in alice's name with his own key
    Json upper = signed_listing(ALICE);
    std::string key = ALICE.pub;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    upper["pubkey"] = key;
    // "publicKey" and "signature" stand in for missing "pubkey" and "sig".
    Json renamed = signed_listing(ALICE);
    renamed["publicKey"] = renamed["pubkey"];
    renamed["signature"] = renamed["sig"];
    renamed.erase("pubkey");
    renamed.erase("sig");
    const Json to_bob = booktest::sign(Json{{"type", "message"}, {"handle", "bob"}}, ALICE, 1700000000);
    struct Case {
        const char* name;
        Json post;
        bool published;
        bool valid;
    };
    const Case cases[] = {
        {"signed by the registered key", signed_listing(ALICE), true, true},
        {"at sign and capitals in the actor", signed_listing(shouting), true, true},
        {"the key in capitals", upper, true, true},
        {"the key and signature under their other names", renamed, true, true},
        {"no published key", signed_listing(ALICE), false, false},
        {"a valid signature by another key", signed_listing(mallory), true, false},
        {"a message whose actor is not its handle", to_bob, true, false},
    };
    for (const Case& c : cases) {
        Registry registry;
        if (c.published) registry.keys["alice"] = ALICE.pub;
        EXPECT_EQ(book::verify_post(c.post, registry.lookup()), c.valid) << c.name;
        if (&c == cases) { EXPECT_EQ(registry.lookups, 1); }
    }
    EXPECT_TRUE(book::verify_post_signature(signed_listing(mallory)));
    EXPECT_TRUE(book::verify_post_signature(booktest::sign(Json{{"type", "message"}}, ALICE, 1700000000)));
}

TEST(VerifyPost, UnsignedMembersMayChangeSignedOnesMayNot)
{
    Registry registry{{{"alice", ALICE.pub}}};
    Json post = signed_listing(ALICE);
    ASSERT_TRUE(book::verify_post(post, registry.lookup()));

    const std::map<std::string, Json> unsigned_changes = {
        {"price_sats", 1}, {"qty", "999"}, {"utxo", booktest::txid_of(0x22) + "_0"}, {"note", "other"},
        {"listing", booktest::txid_of(0x33)}, {"origin", "x"}, {"paymail", "mallory@x"}};
    for (const auto& [member, value] : unsigned_changes)
        EXPECT_TRUE(book::verify_post(with(post, member, value), registry.lookup())) << member;
    const std::map<std::string, Json> signed_changes = {
        {"pay_addr", "1Other"}, {"ts", 1700000001}, {"type", "ag_cancel"}, {"handle", "bob"},
        {"actor", "bob"}, {"location", "elsewhere"}, {"id", "00"}, {"blob", "{}"}};
    Registry both{{{"alice", ALICE.pub}, {"bob", ALICE.pub}}};
    for (const auto& [member, value] : signed_changes) EXPECT_FALSE(book::verify_post(with(post, member, value), both.lookup())) << member;

    // A post that signs its terms: none of them may change, nor a member be added that readers
    // take, nor the blob go; members no reader takes may.
    Json termed = signed_listing(ALICE, /*with_terms=*/true);
    ASSERT_TRUE(book::verify_post(termed, registry.lookup()));
    EXPECT_EQ(termed["id"].get<std::string>().size(), 32u);
    for (const auto& [member, value] : unsigned_changes) {
        EXPECT_FALSE(book::post_blob_matches(with(termed, member, value))) << member;
        EXPECT_FALSE(book::verify_post(with(termed, member, value), registry.lookup())) << member;
    }
    const std::vector<std::pair<std::string, Json>> other_terms = {
        {"price_sats", 1000.5}, {"qty", 10}, {"offer", "00"}, {"exp", 1}, {"kind", "picture"}};
    for (const auto& [member, value] : other_terms) EXPECT_FALSE(book::post_blob_matches(with(termed, member, value))) << member;
    EXPECT_TRUE(book::verify_post(with(termed, "zz", "not read by anyone"), registry.lookup()));
    Json bare = termed;
    bare.erase("blob");
    EXPECT_FALSE(book::verify_post(bare, registry.lookup()));
    for (const Json& blob : {Json(5), Json("not json"), Json("[]")})
        EXPECT_FALSE(book::post_blob_matches(with(termed, "blob", blob))) << blob.dump();
}

TEST(PostBlob, IsTheCanonicalTextOfTheTermsWithLongTextsHashed)
{
    Json post = {{"type", "ag_buy"}, {"listing", "L"}, {"qty", "3"}, {"pay_sats", 300}, {"offer", "abc"},
                 {"note", "caf\xc3\xa9"}, {"zz", 1}, {"ts", 5}};
    EXPECT_EQ(book::post_blob(post),
              "{\"listing\":\"L\",\"note\":\"caf\xc3\xa9\",\"offer_sha256\":"
              "\"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\",\"pay_sats\":300,\"qty\":\"3\"}");
    EXPECT_EQ(book::post_blob(Json{{"type", "ag_cancel"}}), "{}");
    // Any spelling of the same terms matches; a post without a blob keeps the older rules.
    post["blob"] = "{ \"qty\": \"3\", \"pay_sats\": 300, \"listing\": \"L\", \"note\": \"caf\xc3\xa9\","
                   " \"offer_sha256\": \"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\" }";
    EXPECT_TRUE(book::post_blob_matches(post));
    EXPECT_TRUE(book::post_blob_matches(Json{{"type", "ag_list"}, {"price_sats", 1}}));
}

TEST(VerifyPost, RefusesMalformedEnvelopes)
{
    Registry registry{{{"alice", ALICE.pub}}};
    Json good = signed_listing(ALICE);

    auto without = [&](const char* member) {
        Json p = good;
        p.erase(member);
        return p;
    };
    const std::vector<std::pair<std::string, Json>> cases = {
        {"not an object", Json::array({good})},
        {"no sig", without("sig")},
        {"no pubkey", without("pubkey")},
        {"no type", without("type")},
        {"no handle", without("handle")},
        {"no actor", without("actor")},
        {"no location", without("location")},
        {"protocol outside the four", with(good, "protocol", "TV-Other")},
        {"ts zero", booktest::sign(booktest::listing_post("1", 1, "u_1"), ALICE, 0)},
        {"ts negative", booktest::sign(booktest::listing_post("1", 1, "u_1"), ALICE, -5)},
        {"sig not base64", with(good, "sig", "-_-_")},
        {"sig of 63 bytes", with(good, "sig", std::string(84, 'A'))},
        {"pubkey not hex", with(good, "pubkey", "zz")},
        {"gate posts are not verified here", booktest::sign(Json{{"type", "web_gate"}}, ALICE, 5)},
    };
    for (const auto& [name, post] : cases) EXPECT_FALSE(book::verify_post(post, registry.lookup())) << name;
}

TEST(BookPostNamesSigner, BookPostsMustPostUnderTheirOwnName)
{
    EXPECT_TRUE(book::book_post_names_signer(Json{{"type", "ag_list"}, {"handle", "@Alice "}, {"actor", "alice"}}));
    EXPECT_FALSE(book::book_post_names_signer(Json{{"type", "ag_list"}, {"handle", "bob"}, {"actor", "alice"}}));
    EXPECT_FALSE(book::book_post_names_signer(Json{{"type", "ag_buy"}, {"handle", ""}, {"actor", "alice"}}));
    // A post in another's name still carries a valid signature: only the book's own rule drops it.
    Json impostor = booktest::sign(Json{{"type", "ag_list"}, {"handle", "bob"}}, ALICE, 1700000000);
    EXPECT_TRUE(book::verify_post_signature(impostor));
    EXPECT_FALSE(book::book_post_names_signer(impostor));
    EXPECT_TRUE(book::book_post_names_signer(Json{{"type", "message"}, {"handle", "bob"}, {"actor", "alice"}}));
}

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

// text behind a push opcode ("": a direct push) and its little-endian length of width bytes.
std::string pushed(const std::string& text, const std::string& opcode = "", size_t width = 1)
{
    std::string length;
    for (size_t i = 0; i < width; ++i) length += hex_of(std::string(1, static_cast<char>((text.size() >> (8 * i)) & 0xff)));
    return opcode + length + hex_of(text);
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
    std::string upper = "006A" + pushed(POST_A);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Case {
        const char* name;
        std::vector<Json> scripts;
        int n;  // the post's "n"; 0: no post
    };
    const Case cases[] = {
        {"after OP_FALSE", {"006a" + pushed(POST_A)}, 1},
        {"without OP_FALSE", {"6a" + pushed(POST_A)}, 1},
        {"OP_PUSHDATA1", {"006a" + pushed(POST_A, "4c", 1)}, 1},
        {"OP_PUSHDATA2", {"006a" + pushed(big, "4d", 2)}, 3},
        {"OP_PUSHDATA4", {"006a" + pushed(big, "4e", 4)}, 3},
        {"upper-case hex", {upper}, 1},
        {"the first of two posts", {"006a" + pushed(POST_A), "006a" + pushed(POST_B)}, 1},
        {"16 KiB exactly", {"006a" + push(post_of_size(book::MAX_POST_BYTES))}, 2},
        {"brackets inside a string", {"006a" + pushed(R"({"protocol":"TV-Agoran","n":4,"note":"[{\"}]"})")}, 4},
        {"data after the post's push", {"006a" + pushed(POST_A) + "51"}, 1},
        {"a post behind another push", {"006a" + pushed("hello") + pushed(POST_A)}, 0},
    };
    for (const Case& c : cases) {
        auto post = book::read_post_from_tx(tx_with_scripts(c.scripts));
        ASSERT_EQ(post.has_value(), c.n != 0) << c.name;
        if (post) { EXPECT_EQ(post->at("n"), c.n) << c.name; }
    }
    EXPECT_EQ(book::read_post_from_tx(tx_with_scripts({"006a" + pushed(big, "4d", 2)}))->at("pad"), std::string(300, 'x'));
}

TEST(ReadPostFromTx, SkipsTransactionsAndOutputsThatAreNotPostsAndMovesOn)
{
    const std::string good = "006a" + pushed(POST_B);
    const std::vector<Json> bad = {
        "006a" + pushed(R"({"protocol":"TV-Art","type":"ag_cancel"})"),       // another protocol
        "006a" + pushed(R"([{"protocol":"TV-Agoran"}])"),                     // an array
        "006a" + pushed("not json at all"),                                   // not JSON
        "006a" + pushed(R"({"protocol":"TV-Agoran")"),                        // truncated JSON
        "006a" + push(R"({"protocol":"TV-Agoran","zz":)" + std::string(5000, '[') + std::string(5000, ']') + "}"),
        "006a" + pushed(R"({"protocol":"TV-Agoran","o":{"a":1}})"),           // an object member
        "006a" + pushed(R"({"protocol":"TV-Agoran","a":[]})"),                // an array member
        "006a" + pushed(R"({"protocol":"TV-Agoran"}{"n":1})"),                // two objects
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
        "006a" + pushed(POST_A).substr(0, 2) + "zz" + hex_of(POST_A).substr(2),  // not hex
        Json(42),                                                             // hex not a string
    };
    for (const Json& tx : {Json::object(), Json{{"vout", Json::object()}}, Json::array(),
                           Json{{"vout", Json::array({1, "x", nullptr, Json{{"scriptPubKey", "006a"}}})}}}) {
        EXPECT_FALSE(book::read_post_from_tx(tx)) << tx.dump();
    }
    for (const Json& hex : bad) {
        EXPECT_FALSE(book::read_post_from_tx(tx_with_scripts({hex}))) << hex.dump();
        auto after = book::read_post_from_tx(tx_with_scripts({hex, good}));
        ASSERT_TRUE(after) << hex.dump();
        EXPECT_EQ(after->at("n"), 2) << hex.dump();
    }
}

// How each member of a post is read: integers truncated, numeric text whole and in range, amounts
// never negative, keys lower case, handles bare.
TEST(PostFields, EachMemberReadsOnlyWhatItsTypeAllows)
{
    const Json post = {{"i", 1700000000}, {"f", 12.9}, {"neg", -3.7}, {"t", "12"}, {"big", 1e30}, {"nf", "17.9"},
                       {"nn", "-5"}, {"junk", "12abc"}, {"blank", " 12"}, {"b", true}, {"huge", "99999999999999999999"},
                       {"max", 18446744073709551615ULL}, {"pubkey", ""}, {"signature", "s"}};
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
    const std::string key = booktest::trader(7, "seven").pub;
    std::string upper = key;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(book::post_pubkey(Json{{"publicKey", upper}}), key);
    const std::pair<std::string, std::string> handles[] = {{"  @Alice ", "Alice"}, {"$bob", "bob"}, {"@@bob", "@bob"}, {"@ bob\t", "bob"}};
    for (const auto& [written, bare] : handles) EXPECT_EQ(book::normalize_handle(written), bare) << written;
    const std::pair<std::string, std::optional<uint64_t>> decimals[] = {
        {"18446744073709551615", 18446744073709551615ULL}, {"18446744073709551616", std::nullopt}, {"+1", std::nullopt},
        {" 1", std::nullopt}, {"", std::nullopt}, {"007", 7}};
    for (const auto& [text, value] : decimals) EXPECT_EQ(book::parse_decimal_u64(text), value) << text;
}

} // namespace
