// parse_envelope on any script and start: a parsed envelope has a content type and ends inside
// the script, after its start.
#include "fuzz/fuzz_check.h"
#include "tx/inscription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Cursor in(data, size);
    const size_t start = in.take_byte() % 40;
    const auto script = in.rest_bytes();
    const auto envelope = tx::parse_envelope(script, start);
    if (!envelope) return 0;
    FUZZ_CHECK(!envelope->content_type.empty());
    FUZZ_CHECK(envelope->end > start && envelope->end <= script.size());
    return 0;
}
