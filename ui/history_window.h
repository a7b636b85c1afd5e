// The History window "TavrinNodeAgoranHistory": the wallet's own market actions as a list,
// with "Cancel offer" for an open offer, "Open on chain", "Chart" and "Close".
#pragma once

#include <QTableWidget>

#include <functional>
#include <vector>

#include "book/history.h"
#include "ui/dialog_window.h"

namespace ui {

enum HistoryControlId : int {
    ID_HISTORY_LIST = 1620,
    ID_HISTORY_CLOSE = 1621,
    ID_HISTORY_CANCEL_OFFER = 1622,
    ID_HISTORY_OPEN = 1623,
    ID_HISTORY_INTRO = 1624,
    ID_HISTORY_CHART = 1625,
};

class HistoryWindow : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int WIDTH = 810;
    static constexpr int HEIGHT = 430;

    HistoryWindow(std::vector<book::HistoryRow> rows, QWidget* owner);

    const std::vector<book::HistoryRow>& rows() const { return m_rows; }
    QTableWidget* list() const { return m_list; }
    // The selected row, or null.
    const book::HistoryRow* selectedRow() const;

signals:
    // "Cancel offer" on a row that is an open offer of the wallet's.
    void cancelOfferRequested(const book::HistoryRow& row);
    // A row's transaction to open on chain (64 characters).
    void openTransaction(const QString& txid);
    void chartRequested();
    // A refusal for the message window titled "History".
    void refused(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void openSelected();

    std::vector<book::HistoryRow> m_rows;
    QTableWidget* m_list = nullptr;
    QWidget* m_intro = nullptr;
    std::vector<OwnerButton*> m_buttons;
};

} // namespace ui
