// What a trade dialog needs of the program: the main window (its parent, the selected listing),
// the controller (book, wallet, busy state, status line, messages) and the trade services its
// workers call. Runs the two kinds of worker the dialogs start: a check that answers back to the
// UI thread, and an action whose result text reaches the controller. UI thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/main_window.h"
#include "ui/trade_services.h"

namespace ui {

class DialogContext {
public:
    DialogContext(MainWindow& window, std::shared_ptr<TradeServices> services)
        : m_window(&window), m_services(std::move(services))
    {
    }

    MainWindow& window() const { return *m_window; }
    MarketController& controller() const { return m_window->controller(); }
    const std::shared_ptr<TradeServices>& services() const { return m_services; }

    // True (and "Already working..." on the status line) while another action runs.
    bool refuseWhenBusy() const;

    // Runs job on a worker while busy with the tile (Action::None: no tile animates) and the
    // status line says what is being checked. On the UI thread, busy state and the status line
    // are put back, then done receives the job's result, or nullopt when the job failed.
    template <class Result>
    void check(Action tile, const std::string& status, std::function<Result(TradeServices&)> job,
               std::function<void(std::optional<Result>)> done) const
    {
        MarketController& c = controller();
        const std::string before = c.status();
        c.setBusy(true, tile);
        c.setStatus(status);
        QPointer<MainWindow> window = m_window;
        c.runJob<std::optional<Result>>(
            [services = m_services, job = std::move(job)](MarketServices&) -> std::optional<Result> {
                try {
                    return job(*services);
                } catch (...) {
                    return std::nullopt;
                }
            },
            [window, before, done = std::move(done)](std::optional<Result> result) {
                if (window) {
                    window->controller().setBusy(false);
                    window->controller().setStatus(before);
                }
                done(std::move(result));
            });
    }

    // Starts a trade routine: busy with the action's tile, its status line, and a worker whose
    // result reaches the controller (also when the dialog that asked has long closed).
    void startAction(const ActionSpec& plan, std::function<trade::TradeResult<trade::Sent>(TradeServices&)> routine) const;

    // The message window titled title.
    void refuse(const QString& title, const std::string& text) const;
    // Asks a question in a window-modal message window; yes runs when it is confirmed.
    void confirm(const QString& title, const std::string& question, const QString& confirm_label,
                 std::function<void()> yes) const;

private:
    MainWindow* m_window;
    std::shared_ptr<TradeServices> m_services;
};

} // namespace ui
