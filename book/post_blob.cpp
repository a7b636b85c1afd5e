#include "book/post_blob.h"

#include <array>
#include <string_view>

#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"

namespace book {
namespace {

// The members readers take from a post, carried in the blob as they stand.
constexpr std::array<std::string_view, 19> PLAIN_MEMBERS = {
    "app",    "buyer",    "buyer_ord", "exp",        "icon", "kind", "listing", "name",      "note", "ord_addr",
    "origin", "pay_sats", "paymail",   "price_sats", "qty",  "sold", "sym",     "to_handle", "utxo"};
// Long texts (a report's sealed text, an offer transaction), carried as their SHA-256.
constexpr std::array<std::string_view, 2> HASHED_MEMBERS = {"enc", "offer"};

Json expected_blob(const Json& post)
{
    Json blob = Json::object();
    for (std::string_view name : PLAIN_MEMBERS) {
        if (const Json* value = core::json_member(post, name)) blob[std::string(name)] = *value;
    }
    for (std::string_view name : HASHED_MEMBERS) {
        const Json* value = core::json_member(post, name);
        if (!value) continue;
        std::string text = value->is_string() ? value->get<std::string>() : core::json_dump_compact(*value);
        blob[std::string(name) + "_sha256"] = core::hex_encode(core::sha256(core::as_bytes(text)));
    }
    return blob;
}

} // namespace

std::string post_blob(const Json& post)
{
    return core::json_dump_compact(expected_blob(post));
}

bool post_blob_matches(const Json& post)
{
    const Json* blob = core::json_member(post, "blob");
    if (!blob) return true;
    if (!blob->is_string()) return false;
    std::optional<Json> terms = core::parse_json(blob->get_ref<const std::string&>());
    return terms && terms->is_object() && *terms == expected_blob(post);
}

std::string fresh_post_id()
{
    std::array<uint8_t, 16> nonce{};
    if (!core::random_bytes(nonce.data(), nonce.size())) return {};
    return core::hex_encode(core::ByteView(nonce.data(), nonce.size()));
}

} // namespace book
