// hash160_from_address on any text: an accepted address is the one its hash encodes back to.
#include "core/base58.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto text = fuzz::as_text(data, size);
    const auto hash = core::hash160_from_address(text);
    if (!hash) return 0;
    FUZZ_CHECK(core::address_from_hash160(*hash) == text);
    return 0;
}
