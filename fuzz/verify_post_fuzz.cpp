// verify_post over any JSON: the signing string and every check run on hostile members; a post
// that passes names a key that the lookup published, and a changed signed member fails it.
#include "book/post.h"
#include "book/signing.h"
#include "core/json_get.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto post = core::parse_json(fuzz::as_text(data, size));
    if (!post) return 0;
    (void)book::signing_string(*post);
    (void)book::book_post_names_signer(*post);
    (void)book::post_pubkey(*post);
    (void)book::normalize_handle(book::post_string(*post, "handle"));

    const std::string own_key = book::post_pubkey(*post);
    const bool with_own_key = book::verify_post(*post, [&](std::string_view) { return own_key; });
    const bool with_no_key = book::verify_post(*post, [](std::string_view) { return std::string(); });
    FUZZ_CHECK(!with_no_key);
    if (!with_own_key) return 0;
    FUZZ_CHECK(book::verify_post_signature(*post));
    // The signature covers the timestamp: moving it must break the check.
    (*post)["ts"] = book::post_number(*post, "ts") + 1;
    FUZZ_CHECK(!book::verify_post_signature(*post));
    return 0;
}
