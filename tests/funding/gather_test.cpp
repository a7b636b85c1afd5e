// Which cached coins a payment may use: the ordering of candidates and every rule that keeps a
// coin out, without any network (the caches are laid out by hand); and where its change goes.
#include <gtest/gtest.h>

#include "funding/change_address.h"
#include "funding/gather.h"
#include "funding/offer_locks.h"
#include "funding/reserves.h"
#include "net/market_addresses.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/test_txid.h"
#include "wallet/wallet_lock.h"

namespace {

class Gather : public fundingtest::FundingTest {
protected:
    void SetUp() override
    {
        FundingTest::SetUp();
        bind_wallet();
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        auto& lists = session().coins().lists;
        auto now = funding::Clock::now();
        lists[receive_address(0)] = {{{test_txid('a'), 0, 5000}, {test_txid('b'), 1, 1}, {test_txid('c'), 2, 7000}}, now, true};
        lists[receive_address(2)] = {{{test_txid('d'), 0, 9000}}, now, true};
        auto& index = session().coins().indexes[receive_address(0)];
        index.outpoints = {tx::Outpoint{test_txid('c'), 2}};
        index.complete = true;
        index.fetched = now;
    }

    std::vector<std::string> gathered(const std::vector<tx::Outpoint>& hold_back = {}, const std::vector<tx::Outpoint>& must = {})
    {
        wallet::WalletLock lock(ws());
        auto g = funding::gather_coins(session(), hold_back, must);
        std::vector<std::string> out;
        core::Amount total = 0;
        for (const auto& c : g.coins) {
            out.push_back(c.txid.hex().substr(0, 1) + std::to_string(c.vout));
            total += c.value;
        }
        EXPECT_EQ(total, g.total);
        return out;
    }
};

// b holds 1 sat (the complete index says nothing of it), c is an inscription output: neither
// pays fees. Each coin carries the key of its address.
TEST_F(Gather, KeepsInscriptionsAndOneSatCoinsOutOfFees)
{
    EXPECT_EQ(gathered(), (std::vector<std::string>{"a0", "d0"}));
    wallet::WalletLock lock(ws());
    auto g = funding::gather_coins(session(), {});
    ASSERT_EQ(g.coins.size(), 2u);
    auto key2 = receive_key(2);
    EXPECT_EQ(g.coins[1].pub_key_hex, key2.pub_hex);
    EXPECT_EQ(g.coins[1].priv_key_hex.view(), key2.priv_hex.view());
    EXPECT_EQ(g.coins[1].pub_key_hash, *core::hash160_from_address(key2.address));
}

TEST_F(Gather, SpentReservedLockedAndHeldBackCoinsStayOut)
{
    {
        wallet::WalletLock lock(ws());
        funding::add_spent(session(), {{test_txid('d'), 0, receive_address(2)}});
        session().coins().lists[receive_address(2)].coins.push_back({test_txid('d'), 0, 9000});  // a list that lags the chain
    }
    EXPECT_EQ(gathered(), (std::vector<std::string>{"a0"}));
    const tx::Outpoint a0{test_txid('a'), 0};
    EXPECT_TRUE(gathered({a0}).empty());
    ASSERT_TRUE(funding::reserve_add(ws(), a0, "", 0));
    EXPECT_TRUE(gathered().empty());
    ASSERT_TRUE(funding::reserve_remove(ws(), a0));
    write_json("gallery/reserves_w1.json", {{"reserves", {{{"pic_utxo", std::string(64, 'a') + ":0"}}}}});
    EXPECT_TRUE(gathered().empty());
    write_json("gallery/reserves_w1.json", {{"reserves", nlohmann::json::array()}});
    ASSERT_TRUE(funding::offer_locks_add(ws(), {a0}));
    EXPECT_TRUE(gathered().empty());
    // Unless the payment must spend it, and then it leads.
    EXPECT_EQ(gathered({}, {a0}), (std::vector<std::string>{"a0"}));
}

TEST_F(Gather, PendingChangeComesFirstAndOnlyOnce)
{
    {
        wallet::WalletLock lock(ws());
        funding::add_pending_change(session(), {test_txid('e'), 3, 4000, receive_address(1)});
        funding::add_pending_change(session(), {test_txid('f'), 0, 4000, "1NotAnAddressOfThisWallet"});
        funding::add_pending_change(session(), {test_txid('a'), 0, 5000, receive_address(0)});  // listed too
    }
    EXPECT_EQ(gathered(), (std::vector<std::string>{"e3", "a0", "d0"}));  // a0 once
}

TEST_F(Gather, LocksOnCoinsKnownSpentAreDropped)
{
    ASSERT_TRUE(funding::offer_locks_add(ws(), {{test_txid('d'), 0}, {test_txid('9'), 4}, {test_txid('a'), 0}}));
    {
        wallet::WalletLock lock(ws());
        funding::add_spent(session(), {{test_txid('d'), 0, receive_address(2)}});
        // Every list was fetched: a locked coin none of them shows is gone too.
        session().coins().lists[receive_address(1)].ok = true;
        session().coins().lists[ws().state().identity_address].ok = true;
    }
    gathered();
    EXPECT_EQ(funding::offer_locks_load(ws()), (std::set<tx::Outpoint>{{test_txid('a'), 0}}));
}

TEST_F(Gather, ChangeGoesToTheMainAddressUnlessItIsAHouseAddress)
{
    wallet::WalletLock lock(ws());
    EXPECT_EQ(funding::choose_change_address(ws()).value(), *core::hash160_from_address(receive_address(0)));
    EXPECT_EQ(funding::choose_change_address(ws(), {receive_address(0)}).value(), *core::hash160_from_address(receive_address(1)));
    auto none = funding::choose_change_address(ws(), {receive_address(0), receive_address(1), receive_address(2)});
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().code, funding::FundingCode::ChangeOnHouse);
    EXPECT_TRUE(funding::is_house_address(net::BOOK_ORACLE_ADDRESS));
    EXPECT_FALSE(funding::is_house_address(receive_address(0)));
}

} // namespace
