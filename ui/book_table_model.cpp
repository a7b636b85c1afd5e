#include "ui/book_table_model.h"

#include <QHeaderView>
#include <QPainter>

#include "ui/thumbnail_cache.h"
#include "ui/thumbnail_key.h"
#include "ui/tile_style.h"
#include "ui/ui_style.h"

namespace ui {

namespace {

constexpr int ROW_HEIGHT = THUMBNAIL_SIZE + 8;

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

int BookTableModel::rowOfId(const std::string& id) const
{
    if (id.empty()) return -1;
    for (size_t i = 0; i < m_listings.size(); ++i)
        if (m_listings[i].id == id) return static_cast<int>(i);
    return -1;
}

void BookTableModel::thumbnailsChanged()
{
    if (m_listings.empty()) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
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
        if (column == BookColumn::Note || column == BookColumn::Name) return qtext(book_cell_text(listing, column));
        return {};
    case Qt::DecorationRole:
        if (column != BookColumn::Thumb) return {};
        return m_thumbnails ? m_thumbnails->pixmap(thumbnail_key(listing)) : ThumbnailCache::blank();
    case Qt::TextAlignmentRole:
        if (column == BookColumn::Qty || column == BookColumn::Price)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case ListingIndexRole: return index.row();
    case WaitingOfferRole: return waiting(index.row());
    default: return {};
    }
}

QVariant BookTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= BOOK_COLUMN_COUNT) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(book_column_title(static_cast<BookColumn>(section)));
    return {};
}

BookFilterProxy::BookFilterProxy(QObject* parent) : QAbstractProxyModel(parent) {}

void BookFilterProxy::setSourceModel(QAbstractItemModel* source)
{
    beginResetModel();
    if (m_book) disconnect(m_book, nullptr, this, nullptr);
    m_book = qobject_cast<BookTableModel*>(source);
    QAbstractProxyModel::setSourceModel(source);
    if (m_book) {
        connect(m_book, &QAbstractItemModel::modelReset, this, &BookFilterProxy::refilter);
        connect(m_book, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& tl, const QModelIndex& br, const QList<int>& roles) {
                    if (m_rows.empty()) return;
                    // Thumbnails: the whole column of the proxy.
                    emit dataChanged(index(0, tl.column()), index(rowCount() - 1, br.column()), roles);
                });
    }
    rebuild();
    endResetModel();
}

void BookFilterProxy::setFilter(BookFilter filter)
{
    m_filter = std::move(filter);
    refilter();
}

void BookFilterProxy::refilter()
{
    beginResetModel();
    rebuild();
    endResetModel();
}

void BookFilterProxy::rebuild()
{
    m_rows.clear();
    m_inverse.clear();
    if (!m_book) return;
    const int n = m_book->rowCount();
    m_inverse.assign(static_cast<size_t>(n), -1);
    for (int r = 0; r < n; ++r) {
        if (!listing_passes(m_book->listing(r), m_book->haystack(r), m_filter)) continue;
        m_inverse[static_cast<size_t>(r)] = static_cast<int>(m_rows.size());
        m_rows.push_back(r);
    }
}

QModelIndex BookFilterProxy::mapToSource(const QModelIndex& proxy) const
{
    if (!m_book || !proxy.isValid() || proxy.row() >= static_cast<int>(m_rows.size())) return {};
    return m_book->index(m_rows[static_cast<size_t>(proxy.row())], proxy.column());
}

QModelIndex BookFilterProxy::mapFromSource(const QModelIndex& source) const
{
    if (!source.isValid() || source.row() >= static_cast<int>(m_inverse.size())) return {};
    const int row = m_inverse[static_cast<size_t>(source.row())];
    return row < 0 ? QModelIndex() : createIndex(row, source.column());
}

QModelIndex BookFilterProxy::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return {};
    return createIndex(row, column);
}

QModelIndex BookFilterProxy::parent(const QModelIndex&) const { return {}; }

int BookFilterProxy::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int BookFilterProxy::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : BOOK_COLUMN_COUNT; }

BookDelegate::BookDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void BookDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const Theme& theme = active_theme();
    const bool selected = option.state & QStyle::State_Selected;
    const bool waiting = index.data(BookTableModel::WaitingOfferRole).toBool();
    QColor background = qcolor(theme.panel);
    QColor text = qcolor(theme.text);
    if (waiting) {
        background = qcolor(m_flash_on ? FLASH_ROW_ON : FLASH_ROW_OFF);
        text = qcolor(FLASH_ROW_TEXT);
    } else if (selected) {
        background = qcolor(accent_tint(theme));
    } else if (option.state & QStyle::State_MouseOver) {
        background = qcolor(blend(theme.panel, theme.accent, 14));
    }
    p->save();
    p->fillRect(option.rect, background);
    p->setPen(qcolor(blend(theme.panel, theme.border, 120)));
    p->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());

    if (index.column() == static_cast<int>(BookColumn::Thumb)) {
        const QPixmap pixmap = index.data(Qt::DecorationRole).value<QPixmap>();
        const QRect target(option.rect.center().x() - THUMBNAIL_SIZE / 2,
                           option.rect.center().y() - THUMBNAIL_SIZE / 2, THUMBNAIL_SIZE, THUMBNAIL_SIZE);
        p->setRenderHint(QPainter::Antialiasing, true);
        p->setPen(Qt::NoPen);
        p->setBrush(qcolor(blend(theme.panel, theme.tile_alt, 160)));
        p->drawRoundedRect(target, 8, 8);
        if (!pixmap.isNull()) p->drawPixmap(target, pixmap);
    } else {
        p->setFont(option.font);
        p->setPen(text);
        const QRect r = option.rect.adjusted(10, 0, -10, 0);
        const int alignment = index.data(Qt::TextAlignmentRole).toInt();
        const QString value = index.data(Qt::DisplayRole).toString();
        p->drawText(r, alignment, option.fontMetrics.elidedText(value, Qt::ElideRight, r.width()));
    }
    p->restore();
}

QSize BookDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(ROW_HEIGHT);
    return size;
}

BookView::BookView(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setWordWrap(false);
    setMouseTracking(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(ROW_HEIGHT);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(true);
    setFont(app_font(FontRole::Button));
}

void BookView::setEmptyTexts(EmptyTableTexts texts)
{
    m_empty = std::move(texts);
    viewport()->update();
}

void BookView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (model() && model()->rowCount() > 0) return;
    const Theme& theme = active_theme();
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRect r = viewport()->rect();
    const int glyph = 44;
    const int top = r.center().y() - 56;
    draw_glyph(p, Glyph::Basket, QRectF(r.center().x() - glyph / 2.0, top, glyph, glyph), qcolor(theme.muted));
    QFont title = app_font(FontRole::EmptyTitle);
    p.setFont(title);
    p.setPen(qcolor(theme.text));
    p.drawText(QRect(r.left(), top + glyph + 10, r.width(), 28), Qt::AlignCenter, qtext(m_empty.title));
    p.setFont(app_font(FontRole::RowCount));
    p.setPen(qcolor(theme.muted));
    p.drawText(QRect(r.left(), top + glyph + 40, r.width(), 24), Qt::AlignCenter, qtext(m_empty.detail));
}

} // namespace ui
