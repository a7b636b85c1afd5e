// Secrets outlive no buffer and reach no text: the mnemonic, the seed and the private keys are
// wiped from every heap block they leave, on the paths that succeed and on those that fail; no
// log line, progress text or result sentence carries them; the files that hold wallet data are
// readable by their owner only.
#include <filesystem>

#include <gtest/gtest.h>

#include "core/hex.h"
#include "funding/pay.h"
#include "funding/reserves.h"
#include "tests/funding/funding_fixture.h"
#include "tests/hardening/freed_memory_scan.h"
#include "tests/support/log_capture.h"
#include "tests/support/pursa_program.h"
#include "tests/wallet/wallet_fixture.h"
#include "tx/script.h"
#include "tx/sign.h"
#include "wallet/app_binding.h"
#include "wallet/connect.h"
#include "wallet/hd_derive.h"
#include "wallet/identity_keys.h"
#include "wallet/lots_cache.h"
#include "wallet/mnemonic.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace {

namespace fs = std::filesystem;
using wallettest::LEGAL_MNEMONIC;

std::string as_string(core::ByteView bytes) { return std::string(bytes.begin(), bytes.end()); }

// Every form a secret of the wallet takes in memory: the mnemonic (and its first words), the
// seed, the master key and the first receive key, as bytes and as hex.
std::vector<std::string> secrets_of(const std::string& mnemonic)
{
    std::vector<std::string> out{mnemonic, mnemonic.substr(0, mnemonic.find(' ', mnemonic.find(' ') + 1))};
    const core::SecretBytes seed = wallet::mnemonic_to_seed(mnemonic);
    out.push_back(as_string(seed.view()));
    const core::SecretBytes master = wallet::master_key_from_seed(seed.view());
    out.push_back(as_string(master.view().subspan(0, 32)));
    const auto key = wallet::derive_from_master(master, wallet::account_path(1, 0));
    EXPECT_TRUE(key);
    if (key) {
        out.emplace_back(key->priv_hex.str());
        out.push_back(as_string(*core::hex_decode(key->priv_hex.view())));
    }
    return out;
}

class SecretHygiene : public wallettest::WalletDirTest {
protected:
    // Runs step with freed blocks searched for the secrets; file set-up stays outside.
    void scanned(const std::function<void()>& step)
    {
        hardening::start_freed_memory_scan(m_secrets);
        step();
        for (const auto& f : hardening::stop_freed_memory_scan()) {
            ADD_FAILURE() << "a freed block of " << f.block_size << " bytes still held secret #" << f.secret
                          << " (0 mnemonic, 1 its first words, 2 seed, 3 master key, 4 key hex, 5 key bytes)";
        }
    }
    std::vector<std::string> m_secrets;
};

TEST_F(SecretHygiene, LoadingDerivingSigningSavingAndForgettingWipeEveryBuffer)
{
    if (!hardening::freed_memory_scan_available()) GTEST_SKIP() << "the sanitizers bring their own allocator";
    m_secrets = secrets_of(LEGAL_MNEMONIC);
    bind_single_wallet(hd_wallet(LEGAL_MNEMONIC, {{"recv", {0, 3, 0, 0, 0, 0}}}));

    scanned([&] {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(wallet::wallet_load(ws()));
        for (uint32_t i = 0; i < 4; ++i) ASSERT_TRUE(wallet::account_key(ws(), 1, i));
        ASSERT_TRUE(wallet::ordinals_key(ws()));
        EXPECT_TRUE(wallet::identity_sign(ws(), "TV1|post").error.empty());
        EXPECT_TRUE(wallet::bn_key(ws()).error.empty());
        const auto key = wallet::key_for_address(ws(), ws().state().recv_address);
        ASSERT_TRUE(key);
        // Sign a payment with it.
        const auto hash = *core::hash160_from_address(key->address);
        std::vector<tx::TxInput> ins(1);
        ins[0].txid = std::string(64, 'a');
        ins[0].value = 5000;
        ins[0].pub_key_hash = hash;
        ins[0].priv_key_hex.assign(key->priv_hex.str());
        EXPECT_TRUE(tx::tx_sign_input(0, ins, std::vector<tx::TxOutput>{{4000, tx::p2pkh_script(hash)}}, hash, key->priv_hex.view(), key->pub_hex));
        EXPECT_TRUE(wallet::wallet_save(ws()));
        (void)wallet::wallet_summary(ws());
        wallet::wallet_forget(ws());
    });
}

TEST_F(SecretHygiene, RefusedWalletFilesAreWipedToo)
{
    if (!hardening::freed_memory_scan_available()) GTEST_SKIP() << "the sanitizers bring their own allocator";
    m_secrets = secrets_of(LEGAL_MNEMONIC);
    bind_single_wallet(hd_wallet(LEGAL_MNEMONIC));
    // Each file holds the mnemonic and is refused for another reason.
    const std::vector<nlohmann::json> refused = {
        hd_wallet(LEGAL_MNEMONIC, {{"recv", "not a list"}}),
        hd_wallet(LEGAL_MNEMONIC, {{"show", "x"}}),
        {{"mnemonic", std::string(LEGAL_MNEMONIC).replace(0, 5, "zebra")}},
        {{"mnemonic", LEGAL_MNEMONIC}, {"priv", 5}},
    };
    for (const auto& doc : refused) {
        write_json(wallet_rel("w1"), doc);
        scanned([&] {
            wallet::WalletLock lock(ws());
            (void)wallet::wallet_load(ws());
            (void)wallet::wallet_summary(ws());
            wallet::wallet_forget(ws());
        });
    }
    // A file cut short in the middle of the mnemonic.
    const std::string torn = "{\"mnemonic\": \"" + std::string(LEGAL_MNEMONIC);
    write_text(wallet_rel("w1"), torn);
    scanned([&] {
        wallet::WalletLock lock(ws());
        EXPECT_FALSE(wallet::wallet_load(ws()));
        (void)wallet::wallet_summary(ws());
    });
}

// --- no secret in any text ---

class SecretTexts : public fundingtest::FundingDevnetTest {
protected:
    // What the user reads of a funding or wallet result, searched with the log.
    template <typename Result>
    void said(const Result& result)
    {
        if (!result) m_log.add(error_text(result.error()));
    }
    void expect_no_secret_in_texts(const std::vector<std::string>& secrets)
    {
        const auto texts = m_log.lines();
        EXPECT_FALSE(texts.empty());
        for (const auto& text : texts) {
            for (size_t i = 0; i < secrets.size(); ++i) {
                EXPECT_EQ(text.find(secrets[i]), std::string::npos) << "secret #" << i << " in: " << text.substr(0, 200);
            }
        }
    }

    testsupport::LogCapture m_log;
};

TEST_F(SecretTexts, NoLogLineProgressTextOrResultCarriesASecret)
{
    auto secrets = secrets_of(wallettest::ABANDON_MNEMONIC);
    secrets.resize(2);  // the text forms: the mnemonic and its first words
    {
        wallet::WalletLock lock(ws());
        secrets.emplace_back(wallet::account_key(ws(), 1, 0)->priv_hex.str());
        secrets.emplace_back(wallet::ordinals_key(ws())->priv_hex.str());
    }
    const fundingtest::OtherParty other;
    const std::vector<tx::TxOutput> pay_other{{10000, tx::p2pkh_script(other.hash)}};

    // Payments that fail, then one that succeeds.
    said(funding::pay_outputs(session(), pay_other));
    fund(0, {30000});
    devnet().fault("woc", {{"status", 500}, {"body", "boom"}});
    said(funding::pay_outputs(session(), pay_other));
    devnet().clear_faults();
    said(funding::pay_outputs(session(), pay_other));
    said(funding::reserve_add(ws(), "bad", "", 1));
    // Connect and disconnect, with their log lines.
    wallet::ConnectOptions options;
    options.max_polls = 1;
    options.poll_interval = std::chrono::milliseconds(1);
    options.start_pursa = [] { return true; };
    options.log = [this](const std::string& line) { m_log.add(line); };
    said(wallet::pursa_connect(ws(), options));
    wallet::pursa_disconnect(ws(), [this](const std::string& line) { m_log.add(line); });
    // A wallet refused at load (the mnemonic fails its check) says so without quoting it.
    write_json(wallet_rel("w1"), hd_wallet(std::string(wallettest::ABANDON_MNEMONIC).replace(0, 7, "zoo")));
    wallet::wallet_forget(ws());
    said(funding::pay_outputs(session(), pay_other));

    expect_no_secret_in_texts(secrets);
}

// The Pursa stand-in's answers to a mistyped or refused mnemonic never echo it.
TEST_F(SecretTexts, PursaNeverEchoesAMnemonicItRefuses)
{
    std::vector<std::string> args = {"restore"};
    for (int i = 0; i < 11; ++i) args.push_back("winner");
    args.push_back("zebra");
    const auto refused = pursatest::run_pursa(m_temp.path(), args);
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_EQ(refused.output.find("winner winner"), std::string::npos) << refused.output;
    EXPECT_EQ(refused.output.find("zebra"), std::string::npos) << refused.output;
}

TEST_F(SecretTexts, FilesWithWalletDataAreOwnerOnly)
{
    fund(0, {30000});
    const fundingtest::OtherParty other;
    ASSERT_TRUE(funding::pay_outputs(session(), {{10000, tx::p2pkh_script(other.hash)}}));
    ASSERT_TRUE(funding::reserve_add(ws(), std::string(64, 'a') + "_0", "", 1));
    std::string key;
    {
        wallet::WalletLock lock(ws());
        key = wallet::wallet_key(ws());
        ASSERT_TRUE(wallet::wallet_save(ws()));
    }
    ASSERT_TRUE(wallet::write_lot_snapshot(key, {}));
    for (const fs::path& file : {path(wallet_rel("w1")), funding::spent_snapshot_path(key), funding::change_snapshot_path(key),
                                 funding::reserves_path(ws()), path("ord_snap/" + key + ".json"), wallet::bind_path(ws())}) {
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_EQ(fs::status(file).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none) << file;
    }
}

} // namespace
