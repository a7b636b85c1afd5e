// The Complete dialog "TavrinNodeAgoranComplete": the offers on the wallet's live listings as
// scrolled cards, each showing what the seller's check finds, and "Complete", which signs the
// chosen offer's listing input and broadcasts the sale. The rows are a snapshot taken when the
// dialog opened.
#pragma once

#include <vector>

#include "ui/card_list.h"
#include "ui/complete_rows.h"
#include "ui/dialog_context.h"
#include "ui/dialog_window.h"

namespace ui {

enum CompleteControlId : int {
    ID_COMPLETE_RUN = 1611,
    ID_COMPLETE_CLOSE = 1612,
};

class CompleteDialog : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int WIDTH = 760;
    static constexpr int MIN_CARDS = 280;
    static constexpr int MAX_CARDS = 560;
    static constexpr int CHROME = 128;  // heading and buttons

    CompleteDialog(DialogContext context, std::vector<CompleteRow> rows);

    const std::vector<CompleteRow>& rows() const { return m_rows; }
    CardList* cards() const { return m_cards; }

protected:
    void paintContent(QPainter& painter) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void complete();

    DialogContext m_context;
    std::vector<CompleteRow> m_rows;
    CardList* m_cards = nullptr;
    OwnerButton* m_run = nullptr;
    OwnerButton* m_close = nullptr;
};

} // namespace ui
