#include "wallet/wallet_session.h"
// Offer locks: the buyer's coins spent by offers the user has posted and not withdrawn. They
// stay out of every payment, or the offer could never complete. One file per wallet,
// "gallery/offer_locks_<key>.json":
//   {"utxos": ["<txid>_<vout>", ...],
//    "offers": [{"offer": txid, "listing": txid, "utxos": ["<txid>_<vout>", ...]}, ...]}
// lower case (either separator and either case are read). "utxos" is the set of locked coins;
// "offers" is the wallet's own record of each offer behind them, so that an offer can be
// withdrawn whether or not the book shows it. An entry another program wrote that does not parse
// as an outpoint (or a record whose ids or coins do not) is left out of every answer and written
// back unchanged by every change. Every change is a read-modify-write under the file's
// cross-process lock (json_store.h). Take the wallet lock around these calls.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tx/outpoint.h"

namespace funding {

struct OfferRecord {
    tx::Txid offer;                   // txid of the "ag_buy" post
    tx::Txid listing;                 // id of the listing it offers on
    std::vector<tx::Outpoint> utxos;  // the buyer's coins it spends
};

std::filesystem::path offer_locks_path(wallet::WalletSession& wallet);

// The locked outpoints. A missing or malformed file reads as none.
std::set<tx::Outpoint> offer_locks_load(wallet::WalletSession& wallet);

// The recorded offers, in the order posted. Entries without an offer id or coins are skipped
// (and dropped by the next change).
std::vector<OfferRecord> offer_records(wallet::WalletSession& wallet);

// Adds the outpoints and saves. False when the write failed or waited too long for another
// program.
bool offer_locks_add(wallet::WalletSession& wallet, const std::vector<tx::Outpoint>& outpoints);

// Adds the record's coins to the locks and the record itself (replacing one of the same offer).
// False when the write failed or waited too long.
bool offer_record_add(wallet::WalletSession& wallet, const OfferRecord& record);

// Removes the outpoints, and every recorded offer that spends one of them (such an offer can no
// longer complete), and saves when anything changed. False when the write failed or waited too
// long.
bool offer_locks_remove(wallet::WalletSession& wallet, const std::vector<tx::Outpoint>& outpoints);

// The coins an offer transaction spends: the text's hexadecimal digits must number at least 80
// and be even and parse as a transaction. Empty for anything else.
std::vector<tx::Outpoint> offer_input_outpoints(std::string_view offer_hex);

} // namespace funding
