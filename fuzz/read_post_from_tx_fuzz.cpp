// read_post_from_tx and the record readers over any chain transaction JSON: a post found is a
// flat object of the book's protocol, and making a record of it never fails on odd members.
#include "book/post.h"
#include "book/post_record.h"
#include "core/json_get.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto tx = core::parse_json(fuzz::as_text(data, size));
    if (!tx) return 0;
    auto outputs = book::read_tx_outputs(*tx);
    const auto post = book::read_post_from_tx(*tx);
    if (!post) return 0;
    FUZZ_CHECK(post->is_object());
    for (const auto& [key, value] : post->items()) FUZZ_CHECK(!value.is_structured());
    FUZZ_CHECK(book::post_string(*post, "protocol") == book::POST_PROTOCOL);
    (void)book::read_post_fields(*post);
    (void)book::make_post_record(*tx::Txid::parse(std::string(64, 'a')), *post, std::move(outputs), book::post_number(*post, "ts"), 0);
    return 0;
}
