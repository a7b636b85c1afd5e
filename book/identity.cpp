#include "book/identity.h"

#include "book/post.h"
#include "core/hex.h"
#include "core/key.h"

namespace book {
namespace {

// A key as the registry gives it, compressed; "" when it is not one.
std::string compressed_key(std::string_view hex)
{
    std::optional<core::Bytes> bytes = core::hex_decode_loose(hex);
    if (!bytes) return {};
    return core::normalize_pubkey(*bytes);
}

} // namespace

std::string identity_key_of(std::string_view handle, const BookServices& services)
{
    return identity_key_lookup(handle, services).value_or("");
}

std::optional<std::string> identity_key_lookup(std::string_view handle, const BookServices& services,
                                               const net::Deadline& deadline)
{
    std::string name = normalize_handle(handle);
    const std::string domain = core::ascii_lower(services.config->registry_domain);
    if (size_t at = name.find('@'); at != std::string::npos) {
        // Only handles of this registry are looked up here.
        if (core::ascii_lower(core::trim_ascii_space(std::string_view(name).substr(at + 1))) != domain) return std::string();
        name = std::string(core::trim_ascii_space(std::string_view(name).substr(0, at)));
    }
    if (name.empty()) return std::string();
    name = core::ascii_lower(name);
    const std::string lookup_key = name + "@" + domain;

    if (std::optional<std::string> known = services.caches->identity_key(lookup_key)) return known;
    net::Result<std::string> answer = services.registry().identity_key(name, 12, deadline);
    if (!answer) {
        // The registry said it has no key (404), or answered without one: an answer. Anything
        // else is no answer.
        bool answered = answer.status == 404 || answer.failure == net::Failure::Answer;
        return answered ? std::optional<std::string>("") : std::nullopt;
    }
    std::string key = compressed_key(*answer);
    if (key.empty()) return std::string();
    services.caches->remember_identity_key(lookup_key, key);
    return key;
}

bool identity_frozen(std::string_view pubkey_hex, std::string& note, const BookServices& services)
{
    note.clear();
    if (pubkey_hex.empty() || !core::hex_decode(pubkey_hex)) return false;
    net::Result<net::IdentityStatus> status = services.registry().identity_status(pubkey_hex);
    if (!status) return false;
    note = status->frozen_note;
    return status->frozen;
}

std::optional<std::vector<std::string>> architect_keys(const BookServices& services)
{
    net::Result<std::vector<std::string>> answer = services.registry().architects();
    if (!answer) return std::nullopt;
    std::vector<std::string> keys;
    for (const std::string& text : *answer) {
        std::string key = compressed_key(text);
        keys.push_back(key.empty() ? core::ascii_lower(text) : key);
    }
    return keys;
}

std::vector<std::string> architect_keys_for_reduction(const BookServices& services)
{
    std::optional<std::vector<std::string>> keys = architect_keys(services);
    if (keys) {
        services.caches->remember_architects(services.config->registry, *keys);
        return *keys;
    }
    return services.caches->last_architects(services.config->registry).value_or(std::vector<std::string>());
}

} // namespace book
