// The wallet lock around the funding layer's network requests: other threads use the wallet
// while coin lists and recent broadcasts are fetched, and a wallet switched meanwhile is noticed
// instead of mixing two wallets' coins.
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "funding/gather.h"
#include "funding/pay.h"
#include "funding/refresh.h"
#include "tests/support/fake_http.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/test_txid.h"
#include "tests/support/funding_outcome.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"

namespace {

class WalletRelease : public fundingtest::FundingDevnetTest {
protected:
    void SetUp() override
    {
        FundingDevnetTest::SetUp();
        write_registry({{"w1", hd_wallet(wallettest::ABANDON_MNEMONIC, {{"recv", {0, 2, 0, 0, 0, 0}}})},
                        {"w2", hd_wallet(wallettest::LEGAL_MNEMONIC)}});
        ASSERT_EQ(wallet::active_wallet_id(ws()), "w1");
    }
    void switch_to(const std::string& id)
    {
        wallet::WalletLock lock(ws());
        wallet::wallet_forget(ws());
        ASSERT_TRUE(wallet::bind_wallet(ws(), id));
        ASSERT_TRUE(wallet::wallet_load(ws()));
    }

    // Runs what on another thread and waits for it; false when it could not finish within
    // five seconds (it would wait for a wallet lock that is never let go).
    static bool on_another_thread(const std::function<void()>& what)
    {
        auto task = std::make_shared<std::packaged_task<void()>>(what);
        auto done = task->get_future();
        std::thread([task] { (*task)(); }).detach();  // never waited for past the deadline
        return done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    }
};

// A refresh, on a thread that holds the wallet lock around it as callers do, lets go of it
// while the lists are fetched; the wallet switched meanwhile is noticed, and the first wallet's
// lists never reach the second wallet's memory.
TEST_F(WalletRelease, WalletSwitchedDuringTheFetchIsNoticed)
{
    fund(0, {20000});
    const std::string w1_address = receive_address(0);
    devnet().fault("woc", {{"delay_ms", 1500}});
    std::string result;
    std::atomic<bool> holding{false}, done{false};
    std::thread caller([&] {
        wallet::WalletLock lock(ws());
        holding = true;
        result = testsupport::outcome(funding::refresh_coins(session()));
        done = true;
    });
    while (!holding) std::this_thread::yield();
    {
        wallet::WalletLock lock(ws());  // waits until the refresh lets go
        EXPECT_FALSE(done);
        switch_to("w2");
    }
    caller.join();
    EXPECT_EQ(result, testsupport::failed(funding::FundingCode::WalletChanged));
    wallet::WalletLock lock(ws());
    EXPECT_EQ(session().coins().key, wallet::wallet_key(ws()));
    EXPECT_EQ(session().coins().lists.count(w1_address), 0u);
}

// A coin paying the wallet that no list shows any more but that the latest broadcast names:
// gathering's last resort fetches that transaction.
class RecentBroadcast : public WalletRelease {
protected:
    void SetUp() override
    {
        WalletRelease::SetUp();
        m_txid = fund(0, {20000});
        spend_elsewhere(0, test_txid(m_txid), 0, 20000, true);
    }

    // A session over the program's HTTP client that remembers m_txid as its latest broadcast
    // and runs hook once, before that transaction is first fetched.
    void remember_broadcast(std::function<void()> hook)
    {
        m_http.pass_through();
        m_http.set_handler([this, hook](const std::string&, const std::string& url, const std::string&) {
            if (url.find("/tx/" + m_txid) != std::string::npos && !m_hooked.exchange(true)) hook();
            return std::optional<net::HttpReply>();
        });
        start_session(&m_http);
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        session().coins().last_recorded_txid = test_txid(m_txid);
    }

    std::string m_txid;
    testsupport::FakeHttp m_http;
    std::atomic<bool> m_hooked{false};
};

TEST_F(RecentBroadcast, IsFetchedWithTheWalletLockFree)
{
    std::atomic<bool> other_got_it{false};
    remember_broadcast([&] { other_got_it = on_another_thread([&] { wallet::WalletLock lock(ws()); }); });
    wallet::WalletLock lock(ws());
    funding::Gathered g = funding::gather_coins(session(), {});
    EXPECT_TRUE(other_got_it);
    ASSERT_EQ(g.coins.size(), 1u);
    EXPECT_EQ(g.coins[0].txid.hex(), m_txid);
}

TEST_F(RecentBroadcast, PaymentEndsWhenTheWalletSwitchesDuringItsFetch)
{
    // The second wallet has money: a payment that went on after the switch would spend it and
    // send the change to the first wallet.
    switch_to("w2");
    std::string w2_coin = fund(0, {50000});
    switch_to("w1");
    remember_broadcast([&] { EXPECT_TRUE(on_another_thread([&] { switch_to("w2"); })); });
    EXPECT_EQ(testsupport::outcome(funding::pay_outputs(session(), to_other(1000))),
              testsupport::failed(funding::FundingCode::WalletChanged));
    EXPECT_TRUE(m_hooked);
    EXPECT_FALSE(spent_on_chain(w2_coin, 0));
}

} // namespace
