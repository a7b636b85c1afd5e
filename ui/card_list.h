// A scrolled column of cards in sections (Complete, Listings & Offers): each card a panel with
// its title and labelled lines (green or red where the line says so). Cards may be selectable:
// a click selects one, a double click selects and activates it. UI thread.
#pragma once

#include <QFrame>
#include <QScrollArea>

#include <vector>

#include "ui/trade_card.h"

namespace ui {

class CardList : public QScrollArea {
    Q_OBJECT
public:
    struct Section {
        QString heading;  // none when empty
        std::vector<Card> cards;
    };

    explicit CardList(QWidget* parent = nullptr);

    void setSections(const std::vector<Section>& sections);
    void setSelectable(bool selectable) { m_selectable = selectable; }
    // Index among every card of every section; -1 for none.
    int selected() const { return m_selected; }
    void setSelected(int index);
    int count() const { return static_cast<int>(m_cards.size()); }
    QFrame* card(int index) const;

signals:
    void selectionChanged(int index);
    void activated(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QFrame*> m_cards;
    bool m_selectable = false;
    int m_selected = -1;
};

} // namespace ui
