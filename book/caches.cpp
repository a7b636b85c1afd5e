#include "book/caches.h"

#include <algorithm>

namespace book {

std::optional<std::string> Caches::identity_key(const std::string& name_at_domain) const
{
    core::MutexLock lock(m_identity_mutex);
    auto it = m_identity_keys.find(name_at_domain);
    if (it == m_identity_keys.end() || Clock::now() - it->second.fetched >= IDENTITY_KEY_LIFETIME) return std::nullopt;
    return it->second.key;
}

void Caches::remember_identity_key(const std::string& name_at_domain, const std::string& key)
{
    core::MutexLock lock(m_identity_mutex);
    m_identity_keys[name_at_domain] = CachedKey{key, Clock::now()};
}

void Caches::clear_identities()
{
    core::MutexLock lock(m_identity_mutex);
    m_identity_keys.clear();
}

std::optional<std::vector<std::string>> Caches::last_architects(const std::string& registry) const
{
    core::MutexLock lock(m_architects_mutex);
    auto it = m_last_architects.find(registry);
    if (it == m_last_architects.end()) return std::nullopt;
    return it->second;
}

void Caches::remember_architects(const std::string& registry, const std::vector<std::string>& keys)
{
    core::MutexLock lock(m_architects_mutex);
    m_last_architects[registry] = keys;
}

std::optional<TokenFacts> Caches::token(const std::string& key) const
{
    core::MutexLock lock(m_token_mutex);
    auto it = m_tokens.find(key);
    if (it == m_tokens.end()) return std::nullopt;
    return it->second;
}

void Caches::remember_token(const std::string& key, const TokenFacts& facts)
{
    core::MutexLock lock(m_token_mutex);
    m_tokens[key] = facts;
}

std::optional<HeldAsset> Caches::held(const std::string& key) const
{
    core::MutexLock lock(m_token_mutex);
    auto it = m_held.find(key);
    if (it == m_held.end()) return std::nullopt;
    return it->second;
}

void Caches::remember_held(const std::string& key, const HeldAsset& held)
{
    core::MutexLock lock(m_token_mutex);
    m_held[key] = held;
}

void Caches::clear_tokens()
{
    core::MutexLock lock(m_token_mutex);
    m_tokens.clear();
    m_held.clear();
}

int64_t Caches::next_post_time(int64_t now)
{
    core::MutexLock lock(m_post_time_mutex);
    m_last_post_time = std::max(now, m_last_post_time + 1);
    return m_last_post_time;
}

} // namespace book
