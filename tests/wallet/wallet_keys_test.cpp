#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/message.h"
#include "tests/support/test_data.h"
#include "tests/wallet/wallet_fixture.h"
#include "wallet/identity_keys.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_state.h"

namespace {

using wallettest::ABANDON_MNEMONIC;
using wallettest::WalletDirTest;

// The vector file's entry for a path of the first mnemonic.
nlohmann::json vector_path(const std::string& path)
{
    const auto doc = testsupport::read_json_vector("bip32-paths.json");
    for (const auto& p : doc["wallets"][0]["paths"]) {
        if (p["path"] == path) return p;
    }
    ADD_FAILURE() << "no vector for " << path;
    return nlohmann::json::object();
}

std::string vector_address(const std::string& path)
{
    return vector_path(path)["address"].get<std::string>();
}

// Every key of a loaded wallet is the vectors' key of its path; an address finds its key only up
// to the wallet's counters, and the identity key signs what it verifies.
TEST_F(WalletDirTest, LoadedWalletKeysMatchTheVectors)
{
    load_single_wallet(hd_wallet(ABANDON_MNEMONIC, {{"recv", {0, 2, 0, 0, 0, 0}}}));
    const auto& s = ws().state();
    const auto identity = vector_path("m/44'/236'/100'/0/0");
    EXPECT_EQ(s.identity_pub, identity["public_key_hex"]);
    EXPECT_EQ(s.identity_address, identity["address"]);
    EXPECT_EQ(s.recv_priv.str(), vector_path("m/44'/236'/1'/0/0")["private_key_hex"]);
    EXPECT_EQ(wallet::ordinals_change_key(ws(), 0).value().address, vector_address("m/44'/236'/5'/1/0"));
    EXPECT_EQ(wallet::account_key(ws(), 0, 0).value().address, vector_address("m/44'/236'/0'/0/0"));
    EXPECT_FALSE(wallet::account_key(ws(), 6, 0));
    auto ord = wallet::ordinals_address(ws());
    ASSERT_TRUE(ord.hash) << ord.error;
    EXPECT_EQ(*ord.hash, *core::hash160_from_address(vector_address("m/44'/236'/5'/0/0")));
    auto bn = wallet::bn_key(ws());
    ASSERT_TRUE(bn.error.empty());
    const auto bn_vector = vector_path("m/44'/236'/102'/0/0");
    EXPECT_EQ(bn.priv_hex.str(), bn_vector["private_key_hex"]);
    EXPECT_EQ(bn.pub_hex, bn_vector["public_key_hex"]);
    EXPECT_EQ(bn.address, bn_vector["address"]);

    const auto index2 = vector_path("m/44'/236'/1'/0/2");
    auto found = wallet::key_for_address(ws(), index2["address"].get<std::string>());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->priv_hex.str(), index2["private_key_hex"]);
    EXPECT_EQ(found->pub_hex, index2["public_key_hex"]);
    EXPECT_EQ(wallet::key_for_address(ws(), identity["address"].get<std::string>()).value().priv_hex.str(),
              identity["private_key_hex"]);
    // Beyond the counter, the BN key (not a payment address of the wallet) and garbage: nothing.
    for (const std::string& other : {vector_address("m/44'/236'/1'/0/3"), bn_vector["address"].get<std::string>(),
                                     std::string("not an address"), std::string()})
        EXPECT_FALSE(wallet::key_for_address(ws(), other)) << other;
    EXPECT_EQ(wallet::wallet_address_for_hash160(ws(), *core::hash160_from_address(index2["address"].get<std::string>())),
              index2["address"].get<std::string>());
    EXPECT_FALSE(wallet::wallet_address_for_hash160(ws(), *core::hash160_from_address(vector_address("m/44'/236'/1'/0/3"))));

    auto signed_message = wallet::identity_sign(ws(), "ag_list|lot|42");
    ASSERT_TRUE(signed_message.error.empty()) << signed_message.error;
    EXPECT_EQ(signed_message.pubkey_hex, identity["public_key_hex"]);
    EXPECT_EQ(signed_message.signature.size(), 88u);
    EXPECT_TRUE(core::verify_message("ag_list|lot|42", signed_message.pubkey_hex, signed_message.signature));
    EXPECT_FALSE(core::verify_message("ag_list|lot|43", signed_message.pubkey_hex, signed_message.signature));
}

} // namespace
