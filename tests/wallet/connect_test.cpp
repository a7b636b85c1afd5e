#include <thread>

#include <gtest/gtest.h>

#include "tests/wallet/wallet_fixture.h"
#include "wallet/connect.h"
#include "wallet/paymail_domain.h"
#include "wallet/wallet_state.h"

namespace {

using namespace std::chrono_literals;
using wallet::WalletCode;
using wallettest::ABANDON_MNEMONIC;
using wallettest::failure_of;
using wallettest::WalletDirTest;

class ConnectTest : public WalletDirTest {
protected:
    void SetUp() override
    {
        WalletDirTest::SetUp();
        write_registry({{"w1", hd_wallet(ABANDON_MNEMONIC)}, {"w2", hd_wallet(wallettest::LEGAL_MNEMONIC)}});
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
        ASSERT_EQ(wallet::active_wallet_id(ws()), "");
        m_options.max_polls = 40;
        m_options.poll_interval = 5ms;
        m_options.log = [this](const std::string& line) { m_log += line; };
        m_options.start_pursa = [this] {
            ++m_starts;
            return true;
        };
    }

    // Connects while a stand-in for Pursa answers the first request that appears with reply,
    // whole or not at all, as Pursa writes it: the program may look at any moment.
    std::optional<WalletCode> connect_answered_with(const std::string& reply)
    {
        std::thread answer([this, reply] {
            for (int i = 0; i < 400; ++i) {
                for (const auto& entry : std::filesystem::directory_iterator(path("connect"), m_ec)) {
                    std::string name = entry.path().filename().string();
                    if (!name.ends_with(".req.json")) continue;
                    const std::string id = name.substr(0, name.size() - 9);
                    if (exists("connect/" + id + ".rep.json")) continue;
                    m_request = read_json("connect/" + name);
                    write_text("connect/" + id + ".rep.json.tmp", reply);
                    std::filesystem::rename(path("connect/" + id + ".rep.json.tmp"), path("connect/" + id + ".rep.json"), m_ec);
                    return;
                }
                std::this_thread::sleep_for(2ms);
            }
        });
        auto result = failure_of(wallet::pursa_connect(ws(), m_options));
        answer.join();
        return result;
    }

    wallet::ConnectOptions m_options;
    std::string m_log;
    int m_starts = 0;
    nlohmann::json m_request;
    std::error_code m_ec;
};

// Approved: bound and loaded; a later connect asks nothing; a disconnect removes the binding
// for good (a restart with two wallets does not bind again) and leaves Pursa's state alone.
TEST_F(ConnectTest, ApprovalBindsAndLoadsTheWalletUntilDisconnected)
{
    EXPECT_FALSE(wallet::pursa_is_connected(ws()));
    EXPECT_EQ(connect_answered_with(R"({"ok": true, "wallet_id": "w2"})"), std::nullopt);
    EXPECT_EQ(m_request["app"], "Agoran");
    EXPECT_EQ(m_request["instance"], "/opt/agoran");
    EXPECT_TRUE(m_request["ts"].is_number_integer());
    EXPECT_EQ(m_request["id"].get<std::string>()[0], 'w');
    EXPECT_EQ(m_starts, 1);
    EXPECT_EQ(m_log, "Waiting for Pursa to approve this app...\nConnected to Pursa wallet Name of w2\n");
    EXPECT_EQ(wallet::active_wallet_id(ws()), "w2");
    EXPECT_TRUE(wallet::pursa_is_connected(ws()));
    m_lock.emplace(ws());
    EXPECT_EQ(ws().state().wallet_id, "w2");
    const auto requests = std::distance(std::filesystem::directory_iterator(path("connect")), {});
    EXPECT_EQ(failure_of(wallet::pursa_connect(ws(), m_options)), std::nullopt);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("connect")), {}), requests);
    EXPECT_EQ(m_starts, 1);

    std::string log;
    wallet::pursa_disconnect(ws(), [&](const std::string& line) { log += line; });
    EXPECT_EQ(log, "This app is no longer connected to a Pursa wallet.\n");
    EXPECT_FALSE(exists("binds/_opt_agoran.json"));
    EXPECT_TRUE(ws().state().recv_priv.empty());
    wallet::WalletSession restarted;
    wallet::register_app(restarted, "/opt/agoran", "Agoran");
    EXPECT_FALSE(wallet::pursa_is_connected(restarted));
    EXPECT_EQ(read_json("wallets.json")["wallets"].size(), 2u);
}

TEST_F(ConnectTest, DenialAndMalformedRepliesLeaveNoBinding)
{
    for (const char* reply : {R"({"ok": false, "wallet_id": "w1"})", R"({"ok": "yes", "wallet_id": "w1"})",
                              R"({"wallet_id": "w1"})", R"([true])", R"({"ok": tr)", "",
                              R"({"ok": true, "wallet_id": "../../elsewhere"})", R"({"ok": true})"}) {
        EXPECT_EQ(connect_answered_with(reply), std::string(reply) == R"({"ok": true})" ? WalletCode::WouldNotLoad : WalletCode::Denied)
            << reply;
        EXPECT_EQ(wallet::active_wallet_id(ws()), "") << reply;
        EXPECT_FALSE(exists("binds/_opt_agoran.json")) << reply;
    }
}

// No request from an unregistered process or without the folder; with no reply, a time-out
// after the last poll.
TEST_F(ConnectTest, NoRequestWithoutAnAppOrFolderAndNoReplyTimesOut)
{
    wallet::WalletSession unregistered;
    EXPECT_EQ(failure_of(wallet::pursa_connect(unregistered, m_options)), WalletCode::NotAnApp);
    EXPECT_FALSE(wallet::write_connect_request(unregistered));
    write_text("connect", "a file where the folder should be");
    EXPECT_EQ(failure_of(wallet::pursa_connect(ws(), m_options)), WalletCode::RequestNotWritten);
    EXPECT_EQ(m_starts, 0);
    std::filesystem::remove(path("connect"));

    m_options.max_polls = 3;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(failure_of(wallet::pursa_connect(ws(), m_options)), WalletCode::NotApprovedInTime);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    // The request stays for Pursa; a reply written after the last poll binds nothing.
    for (const auto& entry : std::filesystem::directory_iterator(path("connect"))) {
        std::string name = entry.path().filename().string();
        ASSERT_TRUE(name.ends_with(".req.json"));
        write_text("connect/" + name.substr(0, name.size() - 9) + ".rep.json", R"({"ok": true, "wallet_id": "w1"})");
    }
    EXPECT_FALSE(wallet::pursa_is_connected(ws()));
}

TEST_F(ConnectTest, LockedWalletIsBoundButReportedLocked)
{
    write_json(wallet_rel("w1"), {{"lock", "TV-LOCK1"}});
    EXPECT_EQ(connect_answered_with(R"({"ok": true, "wallet_id": "w1"})"), WalletCode::Locked);
    EXPECT_EQ(wallet::active_wallet_id(ws()), "w1");
    EXPECT_FALSE(wallet::pursa_is_connected(ws()));
    // Unlocked in Pursa: the next connect loads it without a new approval.
    write_json(wallet_rel("w1"), hd_wallet(ABANDON_MNEMONIC));
    m_options.max_polls = 1;
    EXPECT_EQ(failure_of(wallet::pursa_connect(ws(), m_options)), std::nullopt);
}

TEST_F(ConnectTest, PaymailHandleCarriesTheDomain)
{
    write_json(wallet_rel("w1"), hd_wallet(ABANDON_MNEMONIC, {{"paymail", "alice"}}));
    EXPECT_EQ(wallet::pursa_paymail(ws()), "");
    ASSERT_TRUE(wallet::bind_wallet(ws(), "w1"));
    EXPECT_EQ(wallet::pursa_paymail(ws()), "alice@" + wallet::paymail_domain(ws()));
    ASSERT_TRUE(wallet::bind_wallet(ws(), "w2"));
    EXPECT_EQ(wallet::pursa_paymail(ws()), "");
}

} // namespace
