#include "ui/history_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>

#include <map>
#include <optional>

#include "ui/book_table_model.h"
#include "ui/dialog_texts.h"
#include "ui/history_texts.h"
#include "ui/widgets.h"

namespace ui {

HistoryWindow::HistoryWindow(std::vector<book::HistoryRow> rows, const std::vector<book::Listing>& book,
                             const std::string& my_key, QWidget* owner)
    : DialogWindow("TavrinNodeAgoranHistory", "History", "History", owner), m_rows(std::move(rows))
{
    body()->addWidget(make_wrapped_label(HISTORY_INTRO, "muted", this));
    std::map<tx::Txid, const book::Listing*> listings;
    for (const auto& listing : book) listings[listing.id] = &listing;

    m_list = new QTableWidget(static_cast<int>(m_rows.size()), HISTORY_COLUMN_COUNT, this);
    m_list->setObjectName("history");
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c < HISTORY_COLUMN_COUNT; ++c)
        m_list->setHorizontalHeaderItem(c, new QTableWidgetItem(history_column_title(static_cast<HistoryColumn>(c))));
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const std::optional<tx::Txid> id = tx::Txid::parse(m_rows[i].listing);
        const auto found = id ? listings.find(*id) : listings.end();
        const book::Listing* listing = found == listings.end() ? nullptr : found->second;
        for (int c = 0; c < HISTORY_COLUMN_COUNT; ++c) {
            const auto column = static_cast<HistoryColumn>(c);
            auto* item = new QTableWidgetItem(qtext(history_cell_text(m_rows[i], column, my_key, listing)));
            item->setData(Qt::UserRole, static_cast<int>(i));
            if (column == HistoryColumn::Bsv || column == HistoryColumn::Qty)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_list->setItem(static_cast<int>(i), c, item);
        }
    }
    m_list->resizeColumnsToContents();
    for (int c = 0; c < HISTORY_COLUMN_COUNT; ++c)
        m_list->horizontalHeader()->resizeSection(c, std::min(m_list->horizontalHeader()->sectionSize(c), 280));
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { openSelected(); });
    body()->addWidget(m_list, 1);

    connect(addButton("Cancel offer", "cancelOffer"), &QPushButton::clicked, this, [this] {
        const book::HistoryRow* row = selectedRow();
        if (!row) return emit refused(HISTORY_PICK_OPEN_OFFER);
        if (!row->open) return emit refused(HISTORY_NOT_OPEN_OFFER);
        emit cancelOfferRequested(*row);
    });
    connect(addButton("Open on chain", "open"), &QPushButton::clicked, this, [this] {
        if (!selectedRow()) return emit refused(HISTORY_PICK_ROW);
        openSelected();
    });
    connect(addButton("Chart", "chart"), &QPushButton::clicked, this, &HistoryWindow::chartRequested);
    setMinimumSize(900, 420);
}

const book::HistoryRow* HistoryWindow::selectedRow() const
{
    const auto selected = m_list->selectedItems();
    if (selected.isEmpty()) return nullptr;
    const int index = selected.first()->data(Qt::UserRole).toInt();
    if (index < 0 || static_cast<size_t>(index) >= m_rows.size()) return nullptr;
    return &m_rows[static_cast<size_t>(index)];
}

void HistoryWindow::openSelected()
{
    const book::HistoryRow* row = selectedRow();
    if (row) emit openTransaction(qtext(row->txid.hex()));
}

bool HistoryWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && show_cut_text_tip(m_list, event)) return true;
    return DialogWindow::eventFilter(watched, event);
}

} // namespace ui
