#include "ui/card_list.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "ui/card_painter.h"
#include "ui/ui_style.h"

namespace ui {

namespace {
constexpr int MARGIN = 16;
constexpr int SECTION_HEIGHT = 34;
} // namespace

CardList::CardList(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(LINE_STEP);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground, true);
    viewport()->setAttribute(Qt::WA_TranslucentBackground, true);
}

void CardList::setSections(std::vector<Section> sections)
{
    m_sections = std::move(sections);
    m_cards.clear();
    for (const auto& section : m_sections)
        for (const auto& card : section.cards) m_cards.push_back(&card);
    if (m_selected >= static_cast<int>(m_cards.size())) m_selected = -1;
    updateScrollBar();
    viewport()->update();
}

void CardList::setSelected(int index)
{
    if (index < -1 || index >= static_cast<int>(m_cards.size())) index = -1;
    if (index == m_selected) return;
    m_selected = index;
    viewport()->update();
    emit selectionChanged(index);
}

std::vector<CardList::Placed> CardList::place(int width) const
{
    std::vector<Placed> placed;
    const int w = std::max(80, width - 2 * MARGIN);
    int y = 4;
    int index = 0;
    for (size_t s = 0; s < m_sections.size(); ++s) {
        const Section& section = m_sections[s];
        if (!section.heading.isEmpty()) {
            placed.push_back({static_cast<int>(s), -1, QRect(MARGIN, y, w, SECTION_HEIGHT)});
            y += SECTION_HEIGHT;
        }
        for (const auto& card : section.cards) {
            const int h = card_height(card, w);
            placed.push_back({static_cast<int>(s), index++, QRect(MARGIN, y, w, h)});
            y += h + CARD_GAP;
        }
    }
    return placed;
}

int CardList::contentHeight(int width) const
{
    const auto placed = place(width);
    return placed.empty() ? 0 : placed.back().rect.bottom() + 1 + CARD_GAP;
}

QRect CardList::cardRect(int index) const
{
    for (const auto& p : place(viewport()->width()))
        if (p.card == index) return p.rect;
    return {};
}

void CardList::updateScrollBar()
{
    const int page = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(LINE_STEP, page));
    bar->setRange(0, std::max(0, contentHeight(viewport()->width()) - page));
}

void CardList::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void CardList::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.translate(0, -verticalScrollBar()->value());
    for (const auto& placed : place(viewport()->width())) {
        if (placed.card < 0) {
            paint_section(p, m_sections[static_cast<size_t>(placed.section)].heading, placed.rect);
            continue;
        }
        paint_card(p, *m_cards[static_cast<size_t>(placed.card)], placed.rect,
                   m_selectable && placed.card == m_selected);
    }
}

int CardList::cardAt(const QPoint& point) const
{
    const QPoint content(point.x(), point.y() + verticalScrollBar()->value());
    for (const auto& placed : place(viewport()->width()))
        if (placed.card >= 0 && placed.rect.contains(content)) return placed.card;
    return -1;
}

void CardList::mousePressEvent(QMouseEvent* event)
{
    if (m_selectable && event->button() == Qt::LeftButton) {
        const int index = cardAt(event->position().toPoint());
        if (index >= 0) setSelected(index);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CardList::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_selectable && event->button() == Qt::LeftButton) {
        const int index = cardAt(event->position().toPoint());
        if (index >= 0) {
            setSelected(index);
            emit activated(index);
            return;
        }
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void CardList::wheelEvent(QWheelEvent* event)
{
    // One notch, one line.
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0) verticalScrollBar()->setValue(verticalScrollBar()->value() - notches * LINE_STEP);
    event->accept();
}

} // namespace ui
