#include "wallet/wallet_session.h"

#include "net/http_client.h"

namespace wallet {

WalletSession::WalletSession(std::shared_ptr<const net::ServiceConfig> services, net::Http* http)
    : m_services(services ? std::move(services) : std::make_shared<const net::ServiceConfig>()),
      m_http(http ? http : &net::default_http())
{
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
