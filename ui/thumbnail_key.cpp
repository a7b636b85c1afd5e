#include "ui/thumbnail_key.h"

#include "core/json_get.h"

namespace ui {

std::string thumbnail_key(const book::Listing& listing)
{
    if (listing.kind == "picture") return listing.utxo.empty() ? std::string() : std::string(OUTPUT_KEY_PREFIX) + listing.utxo;
    return listing.icon.empty() ? listing.origin : listing.icon;
}

std::optional<std::string> output_of_key(std::string_view key)
{
    if (key.substr(0, OUTPUT_KEY_PREFIX.size()) != OUTPUT_KEY_PREFIX) return std::nullopt;
    return std::string(key.substr(OUTPUT_KEY_PREFIX.size()));
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
