#include "book/tx_cache.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <system_error>

#include "core/hex.h"
#include "platform/atomic_file.h"
#include "platform/data_dir.h"

namespace book {
namespace {

constexpr int CACHE_FORMAT = 1;

bool is_lower_txid(const std::string& text)
{
    if (!core::is_hex64(text)) return false;
    for (char c : text) {
        if (c >= 'A' && c <= 'F') return false;
    }
    return true;
}

std::optional<std::string> read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(text).str();
}

std::string shard_of(const std::string& txid)
{
    return txid.substr(0, 2);
}

} // namespace

TxCache::TxCache(std::filesystem::path dir) : m_dir(std::move(dir)) {}

std::filesystem::path TxCache::default_dir()
{
    return platform::data_dir() / "agoran" / "tx_cache";
}

std::filesystem::path TxCache::shard_path(const std::string& shard) const
{
    return m_dir / (shard + ".json");
}

std::unordered_map<std::string, CachedTx> TxCache::read_shard(const std::string& shard) const
{
    std::unordered_map<std::string, CachedTx> entries;
    std::optional<std::string> text = read_file(shard_path(shard));
    if (!text) return entries;
    std::optional<Json> doc = core::parse_json(*text);
    if (!doc || core::json_int64(*doc, "format", 0) != CACHE_FORMAT) return entries;
    const Json* txs = core::json_object(*doc, "txs");
    if (!txs) return entries;
    for (auto& [txid, entry] : txs->items()) {
        if (!is_lower_txid(txid) || shard_of(txid) != shard) continue;
        const Json* tx = core::json_object(entry, "tx");
        if (!tx || core::json_string(*tx, "txid") != txid || !core::json_array(*tx, "vout")) continue;
        CachedTx cached;
        cached.tx = *tx;
        cached.signature_ok = core::json_bool_opt(entry, "sig");
        entries.emplace(txid, std::move(cached));
    }
    return entries;
}

void TxCache::load(const std::vector<std::string>& txids)
{
    std::set<std::string> shards;
    for (const std::string& txid : txids) {
        if (is_lower_txid(txid)) shards.insert(shard_of(txid));
    }
    for (const std::string& shard : shards) {
        for (auto& [txid, cached] : read_shard(shard)) m_entries.insert_or_assign(txid, std::move(cached));
    }
}

const CachedTx* TxCache::find(const std::string& txid) const
{
    auto it = m_entries.find(txid);
    return it == m_entries.end() ? nullptr : &it->second;
}

bool TxCache::save(const std::unordered_map<std::string, CachedTx>& entries) const
{
    std::map<std::string, std::vector<const std::pair<const std::string, CachedTx>*>> by_shard;
    for (const auto& entry : entries) {
        if (!is_lower_txid(entry.first) || core::json_string(entry.second.tx, "txid") != entry.first) continue;
        by_shard[shard_of(entry.first)].push_back(&entry);
    }
    if (by_shard.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(m_dir, ec);
    bool all_written = true;
    for (const auto& [shard, fresh] : by_shard) {
        std::unordered_map<std::string, CachedTx> merged = read_shard(shard);
        for (const auto* entry : fresh) merged.insert_or_assign(entry->first, entry->second);
        Json txs = Json::object();
        for (const auto& [txid, cached] : merged) {
            Json item = {{"tx", cached.tx}};
            if (cached.signature_ok) item["sig"] = *cached.signature_ok;
            txs[txid] = std::move(item);
        }
        Json doc = {{"format", CACHE_FORMAT}, {"txs", std::move(txs)}};
        if (!platform::write_file_atomic(shard_path(shard), core::json_dump_file(doc))) all_written = false;
    }
    return all_written;
}

} // namespace book
