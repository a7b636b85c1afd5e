// The bodies of the controller's workers, free of any toolkit: each calls the services and
// returns what the worker hands back. They run on worker threads and never throw.
#pragma once

#include <string>
#include <vector>

#include "ui/market_services.h"

namespace ui {

struct BookJobResult {
    bool ok = false;                    // a book arrived (complete or not)
    bool complete = true;               // every listed transaction was read
    size_t unread = 0;
    std::vector<book::Listing> view;
    std::vector<book::HistoryRow> history;
    bool history_ok = false;
    std::string error;                  // empty unless !ok
    std::vector<tx::Txid> dropped;      // reserves settled by this load (listing ids)
    bool balance_ok = false;            // the balance was refreshed with the load
    WalletSnapshot wallet;              // read after the reconciliation and the balance
};

// Loads the book (with the bound wallet's history); a failure without a sentence becomes
// trade::refusal_text("book load failed"). When the load is complete and the wallet is bound, drops the
// reserves whose listings the reduced book holds closed and, when asked, refreshes the balance.
// Then reads the wallet snapshot.
BookJobResult run_book_job(MarketServices& services, bool refresh_balance);

struct BalanceJobResult {
    bool ok = false;
    WalletSnapshot wallet;
};
// Refreshes the balance when bound, then reads the wallet snapshot.
BalanceJobResult run_balance_job(MarketServices& services);

struct ConnectJobResult {
    trade::TradeResult<void> result{trade::TradeError(trade::TradeCode::Stopped)};
    WalletSnapshot wallet;
};
ConnectJobResult run_connect_job(MarketServices& services);

// The update check: fetches the product page; a completed transfer with status 200..399 is
// parsed for its version code; anything else gives -1.
int run_update_job(MarketServices& services);

} // namespace ui
