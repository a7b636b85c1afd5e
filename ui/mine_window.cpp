#include "ui/mine_window.h"

#include <QDialogButtonBox>
#include <QPushButton>

#include "ui/dialog_texts.h"

namespace ui {

MineWindow::MineWindow(const MineCards& cards, QWidget* owner)
    : DialogWindow("TavrinNodeAgoranMine", MINE_TITLE, MINE_TITLE, owner), m_content(cards)
{
    m_cards = new CardList(this);
    m_cards->setObjectName("mine.cards");
    CardList::Section listings{"Your listings", cards.listings};
    if (listings.cards.empty()) listings.cards.push_back(none_yet_card(MINE_NO_LISTINGS));
    CardList::Section offers{"Your offers", cards.offers};
    if (offers.cards.empty()) offers.cards.push_back(none_yet_card(MINE_NO_OFFERS));
    m_cards->setSections({listings, offers});
    body()->addWidget(m_cards, 1);
    addCloseButton();
    setMinimumSize(620, 460);
}

} // namespace ui
