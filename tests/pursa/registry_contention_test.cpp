#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/pursa_program.h"
#include "tests/wallet/wallet_fixture.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"

namespace {

using namespace std::chrono_literals;
using wallettest::WalletDirTest;

// The lock is held by the process that took it: a second process waits for it.
TEST_F(WalletDirTest, PursaWaitsWhileThisProcessHoldsTheRegistryLock)
{
    std::unique_ptr<platform::ChildProcess> child;
    {
        wallet::RegistryLock lock;
        child = pursatest::start_pursa(m_temp.path(), {"create"});
        ASSERT_TRUE(child);
        std::this_thread::sleep_for(700ms);
        EXPECT_FALSE(exists("wallets.json")) << "Pursa wrote the registry while this process held the lock";
        EXPECT_TRUE(child->running());
    }
    EXPECT_EQ(child->wait(30s), 0);
    EXPECT_EQ(wallet::list_wallets().size(), 1u);
}

} // namespace
