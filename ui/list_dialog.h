// The List dialog "TavrinNodeAgoranList": one lot of the wallet, a quantity (in token units,
// all that is held by default; a picture is one), a total price and a note become an "ag_list"
// post. Lots already listed are marked and refused with a plain sentence. The checks that ask
// the network (frozen identity, the asset's details, the reserve) run on a worker while the
// dialog waits.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

#include "ui/dialog_context.h"
#include "ui/dialog_window.h"
#include "ui/list_lot.h"

namespace ui {

class ListDialog : public DialogWindow {
    Q_OBJECT
public:
    ListDialog(DialogContext context, std::vector<wallet::TvPursaOrdRow> lots);

    const std::vector<wallet::TvPursaOrdRow>& lots() const { return m_lots; }
    QComboBox* lotChoice() const { return m_lot; }
    QLineEdit* qtyBox() const { return m_qty; }
    QLineEdit* priceBox() const { return m_price; }
    QLineEdit* noteBox() const { return m_note; }
    QLabel* heldLabel() const { return m_held; }
    QLabel* restLabel() const { return m_rest; }
    QLabel* noteCounter() const { return m_counter; }
    QPushButton* postButton() const { return m_post; }

private:
    const wallet::TvPursaOrdRow* chosenLot() const;
    void lotChosen();
    void updateTexts();
    void postListing();

    DialogContext m_context;
    std::vector<wallet::TvPursaOrdRow> m_lots;
    std::vector<bool> m_listed;
    QComboBox* m_lot = nullptr;
    QLineEdit* m_qty = nullptr;
    QLabel* m_held = nullptr;
    QLabel* m_rest = nullptr;
    QLineEdit* m_price = nullptr;
    QLabel* m_unit_price = nullptr;
    QLineEdit* m_note = nullptr;
    QLabel* m_counter = nullptr;
    QPushButton* m_post = nullptr;
};

} // namespace ui
