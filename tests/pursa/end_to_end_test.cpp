#include <fstream>

#include <gtest/gtest.h>

#include "net/service_config.h"
#include "tests/support/pursa_program.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"
#include "wallet/app_binding.h"
#include "wallet/balance.h"
#include "wallet/connect.h"
#include "wallet/lots.h"
#include "wallet/pursa_launch.h"
#include "wallet/registry.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace {

using namespace std::chrono_literals;

class EndToEndTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        m_data = m_temp.use_as_data_root();
        std::filesystem::create_directories(m_data);
        ASSERT_TRUE(devnet().write_services(m_data));
    }
    pursatest::RunResult pursa(const std::vector<std::string>& args)
    {
        return pursatest::run_pursa(m_temp.path(), args);
    }

    testsupport::TempDir m_temp;
    std::filesystem::path m_data;
};

// Pursa creates, funds and approves a wallet (found running while it waits); the program
// connects through the files, loads it, reads its balance from the simulator and lists its lots.
TEST_F(EndToEndTest, CreateFundApproveConnectBalanceLots)
{
    ASSERT_EQ(pursa({"create"}).exit_code, 0);
    ASSERT_EQ(pursa({"create", "--name", "Trading"}).exit_code, 0);  // two wallets: no automatic bind
    auto funded = pursa({"fund", "250000"});
    ASSERT_EQ(funded.exit_code, 0) << funded.output;
    auto named = pursa({"paymail", "trader"});
    ASSERT_EQ(named.exit_code, 0) << named.output;

    wallet::WalletSession session(net::load_services_file());
    wallet::register_app(session, "/opt/agoran", "Agoran");
    ASSERT_EQ(wallet::active_wallet_id(session), "");
    EXPECT_FALSE(wallet::pursa_running());
    auto approver = pursatest::start_pursa(m_temp.path(), {"approve", "--wait", "--timeout", "60"});
    ASSERT_TRUE(approver);
    ASSERT_EQ(approver->read_line(20s), "waiting");
    EXPECT_TRUE(wallet::pursa_running());
    EXPECT_TRUE(wallet::show_or_start_pursa()) << "a running Pursa is shown, not started again";
    wallet::ConnectOptions options;
    options.poll_interval = 50ms;
    options.max_polls = 600;
    ASSERT_TRUE(wallet::pursa_connect(session, options));
    EXPECT_EQ(approver->wait(20s), 0);
    EXPECT_FALSE(wallet::pursa_running()) << "the lock goes with the process";
    ASSERT_TRUE(wallet::pursa_is_connected(session));
    EXPECT_EQ(wallet::wallet_display_name(wallet::active_wallet_id(session)), "trader");
    EXPECT_FALSE(wallet::pursa_paymail(session).empty());

    ASSERT_TRUE(wallet::refresh_wallet_balance(session));
    auto balance = wallet::cached_balance(session);
    EXPECT_TRUE(balance.known);
    EXPECT_EQ(balance.sats, 250000);
    EXPECT_TRUE(std::filesystem::exists(m_data / "tx_hist" / (wallet::active_wallet_id(session) + "_face.json")));

    std::string ord_address;
    {
        wallet::WalletLock lock(session);
        ord_address = wallet::ordinals_key(session)->address;
    }
    const std::string PNG = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(16, '\x02');
    const std::string origin = devnet().inscribe(ord_address, "image/png", PNG);
    const std::string token = devnet().mint(ord_address, "1000", "SLV");
    std::vector<wallet::TvPursaOrdRow> rows;
    ASSERT_TRUE(wallet::tv_pursa_list_ordinals(session, rows, true, false));
    ASSERT_EQ(rows.size(), 2u);
    size_t pictures = 0;
    for (const auto& row : rows) {
        if (row.is_picture()) {
            ++pictures;
            EXPECT_EQ(row.origin, origin);
        } else {
            EXPECT_EQ(row.token_id, token);
            EXPECT_EQ(row.amt, "1000");
        }
    }
    EXPECT_EQ(pictures, 1u);
}

} // namespace
