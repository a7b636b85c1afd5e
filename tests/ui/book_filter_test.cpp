#include <gtest/gtest.h>

#include "ui/book_filter.h"

namespace {

using Kind = book::ListingKind;
using Status = book::ListingStatus;

book::Listing make(Kind kind, Status status, std::string handle = "ann@x", std::string paymail = "")
{
    return {.origin = "abcdef_0", .kind = kind, .qty = "7777", .note = "Rare Early Lot", .handle = std::move(handle),
            .paymail = std::move(paymail), .name = "Golden Owl", .sym = "GOWL", .status = status};
}

// Every filter of the book against the listings it must keep or hide; all apply together.
TEST(BookFilter, EachFilterKeepsExactlyItsListings)
{
    using ui::ItemFilter;
    using ui::StatusFilter;
    const book::Listing live = make(Kind::Token, Status::Live);
    const book::Listing melina = make(Kind::Token, Status::Live, "melina@tavrin", "melina@pay");
    struct Case {
        book::Listing listing;
        StatusFilter status;
        ItemFilter item;
        const char* seller;
        const char* query;
        bool passes;
    };
    const Case cases[] = {
        {live, StatusFilter::Active, ItemFilter::All, "", "", true},
        {make(Kind::Token, Status::Sold), StatusFilter::Active, ItemFilter::All, "", "", false},
        {make(Kind::Token, Status::Expired), StatusFilter::Active, ItemFilter::All, "", "", false},
        {make(Kind::Picture, Status::Expired), StatusFilter::Expired, ItemFilter::All, "", "", true},
        {make(Kind::Picture, Status::Cancelled), StatusFilter::Expired, ItemFilter::All, "", "", false},
        {make(Kind::Picture, Status::ForceCancelled), StatusFilter::Cancelled, ItemFilter::All, "", "", true},
        {make(Kind::Picture, Status::Sold), StatusFilter::Cancelled, ItemFilter::All, "", "", false},
        {make(Kind::Picture, Status::Live), StatusFilter::All, ItemFilter::Tokens, "", "", false},
        {make(Kind::Token, Status::Live, "other", "ann@x"), StatusFilter::All, ItemFilter::All, "ann@x", "", true},
        {make(Kind::Token, Status::Live, "Ann@x"), StatusFilter::All, ItemFilter::All, "ann@x", "", false},
        {make(Kind::Token, Status::Live, "ann@xy"), StatusFilter::All, ItemFilter::All, "ann@x", "", false},
        {melina, StatusFilter::All, ItemFilter::All, "", " Rare EARLY\t", true},
        {melina, StatusFilter::All, ItemFilter::All, "", "@pay", true},
        {live, StatusFilter::All, ItemFilter::All, "", "cdef_0", true},
        {live, StatusFilter::All, ItemFilter::All, "", "owl gowl", true},
        {live, StatusFilter::All, ItemFilter::All, "", "abcdef_1", false},
        {live, StatusFilter::All, ItemFilter::All, "", "7777", false},  // the quantity is not searched
        {make(Kind::Token, Status::Expired), StatusFilter::Active, ItemFilter::Tokens, "ann@x", "owl", false},
    };
    for (const auto& c : cases) {
        ui::BookFilter f;
        f.status = c.status;
        f.item = c.item;
        f.seller = c.seller;
        f.query = ui::search_query(c.query);
        EXPECT_EQ(ui::listing_passes(c.listing, f), c.passes) << &c - cases;
    }
    // The query is cut at 255 characters, never inside one.
    EXPECT_EQ(ui::search_query(std::string(254, 'b') + "\xC3\xA9" + "tail"), std::string(254, 'b') + "\xC3\xA9");
}

} // namespace
