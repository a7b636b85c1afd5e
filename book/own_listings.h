// The listings the bound wallet holds reserves for. The book loads them even when no index
// lists them yet, and counts their fee as paid.
#pragma once

#include <set>

#include "tx/txid.h"

namespace wallet {
class WalletSession;
}

namespace book {

// The "listing" ids of the bound wallet's listing reserves (a reserve whose id is no txid names
// none); empty when no wallet is bound and connected.
std::set<tx::Txid> bound_wallet_listing_ids(wallet::WalletSession& wallet);

} // namespace book
