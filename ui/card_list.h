// A scrolled column of cards in sections (Complete, Listings & Offers): the vertical scroll
// bar moves 40 pixels a line and the visible height a page, the wheel scrolls one line. Cards
// may be selectable: a click selects one, a double click selects and activates it. UI thread.
#pragma once

#include <QAbstractScrollArea>

#include <vector>

#include "ui/trade_card.h"

namespace ui {

class CardList : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int LINE_STEP = 40;

    struct Section {
        QString heading;  // none when empty
        std::vector<Card> cards;
    };

    explicit CardList(QWidget* parent = nullptr);

    void setSections(std::vector<Section> sections);
    void setSelectable(bool selectable) { m_selectable = selectable; }
    // Index among every card of every section; -1 for none.
    int selected() const { return m_selected; }
    void setSelected(int index);
    // Height all sections need at a width.
    int contentHeight(int width) const;
    // Where a card is, in content coordinates (tests click on it).
    QRect cardRect(int index) const;

signals:
    void selectionChanged(int index);
    void activated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct Placed {
        int section = -1;   // heading of this section, when card < 0
        int card = -1;      // overall card index
        QRect rect;         // content coordinates
    };
    std::vector<Placed> place(int width) const;
    void updateScrollBar();
    int cardAt(const QPoint& viewport_point) const;

    std::vector<Section> m_sections;
    std::vector<const Card*> m_cards;  // every card, in order
    bool m_selectable = false;
    int m_selected = -1;
};

} // namespace ui
