#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "tests/wallet/wallet_fixture.h"
#include "wallet/decimal_sum.h"
#include "wallet/parallel_loop.h"
#include "wallet/wallet_key.h"

namespace {

TEST(DecimalSum, AddsAnyLengthWithCarry)
{
    EXPECT_EQ(wallet::decimal_sum("15", ""), "15");
    EXPECT_EQ(wallet::decimal_sum("", ""), "0");
    EXPECT_EQ(wallet::decimal_sum("007", "0003"), "10");
    EXPECT_EQ(wallet::decimal_sum("999999999999999999999999999999", "999999999999999999999999999999"),
              "1999999999999999999999999999998");
    EXPECT_EQ(wallet::decimal_sum("18446744073709551615", "1"), "18446744073709551616");
    for (const char* bad : {"-1", "1.5", "1e3", " 1", "0x10", "١"}) EXPECT_FALSE(wallet::decimal_sum(bad, "1")) << bad;
}

// Every index once, never more at a time than the limit; the indices whose task threw are
// reported.
TEST(ParallelLoop, RunsEveryIndexOnceWithinTheLimit)
{
    for (size_t limit : {0u, 1u, 4u}) {
        std::mutex mutex;
        std::multiset<size_t> seen;
        std::atomic<int> running{0}, peak{0};
        const std::vector<size_t> failed = wallet::parallel_for(23, limit, [&](size_t i) {
            for (int now = ++running, old = peak.load(); now > old && !peak.compare_exchange_weak(old, now);) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            {
                std::lock_guard<std::mutex> guard(mutex);
                seen.insert(i);
            }
            --running;
            if (i == 7 || i == 19) throw std::runtime_error("a task that fails");
        });
        EXPECT_EQ(failed, (std::vector<size_t>{7, 19})) << limit;
        EXPECT_EQ(seen.size(), 23u) << limit;
        EXPECT_EQ(std::set<size_t>(seen.begin(), seen.end()).size(), 23u) << limit;
        EXPECT_LE(peak.load(), static_cast<int>(std::max<size_t>(1, limit))) << limit;
    }
}

using wallettest::WalletDirTest;

// The key naming a wallet's files: its bound id made safe for a file name, "wallet" unbound.
TEST_F(WalletDirTest, WalletKeyIsTheBoundIdMadeSafe)
{
    EXPECT_EQ(wallet::wallet_key_of("my wallet/../x"), "my_wallet____x");
    EXPECT_EQ(wallet::wallet_key_of(""), "wallet");
    EXPECT_EQ(wallet::wallet_key_of(std::string(100, 'k')).size(), 80u);
    EXPECT_EQ(wallet::wallet_key(ws()), "wallet");
    bind_single_wallet(hd_wallet(wallettest::ABANDON_MNEMONIC));
    EXPECT_EQ(wallet::wallet_key(ws()), "w1");
}

} // namespace
