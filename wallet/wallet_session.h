// What the wallet layer keeps while a program runs, owned by one object that the funding session
// (funding/session.h) holds and hands to the routines of wallet/ that need it: the bound wallet
// (wallet/wallet_state.h) with its listeners and the wallet lock that guards it
// (wallet/wallet_lock.h), the service configuration and HTTP client the wallet's scans talk
// through, and the cached balance with the receive-scan cursors of the balance refresh
// (wallet/balance.h). Two sessions in one process share none of it: each binds and loads its own
// wallet. The wallet's files are shared, and guarded per path (wallet/registry_lock.h).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/bytes.h"
#include "core/mutex.h"
#include "net/http.h"
#include "net/service_config.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace wallet {

struct CachedBalance {
    core::Amount sats = 0;
    bool known = false;
};

class WalletSession {
public:
    // Talks to the services of `services` (mainnet when null) through `http` (a client of its
    // own over those services when null; a given client must outlive the session).
    explicit WalletSession(std::shared_ptr<const net::ServiceConfig> services = nullptr, net::Http* http = nullptr);
    WalletSession(const WalletSession&) = delete;
    WalletSession& operator=(const WalletSession&) = delete;

    [[nodiscard]] const net::ServiceConfig& services() const { return *m_services; }
    [[nodiscard]] std::shared_ptr<const net::ServiceConfig> services_ptr() const { return m_services; }
    [[nodiscard]] net::Http& http() const { return *m_http; }

    // The bound wallet: touch it only with this session's wallet lock held.
    [[nodiscard]] TvWalletState& state() { return m_state; }
    [[nodiscard]] const TvWalletState& state() const { return m_state; }
    // The wallet lock (WalletLock, WalletUnlock). Safe from any thread.
    [[nodiscard]] DepthMutex& lock_mutex() const { return m_lock; }

    // The registration as an app (wallet/app_binding.h). Safe from any thread.
    [[nodiscard]] AppRegistration registration() const;
    void set_registration(AppRegistration registration);
    void set_active_id(const std::string& wallet_id);

    // The wallet listeners (wallet/wallet_state.h). Each takes the wallet lock.
    WalletListenerId add_listener(WalletListener listener);
    void remove_listener(WalletListenerId id);
    void notify_loaded();
    void notify_forgotten();

    // The balance the refresh computed last, for the wallet of key `key` (known false when
    // it was another wallet's or none was computed). Safe from any thread.
    [[nodiscard]] CachedBalance balance_of(const std::string& key) const;
    void set_balance(const std::string& key, core::Amount sats);
    // The next receive index the refresh scans for wallet key `key` (0 when none was scanned),
    // and the update after a scanned batch. Safe from any thread.
    [[nodiscard]] uint32_t scan_cursor(const std::string& key) const;
    void set_scan_cursor(const std::string& key, uint32_t next);

private:
    mutable DepthMutex m_lock;
    TvWalletState m_state;  // guarded by m_lock
    std::vector<std::pair<WalletListenerId, WalletListener>> m_listeners;  // guarded by m_lock
    WalletListenerId m_next_listener = 1;                                  // guarded by m_lock
    // Files are touched under the registry lock; the registration has a mutex of its own so that
    // reading it never waits for another process.
    mutable core::Mutex m_app_mutex;
    AppRegistration m_app AGORAN_GUARDED_BY(m_app_mutex);
    std::shared_ptr<const net::ServiceConfig> m_services;
    std::unique_ptr<net::Http> m_own_http;  // when no client was given
    net::Http* m_http;
    mutable core::Mutex m_balance_mutex;
    std::string m_balance_key AGORAN_GUARDED_BY(m_balance_mutex);  // the wallet the balance belongs to
    CachedBalance m_balance AGORAN_GUARDED_BY(m_balance_mutex);
    std::map<std::string, uint32_t> m_cursor AGORAN_GUARDED_BY(m_balance_mutex);
};

} // namespace wallet
