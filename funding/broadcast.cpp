#include "funding/broadcast.h"

#include <thread>

#include "core/hex.h"
#include "funding/chain_clients.h"
#include "funding/coin_state.h"
#include "funding/outcome.h"
#include "funding/outpoint_text.h"
#include "funding/session.h"
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

// What the services made of one transaction.
struct Submission {
    bool found = false;     // WhatsOnChain shows it
    bool accepted = false;  // a service took it
    bool woc_refused = false;
    std::string woc_error;
    std::string arc_error;
};

Submission submit(const Session& session, const std::string& hex, const tx::Txid& txid);

// Marks a broadcast's inputs in the paying wallet's coin state for the life of the object. Made
// and ended with the wallet lock held; does nothing when another wallet is bound by then.
class SendingMark {
public:
    SendingMark(Session& session, std::string payer, const std::vector<tx::TxInput>& inputs)
        : m_session(session), m_payer(std::move(payer))
    {
        for (const auto& in : inputs) m_keys.push_back({in.txid, in.vout});
        if (bound()) m_session.coins().sending.insert(m_keys.begin(), m_keys.end());
    }
    ~SendingMark()
    {
        if (!bound()) return;
        for (const auto& k : m_keys) m_session.coins().sending.erase(k);
    }
    SendingMark(const SendingMark&) = delete;
    SendingMark& operator=(const SendingMark&) = delete;

private:
    [[nodiscard]] bool bound() const { return !m_payer.empty() && ensure_coin_state(m_session) && m_session.coins().key == m_payer; }

    Session& m_session;
    std::string m_payer;
    std::vector<tx::Outpoint> m_keys;
};

} // namespace

std::optional<std::string> find_on_chain(const Session& session, const tx::Txid& txid, int rounds)
{
    ChainClients clients = chain_clients(session);
    PollTiming timing = session.poll_timing();
    if (rounds <= 0) rounds = timing.rounds;
    for (int round = 0; round < rounds; ++round) {
        if (round > 0) std::this_thread::sleep_for(timing.interval);
        auto hex = clients.woc.tx_hex(txid);
        if (!hex) continue;
        auto raw = core::hex_decode(*hex);
        if (raw && tx::tx_id(*raw) == txid) return *hex;
    }
    return std::nullopt;
}

namespace {

// The oracle index, then WhatsOnChain, then ARC, until WhatsOnChain shows the transaction. Once
// a service has taken it, it is out: later looks for it are short, and whatever the others
// answer, it is never reported as not sent. Network only: runs with the wallet lock let go.
Submission submit(const Session& session, const std::string& hex, const tx::Txid& txid)
{
    ChainClients clients = chain_clients(session);
    Submission s;
    auto shows = [&] { return find_on_chain(session, txid, s.accepted ? 1 : 0).has_value(); };

    auto oi = clients.registry.submit(hex);
    if (oi && oi->ok) {
        if ((s.found = shows())) return s;
        s.accepted = true;
    }
    auto woc = clients.woc.broadcast(hex);
    if (woc) {
        // Whatever txid the answer names, the transaction sent is the one that must show up.
        if ((s.found = shows())) return s;
        s.accepted = true;
    } else {
        s.woc_refused = true;
        s.woc_error = woc.error;
        if (answer_mentions(s.woc_error, {"mempool-conflict", "txn-already", "already have", "already in the mempool"})) {
            if ((s.found = shows())) return s;
        }
    }
    if (clients.arc.broadcast(hex, txid, s.arc_error)) {
        if ((s.found = shows())) return s;
        s.accepted = true;
    }
    return s;
}

} // namespace

std::optional<tx::Txid> confirm_tx(Session& session, const tx::Txid& txid, const std::optional<SentTx>& sent, int rounds)
{
    std::optional<std::string> hex;
    {
        wallet::WalletUnlock unlock(session.wallet());
        hex = find_on_chain(session, txid, rounds);
    }
    if (!hex) return std::nullopt;
    wallet::WalletLock lock(session.wallet());
    if (ensure_coin_state(session)) session.coins().last_confirmed_txid = txid;
    if (sent) {
        record_outcome(session, txid, sent->inputs, sent->outputs, sent->change_hash);
    } else if (auto raw = core::hex_decode(*hex)) {
        if (auto parsed = tx::tx_parse(*raw)) record_outcome(session, txid, parsed->inputs, parsed->outputs, std::nullopt);
    }
    return txid;
}

FundingResult<Paid> broadcast_tx(Session& session, const std::vector<tx::TxInput>& inputs,
                                 const std::vector<tx::TxOutput>& outputs, const std::optional<core::Hash160>& change_hash,
                                 tx::Txid& txid)
{
    wallet::WalletLock lock(session.wallet());
    txid = tx::Txid();
    core::Bytes raw = tx::tx_serialize(inputs, outputs, false);
    if (raw.empty()) return FundingError(FundingCode::SerializeFailed);
    const tx::Txid id = tx::tx_id(raw);
    txid = id;
    const std::string hex = core::hex_encode(raw);

    // The network is asked with the wallet lock let go; the inputs are marked as being sent
    // meanwhile, so that no other payment of this process chooses them.
    const std::string payer = ensure_coin_state(session) ? session.coins().key : std::string();
    SendingMark mark(session, payer, inputs);
    Submission sent;
    {
        wallet::WalletUnlock unlock(session.wallet());
        sent = submit(session, hex, id);
    }
    if (!sent.found && !sent.accepted) {
        if (!sent.arc_error.empty()) return FundingError(FundingCode::BroadcastRefused, sent.arc_error);
        if (sent.woc_refused) return FundingError(FundingCode::BroadcastRefused, sent.woc_error);
        return FundingError(FundingCode::NotTaken);
    }
    // Its inputs stay spent and its change is this wallet's: paying again would pay twice. The
    // outcome goes only into the memory of the wallet that paid, whatever is bound now.
    if (!payer.empty() && ensure_coin_state(session) && session.coins().key == payer) {
        session.coins().last_confirmed_txid = id;
        record_outcome(session, id, inputs, outputs, change_hash);
    }
    return Paid{id, sent.found};
}

} // namespace funding
