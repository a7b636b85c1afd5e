// The Buy dialog "TavrinNodeAgoranBuy": an offer on a live listing for some or all of its lots.
// It shows what is bought before anything is paid: the inscription the listing output holds,
// drawn large, the item's name and ticker (flagged when the seller's post names it otherwise),
// the seller, the seller's note as theirs, the price per unit and the total for the quantity
// typed. The dialog holds the listing it was opened on; "Post offer" refuses when that listing
// is gone, closed or changed, then checks the listing output and both identities on a worker
// before the offer is built.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "book/listing.h"
#include "ui/buy_preview.h"
#include "ui/dialog_context.h"
#include "ui/dialog_window.h"

namespace ui {

class BuyDialog : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int PICTURE_SIZE = 176;

    BuyDialog(DialogContext context, const book::Listing& listing);

    const book::Listing& heldListing() const { return m_held; }
    CostLine costLine() const;
    QLineEdit* qtyBox() const { return m_qty; }
    QLabel* picture() const { return m_picture; }
    QLabel* costLabel() const { return m_cost; }
    QLabel* warningLabel() const { return m_warning; }
    QPushButton* postButton() const { return m_post; }

private:
    void postOffer();
    void showCost();

    DialogContext m_context;
    book::Listing m_held;
    QLabel* m_picture = nullptr;
    QLabel* m_warning = nullptr;
    QLineEdit* m_qty = nullptr;
    QLabel* m_cost = nullptr;
    QPushButton* m_post = nullptr;
};

} // namespace ui
