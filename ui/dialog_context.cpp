#include "ui/dialog_context.h"

#include "ui/main_texts.h"
#include "ui/message_window.h"

namespace ui {

bool DialogContext::refuseWhenBusy() const
{
    if (!controller().isBusy()) return false;
    controller().setStatus(STATUS_ALREADY_WORKING);
    return true;
}

void DialogContext::startAction(const ActionSpec& plan,
                                std::function<trade::TradeResult<trade::Sent>(TradeServices&)> routine) const
{
    controller().runAction(plan, [services = m_services, routine = std::move(routine)](MarketServices&) {
        return routine(*services);
    });
}

void DialogContext::refuse(const QString& title, const std::string& text) const
{
    m_window->showMessage(title, qtext(text));
}

void DialogContext::confirm(const QString& title, const std::string& question, const QString& confirm_label,
                            std::function<void()> yes) const
{
    MessageWindow::ask(m_window, title, qtext(question), confirm_label, std::move(yes));
}

} // namespace ui
