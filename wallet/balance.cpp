#include "wallet/balance.h"

#include <algorithm>
#include <chrono>

#include "core/json_get.h"
#include "wallet/data_paths.h"
#include "wallet/file_io.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace wallet {

namespace {

constexpr size_t HISTORY_POINTS_MAX = 1000;

// Receive addresses first..last of account 1, derived under the wallet lock.
std::vector<std::string> receive_addresses(WalletSession& session, uint32_t first, uint32_t last)
{
    std::vector<std::string> out;
    for_each_chain_key(session, RECEIVE_ACCOUNT, 0, first, last, [&](uint32_t, DerivedKey& key) {
        out.push_back(key.address);
        return false;
    });
    return out;
}

// The used addresses among a batch: index of the highest one, or nullopt. False on failure.
bool highest_used(const net::WocClient& woc, const std::vector<std::string>& batch, std::optional<size_t>& hit)
{
    auto answer = woc.balances(batch);
    if (!answer) return false;
    hit.reset();
    for (const auto& entry : *answer) {
        if (entry.confirmed == 0 && entry.unconfirmed == 0) continue;
        auto it = std::find(batch.begin(), batch.end(), entry.address);
        if (it != batch.end()) hit = std::max<size_t>(hit.value_or(0), static_cast<size_t>(it - batch.begin()));
    }
    return true;
}

void write_history(const std::string& key, core::Amount sats)
{
    const auto path = data_dir() / "tx_hist" / (key + "_face.json");
    nlohmann::json doc = read_json_file(path).value_or(nlohmann::json::object());
    if (!doc.is_object()) doc = nlohmann::json::object();
    nlohmann::json points = doc.contains("points") && doc["points"].is_array() ? doc["points"] : nlohmann::json::array();
    if (!points.empty() && core::json_int64_opt(points.back(), "sats") == sats) return;
    const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    points.push_back({{"ts", now}, {"sats", sats}});
    if (points.size() > HISTORY_POINTS_MAX) points.erase(points.begin(), points.end() - HISTORY_POINTS_MAX);
    doc["points"] = points;
    doc["balance_sats"] = sats;
    doc["updated"] = now;
    (void)write_json_file(path, doc);
}

} // namespace

CachedBalance cached_balance(const WalletSession& session)
{
    return session.balance_of(wallet_key(session));
}

WalletResult<void> refresh_wallet_balance(WalletSession& session)
{
    net::WocClient woc(session.services().woc_api, session.http());
    return refresh_wallet_balance(session, woc);
}

WalletResult<void> refresh_wallet_balance(WalletSession& session, const net::WocClient& woc)
{
    std::string key;
    bool hd = false;
    uint32_t shown = 0;
    {
        WalletLock lock(session);
        if (!wallet_load(session)) return WalletError(WalletCode::NoWallet);
        key = wallet_key(session);
        hd = session.state().hd;
        shown = session.state().shown;
    }

    // Gap scan of the receive path.
    if (hd) {
        uint32_t start = std::max(shown + 1, session.scan_cursor(key));
        const uint32_t end = shown + RECEIVE_GAP_LIMIT;
        while (start <= end) {
            const uint32_t last = std::min(end, start + RECEIVE_GAP_BATCH - 1);
            std::vector<std::string> batch;
            {
                WalletLock lock(session);
                if (wallet_key(session) != key) return WalletError(WalletCode::WalletChanged);
                batch = receive_addresses(session, start, last);
            }
            std::optional<size_t> hit;
            if (batch.empty() || !highest_used(woc, batch, hit)) return WalletError(WalletCode::BalanceUnreadable);
            session.set_scan_cursor(key, last + 1);
            if (!hit) break;
            const uint32_t used = start + static_cast<uint32_t>(*hit);
            WalletLock lock(session);
            if (wallet_key(session) != key || !wallet_load(session)) return WalletError(WalletCode::WalletChanged);
            TvWalletState& s = session.state();
            s.recv[RECEIVE_ACCOUNT] = std::max(s.recv[RECEIVE_ACCOUNT], used);
            s.shown = std::max(s.shown, used);
            if (!derive_wallet_keys(session)) return WalletError(WalletCode::NoWallet);
            (void)wallet_save(session);
            start = last + 1;
        }
    }

    // The balance of the payment addresses.
    std::vector<std::string> addresses;
    {
        WalletLock lock(session);
        if (wallet_key(session) != key || !wallet_load(session)) return WalletError(WalletCode::WalletChanged);
        const TvWalletState& s = session.state();
        if (s.hd) addresses = receive_addresses(session, 0, s.recv[RECEIVE_ACCOUNT]);
        for (const auto* a : {&s.recv_address, &s.identity_address}) {
            if (!a->empty() && std::find(addresses.begin(), addresses.end(), *a) == addresses.end()) addresses.push_back(*a);
        }
    }
    auto answer = woc.balances(addresses);
    if (!answer) return WalletError(WalletCode::BalanceUnreadable);
    core::Amount total = 0;
    for (const auto& entry : *answer) {
        if (std::find(addresses.begin(), addresses.end(), entry.address) != addresses.end())
            total += entry.confirmed + entry.unconfirmed;
    }
    {
        WalletLock lock(session);
        if (wallet_key(session) != key) return WalletError(WalletCode::WalletChanged);
        session.set_balance(key, total);
    }
    write_history(key, total);
    return {};
}

} // namespace wallet
