#include "ui/dialog_context.h"

#include "ui/main_texts.h"

namespace ui {

bool DialogContext::refuseWhenBusy() const
{
    if (!m_main->isBusy()) return false;
    m_main->setStatus(QString(STATUS_ALREADY_WORKING));
    return true;
}

void DialogContext::startAction(int tile, const QString& status, std::function<std::string(TradeServices&)> routine,
                                bool list_post) const
{
    m_main->setBusy(true, tile);
    m_main->setStatus(status);
    m_main->startWorker([services = m_services, routine = std::move(routine), list_post](MarketServices&,
                                                                                          PostTarget& target) {
        auto payload = std::make_unique<ActionResultPayload>();
        payload->list_post = list_post;
        try {
            payload->result = routine(*services);
        } catch (const std::exception& e) {
            payload->result = std::string("error: the action stopped: ") + e.what();
        } catch (...) {
            payload->result = std::string("error: the action stopped unexpectedly.");
        }
        target.post(MSG_ACTION_RESULT, std::move(payload));
    });
}

void DialogContext::postResult(const std::string& result) const
{
    auto payload = std::make_unique<ActionResultPayload>();
    payload->result = result;
    m_main->postTarget()->post(MSG_ACTION_RESULT, std::move(payload));
}

void DialogContext::refuse(const QString& title, const std::string& text) const
{
    m_main->showMessage(title, qtext(text));
}

} // namespace ui
