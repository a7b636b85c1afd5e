// The book table's model and proxy: the filter bar on the raw records, ordering by any column
// on the records (prices and quantities as numbers, whatever the token's decimals), book order
// until a column is chosen, and the chosen order kept when a new book arrives.
#include <QTest>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "ui/book_table_model.h"
#include "ui/main_texts.h"
#include "ui/quantity_text.h"
#include "ui/tools/sample_market.h"

namespace {

using ui::BookColumn;

// The listings of the proxy's rows, in order.
std::vector<book::Listing> shown(const ui::BookSortProxy& proxy, const ui::BookTableModel& model)
{
    std::vector<book::Listing> rows;
    for (int r = 0; r < proxy.rowCount(); ++r)
        rows.push_back(model.listing(proxy.mapToSource(proxy.index(r, 0)).row()));
    return rows;
}

double whole_units(const book::Listing& l)
{
    return QString::fromStdString(ui::quantity_number(l, l.qty)).remove(',').toDouble();
}

TEST(BookTable, ColumnsOrderByTheRecordsAndKeepTheirOrderAcrossReloads)
{
    ui::BookTableModel model(nullptr);
    ui::BookSortProxy proxy;
    proxy.setSourceModel(&model);
    ui::BookFilter all;
    all.status = ui::StatusFilter::All;
    proxy.setFilter(all);
    model.setBook(ui::sample_book(120, 3));

    struct Case {
        BookColumn column;
        std::function<bool(const book::Listing&, const book::Listing&)> in_order;
    };
    const Case cases[] = {
        {BookColumn::Price, [](auto& a, auto& b) { return a.price_sats <= b.price_sats; }},
        {BookColumn::UnitPrice, [](auto& a, auto& b) { return ui::unit_price_value(a) <= ui::unit_price_value(b); }},
        {BookColumn::Expires, [](auto& a, auto& b) { return a.exp <= b.exp; }},
        // In whole tokens: 840 LAUR (84000000000 units) comes before 1,000 OBOL.
        {BookColumn::Qty, [](auto& a, auto& b) { return whole_units(a) <= whole_units(b); }},
        {BookColumn::Seller,
         [](auto& a, auto& b) { return QString::fromStdString(a.handle).toLower() <= QString::fromStdString(b.handle).toLower(); }},
    };
    for (const auto& c : cases) {
        proxy.sort(static_cast<int>(c.column), Qt::AscendingOrder);
        const auto rows = shown(proxy, model);
        ASSERT_EQ(rows.size(), 120u);
        for (size_t i = 1; i < rows.size(); ++i)
            EXPECT_TRUE(c.in_order(rows[i - 1], rows[i])) << static_cast<int>(c.column) << " row " << i;
    }
    // A new book (a re-poll) keeps the column chosen, descending.
    proxy.sort(static_cast<int>(BookColumn::Price), Qt::DescendingOrder);
    model.setBook(ui::sample_book(80, 4));
    const auto rows = shown(proxy, model);
    ASSERT_EQ(rows.size(), 80u);
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].price_sats, rows[i].price_sats);
}

} // namespace
