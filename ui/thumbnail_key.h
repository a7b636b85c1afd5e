// Which inscription a listing's thumbnail is made from. Pure.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "book/listing.h"

namespace ui {

// The listing's icon, or its origin when the icon is empty.
const std::string& thumbnail_key(const book::Listing& listing);

// When the content is a token's JSON (a body starting with "{" whose content type contains
// "bsv-20" or "json", or that could only be sniffed as "application/octet-stream") whose
// "icon" names another inscription, that key; otherwise nullopt.
std::optional<std::string> icon_redirect(std::string_view key, std::string_view content_type,
                                         std::string_view bytes);

// Thumbnails are square images of this many pixels.
inline constexpr int THUMBNAIL_SIZE = 48;

} // namespace ui
