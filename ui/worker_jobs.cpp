#include "ui/worker_jobs.h"

#include <exception>

#include "trade/reserve_reconcile.h"
#include "trade/result_text.h"
#include "ui/version_check.h"

namespace ui {

namespace {

WalletSnapshot snapshot_or_unbound(MarketServices& services)
{
    try {
        return services.wallet_snapshot();
    } catch (...) {
        return {};
    }
}

constexpr std::string_view BOOK_LOAD_FAILED = "book load failed";

std::string exception_text(const char* what)
{
    return trade::refusal_text(what);
}

} // namespace

BookJobResult run_book_job(MarketServices& services, bool refresh_balance)
{
    BookJobResult out;
    try {
        const WalletSnapshot before = snapshot_or_unbound(services);
        BookLoad load = services.load_book(before.bound ? before.identity_key : std::string());
        if (!load.ok) {
            out.error = load.error.empty() ? trade::refusal_text(BOOK_LOAD_FAILED) : load.error;
        } else {
            out.ok = true;
            out.complete = load.complete;
            out.unread = load.unread;
            out.view = std::move(load.view);
            out.history = std::move(load.history);
            out.history_ok = load.history_ok;
            // A listing an incomplete load did not return may still be live: nothing is settled.
            if (before.bound && load.complete) {
                out.dropped = trade::reconcile_reserves(load.states, services.reserve_listing_ids(),
                                                        [&](const tx::Txid& id) { services.remove_reserve(id); });
                if (refresh_balance) out.balance_ok = services.refresh_balance();
            }
        }
    } catch (const std::exception& e) {
        out = BookJobResult{};
        out.error = exception_text(e.what());
    } catch (...) {
        out = BookJobResult{};
        out.error = trade::refusal_text(BOOK_LOAD_FAILED);
    }
    out.wallet = snapshot_or_unbound(services);
    return out;
}

BalanceJobResult run_balance_job(MarketServices& services)
{
    BalanceJobResult out;
    try {
        if (services.wallet_snapshot().bound) out.ok = services.refresh_balance();
    } catch (...) {
        out.ok = false;
    }
    out.wallet = snapshot_or_unbound(services);
    return out;
}

ConnectJobResult run_connect_job(MarketServices& services)
{
    ConnectJobResult out;
    try {
        out.result = services.connect();
    } catch (const std::exception& e) {
        out.result = trade::TradeError(trade::TradeCode::Stopped, e.what());
    } catch (...) {
        out.result = trade::TradeError(trade::TradeCode::Stopped, "connect failed.");
    }
    out.wallet = snapshot_or_unbound(services);
    return out;
}

int run_update_job(MarketServices& services)
{
    try {
        const PageFetch page = services.fetch_page(services.product_page());
        if (!page.ok || page.status < 200 || page.status > 399) return -1;
        return parse_version_page(page.body);
    } catch (...) {
        return -1;
    }
}

} // namespace ui
