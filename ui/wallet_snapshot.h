// What the UI thread knows of the bound wallet. Workers read it under the wallet lock and hand
// a copy to the main window, which never takes that lock itself. Pure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tx/outpoint.h"

namespace ui {

struct WalletSnapshot {
    bool bound = false;
    std::string wallet_id;
    std::string paymail;           // "name@domain", empty when the wallet has published none
    std::string address;           // the receive address shown
    std::string identity_key;      // compressed public key, lower-case hex
    std::string ordinals_address;  // where bought lots go
    bool balance_known = false;    // a balance result has arrived for this wallet
    int64_t balance_sats = -1;     // the cached balance; negative when unknown
    std::vector<tx::Outpoint> reserved_utxos;       // the wallet's listing reserves
    // Set by the window when it starts the worker that reads the snapshot: a snapshot read
    // before the last connect or unbind is stale and not applied.
    unsigned long long epoch = 0;
};

// Wallet value: the paymail, else the address, else "connected" while bound; "not connected".
std::string wallet_value_text(const WalletSnapshot& wallet);
// Balance value: the balance as a BSV amount and " BSV" when positive, or zero or more once a
// balance result has arrived; "-" while unbound; otherwise "...".
std::string balance_value_text(const WalletSnapshot& wallet);
// The text the copy button puts on the clipboard (paymail, else address), or "" for none.
std::string copy_text(const WalletSnapshot& wallet);

} // namespace ui
