#include "devnet/admin_tx.h"

#include <nlohmann/json.hpp>

#include "core/json_get.h"
#include "devnet/chain_tx.h"
#include "tx/inscription.h"
#include "tx/push.h"
#include "tx/script.h"
#include "tx/wire.h"

namespace devnet {

core::Bytes coinbase_tx(uint64_t nonce, std::vector<tx::RawTxOutput> outputs)
{
    tx::RawTx t;
    tx::RawTxInput input;
    input.prev_index = COINBASE_INDEX;
    core::Bytes nonce_bytes;
    tx::append_u64_le(nonce_bytes, nonce);
    tx::append_push(input.script_sig, nonce_bytes);
    tx::append_push(input.script_sig, core::as_bytes("agoran-devnet"));
    t.inputs.push_back(std::move(input));
    t.outputs = std::move(outputs);
    return tx::serialize_raw_tx(t);
}

core::Bytes inscription_lock(const core::Hash160& owner, std::string_view content_type, core::ByteView body,
                             bool envelope_first)
{
    core::Bytes script = tx::inscription_script(owner, content_type, body);
    if (!envelope_first) return script;
    core::Bytes moved(script.begin() + tx::P2PKH_SCRIPT_SIZE, script.end());
    moved.insert(moved.end(), script.begin(), script.begin() + tx::P2PKH_SCRIPT_SIZE);
    return moved;
}

std::string deploy_mint_json(const std::string& amount, const std::string& symbol, const std::string& icon,
                             const std::string& decimals)
{
    nlohmann::json body = {{"p", "bsv-20"}, {"op", "deploy+mint"}, {"amt", amount}};
    if (!symbol.empty()) body["sym"] = symbol;
    if (!icon.empty()) body["icon"] = icon;
    if (!decimals.empty()) body["dec"] = decimals;
    return core::json_dump_compact(body);
}

} // namespace devnet
