// The listings the bound wallet holds reserves for. The book loads them even when no index
// lists them yet, and counts their fee as paid.
#pragma once

#include <set>
#include <string>

namespace wallet {
class WalletSession;
}

namespace book {

// The "listing" ids of the bound wallet's listing reserves (lower case); empty when no wallet
// is bound and connected.
std::set<std::string> bound_wallet_listing_ids(wallet::WalletSession& wallet);

} // namespace book
