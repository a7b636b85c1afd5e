#include "wallet/wallet_session.h"
// Every outpoint a reserve file of this wallet holds back from payments: the market's own
// listing reserves ("agoran"), the picture gallery's spots ("gallery/reserves_<key>.json",
// "reserves" entries with "pic_utxo" and "cert_utxo") and the swap feature's holds
// ("swapmere/reserves_<key>.json", "holds" entries with "utxo"). Take the wallet lock.
#pragma once

#include <set>
#include <vector>

#include "tx/outpoint.h"

namespace funding {

// The outpoints of every reserve file. Unreadable files, and entries that do not parse as an
// outpoint, contribute nothing.
std::set<tx::Outpoint> reserved_outpoints(wallet::WalletSession& wallet);

// After a payment: every swap hold whose utxo was one of the spent outpoints moves to
// new_outpoint (written "txid_vout"). The rest of that file is kept as it is. False when a
// needed write failed.
bool move_swap_holds(wallet::WalletSession& wallet, const std::vector<tx::Outpoint>& spent_outpoints, const tx::Outpoint& new_outpoint);

} // namespace funding
