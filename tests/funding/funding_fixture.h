// Fixtures of the funding tests: a temporary data directory with one bound HD wallet, a fresh
// session for every test (short confirmation polls), and, for the pipeline tests, a simulator the
// program's services point at, with helpers that fund the wallet and spend its coins behind
// the program's back.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hex.h"
#include "core/key.h"
#include "funding/coin_state.h"
#include "funding/session.h"
#include "net/service_config.h"
#include "tests/support/devnet_fixture.h"
#include "tests/wallet/wallet_fixture.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_state.h"
#include "tests/support/test_txid.h"

namespace fundingtest {

class FundingTest : public wallettest::WalletDirTest {
protected:
    void SetUp() override
    {
        WalletDirTest::SetUp();
        start_session();
    }
    void TearDown() override
    {
        m_lock.reset();
        m_session.reset();
        WalletDirTest::TearDown();
    }

    // Replaces the session with a fresh one over the services now in force, talking through http
    // (the real client when null), as a program started now would hold it: registered, and the
    // wallet bound on disk loaded.
    void start_session(net::Http* http = nullptr)
    {
        m_session.reset();
        m_session = std::make_unique<funding::Session>(net::load_services_file(), http);
        m_session->set_poll_timing({std::chrono::milliseconds(40), 8});
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
        (void)wallet::wallet_load(ws());  // the bound wallet, when one is
    }
    funding::Session& session() { return *m_session; }
    wallet::WalletSession& ws() override { return m_session->wallet(); }

    // The all-"abandon" wallet, bound and loaded, with receive addresses 0..2 in use.
    void bind_wallet()
    {
        bind_single_wallet(hd_wallet(wallettest::ABANDON_MNEMONIC, {{"recv", {0, 2, 0, 0, 0, 0}}}));
        ASSERT_TRUE(wallet::wallet_load(ws()));
    }

    wallet::DerivedKey receive_key(uint32_t index) { return *wallet::account_key(ws(), 1, index); }
    std::string receive_address(uint32_t index) { return receive_key(index).address; }

    std::unique_ptr<funding::Session> m_session;
};

// A key that is not the wallet's: the other party of a two-party transaction.
struct OtherParty {
    std::string priv_hex = std::string(63, '0') + "7";
    std::string pub_hex = *core::pubkey_from_privkey(priv_hex);
    std::string address = core::address_from_pubkey(pub_hex);
    core::Hash160 hash = *core::hash160_from_address(address);
};

class FundingDevnetTest : public FundingTest {
protected:
    void SetUp() override
    {
        FundingTest::SetUp();
        m_devnet = testsupport::Devnet::start();
        ASSERT_TRUE(m_devnet);
        ASSERT_TRUE(m_devnet->write_services(m_data));
        start_session();
        bind_wallet();
    }
    void TearDown() override
    {
        m_session.reset();
        m_devnet.reset();
        FundingTest::TearDown();
    }

    testsupport::Devnet& devnet() { return *m_devnet; }

    // Funds receive address `index` with one coin per amount; returns the last funding txid.
    std::string fund(uint32_t index, const std::vector<int64_t>& amounts, bool mine = true)
    {
        std::string txid;
        for (auto sats : amounts) txid = devnet().fund(receive_address(index), sats, mine);
        return txid;
    }

    // Spends a coin of receive address `index` to someone else through WhatsOnChain, as another
    // program holding the same wallet would. Returns the spending txid.
    std::string spend_elsewhere(uint32_t index, const tx::Txid& txid, uint32_t vout, int64_t sats, bool mine)
    {
        auto key = receive_key(index);
        auto hash = *core::hash160_from_address(key.address);
        std::vector<tx::TxInput> ins{test_input(txid, vout, sats, hash)};
        auto outs = to_other(sats - 200);
        EXPECT_TRUE(tx::tx_sign_input(0, ins, outs, hash, key.priv_hex.view(), key.pub_hex));
        auto raw = tx::tx_serialize(ins, outs);
        auto reply = devnet().post("/woc/v1/bsv/main/tx/raw", nlohmann::json{{"txhex", core::hex_encode(raw)}}.dump());
        EXPECT_EQ(reply.status, 200) << reply.body;
        if (mine) devnet().mine();
        return tx::tx_id(raw).hex();
    }

    static std::vector<tx::TxOutput> to_other(core::Amount sats) { return {{sats, tx::p2pkh_script(OtherParty{}.hash)}}; }

    bool spent_on_chain(const std::string& txid, uint32_t vout)
    {
        return devnet().get("/woc/v1/bsv/main/tx/" + txid + "/" + std::to_string(vout) + "/spent").status == 200;
    }

    // The raw transaction as the simulator's WhatsOnChain has it; empty when unknown.
    std::string chain_hex(const std::string& txid)
    {
        auto reply = devnet().get("/woc/v1/bsv/main/tx/" + txid + "/hex");
        return reply.status == 200 ? reply.body : std::string();
    }

    std::unique_ptr<testsupport::Devnet> m_devnet;
};

} // namespace fundingtest
