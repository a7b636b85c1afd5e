// A transaction exactly as it stands on the wire: version, every sequence and the lock time
// are kept, so that any valid transaction re-serialises byte for byte. The program's own
// model (transaction.h) fixes those fields; this form is for transactions made by others.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "tx/transaction.h"

namespace tx {

struct RawTxInput {
    std::array<uint8_t, 32> prev_hash{};  // previous txid in wire order (reversed from display)
    uint32_t prev_index = 0;
    core::Bytes script_sig;
    uint32_t sequence = TX_SEQUENCE;

    // The previous txid as 64 lower-case hex digits in display order.
    [[nodiscard]] std::string prev_txid() const;
};

struct RawTxOutput {
    uint64_t value = 0;  // as on the wire; a value above MAX_MONEY is invalid but kept as read
    core::Bytes script;
};

struct RawTx {
    uint32_t version = TX_VERSION;
    std::vector<RawTxInput> inputs;
    std::vector<RawTxOutput> outputs;
    uint32_t lock_time = TX_LOCK_TIME;
};

// Parses a whole raw transaction: version, at least one input, at least one output, the lock
// time, and nothing after it. Counts are bounded only by the bytes present (each element
// is checked to fit before it is read), so hostile counts cost no memory. Returns nullopt on
// any truncation, an empty input or output list, or trailing bytes. Safe from any thread.
std::optional<RawTx> parse_raw_tx(core::ByteView raw);

// The wire bytes of the transaction. Never fails. Safe from any thread.
core::Bytes serialize_raw_tx(const RawTx& tx);

// The same transaction in this program's fixed shape (version 1, sequences 0xFFFFFFFF, lock
// time 0): txids reversed onto the wire, scriptSigs and outputs copied. Values, previous
// scripts and keys are not part of the wire form and are ignored. Returns nullopt when an
// output value is negative or above MAX_MONEY.
std::optional<RawTx> raw_tx_from_model(const std::vector<TxInput>& inputs,
                                       const std::vector<TxOutput>& outputs);

// Decodes a display-order txid (64 hex digits, either case) into wire order.
std::optional<std::array<uint8_t, 32>> txid_to_wire(std::string_view txid);

} // namespace tx
