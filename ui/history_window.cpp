#include "ui/history_window.h"

#include <QHeaderView>

#include "ui/dialog_texts.h"
#include "ui/history_texts.h"

namespace ui {

HistoryWindow::HistoryWindow(std::vector<book::HistoryRow> rows, QWidget* owner)
    : DialogWindow("TavrinNodeAgoranHistory", "History", owner), m_rows(std::move(rows))
{
    resize(WIDTH, HEIGHT);
    setMinimumSize(600, 320);
    m_intro = new WrapLabel(ID_HISTORY_INTRO, HISTORY_INTRO, FontRole::RowCount, this);

    m_list = new QTableWidget(static_cast<int>(m_rows.size()), HISTORY_COLUMN_COUNT, this);
    m_list->setObjectName(QString::number(ID_HISTORY_LIST));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setFont(app_font(FontRole::Edit));
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(28);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < HISTORY_COLUMN_COUNT; ++c) {
        const auto column = static_cast<HistoryColumn>(c);
        m_list->setHorizontalHeaderItem(c, new QTableWidgetItem(history_column_title(column)));
        m_list->horizontalHeader()->resizeSection(c, history_column_width(column));
    }
    for (size_t i = 0; i < m_rows.size(); ++i) {
        for (int c = 0; c < HISTORY_COLUMN_COUNT; ++c) {
            auto* item = new QTableWidgetItem(qtext(history_cell_text(m_rows[i], static_cast<HistoryColumn>(c))));
            item->setData(Qt::UserRole, static_cast<int>(i));
            m_list->setItem(static_cast<int>(i), c, item);
        }
    }
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { openSelected(); });

    auto addButton = [this](int id, const char* text) {
        auto* b = make_button(id, text, this);
        m_buttons.push_back(b);
        return b;
    };
    connect(addButton(ID_HISTORY_CANCEL_OFFER, "Cancel offer"), &QAbstractButton::clicked, this, [this] {
        const book::HistoryRow* row = selectedRow();
        if (!row) return emit refused(HISTORY_PICK_OPEN_OFFER);
        if (!row->open) return emit refused(HISTORY_NOT_OPEN_OFFER);
        emit cancelOfferRequested(*row);
    });
    connect(addButton(ID_HISTORY_OPEN, "Open on chain"), &QAbstractButton::clicked, this, [this] {
        if (!selectedRow()) return emit refused(HISTORY_PICK_ROW);
        openSelected();
    });
    connect(addButton(ID_HISTORY_CHART, "Chart"), &QAbstractButton::clicked, this, &HistoryWindow::chartRequested);
    connect(addButton(ID_HISTORY_CLOSE, "Close"), &QAbstractButton::clicked, this, &QWidget::close);
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
    if (row && row->txid.size() == 64) emit openTransaction(qtext(row->txid));
}

void HistoryWindow::resizeEvent(QResizeEvent*)
{
    // The list takes what the window gains; the buttons stay beneath it.
    const int w = width() - 50;
    const int listHeight = height() - 150;
    m_intro->setGeometry(16, 12, w, 36);
    m_list->setGeometry(16, 52, w, listHeight);
    const int y = 52 + listHeight + 12;
    const int xs[] = {16, 166, 316, 446};
    const int ws[] = {140, 140, 120, 120};
    for (size_t i = 0; i < m_buttons.size(); ++i) m_buttons[i]->setGeometry(xs[i], y, ws[i], 34);
}

} // namespace ui
