// The "Cancel offer" window "TavrinNodeAgoranOfferCancel": a modal card that shows the offer
// to be withdrawn, with "Cancel" and "Cancel offer" along the bottom.
#pragma once

#include "ui/dialog_window.h"
#include "ui/offer_cancel.h"

namespace ui {

enum OfferCancelControlId : int {
    ID_OFFER_CANCEL_CONFIRM = 1810,
    ID_OFFER_CANCEL_DISMISS = 1811,
};

class OfferCancelWindow : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int WIDTH = 600;

    OfferCancelWindow(const OfferCancelContext& context, QWidget* owner);

    const Card& card() const { return m_card; }
    // Shows the window modally and returns whether "Cancel offer" was pressed.
    bool exec();

signals:
    void finished(bool confirmed);

protected:
    void paintContent(QPainter& painter) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Card m_card;
    bool m_confirmed = false;
    bool m_finished = false;
};

} // namespace ui
