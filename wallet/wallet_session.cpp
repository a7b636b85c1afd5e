#include "wallet/wallet_session.h"

#include "net/http_client.h"

namespace wallet {

WalletSession::WalletSession(std::shared_ptr<const net::ServiceConfig> services, net::Http* http)
    : m_services(services ? std::move(services) : std::make_shared<const net::ServiceConfig>()),
      m_own_http(http ? nullptr : std::make_unique<net::CurlHttp>(net::CurlHttp::Sleep{}, m_services)),
      m_http(http ? http : m_own_http.get())
{
}

AppRegistration WalletSession::registration() const
{
    core::MutexLock guard(m_app_mutex);
    return m_app;
}

void WalletSession::set_registration(AppRegistration registration)
{
    core::MutexLock guard(m_app_mutex);
    m_app = std::move(registration);
}

void WalletSession::set_active_id(const std::string& wallet_id)
{
    core::MutexLock guard(m_app_mutex);
    m_app.active_id = wallet_id;
}

WalletListenerId WalletSession::add_listener(WalletListener listener)
{
    WalletLock lock(*this);
    const WalletListenerId id = m_next_listener++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void WalletSession::remove_listener(WalletListenerId id)
{
    WalletLock lock(*this);
    std::erase_if(m_listeners, [&](const auto& entry) { return entry.first == id; });
}

void WalletSession::notify_loaded()
{
    WalletLock lock(*this);
    for (auto& [id, l] : m_listeners) {
        if (l.loaded) l.loaded();
    }
}

void WalletSession::notify_forgotten()
{
    WalletLock lock(*this);
    for (auto& [id, l] : m_listeners) {
        if (l.forgotten) l.forgotten();
    }
}

CachedBalance WalletSession::balance_of(const std::string& key) const
{
    core::MutexLock guard(m_balance_mutex);
    if (m_balance_key != key) return {};
    return m_balance;
}

void WalletSession::set_balance(const std::string& key, core::Amount sats)
{
    core::MutexLock guard(m_balance_mutex);
    m_balance_key = key;
    m_balance = {sats, true};
}

uint32_t WalletSession::scan_cursor(const std::string& key) const
{
    core::MutexLock guard(m_balance_mutex);
    auto it = m_cursor.find(key);
    return it == m_cursor.end() ? 0 : it->second;
}

void WalletSession::set_scan_cursor(const std::string& key, uint32_t next)
{
    core::MutexLock guard(m_balance_mutex);
    m_cursor[key] = next;
}

} // namespace wallet
