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
        const auto output = tx::tx_output_at(raw, i);
        if (parsed->outputs[i].script.empty()) {
            FUZZ_CHECK(!output);
        } else {
            FUZZ_CHECK(output && *output == parsed->outputs[i]);
        }
    }
    FUZZ_CHECK(!tx::tx_output_at(raw, parsed->outputs.size()));

    const auto written = tx::tx_serialize(parsed->inputs, parsed->outputs);
    FUZZ_CHECK(!written.empty());
    const auto again = tx::tx_parse(written);
    FUZZ_CHECK(again && again->outputs == parsed->outputs && again->inputs.size() == parsed->inputs.size());
    for (size_t i = 0; i < parsed->inputs.size(); ++i) {
        FUZZ_CHECK(again->inputs[i].txid == parsed->inputs[i].txid);
        FUZZ_CHECK(again->inputs[i].vout == parsed->inputs[i].vout);
        FUZZ_CHECK(again->inputs[i].script_sig == parsed->inputs[i].script_sig);
    }
    return 0;
}
