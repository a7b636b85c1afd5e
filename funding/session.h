// Everything the funding layer remembers and talks through, owned by one object that the
// program's market session (trade/market_session.h) holds and hands to the routines of
// funding/: the HTTP client, the
// service configuration, the timing of the confirmation polls, where the last known balance comes
// from, the coin state of the bound wallet, and the wallet layer's session (wallet/wallet_session.h)
// over the same configuration and client, which holds the bound wallet and its lock. Two sessions
// in one process share nothing of this (only the files).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "core/bytes.h"
#include "core/mutex.h"
#include "funding/coin_state.h"
#include "net/http.h"
#include "net/service_config.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace funding {

struct PollTiming {
    std::chrono::milliseconds interval{700};  // between two looks for a transaction
    int rounds = 8;                           // looks before giving up
};

// The last known balance in satoshis, or nullopt when none is known.
using BalanceSource = std::function<std::optional<core::Amount>()>;

class Session {
public:
    // Talks to the services of `services` through `http` (a client of its own over those
    // services when null; a given client must outlive the session), and enters the configuration's paces and headers into
    // the HTTP client's table. Registers the coin state's wallet listener: every wallet load
    // brings that wallet's snapshots in, every forget empties it. Takes the wallet lock.
    explicit Session(std::shared_ptr<const net::ServiceConfig> services, net::Http* http = nullptr);
    // Removes the wallet listener. Takes the wallet lock.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    net::Http& http() const { return *m_http; }
    const net::ServiceConfig& services() const { return *m_services; }
    wallet::WalletSession& wallet() { return m_wallet; }
    [[nodiscard]] const wallet::WalletSession& wallet() const { return m_wallet; }

    // Safe from any thread.
    PollTiming poll_timing() const;
    void set_poll_timing(PollTiming timing);

    // The source known_balance() asks; an empty function restores the default, the bound
    // wallet's balance cached in the wallet session. Safe from any thread.
    void set_known_balance_source(BalanceSource source);
    BalanceSource known_balance_source() const;

    // The coin state: touch it only with the wallet lock held.
    CoinState& coins() { return m_coins; }
    const CoinState& coins() const { return m_coins; }

private:
    std::shared_ptr<const net::ServiceConfig> m_services;
    std::unique_ptr<net::Http> m_own_http;  // when no client was given
    net::Http* m_http;
    wallet::WalletSession m_wallet;  // over the members above
    mutable core::Mutex m_timing_mutex;
    PollTiming m_timing AGORAN_GUARDED_BY(m_timing_mutex);
    mutable core::Mutex m_balance_mutex;
    BalanceSource m_balance AGORAN_GUARDED_BY(m_balance_mutex);
    CoinState m_coins;  // guarded by the wallet lock
    wallet::WalletListenerId m_listener = 0;
};

} // namespace funding
