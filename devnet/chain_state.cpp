#include "devnet/chain_state.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/hash.h"
#include "core/hex.h"
#include "devnet/indexer_data.h"
#include "devnet/lock_script.h"

namespace devnet {

namespace {

// The double-SHA-256 of the previous hash and the block's txids, shown reversed like a txid.
std::string block_hash_of(const std::string& prev, int64_t height, int64_t time, const std::vector<std::string>& txids)
{
    std::string seed = prev + ":" + std::to_string(height) + ":" + std::to_string(time);
    for (const auto& txid : txids) seed += txid;
    auto digest = core::sha256d(core::as_bytes(seed));
    std::reverse(digest.begin(), digest.end());
    return core::hex_encode(digest);
}

} // namespace

const Block* ChainState::block_at(int64_t height) const
{
    if (height < 1 || height > tip_height()) return nullptr;
    return &blocks[static_cast<size_t>(height - 1)];
}

const TxRecord* ChainState::find_tx(std::string_view txid) const
{
    auto it = txs.find(std::string(txid));
    return it == txs.end() ? nullptr : &it->second;
}

const TxRecord* ChainState::find_visible(std::string_view txid) const
{
    const TxRecord* record = find_tx(txid);
    return record && record->visible && !record->seeded ? record : nullptr;
}

const tx::RawTxOutput* ChainState::find_output(const Outpoint& outpoint) const
{
    const TxRecord* record = find_tx(outpoint.txid);
    if (!record || outpoint.vout >= record->tx.outputs.size()) return nullptr;
    const tx::RawTxOutput& out = record->tx.outputs[outpoint.vout];
    if (record->seeded && out.script.empty()) return nullptr;  // a placeholder, not a seeded output
    return &out;
}

const SpendRef* ChainState::spender(const Outpoint& outpoint) const
{
    auto it = spent_by.find(outpoint);
    return it == spent_by.end() ? nullptr : &it->second;
}

TxRecord& ChainState::add_to_node(TxRecord record)
{
    record.sequence = next_sequence++;
    const std::string txid = record.txid;
    for (size_t i = 0; i < record.tx.inputs.size(); ++i) {
        const auto& input = record.tx.inputs[i];
        if (is_coinbase_input(input)) continue;
        spent_by[Outpoint{input.prev_txid(), input.prev_index}] = SpendRef{txid, static_cast<uint32_t>(i)};
    }
    if (record.height < 0) mempool.push_back(txid);
    auto [it, inserted] = txs.emplace(txid, std::move(record));
    return it->second;
}

bool ChainState::seed_output(const Outpoint& outpoint, uint64_t value, core::Bytes script)
{
    auto it = txs.find(outpoint.txid);
    if (it == txs.end()) {
        TxRecord stub;
        stub.txid = outpoint.txid;
        stub.height = 0;
        stub.visible = false;
        stub.seeded = true;
        stub.sequence = next_sequence++;
        it = txs.emplace(outpoint.txid, std::move(stub)).first;
    }
    TxRecord& stub = it->second;
    if (!stub.seeded) return false;
    auto& outputs = stub.tx.outputs;
    if (outpoint.vout < outputs.size() && !outputs[outpoint.vout].script.empty()) return false;
    if (outputs.size() <= outpoint.vout) outputs.resize(outpoint.vout + 1);
    outputs[outpoint.vout] = tx::RawTxOutput{value, std::move(script)};
    return true;
}

const Block& ChainState::mine_block(int64_t time)
{
    Block block;
    block.height = tip_height() + 1;
    block.time = time;
    block.txids = std::move(mempool);
    mempool.clear();
    int64_t index = 1;  // position 0 is the block's own coinbase
    for (const auto& txid : block.txids) {
        TxRecord& record = txs.at(txid);
        record.height = block.height;
        record.block_index = index++;
    }
    block.hash = block_hash_of(blocks.empty() ? std::string(64, '0') : blocks.back().hash, block.height, time, block.txids);
    blocks.push_back(std::move(block));
    return blocks.back();
}

void ChainState::index_tx(TxRecord& record)
{
    record.visible = true;
    index_addresses(record);
    index_tokens(record);
    index_ordinals(record);
}

void ChainState::index_addresses(const TxRecord& record)
{
    std::set<std::string> touched;
    std::set<std::string> paid;
    for (size_t j = 0; j < record.tx.outputs.size(); ++j) {
        LockView view = view_lock(record.tx.outputs[j].script);
        if (view.address.empty()) continue;
        addresses[view.address].outputs.push_back(Outpoint{record.txid, static_cast<uint32_t>(j)});
        touched.insert(view.address);
        paid.insert(view.address);
    }
    for (const auto& input : record.tx.inputs) {
        if (is_coinbase_input(input)) continue;
        const tx::RawTxOutput* prev = find_output(Outpoint{input.prev_txid(), input.prev_index});
        if (!prev) continue;
        LockView view = view_lock(prev->script);
        if (!view.address.empty()) touched.insert(view.address);
    }
    for (const auto& address : touched) addresses[address].history.push_back(record.txid);
    for (const auto& address : paid) addresses[address].paid_by.push_back(record.txid);
}

void ChainState::index_tokens(const TxRecord& record)
{
    // Token inscriptions of this transaction, by output.
    std::map<std::string, std::vector<uint32_t>> outputs_by_id;  // transfers and burns
    std::unordered_map<uint32_t, TokenBody> bodies;
    for (size_t j = 0; j < record.tx.outputs.size(); ++j) {
        const auto& output = record.tx.outputs[j];
        if (output.value != 1) continue;
        LockView view = view_lock(output.script);
        if (!view.inscription) continue;
        auto body = parse_token_body(*view.inscription, record.txid, static_cast<uint32_t>(j));
        if (!body) continue;
        bodies.emplace(static_cast<uint32_t>(j), *body);
        if (body->op != "deploy+mint") outputs_by_id[body->id].push_back(static_cast<uint32_t>(j));
    }
    if (bodies.empty()) return;

    // What the spent inputs hold, by token id.
    struct Held {
        uint64_t total = 0;
        bool overflow = false;
        bool invalid = false;
    };
    std::map<std::string, Held> held;
    for (const auto& input : record.tx.inputs) {
        if (is_coinbase_input(input)) continue;
        auto it = token_outputs.find(Outpoint{input.prev_txid(), input.prev_index});
        if (it == token_outputs.end() || it->second.op == "burn") continue;
        Held& h = held[it->second.id];
        if (it->second.status < 0) h.invalid = true;
        if (h.total > UINT64_MAX - it->second.amt) h.overflow = true;
        h.total += it->second.amt;
    }

    for (const auto& [vout, body] : bodies) {
        Outpoint outpoint{record.txid, vout};
        TokenOutput out{body.id, body.op, body.amt, 1, ""};
        if (body.op == "deploy+mint") {
            tokens[body.id] = TokenDef{body.id, outpoint, body.amt, body.sym, body.icon, body.dec};
        }
        token_outputs[outpoint] = out;
        token_outputs_by_id[body.id].push_back(outpoint);
    }
    for (const auto& [id, vouts] : outputs_by_id) {
        std::string reason;
        const Held h = held.count(id) ? held[id] : Held{};
        if (h.invalid) {
            reason = "invalid input";
        } else {
            // With an overflowing input sum no single claim can exceed it.
            uint64_t remaining = h.overflow ? UINT64_MAX : h.total;
            for (uint32_t vout : vouts) {
                uint64_t amt = bodies.at(vout).amt;
                if (amt > remaining) {
                    reason = "insufficient balance " + std::to_string(remaining) + " < " + std::to_string(amt);
                    break;
                }
                remaining -= amt;
            }
        }
        if (reason.empty()) continue;
        for (uint32_t vout : vouts) {
            TokenOutput& out = token_outputs[Outpoint{record.txid, vout}];
            out.status = -1;
            out.reason = reason;
        }
    }
}

void ChainState::index_ordinals(const TxRecord& record)
{
    // Satoshi ranges of the inputs, in order, as far as their values are known.
    struct Range {
        uint64_t start = 0;
        uint64_t end = 0;
        std::string origin;  // origin carried by a 1-sat input, else empty
    };
    std::vector<Range> ranges;
    uint64_t offset = 0;
    for (size_t i = 0; i < record.tx.inputs.size(); ++i) {
        int64_t value = i < record.input_values.size() ? record.input_values[i] : -1;
        if (value < 0) break;  // positions after an unknown input cannot be followed
        Range range{offset, offset + static_cast<uint64_t>(value), ""};
        if (value == 1) {
            const auto& input = record.tx.inputs[i];
            auto it = txos.find(Outpoint{input.prev_txid(), input.prev_index});
            if (it != txos.end()) range.origin = it->second.origin;
        }
        ranges.push_back(std::move(range));
        offset += static_cast<uint64_t>(value);
    }

    uint64_t out_offset = 0;
    size_t r = 0;
    for (size_t j = 0; j < record.tx.outputs.size(); ++j) {
        const auto& output = record.tx.outputs[j];
        Outpoint outpoint{record.txid, static_cast<uint32_t>(j)};
        uint64_t position = out_offset;
        out_offset += output.value;
        LockView view = view_lock(output.script);
        TxoEntry entry;
        entry.owner = view.owner;
        if (output.value == 1) {
            while (r < ranges.size() && ranges[r].end <= position) ++r;
            bool inside = r < ranges.size() && ranges[r].start <= position;
            if (inside && ranges[r].end - ranges[r].start == 1 && !ranges[r].origin.empty()) {
                entry.origin = ranges[r].origin;
            }
            if (view.inscription) {
                entry.data = inscription_data(*view.inscription);
                auto token = token_outputs.find(outpoint);
                if (token != token_outputs.end()) {
                    entry.data["bsv20"] = {{"id", token->second.id}, {"op", token->second.op},
                                           {"amt", token->second.amt}, {"listing", false}};
                }
                if (entry.origin.empty()) {
                    entry.origin = format_outpoint(outpoint);
                    origins[entry.origin] = OriginEntry{outpoint, next_inum++, entry.data};
                }
            }
        }
        if (entry.owner.empty() && entry.origin.empty()) continue;
        if (!entry.owner.empty()) owner_txos[entry.owner].push_back(outpoint);
        txos[outpoint] = std::move(entry);
    }
}

} // namespace devnet
