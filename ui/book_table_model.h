// The book table: a model over the listings of the last book load, a proxy that applies the
// filters on the raw records, a delegate that paints thumbnails and waiting-offer rows, and a
// view that draws the empty state. Rows keep the book's order; there is no column sorting.
#pragma once

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <string>
#include <vector>

#include "book/listing.h"
#include "ui/book_filter.h"
#include "ui/main_texts.h"

namespace ui {

class ThumbnailCache;

class BookTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The index of the row's listing in the book vector (int).
    static constexpr int ListingIndexRole = Qt::UserRole + 1;
    // Whether the row's listing has an offer waiting for the wallet (bool).
    static constexpr int WaitingOfferRole = Qt::UserRole + 2;

    explicit BookTableModel(ThumbnailCache* thumbnails, QObject* parent = nullptr);

    // Replaces the book; waiting[i] marks listings with an offer waiting (may be empty).
    void setBook(std::vector<book::Listing> listings, std::vector<bool> waiting = {});
    const std::vector<book::Listing>& listings() const { return m_listings; }
    const book::Listing& listing(int row) const { return m_listings[static_cast<size_t>(row)]; }
    const std::string& haystack(int row) const { return m_haystacks[static_cast<size_t>(row)]; }
    bool waiting(int row) const;
    // Row of the listing with this id, or -1.
    int rowOfId(const std::string& id) const;
    // Repaints the thumbnail column (after images arrived).
    void thumbnailsChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    ThumbnailCache* m_thumbnails;
    std::vector<book::Listing> m_listings;
    std::vector<std::string> m_haystacks;
    std::vector<bool> m_waiting;
};

// Shows the rows of the source model whose listings pass the filter, in source order. A new
// filter rebuilds the row map in one pass and resets the views.
class BookFilterProxy : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit BookFilterProxy(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* source) override;
    void setFilter(BookFilter filter);
    const BookFilter& filter() const { return m_filter; }
    // Re-applies the filter (after the source changed).
    void refilter();

    QModelIndex mapToSource(const QModelIndex& proxy) const override;
    QModelIndex mapFromSource(const QModelIndex& source) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;

private:
    void rebuild();

    BookTableModel* m_book = nullptr;
    BookFilter m_filter;
    std::vector<int> m_rows;      // proxy row -> source row
    std::vector<int> m_inverse;   // source row -> proxy row, -1 when hidden
};

class BookDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit BookDelegate(QObject* parent = nullptr);
    void setFlashOn(bool on) { m_flash_on = on; }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool m_flash_on = false;
};

class BookView : public QTableView {
    Q_OBJECT
public:
    explicit BookView(QWidget* parent = nullptr);
    // What the empty table says.
    void setEmptyTexts(EmptyTableTexts texts);
    const EmptyTableTexts& emptyTexts() const { return m_empty; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    EmptyTableTexts m_empty;
};

} // namespace ui
