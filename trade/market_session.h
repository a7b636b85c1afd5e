// What one program trades through, built once by each program and handed to every trade
// routine: the funding session (HTTP client, service configuration, poll timing, balance source,
// coin state), the book's caches, the book's services over the same configuration and client
// with the market's oracle and house-fee addresses, and the market clock posts are stamped
// with. Two sessions in one process share none of this, not even the bound wallet and its lock
// (only the files).
#pragma once

#include <memory>

#include "book/caches.h"
#include "book/services.h"
#include "core/market_clock.h"
#include "funding/session.h"
#include "net/http.h"
#include "net/service_config.h"

namespace trade {

class MarketSession {
public:
    // Talks to the services of `services` through `http` (a client of its own over those
    // services when null; a given client must outlive the session). The clock follows the
    // system clock until fixed.
    explicit MarketSession(std::shared_ptr<const net::ServiceConfig> services, net::Http* http = nullptr);
    MarketSession(const MarketSession&) = delete;
    MarketSession& operator=(const MarketSession&) = delete;

    funding::Session& funding() { return m_funding; }
    const funding::Session& funding() const { return m_funding; }
    // The wallet session of the funding session: the bound wallet, its lock and the binding.
    wallet::WalletSession& wallet() { return m_funding.wallet(); }
    [[nodiscard]] const wallet::WalletSession& wallet() const { return m_funding.wallet(); }
    const book::BookServices& book() const { return m_book; }
    book::Caches& caches() { return m_caches; }
    core::MarketClock& clock() { return m_clock; }
    const core::MarketClock& clock() const { return m_clock; }

private:
    funding::Session m_funding;
    book::Caches m_caches;
    core::MarketClock m_clock;
    book::BookServices m_book;  // over the members above
};

} // namespace trade
