#include <gtest/gtest.h>

#include "ui/book_filter.h"
#include "ui/seller_choices.h"

namespace {

book::Listing make(std::string name, std::string kind, std::string status, std::string handle = "ann@x",
                   std::string paymail = "")
{
    book::Listing l;
    l.id = name + "-id";
    l.name = std::move(name);
    l.kind = std::move(kind);
    l.status = std::move(status);
    l.handle = std::move(handle);
    l.paymail = std::move(paymail);
    return l;
}

ui::BookFilter all_statuses()
{
    ui::BookFilter f;
    f.status = ui::StatusFilter::All;
    return f;
}

TEST(BookFilter, StatusActiveShowsOnlyLiveAndAllShowsSold)
{
    ui::BookFilter active;
    EXPECT_TRUE(ui::listing_passes(make("a", "bsv21", "live"), active));
    EXPECT_FALSE(ui::listing_passes(make("a", "bsv21", "sold"), active));
    EXPECT_FALSE(ui::listing_passes(make("a", "bsv21", "expired"), active));
    EXPECT_TRUE(ui::listing_passes(make("a", "bsv21", "sold"), all_statuses()));
    EXPECT_TRUE(ui::listing_passes(make("a", "bsv21", "whatever"), all_statuses()));
}

TEST(BookFilter, ExpiredAndCancelledEntries)
{
    ui::BookFilter expired;
    expired.status = ui::StatusFilter::Expired;
    EXPECT_TRUE(ui::listing_passes(make("a", "picture", "expired"), expired));
    EXPECT_FALSE(ui::listing_passes(make("a", "picture", "cancelled"), expired));
    ui::BookFilter cancelled;
    cancelled.status = ui::StatusFilter::Cancelled;
    EXPECT_TRUE(ui::listing_passes(make("a", "picture", "cancelled"), cancelled));
    EXPECT_TRUE(ui::listing_passes(make("a", "picture", "force_cancelled"), cancelled));
    EXPECT_FALSE(ui::listing_passes(make("a", "picture", "live"), cancelled));
    EXPECT_FALSE(ui::listing_passes(make("a", "picture", "sold"), cancelled));
}

TEST(BookFilter, ItemTypeMatchesKindExactly)
{
    ui::BookFilter tokens = all_statuses();
    tokens.item = ui::ItemFilter::Tokens;
    ui::BookFilter pictures = all_statuses();
    pictures.item = ui::ItemFilter::Pictures;
    EXPECT_TRUE(ui::listing_passes(make("a", "bsv21", "live"), tokens));
    EXPECT_FALSE(ui::listing_passes(make("a", "picture", "live"), tokens));
    EXPECT_FALSE(ui::listing_passes(make("a", "BSV21", "live"), tokens));
    EXPECT_TRUE(ui::listing_passes(make("a", "picture", "live"), pictures));
    EXPECT_FALSE(ui::listing_passes(make("a", "bsv20", "live"), pictures));
}

TEST(BookFilter, SellerMustEqualHandleOrPaymailCaseSensitive)
{
    ui::BookFilter f = all_statuses();
    f.seller = "ann@x";
    EXPECT_TRUE(ui::listing_passes(make("a", "bsv21", "live", "ann@x"), f));
    EXPECT_TRUE(ui::listing_passes(make("a", "bsv21", "live", "", "ann@x"), f));
    EXPECT_TRUE(ui::listing_passes(make("a", "bsv21", "live", "other", "ann@x"), f));
    EXPECT_FALSE(ui::listing_passes(make("a", "bsv21", "live", "Ann@x"), f));
    EXPECT_FALSE(ui::listing_passes(make("a", "bsv21", "live", "ann@xy"), f));
}

TEST(BookFilter, SearchQueryTrimsAndLowers)
{
    EXPECT_EQ(ui::search_query(" \tOwL \t\r\n"), "owl");
    EXPECT_EQ(ui::search_query("   "), "");
    EXPECT_EQ(ui::search_query("\t\t"), "");
    // Inner blanks stay; leading CR is not trimmed (only blanks and tabs at the front).
    EXPECT_EQ(ui::search_query("Owl  Coin"), "owl  coin");
    EXPECT_EQ(ui::search_query("\rx"), "\rx");
}

TEST(BookFilter, SearchQueryKeepsOnly255CharactersWithoutSplittingOne)
{
    const std::string long_query = std::string(255, 'a') + "zzz";
    EXPECT_EQ(ui::search_query(long_query), std::string(255, 'a'));
    // 254 ASCII then a two-byte character, then more: the character is the 255th, kept whole.
    const std::string mixed = std::string(254, 'b') + "\xC3\xA9" + "tail";
    EXPECT_EQ(ui::search_query(mixed), std::string(254, 'b') + "\xC3\xA9");
}

TEST(BookFilter, SearchMatchesAnyFieldOfTheHaystack)
{
    book::Listing l = make("Golden Owl", "picture", "live", "melina@tavrin", "melina@pay");
    l.sym = "GOWL";
    l.note = "Rare Early Lot";
    l.origin = "abcdef_0";
    ui::BookFilter f = all_statuses();
    for (const char* q : {"golden", "gowl", "rare early", "melina@tavrin", "@pay", "cdef_0", "owl gowl"}) {
        f.query = ui::search_query(q);
        EXPECT_TRUE(ui::listing_passes(l, f)) << q;
    }
    for (const char* q : {"silver", "abcdef_1", "lot!"}) {
        f.query = ui::search_query(q);
        EXPECT_FALSE(ui::listing_passes(l, f)) << q;
    }
    f.query = ui::search_query("   ");
    EXPECT_TRUE(ui::listing_passes(l, f));
}

TEST(BookFilter, HaystackJoinsTheSearchedFieldsWithBlanks)
{
    book::Listing l;
    l.name = "N";
    l.sym = "S";
    l.note = "T";
    l.claimed.name = "C";  // a picture's title, as its seller gave it
    l.handle = "H";
    l.paymail = "P";
    l.origin = "O";
    l.qty = "QTY-NOT-SEARCHED";
    EXPECT_EQ(ui::search_haystack(l), "n s t c h p o");
}

TEST(BookFilter, TestsAreAppliedTogether)
{
    ui::BookFilter f;
    f.item = ui::ItemFilter::Tokens;
    f.seller = "ann@x";
    f.query = "owl";
    book::Listing ok = make("Owl", "bsv21", "live", "ann@x");
    EXPECT_TRUE(ui::listing_passes(ok, f));
    book::Listing wrong_status = ok;
    wrong_status.status = "expired";
    EXPECT_FALSE(ui::listing_passes(wrong_status, f));
    book::Listing wrong_kind = ok;
    wrong_kind.kind = "picture";
    EXPECT_FALSE(ui::listing_passes(wrong_kind, f));
}

TEST(SellerChoices, DistinctSortedByCharacterCodeHandleBeforePaymail)
{
    std::vector<book::Listing> book = {make("a", "bsv21", "live", "zeno@x"), make("b", "bsv21", "live", "Ann@x"),
                                       make("c", "bsv21", "live", "", "pay@x"), make("d", "bsv21", "live", "zeno@x"),
                                       make("e", "bsv21", "live", "", ""), make("f", "bsv21", "live", "\xC3\xA9@x")};
    const auto choices = ui::seller_choices(book);
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_EQ(choices[0], "Ann@x");
    EXPECT_EQ(choices[1], "pay@x");
    EXPECT_EQ(choices[2], "zeno@x");
    EXPECT_EQ(choices[3], "\xC3\xA9@x");  // above every ASCII byte
}

TEST(SellerChoices, PreviousChoiceKeptOnlyWhileStillPresent)
{
    const std::vector<std::string> choices = {"ann@x", "zeno@x"};
    EXPECT_EQ(ui::reselected_seller(choices, "zeno@x"), "zeno@x");
    EXPECT_EQ(ui::reselected_seller(choices, "bob@x"), "");
    EXPECT_EQ(ui::reselected_seller(choices, ""), "");
    EXPECT_EQ(ui::reselected_seller({}, "ann@x"), "");
}

} // namespace
