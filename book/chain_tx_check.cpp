#include "book/chain_tx_check.h"

#include <limits>

#include "core/hex.h"
#include "core/json_get.h"
#include "net/chain_tx.h"
#include "tx/raw_tx.h"
#include "tx/serialize.h"

namespace book {
namespace {

std::optional<uint32_t> u32_member(const Json& obj, std::string_view key)
{
    const Json* v = core::json_member(obj, key);
    if (!v || !v->is_number_integer()) return std::nullopt;
    if (v->is_number_unsigned()) {
        uint64_t u = v->get<uint64_t>();
        if (u > std::numeric_limits<uint32_t>::max()) return std::nullopt;
        return static_cast<uint32_t>(u);
    }
    int64_t i = v->get<int64_t>();
    if (i < 0 || i > static_cast<int64_t>(std::numeric_limits<uint32_t>::max())) return std::nullopt;
    return static_cast<uint32_t>(i);
}

std::optional<tx::RawTxInput> input_of(const Json& in)
{
    tx::RawTxInput input;
    std::optional<uint32_t> sequence = u32_member(in, "sequence");
    if (!sequence) return std::nullopt;
    input.sequence = *sequence;
    std::string coinbase = core::json_string(in, "coinbase");
    if (!coinbase.empty()) {
        std::optional<core::Bytes> script = core::hex_decode(coinbase);
        if (!script) return std::nullopt;
        input.prev_index = 0xffffffff;
        input.script_sig = std::move(*script);
        return input;
    }
    std::optional<std::array<uint8_t, 32>> prev = tx::txid_to_wire(core::json_string(in, "txid"));
    std::optional<uint32_t> index = u32_member(in, "vout");
    const Json* sig = core::json_object(in, "scriptSig");
    std::optional<std::string> sig_hex = sig ? core::json_string_opt(*sig, "hex") : std::nullopt;
    if (!prev || !index || !sig_hex) return std::nullopt;
    std::optional<core::Bytes> script = core::hex_decode(*sig_hex);
    if (!script) return std::nullopt;
    input.prev_hash = *prev;
    input.prev_index = *index;
    input.script_sig = std::move(*script);
    return input;
}

std::optional<tx::RawTxOutput> output_of(const Json& out)
{
    const Json* spk = core::json_object(out, "scriptPubKey");
    if (!spk) return std::nullopt;
    if (core::json_bool_opt(*spk, "isTruncated").value_or(false)) return std::nullopt;
    std::optional<std::string> hex = core::json_string_opt(*spk, "hex");
    std::optional<core::Amount> sats = net::chain_output_sats(out);
    if (!hex || !sats || *sats < 0) return std::nullopt;
    std::optional<core::Bytes> script = core::hex_decode(*hex);
    if (!script) return std::nullopt;
    return tx::RawTxOutput{static_cast<uint64_t>(*sats), std::move(*script)};
}

} // namespace

std::optional<std::string> chain_tx_txid(const Json& tx)
{
    std::optional<uint32_t> version = u32_member(tx, "version");
    std::optional<uint32_t> lock_time = u32_member(tx, "locktime");
    const Json* vin = core::json_array(tx, "vin");
    const Json* vout = core::json_array(tx, "vout");
    if (!version || !lock_time || !vin || !vout || vin->empty() || vout->empty()) return std::nullopt;
    tx::RawTx raw;
    raw.version = *version;
    raw.lock_time = *lock_time;
    for (const Json& in : *vin) {
        std::optional<tx::RawTxInput> input = input_of(in);
        if (!input) return std::nullopt;
        raw.inputs.push_back(std::move(*input));
    }
    for (const Json& out : *vout) {
        std::optional<tx::RawTxOutput> output = output_of(out);
        if (!output) return std::nullopt;
        raw.outputs.push_back(std::move(*output));
    }
    return tx::tx_id(tx::serialize_raw_tx(raw));
}

} // namespace book
