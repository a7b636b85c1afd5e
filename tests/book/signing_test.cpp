#include "book/signing.h"

#include <map>

#include <gtest/gtest.h>

#include "book/post_blob.h"

#include "core/text.h"
#include "tests/book/post_factory.h"

namespace {

using book::Json;
using booktest::Trader;

const std::string EMPTY_SHA256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

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

Json signed_listing(const Trader& who)
{
    return booktest::sign(booktest::listing_post("10", 1000, booktest::txid_of(0x11) + "_1"), who, 1700000000);
}

TEST(SigningString, BindsTypeLocationHandleActorTimeAndPayAddress)
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
}

TEST(SigningString, FillsTheGenericBodyFromItsMembers)
{
    Json post = {{"type", "x"}, {"id", "I"}, {"trade", "T"}, {"sats", 5}, {"fiat", 2.5}, {"ccy", "usd"},
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
    const Trader alice = booktest::trader(11, "alice");
    const Trader shouting = booktest::trader(11, "@ALICE");
    const Trader mallory = booktest::trader(12, "alice");  // signs in alice's name with his own key
    Json upper = signed_listing(alice);
    std::string key = alice.pub;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    upper["pubkey"] = key;
    // "publicKey" and "signature" stand in for missing "pubkey" and "sig".
    Json renamed = signed_listing(alice);
    renamed["publicKey"] = renamed["pubkey"];
    renamed["signature"] = renamed["sig"];
    renamed.erase("pubkey");
    renamed.erase("sig");
    const Json to_bob = booktest::sign(Json{{"type", "message"}, {"handle", "bob"}}, alice, 1700000000);
    struct Case {
        const char* name;
        Json post;
        bool published;
        bool valid;
    };
    const Case cases[] = {
        {"signed by the registered key", signed_listing(alice), true, true},
        {"at sign and capitals in the actor", signed_listing(shouting), true, true},
        {"the key in capitals", upper, true, true},
        {"the key and signature under their other names", renamed, true, true},
        {"no published key", signed_listing(alice), false, false},
        {"a valid signature by another key", signed_listing(mallory), true, false},
        {"a message whose actor is not its handle", to_bob, true, false},
    };
    for (const Case& c : cases) {
        Registry registry;
        if (c.published) registry.keys["alice"] = alice.pub;
        EXPECT_EQ(book::verify_post(c.post, registry.lookup()), c.valid) << c.name;
        if (&c == cases) { EXPECT_EQ(registry.lookups, 1); }
    }
    EXPECT_TRUE(book::verify_post_signature(signed_listing(mallory)));
    EXPECT_TRUE(book::verify_post_signature(booktest::sign(Json{{"type", "message"}}, alice, 1700000000)));
}

TEST(VerifyPost, UnsignedMembersMayChangeSignedOnesMayNot)
{
    Trader alice = booktest::trader(11, "alice");
    Registry registry{{{"alice", alice.pub}}};
    Json post = signed_listing(alice);
    ASSERT_TRUE(book::verify_post(post, registry.lookup()));

    const std::map<std::string, Json> unsigned_changes = {
        {"price_sats", 1}, {"qty", "999"}, {"utxo", booktest::txid_of(0x22) + "_0"}, {"note", "other"},
        {"listing", booktest::txid_of(0x33)}, {"origin", "x"}, {"paymail", "mallory@x"}};
    for (const auto& [member, value] : unsigned_changes) {
        Json changed = post;
        changed[member] = value;
        EXPECT_TRUE(book::verify_post(changed, registry.lookup())) << member;
    }
    const std::map<std::string, Json> signed_changes = {
        {"pay_addr", "1Other"}, {"ts", 1700000001}, {"type", "ag_cancel"}, {"handle", "bob"},
        {"actor", "bob"}, {"location", "elsewhere"}, {"id", "00"}, {"blob", "{}"}};
    for (const auto& [member, value] : signed_changes) {
        Json changed = post;
        changed[member] = value;
        Registry both{{{"alice", alice.pub}, {"bob", alice.pub}}};
        EXPECT_FALSE(book::verify_post(changed, both.lookup())) << member;
    }

    // A post that signs its terms: none of them may change, nor a member be added that readers
    // take, nor the blob go; members no reader takes may.
    Json termed = booktest::sign(booktest::listing_post("10", 1000, booktest::txid_of(0x11) + "_1"), alice,
                                 1700000000, /*with_terms=*/true);
    ASSERT_TRUE(book::verify_post(termed, registry.lookup()));
    EXPECT_EQ(termed["id"].get<std::string>().size(), 32u);
    for (const auto& [member, value] : unsigned_changes) {
        Json changed = termed;
        changed[member] = value;
        EXPECT_FALSE(book::post_blob_matches(changed)) << member;
        EXPECT_FALSE(book::verify_post(changed, registry.lookup())) << member;
    }
    const std::vector<std::pair<std::string, Json>> other_terms = {
        {"price_sats", 1000.5}, {"qty", 10}, {"offer", "00"}, {"exp", 1}, {"kind", "picture"}};
    for (const auto& [member, value] : other_terms) {
        Json changed = termed;
        changed[member] = value;
        EXPECT_FALSE(book::post_blob_matches(changed)) << member;
    }
    Json extra = termed;
    extra["zz"] = "not read by anyone";
    EXPECT_TRUE(book::verify_post(extra, registry.lookup()));
    Json bare = termed;
    bare.erase("blob");
    EXPECT_FALSE(book::verify_post(bare, registry.lookup()));
    for (const Json& blob : {Json(5), Json("not json"), Json("[]")}) {
        Json odd = termed;
        odd["blob"] = blob;
        EXPECT_FALSE(book::post_blob_matches(odd)) << blob.dump();
    }
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
    Trader alice = booktest::trader(11, "alice");
    Registry registry{{{"alice", alice.pub}}};
    Json good = signed_listing(alice);

    auto without = [&](const char* member) {
        Json p = good;
        p.erase(member);
        return p;
    };
    auto with = [&](const char* member, Json value) {
        Json p = good;
        p[member] = std::move(value);
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
        {"protocol outside the four", with("protocol", "TV-Other")},
        {"ts zero", booktest::sign(booktest::listing_post("1", 1, "u_1"), alice, 0)},
        {"ts negative", booktest::sign(booktest::listing_post("1", 1, "u_1"), alice, -5)},
        {"sig not base64", with("sig", "-_-_")},
        {"sig of 63 bytes", with("sig", std::string(84, 'A'))},
        {"pubkey not hex", with("pubkey", "zz")},
        {"gate posts are not verified here", booktest::sign(Json{{"type", "web_gate"}}, alice, 5)},
    };
    for (const auto& [name, post] : cases) EXPECT_FALSE(book::verify_post(post, registry.lookup())) << name;
}

TEST(BookPostNamesSigner, BookPostsMustPostUnderTheirOwnName)
{
    Trader alice = booktest::trader(11, "alice");
    EXPECT_TRUE(book::book_post_names_signer(Json{{"type", "ag_list"}, {"handle", "@Alice "}, {"actor", "alice"}}));
    EXPECT_FALSE(book::book_post_names_signer(Json{{"type", "ag_list"}, {"handle", "bob"}, {"actor", "alice"}}));
    EXPECT_FALSE(book::book_post_names_signer(Json{{"type", "ag_buy"}, {"handle", ""}, {"actor", "alice"}}));
    // A post in another's name still carries a valid signature: only the book's own rule drops it.
    Json impostor = booktest::sign(Json{{"type", "ag_list"}, {"handle", "bob"}}, alice, 1700000000);
    EXPECT_TRUE(book::verify_post_signature(impostor));
    EXPECT_FALSE(book::book_post_names_signer(impostor));
    EXPECT_TRUE(book::book_post_names_signer(Json{{"type", "message"}, {"handle", "bob"}, {"actor", "alice"}}));
}

} // namespace
