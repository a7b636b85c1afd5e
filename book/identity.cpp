#include "book/identity.h"

#include <chrono>
#include <map>

#include "book/post.h"
#include "book/signing.h"
#include "core/hex.h"
#include "core/key.h"
#include "core/mutex.h"

namespace book {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto IDENTITY_KEY_LIFETIME = std::chrono::minutes(30);

struct CachedKey {
    std::string key;
    Clock::time_point fetched;
};

core::Mutex g_identity_mutex;
std::map<std::string, CachedKey> g_identity_keys AGORAN_GUARDED_BY(g_identity_mutex);  // lower-case handle "@" domain -> key

core::Mutex g_architects_mutex;
std::map<std::string, std::vector<std::string>> g_last_architects AGORAN_GUARDED_BY(g_architects_mutex);  // registry base -> keys

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

    {
        core::MutexLock lock(g_identity_mutex);
        auto it = g_identity_keys.find(lookup_key);
        if (it != g_identity_keys.end() && Clock::now() - it->second.fetched < IDENTITY_KEY_LIFETIME) {
            return it->second.key;
        }
    }
    net::Result<std::string> answer = services.registry().identity_key(name, 12, deadline);
    if (!answer) {
        // The registry said it has no key (404), or answered without one: an answer. Anything
        // else is no answer.
        bool answered = answer.status == 404 || answer.failure == net::Failure::Answer;
        return answered ? std::optional<std::string>("") : std::nullopt;
    }
    std::string key = compressed_key(*answer);
    if (key.empty()) return std::string();
    core::MutexLock lock(g_identity_mutex);
    g_identity_keys[lookup_key] = CachedKey{key, Clock::now()};
    return key;
}

void clear_identity_cache()
{
    core::MutexLock lock(g_identity_mutex);
    g_identity_keys.clear();
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
    core::MutexLock lock(g_architects_mutex);
    if (keys) {
        g_last_architects[services.config->registry] = *keys;
        return *keys;
    }
    auto it = g_last_architects.find(services.config->registry);
    return it == g_last_architects.end() ? std::vector<std::string>() : it->second;
}

bool verify_post(const Json& post)
{
    BookServices services = default_services();
    return verify_post(post, [&](std::string_view handle) { return identity_key_of(handle, services); });
}

} // namespace book
