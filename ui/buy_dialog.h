// The Buy dialog "TavrinNodeAgoranBuy": an offer on a live listing for some or all of its lots,
// with a painted cost preview. The dialog holds the listing it was opened on (by id, with the
// terms it showed); "Post offer" refuses when that listing is gone, closed or changed, then
// checks the listing output and both identities on a worker before the offer is built.
#pragma once

#include <QLineEdit>

#include "book/listing.h"
#include "ui/buy_preview.h"
#include "ui/dialog_context.h"
#include "ui/dialog_window.h"

namespace ui {

enum BuyControlId : int {
    ID_BUY_QTY = 1601,
    ID_BUY_POST = 1602,
    ID_BUY_CLOSE = 1603,
    ID_BUY_QTY_LABEL = 1605,
};

class BuyDialog : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int WIDTH = 640;
    static constexpr int HEIGHT = 560;

    BuyDialog(DialogContext context, const book::Listing& listing);

    const book::Listing& heldListing() const { return m_held; }
    // The preview as painted now.
    QString headerText() const;
    CostLine costLine() const;

protected:
    void paintContent(QPainter& painter) override;

private:
    void postOffer();

    DialogContext m_context;
    book::Listing m_held;
    BuySnapshot m_snapshot;
    QLineEdit* m_qty = nullptr;
};

} // namespace ui
