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
    std::map<std::string, book::Listing> listings;
    book::reduce_book(posts, booktest::reduce_context({ARCHITECT.pub}), listings);
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
    posts.push_back(act(0x30, buy("1", 1), BUYER, 1006));  // equal times: descending txid order
    posts.push_back(act(0x01, buy("1", 1), BUYER, 1006));
    const Case cases[] = {
        {"without a key the listing is a row at its price", "", LISTING_ID, "sell", "", "", 1000},
        {"a fill naming nothing takes the last offer", SELLER.pub, txid_of(0x22), "sell", "other", "4", 400},
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
    EXPECT_EQ(rows[0].txid + rows[1].txid + rows[2].txid, txid_of(0x30) + txid_of(0x25) + txid_of(0x01));
    EXPECT_TRUE(rows[1].open);  // the last offer
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].time, rows[i].time);
}

// An architect's force cancel is a book row, not the seller's; a fill naming what was sold and to
// whom uses that.
TEST(HistoryRows, ForceCancelsAndFillsThatNameTheirBuyer)
{
    std::vector<PostRecord> posts = market();
    posts.push_back(act(0x40, Json{{"type", "ag_force_cancel"}}, ARCHITECT, 1100));
    posts.push_back(act(0x41, Json{{"type", "ag_fill"}, {"qty", "4"}, {"sold", "2"}, {"pay_sats", 250},
                                   {"buyer", "buyer"}, {"utxo", txid_of(0xac) + "_1"}}, SELLER, 1200));
    EXPECT_FALSE(row_of(history(posts, SELLER.pub), txid_of(0x40)));
    EXPECT_TRUE(row_of(history(posts, ""), txid_of(0x40)));
    const HistoryRow* purchase = row_of(history(posts, BUYER.pub), txid_of(0x41));
    ASSERT_TRUE(purchase);
    EXPECT_EQ(purchase->qty + "|" + std::to_string(purchase->pay_sats) + "|" + purchase->counterparty, "2|250|seller");
    EXPECT_EQ(row_of(history(posts, SELLER.pub), txid_of(0x41))->counterparty, "buyer");
}

} // namespace
