#include "tx/sighash.h"

#include "core/hash.h"
#include "tx/wire.h"

namespace tx {

namespace {

core::Hash256 hash_prevouts(const RawTx& tx)
{
    core::Bytes data;
    data.reserve(tx.inputs.size() * 36);
    for (const RawTxInput& in : tx.inputs) {
        data.insert(data.end(), in.prev_hash.begin(), in.prev_hash.end());
        append_u32_le(data, in.prev_index);
    }
    return core::sha256d(data);
}

core::Hash256 hash_sequence(const RawTx& tx)
{
    core::Bytes data;
    data.reserve(tx.inputs.size() * 4);
    for (const RawTxInput& in : tx.inputs) append_u32_le(data, in.sequence);
    return core::sha256d(data);
}

void append_output(core::Bytes& data, const RawTxOutput& out)
{
    append_u64_le(data, out.value);
    append_compact_size(data, out.script.size());
    data.insert(data.end(), out.script.begin(), out.script.end());
}

core::Hash256 hash_outputs(const RawTx& tx)
{
    core::Bytes data;
    for (const RawTxOutput& out : tx.outputs) append_output(data, out);
    return core::sha256d(data);
}

core::Hash256 hash_one_output(const RawTxOutput& out)
{
    core::Bytes data;
    append_output(data, out);
    return core::sha256d(data);
}

void append_hash(core::Bytes& out, const core::Hash256& hash)
{
    out.insert(out.end(), hash.begin(), hash.end());
}

} // namespace

core::Bytes forkid_preimage(const RawTx& tx, size_t index, core::ByteView script_code, uint64_t value,
                            uint32_t hash_type)
{
    if (index >= tx.inputs.size()) return {};
    const uint32_t base_type = hash_type & 0x1F;
    const bool anyone_can_pay = (hash_type & SIGHASH_ANYONECANPAY) != 0;
    const bool single = base_type == SIGHASH_SINGLE;
    const bool none = base_type == SIGHASH_NONE;
    const core::Hash256 zero{};

    const core::Hash256 prevouts = anyone_can_pay ? zero : hash_prevouts(tx);
    const core::Hash256 sequences = (anyone_can_pay || single || none) ? zero : hash_sequence(tx);
    core::Hash256 outputs = zero;
    if (!single && !none) {
        outputs = hash_outputs(tx);
    } else if (single && index < tx.outputs.size()) {
        outputs = hash_one_output(tx.outputs[index]);
    }

    const RawTxInput& in = tx.inputs[index];
    core::Bytes preimage;
    preimage.reserve(4 + 32 + 32 + 36 + 9 + script_code.size() + 8 + 4 + 32 + 4 + 4);
    append_u32_le(preimage, tx.version);
    append_hash(preimage, prevouts);
    append_hash(preimage, sequences);
    preimage.insert(preimage.end(), in.prev_hash.begin(), in.prev_hash.end());
    append_u32_le(preimage, in.prev_index);
    append_compact_size(preimage, script_code.size());
    preimage.insert(preimage.end(), script_code.begin(), script_code.end());
    append_u64_le(preimage, value);
    append_u32_le(preimage, in.sequence);
    append_hash(preimage, outputs);
    append_u32_le(preimage, tx.lock_time);
    append_u32_le(preimage, hash_type);
    return preimage;
}

std::optional<core::Hash256> forkid_digest(const RawTx& tx, size_t index, core::ByteView script_code,
                                           uint64_t value, uint32_t hash_type)
{
    core::Bytes preimage = forkid_preimage(tx, index, script_code, value, hash_type);
    if (preimage.empty()) return std::nullopt;
    return core::sha256d(preimage);
}

core::Bytes tx_sighash_preimage(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs,
                                size_t index, core::ByteView script_code)
{
    if (index >= inputs.size() || inputs[index].value < 0) return {};
    auto raw = raw_tx_from_model(inputs, outputs);
    if (!raw) return {};
    return forkid_preimage(*raw, index, script_code, static_cast<uint64_t>(inputs[index].value),
                           SIGHASH_ALL_FORKID);
}

std::optional<core::Hash256> tx_sighash(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs,
                                        size_t index, core::ByteView script_code)
{
    core::Bytes preimage = tx_sighash_preimage(inputs, outputs, index, script_code);
    if (preimage.empty()) return std::nullopt;
    return core::sha256d(preimage);
}

} // namespace tx
