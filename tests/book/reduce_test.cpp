#include "book/reduce.h"

#include <gtest/gtest.h>

#include "book/book_view.h"
#include "book/chain_facts.h"
#include "core/text.h"
#include "tests/book/post_factory.h"

#include <limits>

namespace reduce_test {

using book::Json;
using book::Listing;
using book::PostRecord;
using booktest::record;
using booktest::sign;
using booktest::txid_of;

const booktest::Trader SELLER = booktest::trader(21, "seller");
const booktest::Trader BUYER = booktest::trader(22, "buyer");
const booktest::Trader MALLORY = booktest::trader(23, "mallory");
const booktest::Trader ARCHITECT = booktest::trader(24, "arch");

const std::string LISTING_ID = txid_of(0x10);
const std::string LOT_UTXO = txid_of(0xaa) + "_1";

book::ReduceContext context()
{
    return booktest::reduce_context({ARCHITECT.pub});
}

std::map<std::string, Listing> reduce(const std::vector<PostRecord>& posts, const book::ReduceContext& c = context())
{
    std::map<std::string, Listing> out;
    out["stale"] = Listing{};
    book::reduce_book(posts, c, out);
    return out;
}

PostRecord listing(const std::string& qty = "10", uint64_t price = 1000, int64_t ts = 1000)
{
    return record(LISTING_ID, sign(booktest::listing_post(qty, price, LOT_UTXO), SELLER, ts));
}

PostRecord action(unsigned txid_byte, Json body, const booktest::Trader& who, int64_t ts)
{
    body["listing"] = LISTING_ID;
    return record(txid_of(txid_byte), sign(std::move(body), who, ts));
}

Json fill_post(const std::string& qty, const std::string& sold, const std::string& utxo)
{
    return Json{{"type", "ag_fill"}, {"qty", qty}, {"sold", sold}, {"utxo", utxo}, {"pay_sats", 300}, {"buyer", "buyer"}};
}

Json buy(const std::string& qty, uint64_t pay)
{
    return Json{{"type", "ag_buy"}, {"qty", qty}, {"pay_sats", pay}, {"buyer_ord", "1Buyer"}, {"offer", "0100"}};
}

TEST(ReduceBook, ListingTakesItsFieldsFromThePost)
{
    auto book = reduce({listing()});
    ASSERT_EQ(book.size(), 1u);
    const Listing& l = book.at(LISTING_ID);
    EXPECT_EQ(l.status, book::ListingStatus::Live);
    EXPECT_TRUE(l.fee_ok);
    EXPECT_EQ(l.qty, "10");
    EXPECT_EQ(l.price_sats, 1000u);
    EXPECT_EQ(l.utxo, LOT_UTXO);
    EXPECT_EQ(l.pubkey, SELLER.pub);
    EXPECT_EQ(l.handle, "seller");
    EXPECT_EQ(l.created, 1000);
    EXPECT_EQ(l.exp, 4'000'000'000LL);
}

TEST(ReduceBook, ListingWithoutOriginOrUtxoNeverEnters)
{
    Json no_origin = booktest::listing_post("1", 1, LOT_UTXO);
    no_origin.erase("origin");
    Json no_utxo = booktest::listing_post("1", 1, "");
    auto book = reduce({record(txid_of(1), sign(no_origin, SELLER, 5)), record(txid_of(2), sign(no_utxo, SELLER, 5))});
    EXPECT_TRUE(book.empty());
}

TEST(ReduceBook, WithoutAnExpiryAListingLivesTwentyEightDaysNeverWrappingRound)
{
    // A listing without "exp" lives 28 days from its "ts"; a poster may write any "ts", and the
    // lifetime added to it stops at the largest time.
    constexpr int64_t MAX = std::numeric_limits<int64_t>::max();
    struct Case {
        int64_t ts;
        int64_t exp;
    };
    constexpr int64_t MIN = std::numeric_limits<int64_t>::min();
    for (const Case& c : {Case{1'000'000, 1'000'000 + 2'419'200}, Case{MAX, MAX}, Case{MAX - 2'419'199, MAX},
                          Case{MAX - 2'419'200, MAX}, Case{MAX - 2'419'201, MAX - 1}, Case{MIN, MIN + 2'419'200}}) {
        Json post = booktest::listing_post("1", 1, LOT_UTXO);
        post.erase("exp");
        auto book = reduce({record(LISTING_ID, sign(post, SELLER, c.ts)),
                            action(0x20, fill_post("0", "1", ""), SELLER, c.ts == MAX ? MAX : c.ts + 1)});
        EXPECT_EQ(book.at(LISTING_ID).exp, c.exp) << c.ts;
        EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Sold) << c.ts;
        if (c.exp < 1) continue;  // no expiry at all (the loader never hands on such a time)
        book = reduce({record(LISTING_ID, sign(post, SELLER, c.ts))});
        EXPECT_EQ(book::book_view_of(book, MAX).at(0).status, c.exp == MAX ? book::ListingStatus::Live : book::ListingStatus::Expired) << c.ts;
    }
}

TEST(ReduceBook, ForeignKeysChangeNothing)
{
    std::vector<PostRecord> posts = {listing(), action(0x20, buy("2", 200), BUYER, 1001)};
    posts.push_back(action(0x21, Json{{"type", "ag_cancel"}}, MALLORY, 1002));
    posts.push_back(action(0x22, fill_post("0", "10", ""), MALLORY, 1003));
    Json cancel_offer = {{"type", "ag_offer_cancel"}, {"offer", txid_of(0x20)}};
    posts.push_back(action(0x23, cancel_offer, MALLORY, 1004));
    posts.push_back(action(0x24, Json{{"type", "ag_force_cancel"}}, MALLORY, 1005));
    auto book = reduce(posts);
    const Listing& l = book.at(LISTING_ID);
    EXPECT_EQ(l.status, book::ListingStatus::Live);
    EXPECT_EQ(l.qty, "10");
    ASSERT_EQ(l.offers.size(), 1u);
    EXPECT_EQ(l.offers[0].id, txid_of(0x20));

    // The owners themselves do change it.
    posts.push_back(action(0x25, cancel_offer, BUYER, 1006));
    posts.push_back(action(0x26, Json{{"type", "ag_cancel"}}, SELLER, 1007));
    book = reduce(posts);
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Cancelled);
    EXPECT_TRUE(book.at(LISTING_ID).offers.empty());
}

TEST(ReduceBook, AnEmptyKeyNeverOwnsAListing)
{
    // Both posts name their key under a member the reduction must still read.
    Json list = sign(booktest::listing_post("10", 1000, LOT_UTXO), SELLER, 1000);
    list["publicKey"] = list["pubkey"];
    list.erase("pubkey");
    Json cancel = sign(Json{{"type", "ag_cancel"}, {"listing", LISTING_ID}}, MALLORY, 1001);
    cancel.erase("pubkey");
    auto book = reduce({record(LISTING_ID, list), record(txid_of(0x30), cancel)});
    EXPECT_EQ(book.at(LISTING_ID).pubkey, SELLER.pub);
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Live);
}

TEST(ReduceBook, ThreeOfTenAtOneThousandSats)
{
    auto book = reduce({listing("10", 1000), action(0x20, fill_post("7", "3", txid_of(0xbb) + "_2"), SELLER, 1001)});
    const Listing& l = book.at(LISTING_ID);
    EXPECT_EQ(l.status, book::ListingStatus::Live);
    EXPECT_EQ(l.qty, "7");
    EXPECT_EQ(l.price_sats, 700u);
    EXPECT_EQ(l.utxo, txid_of(0xbb) + "_2");

    Json priced = fill_post("7", "3", txid_of(0xbb) + "_2");
    priced["price_sats"] = 650.9;
    book = reduce({listing("10", 1000), action(0x20, priced, SELLER, 1001)});
    EXPECT_EQ(book.at(LISTING_ID).price_sats, 650u);
    priced["price_sats"] = "1";  // not a number: the price stays
    book = reduce({listing("10", 1000), action(0x20, priced, SELLER, 1001)});
    EXPECT_EQ(book.at(LISTING_ID).price_sats, 1000u);
}

TEST(ReduceBook, FillPriceDoesNotOverflowSixtyFourBits)
{
    // 10^11 base units at 2 BSV, one unit sold: q * price (about 2 * 10^19) is past 2^64.
    const uint64_t price = 200'000'000;
    auto book = reduce({listing("100000000000", price),
                        action(0x20, fill_post("99999999999", "1", txid_of(0xbb) + "_2"), SELLER, 1001)});
    EXPECT_EQ(book.at(LISTING_ID).price_sats, 199'999'999u);
    // 1.1 * 10^11 left of 1.2 * 10^11 at 2 BSV: 2.2 * 10^19, rounded down.
    book = reduce({listing("120000000000", price),
                   action(0x20, fill_post("110000000000", "10000000000", txid_of(0xbb) + "_2"), SELLER, 1001)});
    EXPECT_EQ(book.at(LISTING_ID).price_sats, 183'333'333u);
    EXPECT_EQ(book::mul_div_floor(18446744073709551615ULL, 18446744073709551615ULL, 18446744073709551615ULL),
              18446744073709551615ULL);
    EXPECT_EQ(book::mul_div_floor(3, 1000, 10), 300u);
    EXPECT_EQ(book::mul_div_floor(7, 1, 10), 0u);
    EXPECT_EQ(book::mul_div_floor(1ULL << 63, 4, 8), 1ULL << 62);
    EXPECT_EQ(book::mul_div_floor(1ULL << 63, 6, 3), 18446744073709551615ULL);  // saturates
}

TEST(ReduceBook, FillWithoutSoldTakesTheLastOffer)
{
    // "qty" above the listing's: the rest is the listing's quantity less the last offer's.
    auto book = reduce({listing("10", 1000), action(0x20, buy("4", 400), BUYER, 1001),
                        action(0x21, fill_post("99", "", txid_of(0xbb) + "_2"), SELLER, 1002)});
    EXPECT_EQ(book.at(LISTING_ID).qty, "6");
    EXPECT_EQ(book.at(LISTING_ID).price_sats, 600u);
    book = reduce({listing("10", 1000), action(0x20, buy("12", 400), BUYER, 1001),
                   action(0x21, fill_post("99", "", txid_of(0xbb) + "_2"), SELLER, 1002)});
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Sold);
}

TEST(ReduceBook, ClosingFillsSellTheListingAndTheViewDropsIt)
{
    for (const Json& closing : {fill_post("0", "10", txid_of(0xbb) + "_2"), fill_post("5", "5", "")}) {
        auto book = reduce({listing(), action(0x20, buy("10", 1000), BUYER, 1001), action(0x21, closing, SELLER, 1002)});
        const Listing& l = book.at(LISTING_ID);
        EXPECT_EQ(l.status, book::ListingStatus::Sold) << closing.dump();
        EXPECT_EQ(l.qty, "0");
        EXPECT_EQ(l.utxo, "");
        EXPECT_TRUE(l.offers.empty());
        EXPECT_TRUE(book::book_view_of(book, 0).empty());
    }
}

TEST(ReduceBook, ASecondFillAfterAClosingFillIsIgnored)
{
    auto book = reduce({listing(), action(0x20, fill_post("0", "10", ""), SELLER, 1001),
                        action(0x21, fill_post("4", "6", txid_of(0xbb) + "_2"), SELLER, 1002)});
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Sold);
    EXPECT_EQ(book.at(LISTING_ID).qty, "0");
}

TEST(ReduceBook, FillOnAnExpiredListingApplies)
{
    Json post = booktest::listing_post("10", 1000, LOT_UTXO);
    post["exp"] = 1500;
    std::vector<PostRecord> posts = {record(LISTING_ID, sign(post, SELLER, 1000)),
                                     action(0x20, fill_post("4", "6", txid_of(0xbb) + "_2"), SELLER, 2000)};
    auto book = reduce(posts);
    EXPECT_EQ(book.at(LISTING_ID).qty, "4");
    auto view = book::book_view_of(book, 3000);
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0].status, book::ListingStatus::Expired);
    EXPECT_EQ(view[0].qty, "4");
}

TEST(ReduceBook, UnpaidListingWithThreeOutputsIsCancelled)
{
    Json post = sign(booktest::listing_post("10", 1000, LOT_UTXO), SELLER, 1000);
    Json unpaid = booktest::post_tx(post, /*with_fee=*/false, /*with_change=*/true);  // 3 outputs
    auto book = reduce({record(LISTING_ID, post, 0, unpaid)});
    EXPECT_FALSE(book.at(LISTING_ID).fee_ok);
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Cancelled);

    // Two outputs: unpaid but not cancelled.
    Json short_tx = booktest::post_tx(post, false, false);
    book = reduce({record(LISTING_ID, post, 0, short_tx)});
    EXPECT_FALSE(book.at(LISTING_ID).fee_ok);
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Live);

    // A reserve of the bound wallet vouches for it.
    book::ReduceContext c = context();
    c.reserved_listing_ids.insert(LISTING_ID);
    book = reduce({record(LISTING_ID, post, 0, unpaid)}, c);
    EXPECT_TRUE(book.at(LISTING_ID).fee_ok);
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Live);

    // A fee one satoshi short, or paid without the oracle output, is no fee.
    Json short_fee = booktest::post_tx(post);
    short_fee["vout"][0]["value"] = 0.00999999;
    EXPECT_EQ(reduce({record(LISTING_ID, post, 0, short_fee)}).at(LISTING_ID).status, book::ListingStatus::Cancelled);
    Json sats_fee = booktest::post_tx(post);
    sats_fee["vout"][0]["valueSat"] = 1000000;
    sats_fee["vout"][0]["value"] = 0;
    EXPECT_EQ(reduce({record(LISTING_ID, post, 0, sats_fee)}).at(LISTING_ID).status, book::ListingStatus::Live);
    Json no_oracle = booktest::post_tx(post);
    no_oracle["vout"][1]["scriptPubKey"]["addresses"] = Json::array({booktest::OTHER_ADDRESS});
    EXPECT_EQ(reduce({record(LISTING_ID, post, 0, no_oracle)}).at(LISTING_ID).status, book::ListingStatus::Cancelled);
    Json address_member = booktest::post_tx(post);
    address_member["vout"][0]["scriptPubKey"].erase("addresses");
    address_member["vout"][0]["scriptPubKey"]["address"] = booktest::HOUSE_ADDRESS;
    EXPECT_EQ(reduce({record(LISTING_ID, post, 0, address_member)}).at(LISTING_ID).status, book::ListingStatus::Live);
}

TEST(ReduceBook, EqualTimesApplyInTxidOrder)
{
    // Same "ts": the cancel (txid 0x05) sorts before the listing (txid 0x10) and finds nothing.
    std::vector<PostRecord> posts = {listing("10", 1000, 1000), action(0x05, Json{{"type", "ag_cancel"}}, SELLER, 1000)};
    EXPECT_EQ(reduce(posts).at(LISTING_ID).status, book::ListingStatus::Live);
    // The same cancel with a txid after the listing's applies, whatever order the input has.
    std::vector<PostRecord> later = {action(0x15, Json{{"type", "ag_cancel"}}, SELLER, 1000), listing("10", 1000, 1000)};
    EXPECT_EQ(reduce(later).at(LISTING_ID).status, book::ListingStatus::Cancelled);
}

TEST(ReduceBook, ForceCancelOnlyByAnArchitect)
{
    auto book = reduce({listing(), action(0x20, buy("1", 100), BUYER, 1001),
                        action(0x21, Json{{"type", "ag_force_cancel"}}, ARCHITECT, 1002)});
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::ForceCancelled);
    EXPECT_TRUE(book.at(LISTING_ID).offers.empty());

    // The seller is no architect; neither is anyone when the list is empty.
    book = reduce({listing(), action(0x21, Json{{"type", "ag_force_cancel"}}, SELLER, 1002)});
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Live);
    book::ReduceContext none = context();
    none.architect_keys.clear();
    book = reduce({listing(), action(0x21, Json{{"type", "ag_force_cancel"}}, ARCHITECT, 1002)}, none);
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Live);
}

TEST(ReduceBook, CancelOverridesSoldButFillNeedsLive)
{
    auto book = reduce({listing(), action(0x20, Json{{"type", "ag_cancel"}}, SELLER, 1001),
                        action(0x21, fill_post("4", "6", txid_of(0xbb) + "_2"), SELLER, 1002)});
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Cancelled);
    EXPECT_EQ(book.at(LISTING_ID).qty, "10");
}

TEST(ReduceBook, OffersStayOnClosedListingsAndCancelByIdAndKey)
{
    auto book = reduce({listing(), action(0x20, Json{{"type", "ag_cancel"}}, SELLER, 1001),
                        action(0x21, buy("1", 100), BUYER, 1002), action(0x22, buy("2", 200), MALLORY, 1003),
                        action(0x23, buy("3", 300), BUYER, 1004),
                        action(0x24, Json{{"type", "ag_offer_cancel"}, {"offer", core::ascii_lower(txid_of(0x21))}}, BUYER, 1005)});
    const auto& offers = book.at(LISTING_ID).offers;
    ASSERT_EQ(offers.size(), 2u);
    EXPECT_EQ(offers[0].id, txid_of(0x22));
    EXPECT_EQ(offers[0].handle, "mallory");
    EXPECT_EQ(offers[0].pay_sats, 200u);
    EXPECT_EQ(offers[1].id, txid_of(0x23));
    EXPECT_EQ(offers[1].created, 1004);
}

TEST(ReduceBook, PostsOnUnknownListingsAndUnknownTypesAreIgnored)
{
    Json stray = sign(Json{{"type", "ag_cancel"}, {"listing", txid_of(0x77)}}, SELLER, 1001);
    auto book = reduce({listing(), record(txid_of(0x20), stray), action(0x21, Json{{"type", "ag_other"}}, SELLER, 1002)});
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book.at(LISTING_ID).status, book::ListingStatus::Live);
}

TEST(ReduceBook, TheSellersWordsAreKeptApartFromTheLot)
{
    Json post = booktest::listing_post("1", 1, LOT_UTXO);
    post["name"] = "Gold";
    post["sym"] = "GLD";
    post["icon"] = txid_of(0x99) + "_0";
    const Listing l = reduce({record(LISTING_ID, sign(post, SELLER, 1000))}).at(LISTING_ID);
    EXPECT_EQ(l.claimed.name + "|" + l.claimed.sym + "|" + l.claimed.icon, "Gold|GLD|" + txid_of(0x99) + "_0");
    EXPECT_EQ(l.name + l.sym + l.icon, "");  // only the chain fills these
}

TEST(ChainFacts, TheLotIsWhatTheChainHolds)
{
    const std::string own = txid_of(0x61) + "_0";
    const std::string famous = txid_of(0x62) + "_0";
    const std::string token = txid_of(0x63) + "_0";
    const std::string other_token = txid_of(0x64) + "_0";
    struct Case {
        const char* what;
        std::string kind, origin;
        book::SellerClaims claimed;
        std::optional<book::HeldAsset> held;
        std::optional<book::TokenFacts> facts;
        std::string icon, sym, chain_origin;
        bool differs;
    };
    const book::TokenFacts junk{"", "JUNK", "", 0};
    const book::TokenFacts gold{"", "GLD", famous, 2};
    const std::vector<Case> cases = {
        {"picture with another's icon", "picture", own, {"", "", famous}, book::HeldAsset{own, ""}, {}, own, "", own, true},
        {"honest picture", "picture", own, {"Sunset", "", own}, book::HeldAsset{own, ""}, {}, own, "", own, false},
        {"picture claiming another's origin", "picture", famous, {}, book::HeldAsset{own, ""}, {}, own, "", own, true},
        {"picture on an output without one", "picture", famous, {}, book::HeldAsset{}, {}, LOT_UTXO, "", "", true},
        {"picture, index silent", "picture", own, {"", "", famous}, std::nullopt, {}, LOT_UTXO, "", "", false},
        {"token naming another ticker", "bsv21", token, {"", "GLD", ""}, book::HeldAsset{"", token}, junk, "", "JUNK", token, true},
        {"honest token", "bsv21", token, {"GLD", "GLD", famous}, book::HeldAsset{"", token}, gold, famous, "GLD", token, false},
        {"output holding another token", "bsv21", token, {}, book::HeldAsset{"", other_token}, junk, "", "JUNK", other_token, true},
        {"token, output unknown to the index", "bsv21", token, {"", "GLD", ""}, std::nullopt, gold, famous, "GLD", "", false},
    };
    for (const Case& c : cases) {
        Listing l;
        l.kind = book::listing_kind_of(c.kind);
        l.origin = c.origin;
        l.utxo = LOT_UTXO;
        l.claimed = c.claimed;
        book::apply_chain_facts(l, c.held, c.facts);
        EXPECT_EQ(l.icon, c.icon) << c.what;
        EXPECT_EQ(l.sym, c.sym) << c.what;
        EXPECT_EQ(l.chain_origin, c.chain_origin) << c.what;
        EXPECT_EQ(l.claims_differ, c.differs) << c.what;
        EXPECT_EQ(l.claimed.sym, c.claimed.sym) << c.what;
    }
}

TEST(BookView, KeepsClosedListingsButNotSoldOrEmptyOnesNewestFirst)
{
    std::map<std::string, Listing> listings;
    auto add = [&](const std::string& id, book::ListingStatus status, const std::string& qty, int64_t created) {
        Listing l;
        l.id = id;
        l.status = status;
        l.qty = qty;
        l.created = created;
        l.exp = 10'000;
        listings[id] = l;
    };
    add("a", book::ListingStatus::Live, "5", 1);
    add("b", book::ListingStatus::Cancelled, "5", 3);
    add("c", book::ListingStatus::Sold, "5", 4);
    add("d", book::ListingStatus::Live, "0", 5);
    add("e", book::ListingStatus::ForceCancelled, "1", 2);
    add("f", book::ListingStatus::Live, "junk", 6);
    add("g", book::ListingStatus::Cancelled, "2", 20'000);
    auto view = book::book_view_of(listings, 10'001);
    ASSERT_EQ(view.size(), 4u);
    EXPECT_EQ(view[0].id, "g");
    EXPECT_EQ(view[1].id, "b");
    EXPECT_EQ(view[2].id, "e");
    EXPECT_EQ(view[3].id, "a");
    EXPECT_EQ(view[3].status, book::ListingStatus::Expired);
    EXPECT_EQ(view[0].status, book::ListingStatus::Cancelled);  // expiry touches only live listings
}

} // namespace reduce_test
