#include "ui/offer_cancel_window.h"

#include <QCloseEvent>
#include <QEventLoop>

#include "ui/card_painter.h"

namespace ui {

OfferCancelWindow::OfferCancelWindow(const OfferCancelContext& context, QWidget* owner)
    : DialogWindow("TavrinNodeAgoranOfferCancel", "Cancel offer", owner), m_card(offer_cancel_card(context))
{
    // As high as the card needs, with the buttons beneath it.
    const int height = 20 + card_height(m_card, WIDTH - 40) + 92;
    setFixedSize(WIDTH, height);
    setWindowModality(Qt::ApplicationModal);
    // The pair is centred: "Cancel" 120 wide, "Cancel offer" 148 wide and 132 pixels to its right.
    const int y = height - 56;
    const int left = (WIDTH - (132 + 148)) / 2;
    auto* dismiss = make_button(ID_OFFER_CANCEL_DISMISS, "Cancel", this);
    dismiss->setGeometry(left, y, 120, 36);
    connect(dismiss, &QAbstractButton::clicked, this, &QWidget::close);
    auto* confirm = make_button(ID_OFFER_CANCEL_CONFIRM, "Cancel offer", this);
    confirm->setGeometry(left + 132, y, 148, 36);
    connect(confirm, &QAbstractButton::clicked, this, [this] {
        m_confirmed = true;
        close();
    });
    setDefaultButton(dismiss);
}

void OfferCancelWindow::paintContent(QPainter& p)
{
    const QRect area(20, 20, WIDTH - 40, card_height(m_card, WIDTH - 40));
    paint_card(p, m_card, area, false);
}

bool OfferCancelWindow::exec()
{
    // The window deletes itself once closed: the answer is taken from the signal.
    bool confirmed = false;
    QEventLoop loop;
    connect(this, &OfferCancelWindow::finished, &loop, [&](bool ok) {
        confirmed = ok;
        loop.quit();
    });
    show();
    activateWindow();
    loop.exec();
    return confirmed;
}

void OfferCancelWindow::closeEvent(QCloseEvent* event)
{
    if (!m_finished) {
        m_finished = true;
        emit finished(m_confirmed);
    }
    event->accept();
}

} // namespace ui
