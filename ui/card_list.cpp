#include "ui/card_list.h"

#include <QEvent>
#include <QFormLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "ui/widgets.h"

namespace ui {

namespace {

const char* tone_role(CardField::Tone tone)
{
    switch (tone) {
    case CardField::Tone::Good: return "good";
    case CardField::Tone::Bad: return "bad";
    case CardField::Tone::Normal: return nullptr;
    }
    return nullptr;
}

QFrame* make_card(const Card& card, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setProperty("role", "card");
    auto* layout = new QVBoxLayout(frame);
    auto* title = make_label(qtext(card.title), "section", frame);
    title->setProperty("role", "title");
    layout->addWidget(title);
    auto* form = new QFormLayout;
    form->setHorizontalSpacing(16);
    form->setVerticalSpacing(3);
    for (const auto& field : card.fields) {
        auto* value = make_wrapped_label(qtext(field.value), tone_role(field.tone), frame);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (field.label.empty()) form->addRow(value);
        else form->addRow(make_label(qtext(field.label), "muted", frame), value);
    }
    layout->addLayout(form);
    return frame;
}

} // namespace

CardList::CardList(QWidget* parent) : QScrollArea(parent)
{
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CardList::setSections(const std::vector<Section>& sections)
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setSpacing(10);
    m_cards.clear();
    for (const auto& section : sections) {
        if (!section.heading.isEmpty()) column->addWidget(make_label(section.heading, "section", content));
        for (const auto& card : section.cards) {
            QFrame* frame = make_card(card, content);
            frame->installEventFilter(this);
            for (QWidget* child : frame->findChildren<QWidget*>()) child->installEventFilter(this);
            m_cards.push_back(frame);
            column->addWidget(frame);
        }
    }
    column->addStretch();
    setWidget(content);
    if (m_selected >= count()) m_selected = -1;
}

QFrame* CardList::card(int index) const
{
    return index >= 0 && index < count() ? m_cards[static_cast<size_t>(index)] : nullptr;
}

void CardList::setSelected(int index)
{
    if (index < -1 || index >= count()) index = -1;
    if (index == m_selected) return;
    if (QFrame* old = card(m_selected)) set_style_property(old, "selected", false);
    m_selected = index;
    if (QFrame* now = card(m_selected)) {
        set_style_property(now, "selected", true);
        ensureWidgetVisible(now);
    }
    emit selectionChanged(index);
}

bool CardList::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool twice = event->type() == QEvent::MouseButtonDblClick;
    if (m_selectable && (press || twice) && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < count(); ++i) {
            QWidget* frame = m_cards[static_cast<size_t>(i)];
            if (watched != frame && !frame->isAncestorOf(qobject_cast<QWidget*>(watched))) continue;
            setSelected(i);
            if (twice) emit activated(i);
            break;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

} // namespace ui
