#include "funding/broadcast.h"

#include <thread>

#include "core/hex.h"
#include "funding/chain_clients.h"
#include "funding/coin_state.h"
#include "funding/outcome.h"
#include "net/text.h"
#include "tx/parse.h"
#include "tx/serialize.h"
#include "wallet/wallet_lock.h"

namespace funding {

namespace {

bool answer_mentions(const std::string& error, std::initializer_list<const char*> marks)
{
    for (auto m : marks) {
        if (error.find(m) != std::string::npos) return true;
    }
    return false;
}

} // namespace

std::optional<std::string> find_on_chain(const std::string& txid, int rounds)
{
    if (!core::is_hex64(txid)) return std::nullopt;
    const std::string id = net::lower_ascii(txid);
    ChainClients clients = chain_clients();
    PollTiming timing = poll_timing();
    if (rounds <= 0) rounds = timing.rounds;
    for (int round = 0; round < rounds; ++round) {
        if (round > 0) std::this_thread::sleep_for(timing.interval);
        auto hex = clients.woc.tx_hex(id);
        if (!hex) continue;
        auto raw = core::hex_decode(*hex);
        if (raw && tx::tx_id(*raw) == id) return *hex;
    }
    return std::nullopt;
}

std::string confirm_tx(const std::string& txid, const std::optional<SentTx>& sent, int rounds)
{
    wallet::WalletLock lock;
    auto hex = find_on_chain(txid, rounds);
    if (!hex) return "";
    const std::string id = net::lower_ascii(txid);
    if (ensure_coin_state()) coin_state().last_confirmed_txid = id;
    if (sent) {
        record_outcome(id, sent->inputs, sent->outputs, sent->change_hash);
    } else if (auto raw = core::hex_decode(*hex)) {
        if (auto parsed = tx::tx_parse(*raw)) record_outcome(id, parsed->inputs, parsed->outputs, std::nullopt);
    }
    return "success: " + id;
}

bool arc_broadcast(const std::string& raw_hex, const std::string& expected_txid, std::string& error)
{
    return chain_clients().arc.broadcast(raw_hex, expected_txid, error);
}

std::string broadcast_tx(const std::vector<tx::TxInput>& inputs, const std::vector<tx::TxOutput>& outputs,
                         const std::optional<core::Hash160>& change_hash, std::string& txid)
{
    wallet::WalletLock lock;
    txid.clear();
    core::Bytes raw = tx::tx_serialize(inputs, outputs, false);
    if (raw.empty()) return "error: serialize failed.";
    txid = tx::tx_id(raw);
    const std::string hex = core::hex_encode(raw);
    const SentTx sent{inputs, outputs, change_hash};
    ChainClients clients = chain_clients();

    // Once a service has taken the transaction it is out: later looks for it are short, and
    // whatever the others answer, it is never reported as not sent.
    bool accepted = false;
    auto look = [&] { return confirm_tx(txid, sent, accepted ? 1 : 0); };

    auto oi = clients.registry.submit(hex);
    if (oi && oi->ok) {
        std::string done = look();
        if (!done.empty()) return done;
        accepted = true;
    }

    bool woc_refused = false;
    std::string woc_error;
    auto woc = clients.woc.broadcast(hex);
    if (woc) {
        // Whatever txid the answer names, the transaction sent is the one that must show up.
        std::string done = look();
        if (!done.empty()) return done;
        accepted = true;
    } else {
        woc_refused = true;
        woc_error = woc.error;
        if (answer_mentions(woc_error, {"mempool-conflict", "txn-already", "already have", "already in the mempool"})) {
            std::string done = look();
            if (!done.empty()) return done;
        }
    }

    std::string arc_error;
    if (arc_broadcast(hex, txid, arc_error)) {
        std::string done = look();
        if (!done.empty()) return done;
        accepted = true;
    }
    if (accepted) {
        // Its inputs stay spent and its change is this wallet's: paying again would pay twice.
        if (ensure_coin_state()) coin_state().last_confirmed_txid = txid;
        record_outcome(txid, inputs, outputs, change_hash);
        return "success: " + txid + std::string(SENT_UNCONFIRMED);
    }
    if (!arc_error.empty()) return "error: broadcast failed: " + arc_error;
    if (woc_refused) return "error: broadcast failed: " + woc_error;
    return "error: the network did not take that transaction. Nothing was sent.";
}

} // namespace funding
