// What the wallet layer keeps while a program runs, owned by one object that the funding session
// (funding/session.h) holds and hands to the routines of wallet/ that need it: the service
// configuration and HTTP client the wallet's scans talk through, and the cached balance with the
// receive-scan cursors of the balance refresh (wallet/balance.h). Two sessions in one process
// share none of it.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "core/bytes.h"
#include "core/mutex.h"
#include "net/http.h"
#include "net/service_config.h"

namespace wallet {

struct CachedBalance {
    core::Amount sats = 0;
    bool known = false;
};

class WalletSession {
public:
    // Talks to the services of `services` (mainnet when null) through `http`
    // (net::default_http() when null; the client must outlive the session).
    explicit WalletSession(std::shared_ptr<const net::ServiceConfig> services = nullptr, net::Http* http = nullptr);
    WalletSession(const WalletSession&) = delete;
    WalletSession& operator=(const WalletSession&) = delete;

    [[nodiscard]] const net::ServiceConfig& services() const { return *m_services; }
    [[nodiscard]] std::shared_ptr<const net::ServiceConfig> services_ptr() const { return m_services; }
    [[nodiscard]] net::Http& http() const { return *m_http; }

    // The balance the refresh computed last, for the wallet of key `key` (known false when
    // it was another wallet's or none was computed). Safe from any thread.
    [[nodiscard]] CachedBalance balance_of(const std::string& key) const;
    void set_balance(const std::string& key, core::Amount sats);
    // The next receive index the refresh scans for wallet key `key` (0 when none was scanned),
    // and the update after a scanned batch. Safe from any thread.
    [[nodiscard]] uint32_t scan_cursor(const std::string& key) const;
    void set_scan_cursor(const std::string& key, uint32_t next);

private:
    std::shared_ptr<const net::ServiceConfig> m_services;
    net::Http* m_http;
    mutable core::Mutex m_balance_mutex;
    std::string m_balance_key AGORAN_GUARDED_BY(m_balance_mutex);  // the wallet the balance belongs to
    CachedBalance m_balance AGORAN_GUARDED_BY(m_balance_mutex);
    std::map<std::string, uint32_t> m_cursor AGORAN_GUARDED_BY(m_balance_mutex);
};

} // namespace wallet
