#include "wallet/recent_ords.h"

#include <algorithm>
#include <mutex>
#include <set>

#include "core/base58.h"
#include "core/hex.h"
#include "core/log.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/outpoint.h"
#include "wallet/parallel_loop.h"

namespace wallet {

namespace {

constexpr size_t FETCH_THREADS = 6;
constexpr size_t P2PKH_SIZE = 25;

bool is_p2pkh_at(const core::Bytes& s, size_t at)
{
    return s.size() >= at + P2PKH_SIZE && s[at] == 0x76 && s[at + 1] == 0xa9 && s[at + 2] == 0x14
           && s[at + 23] == 0x88 && s[at + 24] == 0xac;
}

// The envelope of a 1Sat output and the address its P2PKH lock pays: the lock comes first and
// the envelope after it, or the other way round.
std::optional<tx::Envelope> envelope_of(const core::Bytes& script, std::string& owner)
{
    size_t lock_at = 0;
    std::optional<tx::Envelope> env;
    if (is_p2pkh_at(script, 0)) {
        env = tx::parse_envelope(script, P2PKH_SIZE);
    } else {
        env = tx::parse_envelope(script, 0);
        if (!env || !is_p2pkh_at(script, env->end)) return std::nullopt;
        lock_at = env->end;
    }
    if (!env) return std::nullopt;
    core::Hash160 hash;
    std::copy(script.begin() + static_cast<std::ptrdiff_t>(lock_at + 3),
              script.begin() + static_cast<std::ptrdiff_t>(lock_at + 23), hash.begin());
    owner = core::address_from_hash160(hash);
    return env;
}

std::optional<LocalOrd> local_ord_of(const net::ChainTx& chain_tx, size_t vout, const std::set<std::string>& watched)
{
    const auto& out = chain_tx.outputs[vout];
    if (out.sats != 1 || out.script_truncated) return std::nullopt;
    auto script = core::hex_decode(out.script_hex);
    if (!script) return std::nullopt;
    std::string address;
    auto env = envelope_of(*script, address);
    if (!env || !watched.count(address)) return std::nullopt;
    LocalOrd ord;
    ord.txid = chain_tx.txid;
    ord.vout = static_cast<uint32_t>(vout);
    ord.address = address;
    ord.height = chain_tx.confirmed ? chain_tx.block_height : 0;
    if (env->content_type.starts_with("image/")) {
        ord.type = env->content_type;
        return ord;
    }
    if (env->content_type != "application/bsv-20") return std::nullopt;
    auto body = tx::parse_bsv20(std::string_view(reinterpret_cast<const char*>(env->body.data()), env->body.size()));
    if (!body || body->amt.empty()) return std::nullopt;
    if (body->op == "deploy+mint") body->id = tx::format_outpoint(ord.txid, ord.vout);
    else if (body->op != "transfer" || !body->is_token()) return std::nullopt;
    ord.type = "bsv-20";
    ord.token_id = body->id;
    ord.amt = body->amt;
    ord.dec = body->dec;
    ord.name = !body->name.empty() ? body->name : body->sym;
    return ord;
}

} // namespace

std::vector<LocalOrd> ingest_woc_recent_ords(const std::vector<std::string>& addresses, size_t limit,
                                             const net::WocClient& woc)
{
    std::vector<tx::Txid> txids;
    std::set<tx::Txid> seen;
    for (const auto& address : addresses) {
        size_t taken = 0;
        for (auto list : {net::WocAddressList::UnconfirmedHistory, net::WocAddressList::ConfirmedHistory}) {
            auto answer = woc.address_txids(address, list);
            if (!answer) continue;
            for (const auto& txid : *answer) {
                if (taken >= limit) break;
                ++taken;
                if (seen.insert(txid).second) txids.push_back(txid);
            }
        }
    }
    const std::set<std::string> watched(addresses.begin(), addresses.end());
    std::mutex mutex;
    std::vector<LocalOrd> out;
    const std::vector<size_t> failed = parallel_for(txids.size(), FETCH_THREADS, [&](size_t i) {
        auto chain_tx = woc.tx(txids[i]);
        if (!chain_tx) return;
        for (size_t vout = 0; vout < chain_tx->outputs.size(); ++vout) {
            if (auto ord = local_ord_of(*chain_tx, vout, watched)) {
                std::lock_guard<std::mutex> guard(mutex);
                out.push_back(std::move(*ord));
            }
        }
    });
    if (!failed.empty()) core::log_warning("Some recent transactions of the wallet could not be read.");
    std::sort(out.begin(), out.end(), [](const LocalOrd& a, const LocalOrd& b) {
        return a.txid != b.txid ? a.txid < b.txid : a.vout < b.vout;
    });
    return out;
}

} // namespace wallet
