#include "ui/message_window.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/main_texts.h"
#include "ui/time_text.h"
#include "ui/widgets.h"

namespace ui {

MessageWindow::MessageWindow(const QString& title, const QString& text, const QString& txid, QWidget* parent)
    : MessageWindow(title, text, txid, QString(), parent)
{
}

MessageWindow::MessageWindow(const QString& title, const QString& text, const QString& txid,
                             const QString& confirm_label, QWidget* parent)
    : QDialog(parent), m_txid(txid)
{
    setObjectName("TavrinNodeAgoranNote");
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose, true);
    setMinimumWidth(420);
    setMaximumWidth(720);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addWidget(make_label(title, "title", this));
    m_text = make_wrapped_label(text, nullptr, this);
    m_text->setObjectName("note.text");
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_text);

    if (!m_txid.isEmpty()) {
        auto* row = new QHBoxLayout;
        auto* shown = make_label("Transaction " + qtext(short_txid(utf8(m_txid))), "muted", this);
        shown->setObjectName("note.shortTxid");
        shown->setToolTip(m_txid);
        auto* copy = make_button("Copy txid", "note.copy", this);
        copy->setIcon(glyph_icon(Glyph::Copy, qcolor(active_theme().glyph)));
        copy->setToolTip("Copies the whole transaction id: " + m_txid);
        connect(copy, &QPushButton::clicked, this, [this, copy] {
            QGuiApplication::clipboard()->setText(m_txid);
            copy->setText("Copied");
        });
        row->addWidget(shown);
        row->addStretch();
        row->addWidget(copy);
        layout->addLayout(row);
    }

    m_events_heading = make_label("Events this session", "section", this);
    m_events = new QListWidget(this);
    m_events->setObjectName("note.events");
    m_events->setMaximumHeight(140);
    m_events->setWordWrap(true);
    m_events_heading->hide();
    m_events->hide();
    layout->addWidget(m_events_heading);
    layout->addWidget(m_events);

    auto* buttons = new QDialogButtonBox(this);
    if (!confirm_label.isEmpty()) {
        m_confirm = buttons->addButton(confirm_label, QDialogButtonBox::AcceptRole);
        m_confirm->setObjectName("note.confirm");
    }
    m_close = buttons->addButton("Close", QDialogButtonBox::RejectRole);
    m_close->setObjectName("note.close");
    (m_confirm ? m_confirm : m_close)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

MessageWindow* MessageWindow::ask(QWidget* parent, const QString& title, const QString& question,
                                  const QString& confirm_label, std::function<void()> on_confirm)
{
    auto* window = new MessageWindow(title, question, QString(), confirm_label, parent);
    connect(window, &QDialog::accepted, window, [on_confirm = std::move(on_confirm)] {
        if (on_confirm) on_confirm();
    });
    window->open();
    return window;
}

void MessageWindow::setEvents(const std::vector<LoggedEvent>& events)
{
    m_events->clear();
    for (auto it = events.rbegin(); it != events.rend(); ++it)
        m_events->addItem(qtext(local_time_text(it->time, "%H:%M") + "  " + it->text));
    m_events_heading->setVisible(!events.empty());
    m_events->setVisible(!events.empty());
}

} // namespace ui
