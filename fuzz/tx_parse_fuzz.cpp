// tx_parse on any bytes: an accepted transaction serialises back to bytes that parse to the same
// outputs and input outpoints, and tx_output_at agrees with it on every output.
#include "fuzz/fuzz_check.h"
#include "tx/parse.h"
#include "tx/serialize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto raw = fuzz::as_bytes(data, size);
    const auto parsed = tx::tx_parse(raw);
    if (!parsed) return 0;
    FUZZ_CHECK(!parsed->inputs.empty() && parsed->inputs.size() <= tx::MAX_TX_INPUTS);
    FUZZ_CHECK(!parsed->outputs.empty() && parsed->outputs.size() <= tx::MAX_TX_OUTPUTS);
    for (size_t i = 0; i < parsed->outputs.size(); ++i) {
        const auto output = tx::tx_output_at(raw, i);  // an output with an empty script is refused
        FUZZ_CHECK(parsed->outputs[i].script.empty() ? !output : output && *output == parsed->outputs[i]);
    }
    FUZZ_CHECK(!tx::tx_output_at(raw, parsed->outputs.size()));

    const auto written = tx::tx_serialize(parsed->inputs, parsed->outputs);
    FUZZ_CHECK(!written.empty());
    const auto again = tx::tx_parse(written);
    FUZZ_CHECK(again && again->outputs == parsed->outputs && again->inputs.size() == parsed->inputs.size());
    for (size_t i = 0; i < parsed->inputs.size(); ++i) {
        const tx::TxInput& in = parsed->inputs[i];
        FUZZ_CHECK(again->inputs[i].txid == in.txid && again->inputs[i].vout == in.vout &&
                   again->inputs[i].script_sig == in.script_sig);
    }
    return 0;
}
