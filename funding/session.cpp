#include "funding/session.h"

#include "net/http_client.h"
#include "wallet/wallet_key.h"

namespace funding {

Session::Session(std::shared_ptr<const net::ServiceConfig> services, net::Http* http)
    : m_services(services ? std::move(services) : std::make_shared<const net::ServiceConfig>()),
      m_own_http(http ? nullptr : std::make_unique<net::CurlHttp>(net::CurlHttp::Sleep{}, m_services)),
      m_http(http ? http : m_own_http.get()),
      m_wallet(m_services, m_http)
{
    net::register_service_access(*m_services);
    // A wallet that loads brings its snapshots back at once; a forgotten one takes its memory along.
    m_listener = m_wallet.add_listener(
        {[this] { load_coin_state(*this, wallet::wallet_key(m_wallet)); }, [this] { reset_coin_state(*this); }});
}

Session::~Session()
{
    m_wallet.remove_listener(m_listener);
}

PollTiming Session::poll_timing() const
{
    core::MutexLock guard(m_timing_mutex);
    return m_timing;
}

void Session::set_poll_timing(PollTiming timing)
{
    core::MutexLock guard(m_timing_mutex);
    m_timing = timing;
}

void Session::set_known_balance_source(BalanceSource source)
{
    core::MutexLock guard(m_balance_mutex);
    m_balance = std::move(source);
}

BalanceSource Session::known_balance_source() const
{
    core::MutexLock guard(m_balance_mutex);
    return m_balance;
}

} // namespace funding
