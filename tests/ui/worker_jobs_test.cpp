#include <gtest/gtest.h>

#include "ui/tools/sample_market.h"
#include "ui/worker_jobs.h"

namespace {

ui::WalletSnapshot bound_wallet()
{
    ui::WalletSnapshot w;
    w.bound = true;
    w.wallet_id = "w";
    return w;
}

// A listing a failed or partial load did not return may still be live: nothing is settled. A
// failure without a sentence gets one.
TEST(BookJob, AFailedOrIncompleteLoadKeepsEveryReserve)
{
    auto book = ui::sample_book(4);
    book[0].status = book::ListingStatus::Sold;
    ui::ScriptedServices services;
    services.set_wallet(bound_wallet());
    services.set_reserves({book[0].id, "b"});
    services.set_book_error("-");  // fails with an empty sentence
    EXPECT_EQ(ui::run_book_job(services, true).error, "error: book load failed");
    services.set_book_error("error: registry unreachable.");
    auto result = ui::run_book_job(services, true);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "error: registry unreachable.");
    EXPECT_TRUE(result.wallet.bound);
    services.set_book(book);
    services.set_book_incomplete(3);
    result = ui::run_book_job(services, true);
    EXPECT_TRUE(result.ok);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.unread, 3u);
    EXPECT_FALSE(result.balance_ok);
    EXPECT_TRUE(result.dropped.empty());
    EXPECT_TRUE(services.removed_reserves().empty());
}

TEST(BookJob, DropsClosedListingsOnlyWhileBound)
{
    auto book = ui::sample_book(4);
    book[0].status = book::ListingStatus::Sold;
    book[1].status = book::ListingStatus::Cancelled;
    book[1].fee_ok = false;
    book[2].status = book::ListingStatus::Live;
    ui::ScriptedServices services;
    services.set_book(book);
    services.set_reserves({book[0].id, book[1].id, book[2].id, std::string(64, '9'), ""});
    const auto unbound = ui::run_book_job(services, true);
    EXPECT_TRUE(unbound.dropped.empty());
    EXPECT_EQ(unbound.view.size(), 4u);

    services.set_wallet(bound_wallet());
    const auto bound = ui::run_book_job(services, true);
    EXPECT_EQ(bound.dropped, std::vector<std::string>{book[0].id});
    EXPECT_EQ(services.removed_reserves(), std::vector<std::string>{book[0].id});
}

TEST(UpdateJob, OnlyACompletedTransferWithStatus200To399IsRead)
{
    const std::tuple<bool, int, int> cases[] = {{true, 200, 3}, {true, 399, 3}, {true, 404, -1}, {true, 199, -1}, {false, 200, -1}};
    for (const auto& [ok, status, version] : cases) {
        ui::ScriptedServices services;
        services.set_update_page({ok, status, "Current build version 0.003"});
        EXPECT_EQ(ui::run_update_job(services), version) << status;
    }
}

} // namespace
