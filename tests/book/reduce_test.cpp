#include "book/reduce.h"

#include <gtest/gtest.h>

#include "book/book_view.h"
#include "book/chain_facts.h"
#include "book/history.h"
#include "book/replay.h"
#include "core/base64.h"
#include "core/curve.h"
#include "core/text.h"
#include "tests/book/post_factory.h"
#include "tests/support/signature_util.h"

#include <algorithm>
#include <functional>
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
const tx::Txid LISTING = *tx::Txid::parse(LISTING_ID);
const std::string LOT_UTXO = txid_of(0xaa) + "_1";

book::ReduceContext context()
{
    return booktest::reduce_context({ARCHITECT.pub});
}

std::map<tx::Txid, Listing> reduce(const std::vector<PostRecord>& posts, const book::ReduceContext& c = context())
{
    std::map<tx::Txid, Listing> out;
    out[tx::Txid()] = Listing{};
    book::reduce_book(posts, c, out);
    return out;
}

PostRecord listing(const std::string& qty = "10", uint64_t price = 1000, int64_t exp = 4'000'000'000LL)
{
    Json post = booktest::listing_post(qty, price, LOT_UTXO);
    post["exp"] = exp;
    return record(LISTING_ID, sign(post, SELLER, 1000));
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

TEST(ReduceBook, ListingWithoutOriginOrUtxoNeverEnters)
{
    Json no_origin = booktest::listing_post("1", 1, LOT_UTXO);
    no_origin.erase("origin");
    auto book = reduce({record(txid_of(1), sign(no_origin, SELLER, 5)), record(txid_of(2), sign(booktest::listing_post("1", 1, ""), SELLER, 5)),
                        record(txid_of(3), sign(booktest::listing_post("1", 1, "lot_1"), SELLER, 5))});
    EXPECT_TRUE(book.empty());
}

TEST(ReduceBook, WithoutAnExpiryAListingLivesTwentyEightDaysNeverWrappingRound)
{
    // A listing without "exp" lives 28 days from its "ts"; a poster may write any "ts", and the
    // lifetime added to it stops at the largest time.
    constexpr int64_t MAX = std::numeric_limits<int64_t>::max();
    constexpr int64_t MIN = std::numeric_limits<int64_t>::min();
    struct Case {
        int64_t ts, exp;
    };
    for (const Case& c : {Case{1'000'000, 1'000'000 + 2'419'200}, Case{MAX, MAX}, Case{MAX - 2'419'199, MAX},
                          Case{MAX - 2'419'200, MAX}, Case{MAX - 2'419'201, MAX - 1}, Case{MIN, MIN + 2'419'200}}) {
        Json post = booktest::listing_post("1", 1, LOT_UTXO);
        post.erase("exp");
        auto book = reduce({record(LISTING_ID, sign(post, SELLER, c.ts)),
                            action(0x20, fill_post("0", "1", ""), SELLER, c.ts == MAX ? MAX : c.ts + 1)});
        EXPECT_EQ(book.at(LISTING).exp, c.exp) << c.ts;
        EXPECT_EQ(book.at(LISTING).status, book::ListingStatus::Sold) << c.ts;
        if (c.exp < 1) continue;  // no expiry at all (the loader never hands on such a time)
        book = reduce({record(LISTING_ID, sign(post, SELLER, c.ts))});
        EXPECT_EQ(book::book_view_of(book, MAX).at(0).status, c.exp == MAX ? book::ListingStatus::Live : book::ListingStatus::Expired) << c.ts;
    }
}

// One listing and what the posts after it make of it: who may change it, fills and their
// price (pro rata, in 128 bits), closing, order of application.
TEST(ReduceBook, WhatEachPostMakesOfTheListing)
{
    using S = book::ListingStatus;
    const std::string L = LOT_UTXO, NEXT = txid_of(0xbb) + "_2";
    const Json cancel = {{"type", "ag_cancel"}}, force = {{"type", "ag_force_cancel"}};
    const Json withdraw = {{"type", "ag_offer_cancel"}, {"offer", txid_of(0x20)}};
    Json priced = fill_post("7", "3", NEXT), unpriced = priced;
    priced["price_sats"] = 650.9;
    unpriced["price_sats"] = "1";  // not a number: the price stays
    const book::ReduceContext no_architects = booktest::reduce_context();
    struct Case {
        const char* what;
        std::vector<PostRecord> posts;
        S status;
        std::string qty;
        uint64_t price;
        std::string utxo;
        size_t offers = 0;
        book::ReduceContext context = reduce_test::context();
    };
    const Case cases[] = {
        {"others' cancels, fills, withdrawals and force cancels",
         {listing(), action(0x20, buy("2", 200), BUYER, 1001), action(0x21, cancel, MALLORY, 1002),
          action(0x22, fill_post("0", "10", ""), MALLORY, 1003), action(0x23, withdraw, MALLORY, 1004),
          action(0x24, force, MALLORY, 1005)},
         S::Live, "10", 1000, L, 1},
        {"the owners' withdrawal and cancel",
         {listing(), action(0x20, buy("2", 200), BUYER, 1001), action(0x25, withdraw, BUYER, 1006),
          action(0x26, cancel, SELLER, 1007)},
         S::Cancelled, "10", 1000, L},
        {"three of ten at 1000", {listing("10", 1000), action(0x20, fill_post("7", "3", NEXT), SELLER, 1001)}, S::Live, "7", 700, NEXT},
        {"a fill's own price, rounded down", {listing("10", 1000), action(0x20, priced, SELLER, 1001)}, S::Live, "7", 650, NEXT},
        {"a fill's price that is text", {listing("10", 1000), action(0x20, unpriced, SELLER, 1001)}, S::Live, "7", 1000, NEXT},
        // 10^11 units at 2 BSV: quantity times price is past 2^64.
        {"one of 10^11 at 2 BSV",
         {listing("100000000000", 200'000'000), action(0x20, fill_post("99999999999", "1", NEXT), SELLER, 1001)},
         S::Live, "99999999999", 199'999'999, NEXT},
        {"1.1 * 10^11 left of 1.2 * 10^11 at 2 BSV",
         {listing("120000000000", 200'000'000), action(0x20, fill_post("110000000000", "10000000000", NEXT), SELLER, 1001)},
         S::Live, "110000000000", 183'333'333, NEXT},
        {"a fill without sold takes the last offer",
         {listing(), action(0x20, buy("4", 400), BUYER, 1001), action(0x21, fill_post("99", "", NEXT), SELLER, 1002)},
         S::Live, "6", 600, NEXT},
        {"a last offer above the lot",
         {listing(), action(0x20, buy("12", 400), BUYER, 1001), action(0x21, fill_post("99", "", NEXT), SELLER, 1002)},
         S::Sold, "0", 0, ""},
        {"a second fill after a closing one",
         {listing(), action(0x20, fill_post("0", "10", ""), SELLER, 1001), action(0x21, fill_post("4", "6", NEXT), SELLER, 1002)},
         S::Sold, "0", 0, ""},
        {"a fill naming no outpoint", {listing(), action(0x20, fill_post("4", "6", "lot_1"), SELLER, 1001)}, S::Live, "10", 1000, L},
        {"a fill after a cancel",
         {listing(), action(0x20, cancel, SELLER, 1001), action(0x21, fill_post("4", "6", NEXT), SELLER, 1002)},
         S::Cancelled, "10", 1000, L},
        {"a fill on an expired listing",
         {listing("10", 1000, 1500), action(0x20, fill_post("4", "6", NEXT), SELLER, 2000)},
         S::Live, "4", 400, NEXT},
        // Same "ts": the cancel with the smaller txid comes before the listing and finds nothing.
        {"a cancel at the same time, txid before", {listing(), action(0x05, cancel, SELLER, 1000)}, S::Live, "10", 1000, L},
        {"a cancel at the same time, txid after, given first", {action(0x15, cancel, SELLER, 1000), listing()},
         S::Cancelled, "10", 1000, L},
        {"an architect's force cancel",
         {listing(), action(0x20, buy("1", 100), BUYER, 1001), action(0x21, force, ARCHITECT, 1002)},
         S::ForceCancelled, "10", 1000, L},
        {"the seller's force cancel", {listing(), action(0x21, force, SELLER, 1002)}, S::Live, "10", 1000, L},
        {"a force cancel without architects", {listing(), action(0x21, force, ARCHITECT, 1002)}, S::Live, "10", 1000, L, 0, no_architects},
        {"posts on another listing and of unknown types",
         {listing(), record(txid_of(0x20), sign(Json{{"type", "ag_cancel"}, {"listing", txid_of(0x77)}}, SELLER, 1001)),
          action(0x21, Json{{"type", "ag_other"}}, SELLER, 1002)},
         S::Live, "10", 1000, L},
    };
    for (const Case& c : cases) {
        const auto book = reduce(c.posts, c.context);
        ASSERT_EQ(book.size(), 1u) << c.what;
        const Listing& l = book.at(LISTING);
        EXPECT_EQ(l.status, c.status) << c.what;
        EXPECT_EQ(l.qty, c.qty) << c.what;
        EXPECT_EQ(l.price_sats, c.price) << c.what;
        EXPECT_EQ(l.offers.size(), c.offers) << c.what;
        EXPECT_EQ(l.utxo, tx::parse_outpoint(c.utxo)) << c.what;
    }
    EXPECT_EQ(book::mul_div_floor(18446744073709551615ULL, 18446744073709551615ULL, 18446744073709551615ULL),
              18446744073709551615ULL);
    EXPECT_EQ(book::mul_div_floor(7, 1, 10), 0u);
    EXPECT_EQ(book::mul_div_floor(1ULL << 63, 4, 8), 1ULL << 62);
    EXPECT_EQ(book::mul_div_floor(1ULL << 63, 6, 3), 18446744073709551615ULL);  // saturates
    EXPECT_EQ(book::mul_div_floor(18446744073709551615ULL, 18446744073709551615ULL, 1ULL << 63), 18446744073709551615ULL);
}

// Both ways of closing: the lot sold whole, or a fill naming no new output. The view drops
// sold listings; an expired one keeps what its fill left.
TEST(ReduceBook, ClosingFillsSellTheListingAndTheViewDropsIt)
{
    for (const Json& closing : {fill_post("0", "10", txid_of(0xbb) + "_2"), fill_post("5", "5", "")}) {
        auto book = reduce({listing(), action(0x20, buy("10", 1000), BUYER, 1001), action(0x21, closing, SELLER, 1002)});
        EXPECT_EQ(book.at(LISTING).status, book::ListingStatus::Sold) << closing.dump();
        EXPECT_TRUE(book.at(LISTING).qty == "0" && !book.at(LISTING).utxo);
        EXPECT_TRUE(book.at(LISTING).offers.empty());
        EXPECT_TRUE(book::book_view_of(book, 0).empty());
    }
    auto view = book::book_view_of(
        reduce({listing("10", 1000, 1500), action(0x20, fill_post("4", "6", txid_of(0xbb) + "_2"), SELLER, 2000)}), 3000);
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0].status, book::ListingStatus::Expired);
    EXPECT_EQ(view[0].qty, "4");
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
    EXPECT_EQ(book.at(LISTING).pubkey, SELLER.pub);
    EXPECT_EQ(book.at(LISTING).status, book::ListingStatus::Live);
}

TEST(ReduceBook, OffersStayOnClosedListingsAndCancelByIdAndKey)
{
    auto book = reduce({listing(), action(0x20, Json{{"type", "ag_cancel"}}, SELLER, 1001),
                        action(0x21, buy("1", 100), BUYER, 1002), action(0x22, buy("2", 200), MALLORY, 1003),
                        action(0x23, buy("3", 300), BUYER, 1004),
                        action(0x24, Json{{"type", "ag_offer_cancel"}, {"offer", core::ascii_lower(txid_of(0x21))}}, BUYER, 1005)});
    const auto& offers = book.at(LISTING).offers;
    ASSERT_EQ(offers.size(), 2u);
    EXPECT_EQ(offers[0].id, *tx::Txid::parse(txid_of(0x22)));
    EXPECT_EQ(offers[0].handle, "mallory");
    EXPECT_EQ(offers[0].pay_sats, 200u);
    EXPECT_EQ(offers[1].id, *tx::Txid::parse(txid_of(0x23)));
    EXPECT_EQ(offers[1].created, 1004);
}

// A listing pays the house fee in full and the oracle: otherwise, with its change output, it is
// cancelled; with two outputs it is unpaid but stands; a reserve of the bound wallet vouches for it.
TEST(ReduceBook, AListingWithoutItsFeeIsCancelled)
{
    using S = book::ListingStatus;
    const Json post = sign(booktest::listing_post("10", 1000, LOT_UTXO), SELLER, 1000);
    book::ReduceContext reserved = context();
    reserved.reserved_listing_ids.insert(LISTING);
    auto paid = [&](const std::function<void(Json&)>& change) {
        Json tx = booktest::post_tx(post);
        change(tx["vout"]);
        return tx;
    };
    struct Case {
        const char* what;
        Json tx;
        S status;
        book::ReduceContext context = reduce_test::context();
    };
    const Case cases[] = {
        {"no fee, with change", booktest::post_tx(post, false, true), S::Cancelled},
        {"no fee, no change", booktest::post_tx(post, false, false), S::Live},
        {"no fee, reserved", booktest::post_tx(post, false, true), S::Live, reserved},
        {"a fee one satoshi short", paid([](Json& v) { v[0]["value"] = 0.00999999; }), S::Cancelled},
        {"the fee in satoshis", paid([](Json& v) { v[0]["valueSat"] = 1000000; v[0]["value"] = 0; }), S::Live},
        {"no oracle output", paid([](Json& v) { v[1]["scriptPubKey"]["addresses"] = Json::array({booktest::OTHER_ADDRESS}); }), S::Cancelled},
        {"the fee address under \"address\"", paid([](Json& v) {
             v[0]["scriptPubKey"].erase("addresses");
             v[0]["scriptPubKey"]["address"] = booktest::HOUSE_ADDRESS;
         }), S::Live},
    };
    for (const Case& c : cases) {
        const Listing l = reduce({record(LISTING_ID, post, 0, c.tx)}, c.context).at(LISTING);
        EXPECT_EQ(l.status, c.status) << c.what;
        EXPECT_EQ(l.fee_ok, c.status == S::Live && std::string(c.what) != "no fee, no change") << c.what;
    }
}

TEST(ReduceBook, TheSellersWordsAreKeptApartFromTheLot)
{
    Json post = booktest::listing_post("1", 1, LOT_UTXO);
    post.update(Json{{"name", "Gold"}, {"sym", "GLD"}, {"icon", txid_of(0x99) + "_0"}});
    const Listing l = reduce({record(LISTING_ID, sign(post, SELLER, 1000))}).at(LISTING);
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
        Listing l{.origin = c.origin, .kind = book::listing_kind_of(c.kind), .utxo = tx::parse_outpoint(LOT_UTXO), .claimed = c.claimed};
        book::apply_chain_facts(l, c.held, c.facts);
        EXPECT_EQ(l.icon, c.icon) << c.what;
        EXPECT_EQ(l.sym, c.sym) << c.what;
        EXPECT_EQ(l.chain_origin, c.chain_origin) << c.what;
        EXPECT_EQ(l.claims_differ, c.differs) << c.what;
        EXPECT_EQ(l.claimed.sym, c.claimed.sym) << c.what;
    }
}

// The view keeps closed listings but not sold or empty ones, newest first; only live ones expire.
TEST(BookView, KeepsClosedListingsButNotSoldOrEmptyOnesNewestFirst)
{
    using S = book::ListingStatus;
    std::map<tx::Txid, Listing> listings;
    const std::tuple<char, S, std::string, int64_t> rows[] = {
        {'a', S::Live, "5", 1}, {'b', S::Cancelled, "5", 3}, {'c', S::Sold, "5", 4}, {'d', S::Live, "0", 5},
        {'e', S::ForceCancelled, "1", 2}, {'f', S::Live, "junk", 6}, {'0', S::Cancelled, "2", 20'000}};
    for (const auto& [id, status, qty, created] : rows)
        listings[*tx::Txid::parse(std::string(64, id))] = {.id = *tx::Txid::parse(std::string(64, id)), .qty = qty, .created = created, .exp = 10'000, .status = status};
    std::string shown;
    for (const Listing& l : book::book_view_of(listings, 10'001)) shown += l.id.hex()[0] + std::string(book::listing_status_text(l.status)) + " ";
    EXPECT_EQ(shown, "0cancelled bcancelled eforce_cancelled aexpired ");
}

using book::HistoryRow;

std::vector<HistoryRow> history(const std::vector<PostRecord>& posts, const std::string& my_key)
{
    std::map<tx::Txid, Listing> listings = reduce(posts);
    for (auto& [id, listing] : listings) listing.name = "Token";
    return book::history_rows(posts, listings, my_key);
}

const HistoryRow* row_of(const std::vector<HistoryRow>& rows, const std::string& txid)
{
    auto row = std::find_if(rows.begin(), rows.end(), [&](const HistoryRow& r) { return r.txid.hex() == txid; });
    return row == rows.end() ? nullptr : &*row;
}

std::vector<PostRecord> market()
{
    return {
        listing(),
        action(0x20, buy("3", 300), BUYER, 1001),
        action(0x21, buy("4", 400), MALLORY, 1002),
        // The seller fills the other buyer's offer without naming sold, pay or buyer.
        action(0x22, Json{{"type", "ag_fill"}, {"qty", "6"}, {"utxo", txid_of(0xab) + "_1"}}, SELLER, 1003),
        action(0x23, buy("1", 100), BUYER, 1004),
        action(0x24, Json{{"type", "ag_offer_cancel"}, {"offer", txid_of(0x23)}}, BUYER, 1005),
        action(0x25, buy("2", 200), BUYER, 1006),
    };
}

// Each viewer's rows of the market: which posts are theirs, in which role, against whom.
TEST(HistoryRows, EachViewerSeesTheirOwnRowsInTheirRole)
{
    struct Case {
        const char* name;
        std::string viewer;
        std::string txid;
        std::string role;  // "": no such row
        std::string counterparty = "";
        std::string qty = "";
        uint64_t pay_sats = 0;
        bool open = false;
    };
    std::vector<PostRecord> posts = market();
    posts.push_back(action(0x30, buy("1", 1), BUYER, 1006));  // equal times: descending txid order
    posts.push_back(action(0x01, buy("1", 1), BUYER, 1006));
    const Case cases[] = {
        {"without a key the listing is a row at its price", "", LISTING_ID, "sell", "", "", 1000},
        {"a fill naming nothing takes the last offer", SELLER.pub, txid_of(0x22), "sell", "mallory", "4", 400},
        {"the seller sees offers on his listing, never open", SELLER.pub, txid_of(0x25), "buy", "seller", "2", 200},
        {"the buyer's withdrawal is not the seller's row", SELLER.pub, txid_of(0x24), ""},
        {"a fill on a listing the buyer offered on is a purchase", BUYER.pub, txid_of(0x22), "buy", "seller", "4", 400},
        {"the buyer does not see the listing", BUYER.pub, LISTING_ID, ""},
        {"nor another buyer's offer", BUYER.pub, txid_of(0x21), ""},
        {"an offer cleared by the fill is closed", BUYER.pub, txid_of(0x20), "buy", "seller", "3", 300},
        {"a withdrawn offer is closed", BUYER.pub, txid_of(0x23), "buy", "seller", "1", 100},
        {"the withdrawal is the buyer's", BUYER.pub, txid_of(0x24), "buy", "seller"},
    };
    EXPECT_EQ(history(posts, "").size(), posts.size());
    EXPECT_EQ(history(posts, SELLER.pub).size(), 8u);  // the listing, the fill, the six offers
    for (const Case& c : cases) {
        const auto rows = history(posts, c.viewer);
        const HistoryRow* row = row_of(rows, c.txid);
        ASSERT_EQ(row != nullptr, !c.role.empty()) << c.name;
        if (!row) continue;
        EXPECT_EQ(row->role, c.role) << c.name;
        if (!c.counterparty.empty()) { EXPECT_EQ(row->counterparty, c.counterparty) << c.name; }
        if (!c.qty.empty()) { EXPECT_EQ(row->qty, c.qty) << c.name; }
        if (c.pay_sats) { EXPECT_EQ(row->pay_sats, c.pay_sats) << c.name; }
        EXPECT_EQ(row->open, c.open) << c.name;
        EXPECT_EQ(row->listing + row->name, LISTING_ID + "Token") << c.name;
        if (c.role == "sell") { EXPECT_EQ(row->origin, txid_of(0xee) + "_0") << c.name; }  // from the listing
    }
    const auto rows = history(posts, BUYER.pub);
    EXPECT_EQ(row_of(rows, txid_of(0x22))->handle, "you");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].txid.hex() + rows[1].txid.hex() + rows[2].txid.hex(), txid_of(0x30) + txid_of(0x25) + txid_of(0x01));
    EXPECT_TRUE(rows[1].open);  // the last offer
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].time, rows[i].time);
}

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

std::map<tx::Txid, Listing> reduced(std::vector<PostRecord> posts, bool drop)
{
    if (drop) book::drop_replays(posts);
    return reduce(posts, booktest::reduce_context());
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
        ASSERT_NE(reduced(posts, false).at(*tx::Txid::parse(LISTING_B)).status, book::ListingStatus::Live) << body.dump();
        auto book = reduced(posts, true);
        EXPECT_NE(book.at(*tx::Txid::parse(LISTING_A)).status == book::ListingStatus::Live, body["type"] == "ag_cancel") << body.dump();
        EXPECT_EQ(book.at(*tx::Txid::parse(LISTING_B)).status, book::ListingStatus::Live) << body.dump();
        EXPECT_EQ(book.at(*tx::Txid::parse(LISTING_B)).qty + std::to_string(book.at(*tx::Txid::parse(LISTING_B)).price_sats), "109000") << body.dump();
    }

    Json listing = sign(booktest::listing_post("10", 1000, txid_of(0xa1) + "_1"), SELLER, 1000);
    Json repriced = listing;
    repriced["price_sats"] = 1;
    std::vector<PostRecord> posts = {record(txid_of(0x06), repriced, 1), record(txid_of(0x60), listing, 0)};
    EXPECT_EQ(reduced(posts, false).size(), 2u);
    auto book = reduced(posts, true);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book.at(*tx::Txid::parse(txid_of(0x60))).price_sats, 1000u);
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

    std::vector<Json> copies(5, original);
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
    EXPECT_EQ(posts[0].txid.hex(), txid_of(0x90));

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
    EXPECT_EQ(book::replays_to_place(posts), std::vector<tx::Txid>{copy.txid});
    EXPECT_EQ(book::withhold_unplaced_replays(posts), 2u);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].txid, alone.txid);
}

} // namespace reduce_test
