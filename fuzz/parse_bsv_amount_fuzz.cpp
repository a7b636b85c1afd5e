// parse_bsv_amount on any text: a result is positive, and its display form parses back to it.
#include "core/amount.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto amount = core::parse_bsv_amount(fuzz::as_text(data, size));
    if (!amount) return 0;
    FUZZ_CHECK(*amount > 0);
    const auto again = core::parse_bsv_amount(core::format_bsv(*amount));
    FUZZ_CHECK(again && *again == *amount);
    return 0;
}
