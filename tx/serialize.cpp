#include "tx/serialize.h"

#include <algorithm>

#include "core/hash.h"
#include "core/hex.h"
#include "tx/raw_tx.h"

namespace tx {

core::Bytes tx_serialize(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs, bool estimate)
{
    auto raw = raw_tx_from_model(inputs, outputs);
    if (!raw) return {};
    if (estimate) {
        core::Bytes placeholder(ESTIMATED_SCRIPT_SIG_SIZE, 0);
        for (RawTxInput& in : raw->inputs) in.script_sig = placeholder;
    }
    return serialize_raw_tx(*raw);
}

Txid tx_id(core::ByteView raw)
{
    core::Hash256 digest = core::sha256d(raw);
    std::reverse(digest.begin(), digest.end());
    return *Txid::parse(core::hex_encode(digest));
}

} // namespace tx
