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
#include "wallet/wallet_state.h"

namespace {

using namespace std::chrono_literals;
using wallettest::WalletDirTest;

class PursaProgram : public WalletDirTest {
protected:
    pursatest::RunResult pursa(const std::vector<std::string>& args) { return pursatest::run_pursa(m_temp.path(), args); }
    // The wallet id a create or restore printed ("" when it failed).
    std::string created(const std::vector<std::string>& args)
    {
        const auto r = pursa(args);
        return r.exit_code == 0 && r.output.starts_with("success: ") ? r.output.substr(9) : std::string();
    }
    std::string restore_abandon()
    {
        return created({"restore", "abandon", "abandon", "abandon", "abandon", "abandon", "abandon", "abandon", "abandon",
                        "abandon", "abandon", "abandon", "about"});
    }
    // This process registered as the app, loading the bound wallet.
    bool load()
    {
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
        return static_cast<bool>(wallet::wallet_load(ws()));
    }
};

// create and restore write owner-only wallets the program loads; a bad mnemonic writes nothing;
// show prints the wallet's addresses and list marks the active one.
TEST_F(PursaProgram, CreateRestoreShowAndList)
{
    EXPECT_EQ(pursa({"restore", "abandon", "abandon"}).output, "error: that is not a valid 12-word mnemonic.");
    EXPECT_FALSE(exists("wallets.json"));
    const std::string id = created({"create", "--name", "Savings"});
    ASSERT_TRUE(wallet::valid_wallet_id(id));
    const auto doc = read_json(wallet_rel(id));
    EXPECT_TRUE(wallet::mnemonic_valid(doc["mnemonic"].get<std::string>()));
    const auto perms = std::filesystem::status(path(wallet_rel(id))).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all), std::filesystem::perms::none);
    wallet::register_app(ws(), "/opt/agoran", "Agoran");
    EXPECT_EQ(wallet::active_wallet_id(ws()), id);
    ASSERT_TRUE(load());
    EXPECT_EQ(ws().state().recv_address, doc["address"]);
    const auto shown = pursa({"show"});
    EXPECT_NE(shown.output.find("receive:  " + doc["address"].get<std::string>()), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("identity: " + doc["identity"].get<std::string>()), std::string::npos);

    const std::string restored = restore_abandon();
    ASSERT_TRUE(wallet::valid_wallet_id(restored));
    EXPECT_NE(pursa({"show", "--wallet", restored}).output.find(wallettest::ABANDON_RECEIVE_0), std::string::npos);
    const auto listed = pursa({"list"}).output;
    EXPECT_NE(listed.find(id + "  Savings\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find(restored + "  Wallet 2  (active)"), std::string::npos) << listed;
}

// A locked wallet holds no readable secret and is not used; a wrong password changes nothing;
// unlocking gives back the very file.
TEST_F(PursaProgram, LockAndUnlockWithAPassword)
{
    const std::string id = restore_abandon();
    ASSERT_FALSE(id.empty());
    const std::string plain = read_text(wallet_rel(id));
    ASSERT_EQ(pursa({"lock", "--password", "hunter2"}).exit_code, 0);
    const auto envelope = read_json(wallet_rel(id));
    ASSERT_TRUE(wallet::parse_lock_envelope(envelope));
    EXPECT_EQ(read_text(wallet_rel(id)).find("abandon"), std::string::npos);
    EXPECT_FALSE(load());
    EXPECT_NE(pursa({"show"}).exit_code, 0);

    EXPECT_EQ(pursa({"unlock", "--password", "hunter3"}).output, "error: wrong password.");
    EXPECT_EQ(read_json(wallet_rel(id)), envelope);
    ASSERT_EQ(pursa({"unlock", "--password", "hunter2"}).exit_code, 0);
    EXPECT_EQ(read_json(wallet_rel(id)), nlohmann::json::parse(plain));
    EXPECT_TRUE(load());
}

// deny and approve answer pending requests (junk in the folder is none); Pursa left running
// without a terminal names the app and the wallet, approves nothing, and can be found.
TEST_F(PursaProgram, ApproveDenyAndTheRunningPursa)
{
    const std::string id = created({"create", "--name", "Daily"});
    ASSERT_FALSE(id.empty());
    wallet::register_app(ws(), "/opt/agoran", "Agoran");
    wallet::unbind_wallet(ws());
    const std::string r1 = wallet::write_connect_request(ws()).value_or("");
    const std::string r2 = wallet::write_connect_request(ws()).value_or("");
    ASSERT_EQ(pursa::pending_requests().size(), 2u);
    EXPECT_EQ(pursa({"deny", r1}).output, "success: " + r1);
    EXPECT_EQ(pursa({"approve", "--all"}).output, "success: " + r2);
    EXPECT_EQ(wallet::read_connect_reply(ws(), r1), wallet::ConnectReply::Denied);
    EXPECT_EQ(wallet::read_connect_reply(ws(), r2), wallet::ConnectReply::Ok);
    write_text("connect/junk.req.json", "{");
    write_text("connect/w1.req.json", R"({"id": "w2"})");
    EXPECT_EQ(pursa({"approve"}).output, "error: no pending connect request.");
    const auto waited = pursa({"deny", "--wait", "--timeout", "0.3"}).output;
    EXPECT_NE(waited.find("error: no connect request came in time."), std::string::npos) << waited;

    wallet::unbind_wallet(ws());
    auto serving = pursatest::start_pursa(m_temp.path(), {});
    ASSERT_TRUE(serving && serving->read_line(10s));
    EXPECT_TRUE(wallet::show_or_start_pursa()) << "a running Pursa is shown, not started again";
    const std::string request = wallet::write_connect_request(ws()).value_or("");
    const std::string asked = serving->read_line(10s).value_or("");
    EXPECT_NE(asked.find("\"Agoran\""), std::string::npos) << asked;
    EXPECT_NE(asked.find("\"Daily\""), std::string::npos) << asked;
    static_cast<void>(serving->read_line(500ms));  // standard input is empty: nothing is approved
    EXPECT_EQ(wallet::read_connect_reply(ws(), request), wallet::ConnectReply::Pending);
    EXPECT_TRUE(wallet::pursa_running());
    serving->stop();
    EXPECT_FALSE(wallet::pursa_running());
}

// Bad arguments stop with code 2, refused requests with 1.
TEST_F(PursaProgram, BadArgumentsAndRefusedRequests)
{
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"frobnicate"}, 2}, {{"create", "--name"}, 2}, {{"--bogus"}, 2}, {{"fund", "-5"}, 1}, {{"paymail"}, 1},
        {{"approve", "--wait", "--timeout", "soon"}, 1}, {{"show", "--wallet", "w404"}, 1}};
    for (const auto& [args, code] : cases) EXPECT_EQ(pursa(args).exit_code, code) << args[0];
}

// The registry lock is held by the process that took it: Pursa waits for it, writing nothing.
TEST_F(PursaProgram, PursaWaitsWhileThisProcessHoldsTheRegistryLock)
{
    std::unique_ptr<platform::ChildProcess> child;
    {
        wallet::RegistryLock lock;
        child = pursatest::start_pursa(m_temp.path(), {"create"});
        ASSERT_TRUE(child);
        EXPECT_EQ(child->read_line(700ms), std::nullopt) << "Pursa finished while this process held the lock";
        EXPECT_FALSE(exists("wallets.json"));
    }
    EXPECT_EQ(child->wait(30s), 0);
    EXPECT_EQ(wallet::list_wallets().size(), 1u);
}

// A name is checked and published with the identity key before it is stored; a failed
// publication stores nothing.
TEST_F(PursaProgram, PaymailNameIsCheckedPublishedThenStored)
{
    const std::string id = created({"create"});
    ASSERT_FALSE(id.empty());
    std::string published;
    auto publish = [&](const std::string& name, const std::string& key) {
        published = name + " " + key;
        return std::string();
    };
    for (const char* bad : {"bad name!", ""}) EXPECT_TRUE(pursa::set_paymail(id, bad, publish).starts_with("error:")) << bad;
    EXPECT_EQ(pursa::set_paymail(id, "  @Alice ", publish), "success");
    EXPECT_EQ(published, "alice " + pursa::identity_pubkey(id));
    EXPECT_EQ(wallet::wallet_display_name(id), "alice");
    auto refuse = [](const std::string&, const std::string&) { return std::string("the name is taken."); };
    EXPECT_EQ(pursa::set_paymail(id, "bob", refuse), "error: the name is taken.");
    EXPECT_EQ(read_json(wallet_rel(id))["paymail"], "alice");
}

} // namespace
