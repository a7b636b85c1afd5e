#include "wallet/lots.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include "core/hex.h"
#include "core/json_get.h"
#include "core/log.h"
#include "net/service_config.h"
#include "wallet/app_binding.h"
#include "wallet/data_paths.h"
#include "wallet/decimal_sum.h"
#include "wallet/file_io.h"
#include "wallet/lots_cache.h"
#include "wallet/parallel_loop.h"
#include "wallet/recent_ords.h"
#include "wallet/registry.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"
#include "wallet/watch_addresses.h"

namespace wallet {

namespace {

constexpr size_t ADDRESS_THREADS = 4;
constexpr size_t CHECK_THREADS = 6;
constexpr size_t HISTORY_DEPTH = 10;  // Txids read per watch address
constexpr int CONTENT_TIMEOUT = 45;

// Metadata known about an origin from the wallet files and the last snapshot.
using OriginInfo = std::map<std::string, TvOwnedOrd>;

void add_info(OriginInfo& info, const TvOwnedOrd& r)
{
    auto& known = info[r.origin];
    if (known.origin.empty()) known.origin = r.origin;
    for (auto [to, from] : {std::pair{&known.type, &r.type}, {&known.name, &r.name}, {&known.icon, &r.icon},
                            {&known.dec, &r.dec}}) {
        if (to->empty()) *to = *from;
    }
}

// Owned records of the registry's other wallets and of the wallet files Pursa parked.
void read_other_wallets(const std::string& active_id, OriginInfo& info)
{
    auto take = [&](const std::filesystem::path& path) {
        SecretJson file;
        read_secret_json(path, file);
        if (const auto* owned = core::json_array(file.doc(), "ord_owned")) {
            if (auto records = owned_ords_from_json(*owned)) {
                for (const auto& r : *records) add_info(info, r);
            }
        }
    };
    for (const auto& entry : list_wallets()) {
        if (entry.id != active_id && valid_wallet_id(entry.id)) take(wallet_file_path(entry.id));
    }
    std::error_code ec;
    for (std::filesystem::directory_iterator it(parked_dir(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.find("tavrinnode_pursa.detached") != std::string::npos && name.ends_with(".json")) take(it->path());
    }
}

// Inbox entries of the watch addresses join the owned list. Call with the wallet lock.
void take_inbox(WalletSession& session, const std::vector<std::string>& addresses)
{
    TvWalletState& s = session.state();
    bool changed = false;
    for (const auto& address : addresses) {
        for (auto& r : read_inbox(address)) {
            const bool known = std::any_of(s.owned.begin(), s.owned.end(), [&](const auto& o) { return o.origin == r.origin; });
            if (known) continue;
            s.owned.push_back(std::move(r));
            changed = true;
        }
    }
    if (changed && !wallet_save(session)) return;  // Keep the inbox files for the next scan
    for (const auto& address : addresses) remove_inbox(address);
}

bool is_picture_type(const std::string& type)
{
    return type.starts_with("image/");
}

// One candidate lot output found by the index.
struct Candidate {
    TvPursaOrdRow row;
    bool spent = false;
};

std::optional<Candidate> candidate_of(const net::Txo& txo, const std::string& address)
{
    if (txo.sats != 1 || txo.spent()) return std::nullopt;
    Candidate c;
    TvPursaOrdRow& row = c.row;
    row.txid = txo.txid;
    row.vout = txo.vout;
    row.satoshis = txo.sats;
    row.height = txo.height;
    row.address = txo.owner.empty() ? address : txo.owner;
    row.origin = txo.origin.empty() ? txo.outpoint : txo.origin;
    row.outpoints = {tx::Outpoint{txo.txid, txo.vout}};
    row.unconfirmed = txo.height < 1;
    row.source = "index";
    if (txo.token) {
        const auto& t = *txo.token;
        if (t.id.empty() || t.amt.empty() || (t.op != "transfer" && t.op != "deploy+mint")) return std::nullopt;
        row.type = "bsv-20";
        row.token_id = t.id;
        row.amt = t.amt;
        return c;
    }
    // A picture that changed hands shows its file only under its origin.
    const auto& file = txo.file ? txo.file : txo.origin_file;
    if (!file || !is_picture_type(file->type)) return std::nullopt;
    row.type = file->type;
    return c;
}

// Found lots join the owned list. Returns whether the list changed.
bool merge_into_owned(std::vector<TvOwnedOrd>& owned, const std::vector<Candidate>& found)
{
    bool changed = false;
    for (const auto& c : found) {
        const TvPursaOrdRow& row = c.row;
        const std::string& origin = row.origin;
        auto it = std::find_if(owned.begin(), owned.end(), [&](const auto& o) { return o.origin == origin; });
        if (it == owned.end()) {
            TvOwnedOrd r;
            r.origin = origin;
            r.txid = row.txid;
            r.vout = row.vout;
            r.type = row.type;
            r.address = row.address;
            r.name = row.name;
            r.icon = row.icon;
            r.amt = row.amt;
            r.dec = row.dec;
            r.token_id = row.token_id;
            owned.push_back(std::move(r));
            changed = true;
            continue;
        }
        if (it->hidden) continue;
        for (auto [to, from] : {std::pair{&it->type, &row.type}, {&it->name, &row.name}, {&it->icon, &row.icon}}) {
            if (to->empty() && !from->empty()) {
                *to = *from;
                changed = true;
            }
        }
        for (auto [to, from] : {std::pair{&it->amt, &row.amt}, {&it->dec, &row.dec}, {&it->token_id, &row.token_id}}) {
            if (!from->empty() && *to != *from) {
                *to = *from;
                changed = true;
            }
        }
        if (it->txid != row.txid || it->vout != row.vout) {
            it->txid = row.txid;
            it->vout = row.vout;
            changed = true;
        }
    }
    return changed;
}

net::OrdinalsClient session_ordinals(const WalletSession& session)
{
    const net::ServiceConfig& config = session.services();
    return net::OrdinalsClient(config.ordinals_api, config.ordinals_content, session.http());
}

} // Namespace

std::vector<TvPursaOrdRow> combine_lot_rows(const std::vector<TvPursaOrdRow>& rows)
{
    std::vector<TvPursaOrdRow> out;
    std::map<std::string, size_t> token_row;  // Token id -> index in out
    for (const auto& row : rows) {
        if (row.token_id.empty()) {
            out.push_back(row);
            continue;
        }
        auto it = token_row.find(row.token_id);
        if (it == token_row.end()) {
            token_row[row.token_id] = out.size();
            out.push_back(row);
            TvPursaOrdRow& lot = out.back();
            if (lot.amt.empty()) lot.amt = "0";
            if (lot.height < 1) lot.height = 0;
            if (lot.outpoints.empty()) lot.outpoints = {tx::Outpoint{row.txid, row.vout}};
            continue;
        }
        TvPursaOrdRow& lot = out[it->second];
        if (auto sum = decimal_sum(lot.amt, row.amt)) lot.amt = *sum;
        for (auto [to, from] : {std::pair{&lot.name, &row.name}, {&lot.icon, &row.icon}, {&lot.dec, &row.dec}}) {
            if (to->empty()) *to = *from;
        }
        if (row.height < 1) lot.height = 0;
        lot.unconfirmed = lot.unconfirmed || row.unconfirmed;
        lot.from_history = lot.from_history || row.from_history;
        if (row.outpoints.empty()) lot.outpoints.push_back(tx::Outpoint{row.txid, row.vout});
        else lot.outpoints.insert(lot.outpoints.end(), row.outpoints.begin(), row.outpoints.end());
        lot.outputs += row.outputs;
    }
    for (auto& row : out) std::sort(row.outpoints.begin(), row.outpoints.end());
    return out;
}

WalletResult<void> tv_pursa_list_ordinals(WalletSession& session, std::vector<TvPursaOrdRow>& rows,
                                          bool with_details, bool include_hidden)
{
    net::WocClient woc(session.services().woc_api, session.http());
    const net::OrdinalsClient ordinals = session_ordinals(session);
    return tv_pursa_list_ordinals(session, rows, with_details, include_hidden, LotServices{woc, ordinals});
}

WalletResult<void> tv_pursa_list_ordinals(WalletSession& session, std::vector<TvPursaOrdRow>& rows, bool with_details,
                                          bool include_hidden, const LotServices& services)
{
    rows.clear();
    std::vector<std::string> addresses;
    std::string key;
    OriginInfo info;
    std::set<std::string> hidden;
    {
        WalletLock lock(session);
        if (!wallet_load(session)) return WalletError(WalletCode::NoWallet);
        addresses = watch_addresses(session);
        take_inbox(session, addresses);
        for (const auto& r : session.state().owned) {
            add_info(info, r);
            if (r.hidden) hidden.insert(r.origin);
        }
        if (addresses.empty()) return WalletError(WalletCode::NoWatchAddresses);
        key = wallet_key(session);
    }
    read_other_wallets(active_wallet_id(session), info);
    if (auto snapshot = read_lot_snapshot(key)) {
        for (const auto& r : snapshot->lots) add_info(info, r);
    }

    // The index, one task per watch address.
    std::mutex mutex;
    std::vector<Candidate> found;
    bool index_failed = false;
    const std::vector<size_t> unread = parallel_for(addresses.size(), ADDRESS_THREADS, [&](size_t i) {
        const std::string& address = addresses[i];
        auto plain = services.ordinals.unspent_txos(address, net::TxoSelection::NonToken);
        auto tokens = services.ordinals.unspent_txos(address, net::TxoSelection::Tokens);
        std::lock_guard<std::mutex> guard(mutex);
        if (!plain || !tokens) index_failed = true;
        for (const auto* list : {&plain, &tokens}) {
            if (!*list) continue;
            for (const auto& txo : **list) {
                if (auto c = candidate_of(txo, address)) found.push_back(std::move(*c));
            }
        }
    });
    if (!unread.empty()) index_failed = true;  // an address whose lists failed is not "no lots"
    // The two lists may both carry an output: keep each outpoint once.
    std::set<tx::Outpoint> seen;
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const Candidate& c) { return !seen.insert(c.row.outpoints.front()).second; }),
                found.end());

    // Outputs the index may not show yet, from the addresses' recent history.
    for (const auto& ord : ingest_woc_recent_ords(addresses, HISTORY_DEPTH, services.woc)) {
        const tx::Outpoint outpoint{ord.txid, ord.vout};
        if (!seen.insert(outpoint).second) continue;
        Candidate c;
        TvPursaOrdRow& row = c.row;
        row.origin = tx::format_outpoint(outpoint);
        row.txid = ord.txid;
        row.vout = ord.vout;
        row.satoshis = 1;
        row.height = ord.height;
        row.type = ord.type;
        row.address = ord.address;
        row.name = ord.name;
        row.amt = ord.amt;
        row.dec = ord.dec;
        row.token_id = ord.token_id;
        row.outpoints = {outpoint};
        row.unconfirmed = ord.height < 1;
        row.from_history = true;
        row.source = "history";
        found.push_back(std::move(c));
    }

    // Spent checks and token details through the bounded loop.
    std::map<std::string, net::TokenInfo> tokens;
    std::set<std::string> token_ids;
    for (const auto& c : found) {
        if (!c.row.token_id.empty()) token_ids.insert(c.row.token_id);
    }
    // A check that failed leaves the lot listed, as when the service does not answer.
    const std::vector<size_t> unchecked = parallel_for(found.size(), CHECK_THREADS, [&](size_t i) {
        auto check = services.woc.spent(found[i].row.txid, found[i].row.vout);
        if (check && check->state == net::SpentCheck::State::Spent) found[i].spent = true;
    });
    if (!unchecked.empty()) core::log_warning("Some lots could not be checked for spending.");
    found.erase(std::remove_if(found.begin(), found.end(), [](const Candidate& c) { return c.spent; }), found.end());
    if (with_details) {
        std::vector<std::string> ids(token_ids.begin(), token_ids.end());
        // A token whose details failed shows the lot's own name, as when the index does not answer.
        const std::vector<size_t> undetailed = parallel_for(ids.size(), CHECK_THREADS, [&](size_t i) {
            auto token = services.ordinals.token(ids[i]);
            if (!token) return;
            std::lock_guard<std::mutex> guard(mutex);
            tokens[ids[i]] = std::move(*token);
        });
        if (!undetailed.empty()) core::log_warning("Some token details could not be read.");
    }
    for (auto& c : found) {
        TvPursaOrdRow& row = c.row;
        if (auto it = tokens.find(row.token_id); it != tokens.end()) {
            row.name = !it->second.name.empty() ? it->second.name : it->second.sym;
            row.icon = it->second.icon;
            if (it->second.dec) row.dec = std::to_string(*it->second.dec);
        }
        if (auto known = info.find(row.origin); known != info.end()) {
            if (row.name.empty()) row.name = known->second.name;
            if (row.icon.empty()) row.icon = known->second.icon;
            if (row.dec.empty()) row.dec = known->second.dec;
        }
        if (row.is_picture() && row.name.empty()) row.name = read_cached_name(row.origin);
    }

    // The owned list is saved only while the same wallet is still bound.
    {
        WalletLock lock(session);
        if (wallet_key(session) != key || !wallet_load(session)) return WalletError(WalletCode::WalletChanged);
        if (merge_into_owned(session.state().owned, found)) (void)wallet_save(session);
        for (const auto& r : session.state().owned) {
            if (r.hidden) hidden.insert(r.origin);
        }
    }

    // Snapshot and rows.
    LotSnapshot snapshot;
    std::vector<TvPursaOrdRow> flat;
    for (const auto& c : found) {
        const TvPursaOrdRow& row = c.row;
        TvOwnedOrd lot;
        lot.origin = row.origin;
        lot.txid = row.txid;
        lot.vout = row.vout;
        lot.type = row.type;
        lot.name = row.name;
        lot.icon = row.icon;
        lot.address = row.address;
        snapshot.lots.push_back(lot);
        snapshot.txids.push_back(row.txid.hex());
        if (!row.token_id.empty()) snapshot.token_ids.push_back(row.token_id);
        if (!include_hidden && hidden.count(row.origin)) continue;
        flat.push_back(row);
    }
    std::sort(snapshot.token_ids.begin(), snapshot.token_ids.end());
    snapshot.token_ids.erase(std::unique(snapshot.token_ids.begin(), snapshot.token_ids.end()), snapshot.token_ids.end());
    (void)write_lot_snapshot(key, snapshot);

    rows = combine_lot_rows(flat);
    if (rows.empty() && index_failed) return WalletError(WalletCode::IndexUnavailable);
    return {};
}

std::string sniff_content_type(std::string_view b)
{
    auto at = [&](size_t i) { return static_cast<unsigned char>(b[i]); };
    if (b.size() >= 8 && at(0) == 0x89 && b[1] == 'P') return "image/png";
    if (b.size() >= 3 && at(0) == 0xFF && at(1) == 0xD8) return "image/jpeg";
    if (b.size() >= 12 && b.substr(0, 2) == "RI" && b.substr(8, 2) == "WE") return "image/webp";
    if (b.size() >= 4 && b.substr(0, 2) == "GI") return "image/gif";
    if (b.size() >= 4 && b.substr(0, 2) == "RI") return "image/webp";
    return "application/octet-stream";
}

bool fetch_inscription_content(const WalletSession& session, std::string_view key, std::string& bytes,
                               std::string& content_type)
{
    return fetch_inscription_content(key, bytes, content_type, session_ordinals(session));
}

bool fetch_inscription_content(std::string_view key_text, std::string& bytes, std::string& content_type,
                               const net::OrdinalsClient& ordinals)
{
    std::string key(key_text);
    if (key.size() == 64) key += "_0";
    if (!net::is_outpoint_text(key)) return false;
    auto miss = [](const net::Result<net::Content>& r) {
        if (!r || r->bytes.empty()) return true;
        const std::string& body = r->bytes;
        return body.front() == '{' && body.size() >= 7 && body.find("\"error\"") != std::string::npos;
    };
    auto answer = ordinals.content(key, CONTENT_TIMEOUT);
    if (miss(answer)) answer = ordinals.files_inscription(key, CONTENT_TIMEOUT);
    if (miss(answer)) return false;
    bytes = std::move(answer->bytes);
    content_type = sniff_content_type(bytes);
    return true;
}

} // Namespace wallet
