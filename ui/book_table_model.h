// The book table: a model over the listings of the last complete book load, a sort-and-filter
// proxy that applies the filter bar and orders rows on the raw records (price, price per unit,
// quantity, expiry, seller, ...), and a view that shows the empty state and a tooltip for any
// cell whose text is cut. Rows keep the book's order until a column header is clicked; the
// order then holds across reloads.
#pragma once

#include <QAbstractTableModel>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <optional>
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
    // What a column sorts by: a number or lower-case text.
    static constexpr int SortRole = Qt::UserRole + 3;

    explicit BookTableModel(ThumbnailCache* thumbnails, QObject* parent = nullptr);

    // Replaces the book; waiting[i] marks listings with an offer waiting (may be empty).
    void setBook(std::vector<book::Listing> listings, std::vector<bool> waiting = {});
    const std::vector<book::Listing>& listings() const { return m_listings; }
    const book::Listing& listing(int row) const { return m_listings[static_cast<size_t>(row)]; }
    const std::string& haystack(int row) const { return m_haystacks[static_cast<size_t>(row)]; }
    bool waiting(int row) const;
    // Row of the listing with this id, or -1.
    int rowOfId(const std::optional<tx::Txid>& id) const;
    // Repaints the thumbnail column (after images arrived).
    void thumbnailsChanged();
    // The phase of the waiting-offer flash.
    void setFlashOn(bool on);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    ThumbnailCache* m_thumbnails;
    std::vector<book::Listing> m_listings;
    std::vector<std::string> m_haystacks;
    std::vector<bool> m_waiting;
    bool m_flash_on = false;
};

class BookSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit BookSortProxy(QObject* parent = nullptr);
    void setFilter(BookFilter filter);
    const BookFilter& filter() const { return m_filter; }

protected:
    bool filterAcceptsRow(int source_row, const QModelIndex& source_parent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    BookFilter m_filter;
};

// A table view that shows a centred message while it has no rows, and a tooltip with the
// whole text of a cell that is cut.
class BookView : public QTableView {
    Q_OBJECT
public:
    explicit BookView(QWidget* parent = nullptr);
    void setEmptyTexts(const EmptyTableTexts& texts);
    EmptyTableTexts emptyTexts() const;

    void setModel(QAbstractItemModel* model) override;

protected:
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateEmptyState();
    QWidget* m_empty = nullptr;
    QLabel* m_empty_glyph = nullptr;
    QLabel* m_empty_title = nullptr;
    QLabel* m_empty_detail = nullptr;
};

// Shows the whole text of a cell as its tooltip when the cell cuts it. True when the event
// was a tooltip event for the view (shown or hidden).
bool show_cut_text_tip(QAbstractItemView* view, QEvent* event);

} // namespace ui
