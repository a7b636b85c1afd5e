// The bodies of the main window's workers, free of any toolkit: each calls the services and
// returns what the worker posts. They run on worker threads and never throw.
#pragma once

#include <string>
#include <vector>

#include "ui/market_services.h"

namespace ui {

struct BookJobResult {
    std::vector<book::Listing> view;
    std::string error;                  // empty on success
    std::vector<std::string> dropped;   // reserves settled by this load (listing ids)
    WalletSnapshot wallet;              // read after the reconciliation
};

// Loads the book; a failure without a sentence becomes "error: book load failed". When the
// load succeeded and the wallet is bound, drops the reserves whose listings the reduced book
// holds closed. Then reads the wallet snapshot.
BookJobResult run_book_job(MarketServices& services);

struct BalanceJobResult {
    bool ok = false;
    WalletSnapshot wallet;
};
// Refreshes the balance when bound, then reads the wallet snapshot.
BalanceJobResult run_balance_job(MarketServices& services);

struct ConnectJobResult {
    std::string result;
    WalletSnapshot wallet;
};
ConnectJobResult run_connect_job(MarketServices& services);

// The update check: fetches the product page; a completed transfer with status 200..399 is
// parsed for its version code; anything else gives -1.
int run_update_job(MarketServices& services);

} // namespace ui
