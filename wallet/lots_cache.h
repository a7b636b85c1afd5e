// The lots scan's files in the data directory: inscription content ("ord_cache/<origin>.bin",
// ".typ", ".nam"), the inbox of inscriptions found at a watch address ("ord_inbox/<hash160
// hex>.json") and the last scan of each wallet ("ord_snap/<wallet key>.json").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wallet/owned_ord.h"

namespace wallet {

inline constexpr size_t CONTENT_CACHE_MAX = 10'485'760;

struct CachedContent {
    std::string bytes;
    std::string type;
    std::string name;
};
// The cached content of an origin; nullopt when the ".bin" file is missing, empty, larger than
// the cap, or the origin is not a "txid_vout" text.
std::optional<CachedContent> read_content_cache(std::string_view origin);
// Caches content of 1 byte to 10,485,760 bytes; type and name as first lines. False otherwise.
bool write_content_cache(std::string_view origin, std::string_view bytes, std::string_view type,
                         std::string_view name);
// The cached display name of an origin (first line of ".nam"), or "".
std::string read_cached_name(std::string_view origin);

// Inbox entries of a watch address, as owned records (origin, type, name, icon, address, and
// for BSV-20 transfers amt and token id). Entries without a valid origin are skipped.
std::vector<TvOwnedOrd> read_inbox(const std::string& address);
// Removes the inbox file of a watch address once its entries are in the owned list.
void remove_inbox(const std::string& address);

struct LotSnapshot {
    std::vector<TvOwnedOrd> lots;  // origin, txid, vout, type, name, icon, address
    std::vector<std::string> txids;
    std::vector<std::string> token_ids;
};
std::optional<LotSnapshot> read_lot_snapshot(const std::string& wallet_key);
bool write_lot_snapshot(const std::string& wallet_key, const LotSnapshot& snapshot);

} // namespace wallet
