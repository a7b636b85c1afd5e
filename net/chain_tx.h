// A transaction as the chain services describe it in JSON (WhatsOnChain "/tx/{txid}" and the
// registry's "/oi/tx/{txid}"): its outputs with amounts, scripts and addresses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/bytes.h"
#include "tx/txid.h"

namespace net {

struct ChainTxOutput {
    core::Amount sats = 0;
    std::string script_hex;          // lower case; empty when the answer had none
    bool script_truncated = false;   // the service cut a large script: script_hex is not all of it
    std::vector<std::string> addresses;
};

struct ChainTx {
    tx::Txid txid;
    std::vector<ChainTxOutput> outputs;
    bool confirmed = false;    // the answer names a block
    int64_t block_height = 0;  // 0 when unconfirmed or not given
};

// A BSV amount given as a JSON float, in satoshis: exact for every amount that can exist
// (the float's nearest 8-decimal text is read). nullopt for negative, non-finite or larger
// than 21 million BSV.
std::optional<core::Amount> bsv_to_sats(double bsv);

// Satoshis of one output entry: "valueSat", else "satoshis" (integer satoshis; a float is
// rounded), else "value" (BSV). nullopt when none of them is a usable number.
std::optional<core::Amount> chain_output_sats(const nlohmann::json& output);

// Where a transaction stands on the chain, as a service reports it. Only an ordering hint: the
// reader never takes a transaction's content from it.
struct ChainPosition {
    enum class State { Unknown, Unconfirmed, Confirmed };
    State state = State::Unknown;
    int64_t height = 0;  // the block height when Confirmed
    bool operator==(const ChainPosition&) const = default;
};

// The position an answer reports: Confirmed at "blockheight" when it names a block
// ("blockhash" or a positive "confirmations") and gives a height of 0 or more; otherwise
// Unconfirmed when the answer's form always names the block of a mined transaction
// (names_block_when_mined), else Unknown.
ChainPosition chain_position(const nlohmann::json& answer, bool names_block_when_mined);

// A raw transaction as a service gave it, not yet checked against its txid.
struct RawTxAnswer {
    tx::Txid txid;     // the txid the answer names
    std::string hex;   // the raw transaction, lower-case hex
    ChainPosition position;
};

// The typed transaction, or nullopt when tx is not an object with a 64-hex "txid" and a
// "vout" array whose every entry is an object with an amount, a hex script (when given) and
// whose "n" (when given) matches its position.
std::optional<ChainTx> parse_chain_tx(const nlohmann::json& tx);

} // namespace net
