#include "book/tx_cache.h"

#include <atomic>
#include <fstream>
#include <map>
#include <string_view>
#include <system_error>

#include "book/parallel.h"
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
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(text.data(), size)) return std::nullopt;
    return text;
}

// Sixteen files: few enough that writing them is quick, many enough to read them in parallel.
std::string shard_of(const std::string& txid)
{
    return txid.substr(0, 1);
}

Json entry_to_json(const std::string& txid, const CachedTx& cached)
{
    Json paid = Json::array();
    for (const PaidOutput& output : cached.outputs.paid) paid.push_back(Json::array({output.address, output.sats}));
    Json item = {{"txid", txid}, {"vout", cached.outputs.count}, {"paid", std::move(paid)}};
    item["post"] = cached.post ? *cached.post : Json(nullptr);
    if (cached.signature_ok) item["sig"] = *cached.signature_ok;
    return item;
}

// The entry, or nullopt when a member is missing or of the wrong type. Moves the post out.
std::optional<CachedTx> entry_from_json(Json& entry)
{
    CachedTx cached;
    const Json* count = core::json_member(entry, "vout");
    const Json* paid = core::json_array(entry, "paid");
    const Json* post = core::json_member(entry, "post");
    if (!count || !count->is_number_unsigned() || !paid || !post || !(post->is_object() || post->is_null())) {
        return std::nullopt;
    }
    cached.outputs.count = count->get<size_t>();
    for (const Json& output : *paid) {
        if (!output.is_array() || output.size() != 2 || !output[0].is_string() || !output[1].is_number_unsigned()) {
            return std::nullopt;
        }
        cached.outputs.paid.push_back(PaidOutput{output[0].get<std::string>(), output[1].get<uint64_t>()});
    }
    if (const Json* sig = core::json_member(entry, "sig")) {
        if (!sig->is_boolean()) return std::nullopt;
        cached.signature_ok = sig->get<bool>();
    }
    if (post->is_object()) cached.post = std::move(entry["post"]);
    return cached;
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
    if (!doc || core::json_int64(*doc, "format", 0) != CACHE_FORMAT || !core::json_object(*doc, "txs")) return entries;
    Json& txs = (*doc)["txs"];
    entries.reserve(txs.size());
    for (auto& [txid, entry] : txs.items()) {
        if (!is_lower_txid(txid) || shard_of(txid) != shard || core::json_string(entry, "txid") != txid) continue;
        std::optional<CachedTx> cached = entry_from_json(entry);
        if (cached) entries.emplace(txid, std::move(*cached));
    }
    return entries;
}

void TxCache::load()
{
    std::vector<std::string> names;
    for (char digit : std::string_view("0123456789abcdef")) names.emplace_back(1, digit);
    std::vector<std::unordered_map<std::string, CachedTx>> read(names.size());
    parallel_for(names.size(), [&](size_t i) { read[i] = read_shard(names[i]); });
    size_t total = 0;
    for (const auto& part : read) total += part.size();
    m_entries.reserve(m_entries.size() + total);
    for (auto& part : read) {
        for (auto& [txid, cached] : part) m_entries.insert_or_assign(txid, std::move(cached));
    }
}

std::optional<CachedTx> TxCache::take(const std::string& txid)
{
    auto it = m_entries.find(txid);
    if (it == m_entries.end()) return std::nullopt;
    return std::move(it->second);
}

bool TxCache::save(const std::unordered_map<std::string, CachedTx>& entries) const
{
    std::map<std::string, std::vector<const std::pair<const std::string, CachedTx>*>> by_shard;
    for (const auto& entry : entries) {
        if (!is_lower_txid(entry.first)) continue;
        by_shard[shard_of(entry.first)].push_back(&entry);
    }
    if (by_shard.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(m_dir, ec);
    std::vector<const std::pair<const std::string, std::vector<const std::pair<const std::string, CachedTx>*>>*> shards;
    for (const auto& shard : by_shard) shards.push_back(&shard);
    std::atomic<bool> all_written{true};
    parallel_for(shards.size(), [&](size_t i) {
        const auto& [shard, fresh] = *shards[i];
        std::unordered_map<std::string, CachedTx> merged = read_shard(shard);
        for (const auto* entry : fresh) merged.insert_or_assign(entry->first, entry->second);
        Json txs = Json::object();
        for (const auto& [txid, cached] : merged) txs[txid] = entry_to_json(txid, cached);
        Json doc = {{"format", CACHE_FORMAT}, {"txs", std::move(txs)}};
        if (!platform::write_file_atomic(shard_path(shard), core::json_dump_file(doc))) all_written = false;
    });
    return all_written;
}

} // namespace book
