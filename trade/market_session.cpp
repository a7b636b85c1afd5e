#include "trade/market_session.h"

namespace trade {

MarketSession::MarketSession(std::shared_ptr<const net::ServiceConfig> services, net::Http* http)
    : m_funding(services, http), m_book(book::market_services(std::move(services), m_funding.http(), m_caches, m_clock))
{
    m_book.wallet = &m_funding.wallet();
}

} // namespace trade
