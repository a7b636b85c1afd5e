#include "tx/raw_tx.h"

#include <algorithm>

#include "core/hex.h"
#include "tx/wire.h"

namespace tx {

namespace {

// Smallest possible encodings, used to refuse counts the remaining bytes cannot hold.
constexpr uint64_t MIN_INPUT_SIZE = 32 + 4 + 1 + 4;
constexpr uint64_t MIN_OUTPUT_SIZE = 8 + 1;

std::optional<RawTxInput> read_input(ByteReader& reader)
{
    RawTxInput in;
    auto hash = reader.read_bytes(32);
    if (!hash) return std::nullopt;
    std::copy(hash->begin(), hash->end(), in.prev_hash.begin());
    auto index = reader.read_u32_le();
    if (!index) return std::nullopt;
    in.prev_index = *index;
    auto length = reader.read_compact_size();
    if (!length) return std::nullopt;
    auto script = reader.read_bytes(*length);
    if (!script) return std::nullopt;
    in.script_sig.assign(script->begin(), script->end());
    auto sequence = reader.read_u32_le();
    if (!sequence) return std::nullopt;
    in.sequence = *sequence;
    return in;
}

std::optional<RawTxOutput> read_output(ByteReader& reader)
{
    RawTxOutput out;
    auto value = reader.read_u64_le();
    if (!value) return std::nullopt;
    out.value = *value;
    auto length = reader.read_compact_size();
    if (!length) return std::nullopt;
    auto script = reader.read_bytes(*length);
    if (!script) return std::nullopt;
    out.script.assign(script->begin(), script->end());
    return out;
}

} // namespace

std::string RawTxInput::prev_txid() const
{
    std::array<uint8_t, 32> display = prev_hash;
    std::reverse(display.begin(), display.end());
    return core::hex_encode(display);
}

std::optional<RawTx> parse_raw_tx(core::ByteView raw)
{
    ByteReader reader(raw);
    RawTx tx;
    auto version = reader.read_u32_le();
    if (!version) return std::nullopt;
    tx.version = *version;

    auto input_count = reader.read_compact_size();
    if (!input_count || *input_count == 0 || *input_count > reader.remaining() / MIN_INPUT_SIZE) return std::nullopt;
    tx.inputs.reserve(static_cast<size_t>(*input_count));
    for (uint64_t i = 0; i < *input_count; ++i) {
        auto in = read_input(reader);
        if (!in) return std::nullopt;
        tx.inputs.push_back(std::move(*in));
    }

    auto output_count = reader.read_compact_size();
    if (!output_count || *output_count == 0 || *output_count > reader.remaining() / MIN_OUTPUT_SIZE) return std::nullopt;
    tx.outputs.reserve(static_cast<size_t>(*output_count));
    for (uint64_t i = 0; i < *output_count; ++i) {
        auto out = read_output(reader);
        if (!out) return std::nullopt;
        tx.outputs.push_back(std::move(*out));
    }

    auto lock_time = reader.read_u32_le();
    if (!lock_time || !reader.at_end()) return std::nullopt;
    tx.lock_time = *lock_time;
    return tx;
}

core::Bytes serialize_raw_tx(const RawTx& tx)
{
    size_t size = 4 + compact_size_length(tx.inputs.size()) + compact_size_length(tx.outputs.size()) + 4;
    for (const RawTxInput& in : tx.inputs) size += 40 + compact_size_length(in.script_sig.size()) + in.script_sig.size();
    for (const RawTxOutput& out : tx.outputs) size += 8 + compact_size_length(out.script.size()) + out.script.size();

    core::Bytes bytes;
    bytes.reserve(size);
    append_u32_le(bytes, tx.version);
    append_compact_size(bytes, tx.inputs.size());
    for (const RawTxInput& in : tx.inputs) {
        bytes.insert(bytes.end(), in.prev_hash.begin(), in.prev_hash.end());
        append_u32_le(bytes, in.prev_index);
        append_compact_size(bytes, in.script_sig.size());
        bytes.insert(bytes.end(), in.script_sig.begin(), in.script_sig.end());
        append_u32_le(bytes, in.sequence);
    }
    append_compact_size(bytes, tx.outputs.size());
    for (const RawTxOutput& out : tx.outputs) {
        append_u64_le(bytes, out.value);
        append_compact_size(bytes, out.script.size());
        bytes.insert(bytes.end(), out.script.begin(), out.script.end());
    }
    append_u32_le(bytes, tx.lock_time);
    return bytes;
}

std::optional<std::array<uint8_t, 32>> txid_to_wire(std::string_view txid)
{
    if (txid.size() != 64) return std::nullopt;
    auto bytes = core::hex_decode(txid);
    if (!bytes || bytes->size() != 32) return std::nullopt;
    std::array<uint8_t, 32> wire{};
    std::reverse_copy(bytes->begin(), bytes->end(), wire.begin());
    return wire;
}

std::optional<RawTx> raw_tx_from_model(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs)
{
    RawTx tx;
    tx.inputs.reserve(inputs.size());
    for (const TxInput& in : inputs) {
        auto hash = txid_to_wire(in.txid.hex());
        if (!hash) return std::nullopt;
        RawTxInput raw;
        raw.prev_hash = *hash;
        raw.prev_index = in.vout;
        raw.script_sig = in.script_sig;
        raw.sequence = TX_SEQUENCE;
        tx.inputs.push_back(std::move(raw));
    }
    tx.outputs.reserve(outputs.size());
    for (const TxOutput& out : outputs) {
        if (out.value < 0 || out.value > MAX_MONEY) return std::nullopt;
        tx.outputs.push_back(RawTxOutput{static_cast<uint64_t>(out.value), out.script});
    }
    return tx;
}

} // namespace tx
