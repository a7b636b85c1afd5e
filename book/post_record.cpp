#include "book/post_record.h"

#include <cmath>

#include "book/replay.h"
#include "core/base58.h"
#include "core/text.h"
#include "tx/script.h"

namespace book {
namespace {

uint64_t rounded_sats(double value)
{
    return (std::isfinite(value) && value >= 0 && value < 1.8e19) ? static_cast<uint64_t>(value) : 0;
}

uint64_t output_sats(const Json& output)
{
    if (const Json* v = core::json_member(output, "valueSat"); v && v->is_number()) {
        if (v->is_number_float()) return rounded_sats(v->get<double>() + 0.5);
        return post_u64(output, "valueSat");
    }
    if (const Json* v = core::json_member(output, "value"); v && v->is_number()) {
        return rounded_sats(v->get<double>() * 100'000'000.0 + 0.5);
    }
    return 0;
}

std::string output_address(const Json& output)
{
    const Json* spk = core::json_object(output, "scriptPubKey");
    if (!spk) return {};
    if (const Json* addresses = core::json_array(*spk, "addresses"); addresses && !addresses->empty()) {
        const Json& first = addresses->front();
        return first.is_string() ? first.get<std::string>() : std::string();
    }
    return core::json_string(*spk, "address");
}

} // namespace

TxOutputs read_tx_outputs(const tx::RawTx& tx)
{
    TxOutputs outputs;
    outputs.count = tx.outputs.size();
    for (const tx::RawTxOutput& output : tx.outputs) {
        if (std::optional<core::Hash160> hash = tx::p2pkh_hash(output.script)) {
            outputs.paid.push_back(PaidOutput{core::address_from_hash160(*hash), output.value});
        }
    }
    return outputs;
}

TxOutputs read_tx_outputs(const Json& tx)
{
    TxOutputs outputs;
    if (const Json* vout = core::json_array(tx, "vout")) {
        outputs.count = vout->size();
        for (const Json& output : *vout) {
            std::string address = output_address(output);
            if (!address.empty()) outputs.paid.push_back(PaidOutput{std::move(address), output_sats(output)});
        }
    }
    return outputs;
}

PostFields read_post_fields(const Json& post)
{
    PostFields f;
    f.type = post_string(post, "type");
    f.listing = core::ascii_lower(post_string(post, "listing"));
    f.signer = post_pubkey(post);
    f.signature = canonical_signature(post);
    f.actor = core::ascii_lower(normalize_handle(post_string(post, "actor")));
    f.handle = post_string(post, "handle");
    if (f.handle.empty()) f.handle = post_string(post, "actor");
    f.paymail = post_string(post, "paymail");
    f.origin = post_string(post, "origin");
    f.kind = post_string(post, "kind");
    const std::string utxo = core::ascii_lower(post_string(post, "utxo"));
    f.has_utxo = !utxo.empty();
    f.utxo = tx::parse_outpoint(utxo);
    f.qty = post_string(post, "qty");
    f.sold = post_string(post, "sold");
    f.note = post_string(post, "note");
    f.pay_addr = post_string(post, "pay_addr");
    f.ord_addr = post_string(post, "ord_addr");
    f.name = post_string(post, "name");
    f.sym = post_string(post, "sym");
    f.icon = post_string(post, "icon");
    f.buyer = post_string(post, "buyer");
    f.buyer_ord = post_string(post, "buyer_ord");
    f.offer = post_string(post, "offer");
    f.has_price = core::json_member(post, "price_sats") != nullptr;
    f.price_sats = post_u64_opt(post, "price_sats");
    f.pay_sats = post_u64(post, "pay_sats");
    f.exp = post_int(post, "exp");
    return f;
}

PostRecord make_post_record(tx::Txid txid, Json post, TxOutputs outputs, int64_t time, size_t seen)
{
    PostRecord record;
    record.fields = read_post_fields(post);
    record.txid = std::move(txid);
    record.post = std::move(post);
    record.outputs = std::move(outputs);
    record.time = time;
    record.seen = seen;
    return record;
}

} // namespace book
