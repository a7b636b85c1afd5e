#include "book/history.h"

#include <gtest/gtest.h>

#include "book/reduce.h"
#include "tests/book/post_factory.h"

namespace {

using book::HistoryRow;
using book::Json;
using book::PostRecord;
using booktest::record;
using booktest::sign;
using booktest::txid_of;

const booktest::Trader SELLER = booktest::trader(41, "seller");
const booktest::Trader BUYER = booktest::trader(42, "buyer");
const booktest::Trader OTHER = booktest::trader(43, "other");
const booktest::Trader ARCHITECT = booktest::trader(44, "arch");

const std::string LISTING_ID = txid_of(0x10);

PostRecord act(unsigned txid_byte, Json body, const booktest::Trader& who, int64_t ts)
{
    body["listing"] = LISTING_ID;
    return record(txid_of(txid_byte), sign(std::move(body), who, ts));
}

Json buy(const std::string& qty, uint64_t pay)
{
    return Json{{"type", "ag_buy"}, {"qty", qty}, {"pay_sats", pay}, {"buyer_ord", "1B"}, {"offer", "00"}};
}

std::vector<HistoryRow> history(const std::vector<PostRecord>& posts, const std::string& my_key)
{
    book::ReduceContext context;
    context.house_fee_address = booktest::HOUSE_ADDRESS;
    context.oracle_address = booktest::ORACLE_ADDRESS;
    context.architect_keys = {ARCHITECT.pub};
    std::map<std::string, book::Listing> listings;
    book::reduce_book(posts, context, listings);
    for (auto& [id, listing] : listings) listing.name = "Token";
    return book::history_rows(posts, listings, my_key);
}

const HistoryRow* row_of(const std::vector<HistoryRow>& rows, const std::string& txid)
{
    for (const HistoryRow& row : rows) {
        if (row.txid == txid) return &row;
    }
    return nullptr;
}

std::vector<PostRecord> market()
{
    Json list = booktest::listing_post("10", 1000, txid_of(0xaa) + "_1");
    return {
        record(LISTING_ID, sign(list, SELLER, 1000)),
        act(0x20, buy("3", 300), BUYER, 1001),
        act(0x21, buy("4", 400), OTHER, 1002),
        // The seller fills the other buyer's offer without naming sold, pay or buyer.
        act(0x22, Json{{"type", "ag_fill"}, {"qty", "6"}, {"utxo", txid_of(0xab) + "_1"}}, SELLER, 1003),
        act(0x23, buy("1", 100), BUYER, 1004),
        act(0x24, Json{{"type", "ag_offer_cancel"}, {"offer", txid_of(0x23)}}, BUYER, 1005),
        act(0x25, buy("2", 200), BUYER, 1006),
    };
}

TEST(HistoryRows, WithoutAKeyEveryPostIsARow)
{
    auto rows = history(market(), "");
    EXPECT_EQ(rows.size(), market().size());
    const HistoryRow* list = row_of(rows, LISTING_ID);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role, "sell");
    EXPECT_EQ(list->listing, LISTING_ID);
    EXPECT_EQ(list->pay_sats, 1000u);  // no pay_sats: the listing's price
    EXPECT_EQ(list->name, "Token");
    EXPECT_EQ(list->origin, txid_of(0xee) + "_0");
}

TEST(HistoryRows, FillWithoutSoldOrPayTakesTheLastOffer)
{
    auto rows = history(market(), SELLER.pub);
    const HistoryRow* sale = row_of(rows, txid_of(0x22));
    ASSERT_TRUE(sale);
    EXPECT_EQ(sale->role, "sell");
    EXPECT_EQ(sale->qty, "4");
    EXPECT_EQ(sale->pay_sats, 400u);
    EXPECT_EQ(sale->counterparty, "other");
    EXPECT_EQ(sale->origin, txid_of(0xee) + "_0");  // from the listing
}

TEST(HistoryRows, SellerSeesOffersOnHisListingNotOthersRows)
{
    auto rows = history(market(), SELLER.pub);
    // The listing, the fill, and the four offers on his listing; the offer cancel is the buyer's.
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_FALSE(row_of(rows, txid_of(0x24)));
    const HistoryRow* offer = row_of(rows, txid_of(0x25));
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->role, "buy");
    EXPECT_EQ(offer->counterparty, "seller");
    EXPECT_FALSE(offer->open);  // open is shown only to the one who made the offer
}

TEST(HistoryRows, FillOnAListingTheUserOfferedOnIsAPurchase)
{
    auto rows = history(market(), BUYER.pub);
    const HistoryRow* purchase = row_of(rows, txid_of(0x22));
    ASSERT_TRUE(purchase);
    EXPECT_EQ(purchase->role, "buy");
    EXPECT_EQ(purchase->handle, "you");
    EXPECT_EQ(purchase->counterparty, "seller");
    EXPECT_FALSE(purchase->open);
    EXPECT_FALSE(row_of(rows, LISTING_ID));
    EXPECT_FALSE(row_of(rows, txid_of(0x21)));  // another buyer's offer
}

TEST(HistoryRows, OpenFlagsFollowTheReducedBook)
{
    auto rows = history(market(), BUYER.pub);
    // The offer made before the fill was cleared by it; the withdrawn one is gone; the last is open.
    ASSERT_TRUE(row_of(rows, txid_of(0x20)));
    EXPECT_FALSE(row_of(rows, txid_of(0x20))->open);
    ASSERT_TRUE(row_of(rows, txid_of(0x23)));
    EXPECT_FALSE(row_of(rows, txid_of(0x23))->open);
    ASSERT_TRUE(row_of(rows, txid_of(0x25)));
    EXPECT_TRUE(row_of(rows, txid_of(0x25))->open);
    const HistoryRow* withdrawal = row_of(rows, txid_of(0x24));
    ASSERT_TRUE(withdrawal);
    EXPECT_EQ(withdrawal->role, "buy");
    EXPECT_EQ(withdrawal->counterparty, "seller");
}

TEST(HistoryRows, NewestFirstAndEqualTimesInDescendingTxidOrder)
{
    std::vector<PostRecord> posts = market();
    posts.push_back(act(0x30, buy("1", 1), BUYER, 1006));
    posts.push_back(act(0x01, buy("1", 1), BUYER, 1006));
    auto rows = history(posts, BUYER.pub);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].txid, txid_of(0x30));
    EXPECT_EQ(rows[1].txid, txid_of(0x25));
    EXPECT_EQ(rows[2].txid, txid_of(0x01));
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].time, rows[i].time);
}

TEST(HistoryRows, AnArchitectsForceCancelIsNotTheSellersRow)
{
    std::vector<PostRecord> posts = market();
    posts.push_back(act(0x40, Json{{"type", "ag_force_cancel"}}, ARCHITECT, 1100));
    auto rows = history(posts, SELLER.pub);
    EXPECT_FALSE(row_of(rows, txid_of(0x40)));
    auto all = history(posts, "");
    ASSERT_TRUE(row_of(all, txid_of(0x40)));
    EXPECT_EQ(row_of(all, txid_of(0x40))->role, "sell");
}

TEST(HistoryRows, FillWithSoldAndBuyerUsesThem)
{
    std::vector<PostRecord> posts = market();
    posts.push_back(act(0x41, Json{{"type", "ag_fill"}, {"qty", "4"}, {"sold", "2"}, {"pay_sats", 250},
                                   {"buyer", "buyer"}, {"utxo", txid_of(0xac) + "_1"}}, SELLER, 1200));
    auto rows = history(posts, BUYER.pub);
    const HistoryRow* purchase = row_of(rows, txid_of(0x41));
    ASSERT_TRUE(purchase);
    EXPECT_EQ(purchase->qty, "2");
    EXPECT_EQ(purchase->pay_sats, 250u);
    EXPECT_EQ(purchase->counterparty, "seller");
    auto seller_rows = history(posts, SELLER.pub);
    EXPECT_EQ(row_of(seller_rows, txid_of(0x41))->counterparty, "buyer");
}

} // namespace
