// Putting a signed transaction on the network: the registry's oracle index, then WhatsOnChain,
// then ARC. A broadcast is confirmed once WhatsOnChain returns the transaction. A transaction
// that some service took is sent even when WhatsOnChain does not show it (yet): its inputs are
// spent and its change is recorded (outcome.h) all the same, so nothing pays twice. The services
// are asked and polled with the wallet lock let go, also when the caller holds it (every level is
// let go and taken back: whatever the caller read under it may have changed); the outcome is
// recorded under it, and only into the coin state of the wallet that paid.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "funding/error.h"
#include "tx/transaction.h"

namespace funding {

class Session;

// What follows the txid of a sent transaction that WhatsOnChain did not show yet.
inline constexpr std::string_view SENT_UNCONFIRMED = " (sent; the network has not confirmed it yet)";

// A transaction that went out.
struct Paid {
    tx::Txid txid;
    bool confirmed = true;   // WhatsOnChain shows it; else a service took it and it does not yet
};

// Serialises, computes the txid (written to txid before anything is sent, also when the
// broadcast fails; the null txid when the transaction does not serialise) and submits. The transaction when a service took it; or SerializeFailed,
// BroadcastRefused with ARC's answer (else WhatsOnChain's, when WhatsOnChain refused it), or
// NotTaken when no service took it and none said why.
[[nodiscard]] FundingResult<Paid> broadcast_tx(Session& session, const std::vector<tx::TxInput>& inputs,
                                               const std::vector<tx::TxOutput>& outputs,
                                               const std::optional<core::Hash160>& change_hash, tx::Txid& txid);

// The raw hex of the transaction from WhatsOnChain, asked up to rounds times (0: the session's
// poll timing rounds), the poll interval apart; only an answer whose bytes hash to txid
// counts. nullopt when it never shows.
std::optional<std::string> find_on_chain(const Session& session, const tx::Txid& txid, int rounds = 0);

// Looks for the transaction on WhatsOnChain (find_on_chain, rounds as there). Found: remembers
// it as the last confirmed broadcast, records the outcome of sent (or, without it, of the
// transaction found) and returns the txid. Not found: nullopt.
struct SentTx {
    const std::vector<tx::TxInput>& inputs;
    const std::vector<tx::TxOutput>& outputs;
    std::optional<core::Hash160> change_hash;
};
[[nodiscard]] std::optional<tx::Txid> confirm_tx(Session& session, const tx::Txid& txid,
                                                const std::optional<SentTx>& sent = std::nullopt, int rounds = 0);


} // namespace funding
