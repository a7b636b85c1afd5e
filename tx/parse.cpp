#include "tx/parse.h"

#include "tx/raw_tx.h"
#include "tx/wire.h"

namespace tx {

namespace {

constexpr size_t MIN_TX_SIZE = 10;

bool value_in_range(uint64_t value)
{
    return value <= static_cast<uint64_t>(MAX_MONEY);
}

} // namespace

std::optional<Transaction> tx_parse(core::ByteView raw)
{
    if (raw.size() < MIN_TX_SIZE) return std::nullopt;
    auto parsed = parse_raw_tx(raw);
    if (!parsed) return std::nullopt;
    if (parsed->inputs.size() > MAX_TX_INPUTS || parsed->outputs.size() > MAX_TX_OUTPUTS) return std::nullopt;

    Transaction tx;
    tx.inputs.resize(parsed->inputs.size());
    for (size_t i = 0; i < parsed->inputs.size(); ++i) {
        RawTxInput& from = parsed->inputs[i];
        TxInput& to = tx.inputs[i];
        to.txid = *Txid::parse(from.prev_txid());
        to.vout = from.prev_index;
        to.script_sig = std::move(from.script_sig);
    }
    tx.outputs.resize(parsed->outputs.size());
    for (size_t i = 0; i < parsed->outputs.size(); ++i) {
        RawTxOutput& from = parsed->outputs[i];
        if (!value_in_range(from.value)) return std::nullopt;
        tx.outputs[i].value = static_cast<core::Amount>(from.value);
        tx.outputs[i].script = std::move(from.script);
    }
    return tx;
}

std::optional<TxOutput> tx_output_at(core::ByteView raw, size_t index)
{
    if (raw.size() < MIN_TX_SIZE) return std::nullopt;
    ByteReader reader(raw);
    if (!reader.skip(4)) return std::nullopt;

    auto input_count = reader.read_compact_size();
    if (!input_count || *input_count == 0 || *input_count > MAX_TX_INPUTS) return std::nullopt;
    for (uint64_t i = 0; i < *input_count; ++i) {
        if (!reader.skip(36)) return std::nullopt;
        auto length = reader.read_compact_size();
        if (!length || !reader.skip(*length) || !reader.skip(4)) return std::nullopt;
    }

    auto output_count = reader.read_compact_size();
    if (!output_count || *output_count > MAX_TX_OUTPUTS || index >= *output_count) return std::nullopt;
    for (size_t i = 0;; ++i) {
        auto value = reader.read_u64_le();
        auto length = value ? reader.read_compact_size() : std::nullopt;
        if (!length) return std::nullopt;
        if (i < index) {
            if (!reader.skip(*length)) return std::nullopt;
            continue;
        }
        auto script = reader.read_bytes(*length);
        if (!script || script->empty() || !value_in_range(*value)) return std::nullopt;
        return TxOutput{static_cast<core::Amount>(*value), core::Bytes(script->begin(), script->end())};
    }
}

} // namespace tx
