// The transaction model every payment, post, offer and completion is built in. Version,
// sequences and lock time are not stored: they are always 1, 0xFFFFFFFF and 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/secure.h"
#include "tx/txid.h"

namespace tx {

inline constexpr uint32_t TX_VERSION = 1;
inline constexpr uint32_t TX_SEQUENCE = 0xFFFFFFFF;
inline constexpr uint32_t TX_LOCK_TIME = 0;
// ALL with the replay-protection flag: the only signature type this program writes.
inline constexpr uint32_t SIGHASH_ALL_FORKID = 0x41;
// tx_parse refuses more inputs or outputs than this.
inline constexpr size_t MAX_TX_INPUTS = 500;
inline constexpr size_t MAX_TX_OUTPUTS = 500;
// No output can hold more than the 21 million coins that will ever exist.
inline constexpr core::Amount MAX_MONEY = 21'000'000 * core::SATS_PER_BSV;

// One input; also the record of a spendable coin. Copies carry their own copy of the key,
// and every copy wipes it when it dies.
struct TxInput {
    Txid txid;                    // display order (the wire holds it reversed)
    uint32_t vout = 0;            // output index in that transaction
    core::Amount value = 0;       // satoshis held by the spent output
    core::Bytes script_sig;       // unlocking script; empty until signed
    core::Bytes prev_script;      // locking script of the spent output; empty means P2PKH of pub_key_hash
    core::SecretString priv_key_hex;  // 64 hex digits of the key that spends it; empty = the wallet's main key
    std::string pub_key_hex;      // 66 hex digits of its compressed public key; empty = the wallet's main key
    core::Hash160 pub_key_hash{}; // hash160 of that public key: the hash the output pays to

    TxInput() = default;
    TxInput(const TxInput& other);
    TxInput& operator=(const TxInput& other);
    TxInput(TxInput&&) noexcept = default;
    TxInput& operator=(TxInput&&) noexcept = default;
    ~TxInput() = default;
};

struct TxOutput {
    core::Amount value = 0;
    core::Bytes script;

    bool operator==(const TxOutput&) const = default;
};

// A whole transaction in the program's shape: inputs and outputs in their significant order.
struct Transaction {
    std::vector<TxInput> inputs;
    std::vector<TxOutput> outputs;
};

} // namespace tx
