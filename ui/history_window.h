// The History window "TavrinNodeAgoranHistory": the wallet's own market actions and the offers
// made to it, as a table (open offers marked, the transaction id cut in its middle), with
// "Cancel offer" for an open offer, "Open on chain", "Chart" and "Close".
#pragma once

#include <QTableWidget>

#include <vector>

#include "book/history.h"
#include "book/listing.h"
#include "ui/dialog_window.h"

namespace ui {

class HistoryWindow : public DialogWindow {
    Q_OBJECT
public:
    HistoryWindow(std::vector<book::HistoryRow> rows, const std::vector<book::Listing>& book,
                  const std::string& my_key, QWidget* owner);

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openSelected();

    std::vector<book::HistoryRow> m_rows;
    QTableWidget* m_list = nullptr;
};

} // namespace ui
