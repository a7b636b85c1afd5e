#include "ui/book_filter.h"
#include "core/text.h"

namespace ui {

namespace {

bool is_utf8_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte length of the first max_chars code points of text.
size_t prefix_of_chars(std::string_view text, size_t max_chars)
{
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (is_utf8_continuation(static_cast<unsigned char>(text[i]))) continue;
        if (chars == max_chars) return i;
        ++chars;
    }
    return text.size();
}

bool status_passes(book::ListingStatus status, StatusFilter filter)
{
    switch (filter) {
    case StatusFilter::Active: return status == book::ListingStatus::Live;
    case StatusFilter::All: return true;
    case StatusFilter::Expired: return status == book::ListingStatus::Expired;
    case StatusFilter::Cancelled: return status == book::ListingStatus::Cancelled || status == book::ListingStatus::ForceCancelled;
    }
    return false;
}

bool item_passes(book::ListingKind kind, ItemFilter filter)
{
    switch (filter) {
    case ItemFilter::All: return true;
    case ItemFilter::Tokens: return kind == book::ListingKind::Token;
    case ItemFilter::Pictures: return kind == book::ListingKind::Picture;
    }
    return false;
}

} // namespace

std::string search_query(std::string_view box_text)
{
    std::string_view text = box_text.substr(0, prefix_of_chars(box_text, SEARCH_MAX_CHARS));
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    return core::ascii_lower(text);
}

std::string search_haystack(const book::Listing& listing)
{
    std::string hay;
    hay.reserve(listing.name.size() + listing.sym.size() + listing.note.size() + listing.handle.size() +
                listing.paymail.size() + listing.origin.size() + 5);
    hay += listing.name;
    hay += ' ';
    hay += listing.sym;
    hay += ' ';
    hay += listing.note;
    hay += ' ';
    hay += listing.claimed.name;
    hay += ' ';
    hay += listing.handle;
    hay += ' ';
    hay += listing.paymail;
    hay += ' ';
    hay += listing.origin;
    return core::ascii_lower(hay);
}

bool listing_passes(const book::Listing& listing, std::string_view haystack, const BookFilter& filter)
{
    if (!item_passes(listing.kind, filter.item)) return false;
    if (!status_passes(listing.status, filter.status)) return false;
    if (!filter.seller.empty() && filter.seller != listing.handle && filter.seller != listing.paymail)
        return false;
    if (filter.query.empty()) return true;
    return haystack.find(filter.query) != std::string_view::npos;
}

bool listing_passes(const book::Listing& listing, const BookFilter& filter)
{
    return listing_passes(listing, search_haystack(listing), filter);
}

} // namespace ui
