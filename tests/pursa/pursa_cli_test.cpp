#include <gtest/gtest.h>

#include "pursa/approvals.h"
#include "pursa/vault.h"
#include "tests/support/pursa_program.h"
#include "tests/wallet/wallet_fixture.h"
#include "wallet/connect.h"
#include "wallet/lock_envelope.h"
#include "wallet/mnemonic.h"
#include "wallet/pursa_launch.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace {

using namespace std::chrono_literals;
using pursatest::run_pursa;
using wallettest::WalletDirTest;

std::string created_id(const pursatest::RunResult& r)
{
    const std::string prefix = "success: ";
    return r.output.starts_with(prefix) ? r.output.substr(prefix.size()) : std::string();
}

// `pursa restore` of the all-"abandon" mnemonic.
pursatest::RunResult restore_abandon(const std::filesystem::path& root)
{
    std::vector<std::string> args(12, "abandon");
    args.front() = "restore";
    args.push_back("about");
    return run_pursa(root, args);
}

TEST_F(WalletDirTest, CreateWritesAWalletThatTheProgramLoads)
{
    auto created = run_pursa(m_temp.path(), {"create", "--name", "Savings"});
    ASSERT_EQ(created.exit_code, 0) << created.output;
    const std::string id = created_id(created);
    ASSERT_TRUE(wallet::valid_wallet_id(id)) << created.output;

    const auto registry = read_json("wallets.json");
    ASSERT_EQ(registry["wallets"].size(), 1u);
    EXPECT_EQ(registry["wallets"][0]["id"], id);
    EXPECT_EQ(registry["wallets"][0]["name"], "Savings");
    EXPECT_EQ(registry["active"], id);
    const auto doc = read_json(wallet_rel(id));
    EXPECT_EQ(doc["version"], 2);
    EXPECT_TRUE(wallet::mnemonic_valid(doc["mnemonic"].get<std::string>()));
    EXPECT_EQ(doc["recv"], nlohmann::json({0, 0, 0, 0, 0, 0}));
    const auto perms = std::filesystem::status(path(wallet_rel(id))).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all), std::filesystem::perms::none);

    wallet::register_app("/opt/agoran", "Agoran");
    EXPECT_EQ(wallet::active_wallet_id(), id);
    wallet::WalletLock lock;
    ASSERT_TRUE(wallet::wallet_load());
    EXPECT_EQ(wallet::wallet_state().recv_address, doc["address"]);
    EXPECT_EQ(wallet::wallet_state().identity_address, doc["identity"]);

    auto shown = run_pursa(m_temp.path(), {"show"});
    EXPECT_EQ(shown.exit_code, 0);
    EXPECT_NE(shown.output.find("receive:  " + doc["address"].get<std::string>()), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("identity: " + doc["identity"].get<std::string>()), std::string::npos);
    EXPECT_NE(shown.output.find("ordinals: 1"), std::string::npos);
}

TEST_F(WalletDirTest, RestoreChecksTheMnemonicAndListShowsEveryWallet)
{
    auto bad = run_pursa(m_temp.path(), {"restore", "abandon", "abandon"});
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_EQ(bad.output, "error: that is not a valid 12-word mnemonic.");
    EXPECT_FALSE(exists("wallets.json"));

    auto restored = restore_abandon(m_temp.path());
    ASSERT_EQ(restored.exit_code, 0) << restored.output;
    auto second = run_pursa(m_temp.path(), {"create"});
    ASSERT_EQ(second.exit_code, 0);
    auto shown = run_pursa(m_temp.path(), {"show", "--wallet", created_id(restored)});
    EXPECT_NE(shown.output.find(wallettest::ABANDON_RECEIVE_0), std::string::npos) << shown.output;

    auto listed = run_pursa(m_temp.path(), {"list"});
    EXPECT_NE(listed.output.find(created_id(restored) + "  Wallet 1"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find(created_id(second) + "  Wallet 2  (active)"), std::string::npos) << listed.output;
    auto unknown = run_pursa(m_temp.path(), {"show", "--wallet", "w404"});
    EXPECT_EQ(unknown.exit_code, 1);
}

TEST_F(WalletDirTest, LockAndUnlockWithAPassword)
{
    const std::string id = created_id(restore_abandon(m_temp.path()));
    ASSERT_FALSE(id.empty());
    const std::string plain = read_text(wallet_rel(id));
    wallet::register_app("/opt/agoran", "Agoran");
    {
        wallet::WalletLock lock;
        ASSERT_TRUE(wallet::wallet_load());
    }

    auto locked = run_pursa(m_temp.path(), {"lock", "--password", "hunter2"});
    ASSERT_EQ(locked.exit_code, 0) << locked.output;
    const auto envelope = read_json(wallet_rel(id));
    ASSERT_TRUE(wallet::parse_lock_envelope(envelope));
    EXPECT_EQ(envelope["iter"], 210000);
    EXPECT_EQ(read_text(wallet_rel(id)).find("abandon"), std::string::npos);
    EXPECT_TRUE(wallet::wallet_is_locked());
    {
        wallet::WalletLock lock;
        EXPECT_FALSE(wallet::wallet_load()) << "a wallet locked after the load is not used";
        EXPECT_FALSE(wallet::wallet_save());
    }
    EXPECT_NE(run_pursa(m_temp.path(), {"show"}).exit_code, 0);
    auto listed = run_pursa(m_temp.path(), {"list"});
    EXPECT_NE(listed.output.find("(locked)"), std::string::npos);

    auto wrong = run_pursa(m_temp.path(), {"unlock", "--password", "hunter3"});
    EXPECT_EQ(wrong.exit_code, 1);
    EXPECT_EQ(wrong.output, "error: wrong password.");
    EXPECT_EQ(read_json(wallet_rel(id)), envelope) << "a wrong password changes nothing";

    auto again = run_pursa(m_temp.path(), {"lock", "--password", "x"});
    EXPECT_EQ(again.output, "error: the wallet is already locked.");

    auto unlocked = run_pursa(m_temp.path(), {"unlock", "--password", "hunter2"});
    ASSERT_EQ(unlocked.exit_code, 0) << unlocked.output;
    EXPECT_EQ(read_json(wallet_rel(id)), nlohmann::json::parse(plain));
    wallet::WalletLock lock;
    EXPECT_TRUE(wallet::wallet_load());
}

TEST_F(WalletDirTest, ApproveAndDenyAnswerPendingRequests)
{
    const std::string id = created_id(run_pursa(m_temp.path(), {"create"}));
    ASSERT_FALSE(id.empty());
    wallet::register_app("/opt/agoran", "Agoran");
    wallet::unbind_wallet();
    const std::string r1 = wallet::write_connect_request().value_or("");
    const std::string r2 = wallet::write_connect_request().value_or("");
    ASSERT_FALSE(r1.empty() || r2.empty());
    auto pending = pursa::pending_requests();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].app, "Agoran");

    auto denied = run_pursa(m_temp.path(), {"deny", r1});
    EXPECT_EQ(denied.output, "success: " + r1);
    EXPECT_EQ(wallet::read_connect_reply(r1), wallet::ConnectReply::Denied);
    auto approved = run_pursa(m_temp.path(), {"approve", "--all"});
    EXPECT_EQ(approved.output, "success: " + r2);
    EXPECT_EQ(wallet::read_connect_reply(r2), wallet::ConnectReply::Ok);
    EXPECT_EQ(wallet::active_wallet_id(), id);
    auto none = run_pursa(m_temp.path(), {"approve"});
    EXPECT_EQ(none.exit_code, 1);
    EXPECT_EQ(none.output, "error: no pending connect request.");
    // Junk in the connect folder is skipped.
    write_text("connect/junk.req.json", "{");
    write_text("connect/w1.req.json", R"({"id": "w2"})");
    EXPECT_TRUE(pursa::pending_requests().empty());
}

TEST_F(WalletDirTest, InteractivePursaNamesAppAndWalletAndStaysFindableWithoutATerminal)
{
    const std::string id = created_id(run_pursa(m_temp.path(), {"create", "--name", "Daily"}));
    ASSERT_FALSE(id.empty());
    wallet::register_app("/opt/agoran", "Agoran");
    wallet::unbind_wallet();
    auto serving = pursatest::start_pursa(m_temp.path(), {});
    ASSERT_TRUE(serving);
    ASSERT_TRUE(serving->read_line(10s).has_value());
    EXPECT_TRUE(wallet::pursa_running());
    EXPECT_TRUE(wallet::show_or_start_pursa()) << "a running Pursa is shown, not started again";
    const std::string request = wallet::write_connect_request().value_or("");
    auto asked = serving->read_line(10s);
    ASSERT_TRUE(asked);
    EXPECT_NE(asked->find("\"Agoran\""), std::string::npos) << *asked;
    EXPECT_NE(asked->find("\"Daily\""), std::string::npos) << *asked;
    // Standard input is empty: nothing is approved, and Pursa keeps running.
    (void)serving->read_line(500ms);
    EXPECT_EQ(wallet::read_connect_reply(request), wallet::ConnectReply::Pending);
    EXPECT_TRUE(serving->running());
    EXPECT_TRUE(wallet::pursa_running());
    serving->stop();
    EXPECT_FALSE(wallet::pursa_running());
}

// Bad arguments stop with code 2, refused requests with 1; a wait ends at its timeout.
TEST_F(WalletDirTest, BadArgumentsAreRefusedAndAWaitEnds)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"frobnicate"}, {"create", "--name"}, {"--bogus"}})
        EXPECT_EQ(run_pursa(m_temp.path(), args).exit_code, 2) << args[0];
    for (const std::vector<std::string>& args : {std::vector<std::string>{"fund", "-5"}, {"paymail"},
                                                {"approve", "--wait", "--timeout", "soon"}})
        EXPECT_EQ(run_pursa(m_temp.path(), args).exit_code, 1) << args[0];
    ASSERT_FALSE(created_id(run_pursa(m_temp.path(), {"create"})).empty());
    auto r = run_pursa(m_temp.path(), {"deny", "--wait", "--timeout", "0.3"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.output.find("error: no connect request came in time."), std::string::npos) << r.output;
}

// The registry lock is held by the process that took it: Pursa waits for it, writing nothing.
TEST_F(WalletDirTest, PursaWaitsWhileThisProcessHoldsTheRegistryLock)
{
    std::unique_ptr<platform::ChildProcess> child;
    {
        wallet::RegistryLock lock;
        child = pursatest::start_pursa(m_temp.path(), {"create"});
        ASSERT_TRUE(child);
        EXPECT_EQ(child->read_line(700ms), std::nullopt) << "Pursa finished while this process held the lock";
        EXPECT_FALSE(exists("wallets.json"));
        EXPECT_TRUE(child->running());
    }
    EXPECT_EQ(child->wait(30s), 0);
    EXPECT_EQ(wallet::list_wallets().size(), 1u);
}

TEST_F(WalletDirTest, PaymailNameIsCheckedStoredAndNamesTheEntry)
{
    const std::string id = created_id(run_pursa(m_temp.path(), {"create"}));
    ASSERT_FALSE(id.empty());
    std::string published_name, published_key;
    auto publish = [&](const std::string& name, const std::string& key) {
        published_name = name;
        published_key = key;
        return std::string();
    };
    EXPECT_EQ(pursa::set_paymail(id, "bad name!", publish).substr(0, 6), "error:");
    EXPECT_EQ(pursa::set_paymail(id, "", publish).substr(0, 6), "error:");
    EXPECT_EQ(pursa::set_paymail(id, "  @Alice ", publish), "success");
    EXPECT_EQ(published_name, "alice");
    EXPECT_EQ(published_key, pursa::identity_pubkey(id));
    EXPECT_EQ(published_key.size(), 66u);
    EXPECT_EQ(read_json(wallet_rel(id))["paymail"], "alice");
    EXPECT_EQ(wallet::wallet_display_name(id), "alice");
    // A failed publication stores nothing.
    auto refuse = [](const std::string&, const std::string&) { return std::string("the name is taken."); };
    EXPECT_EQ(pursa::set_paymail(id, "bob", refuse), "error: the name is taken.");
    EXPECT_EQ(read_json(wallet_rel(id))["paymail"], "alice");
}

} // namespace
