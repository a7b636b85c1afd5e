#include "book/replay.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "book/reduce.h"
#include "core/base64.h"
#include "core/curve.h"
#include "tests/book/post_factory.h"
#include "tests/support/signature_util.h"

namespace replay_test {

using book::Json;
using book::Listing;
using book::PostRecord;
using booktest::record;
using booktest::sign;
using booktest::txid_of;

const booktest::Trader SELLER = booktest::trader(31, "seller");
const booktest::Trader BUYER = booktest::trader(32, "buyer");

const std::string LISTING_A = txid_of(0x40);
const std::string LISTING_B = txid_of(0x41);

// The two listings of the victim, seen first.
std::vector<PostRecord> two_listings()
{
    return {record(LISTING_A, sign(booktest::listing_post("10", 1000, txid_of(0xa1) + "_1"), SELLER, 1000), 0),
            record(LISTING_B, sign(booktest::listing_post("10", 9000, txid_of(0xb1) + "_1"), SELLER, 1001), 1)};
}

// The original post acting on listing A, and a copy of its envelope pointed at listing B in a
// transaction whose txid sorts before the original's, gathered after it.
std::pair<PostRecord, PostRecord> original_and_copy(Json body, Json copy_changes)
{
    body["listing"] = LISTING_A;
    Json original = sign(std::move(body), SELLER, 2000);
    Json copy = original;
    copy["listing"] = LISTING_B;
    for (auto& [key, value] : copy_changes.items()) copy[key] = value;
    return {record(txid_of(0x90), original, 2), record(txid_of(0x05), copy, 3)};
}

std::map<std::string, Listing> reduce(std::vector<PostRecord> posts, bool drop)
{
    if (drop) book::drop_replays(posts);
    std::map<std::string, Listing> out;
    book::reduce_book(posts, booktest::reduce_context(), out);
    return out;
}

// A copy of the seller's envelope pointed at another of his listings (a cancel, a closing fill)
// would act on it without the drop; so would a copy of a listing at another price.
TEST(Replay, ACopiedEnvelopeActsOnlyWhereItWasSigned)
{
    const std::pair<Json, Json> attacks[] = {
        {Json{{"type", "ag_cancel"}}, Json::object()},
        {Json{{"type", "ag_fill"}, {"qty", "7"}, {"sold", "3"}, {"utxo", txid_of(0xa2) + "_1"}},
         Json{{"qty", "0"}, {"utxo", ""}, {"price_sats", 1}}},
    };
    for (const auto& [body, changes] : attacks) {
        auto posts = two_listings();
        auto [original, copy] = original_and_copy(body, changes);
        ASSERT_TRUE(book::verify_post_signature(copy.post));
        posts.push_back(copy);  // gathered order is kept in `seen`, not in the vector
        posts.push_back(original);
        ASSERT_NE(reduce(posts, false).at(LISTING_B).status, book::ListingStatus::Live) << body.dump();
        auto book = reduce(posts, true);
        EXPECT_NE(book.at(LISTING_A).status == book::ListingStatus::Live, body["type"] == "ag_cancel") << body.dump();
        EXPECT_EQ(book.at(LISTING_B).status, book::ListingStatus::Live) << body.dump();
        EXPECT_EQ(book.at(LISTING_B).qty + std::to_string(book.at(LISTING_B).price_sats), "109000") << body.dump();
    }

    Json listing = sign(booktest::listing_post("10", 1000, txid_of(0xa1) + "_1"), SELLER, 1000);
    Json repriced = listing;
    repriced["price_sats"] = 1;
    std::vector<PostRecord> posts = {record(txid_of(0x06), repriced, 1), record(txid_of(0x60), listing, 0)};
    EXPECT_EQ(reduce(posts, false).size(), 2u);
    auto book = reduce(posts, true);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book.at(txid_of(0x60)).price_sats, 1000u);
}

// Re-encodings that verify as well as the original must count as the same envelope.
std::string high_s_variant(const std::string& sig_text)
{
    core::Bytes raw = core::base64_decode(sig_text).value();
    testutil::Scalar s{};
    std::copy(raw.end() - 32, raw.end(), s.begin());
    s = testutil::sub(testutil::CURVE_ORDER, s);
    std::copy(s.begin(), s.end(), raw.end() - 32);
    return core::base64_encode(raw);
}

std::string uncompressed(const std::string& pub_hex)
{
    auto key = core::parse_pubkey(core::hex_decode(pub_hex).value()).value();
    uint8_t out[65];
    size_t len = sizeof out;
    secp256k1_ec_pubkey_serialize(core::secp_context(), out, &len, &key, SECP256K1_EC_UNCOMPRESSED);
    return core::hex_encode(core::ByteView(out, len));
}

TEST(Replay, ReencodedSignaturesAndKeysAreStillTheSameEnvelopeOtherSignaturesAreNot)
{
    Json original = sign(Json{{"type", "ag_cancel"}, {"listing", LISTING_A}}, SELLER, 2000);
    std::string sig = original["sig"];
    core::Bytes raw = core::base64_decode(sig).value();
    core::Bytes compact = {0x20};
    compact.insert(compact.end(), raw.begin(), raw.end());

    std::vector<Json> copies;
    for (int i = 0; i < 5; ++i) copies.push_back(original);
    copies[0]["sig"] = high_s_variant(sig);
    copies[1]["sig"] = core::base64_encode(compact);
    copies[2]["sig"] = sig.substr(0, 40) + "\n" + sig.substr(40, 46);  // padding left out
    copies[3]["pubkey"] = uncompressed(SELLER.pub);
    copies[4].erase("sig");
    copies[4]["signature"] = sig;

    std::vector<PostRecord> posts = {record(txid_of(0x90), original, 0)};
    for (size_t i = 0; i < copies.size(); ++i) {
        copies[i]["listing"] = LISTING_B;
        ASSERT_TRUE(book::verify_post_signature(copies[i])) << i;
        posts.push_back(record(txid_of(0x01 + static_cast<unsigned>(i)), copies[i], i + 1));
    }
    std::reverse(posts.begin(), posts.end());
    EXPECT_EQ(book::drop_replays(posts), copies.size());
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].txid, txid_of(0x90));

    // Another signature of the signer, or the same body signed by another key, is no copy.
    posts.push_back(record(txid_of(2), sign(Json{{"type", "ag_cancel"}, {"listing", LISTING_B}}, SELLER, 2001), 1));
    posts.push_back(record(txid_of(3), sign(Json{{"type", "ag_cancel"}, {"listing", LISTING_A}}, BUYER, 2000), 2));
    EXPECT_EQ(book::drop_replays(posts), 0u);
    EXPECT_EQ(posts.size(), 3u);
}

// Among copies of one envelope the first on chain stays, whatever order the lists gave; where
// that cannot be told, none is shown.
TEST(Replay, TheFirstOnChainStaysAndAnUnplacedGroupIsWithheld)
{
    using State = net::ChainPosition::State;
    const net::ChainPosition unknown{}, mempool{State::Unconfirmed, 0};
    auto block = [](int64_t height) { return net::ChainPosition{State::Confirmed, height}; };
    struct Case {
        net::ChainPosition original, copy;  // the copy was gathered first
        bool original_stays;
    };
    const Case cases[] = {
        {block(100), mempool, true}, {block(100), block(99), false}, {block(100), block(100), false},
        {mempool, mempool, false},   {mempool, unknown, true},       {block(7), unknown, true},
    };
    for (const Case& c : cases) {
        auto [original, copy] = original_and_copy(Json{{"type", "ag_cancel"}}, Json::object());
        original.seen = 1;
        copy.seen = 0;
        original.position = c.original;
        copy.position = c.copy;
        std::vector<PostRecord> posts = {original, copy};
        EXPECT_EQ(book::drop_replays(posts), 1u);
        ASSERT_EQ(posts.size(), 1u);
        EXPECT_EQ(posts[0].txid, c.original_stays ? original.txid : copy.txid)
            << static_cast<int>(c.original.state) << c.original.height << " " << static_cast<int>(c.copy.state) << c.copy.height;
    }

    auto [original, copy] = original_and_copy(Json{{"type", "ag_cancel"}}, Json::object());
    original.position = block(5);
    PostRecord alone = two_listings()[0];
    std::vector<PostRecord> posts = {original, copy, alone};
    EXPECT_EQ(book::replays_to_place(posts), std::vector<std::string>{copy.txid});
    EXPECT_EQ(book::withhold_unplaced_replays(posts), 2u);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].txid, alone.txid);
}

} // namespace replay_test
