#include "ui/mine_window.h"

#include <algorithm>

#include "ui/card_painter.h"
#include "ui/dialog_texts.h"

namespace ui {

MineWindow::MineWindow(const MineCards& cards, QWidget* owner)
    : DialogWindow("TavrinNodeAgoranMine", MINE_TITLE, owner), m_content(cards)
{
    m_cards = new CardList(this);
    m_cards->setObjectName("mine.cards");
    CardList::Section listings{"Your listings", cards.listings};
    if (listings.cards.empty()) listings.cards.push_back(none_yet_card(MINE_NO_LISTINGS));
    CardList::Section offers{"Your offers", cards.offers};
    if (offers.cards.empty()) offers.cards.push_back(none_yet_card(MINE_NO_OFFERS));
    m_cards->setSections({std::move(listings), std::move(offers)});

    m_close = make_button(ID_MINE_CLOSE, "Close", this);
    connect(m_close, &QAbstractButton::clicked, this, &QWidget::close);
    setDefaultButton(m_close);

    const int height = std::clamp(m_cards->contentHeight(WIDTH), MIN_CARDS, MAX_CARDS);
    resize(WIDTH, height + CHROME);
    setMinimumSize(WIDTH, MIN_CARDS + CHROME);
}

void MineWindow::resizeEvent(QResizeEvent*)
{
    m_cards->setGeometry(0, 60, width(), height() - CHROME);
    m_close->setGeometry(280, height() - 52, 120, 36);
}

void MineWindow::paintContent(QPainter& p)
{
    paint_heading(p, MINE_TITLE, QRect(24, 10, width() - 48, 36), true);
}

} // namespace ui
