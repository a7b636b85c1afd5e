#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hex.h"
#include "net/service_config.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "wallet/app_binding.h"
#include "wallet/lots.h"
#include "wallet/lots_cache.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* ABANDON = "abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon about";
constexpr const char* LEGAL = "legal winner thank year wave sausage worth useful legal winner thank yellow";
const std::string PNG = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\x01');

// A bound HD wallet in a temporary data directory whose services.json points at a fresh
// simulator.
class LotsDevnetTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        m_data = m_temp.use_as_data_root();
        std::filesystem::create_directories(m_data);
        ASSERT_TRUE(devnet().write_services(m_data));
        net::reload_current_services();
        wallet::wallet_forget();
        nlohmann::json registry = {{"wallets", {{{"id", "w1"}, {"name", "One"}}, {{"id", "w2"}, {"name", "Two"}}}}};
        write("wallets.json", registry);
        write("wallets/w1/wallet.json", {{"mnemonic", ABANDON}, {"recv", {0, 0, 0, 0, 0, 0}}});
        write("wallets/w2/wallet.json", {{"mnemonic", LEGAL}, {"recv", {0, 0, 0, 0, 0, 0}}});
        wallet::register_app("/opt/agoran", "Agoran");
        ASSERT_TRUE(wallet::bind_wallet("w1"));
        wallet::WalletLock lock;
        ASSERT_TRUE(wallet::wallet_load());
        m_ord_address = wallet::ordinals_key()->address;
    }
    void TearDown() override
    {
        wallet::wallet_forget();
        wallet::unregister_app();
        net::set_current_services(net::ServiceConfig{});
    }

    void write(const std::string& relative, const nlohmann::json& value)
    {
        auto p = m_data / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p) << value.dump(2);
    }

    // A transaction spending from (taken as true by the simulator) that pays 1-sat BSV-21
    // transfers of the token to address.
    std::string import_transfers(const std::string& from_outpoint, const std::string& token_id,
                                 const std::vector<std::string>& amounts, const std::string& address)
    {
        std::vector<tx::TxInput> inputs(1);
        inputs[0].txid = from_outpoint.substr(0, 64);
        inputs[0].vout = static_cast<uint32_t>(std::stoul(from_outpoint.substr(65)));
        inputs[0].script_sig = {0x00};
        std::vector<tx::TxOutput> outputs;
        const auto hash = *core::hash160_from_address(address);
        for (const auto& amt : amounts) {
            const std::string body = tx::bsv20_transfer_json(token_id, amt);
            outputs.push_back({1, tx::inscription_script(hash, tx::BSV20_CONTENT_TYPE, core::as_bytes(body))});
        }
        auto raw = tx::tx_serialize(inputs, outputs);
        EXPECT_FALSE(raw.empty());
        return devnet().import_tx(core::hex_encode(raw));
    }

    testsupport::TempDir m_temp;
    std::filesystem::path m_data;
    std::string m_ord_address;
};

TEST_F(LotsDevnetTest, TokenInThreeOutputsIsOneLotWithTheSum)
{
    const std::string token = devnet().mint(m_ord_address, "40", "GLD", "", "2");
    ASSERT_FALSE(token.empty());
    const std::string txid = import_transfers(token, token, {"5", "10", "25"}, m_ord_address);
    ASSERT_FALSE(txid.empty());
    std::vector<wallet::TvPursaOrdRow> rows;
    ASSERT_EQ(wallet::tv_pursa_list_ordinals(rows, true, false), "");
    ASSERT_EQ(rows.size(), 1u);
    const auto& lot = rows[0];
    EXPECT_EQ(lot.token_id, token);
    EXPECT_EQ(lot.amt, "40");
    EXPECT_EQ(lot.type, "bsv-20");
    EXPECT_EQ(lot.outpoints, (std::vector<std::string>{txid + "_0", txid + "_1", txid + "_2"}));
    EXPECT_EQ(lot.address, m_ord_address);
    EXPECT_EQ(lot.dec, "2");
    EXPECT_FALSE(lot.is_picture());
    // The owned list now tracks the outputs, and the snapshot names them.
    wallet::WalletLock lock;
    EXPECT_EQ(wallet::wallet_state().owned.size(), 3u);
    auto snapshot = wallet::read_lot_snapshot("w1");
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->lots.size(), 3u);
    EXPECT_EQ(snapshot->token_ids, std::vector<std::string>{token});
}

TEST_F(LotsDevnetTest, PictureInscriptionIsAPictureLot)
{
    const std::string origin = devnet().inscribe(m_ord_address, "image/png", PNG);
    ASSERT_FALSE(origin.empty());
    devnet().inscribe(m_ord_address, "text/plain", "not a picture");
    std::vector<wallet::TvPursaOrdRow> rows;
    ASSERT_EQ(wallet::tv_pursa_list_ordinals(rows, true, false), "");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].is_picture());
    EXPECT_EQ(rows[0].origin, origin);
    EXPECT_EQ(rows[0].type, "image/png");
    EXPECT_EQ(rows[0].satoshis, 1);

    std::string bytes, type;
    ASSERT_TRUE(wallet::fetch_inscription_content(origin, bytes, type));
    EXPECT_EQ(bytes, PNG);
    EXPECT_EQ(type, "image/png");
    EXPECT_TRUE(wallet::fetch_inscription_content(origin.substr(0, 64), bytes, type)) << "a bare txid reads as txid_0";
    EXPECT_FALSE(wallet::fetch_inscription_content(std::string(64, 'a') + "_0", bytes, type));
    EXPECT_FALSE(wallet::fetch_inscription_content("../../etc/passwd", bytes, type));
}

TEST_F(LotsDevnetTest, HiddenLotsAreLeftOutUnlessAsked)
{
    const std::string origin = devnet().inscribe(m_ord_address, "image/png", PNG);
    write("wallets/w1/wallet.json", {{"mnemonic", ABANDON},
                                     {"recv", {0, 0, 0, 0, 0, 0}},
                                     {"ord_owned", {{{"origin", origin}, {"txid", origin.substr(0, 64)}, {"vout", 0}, {"hidden", true}}}}});
    {
        wallet::WalletLock lock;
        wallet::wallet_forget();
    }
    std::vector<wallet::TvPursaOrdRow> rows;
    ASSERT_EQ(wallet::tv_pursa_list_ordinals(rows, true, false), "");
    EXPECT_TRUE(rows.empty());
    ASSERT_EQ(wallet::tv_pursa_list_ordinals(rows, true, true), "");
    EXPECT_EQ(rows.size(), 1u);
}

TEST_F(LotsDevnetTest, IndexDownIsAnErrorOnlyWhenNothingElseFoundARow)
{
    devnet().fault("ordinals", {{"down", true}});
    std::vector<wallet::TvPursaOrdRow> rows;
    EXPECT_EQ(wallet::tv_pursa_list_ordinals(rows, true, false),
              "error: 1Sat index unavailable. 1-sat coins are held back from spend.");
    EXPECT_TRUE(rows.empty());

    // A purchase this wallet made: change to its receive address (which the address history lists)
    // and the picture to its ordinals address, in one transaction the index has not seen.
    devnet().clear_faults();
    std::string receive;
    {
        wallet::WalletLock lock;
        receive = wallet::wallet_state().recv_address;
    }
    std::vector<tx::TxInput> inputs(1);
    inputs[0].txid = std::string(64, 'c');
    inputs[0].script_sig = {0x00};
    std::vector<tx::TxOutput> outputs = {
        {1000, tx::p2pkh_script(*core::hash160_from_address(receive))},
        {1, tx::inscription_script(*core::hash160_from_address(m_ord_address), "image/png", core::as_bytes(PNG))}};
    const std::string txid = devnet().import_tx(core::hex_encode(tx::tx_serialize(inputs, outputs)));
    ASSERT_FALSE(txid.empty());
    const std::string origin = txid + "_1";
    devnet().fault("ordinals", {{"down", true}});
    EXPECT_EQ(wallet::tv_pursa_list_ordinals(rows, true, false), "");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].origin, origin);
    EXPECT_TRUE(rows[0].from_history);
}

TEST_F(LotsDevnetTest, WalletSwitchDuringTheScanIsReportedAndSavesNothing)
{
    devnet().inscribe(m_ord_address, "image/png", PNG);
    devnet().fault("ordinals", {{"delay_ms", 1500}});
    std::vector<wallet::TvPursaOrdRow> rows;
    std::string result;
    std::thread scan([&] { result = wallet::tv_pursa_list_ordinals(rows, true, false); });
    std::this_thread::sleep_for(600ms);
    ASSERT_TRUE(wallet::bind_wallet("w2"));
    scan.join();
    EXPECT_EQ(result, "error: wallet changed.");
    EXPECT_TRUE(rows.empty());
    std::ifstream w2(m_data / "wallets/w2/wallet.json");
    const auto doc = nlohmann::json::parse(w2, nullptr, false);
    EXPECT_FALSE(doc.contains("ord_owned")) << "the old wallet's ordinals must not land in the new wallet's file";
}

TEST_F(LotsDevnetTest, NoWalletNoScan)
{
    wallet::unbind_wallet();
    {
        wallet::WalletLock lock;
        wallet::wallet_forget();
    }
    std::vector<wallet::TvPursaOrdRow> rows(3);
    EXPECT_EQ(wallet::tv_pursa_list_ordinals(rows, true, false), "error: no Pursa wallet.");
    EXPECT_TRUE(rows.empty());
}

} // namespace
