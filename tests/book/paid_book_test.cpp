// The book end to end on the simulator: a bound wallet signs its posts with sign_post and pays
// for them through the payment pipeline, another trader makes an offer, and the program's own
// loading (default services, the wallet's listing reserves, the transaction cache in the data
// directory) shows the book, the reduced listings and the history.
#include <gtest/gtest.h>

#include "book/book_view.h"
#include "book/history.h"
#include "book/identity.h"
#include "book/sign_post.h"
#include "book/token_details.h"
#include "book/tx_cache.h"
#include "funding/pay.h"
#include "funding/reserves.h"
#include "net/market_addresses.h"
#include "tests/book/devnet_book.h"
#include "tests/funding/funding_fixture.h"
#include "wallet/wallet_lock.h"

namespace paid_book_test {

using book::HistoryRow;
using book::Json;
using book::Listing;

const booktest::Trader BOB = booktest::trader(71, "bob");

const HistoryRow* row_of(const std::vector<HistoryRow>& rows, const std::string& txid)
{
    for (const HistoryRow& row : rows) {
        if (row.txid == txid) return &row;
    }
    return nullptr;
}

const Listing* in_view(const std::vector<Listing>& view, const std::string& id)
{
    for (const Listing& listing : view) {
        if (listing.id == id) return &listing;
    }
    return nullptr;
}

// The "abandon" wallet bound as "carol", the program's services pointed at the simulator.
class PaidBookTest : public fundingtest::FundingDevnetTest {
protected:
    void SetUp() override
    {
        FundingDevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        book::clear_identity_cache();
        book::clear_token_cache();
        bind_single_wallet(hd_wallet(wallettest::ABANDON_MNEMONIC, {{"recv", {0, 2, 0, 0, 0, 0}}, {"paymail", "carol"}}));
        {
            wallet::WalletLock lock;
            wallet::wallet_forget();  // the base bound the same wallet without a handle
            ASSERT_TRUE(wallet::wallet_load());
            m_key = wallet::wallet_state().identity_pub;
            m_ord_address = wallet::ordinals_key()->address;
        }
        ASSERT_EQ(m_key.size(), 66u);
        devnet().set_identity("carol", m_key);
        devnet().set_identity("bob", BOB.pub);
        fund(0, {6'000'000});
    }
    void TearDown() override
    {
        book::clear_identity_cache();
        book::clear_token_cache();
        FundingDevnetTest::TearDown();
    }

    static core::Bytes p2pkh(std::string_view address) { return booktest::p2pkh_lock(address); }

    // Signs the post as the bound wallet and pays for it: the house fee when asked, 1 sat to the
    // oracle when asked, the post. Returns the txid, or "" after a recorded failure.
    std::string sign_and_pay(Json post, bool fee, bool oracle = true, const std::vector<std::string>& hold_back = {})
    {
        post["protocol"] = "TV-Agoran";
        post["location"] = "agoran";
        post["handle"] = "carol";
        std::string error;
        EXPECT_TRUE(book::sign_post(post, error)) << error;
        std::vector<tx::TxOutput> outputs;
        if (fee) outputs.push_back({1'000'000, p2pkh(net::HOUSE_FEE_ADDRESS)});
        if (oracle) outputs.push_back({1, p2pkh(net::BOOK_ORACLE_ADDRESS)});
        outputs.push_back({0, booktest::carrier(post)});
        std::string result = funding::pay_outputs(outputs, hold_back);
        EXPECT_EQ(result.rfind("success: ", 0), 0u) << result;
        m_ts[result.size() > 9 ? result.substr(9) : ""] = post.value("ts", int64_t{0});
        return result.rfind("success: ", 0) == 0 ? result.substr(9) : std::string();
    }

    // A lot of a new token at the wallet's ordinals address, reserved for listing.
    std::string reserved_lot(const std::string& symbol)
    {
        std::string lot = devnet().mint(m_ord_address, "100", symbol);
        EXPECT_EQ(funding::reserve_add(lot, lot, 4'000'000'000LL), "");
        return lot;
    }

    Json listing_of(const std::string& lot, const std::string& qty, uint64_t price)
    {
        Json post = booktest::listing_post(qty, price, lot);
        post["origin"] = lot;
        post["pay_addr"] = receive_address(0);
        post["ord_addr"] = m_ord_address;
        return post;
    }

    std::string m_key;
    std::string m_ord_address;
    std::map<std::string, int64_t> m_ts;  // txid -> the "ts" its post was signed with
};

TEST_F(PaidBookTest, PaidPostsMakeTheBookTheReducedListingsAndBothSidesHistories)
{
    // A listing with its fee, sold in part to bob.
    std::string lot = reserved_lot("TKN");
    std::string sold_in_part = sign_and_pay(listing_of(lot, "10", 1000), true, true, {lot});
    ASSERT_FALSE(sold_in_part.empty());
    ASSERT_EQ(funding::reserve_bind_listing(lot, sold_in_part), "");
    // A listing no index knows (no oracle output, so no fee either): only its reserve names it.
    std::string other_lot = reserved_lot("OTR");
    std::string unindexed = sign_and_pay(listing_of(other_lot, "5", 500), true, /*oracle=*/false, {other_lot});
    ASSERT_FALSE(unindexed.empty());
    ASSERT_EQ(funding::reserve_bind_listing(other_lot, unindexed), "");
    // A listing sold whole.
    std::string whole_lot = reserved_lot("ONE");
    std::string sold_out = sign_and_pay(listing_of(whole_lot, "1", 300), true, true, {whole_lot});
    ASSERT_FALSE(sold_out.empty());

    Json offer = {{"type", "ag_buy"}, {"listing", sold_in_part}, {"qty", "3"}, {"pay_sats", 300},
                  {"buyer_ord", booktest::OTHER_ADDRESS}, {"offer", "0100"}};
    std::string bob_offer = booktest::publish(devnet(), booktest::sign(offer, BOB, m_ts[sold_in_part] + 1));
    std::string part_fill = sign_and_pay(Json{{"type", "ag_fill"}, {"listing", sold_in_part}, {"qty", "7"},
                                              {"sold", "3"}, {"utxo", booktest::txid_of(0xbb) + "_1"},
                                              {"pay_sats", 300}, {"buyer", "bob"}},
                                         false);
    std::string whole_fill = sign_and_pay(Json{{"type", "ag_fill"}, {"listing", sold_out}, {"qty", "0"},
                                               {"sold", "1"}, {"utxo", ""}, {"pay_sats", 300}, {"buyer", "bob"}},
                                          false);
    ASSERT_FALSE(part_fill.empty());
    ASSERT_FALSE(whole_fill.empty());

    std::vector<Listing> view;
    std::map<std::string, Listing> reduced;
    std::string error;
    ASSERT_TRUE(book::load_book_view(view, reduced, error)) << error;

    ASSERT_EQ(view.size(), 2u);
    const Listing* part = in_view(view, sold_in_part);
    ASSERT_TRUE(part);
    EXPECT_EQ(part->status, "live");
    EXPECT_EQ(part->qty, "7");
    EXPECT_EQ(part->price_sats, 700u);
    EXPECT_EQ(part->utxo, booktest::txid_of(0xbb) + "_1");
    EXPECT_TRUE(part->fee_ok);
    EXPECT_EQ(part->pubkey, m_key);
    EXPECT_EQ(part->handle, "carol");
    EXPECT_EQ(part->sym, "TKN");
    EXPECT_TRUE(part->offers.empty());  // the fill answered bob's offer
    const Listing* reserved = in_view(view, unindexed);
    ASSERT_TRUE(reserved);
    EXPECT_EQ(reserved->status, "live");  // three outputs and no fee seen, but the reserve vouches
    EXPECT_TRUE(reserved->fee_ok);
    EXPECT_EQ(view[0].id, unindexed);     // newest first
    // The reduced book still holds the sold listing the view dropped.
    ASSERT_EQ(reduced.size(), 3u);
    EXPECT_EQ(reduced.at(sold_out).status, book::ListingStatus::Sold);
    EXPECT_FALSE(in_view(view, sold_out));
    EXPECT_TRUE(std::filesystem::exists(book::TxCache::default_dir()));

    std::vector<HistoryRow> rows;
    ASSERT_TRUE(book::load_history(rows, error, m_key)) << error;
    ASSERT_EQ(rows.size(), 6u);  // three listings, bob's offer on one, two fills
    EXPECT_EQ(rows[0].txid, whole_fill);
    const HistoryRow* sale = row_of(rows, part_fill);
    ASSERT_TRUE(sale);
    EXPECT_EQ(sale->role, "sell");
    EXPECT_EQ(sale->qty, "3");
    EXPECT_EQ(sale->pay_sats, 300u);
    EXPECT_EQ(sale->counterparty, "bob");
    EXPECT_EQ(sale->name, "TKN");
    const HistoryRow* offer_row = row_of(rows, bob_offer);
    ASSERT_TRUE(offer_row);
    EXPECT_EQ(offer_row->counterparty, "carol");
    EXPECT_FALSE(offer_row->open);

    std::vector<HistoryRow> bobs;
    ASSERT_TRUE(book::load_history(bobs, error, BOB.pub)) << error;
    ASSERT_EQ(bobs.size(), 2u);  // his offer and the fill that answered it
    const HistoryRow* purchase = row_of(bobs, part_fill);
    ASSERT_TRUE(purchase);
    EXPECT_EQ(purchase->role, "buy");
    EXPECT_EQ(purchase->handle, "you");
    EXPECT_EQ(purchase->counterparty, "carol");

    // Without its reserve the listing no index knows is no longer loaded.
    ASSERT_TRUE(funding::reserve_remove(unindexed));
    ASSERT_TRUE(book::load_book_view(view, reduced, error)) << error;
    EXPECT_FALSE(in_view(view, unindexed));
    EXPECT_EQ(reduced.count(unindexed), 0u);
    EXPECT_TRUE(in_view(view, sold_in_part));
}

} // namespace paid_book_test
