// The "Listings & Offers" window "TavrinNodeAgoranMine": the wallet's live listings with the
// offers waiting on each, and its open offers, as cards. Read-only.
#pragma once

#include "ui/card_list.h"
#include "ui/dialog_window.h"
#include "ui/mine_cards.h"

namespace ui {

class MineWindow : public DialogWindow {
    Q_OBJECT
public:
    MineWindow(const MineCards& cards, QWidget* owner);

    const MineCards& content() const { return m_content; }
    CardList* cards() const { return m_cards; }

private:
    MineCards m_content;
    CardList* m_cards = nullptr;
};

} // namespace ui
