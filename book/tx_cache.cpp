#include "book/tx_cache.h"
#include "core/market_clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "platform/atomic_file.h"
#include "platform/data_dir.h"
#include "wallet/parallel_loop.h"

namespace book {
namespace {

using Json = core::Json;

constexpr size_t SHARD_THREADS = 8;  // shards read and written at once

constexpr int CACHE_FORMAT = 2;
constexpr auto STALE_TEMPORARY = std::chrono::minutes(10);
constexpr std::string_view TEMPORARY_SUFFIX = ".tmp";

bool is_lower_txid(const std::string& text)
{
    if (!core::is_hex64(text)) return false;
    return std::none_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'F'; });
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

// 256 files: a new post rewrites about 1/256 of the cache.
std::string shard_of(const tx::Txid& txid)
{
    return txid.hex().substr(0, 2);
}

std::vector<std::string> shard_names()
{
    std::vector<std::string> names;
    const std::string_view digits = "0123456789abcdef";
    for (char high : digits) {
        for (char low : digits) names.push_back(std::string{high, low});
    }
    return names;
}

Json entry_to_json(const CachedTx& cached)
{
    Json item = {{"stored", cached.stored}};
    if (cached.has_post()) {
        item["hex"] = cached.hex;
    } else {
        item["none"] = true;
    }
    if (cached.height) item["height"] = *cached.height;
    return item;
}

// The entry, or nullopt when a member is missing or of the wrong type.
std::optional<CachedTx> entry_from_json(Json& entry)
{
    if (!entry.is_object()) return std::nullopt;
    CachedTx cached;
    const Json* stored = core::json_member(entry, "stored");
    if (!stored || !stored->is_number_integer()) return std::nullopt;
    cached.stored = stored->get<int64_t>();
    if (const Json* height = core::json_member(entry, "height")) {
        if (!height->is_number_integer() || height->get<int64_t>() < 0) return std::nullopt;
        cached.height = height->get<int64_t>();
    }
    const Json* hex = core::json_member(entry, "hex");
    const Json* none = core::json_member(entry, "none");
    if (hex && hex->is_string() && !hex->get_ref<const std::string&>().empty() && !none) {
        cached.hex = std::move(entry["hex"].get_ref<std::string&>());
        return cached;
    }
    if (none && none->is_boolean() && none->get<bool>() && !hex) return cached;
    return std::nullopt;
}

// A name no other writer picks: the file's name, 128 random bits, ".tmp".
std::filesystem::path temporary_for(const std::filesystem::path& path)
{
    uint8_t nonce[16] = {};
    if (!core::random_bytes(nonce, sizeof nonce)) {
        static std::atomic<uint64_t> counter{0};
        uint64_t fallback = counter.fetch_add(1) ^ static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (size_t i = 0; i < 8; ++i) nonce[i] = static_cast<uint8_t>(fallback >> (8 * i));
    }
    std::filesystem::path tmp = path;
    tmp += "." + core::hex_encode(core::ByteView(nonce, sizeof nonce)) + std::string(TEMPORARY_SUFFIX);
    return tmp;
}

// Removes the files of the first format and temporary files nobody finished.
void sweep(const std::filesystem::path& dir)
{
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec);
    if (ec) return;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const auto& file : it) {
        const std::string name = file.path().filename().string();
        bool first_format = name.size() == 6 && core::is_hex_digit(name[0]) && name.substr(1) == ".json";
        bool stale = name.ends_with(TEMPORARY_SUFFIX) && now - file.last_write_time(ec) > STALE_TEMPORARY;
        if (first_format || (stale && !ec)) std::filesystem::remove(file.path(), ec);
    }
}

} // namespace

TxCache::TxCache(std::filesystem::path dir, size_t max_bytes) : m_dir(std::move(dir)), m_max_bytes(max_bytes) {}

std::filesystem::path TxCache::default_dir()
{
    return platform::data_dir() / "agoran" / "tx_cache";
}

std::filesystem::path TxCache::shard_path(const std::string& shard) const
{
    return m_dir / (shard + ".json");
}

std::unordered_map<tx::Txid, CachedTx> TxCache::read_shard(const std::string& shard) const
{
    std::unordered_map<tx::Txid, CachedTx> entries;
    std::optional<std::string> text = read_file(shard_path(shard));
    if (!text) return entries;
    std::optional<Json> doc = core::parse_json(*text);
    if (!doc || core::json_int64(*doc, "format", 0) != CACHE_FORMAT || !core::json_object(*doc, "txs")) return entries;
    Json& txs = (*doc)["txs"];
    entries.reserve(txs.size());
    for (auto& [key, entry] : txs.items()) {
        std::optional<tx::Txid> txid = is_lower_txid(key) ? tx::Txid::parse(key) : std::nullopt;
        if (!txid || shard_of(*txid) != shard) continue;
        std::optional<CachedTx> cached = entry_from_json(entry);
        if (cached) entries.emplace(*txid, std::move(*cached));
    }
    return entries;
}

bool TxCache::write_shard(const std::string& shard, const std::unordered_map<tx::Txid, CachedTx>& entries) const
{
    const std::filesystem::path path = shard_path(shard);
    std::error_code ec;
    if (entries.empty()) {
        std::filesystem::remove(path, ec);
        return !ec;
    }
    Json txs = Json::object();
    for (const auto& [txid, cached] : entries) txs[txid.hex()] = entry_to_json(cached);
    const std::string text = core::json_dump_file(Json{{"format", CACHE_FORMAT}, {"txs", std::move(txs)}});
    const std::filesystem::path tmp = temporary_for(path);
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    if (platform::replace_file(tmp, path)) return true;
    std::filesystem::remove(tmp, ec);
    return false;
}

void TxCache::load()
{
    sweep(m_dir);
    const std::vector<std::string> names = shard_names();
    std::vector<std::unordered_map<tx::Txid, CachedTx>> read(names.size());
    // A shard whose reading threw is left out: its transactions are fetched again.
    const std::vector<size_t> unread = wallet::parallel_for(names.size(), SHARD_THREADS, [&](size_t i) { read[i] = read_shard(names[i]); });
    for (size_t i : unread) read[i].clear();
    size_t total = 0;
    for (const auto& part : read) total += part.size();
    m_entries.reserve(m_entries.size() + total);
    for (auto& part : read) {
        for (auto& [txid, cached] : part) m_entries.insert_or_assign(txid, std::move(cached));
    }
}

const CachedTx* TxCache::find(const tx::Txid& txid) const
{
    auto it = m_entries.find(txid);
    return it == m_entries.end() ? nullptr : &it->second;
}

size_t TxCache::bytes() const
{
    size_t total = 0;
    for (const auto& [txid, cached] : m_entries) total += entry_bytes(cached);
    return total;
}

bool TxCache::save(const CacheUpdate& update)
{
    const int64_t now = core::system_seconds();
    // What the cache will hold, and what must leave it to stay within the bound.
    std::map<std::string, std::set<tx::Txid>> removed_by_shard;
    std::map<std::string, std::vector<std::pair<tx::Txid, CachedTx>>> added_by_shard;
    for (const tx::Txid& txid : update.damaged) {
        m_entries.erase(txid);
        removed_by_shard[shard_of(txid)].insert(txid);
    }
    for (const auto& [txid, fresh] : update.fresh) {
        CachedTx entry = fresh;
        entry.stored = now;
        m_entries.insert_or_assign(txid, entry);
        added_by_shard[shard_of(txid)].emplace_back(txid, std::move(entry));
    }
    size_t total = bytes();
    if (total > m_max_bytes) {
        std::vector<std::pair<const tx::Txid*, const CachedTx*>> order;
        order.reserve(m_entries.size());
        for (const auto& [txid, cached] : m_entries) order.emplace_back(&txid, &cached);
        std::sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
            bool a_unkeyed = update.unkeyed.count(*a.first) > 0;
            bool b_unkeyed = update.unkeyed.count(*b.first) > 0;
            if (a_unkeyed != b_unkeyed) return a_unkeyed;
            if (a.second->stored != b.second->stored) return a.second->stored < b.second->stored;
            return *a.first < *b.first;
        });
        // Down to nine tenths, so that the next few loads do not evict again.
        const size_t target = m_max_bytes / 10 * 9;
        std::vector<tx::Txid> evicted;
        for (const auto& [txid, cached] : order) {
            if (total <= target) break;
            total -= entry_bytes(*cached);
            evicted.push_back(*txid);
        }
        for (const tx::Txid& txid : evicted) {
            m_entries.erase(txid);
            removed_by_shard[shard_of(txid)].insert(txid);
            auto& added = added_by_shard[shard_of(txid)];
            added.erase(std::remove_if(added.begin(), added.end(), [&](const auto& e) { return e.first == txid; }), added.end());
        }
    }
    std::set<std::string> shards;
    for (const auto& [shard, ids] : removed_by_shard) shards.insert(shard);
    for (const auto& [shard, entries] : added_by_shard) shards.insert(shard);
    if (shards.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(m_dir, ec);
    const std::vector<std::string> touched(shards.begin(), shards.end());
    std::atomic<bool> all_written{true};
    const std::vector<size_t> unwritten = wallet::parallel_for(touched.size(), SHARD_THREADS, [&](size_t i) {
        const std::string& shard = touched[i];
        std::unordered_map<tx::Txid, CachedTx> merged = read_shard(shard);
        if (auto it = removed_by_shard.find(shard); it != removed_by_shard.end()) {
            for (const tx::Txid& txid : it->second) merged.erase(txid);
        }
        if (auto it = added_by_shard.find(shard); it != added_by_shard.end()) {
            for (const auto& [txid, entry] : it->second) merged.insert_or_assign(txid, entry);
        }
        if (!write_shard(shard, merged)) all_written = false;
    });
    return all_written && unwritten.empty();
}

} // namespace book
