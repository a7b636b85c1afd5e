// parse_bsv20 on any text: amounts read are plain decimal text, and a transfer body written from
// what was read reads back to the same token id and amount.
#include <algorithm>

#include "fuzz/fuzz_check.h"
#include "tx/bsv20.h"

namespace {
bool digits_only(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto body = tx::parse_bsv20(fuzz::as_text(data, size));
    if (!body) return 0;
    const auto text = tx::bsv20_transfer_json(body->id, body->amt, body->name, body->icon, body->sym, body->dec);
    const auto again = tx::parse_bsv20(text);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->op == "transfer");
    if (digits_only(body->amt) && digits_only(body->id)) {
        FUZZ_CHECK(again->amt == body->amt && again->id == body->id);
    }
    return 0;
}
