// What the book remembers between requests: identity keys by handle (for 30 minutes), the last
// architects list each registry gave, what outputs hold and what tokens are, and the last post
// time handed out. A program keeps one for as long as it runs and hands it to its BookServices;
// two sets of services with caches of their own never see each other's answers. Safe from any
// thread; no lock is held across a request.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "book/asset_facts.h"
#include "core/mutex.h"

namespace book {

class Caches {
public:
    using Clock = std::chrono::steady_clock;
    // How long a looked-up identity key is trusted.
    static constexpr Clock::duration IDENTITY_KEY_LIFETIME = std::chrono::minutes(30);

    Caches() = default;
    Caches(const Caches&) = delete;
    Caches& operator=(const Caches&) = delete;

    // Identity keys by "<lower-case name>@<domain>": the key while it is younger than
    // IDENTITY_KEY_LIFETIME, else nullopt.
    std::optional<std::string> identity_key(const std::string& name_at_domain) const;
    void remember_identity_key(const std::string& name_at_domain, const std::string& key);
    // Forgets every identity key (the architects lists stay: they are the fallback of a failure).
    void clear_identities();

    // The last architects list fetched from this registry base; nullopt when none was.
    std::optional<std::vector<std::string>> last_architects(const std::string& registry) const;
    void remember_architects(const std::string& registry, const std::vector<std::string>& keys);

    // Token facts and held assets by "<ordinals base>|<id or outpoint>".
    std::optional<TokenFacts> token(const std::string& key) const;
    void remember_token(const std::string& key, const TokenFacts& facts);
    std::optional<HeldAsset> held(const std::string& key) const;
    void remember_held(const std::string& key, const HeldAsset& held);
    // Forgets every token and output.
    void clear_tokens();

    // A post time: now, or one second after the last one handed out, whichever is later.
    int64_t next_post_time(int64_t now);

private:
    struct CachedKey {
        std::string key;
        Clock::time_point fetched;
    };

    mutable core::Mutex m_identity_mutex;
    std::map<std::string, CachedKey> m_identity_keys AGORAN_GUARDED_BY(m_identity_mutex);

    mutable core::Mutex m_architects_mutex;
    std::map<std::string, std::vector<std::string>> m_last_architects AGORAN_GUARDED_BY(m_architects_mutex);

    mutable core::Mutex m_token_mutex;
    std::map<std::string, TokenFacts> m_tokens AGORAN_GUARDED_BY(m_token_mutex);
    std::map<std::string, HeldAsset> m_held AGORAN_GUARDED_BY(m_token_mutex);

    mutable core::Mutex m_post_time_mutex;
    int64_t m_last_post_time AGORAN_GUARDED_BY(m_post_time_mutex) = 0;
};

} // namespace book
