// The wallet lock: re-entrant holds, letting go of every level around slow work and taking
// them back, and what another thread can do meanwhile.
#include <atomic>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"

namespace {

// The session whose wallet lock the cases take.
wallet::WalletSession& ws() { static wallet::WalletSession session; return session; }

// Whether another thread can take the wallet lock right now (without waiting).
bool free_for_another_thread()
{
    return std::async(std::launch::async, [&] {
               bool got = ws().lock_mutex().try_lock();
               if (got) ws().lock_mutex().unlock();
               return got;
           })
        .get();
}

TEST(WalletLock, NestedHoldsCountLevelsAndOnlyTheLastReleases)
{
    EXPECT_EQ(wallet_lock_levels(ws()), 0u);
    {
        wallet::WalletLock outer(ws());
        {
            wallet::WalletLock inner(ws());
            EXPECT_EQ(wallet_lock_levels(ws()), 2u);
            EXPECT_FALSE(free_for_another_thread());
        }
        EXPECT_EQ(wallet_lock_levels(ws()), 1u);
        EXPECT_FALSE(free_for_another_thread());
    }
    EXPECT_EQ(wallet_lock_levels(ws()), 0u);
    EXPECT_TRUE(free_for_another_thread());
}

TEST(WalletLock, UnlockInsideNestedHoldsFreesEveryLevelAndRestoresTheDepth)
{
    wallet::WalletLock a(ws());
    wallet::WalletLock b(ws());
    wallet::WalletLock c(ws());
    ASSERT_EQ(wallet_lock_levels(ws()), 3u);
    {
        wallet::WalletUnlock unlock(ws());
        EXPECT_EQ(wallet_lock_levels(ws()), 0u);
        EXPECT_TRUE(free_for_another_thread());
        {
            // Taking the lock again inside the released stretch nests from zero.
            wallet::WalletLock again(ws());
            EXPECT_EQ(wallet_lock_levels(ws()), 1u);
            EXPECT_FALSE(free_for_another_thread());
        }
        EXPECT_TRUE(free_for_another_thread());
    }
    EXPECT_EQ(wallet_lock_levels(ws()), 3u);
    EXPECT_FALSE(free_for_another_thread());
}

TEST(WalletLock, UnlockWithoutAHoldChangesNothing)
{
    {
        wallet::WalletUnlock unlock(ws());
        EXPECT_EQ(wallet_lock_levels(ws()), 0u);
    }
    EXPECT_EQ(wallet_lock_levels(ws()), 0u);
    EXPECT_TRUE(free_for_another_thread());

    // Another thread's hold is not this thread's to release.
    std::promise<void> held;
    std::promise<void> done;
    std::thread owner([&] {
        wallet::WalletLock lock(ws());
        held.set_value();
        done.get_future().wait();
    });
    held.get_future().wait();
    {
        wallet::WalletUnlock unlock(ws());
        EXPECT_EQ(wallet_lock_levels(ws()), 0u);
        EXPECT_FALSE(ws().lock_mutex().try_lock());
    }
    done.set_value();
    owner.join();
    EXPECT_TRUE(free_for_another_thread());
}

TEST(WalletLock, TakingTheLockBackWaitsForTheThreadThatHoldsItMeanwhile)
{
    wallet::WalletLock outer(ws());
    wallet::WalletLock inner(ws());
    std::promise<void> taken;
    std::promise<void> go;
    std::atomic<bool> other_released{false};
    std::thread other;
    {
        wallet::WalletUnlock unlock(ws());
        other = std::thread([&] {
            wallet::WalletLock lock(ws());
            taken.set_value();
            go.get_future().wait();
            other_released = true;
        });
        taken.get_future().wait();
        go.set_value();
    }
    // Back with both levels only once the other thread let go.
    EXPECT_TRUE(other_released);
    EXPECT_EQ(wallet_lock_levels(ws()), 2u);
    other.join();
}

} // namespace
