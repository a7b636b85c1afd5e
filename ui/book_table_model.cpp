#include "ui/book_table_model.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>
#include <QVBoxLayout>

#include "book/post.h"
#include "ui/quantity_text.h"
#include "ui/seller_choices.h"
#include "ui/thumbnail_cache.h"
#include "ui/thumbnail_key.h"
#include "ui/trade_card.h"
#include "ui/ui_style.h"

namespace ui {

namespace {

// A token quantity in whole tokens, for ordering rows of different decimals.
double quantity_value(const book::Listing& listing)
{
    const auto units = book::parse_decimal_u64(listing.qty);
    if (!units) return 0;
    double value = static_cast<double>(*units);
    for (int i = 0; i < listing_decimals(listing); ++i) value /= 10;
    return value;
}

QVariant sort_value(const book::Listing& listing, BookColumn column)
{
    switch (column) {
    case BookColumn::Thumb: return {};
    case BookColumn::Qty: return quantity_value(listing);
    case BookColumn::Price: return static_cast<qulonglong>(listing.price_sats);
    case BookColumn::UnitPrice: return unit_price_value(listing);
    case BookColumn::Expires: return static_cast<qlonglong>(listing.exp);
    case BookColumn::Item: return qtext(item_label(listing)).toLower();
    case BookColumn::Note:
    case BookColumn::Seller:
    case BookColumn::Status: return qtext(book_cell_text(listing, column)).toLower();
    }
    return {};
}

} // namespace

BookTableModel::BookTableModel(ThumbnailCache* thumbnails, QObject* parent)
    : QAbstractTableModel(parent), m_thumbnails(thumbnails)
{
}

void BookTableModel::setBook(std::vector<book::Listing> listings, std::vector<bool> waiting)
{
    beginResetModel();
    m_listings = std::move(listings);
    m_haystacks.clear();
    m_haystacks.reserve(m_listings.size());
    for (const auto& listing : m_listings) m_haystacks.push_back(search_haystack(listing));
    m_waiting = std::move(waiting);
    m_waiting.resize(m_listings.size(), false);
    endResetModel();
}

bool BookTableModel::waiting(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < m_waiting.size() && m_waiting[static_cast<size_t>(row)];
}

int BookTableModel::rowOfId(const std::optional<tx::Txid>& id) const
{
    if (!id) return -1;
    for (size_t i = 0; i < m_listings.size(); ++i)
        if (m_listings[i].id == id) return static_cast<int>(i);
    return -1;
}

void BookTableModel::thumbnailsChanged()
{
    if (m_listings.empty()) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void BookTableModel::setFlashOn(bool on)
{
    if (m_flash_on == on) return;
    m_flash_on = on;
    for (int row = 0; row < rowCount(); ++row)
        if (waiting(row)) emit dataChanged(index(row, 0), index(row, BOOK_COLUMN_COUNT - 1), {Qt::BackgroundRole});
}

int BookTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_listings.size());
}

int BookTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : BOOK_COLUMN_COUNT; }

QVariant BookTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto& listing = m_listings[static_cast<size_t>(index.row())];
    const auto column = static_cast<BookColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (column == BookColumn::Thumb) return {};
        return qtext(book_cell_text(listing, column));
    case Qt::ToolTipRole:
        if (column == BookColumn::Item) return qtext(seller_name_warning(listing));
        return {};
    case Qt::DecorationRole:
        if (column != BookColumn::Thumb) return {};
        return m_thumbnails ? m_thumbnails->pixmap(thumbnail_key(listing)) : ThumbnailCache::blank();
    case Qt::TextAlignmentRole:
        if (column == BookColumn::Qty || column == BookColumn::Price || column == BookColumn::UnitPrice)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (waiting(index.row())) return qcolor(m_flash_on ? FLASH_ROW_ON : FLASH_ROW_OFF);
        return {};
    case Qt::ForegroundRole:
        if (waiting(index.row())) return qcolor(FLASH_ROW_TEXT);
        return {};
    case ListingIndexRole: return index.row();
    case WaitingOfferRole: return waiting(index.row());
    case SortRole: return sort_value(listing, column);
    default: return {};
    }
}

QVariant BookTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= BOOK_COLUMN_COUNT) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(book_column_title(static_cast<BookColumn>(section)));
    return {};
}

BookSortProxy::BookSortProxy(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(BookTableModel::SortRole);
    setDynamicSortFilter(true);
}

void BookSortProxy::setFilter(BookFilter filter)
{
    m_filter = std::move(filter);
    invalidateFilter();
}

bool BookSortProxy::filterAcceptsRow(int source_row, const QModelIndex&) const
{
    const auto* book = qobject_cast<const BookTableModel*>(sourceModel());
    if (!book || source_row >= book->rowCount()) return false;
    return listing_passes(book->listing(source_row), book->haystack(source_row), m_filter);
}

bool BookSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QVariant a = left.data(BookTableModel::SortRole);
    const QVariant b = right.data(BookTableModel::SortRole);
    if (a != b) return QVariant::compare(a, b) == QPartialOrdering::Less;
    // Equal keys keep the book's order.
    return left.row() < right.row();
}

BookView::BookView(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setIconSize(QSize(THUMBNAIL_SIZE, THUMBNAIL_SIZE));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(THUMBNAIL_SIZE + 8);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);

    m_empty = new QWidget(viewport());
    auto* layout = new QVBoxLayout(m_empty);
    auto* glyph = new QLabel(m_empty);
    m_empty_glyph = glyph;
    glyph->setPixmap(glyph_pixmap(Glyph::Basket, qcolor(active_theme().muted), 40));
    m_empty_title = new QLabel(m_empty);
    m_empty_title->setProperty("role", "empty-title");
    m_empty_detail = new QLabel(m_empty);
    m_empty_detail->setProperty("role", "muted");
    for (QLabel* label : {glyph, m_empty_title, m_empty_detail}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    auto* centre = new QVBoxLayout(viewport());
    centre->addStretch();
    centre->addWidget(m_empty);
    centre->addStretch();
}

void BookView::setEmptyTexts(const EmptyTableTexts& texts)
{
    m_empty_title->setText(qtext(texts.title));
    m_empty_detail->setText(qtext(texts.detail));
    updateEmptyState();
}

EmptyTableTexts BookView::emptyTexts() const
{
    return {utf8(m_empty_title->text()), utf8(m_empty_detail->text())};
}

void BookView::updateEmptyState() { m_empty->setVisible(!model() || model()->rowCount() == 0); }

void BookView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, &BookView::updateEmptyState);
    connect(model, &QAbstractItemModel::layoutChanged, this, &BookView::updateEmptyState);
    connect(model, &QAbstractItemModel::rowsInserted, this, &BookView::updateEmptyState);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &BookView::updateEmptyState);
    updateEmptyState();
}

void BookView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        m_empty_glyph->setPixmap(glyph_pixmap(Glyph::Basket, palette().color(QPalette::Midlight), 40));
    QTableView::changeEvent(event);
}

bool BookView::viewportEvent(QEvent* event)
{
    if (show_cut_text_tip(this, event)) return true;
    return QTableView::viewportEvent(event);
}

bool show_cut_text_tip(QAbstractItemView* view, QEvent* event)
{
    if (event->type() != QEvent::ToolTip) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = view->indexAt(help->pos());
    const QRect cell = view->visualRect(index);
    // A cell with a tip of its own (a flagged name) shows that.
    if (const QString tip = index.data(Qt::ToolTipRole).toString(); !tip.isEmpty()) {
        QToolTip::showText(help->globalPos(), tip, view->viewport(), cell);
        return true;
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    const int needed = view->fontMetrics().horizontalAdvance(text) + 24;
    if (index.isValid() && !text.isEmpty() && needed > cell.width()) {
        QToolTip::showText(help->globalPos(), text, view->viewport(), cell);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

} // namespace ui
