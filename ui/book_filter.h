// Which listings the book table shows: the item, status and seller drop-downs and the search box,
// tested in that order. Pure; safe from any thread.
#pragma once

#include <string>
#include <string_view>

#include "book/listing.h"

namespace ui {

// Drop-down 1024, by entry index: "All items", "Tokens", "Pictures".
enum class ItemFilter { All, Tokens, Pictures };
// Drop-down 1026, by entry index: "Status: Active", "Status: All", "Status: Expired",
// "Status: Cancelled".
enum class StatusFilter { Active, All, Expired, Cancelled };

struct BookFilter {
    ItemFilter item = ItemFilter::All;
    StatusFilter status = StatusFilter::Active;
    std::string seller;  // empty for "All sellers"
    std::string query;   // already trimmed and lower-cased (see search_query)
};

// Longest search text that counts (the rest of the box is ignored).
inline constexpr size_t SEARCH_MAX_CHARS = 255;

// The search box text as a query: its first 255 characters (UTF-8 code points), leading blanks
// and tabs and trailing blanks, tabs, CR and LF removed, lower-cased (ASCII letters).
std::string search_query(std::string_view box_text);

// name, sym, note, handle, paymail and origin joined by single blanks, lower-cased (ASCII).
std::string search_haystack(const book::Listing& listing);


// The four tests in order. haystack is search_haystack(listing), precomputed by callers that
// filter the same book many times.
[[nodiscard]] bool listing_passes(const book::Listing& listing, std::string_view haystack,
                                  const BookFilter& filter);
[[nodiscard]] bool listing_passes(const book::Listing& listing, const BookFilter& filter);

} // namespace ui
