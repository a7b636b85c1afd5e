#include "devnet/chain.h"

#include "core/hex.h"

namespace devnet {

int64_t unix_now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

namespace {

JournalEvent tx_event(std::string hex, bool trusted, int64_t time)
{
    JournalEvent event;
    event.kind = JournalEvent::Kind::tx;
    event.hex = std::move(hex);
    event.trusted = trusted;
    event.time = time;
    return event;
}

JournalEvent block_event(int64_t time)
{
    JournalEvent event;
    event.kind = JournalEvent::Kind::block;
    event.time = time;
    return event;
}

} // namespace

bool Chain::open(const std::filesystem::path& state_dir, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(state_dir, ec);
    if (ec) {
        error = "cannot create " + state_dir.string() + ": " + ec.message();
        return false;
    }
    auto events = m_journal.open(state_dir / "chain.jsonl", error);
    if (!events) return false;
    std::unique_lock lock(m_mutex);
    for (const auto& event : *events) replay(event);
    m_persistent = true;
    return true;
}

void Chain::replay(const JournalEvent& event)
{
    if (event.kind == JournalEvent::Kind::block) {
        m_state.mine_block(event.time);
        return;
    }
    if (event.kind == JournalEvent::Kind::seed) {
        auto script = core::hex_decode(event.hex);
        if (script) (void)m_state.seed_output(Outpoint{event.txid, event.vout}, event.value, std::move(*script));
        return;
    }
    auto raw = core::hex_decode(event.hex);
    if (!raw) return;
    auto parsed = tx::parse_raw_tx(*raw);
    if (!parsed) return;
    TxRecord record;
    record.txid = txid_of(*raw);
    if (m_state.find_tx(record.txid)) return;
    record.raw = std::move(*raw);
    record.tx = std::move(*parsed);
    for (const auto& input : record.tx.inputs) {
        const tx::RawTxOutput* out = is_coinbase_input(input) ? nullptr
                                     : m_state.find_output(Outpoint{input.prev_txid(), input.prev_index});
        record.input_values.push_back(out ? static_cast<int64_t>(out->value) : -1);
    }
    record.time = event.time;
    record.trusted = event.trusted;
    TxRecord& stored = m_state.add_to_node(std::move(record));
    m_state.index_tx(stored);
}

void Chain::store(TxRecord record, bool trusted, bool delayed)
{
    record.time = unix_now();
    record.trusted = trusted;
    record.visible = false;
    if (m_persistent) m_journal.append(tx_event(core::hex_encode(record.raw), trusted, record.time));
    TxRecord& stored = m_state.add_to_node(std::move(record));
    auto delay = std::chrono::milliseconds(m_visibility_delay_ms.load());
    if ((delayed && delay.count() > 0) || !m_pending.empty()) {
        m_pending.push_back(Pending{stored.txid, std::chrono::steady_clock::now() + (delayed ? delay : std::chrono::milliseconds(0))});
        m_has_pending.store(true);
        return;
    }
    m_state.index_tx(stored);
}

Judgement Chain::submit(core::ByteView raw)
{
    std::unique_lock lock(m_mutex);
    settle_locked(false);
    Judgement j = judge_transaction(m_state, raw, m_fee_rate.load());
    if (j.accepted()) store(std::move(j.record), false, true);
    return j;
}

Judgement Chain::import_trusted(core::ByteView raw)
{
    std::unique_lock lock(m_mutex);
    settle_locked(false);
    Judgement j;
    auto parsed = tx::parse_raw_tx(raw);
    if (!parsed) {
        j.verdict = Verdict::decode_failed;
        j.node_reason = "TX decode failed";
        return j;
    }
    j.txid = txid_of(raw);
    if (const TxRecord* known = m_state.find_tx(j.txid)) {
        j.verdict = known->confirmed() ? Verdict::already_mined : Verdict::already_in_mempool;
        j.node_reason = known->confirmed() ? "257: txn-already-known" : "Transaction already in the mempool";
        return j;
    }
    TxRecord record;
    for (size_t i = 0; i < parsed->inputs.size(); ++i) {
        const auto& input = parsed->inputs[i];
        if (is_coinbase_input(input)) {
            record.input_values.push_back(-1);
            continue;
        }
        Outpoint prev{input.prev_txid(), input.prev_index};
        if (const SpendRef* spend = m_state.spender(prev)) {
            const TxRecord* by = m_state.find_tx(spend->txid);
            j.verdict = by && by->confirmed() ? Verdict::spent_inputs : Verdict::mempool_conflict;
            j.node_reason = by && by->confirmed() ? "Missing inputs" : "258: txn-mempool-conflict";
            j.competing.push_back(spend->txid);
            j.input_index = i;
            return j;
        }
        const tx::RawTxOutput* out = m_state.find_output(prev);
        record.input_values.push_back(out ? static_cast<int64_t>(out->value) : -1);
    }
    record.txid = j.txid;
    record.raw.assign(raw.begin(), raw.end());
    record.tx = std::move(*parsed);
    store(std::move(record), true, false);
    j.verdict = Verdict::accepted;
    return j;
}

bool Chain::seed_output(const Outpoint& outpoint, uint64_t value, core::Bytes script)
{
    std::unique_lock lock(m_mutex);
    std::string hex = core::hex_encode(script);
    if (!m_state.seed_output(outpoint, value, std::move(script))) return false;
    if (m_persistent) {
        JournalEvent event;
        event.kind = JournalEvent::Kind::seed;
        event.hex = hex;
        event.time = unix_now();
        event.txid = outpoint.txid;
        event.vout = outpoint.vout;
        event.value = value;
        m_journal.append(event);
    }
    return true;
}

int64_t Chain::mine(int count)
{
    std::unique_lock lock(m_mutex);
    settle_locked(true);
    for (int i = 0; i < std::max(count, 1); ++i) {
        int64_t now = unix_now();
        m_state.mine_block(now);
        if (m_persistent) m_journal.append(block_event(now));
    }
    return m_state.tip_height();
}

void Chain::settle(bool everything) const
{
    if (!m_has_pending.load()) return;
    std::unique_lock lock(m_mutex);
    settle_locked(everything);
}

void Chain::settle_locked(bool everything) const
{
    auto now = std::chrono::steady_clock::now();
    while (!m_pending.empty() && (everything || m_pending.front().due <= now)) {
        auto it = m_state.txs.find(m_pending.front().txid);
        if (it != m_state.txs.end()) m_state.index_tx(it->second);
        m_pending.pop_front();
    }
    m_has_pending.store(!m_pending.empty());
}

} // namespace devnet
