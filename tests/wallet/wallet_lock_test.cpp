// The wallet lock: re-entrant holds, letting go of every level around slow work and taking them
// back, and what another thread can do meanwhile.
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"

namespace {

// Whether another thread can take the session's wallet lock right now (without waiting).
bool free_for_another_thread(wallet::WalletSession& ws)
{
    return std::async(std::launch::async, [&] {
               bool got = ws.lock_mutex().try_lock();
               if (got) ws.lock_mutex().unlock();
               return got;
           })
        .get();
}

TEST(WalletLock, UnlockFreesEveryLevelOfThisThreadAndTakesThemBack)
{
    wallet::WalletSession ws;
    {
        wallet::WalletUnlock unlock(ws);  // without a hold: changes nothing
    }
    EXPECT_EQ(wallet_lock_levels(ws), 0u);
    wallet::WalletLock a(ws), b(ws), c(ws);
    ASSERT_EQ(wallet_lock_levels(ws), 3u);
    {
        wallet::WalletUnlock unlock(ws);
        EXPECT_EQ(wallet_lock_levels(ws), 0u);
        EXPECT_TRUE(free_for_another_thread(ws));
        {
            wallet::WalletLock again(ws);  // nests from zero
            EXPECT_EQ(wallet_lock_levels(ws), 1u);
            EXPECT_FALSE(free_for_another_thread(ws));
        }
        EXPECT_TRUE(free_for_another_thread(ws));
    }
    EXPECT_EQ(wallet_lock_levels(ws), 3u);
    EXPECT_FALSE(free_for_another_thread(ws));
}

TEST(WalletLock, AnotherThreadsHoldIsKept)
{
    wallet::WalletSession ws;
    std::promise<void> held, go;
    std::thread owner([&] {
        wallet::WalletLock lock(ws);
        held.set_value();
        go.get_future().wait();
    });
    held.get_future().wait();
    {
        wallet::WalletUnlock unlock(ws);
        EXPECT_FALSE(ws.lock_mutex().try_lock());
    }
    go.set_value();
    owner.join();
    EXPECT_TRUE(free_for_another_thread(ws));
}

} // namespace
