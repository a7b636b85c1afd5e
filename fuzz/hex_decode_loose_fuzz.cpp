// hex_decode_loose and the strict hex_decode on any text: the strict form accepts a subset of
// what the loose one does, to the same bytes, and every result re-encodes to itself.
#include "core/hex.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto text = fuzz::as_text(data, size);
    const auto loose = core::hex_decode_loose(text);
    const auto strict = core::hex_decode(text);
    if (strict) FUZZ_CHECK(loose && *loose == *strict);
    if (loose) {
        const auto again = core::hex_decode(core::hex_encode(*loose));
        FUZZ_CHECK(again && *again == *loose);
    }
    (void)core::is_hex64(text);
    return 0;
}
