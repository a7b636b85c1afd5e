// The core text readers on any text (the first byte picks one): nothing crashes, and whatever a
// reader accepts comes back through its writer as the same value. The strict hex reader accepts
// a subset of what the loose one does, to the same bytes; an accepted address is the one its hash
// encodes back to; a parsed BSV amount is positive.
#include "core/amount.h"
#include "core/base58.h"
#include "core/base64.h"
#include "core/hex.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Cursor in(data, size);
    const unsigned which = in.take_byte() % 4;
    const auto text = in.rest_text();
    if (which == 0) {
        if (const auto decoded = core::base64_decode(text)) {
            const auto again = core::base64_decode(core::base64_encode(*decoded));
            FUZZ_CHECK(again && *again == *decoded);
        }
    } else if (which == 1) {
        const auto loose = core::hex_decode_loose(text);
        if (const auto strict = core::hex_decode(text)) FUZZ_CHECK(loose && *loose == *strict);
        if (loose) {
            const auto again = core::hex_decode(core::hex_encode(*loose));
            FUZZ_CHECK(again && *again == *loose);
        }
        (void)core::is_hex64(text);
    } else if (which == 2) {
        if (const auto hash = core::hash160_from_address(text)) FUZZ_CHECK(core::address_from_hash160(*hash) == text);
    } else if (const auto amount = core::parse_bsv_amount(text)) {
        FUZZ_CHECK(*amount > 0);
        const auto again = core::parse_bsv_amount(core::format_bsv(*amount));
        FUZZ_CHECK(again && *again == *amount);
    }
    return 0;
}
