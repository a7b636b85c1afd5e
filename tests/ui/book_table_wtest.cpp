// The book table's model and proxy: rows in book order, both mappings consistent, filters on
// the raw records, waiting rows marked.
#include <QTest>

#include <gtest/gtest.h>

#include "ui/book_table_model.h"
#include "ui/main_texts.h"
#include "ui/tools/sample_market.h"

namespace {

TEST(BookTable, ProxyKeepsBookOrderAndMapsBothWays)
{
    ui::BookTableModel model(nullptr);
    ui::BookFilterProxy proxy;
    proxy.setSourceModel(&model);
    auto book = ui::sample_book(200, 5);
    std::vector<bool> waiting(book.size(), false);
    waiting[7] = true;
    model.setBook(book, waiting);

    ui::BookFilter filter;
    filter.item = ui::ItemFilter::Pictures;
    proxy.setFilter(filter);
    int previous = -1;
    int shown = 0;
    for (int r = 0; r < proxy.rowCount(); ++r) {
        const QModelIndex p = proxy.index(r, 2);
        const QModelIndex s = proxy.mapToSource(p);
        ASSERT_TRUE(s.isValid());
        EXPECT_GT(s.row(), previous);  // book order, no sorting
        previous = s.row();
        EXPECT_EQ(proxy.mapFromSource(s), p);
        const auto& l = book[size_t(s.row())];
        EXPECT_EQ(l.kind, "picture");
        EXPECT_EQ(l.status, "live");
        EXPECT_EQ(p.data(ui::BookTableModel::ListingIndexRole).toInt(), s.row());
        EXPECT_EQ(proxy.index(r, int(ui::BookColumn::Ticker)).data().toString().toStdString(), l.sym);
        ++shown;
    }
    int expected = 0;
    for (const auto& l : book) expected += (l.kind == "picture" && l.status == "live") ? 1 : 0;
    EXPECT_EQ(shown, expected);

    // A hidden source row maps to nothing.
    for (int s = 0; s < model.rowCount(); ++s) {
        const bool visible = book[size_t(s)].kind == "picture" && book[size_t(s)].status == "live";
        EXPECT_EQ(proxy.mapFromSource(model.index(s, 0)).isValid(), visible) << s;
    }
    EXPECT_TRUE(model.index(7, 0).data(ui::BookTableModel::WaitingOfferRole).toBool());
    EXPECT_FALSE(model.index(8, 0).data(ui::BookTableModel::WaitingOfferRole).toBool());
    EXPECT_EQ(model.rowOfId(book[42].id), 42);
    EXPECT_EQ(model.rowOfId("nope"), -1);
    EXPECT_EQ(model.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), "Price (BSV)");
}

TEST(BookTable, ANewBookRefiltersWithTheSameFilter)
{
    ui::BookTableModel model(nullptr);
    ui::BookFilterProxy proxy;
    proxy.setSourceModel(&model);
    ui::BookFilter filter;
    filter.status = ui::StatusFilter::All;
    filter.query = "obol";
    proxy.setFilter(filter);
    EXPECT_EQ(proxy.rowCount(), 0);
    model.setBook(ui::sample_book(300, 9));
    int expected = 0;
    for (const auto& l : model.listings()) expected += l.sym == "OBOL" || l.name == "Obol" ? 1 : 0;
    EXPECT_GT(expected, 0);
    EXPECT_EQ(proxy.rowCount(), expected);
    model.setBook({});
    EXPECT_EQ(proxy.rowCount(), 0);
    EXPECT_FALSE(proxy.mapFromSource(QModelIndex()).isValid());
    EXPECT_FALSE(proxy.index(0, 0).isValid());
}

} // namespace
