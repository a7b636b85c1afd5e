// The Complete dialog "TavrinNodeAgoranComplete": the offers on the wallet's live listings as
// cards, each showing what the seller's check finds, and "Complete", which asks "Sell <qty> to
// <buyer> for <price>?" and then signs the chosen offer's listing input and broadcasts the
// sale. The rows are a snapshot taken when the dialog opened.
#pragma once

#include <QPushButton>

#include <vector>

#include "ui/card_list.h"
#include "ui/complete_rows.h"
#include "ui/dialog_context.h"
#include "ui/dialog_window.h"

namespace ui {

class CompleteDialog : public DialogWindow {
    Q_OBJECT
public:
    CompleteDialog(DialogContext context, std::vector<CompleteRow> rows);

    const std::vector<CompleteRow>& rows() const { return m_rows; }
    CardList* cards() const { return m_cards; }
    QPushButton* completeButton() const { return m_run; }

private:
    void complete();

    DialogContext m_context;
    std::vector<CompleteRow> m_rows;
    CardList* m_cards = nullptr;
    QPushButton* m_run = nullptr;
};

} // namespace ui
