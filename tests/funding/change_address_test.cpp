// Where change goes, and the wallet states in which nothing can be paid.
#include <gtest/gtest.h>

#include "funding/change_address.h"
#include "funding/pay.h"
#include "tests/funding/funding_fixture.h"
#include "wallet/wallet_lock.h"

namespace {

class ChangeAddress : public fundingtest::FundingTest {};

TEST_F(ChangeAddress, MainAddressUnlessItIsAHouseAddress)
{
    bind_wallet();
    wallet::WalletLock lock;
    auto plain = funding::choose_change_address();
    ASSERT_TRUE(plain.hash) << plain.error;
    EXPECT_EQ(*plain.hash, *core::hash160_from_address(receive_address(0)));

    auto second = funding::choose_change_address({receive_address(0)});
    ASSERT_TRUE(second.hash) << second.error;
    EXPECT_EQ(*second.hash, *core::hash160_from_address(receive_address(1)));

    auto none = funding::choose_change_address({receive_address(0), receive_address(1), receive_address(2)});
    EXPECT_FALSE(none.hash);
    EXPECT_EQ(none.error, "change would land on a house oracle.");
}

TEST_F(ChangeAddress, HouseAddressesAreTheMarketsOwn)
{
    for (const auto& a : funding::house_addresses()) {
        EXPECT_TRUE(core::hash160_from_address(a)) << a;
        EXPECT_TRUE(funding::is_house_address(a));
    }
    EXPECT_EQ(funding::house_addresses().size(), 4u);
    EXPECT_FALSE(funding::is_house_address(wallettest::ABANDON_RECEIVE_0));
}

TEST_F(ChangeAddress, NothingIsPaidWithoutAnHdWallet)
{
    std::vector<tx::TxOutput> outs{{1000, tx::p2pkh_script(core::Hash160{})}};
    EXPECT_EQ(funding::pay_outputs(session(), outs), "error: no TavrinNode Pursa wallet. Use pursa create first.");
    std::string priv = std::string(63, '0') + "5";
    bind_single_wallet({{"priv", priv}});
    EXPECT_EQ(funding::pay_outputs(session(), outs), "error: need an HD Pursa wallet.");
}

} // namespace
