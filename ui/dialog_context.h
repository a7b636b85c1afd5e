// What a trade dialog needs of the program: the main window (busy state, status line, message
// window, book and wallet snapshot) and the trade services its workers call. Runs the two kinds
// of worker the dialogs start: a check that answers back to the UI thread, and an action whose
// result text reaches the main window as MSG_ACTION_RESULT. UI thread.
#pragma once

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/main_window.h"
#include "ui/trade_services.h"

namespace ui {

class DialogContext {
public:
    DialogContext(MainWindow& main, std::shared_ptr<TradeServices> services)
        : m_main(&main), m_services(std::move(services))
    {
    }

    MainWindow& main() const { return *m_main; }
    const std::shared_ptr<TradeServices>& services() const { return m_services; }

    // True (and "Already working..." on the status line) while another action runs.
    bool refuseWhenBusy() const;

    // Runs job on a worker while the main window is busy with the tile (0: no tile animates) and
    // the status line says what is being checked. On the UI thread, busy state and the status
    // line are put back, then done receives the job's result, or nullopt when the job failed.
    template <class Result>
    void check(int tile, const QString& status, std::function<Result(TradeServices&)> job,
               std::function<void(std::optional<Result>)> done) const
    {
        const QString before = m_main->statusText();
        m_main->setBusy(true, tile);
        m_main->setStatus(status);
        QPointer<MainWindow> main = m_main;
        m_main->startWorker([services = m_services, job = std::move(job), done = std::move(done), before,
                             main](MarketServices&, PostTarget& target) {
            auto result = std::make_shared<std::optional<Result>>();
            try {
                *result = job(*services);
            } catch (...) {
                result->reset();
            }
            target.post_call([result, done, before, main] {
                if (main) {
                    main->setBusy(false);
                    main->setStatus(before);
                }
                done(std::move(*result));
            });
        });
    }

    // Starts a trade routine: busy with the tile, the status line, and a worker whose result
    // text reaches the main window (also when the dialog that asked has long closed).
    void startAction(int tile, const QString& status, std::function<std::string(TradeServices&)> routine,
                     bool list_post = false) const;

    // Hands a result text to the main window as a trade worker's MSG_ACTION_RESULT.
    void postResult(const std::string& result) const;

    // The message window titled title.
    void refuse(const QString& title, const std::string& text) const;

private:
    MainWindow* m_main;
    std::shared_ptr<TradeServices> m_services;
};

} // namespace ui
