#include <gtest/gtest.h>

#include "ui/book_filter.h"
#include "ui/seller_choices.h"

namespace {

book::Listing make(book::ListingKind kind, book::ListingStatus status, std::string handle = "ann@x", std::string paymail = "")
{
    book::Listing l;
    l.id = "id";
    l.name = "Golden Owl";
    l.sym = "GOWL";
    l.note = "Rare Early Lot";
    l.origin = "abcdef_0";
    l.qty = "7777";
    l.kind = kind;
    l.status = status;
    l.handle = std::move(handle);
    l.paymail = std::move(paymail);
    return l;
}

// Every filter of the book against the listings it must keep or hide; all tests apply together.
TEST(BookFilter, EachFilterKeepsExactlyItsListings)
{
    using ui::ItemFilter;
    using ui::StatusFilter;
    struct Case {
        book::Listing listing;
        StatusFilter status;
        ItemFilter item;
        const char* seller;
        const char* query;
        bool passes;
    };
    const Case cases[] = {
        {make(book::ListingKind::Token, book::ListingStatus::Live), StatusFilter::Active, ItemFilter::All, "", "", true},
        {make(book::ListingKind::Token, book::ListingStatus::Sold), StatusFilter::Active, ItemFilter::All, "", "", false},
        {make(book::ListingKind::Token, book::ListingStatus::Expired), StatusFilter::Active, ItemFilter::All, "", "", false},
        {make(book::ListingKind::Picture, book::ListingStatus::Expired), StatusFilter::Expired, ItemFilter::All, "", "", true},
        {make(book::ListingKind::Picture, book::ListingStatus::Cancelled), StatusFilter::Expired, ItemFilter::All, "", "", false},
        {make(book::ListingKind::Picture, book::ListingStatus::ForceCancelled), StatusFilter::Cancelled, ItemFilter::All, "", "", true},
        {make(book::ListingKind::Picture, book::ListingStatus::Sold), StatusFilter::Cancelled, ItemFilter::All, "", "", false},
        {make(book::ListingKind::Picture, book::ListingStatus::Live), StatusFilter::All, ItemFilter::Tokens, "", "", false},
        {make(book::ListingKind::Token, book::ListingStatus::Live, "other", "ann@x"), StatusFilter::All, ItemFilter::All, "ann@x", "", true},
        {make(book::ListingKind::Token, book::ListingStatus::Live, "Ann@x"), StatusFilter::All, ItemFilter::All, "ann@x", "", false},
        {make(book::ListingKind::Token, book::ListingStatus::Live, "ann@xy"), StatusFilter::All, ItemFilter::All, "ann@x", "", false},
        {make(book::ListingKind::Token, book::ListingStatus::Live, "melina@tavrin", "melina@pay"), StatusFilter::All, ItemFilter::All, "", " Rare EARLY\t", true},
        {make(book::ListingKind::Token, book::ListingStatus::Live, "melina@tavrin", "melina@pay"), StatusFilter::All, ItemFilter::All, "", "@pay", true},
        {make(book::ListingKind::Token, book::ListingStatus::Live), StatusFilter::All, ItemFilter::All, "", "cdef_0", true},
        {make(book::ListingKind::Token, book::ListingStatus::Live), StatusFilter::All, ItemFilter::All, "", "owl gowl", true},
        {make(book::ListingKind::Token, book::ListingStatus::Live), StatusFilter::All, ItemFilter::All, "", "abcdef_1", false},
        {make(book::ListingKind::Token, book::ListingStatus::Live), StatusFilter::All, ItemFilter::All, "", "7777", false},  // the quantity is not searched
        {make(book::ListingKind::Token, book::ListingStatus::Expired), StatusFilter::Active, ItemFilter::Tokens, "ann@x", "owl", false},
        {make(book::ListingKind::Picture, book::ListingStatus::Live), StatusFilter::Active, ItemFilter::Tokens, "ann@x", "owl", false},
    };
    for (const auto& c : cases) {
        ui::BookFilter f;
        f.status = c.status;
        f.item = c.item;
        f.seller = c.seller;
        f.query = ui::search_query(c.query);
        EXPECT_EQ(ui::listing_passes(c.listing, f), c.passes)
            << book::listing_kind_text(c.listing.kind) << " " << book::listing_status_text(c.listing.status) << " seller " << c.seller << " query " << c.query;
    }
}

// The query is cut at 255 characters, never inside one; only blanks and tabs lead.
TEST(BookFilter, SearchQueryKeepsWholeCharacters)
{
    EXPECT_EQ(ui::search_query(" \tOwL  Coin \t\r\n"), "owl  coin");
    EXPECT_EQ(ui::search_query("\rx"), "\rx");
    EXPECT_EQ(ui::search_query(std::string(255, 'a') + "zzz"), std::string(255, 'a'));
    EXPECT_EQ(ui::search_query(std::string(254, 'b') + "\xC3\xA9" + "tail"), std::string(254, 'b') + "\xC3\xA9");
}

TEST(SellerChoices, DistinctByCharacterCodeAndKeptOnlyWhilePresent)
{
    std::vector<book::Listing> book = {make(book::ListingKind::Token, book::ListingStatus::Live, "zeno@x"), make(book::ListingKind::Token, book::ListingStatus::Live, "Ann@x"),
                                       make(book::ListingKind::Token, book::ListingStatus::Live, "", "pay@x"), make(book::ListingKind::Token, book::ListingStatus::Live, "zeno@x"),
                                       make(book::ListingKind::Token, book::ListingStatus::Live, "", ""), make(book::ListingKind::Token, book::ListingStatus::Live, "\xC3\xA9@x")};
    EXPECT_EQ(ui::seller_choices(book), (std::vector<std::string>{"Ann@x", "pay@x", "zeno@x", "\xC3\xA9@x"}));
    const std::vector<std::string> choices = {"ann@x", "zeno@x"};
    EXPECT_EQ(ui::reselected_seller(choices, "zeno@x"), "zeno@x");
    EXPECT_EQ(ui::reselected_seller(choices, "bob@x"), "");
}

} // namespace
