// Which inscription a listing's picture is drawn from. Pure.
//
// A picture is always drawn from the inscription its listing output holds (the book's chain
// facts put it in Listing::icon): never from anything the seller's post claims, so that a
// scribble cannot be sold under someone else's picture. A token is drawn from its icon (the
// chain's, from its deploy inscription), else from its deploy inscription, whose JSON may name
// an icon.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "book/listing.h"

namespace ui {

// The key of a listing's picture: a picture's icon (its own inscription, or its listing output
// while the index has not said); a token's icon, else the token it holds, else its post's token.
std::string thumbnail_key(const book::Listing& listing);

// When the content is a token's JSON (a body starting with "{" whose content type contains
// "bsv-20" or "json", or that could only be sniffed as "application/octet-stream") whose
// "icon" names another inscription, that key; otherwise nullopt.
std::optional<std::string> icon_redirect(std::string_view key, std::string_view content_type,
                                         std::string_view bytes);

// Thumbnails of the book table are square images of this many pixels.
inline constexpr int THUMBNAIL_SIZE = 40;

} // namespace ui
