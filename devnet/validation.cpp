#include "devnet/validation.h"

#include <set>

#include "devnet/lock_script.h"
#include "tx/transaction.h"

namespace devnet {

int64_t min_fee_for(size_t size, int64_t fee_rate)
{
    if (fee_rate <= 0) return 0;
    int64_t fee = static_cast<int64_t>(size) * fee_rate / 1000;
    return fee < 1 ? 1 : fee;
}

namespace {

Judgement refuse(Judgement j, Verdict verdict, std::string reason)
{
    j.verdict = verdict;
    j.node_reason = std::move(reason);
    return j;
}

} // namespace

Judgement judge_transaction(const ChainState& state, core::ByteView raw, int64_t fee_rate)
{
    Judgement j;
    auto parsed = tx::parse_raw_tx(raw);
    if (!parsed) return refuse(std::move(j), Verdict::decode_failed, "TX decode failed");
    j.txid = txid_of(raw);
    if (const TxRecord* known = state.find_tx(j.txid)) {
        if (known->confirmed()) return refuse(std::move(j), Verdict::already_mined, "257: txn-already-known");
        return refuse(std::move(j), Verdict::already_in_mempool, "Transaction already in the mempool");
    }

    // Outputs first: their rules need no chain.
    uint64_t out_total = 0;
    for (size_t k = 0; k < parsed->outputs.size(); ++k) {
        const auto& out = parsed->outputs[k];
        j.output_index = k;
        if (out.value > static_cast<uint64_t>(tx::MAX_MONEY)) {
            return refuse(std::move(j), Verdict::bad_outputs, "16: bad-txns-vout-toolarge");
        }
        if (out.value == 0 && !is_data_script(out.script)) return refuse(std::move(j), Verdict::bad_outputs, "64: dust");
        out_total += out.value;
        if (out_total > static_cast<uint64_t>(tx::MAX_MONEY)) {
            return refuse(std::move(j), Verdict::bad_outputs, "16: bad-txns-txouttotal-toolarge");
        }
    }

    // Every input must name an output the node has and nobody spent.
    std::set<std::pair<std::string, uint32_t>> seen;
    std::set<std::string> competing;
    std::vector<int64_t> values;
    uint64_t in_total = 0;
    for (size_t i = 0; i < parsed->inputs.size(); ++i) {
        const auto& input = parsed->inputs[i];
        j.input_index = i;
        Outpoint prev{input.prev_txid(), input.prev_index};
        if (!seen.insert({prev.txid, prev.vout}).second) {
            return refuse(std::move(j), Verdict::duplicate_inputs, "16: bad-txns-inputs-duplicate");
        }
        const tx::RawTxOutput* out = state.find_output(prev);
        if (!out) return refuse(std::move(j), Verdict::missing_inputs, "Missing inputs");
        if (const SpendRef* spend = state.spender(prev)) {
            const TxRecord* by = state.find_tx(spend->txid);
            if (by && by->confirmed()) return refuse(std::move(j), Verdict::spent_inputs, "Missing inputs");
            competing.insert(spend->txid);
        }
        values.push_back(static_cast<int64_t>(out->value));
        in_total += out->value;
    }
    if (!competing.empty()) {
        j.competing.assign(competing.begin(), competing.end());
        return refuse(std::move(j), Verdict::mempool_conflict, "258: txn-mempool-conflict");
    }

    for (size_t i = 0; i < parsed->inputs.size(); ++i) {
        const auto& input = parsed->inputs[i];
        const tx::RawTxOutput* out = state.find_output(Outpoint{input.prev_txid(), input.prev_index});
        auto failure = check_input_script(*parsed, i, out->script, out->value);
        if (failure) {
            j.input_index = i;
            return refuse(std::move(j), Verdict::script_failed, "16: mandatory-script-verify-flag-failed (" + *failure + ")");
        }
    }

    if (in_total < out_total) return refuse(std::move(j), Verdict::overspend, "16: bad-txns-in-belowout");
    j.fee = static_cast<int64_t>(in_total - out_total);
    j.min_fee = min_fee_for(raw.size(), fee_rate);
    if (j.fee < j.min_fee) return refuse(std::move(j), Verdict::fee_too_low, "66: mempool min fee not met");

    j.verdict = Verdict::accepted;
    j.record.txid = j.txid;
    j.record.raw.assign(raw.begin(), raw.end());
    j.record.tx = std::move(*parsed);
    j.record.input_values = std::move(values);
    return j;
}

} // namespace devnet
