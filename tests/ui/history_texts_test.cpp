#include <gtest/gtest.h>

#include <ctime>
#include <limits>

#include "ui/history_texts.h"

namespace {

using ui::HistoryColumn;

std::string utc(int64_t t, const char* format)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, format, std::gmtime(&tt));
    return buffer;
}

book::HistoryRow row(const char* type, const char* role = "book")
{
    book::HistoryRow r;
    r.type = type;
    r.role = role;
    return r;
}

std::string cell(const book::HistoryRow& r, HistoryColumn column) { return ui::history_cell_text(r, column, utc); }

TEST(HistoryTexts, ActionLabelsByPostType)
{
    EXPECT_EQ(ui::history_action_label(row("ag_list")), "Listed");
    EXPECT_EQ(ui::history_action_label(row("ag_buy")), "Offer");
    EXPECT_EQ(ui::history_action_label(row("ag_fill", "buy")), "Bought");
    EXPECT_EQ(ui::history_action_label(row("ag_fill", "sell")), "Sold");
    EXPECT_EQ(ui::history_action_label(row("ag_fill", "book")), "Sold");
    EXPECT_EQ(ui::history_action_label(row("ag_cancel")), "Unlisted");
    EXPECT_EQ(ui::history_action_label(row("ag_offer_cancel")), "Offer cancelled");
    EXPECT_EQ(ui::history_action_label(row("ag_force_cancel")), "Force-cancelled");
    EXPECT_EQ(ui::history_action_label(row("ag_something")), "ag_something");
    EXPECT_EQ(ui::history_action_label(row("")), "");
}

TEST(HistoryTexts, Cells)
{
    book::HistoryRow r = row("ag_fill", "buy");
    r.time = 1'790'000'000;
    r.name = "Owl Coin";
    r.origin = std::string(64, 'a') + "_0";
    r.qty = "007";
    r.pay_sats = 150'000'000;
    r.handle = "you";
    r.counterparty = "zeno@tavrinnode.example";
    r.txid = std::string(64, 'c');
    EXPECT_EQ(cell(r, HistoryColumn::When), utc(r.time, "%Y-%m-%d %H:%M"));
    EXPECT_EQ(cell(r, HistoryColumn::Side), "Buy");
    EXPECT_EQ(cell(r, HistoryColumn::Action), "Bought");
    EXPECT_EQ(cell(r, HistoryColumn::Name), "Owl Coin");
    EXPECT_EQ(cell(r, HistoryColumn::Qty), "007");
    EXPECT_EQ(cell(r, HistoryColumn::Bsv), "1.50000000");
    EXPECT_EQ(cell(r, HistoryColumn::Who), "you / zeno@tavrinnode.example");
    EXPECT_EQ(cell(r, HistoryColumn::Txid), r.txid);

    r.role = "sell";
    EXPECT_EQ(cell(r, HistoryColumn::Side), "Sell");
    r.role = "";
    EXPECT_EQ(cell(r, HistoryColumn::Side), "Book");
    r.name.clear();
    EXPECT_EQ(cell(r, HistoryColumn::Name), r.origin);
    r.counterparty.clear();
    EXPECT_EQ(cell(r, HistoryColumn::Who), "you");
}

TEST(HistoryTexts, MissingTimesAndAmountsReadAsDashes)
{
    book::HistoryRow r = row("ag_list");
    r.time = 0;
    r.pay_sats = 0;
    EXPECT_EQ(cell(r, HistoryColumn::When), "-");
    EXPECT_EQ(cell(r, HistoryColumn::Bsv), "-");
    r.time = -100;
    EXPECT_EQ(cell(r, HistoryColumn::When), "-");
    // An amount no signed 64-bit count can hold is not shown as a wrapped negative.
    r.pay_sats = std::numeric_limits<uint64_t>::max();
    EXPECT_EQ(cell(r, HistoryColumn::Bsv), "-");
    r.pay_sats = 1;
    EXPECT_EQ(cell(r, HistoryColumn::Bsv), "0.00000001");
    // A formatter that cannot show the time gives a dash too.
    r.time = 5;
    EXPECT_EQ(ui::history_cell_text(r, HistoryColumn::When, [](int64_t, const char*) { return std::string(); }), "-");
}

TEST(HistoryTexts, ColumnsInOrderWithTheirWidths)
{
    const char* titles[] = {"When", "Side", "Action", "Name", "Qty", "BSV", "Who", "Txid"};
    const int widths[] = {130, 60, 120, 120, 60, 90, 160, 160};
    for (int c = 0; c < ui::HISTORY_COLUMN_COUNT; ++c) {
        EXPECT_STREQ(ui::history_column_title(static_cast<HistoryColumn>(c)), titles[c]);
        EXPECT_EQ(ui::history_column_width(static_cast<HistoryColumn>(c)), widths[c]);
    }
}

} // namespace
