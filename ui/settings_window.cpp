#include "ui/settings_window.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QFormLayout>
#include <QVBoxLayout>

#include "ui/help_texts.h"
#include "ui/theme.h"
#include "ui/ui_style.h"
#include "ui/widgets.h"

namespace ui {

SettingsWindow::SettingsWindow(QWidget* owner) : QDialog(owner)
{
    setObjectName("TavrinNodeAgoranSettings");
    setWindowTitle("Settings");
    setAttribute(Qt::WA_DeleteOnClose, true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_theme = new QComboBox(this);
    m_theme->setObjectName("theme");
    for (int i = 0; i < THEME_COUNT; ++i) m_theme->addItem(QString::fromUtf8(theme_shown_name(i).data()));
    m_theme->setCurrentIndex(active_theme_index());
    connect(m_theme, &QComboBox::currentIndexChanged, this, &SettingsWindow::themeChosen);
    form->addRow(make_label("Theme", "muted", this), m_theme);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(this);
    auto* terms = buttons->addButton("Terms of Use", QDialogButtonBox::ActionRole);
    terms->setObjectName("terms");
    connect(terms, &QPushButton::clicked, this, &SettingsWindow::termsRequested);
    auto* close = buttons->addButton("Close", QDialogButtonBox::RejectRole);
    close->setObjectName("close");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

HelpWindow::HelpWindow(QWidget* owner) : QDialog(owner)
{
    setObjectName("TavrinNodeAgoranHelp");
    setWindowTitle(HELP_HEADING);
    setAttribute(Qt::WA_DeleteOnClose, true);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addWidget(make_label(HELP_HEADING, "title", this));
    layout->addWidget(make_wrapped_label(HELP_INTRO, nullptr, this));
    int number = 1;
    for (const auto& card : help_cards()) {
        auto* frame = new QFrame(this);
        frame->setProperty("role", "card");
        auto* inner = new QVBoxLayout(frame);
        inner->addWidget(make_label(QString("%1.  %2").arg(number++).arg(card.title), "section", frame));
        inner->addWidget(make_wrapped_label(card.text, nullptr, frame));
        layout->addWidget(frame);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName("close");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(560);
}

} // namespace ui
