// The book table's proxy orders by the records (prices and quantities as numbers, whatever the
// token's decimals), and keeps the chosen order when a new book arrives.
#include <QTest>

#include <gtest/gtest.h>

#include "ui/book_table_model.h"
#include "ui/quantity_text.h"
#include "ui/tools/sample_market.h"

namespace {

TEST(BookTable, ColumnsOrderByTheRecordsAndKeepTheirOrderAcrossReloads)
{
    ui::BookTableModel model(nullptr);
    ui::BookSortProxy proxy;
    proxy.setSourceModel(&model);
    ui::BookFilter all;
    all.status = ui::StatusFilter::All;
    proxy.setFilter(all);
    auto in_order = [&](Qt::SortOrder order, auto key) {
        for (int r = 1; r < proxy.rowCount(); ++r) {
            const auto& a = model.listing(proxy.mapToSource(proxy.index(r - 1, 0)).row());
            const auto& b = model.listing(proxy.mapToSource(proxy.index(r, 0)).row());
            if (order == Qt::AscendingOrder ? key(b) < key(a) : key(a) < key(b)) return false;
        }
        return proxy.rowCount() > 1;
    };
    auto sorted_by = [&](ui::BookColumn column, Qt::SortOrder order, auto key) {
        proxy.sort(static_cast<int>(column), order);
        return in_order(order, key);
    };
    model.setBook(ui::sample_book(120, 3));
    EXPECT_TRUE(sorted_by(ui::BookColumn::UnitPrice, Qt::AscendingOrder, ui::unit_price_value));
    // In whole tokens: 840 LAUR (84000000000 units) comes before 1,000 OBOL.
    EXPECT_TRUE(sorted_by(ui::BookColumn::Qty, Qt::AscendingOrder, [](const book::Listing& l) {
        return QString::fromStdString(ui::quantity_number(l, l.qty)).remove(',').toDouble();
    }));
    auto price = [](const book::Listing& l) { return l.price_sats; };
    EXPECT_TRUE(sorted_by(ui::BookColumn::Price, Qt::DescendingOrder, price));
    model.setBook(ui::sample_book(80, 4));  // a re-poll keeps the column chosen
    EXPECT_TRUE(in_order(Qt::DescendingOrder, price));
}

} // namespace
