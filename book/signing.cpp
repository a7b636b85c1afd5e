#include "book/signing.h"

#include <array>

#include "book/post_blob.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "core/message.h"
#include "core/text.h"

namespace book {
namespace {

constexpr std::array<std::string_view, 4> ACCEPTED_PROTOCOLS = {"QDL-Relay", "TV-Art", "TV-Agoran",
                                                                 "TV-Identity"};
constexpr std::array<std::string_view, 4> NAMED_SENDER_TYPES = {"message", "thread_reply", "whisper",
                                                                 "react"};

bool is_one_of(std::string_view value, const auto& list)
{
    for (std::string_view item : list) {
        if (value == item) return true;
    }
    return false;
}

std::string channel_of(const Json& post)
{
    std::string channel = post_string(post, "channel");
    if (channel.empty()) channel = post_string(post, "location");
    return channel;
}

std::string handle_key(const Json& post, std::string_view member)
{
    return core::ascii_lower(normalize_handle(post_string(post, member)));
}

// The body of every "ag_" type and of every type outside the family's message catalogue.
std::string book_body(const Json& post)
{
    std::string blob = post_string(post, "blob");
    std::string body;
    body += post_string(post, "id") + "|";
    body += post_string(post, "trade") + "|";
    body += std::to_string(post_number(post, "sats")) + "|";
    body += std::to_string(post_number(post, "fiat")) + "|";
    body += post_string(post, "ccy") + "|";
    body += post_string(post, "rail") + "|";
    body += post_string(post, "pay_addr") + "|";
    body += post_string(post, "to_addr") + "|";
    body += std::to_string(post_number(post, "score")) + "|";
    body += post_string(post, "side") + "|";
    body += post_string(post, "role") + "|";
    body += std::to_string(post_number(post, "expires")) + "|";
    body += core::hex_encode(core::sha256(core::as_bytes(blob)));
    return body;
}

} // namespace

std::string signing_string(const Json& post)
{
    std::string text = "TV1|";
    text += std::string(core::trim_ascii_space(post_string(post, "type"))) + "|";
    text += core::ascii_lower(core::trim_ascii_space(channel_of(post))) + "|";
    text += handle_key(post, "handle") + "|";
    text += handle_key(post, "actor") + "|";
    text += std::to_string(post_number(post, "ts")) + "|";
    text += book_body(post);
    return text;
}

bool verify_post_signature(const Json& post)
{
    if (!post.is_object()) return false;
    std::string protocol = post_string(post, "protocol");
    std::string type = post_string(post, "type");
    // The family's gate and button posts follow rules of their own; none of them is a book post.
    if (type == "web_gate" || type == "n_button") return false;
    if (!is_one_of(protocol, ACCEPTED_PROTOCOLS)) return false;

    std::string pubkey = post_string_or(post, "pubkey", "publicKey");
    std::string sig = post_string_or(post, "sig", "signature");
    if (type.empty() || post_string(post, "handle").empty() || post_string(post, "actor").empty() ||
        pubkey.empty() || sig.empty()) {
        return false;
    }
    if (channel_of(post).empty() && type != "whisper") return false;
    if (is_one_of(type, NAMED_SENDER_TYPES) && handle_key(post, "actor") != handle_key(post, "handle")) {
        return false;
    }
    if (post_number(post, "ts") <= 0) return false;
    return core::verify_message(signing_string(post), pubkey, sig);
}

bool post_key_matches(const Json& post, std::string_view published_key)
{
    if (published_key.empty()) return false;
    std::optional<core::Bytes> bytes = core::hex_decode_loose(post_string_or(post, "pubkey", "publicKey"));
    if (!bytes) return false;
    std::string key = core::normalize_pubkey(*bytes);
    return !key.empty() && key == core::ascii_lower(published_key);
}

bool verify_post(const Json& post, const IdentityKeyLookup& lookup)
{
    if (!verify_post_signature(post) || !post_blob_matches(post)) return false;
    return post_key_matches(post, lookup(post_string(post, "actor")));
}

bool book_post_names_signer(const Json& post)
{
    if (!post_string(post, "type").starts_with("ag_")) return true;
    return handle_key(post, "handle") == handle_key(post, "actor");
}

} // namespace book
