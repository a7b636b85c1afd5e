#include "ui/thumbnail_key.h"

#include "core/json_get.h"

namespace ui {

std::string thumbnail_key(const book::Listing& listing)
{
    // The book's chain facts set a picture's icon to what its listing output holds.
    if (listing.kind == book::ListingKind::Picture) return listing.icon;
    if (!listing.icon.empty()) return listing.icon;
    return listing.chain_origin.empty() ? listing.origin : listing.chain_origin;
}

std::optional<std::string> icon_redirect(std::string_view key, std::string_view content_type,
                                         std::string_view bytes)
{
    if (bytes.empty() || bytes.front() != '{') return std::nullopt;
    const bool json_type = content_type.find("bsv-20") != std::string_view::npos ||
                           content_type.find("json") != std::string_view::npos ||
                           content_type == "application/octet-stream";
    if (!json_type) return std::nullopt;
    const auto doc = core::parse_json(bytes);
    if (!doc) return std::nullopt;
    const auto icon = core::json_string_opt(*doc, "icon");
    if (!icon || icon->empty() || *icon == key) return std::nullopt;
    return icon;
}

} // namespace ui
