// The bound wallet's lots as the List command offers them.
#pragma once

#include <string>
#include <vector>

#include "trade/list_routine.h"
#include "wallet/wallet_session.h"

namespace cli {

struct WalletLots {
    std::vector<trade::LotToList> lots;
    std::string error;  // the scan's sentence (without "error: ") when it failed
};

// Scans the wallet's lots (with token names), as the List dialog's lots worker does.
WalletLots load_wallet_lots(wallet::WalletSession& wallet_session);

// The lot named by its outpoint ("txid_vout", either separator), its own id or its token id.
// Null with the sentence in error when none or more than one matches.
const trade::LotToList* find_lot(const std::vector<trade::LotToList>& lots, const std::string& key, std::string& error);

// "txid_vout" of the lot's output.
std::string tx_outpoint_text(const trade::LotToList& lot);

} // namespace cli
