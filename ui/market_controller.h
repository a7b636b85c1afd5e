// The market as the desktop program holds it, without any widget: the last complete book, the
// wallet snapshot, the history and lots, busy state, the status line's text, the event log, and
// the policy of when the book is loaded (start-up, Refresh, after an action, the re-poll of a
// new listing, every 30 seconds while bound). Every slow call runs on a worker; results come
// back on the UI thread. The main window is a thin view over it. UI thread only.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "book/history.h"
#include "book/listing.h"
#include "ui/main_texts.h"
#include "ui/market_services.h"
#include "ui/wallet_snapshot.h"
#include "ui/worker_jobs.h"
#include "ui/workers.h"
#include "wallet/lots.h"

namespace ui {

// The buttons and tiles whose label shows a running action.
enum class Action { None, Connect, Refresh, Buy, List, Complete, Current, History, Cancel, Report };

// What an action is called and what its success says.
struct ActionSpec {
    Action tile = Action::None;
    std::string title;        // the message window's title ("Buy")
    std::string busy_status;  // the status line while it runs ("Building half-signed offer...")
    std::string done_text;    // the short line of a success ("Your offer is on the book.")
    bool list_post = false;   // its txid is a new listing, re-polled until it shows as live
};

// One line of the event log.
struct LoggedEvent {
    int64_t time = 0;
    std::string text;
};

class MarketController : public QObject {
    Q_OBJECT
public:
    struct Options {
        bool start_update_check = true;
        bool start_first_load = true;
    };
    MarketController(std::shared_ptr<MarketServices> services, Options options, QObject* parent = nullptr);
    ~MarketController() override;

    // --- State ---
    const std::vector<book::Listing>& book() const { return m_book; }
    const book::Listing* listing(const std::optional<tx::Txid>& id) const;
    const BookFreshness& freshness() const { return m_freshness; }
    const std::vector<book::HistoryRow>& historyRows() const { return m_history; }
    const std::vector<wallet::TvPursaOrdRow>& lots() const { return m_lots; }
    const WalletSnapshot& wallet() const { return m_wallet; }
    bool bound() const { return m_wallet.bound; }
    // The balance shown is older than the last load (its refresh failed).
    bool balanceStale() const { return m_balance_stale; }
    const std::string& status() const { return m_status; }
    // Whether the status line says why something failed.
    bool statusIsError() const { return m_status_error; }
    const std::vector<LoggedEvent>& events() const { return m_events; }
    bool isBusy() const { return m_busy; }
    Action busyTile() const { return m_busy_tile; }
    bool silentLoadRunning() const { return m_silent_load; }
    bool offersWaiting() const { return m_offers_waiting; }
    // Per listing of book(): an offer waits for the wallet's signature.
    const std::vector<bool>& waitingOffers() const { return m_waiting; }
    int updateCode() const { return m_update_code; }
    bool updateAvailable() const;
    const std::optional<tx::Txid>& pendingListing() const { return m_pending_id; }
    int pendingRetries() const { return m_pending_retries; }
    const std::shared_ptr<MarketServices>& services() const { return m_services; }
    const std::shared_ptr<PostTarget>& target() const { return m_target; }

    // --- What the view and the dialogs ask ---
    void setStatus(const std::string& text);
    // The status line saying why something failed.
    void setErrorStatus(const std::string& text);
    void showMessage(const QString& title, const QString& text, const QString& txid = {});
    void setBusy(bool busy, Action tile = Action::None);
    void reloadBook(bool silent);
    void refreshBalance();
    void connectWallet();
    void unbind();
    void requestLots();
    void requestHistory();
    // The common start of an action: without a wallet the message "Connect a Pursa wallet
    // first." (titled title); while busy "Already working..."; else busy with the tile and the
    // status given. True when the action may start.
    bool beginAction(const QString& title, Action tile, const std::string& status);
    // Runs a routine on a worker while busy with the action's tile; its result comes back to
    // finishAction (also when the dialog that asked has closed).
    void runAction(const ActionSpec& plan, std::function<trade::TradeResult<trade::Sent>(MarketServices&)> routine);
    // An action's result: busy state cleared, the result on the status line (kept there: the
    // book and the balance are reloaded quietly) and in the message window. A list post's txid
    // is re-polled until it shows as live.
    void finishAction(const ActionSpec& plan, const trade::TradeResult<trade::Sent>& result);
    // Runs job on a worker and hands its result to done on the UI thread (nothing runs after
    // the controller is gone).
    template <class Result>
    void runJob(std::function<Result(MarketServices&)> job, std::function<void(Result)> done)
    {
        run_worker<Result>(m_target, [services = m_services, job = std::move(job)] { return job(*services); },
                           std::move(done));
    }

signals:
    void bookChanged();        // a complete book replaced the one shown (or unbind emptied it)
    void freshnessChanged();
    void walletChanged();
    void statusChanged();
    void busyChanged();
    void offersWaitingChanged();
    void lotsArrived();        // lots() holds the wallet's lots
    void historyArrived();     // historyRows() holds a fresh history
    void updateChecked();
    void message(const QString& title, const QString& text, const QString& txid);
    void eventLogged(const QString& text);
    // A listing this program just posted now shows as live.
    void listingLive(const QString& id);
    // After a worker result was handled (tests wait on this).
    void workerDone();

private:
    void startBookWorker();
    void startBalanceWorker();
    void startUpdateWorker();
    void onBookLoaded(BookJobResult result);
    void applyBook(BookJobResult& result, bool silent);
    void applyWallet(const WalletSnapshot& wallet);
    void logEvent(const std::string& text);

    std::shared_ptr<MarketServices> m_services;
    std::shared_ptr<PostTarget> m_target;

    std::vector<book::Listing> m_book;
    std::vector<bool> m_waiting;
    BookFreshness m_freshness;
    bool m_have_book = false;  // a complete book of this binding has arrived
    std::vector<book::HistoryRow> m_history;
    bool m_history_known = false;
    std::vector<wallet::TvPursaOrdRow> m_lots;
    WalletSnapshot m_wallet;
    unsigned long long m_wallet_epoch = 1;
    bool m_balance_stale = false;
    std::string m_status;
    bool m_status_error = false;
    std::vector<LoggedEvent> m_events;
    bool m_busy = false;
    Action m_busy_tile = Action::None;
    bool m_silent_load = false;
    bool m_offers_waiting = false;
    std::optional<tx::Txid> m_pending_id;
    int m_pending_retries = 0;
    int m_update_code = -1;

    QTimer m_repoll_timer;
    QTimer m_auto_timer;
};

} // namespace ui
