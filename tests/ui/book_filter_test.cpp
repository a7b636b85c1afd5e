#include <gtest/gtest.h>

#include "ui/book_filter.h"
#include "ui/seller_choices.h"

namespace {

book::Listing make(std::string kind, std::string status, std::string handle = "ann@x", std::string paymail = "")
{
    book::Listing l;
    l.id = "id";
    l.name = "Golden Owl";
    l.sym = "GOWL";
    l.note = "Rare Early Lot";
    l.origin = "abcdef_0";
    l.qty = "7777";
    l.kind = std::move(kind);
    l.status = std::move(status);
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
        {make("bsv21", "live"), StatusFilter::Active, ItemFilter::All, "", "", true},
        {make("bsv21", "sold"), StatusFilter::Active, ItemFilter::All, "", "", false},
        {make("bsv21", "expired"), StatusFilter::Active, ItemFilter::All, "", "", false},
        {make("bsv21", "whatever"), StatusFilter::All, ItemFilter::All, "", "", true},
        {make("picture", "expired"), StatusFilter::Expired, ItemFilter::All, "", "", true},
        {make("picture", "cancelled"), StatusFilter::Expired, ItemFilter::All, "", "", false},
        {make("picture", "force_cancelled"), StatusFilter::Cancelled, ItemFilter::All, "", "", true},
        {make("picture", "sold"), StatusFilter::Cancelled, ItemFilter::All, "", "", false},
        {make("BSV21", "live"), StatusFilter::All, ItemFilter::Tokens, "", "", false},
        {make("picture", "live"), StatusFilter::All, ItemFilter::Tokens, "", "", false},
        {make("bsv20", "live"), StatusFilter::All, ItemFilter::Pictures, "", "", false},
        {make("bsv21", "live", "other", "ann@x"), StatusFilter::All, ItemFilter::All, "ann@x", "", true},
        {make("bsv21", "live", "Ann@x"), StatusFilter::All, ItemFilter::All, "ann@x", "", false},
        {make("bsv21", "live", "ann@xy"), StatusFilter::All, ItemFilter::All, "ann@x", "", false},
        {make("bsv21", "live", "melina@tavrin", "melina@pay"), StatusFilter::All, ItemFilter::All, "", " Rare EARLY\t", true},
        {make("bsv21", "live", "melina@tavrin", "melina@pay"), StatusFilter::All, ItemFilter::All, "", "@pay", true},
        {make("bsv21", "live"), StatusFilter::All, ItemFilter::All, "", "cdef_0", true},
        {make("bsv21", "live"), StatusFilter::All, ItemFilter::All, "", "owl gowl", true},
        {make("bsv21", "live"), StatusFilter::All, ItemFilter::All, "", "abcdef_1", false},
        {make("bsv21", "live"), StatusFilter::All, ItemFilter::All, "", "7777", false},  // the quantity is not searched
        {make("bsv21", "expired"), StatusFilter::Active, ItemFilter::Tokens, "ann@x", "owl", false},
        {make("picture", "live"), StatusFilter::Active, ItemFilter::Tokens, "ann@x", "owl", false},
    };
    for (const auto& c : cases) {
        ui::BookFilter f;
        f.status = c.status;
        f.item = c.item;
        f.seller = c.seller;
        f.query = ui::search_query(c.query);
        EXPECT_EQ(ui::listing_passes(c.listing, f), c.passes)
            << c.listing.kind << " " << c.listing.status << " seller " << c.seller << " query " << c.query;
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
    std::vector<book::Listing> book = {make("bsv21", "live", "zeno@x"), make("bsv21", "live", "Ann@x"),
                                       make("bsv21", "live", "", "pay@x"), make("bsv21", "live", "zeno@x"),
                                       make("bsv21", "live", "", ""), make("bsv21", "live", "\xC3\xA9@x")};
    EXPECT_EQ(ui::seller_choices(book), (std::vector<std::string>{"Ann@x", "pay@x", "zeno@x", "\xC3\xA9@x"}));
    const std::vector<std::string> choices = {"ann@x", "zeno@x"};
    EXPECT_EQ(ui::reselected_seller(choices, "zeno@x"), "zeno@x");
    EXPECT_EQ(ui::reselected_seller(choices, "bob@x"), "");
}

} // namespace
