// Helpers shared by the tx tests: hex in and out, and the keys and transactions of tests/data.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/bytes.h"
#include "core/hash.h"
#include "core/hex.h"
#include "tests/support/test_data.h"
#include "tests/support/test_txid.h"
#include "tx/transaction.h"

namespace txtest {

inline core::Bytes unhex(std::string_view text)
{
    auto bytes = core::hex_decode(text);
    EXPECT_TRUE(bytes.has_value()) << "bad hex in test: " << text;
    return bytes.value_or(core::Bytes{});
}

inline std::string hex(core::ByteView bytes)
{
    return core::hex_encode(bytes);
}

inline core::Hash160 hash160_of_hex(std::string_view text)
{
    core::Hash160 hash{};
    EXPECT_TRUE(core::hex_decode_to(text, hash)) << "bad hash in test: " << text;
    return hash;
}

// A key pair of the first wallet in bip32-paths.json.
struct TestKey {
    std::string priv_hex;
    std::string pub_hex;
    core::Hash160 hash{};
};

inline const nlohmann::json& wallet_vectors()
{
    static const nlohmann::json wallets = testsupport::read_json_vector("bip32-paths.json")["wallets"];
    return wallets;
}

// The key of the n-th path of a wallet of bip32-paths.json.
inline TestKey key_of_path(size_t wallet, size_t n)
{
    const auto& path = wallet_vectors()[wallet]["paths"][n];
    TestKey key{path["private_key_hex"].get<std::string>(), path["public_key_hex"].get<std::string>(), {}};
    key.hash = core::hash160(unhex(key.pub_hex));
    return key;
}

// The n-th key of the first wallet's paths.
inline TestKey key_at(size_t n) { return key_of_path(0, n); }

// The key of bip32-paths.json whose public key hashes to hash, or nullopt.
inline std::optional<TestKey> key_for_hash(const core::Hash160& hash)
{
    for (size_t w = 0; w < wallet_vectors().size(); ++w) {
        for (size_t n = 0; n < wallet_vectors()[w]["paths"].size(); ++n) {
            if (TestKey key = key_of_path(w, n); key.hash == hash) return key;
        }
    }
    return std::nullopt;
}

// The inputs and outputs of a program_shape case of sighash-forkid.json.
inline tx::Transaction shape_case_tx(const nlohmann::json& c)
{
    tx::Transaction t;
    for (const auto& in : c["inputs"]) {
        t.inputs.push_back(
            test_input(test_txid(in["txid"].get<std::string>()), in["vout"].get<uint32_t>(), in["value"].get<int64_t>()));
    }
    for (const auto& out : c["outputs"]) {
        t.outputs.push_back(tx::TxOutput{out["value"].get<int64_t>(), unhex(out["script_hex"].get<std::string>())});
    }
    return t;
}

inline nlohmann::json shape_cases()
{
    return testsupport::read_json_vector("sighash-forkid.json")["program_shape_cases"]["cases"];
}

// The scripts of inscriptions.json.
inline nlohmann::json inscription_scripts()
{
    return testsupport::read_json_vector("inscriptions.json")["scripts"];
}

} // namespace txtest
