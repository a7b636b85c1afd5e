#include <gtest/gtest.h>

#include "core/hex.h"
#include "tests/support/test_data.h"
#include "wallet/hd_derive.h"
#include "wallet/mnemonic.h"

namespace {

wallet::DerivationPath path_of(const nlohmann::json& indices)
{
    wallet::DerivationPath p{};
    for (size_t i = 0; i < p.size(); ++i) p[i] = indices.at(i).get<uint32_t>();
    return p;
}

TEST(Bip32Derivation, EveryListedPathGivesItsKeyAndMalformedInputNone)
{
    const auto doc = testsupport::read_json_vector("bip32-paths.json");
    ASSERT_TRUE(doc.contains("wallets"));
    int paths = 0;
    for (const auto& w : doc["wallets"]) {
        const std::string mnemonic = w["mnemonic"].get<std::string>();
        auto seed = wallet::mnemonic_to_seed(mnemonic);
        ASSERT_EQ(core::hex_encode(seed.view()), w["seed_hex"].get<std::string>()) << mnemonic;
        auto master = wallet::master_key_from_seed(seed.view());
        ASSERT_EQ(master.size(), 64u);
        EXPECT_EQ(core::hex_encode(core::ByteView(master.data(), 32)), w["master_private_key_hex"].get<std::string>());
        EXPECT_EQ(core::hex_encode(core::ByteView(master.data() + 32, 32)), w["master_chain_code_hex"].get<std::string>());
        for (const auto& p : w["paths"]) {
            const std::string label = mnemonic.substr(0, 12) + " " + p["path"].get<std::string>();
            auto key = wallet::derive_from_master(master, path_of(p["indices"]));
            ASSERT_TRUE(key) << label;
            EXPECT_EQ(key->priv_hex.str(), p["private_key_hex"].get<std::string>()) << label;
            EXPECT_EQ(key->pub_hex, p["public_key_hex"].get<std::string>()) << label;
            EXPECT_EQ(key->address, p["address"].get<std::string>()) << label;
            ++paths;
        }
    }
    EXPECT_GE(paths, 27);

    // A seed of another length makes no master; a master of 32 bytes, or one whose private key is
    // zero (which cannot be a parent), derives nothing.
    EXPECT_TRUE(wallet::master_key_from_seed(core::Bytes(63)).empty() && wallet::master_key_from_seed(core::Bytes(65)).empty());
    for (const auto& master : {core::Bytes(32, 1), core::Bytes(64, 0)})
        EXPECT_FALSE(wallet::derive_from_master(core::SecretBytes(master), wallet::identity_path()));
}

} // namespace
