// The "Listings & Offers" window "TavrinNodeAgoranMine": the wallet's live listings with the
// offers waiting on each, and its open offers, as scrolled cards. Read-only.
#pragma once

#include "ui/card_list.h"
#include "ui/dialog_window.h"
#include "ui/mine_cards.h"

namespace ui {

inline constexpr int ID_MINE_CLOSE = 1820;

class MineWindow : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int WIDTH = 780;
    static constexpr int MIN_CARDS = 340;
    static constexpr int MAX_CARDS = 680;
    static constexpr int CHROME = 124;  // heading and button

    MineWindow(const MineCards& cards, QWidget* owner);

    const MineCards& content() const { return m_content; }
    CardList* cards() const { return m_cards; }

protected:
    void paintContent(QPainter& painter) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    MineCards m_content;
    CardList* m_cards = nullptr;
    OwnerButton* m_close = nullptr;
};

} // namespace ui
