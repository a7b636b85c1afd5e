// tx_output_at on any bytes and index: never reads past the end, and an output it returns is
// the one tx_parse finds at that index when the whole transaction is well formed.
#include "fuzz/fuzz_check.h"
#include "tx/parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Cursor in(data, size);
    const size_t index = in.take_byte();
    const auto raw = in.rest_bytes();
    const auto output = tx::tx_output_at(raw, index);
    if (!output) return 0;
    FUZZ_CHECK(!output->script.empty() && output->value >= 0 && output->value <= tx::MAX_MONEY);
    if (const auto whole = tx::tx_parse(raw)) {
        FUZZ_CHECK(index < whole->outputs.size() && whole->outputs[index] == *output);
    }
    return 0;
}
