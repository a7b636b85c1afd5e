#include <gtest/gtest.h>

#include "ui/tools/sample_market.h"
#include "ui/worker_jobs.h"

namespace {

// A listing a failed or partial load did not return may still be live: nothing is settled.
// A complete load drops the reserves of closed listings, and only while a wallet is bound.
TEST(BookJob, OnlyACompleteLoadWithAWalletDropsTheReservesOfClosedListings)
{
    auto book = ui::sample_book(4);
    book[0].status = book::ListingStatus::Sold;
    book[1].status = book::ListingStatus::Cancelled;
    book[1].fee_ok = false;
    book[2].status = book::ListingStatus::Live;
    ui::ScriptedServices services;
    services.set_reserves({book[0].id, book[1].id, book[2].id, *tx::Txid::parse(std::string(64, '9'))});
    services.set_book(book);
    EXPECT_TRUE(ui::run_book_job(services, true).dropped.empty());

    services.set_wallet({.bound = true, .wallet_id = "w"});
    services.set_book_incomplete(3);
    auto result = ui::run_book_job(services, true);
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.complete);
    EXPECT_TRUE(result.dropped.empty());
    services.set_book_error("-");  // fails with an empty sentence: it gets one
    result = ui::run_book_job(services, true);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "error: book load failed");
    EXPECT_TRUE(services.removed_reserves().empty());

    services.set_book(book);
    services.set_book_incomplete(0);
    EXPECT_EQ(ui::run_book_job(services, true).dropped, std::vector<tx::Txid>{book[0].id});
    EXPECT_EQ(services.removed_reserves(), std::vector<tx::Txid>{book[0].id});
}

} // namespace
