#include <filesystem>

#include <gtest/gtest.h>

#include "core/key.h"
#include "tests/support/full_disk.h"
#include "tests/wallet/wallet_fixture.h"
#include "wallet/identity_keys.h"
#include "wallet/paymail_domain.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_state.h"

namespace {

using wallettest::ABANDON_MNEMONIC;
using wallettest::WalletDirTest;

constexpr const char* PRIV = "0000000000000000000000000000000000000000000000000000000000000001";
// Public key and address of the private key 1 (the generator point).
constexpr const char* PUB_OF_1 = "0279be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798";

const nlohmann::json ENVELOPE = {{"lock", "TV-LOCK1"}, {"kdf", "pbkdf2-sha256"}, {"iter", 210000},
                                 {"salt", std::string(32, 'a')}, {"iv", std::string(24, 'b')},
                                 {"tag", std::string(32, 'c')}, {"ct", "00ff"}};

TEST_F(WalletDirTest, HdWalletLoadsWithItsCountersAndRecords)
{
    load_single_wallet(hd_wallet(ABANDON_MNEMONIC,
                                 {{"recv", {1, 3, 0, 0, 0, 2, 9, 9}},
                                  {"show", 7},
                                  {"backup", true},
                                  {"paymail", "alice"},
                                  {"ord_avatar", "ab_0"},
                                  {"ord_owned",
                                   {{{"origin", "aa_0"}, {"txid", "aa"}, {"vout", 0}},
                                    {{"txid", "no-origin"}},
                                    "not an object",
                                    {{"origin", "bb_1"}, {"vout", 1}, {"hidden", true}, {"created", false}}}},
                                  {"contacts",
                                   {{{"dest", " @@Alice "}, {"note", std::string(100, 'n')}},
                                    {{"dest", "1BoatSLRHtKNngkdXEeobR76b53LETtpyT"}},
                                    {{"dest", "$Bob@" + wallet::paymail_domain(ws())}},
                                    {{"dest", "bob@" + wallet::paymail_domain(ws()) + ".evil"}},
                                    {{"dest", "  $ "}}}}}));
    const auto& s = ws().state();
    EXPECT_TRUE(s.hd);
    EXPECT_TRUE(s.backup);
    EXPECT_EQ(s.recv, (std::array<uint32_t, 6>{1, 3, 0, 0, 0, 2}));
    EXPECT_EQ(s.shown, 3u);  // "show" 7 is above recv[1] = 3
    EXPECT_EQ(s.paymail, "alice");
    EXPECT_EQ(s.ord_avatar, "ab_0");
    ASSERT_EQ(s.owned.size(), 2u);
    EXPECT_TRUE(s.owned[0].created);
    EXPECT_EQ(s.owned[1].origin, "bb_1");
    EXPECT_TRUE(s.owned[1].hidden);
    EXPECT_FALSE(s.owned[1].created);
    // Contacts: handles trimmed, stripped of @ and $, lower-cased, the own domain dropped.
    std::vector<std::string> dests;
    for (const auto& contact : s.contacts) dests.push_back(contact.dest);
    EXPECT_EQ(dests, (std::vector<std::string>{"alice", "1BoatSLRHtKNngkdXEeobR76b53LETtpyT", "bob",
                                               "bob@" + wallet::paymail_domain(ws()) + ".evil"}));
    EXPECT_EQ(s.contacts[0].note.size(), 80u);
    EXPECT_NE(s.recv_address, wallettest::ABANDON_RECEIVE_0);  // shown index 3, not 0

    // Counters of the wrong type read as 0.
    write_json(wallet_rel("w1"), hd_wallet(ABANDON_MNEMONIC, {{"recv", {"5", 2, -1, 1.5}}, {"show", "1"}}));
    wallet::wallet_forget(ws());
    ASSERT_TRUE(wallet::wallet_load(ws()));
    EXPECT_EQ(ws().state().recv, (std::array<uint32_t, 6>{0, 2, 0, 0, 0, 0}));
    EXPECT_EQ(ws().state().shown, 2u);
}

TEST_F(WalletDirTest, FilesThatMustNotLoad)
{
    const std::vector<std::pair<std::string, nlohmann::json>> cases = {
        {"eleven words", hd_wallet("abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon about")},
        {"wrong checksum", hd_wallet("abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon")},
        {"not an object", nlohmann::json::array({ABANDON_MNEMONIC})},
        {"backup of the wrong type", hd_wallet(ABANDON_MNEMONIC, {{"backup", "yes"}})},
        {"owned vout of the wrong type", hd_wallet(ABANDON_MNEMONIC, {{"ord_owned", {{{"origin", "a_0"}, {"vout", "0"}}}}})},
        {"contact note of the wrong type", hd_wallet(ABANDON_MNEMONIC, {{"contacts", {{{"dest", "a"}, {"note", 1}}}}})},
        {"63-character key", {{"priv", std::string(PRIV).substr(1)}}},
        {"key out of range", {{"priv", std::string(64, 'f')}}},
        {"public key of another key", {{"priv", PRIV}, {"pub", "02" + std::string(64, '1')}}},
        {"address of another key", {{"priv", PRIV}, {"address", wallettest::ABANDON_RECEIVE_0}}},
        {"lock envelope", ENVELOPE},
    };
    m_lock.emplace(ws());
    for (const auto& [label, doc] : cases) {
        SCOPED_TRACE(label);
        bind_single_wallet(doc);
        EXPECT_FALSE(wallet::wallet_load(ws()));
        EXPECT_TRUE(ws().state().recv_priv.empty() && ws().state().mnemonic.empty());
    }
    std::filesystem::remove(path(wallet_rel("w1")));
    EXPECT_FALSE(wallet::wallet_load(ws()));
}

// A single-key wallet: its public key and address computed when missing, no key but its own; a
// save keeps its key and paymail and adds no HD counters.
TEST_F(WalletDirTest, SingleKeyWalletLoadsAndSaves)
{
    EXPECT_EQ(wallet::identity_sign(ws(), "x").error, "Pursa HD wallet not connected");  // no wallet at all
    load_single_wallet({{"priv", PRIV}, {"paymail", "carol"}});
    auto& s = ws().state();
    EXPECT_FALSE(s.hd);
    EXPECT_EQ(s.recv_pub, PUB_OF_1);
    EXPECT_EQ(s.recv_address, core::address_from_pubkey(PUB_OF_1));
    EXPECT_TRUE(s.identity_address.empty());
    EXPECT_EQ(wallet::identity_sign(ws(), "x").error, "Pursa HD wallet not connected");
    EXPECT_EQ(wallet::bn_key(ws()).error, "Pursa HD wallet not connected");
    EXPECT_EQ(wallet::ordinals_address(ws()).error, "need an HD Pursa wallet.");
    EXPECT_FALSE(wallet::account_key(ws(), 1, 0));
    EXPECT_EQ(wallet::key_for_address(ws(), s.recv_address).value().priv_hex.str(), PRIV);
    EXPECT_FALSE(wallet::key_for_address(ws(), wallettest::ABANDON_RECEIVE_0));
    s.owned.emplace_back().origin = "ff_0";
    ASSERT_TRUE(wallet::wallet_save(ws()));
    const auto doc = read_json(wallet_rel("w1"));
    EXPECT_EQ(doc["paymail"], "carol");
    EXPECT_EQ(doc["priv"], PRIV);
    EXPECT_FALSE(doc.contains("recv"));
    EXPECT_EQ(doc["ord_owned"][0]["origin"], "ff_0");
}

// Pursa locks a wallet by replacing its file with a lock envelope or by a seal file beside it: a
// locked wallet neither loads nor stays in memory, and is never written back.
TEST_F(WalletDirTest, ALockedWalletIsNeitherLoadedNorSaved)
{
    load_single_wallet(hd_wallet(ABANDON_MNEMONIC));
    EXPECT_FALSE(wallet::wallet_is_locked(ws()));
    for (const bool sealed : {true, false}) {
        ASSERT_TRUE(wallet::wallet_load(ws()));
        if (sealed) write_text(wallet_rel("w1") + ".seal", "{}");
        else write_json(wallet_rel("w1"), ENVELOPE);
        const std::string before = read_text(wallet_rel("w1"));
        EXPECT_TRUE(wallet::wallet_is_locked(ws())) << sealed;
        EXPECT_FALSE(wallet::wallet_summary(ws())) << sealed;
        EXPECT_FALSE(wallet::wallet_save(ws())) << sealed;
        EXPECT_EQ(read_text(wallet_rel("w1")), before) << sealed;
        EXPECT_FALSE(wallet::wallet_load(ws())) << sealed;
        EXPECT_TRUE(ws().state().recv_priv.empty() && ws().state().mnemonic.empty())
            << "the key of a locked wallet must not stay in memory";
        std::filesystem::remove(path(wallet_rel("w1") + ".seal"));
    }
}

// Two sessions of one process bind and load wallets of their own: neither hears, nor undoes, the
// other's loads and forgets. Nothing loads before a wallet is bound; binding another reloads.
TEST_F(WalletDirTest, TwoSessionsHoldTheirOwnBoundWallets)
{
    write_registry({{"w1", hd_wallet(ABANDON_MNEMONIC)}, {"w2", hd_wallet(wallettest::LEGAL_MNEMONIC)}});
    wallet::WalletSession other;
    wallet::register_app(ws(), "/opt/agoran", "Agoran");
    wallet::register_app(other, "/opt/other", "Agoran");
    wallet::WalletLock lock(ws()), other_lock(other);
    EXPECT_FALSE(wallet::wallet_load(other) || wallet::wallet_summary(other)) << "no wallet is bound yet";
    int heard = 0;
    ws().add_listener({[&] { ++heard; }, [&] { ++heard; }});
    ASSERT_TRUE(wallet::bind_wallet(ws(), "w1") && wallet::bind_wallet(other, "w2") && wallet::wallet_load(other));
    ASSERT_TRUE(wallet::wallet_load(ws()));
    const std::string second = other.state().recv_address;
    wallet::wallet_forget(other);
    EXPECT_EQ(heard, 1) << "this session's own load only";
    EXPECT_EQ(ws().state().recv_address, wallettest::ABANDON_RECEIVE_0);
    EXPECT_NE(second, wallettest::ABANDON_RECEIVE_0);
    ASSERT_TRUE(wallet::bind_wallet(ws(), "w2") && wallet::wallet_load(ws()));
    EXPECT_EQ(ws().state().recv_address, second);
}

TEST_F(WalletDirTest, SaveChangesOnlyOwnMembersAndKeepsPursasWrites)
{
    load_single_wallet(hd_wallet(ABANDON_MNEMONIC, {{"recv", {0, 2, 0, 0, 0, 0}}, {"show", 1}, {"ord_owned", {{{"origin", "aa_0"}, {"txid", "AA"}}}}}));
    // Pursa writes after the load: a paymail, a new member, a higher counter, contacts.
    auto on_disk = hd_wallet(ABANDON_MNEMONIC, {{"recv", {4, 1, 0, 0, 0, 0}},
                                                {"show", 1},
                                                {"paymail", "dora"},
                                                {"pursa_theme", "dark"},
                                                {"contacts", {{{"dest", "zed"}}}}});
    write_json(wallet_rel("w1"), on_disk);
    auto& s = ws().state();
    auto& added = s.owned.emplace_back();
    added.origin = "ee_0";
    added.txid = tx::Txid::parse(std::string(64, 'e'));
    added.type = "image/png";
    s.shown = 2;
    ASSERT_TRUE(wallet::wallet_save(ws()));
    const auto doc = read_json(wallet_rel("w1"));
    EXPECT_EQ(doc["paymail"], "dora");
    EXPECT_EQ(doc["pursa_theme"], "dark");
    EXPECT_EQ(doc["contacts"], on_disk["contacts"]);
    EXPECT_EQ(doc["mnemonic"], ABANDON_MNEMONIC);
    EXPECT_EQ(doc["recv"], nlohmann::json({4, 2, 0, 0, 0, 0}));
    EXPECT_EQ(doc["show"], 2);
    EXPECT_EQ(doc["address"], s.recv_address);
    EXPECT_EQ(doc["ord_owned"], nlohmann::json::array({{{"origin", "aa_0"}, {"txid", "AA"}, {"vout", 0}, {"created", true}},  // as read
                                                        {{"origin", "ee_0"}, {"txid", std::string(64, 'e')}, {"vout", 0},
                                                         {"type", "image/png"}, {"created", true}}}));
    EXPECT_FALSE(temporary_left(wallet_rel("w1")));
}

// A save that cannot be made leaves the file as it was: the file no longer holds the loaded
// wallet (Pursa replaced or removed it), or the disk is full and the write stops before the move.
TEST_F(WalletDirTest, AFailedSaveLeavesTheFileAsItWas)
{
    load_single_wallet(hd_wallet(ABANDON_MNEMONIC, {{"paymail", "gina"}}));
    const std::string before = read_text(wallet_rel("w1"));
    ws().state().owned.emplace_back().origin = "aa_0";
    for (const std::string& text : {std::string("{\"mnemonic\": \"") + wallettest::LEGAL_MNEMONIC + "\"}",
                                   std::string("{\"priv\": \"") + PRIV + "\"}", std::string("garbage")}) {
        write_text(wallet_rel("w1"), text);
        EXPECT_FALSE(wallet::wallet_save(ws())) << text;
        EXPECT_EQ(read_text(wallet_rel("w1")), text);
    }
    std::filesystem::remove(path(wallet_rel("w1")));
    EXPECT_FALSE(wallet::wallet_save(ws()));
    EXPECT_FALSE(exists(wallet_rel("w1"))) << "a wallet Pursa removed must not come back";

    write_text(wallet_rel("w1"), before);
    {
        testsupport::FullDisk full;
        if (!full.active()) GTEST_SKIP() << "no file-size limit on this system";
        EXPECT_FALSE(wallet::wallet_save(ws()));
    }
    EXPECT_EQ(read_text(wallet_rel("w1")), before);
    EXPECT_FALSE(temporary_left(wallet_rel("w1")));
    EXPECT_TRUE(wallet::wallet_save(ws()));
    EXPECT_EQ(read_json(wallet_rel("w1"))["ord_owned"][0]["origin"], "aa_0");
}

// The summary peeks at the file without loading it; forgetting wipes every field of the loaded
// wallet and tells the listeners, until they are removed.
TEST_F(WalletDirTest, SummaryPeeksAndForgetWipesEveryField)
{
    int forgotten = 0;
    const auto listener = ws().add_listener({nullptr, [&] { ++forgotten; }});
    bind_single_wallet(hd_wallet(ABANDON_MNEMONIC, {{"address", "1Shown"}, {"paymail", "hal"}, {"recv", {1, 1, 1, 1, 1, 1}}}));
    auto summary = wallet::wallet_summary(ws());
    ASSERT_TRUE(summary && summary->hd);
    EXPECT_EQ(summary->address, "1Shown");
    EXPECT_EQ(summary->paymail, "hal");
    wallet::WalletLock lock(ws());
    EXPECT_TRUE(ws().state().recv_priv.empty());
    ASSERT_TRUE(wallet::wallet_load(ws()));
    EXPECT_EQ(wallet::wallet_summary(ws())->address, ws().state().recv_address);

    const int before = forgotten;
    wallet::wallet_forget(ws());
    const auto& s = ws().state();
    EXPECT_EQ(forgotten, before + 1);
    EXPECT_TRUE(s.mnemonic.empty() && s.recv_priv.empty() && s.recv_address.empty() && s.paymail.empty());
    EXPECT_FALSE(s.seed_ready || s.master_ready || s.hd);
    EXPECT_TRUE(s.seed.empty() && s.master.empty());
    EXPECT_EQ(s.recv, (std::array<uint32_t, 6>{}));
    ws().remove_listener(listener);
    ASSERT_TRUE(wallet::wallet_load(ws()));
    wallet::wallet_forget(ws());
    EXPECT_EQ(forgotten, before + 1);
}

} // namespace
