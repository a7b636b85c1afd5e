// Where change goes, and the wallet states in which nothing can be paid.
#include <gtest/gtest.h>

#include "funding/change_address.h"
#include "funding/pay.h"
#include "net/market_addresses.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/funding_outcome.h"
#include "wallet/wallet_lock.h"

namespace {

using testsupport::failed;
using testsupport::outcome;

class ChangeAddress : public fundingtest::FundingTest {};

TEST_F(ChangeAddress, MainAddressUnlessItIsAHouseAddress)
{
    bind_wallet();
    wallet::WalletLock lock;
    auto plain = funding::choose_change_address();
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain.value(), *core::hash160_from_address(receive_address(0)));

    auto second = funding::choose_change_address({receive_address(0)});
    ASSERT_TRUE(second);
    EXPECT_EQ(second.value(), *core::hash160_from_address(receive_address(1)));

    auto none = funding::choose_change_address({receive_address(0), receive_address(1), receive_address(2)});
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().code, funding::FundingCode::ChangeOnHouse);
    EXPECT_TRUE(funding::is_house_address(net::BOOK_ORACLE_ADDRESS));
    EXPECT_FALSE(funding::is_house_address(receive_address(0)));
}

TEST_F(ChangeAddress, NothingIsPaidWithoutAnHdWallet)
{
    std::vector<tx::TxOutput> outs{{1000, tx::p2pkh_script(core::Hash160{})}};
    EXPECT_EQ(outcome(funding::pay_outputs(session(), outs)), failed(funding::FundingCode::NoWallet));
    std::string priv = std::string(63, '0') + "5";
    bind_single_wallet({{"priv", priv}});
    EXPECT_EQ(outcome(funding::pay_outputs(session(), outs)), failed(funding::FundingCode::NeedHdWallet));
}

} // namespace
