// parse_secret_json against the JSON library's own parser on any text: both accept the same
// texts and give the same documents, and the secret writer writes what the file writer writes.
#include "core/json_get.h"
#include "core/secret_json.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto text = fuzz::as_text(data, size);
    const auto plain = core::parse_json(text);
    const auto secret = core::parse_secret_json(text);
    FUZZ_CHECK(plain.has_value() == secret.has_value());
    if (!plain) return 0;
    FUZZ_CHECK(*plain == *secret);
    FUZZ_CHECK(core::dump_secret_json_file(*secret).str() == core::json_dump_file(*plain));
    return 0;
}
