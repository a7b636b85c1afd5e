// The wallet lock around the funding layer's network requests: other threads use the wallet
// while coin lists and recent broadcasts are fetched, and a wallet switched meanwhile is noticed
// instead of mixing two wallets' coins. Also the wallet-bound memory that follows wallet loads
// and forgets, and the wallet's known balance reaching the final message.
#include <atomic>
#include <functional>
#include <memory>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "funding/gather.h"
#include "funding/offer_locks.h"
#include "funding/pay.h"
#include "funding/refresh.h"
#include "tests/support/fake_http.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/funding_outcome.h"
#include "wallet/app_binding.h"
#include "wallet/balance.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"
#include "tests/support/test_txid.h"

namespace {


// The program's HTTP client, with a hook run once before the first request whose URL contains
// the needle is sent.
class HookedHttp final : public testsupport::FakeHttp {
public:
    HookedHttp(std::string needle, std::function<void()> hook)
    {
        pass_through();
        set_handler([this, needle, hook](const std::string&, const std::string& url, const std::string&) {
            if (url.find(needle) != std::string::npos && !m_fired.exchange(true)) hook();
            return std::optional<net::HttpReply>();
        });
    }
    bool fired() const { return m_fired; }

private:
    std::atomic<bool> m_fired{false};
};

class WalletRelease : public fundingtest::FundingDevnetTest {
protected:
    void SetUp() override
    {
        FundingDevnetTest::SetUp();
        // A second wallet in the registry; "w1" stays bound.
        write_registry({{"w1", hd_wallet(wallettest::ABANDON_MNEMONIC, {{"recv", {0, 2, 0, 0, 0, 0}}})},
                        {"w2", hd_wallet(wallettest::LEGAL_MNEMONIC)},
                        {"bal-held", hd_wallet(wallettest::LEGAL_MNEMONIC)}});
        ASSERT_EQ(wallet::active_wallet_id(ws()), "w1");
    }
    void switch_to(const std::string& id)
    {
        wallet::WalletLock lock(ws());
        wallet::wallet_forget(ws());
        ASSERT_TRUE(wallet::bind_wallet(ws(), id));
        ASSERT_TRUE(wallet::wallet_load(ws()));
    }

    std::string key_now()
    {
        wallet::WalletLock lock(ws());
        return wallet::wallet_key(ws());
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

    // Runs refresh_coins on a thread that holds the wallet lock around it, as callers do, and
    // runs meanwhile on this thread once the lock is free. meanwhile_ran tells whether this
    // thread got the lock before the refresh returned.
    struct Outcome {
        std::string result;  // testsupport::outcome of the refresh
        bool meanwhile_ran = false;
    };
    Outcome refresh_with(const std::function<void()>& meanwhile)
    {
        Outcome out;
        std::atomic<bool> holding{false};
        std::atomic<bool> done{false};
        std::thread caller([&] {
            wallet::WalletLock lock(ws());
            holding = true;
            out.result = testsupport::outcome(funding::refresh_coins(session()));
            done = true;
        });
        while (!holding) std::this_thread::yield();
        {
            wallet::WalletLock lock(ws());  // waits until the refresh lets go
            out.meanwhile_ran = !done;
            meanwhile();
        }
        caller.join();
        return out;
    }
};

TEST_F(WalletRelease, WalletSwitchedOrUnboundDuringTheFetchIsNoticed)
{
    fund(0, {20000});
    const std::string w1_address = receive_address(0);
    devnet().fault("woc", {{"delay_ms", 1500}});

    Outcome switched = refresh_with([&] { switch_to("w2"); });
    EXPECT_TRUE(switched.meanwhile_ran);
    EXPECT_EQ(switched.result, testsupport::failed(funding::FundingCode::WalletChanged));
    {
        // The first wallet's lists never reach the second wallet's memory.
        wallet::WalletLock lock(ws());
        EXPECT_EQ(session().coins().key, wallet::wallet_key(ws()));
        EXPECT_EQ(session().coins().lists.count(w1_address), 0u);
    }

    switch_to("w1");
    Outcome unbound = refresh_with([&] {
        wallet::unbind_wallet(ws());
        wallet::wallet_forget(ws());
    });
    EXPECT_TRUE(unbound.meanwhile_ran);
    EXPECT_EQ(unbound.result, testsupport::failed(funding::FundingCode::WalletChanged));
}

// Other threads take the wallet lock while the lists are fetched; the same wallet forgotten and
// loaded again meanwhile is still the wallet, so the fetch goes on.
TEST_F(WalletRelease, SameWalletForgottenAndLoadedAgainDuringTheFetchGoesOn)
{
    std::string coin = fund(0, {20000});
    const std::string address = receive_address(0);
    devnet().fault("woc", {{"delay_ms", 1500}});
    Outcome out = refresh_with([&] {
        wallet::wallet_forget(ws());
        ASSERT_TRUE(wallet::wallet_load(ws()));
    });
    EXPECT_TRUE(out.meanwhile_ran);
    ASSERT_EQ(out.result, "done");
    wallet::WalletLock lock(ws());
    EXPECT_EQ(wallet::wallet_lock_levels(ws()), 1u);
    EXPECT_EQ(session().coins().key, wallet::wallet_key(ws()));
    ASSERT_EQ(session().coins().lists[address].coins.size(), 1u);
    EXPECT_EQ(session().coins().lists[address].coins[0].txid.hex(), coin);
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

    // A session over http that remembers m_txid as its latest broadcast.
    void remember_broadcast_over(net::Http& http)
    {
        start_session(&http);
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        session().coins().last_recorded_txid = test_txid(m_txid);
    }

    std::string m_txid;
};

TEST_F(RecentBroadcast, IsFetchedWithTheWalletLockFree)
{
    std::atomic<bool> other_got_it{false};
    HookedHttp http("/tx/" + m_txid, [&] {
        other_got_it = on_another_thread([&] { wallet::WalletLock lock(ws()); });
    });
    remember_broadcast_over(http);
    wallet::WalletLock lock(ws());
    funding::Gathered g = funding::gather_coins(session(), {});
    EXPECT_TRUE(http.fired());
    EXPECT_TRUE(other_got_it);
    EXPECT_EQ(wallet::wallet_lock_levels(ws()), 1u);
    ASSERT_EQ(g.coins.size(), 1u);
    EXPECT_EQ(g.coins[0].txid.hex(), m_txid);
    ASSERT_EQ(session().coins().change.size(), 1u);
}

TEST_F(RecentBroadcast, WalletSwitchedDuringItsFetchGathersNothingAndKeepsTheCoinOut)
{
    HookedHttp http("/tx/" + m_txid, [&] { EXPECT_TRUE(on_another_thread([&] { switch_to("w2"); })); });
    remember_broadcast_over(http);
    wallet::WalletLock lock(ws());
    funding::Gathered g = funding::gather_coins(session(), {});
    EXPECT_TRUE(http.fired());
    EXPECT_FALSE(g.any());
    EXPECT_EQ(wallet::wallet_key(ws()), "w2");
    EXPECT_TRUE(session().coins().change.empty());
}

TEST_F(RecentBroadcast, PaymentEndsWhenTheWalletSwitchesDuringItsFetch)
{
    // The second wallet has money: a payment that went on after the switch would spend it and
    // send the change to the first wallet.
    switch_to("w2");
    std::string w2_coin = fund(0, {50000});
    switch_to("w1");
    HookedHttp http("/tx/" + m_txid, [&] { EXPECT_TRUE(on_another_thread([&] { switch_to("w2"); })); });
    remember_broadcast_over(http);
    EXPECT_EQ(testsupport::outcome(funding::pay_outputs(session(), to_other(1000))),
              testsupport::failed(funding::FundingCode::WalletChanged));
    EXPECT_TRUE(http.fired());
    EXPECT_FALSE(spent_on_chain(w2_coin, 0));
}

TEST_F(WalletRelease, SnapshotsFollowWalletLoadsAndForgets)
{
    std::string first_key = key_now();
    const std::string change_txid(64, 'c');
    const std::string spent_txid(64, 'd');
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));  // the funding memory is in use
    }
    write_json("ord_snap/" + first_key + "_spent.json", {{"outpoints", {spent_txid + ":3"}}});
    write_json("ord_snap/" + first_key + "_change.json",
               {{"coins", {{{"txid", change_txid}, {"vout", 1}, {"sats", 900}, {"addr", receive_address(0)}}}}});

    wallet::wallet_forget(ws());
    {
        wallet::WalletLock lock(ws());
        EXPECT_TRUE(session().coins().key.empty());
        EXPECT_TRUE(session().coins().change.empty());
    }
    ASSERT_TRUE(wallet::wallet_load(ws()));
    {
        // Read back by the load itself, before any funding call.
        wallet::WalletLock lock(ws());
        EXPECT_EQ(session().coins().key, first_key);
        EXPECT_TRUE(funding::is_spent(session(), test_txid(spent_txid), 3));
        ASSERT_EQ(session().coins().change.size(), 1u);
        EXPECT_EQ(session().coins().change[0].txid.hex(), change_txid);
    }

    switch_to("w2");
    wallet::WalletLock lock(ws());
    EXPECT_EQ(session().coins().key, "w2");
    EXPECT_FALSE(funding::is_spent(session(), test_txid(spent_txid), 3));
    EXPECT_TRUE(session().coins().change.empty());
}

TEST_F(WalletRelease, KnownBalanceWithEveryCoinHeldBackAsksToWait)
{
    switch_to("bal-held");
    std::string coin = fund(0, {20000});
    ASSERT_TRUE(funding::offer_locks_add(ws(), {coin + "_0"}));
    ASSERT_TRUE(wallet::refresh_wallet_balance(session().wallet()));
    ASSERT_EQ(wallet::cached_balance(session().wallet()).sats, 20000);
    EXPECT_EQ(testsupport::outcome(funding::pay_outputs(session(), to_other(1000))),
              testsupport::failed(funding::FundingCode::BalanceNotSpendable));
    EXPECT_FALSE(spent_on_chain(coin, 0));
}

} // namespace
