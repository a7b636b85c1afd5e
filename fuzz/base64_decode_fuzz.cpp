// base64_decode on any text: never crashes, and whatever decodes re-encodes to text that decodes
// to the same bytes.
#include "core/base64.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto decoded = core::base64_decode(fuzz::as_text(data, size));
    if (!decoded) return 0;
    const auto again = core::base64_decode(core::base64_encode(*decoded));
    FUZZ_CHECK(again && *again == *decoded);
    return 0;
}
