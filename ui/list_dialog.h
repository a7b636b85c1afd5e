// The List dialog "TavrinNodeAgoranList": one lot of the wallet, a quantity, a total price and
// a note become an "ag_list" post. The checks that ask the network (frozen identity, the
// asset's details, the reserve) run on a worker while the dialog waits.
#pragma once

#include <QComboBox>
#include <QLineEdit>

#include <vector>

#include "ui/dialog_context.h"
#include "ui/dialog_window.h"
#include "ui/list_lot.h"

namespace ui {

enum ListControlId : int {
    ID_LIST_LOT = 1501,
    ID_LIST_QTY = 1502,
    ID_LIST_PRICE = 1503,
    ID_LIST_NOTE = 1504,
    ID_LIST_POST = 1505,
    ID_LIST_CLOSE = 1506,
    ID_LIST_INFO = 1507,
    ID_LIST_LOT_LABEL = 1508,
    ID_LIST_QTY_LABEL = 1509,
    ID_LIST_PRICE_LABEL = 1510,
    ID_LIST_NOTE_LABEL = 1511,
};

class ListDialog : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int WIDTH = 570;
    static constexpr int HEIGHT = 350;

    ListDialog(DialogContext context, std::vector<wallet::TvPursaOrdRow> lots);

    const std::vector<wallet::TvPursaOrdRow>& lots() const { return m_lots; }

private:
    void postListing();

    DialogContext m_context;
    std::vector<wallet::TvPursaOrdRow> m_lots;
    QComboBox* m_lot = nullptr;
    QLineEdit* m_qty = nullptr;
    QLineEdit* m_price = nullptr;
    QLineEdit* m_note = nullptr;
};

} // namespace ui
