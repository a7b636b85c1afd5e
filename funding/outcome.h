// Remembering what a broadcast that reached the chain did to the wallet's coins.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "tx/transaction.h"

namespace funding {

class Session;

// Every input joins the spent set (and leaves the lists and the pending change). Every output
// of 1 satoshi or more whose script is exactly a P2PKH lock to one of this wallet's payment
// addresses (the receive address, account 1 up to "recv"[1], the identity address) becomes
// pending change of that address, and nothing else does: an output paying another party's
// input address (a buyer's change in a completed sale) is not this wallet's money. When
// change_hash is given, the swap feature's holds on spent inputs move to the largest output
// paying it. Both snapshots are rewritten. Wallet lock held.
void record_outcome(Session& session, const tx::Txid& txid, const std::vector<tx::TxInput>& inputs,
                    const std::vector<tx::TxOutput>& outputs, const std::optional<core::Hash160>& change_hash);

} // namespace funding
