#include "ui/market_controller.h"
#include "core/market_clock.h"

#include <algorithm>

#include "core/text.h"
#include "trade/result_text.h"
#include "ui/book_filter.h"
#include "ui/main_texts.h"
#include "ui/market_events.h"
#include "ui/version_check.h"
#include "ui/waiting_offer.h"

namespace ui {

namespace {


} // namespace

MarketController::MarketController(std::shared_ptr<MarketServices> services, Options options, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_target(std::make_shared<PostTarget>(this))
{
    set_progress_target(m_target, [this](const std::string& text) { setStatus(text); });

    // A listing just posted is looked for again until it shows as live.
    m_repoll_timer.setInterval(2000);
    m_repoll_timer.setSingleShot(true);
    connect(&m_repoll_timer, &QTimer::timeout, this, [this] {
        if (m_busy || m_silent_load) return;
        m_silent_load = true;
        startBookWorker();
    });
    m_auto_timer.setInterval(30000);
    connect(&m_auto_timer, &QTimer::timeout, this, [this] {
        if (m_wallet.bound && !m_busy && !m_silent_load) reloadBook(true);
    });

    m_status = STATUS_WELCOME;
    if (options.start_first_load) reloadBook(false);
    m_auto_timer.start();
    if (options.start_update_check) startUpdateWorker();
}

MarketController::~MarketController()
{
    m_target->detach();
    if (progress_target() == m_target) set_progress_target(nullptr, {});
}

const book::Listing* MarketController::listing(const std::optional<tx::Txid>& id) const
{
    if (!id) return nullptr;
    for (const auto& listing : m_book)
        if (listing.id == id) return &listing;
    return nullptr;
}

bool MarketController::updateAvailable() const { return update_available(m_update_code); }

void MarketController::setStatus(const std::string& text)
{
    m_status = text;
    m_status_error = false;
    emit statusChanged();
}

void MarketController::setErrorStatus(const std::string& text)
{
    m_status = text;
    m_status_error = true;
    emit statusChanged();
}

void MarketController::showMessage(const QString& title, const QString& text, const QString& txid)
{
    emit message(title, text, txid);
}

void MarketController::logEvent(const std::string& text)
{
    m_events.push_back({core::system_seconds(), text});
    setStatus(text);
    emit eventLogged(QString::fromStdString(text));
}

void MarketController::setBusy(bool busy, Action tile)
{
    m_busy = busy;
    m_busy_tile = busy ? tile : Action::None;
    emit busyChanged();
}

// ---------------------------------------------------------------------------------------------
// Wallet

void MarketController::applyWallet(const WalletSnapshot& wallet)
{
    // A snapshot read before the last connect or unbind describes a binding that is gone.
    if (wallet.epoch != m_wallet_epoch) return;
    const bool known = m_wallet.balance_known || wallet.balance_known;
    const bool same = wallet.bound && wallet.wallet_id == m_wallet.wallet_id;
    m_wallet = wallet;
    m_wallet.balance_known = same ? known : wallet.balance_known;
    emit walletChanged();
}

void MarketController::refreshBalance()
{
    if (m_wallet.bound) startBalanceWorker();
}

void MarketController::startBalanceWorker()
{
    const unsigned long long epoch = m_wallet_epoch;
    runJob<BalanceJobResult>([](MarketServices& services) { return run_balance_job(services); },
                             [this, epoch](BalanceJobResult job) {
                                 job.wallet.epoch = epoch;
                                 job.wallet.balance_known = true;
                                 if (epoch == m_wallet_epoch) m_balance_stale = !job.ok;
                                 applyWallet(job.wallet);
                                 emit workerDone();
                             });
}

void MarketController::connectWallet()
{
    if (m_busy) return setStatus(STATUS_ALREADY_WORKING);
    if (m_wallet.bound) return setStatus("Already connected. Unbind to pick another wallet.");
    setBusy(true, Action::Connect);
    setStatus("Waiting for Pursa to approve...");
    const unsigned long long epoch = ++m_wallet_epoch;
    runJob<ConnectJobResult>([](MarketServices& services) { return run_connect_job(services); },
                             [this, epoch](ConnectJobResult job) {
                                 setBusy(false);
                                 job.wallet.epoch = epoch;
                                 applyWallet(job.wallet);
                                 if (job.result) {
                                     setStatus("Connected. Loading the book...");
                                     reloadBook(false);
                                 } else {
                                     setErrorStatus(trade::failure_text(job.result.error()));
                                 }
                                 emit workerDone();
                             });
}

void MarketController::unbind()
{
    ++m_wallet_epoch;
    run_on_pool(Pool::Actions, [services = m_services] { services->disconnect(); });
    m_wallet = WalletSnapshot{};
    m_wallet.epoch = m_wallet_epoch;
    m_book.clear();
    m_waiting.clear();
    m_have_book = false;
    m_history.clear();
    m_history_known = false;
    m_offers_waiting = false;
    m_balance_stale = false;
    m_freshness = BookFreshness{};
    emit walletChanged();
    emit bookChanged();
    emit freshnessChanged();
    emit offersWaitingChanged();
    setStatus("Unbound. Connect again to pick a wallet in Pursa.");
}

// ---------------------------------------------------------------------------------------------
// Book

void MarketController::reloadBook(bool silent)
{
    if (m_silent_load) return;
    if (m_busy) {
        if (!silent) setStatus(STATUS_ALREADY_WORKING);
        return;
    }
    if (!silent) {
        setBusy(true, Action::Refresh);
        setStatus(STATUS_LOADING_BOOK);
    } else {
        m_silent_load = true;
    }
    startBookWorker();
}

void MarketController::startBookWorker()
{
    const unsigned long long epoch = m_wallet_epoch;
    runJob<BookJobResult>([](MarketServices& services) { return run_book_job(services, true); },
                          [this, epoch](BookJobResult job) {
                              job.wallet.epoch = epoch;
                              onBookLoaded(std::move(job));
                              emit workerDone();
                          });
}

void MarketController::onBookLoaded(BookJobResult result)
{
    const bool was_silent = m_silent_load;
    m_silent_load = false;
    if (!was_silent) setBusy(false);
    if (result.wallet.epoch == m_wallet_epoch && result.wallet.bound)
        m_balance_stale = !(result.ok && result.complete && result.balance_ok);
    applyWallet(result.wallet);

    if (result.ok && result.complete) {
        applyBook(result, was_silent);
        return;
    }
    // An outage or a partial read never replaces the market on screen.
    m_freshness.complete = false;
    m_freshness.offline = !result.ok;
    m_freshness.unread = result.ok ? result.unread : 0;
    emit freshnessChanged();
    if (was_silent) return;
    if (result.ok) setStatus(incomplete_load_status(result.unread));
    else setErrorStatus(result.error);
}

void MarketController::applyBook(BookJobResult& result, bool silent)
{
    const bool had_offers = m_offers_waiting;
    std::vector<book::Listing> before = std::move(m_book);
    std::vector<book::HistoryRow> history_before = m_history;
    const bool compare_history = m_history_known && result.history_ok;
    const bool compare = m_have_book && m_wallet.bound;
    m_book = std::move(result.view);
    if (result.history_ok) {
        m_history = std::move(result.history);
        m_history_known = true;
    }
    m_have_book = true;
    m_freshness = BookFreshness{true, false, 0, core::system_seconds()};

    auto spends = [this](const std::string& offer, const tx::Outpoint& utxo) {
        return m_services->offer_spends_listing(offer, utxo);
    };
    m_waiting.assign(m_book.size(), false);
    for (size_t i = 0; i < m_book.size(); ++i)
        m_waiting[i] = m_wallet.bound && has_waiting_offer(m_book[i], m_wallet.identity_key, spends);
    m_offers_waiting = std::find(m_waiting.begin(), m_waiting.end(), true) != m_waiting.end();

    std::optional<tx::Txid> went_live;
    if (m_pending_id) {
        const book::Listing* posted = listing(m_pending_id);
        if (posted && posted->status == book::ListingStatus::Live) {
            went_live = m_pending_id;
            m_pending_id.reset();
        } else if (m_pending_retries < 2) {
            ++m_pending_retries;
            m_repoll_timer.start();
        } else {
            m_pending_id.reset();
        }
    }
    emit bookChanged();
    emit freshnessChanged();
    emit offersWaitingChanged();
    if (went_live) emit listingLive(QString::fromStdString(went_live->hex()));

    std::vector<MarketEvent> events;
    if (compare)
        events = market_events(before, m_book, compare_history ? history_before : m_history, m_history,
                               m_wallet.identity_key);
    for (const auto& event : events) logEvent(event.text);
    if (!events.empty()) return;
    if (m_offers_waiting && !had_offers) setStatus(STATUS_OFFER_WAITING);
    else if (!silent) setStatus(book_loaded_status(live_count(m_book)));
}

// ---------------------------------------------------------------------------------------------
// Actions

bool MarketController::beginAction(const QString& title, Action tile, const std::string& status)
{
    if (!m_wallet.bound) {
        showMessage(title, "Connect a Pursa wallet first.");
        return false;
    }
    if (m_busy) {
        setStatus(STATUS_ALREADY_WORKING);
        return false;
    }
    setBusy(true, tile);
    setStatus(status);
    return true;
}

void MarketController::runAction(const ActionSpec& plan, std::function<trade::TradeResult<trade::Sent>(MarketServices&)> routine)
{
    using Sent = trade::TradeResult<trade::Sent>;
    setBusy(true, plan.tile);
    setStatus(plan.busy_status);
    runJob<Sent>(
        [routine = std::move(routine)](MarketServices& services) -> Sent {
            try {
                return routine(services);
            } catch (const std::exception& e) {
                return trade::TradeError(trade::TradeCode::Stopped, std::string("the action stopped: ") + e.what());
            } catch (...) {
                return trade::TradeError(trade::TradeCode::Stopped, "the action stopped unexpectedly.");
            }
        },
        [this, plan](Sent result) {
            finishAction(plan, result);
            emit workerDone();
        });
}

void MarketController::finishAction(const ActionSpec& plan, const trade::TradeResult<trade::Sent>& result)
{
    setBusy(false);
    const ActionOutcome outcome = action_outcome(plan.done_text, result);
    if (outcome.success) setStatus(outcome.status);
    else setErrorStatus(outcome.status);
    if (plan.list_post && outcome.success && !outcome.txid.empty()) {
        m_pending_id = tx::Txid::parse(outcome.txid);
        m_pending_retries = 0;
    }
    showMessage(QString::fromStdString(plan.title.empty() ? std::string("Tavrin Agoran") : plan.title),
                QString::fromStdString(outcome.text), QString::fromStdString(outcome.txid));
    // A quiet reload, so that the status line keeps the result until something new happens.
    reloadBook(true);
}

void MarketController::requestLots()
{
    if (!beginAction("List", Action::List, "Loading lots from this wallet...")) return;
    struct Lots {
        std::vector<wallet::TvPursaOrdRow> rows;
        std::string error;
    };
    runJob<Lots>(
        [](MarketServices& services) {
            Lots lots;
            try {
                lots.error = services.list_lots(lots.rows);
            } catch (...) {
                lots.rows.clear();
                lots.error = trade::refusal_text("could not list the lots.");
            }
            return lots;
        },
        [this](Lots lots) {
            setBusy(false);
            m_lots = std::move(lots.rows);
            if (!lots.error.empty()) {
                setErrorStatus(lots.error);
            } else if (m_lots.empty()) {
                setStatus("No lots on this wallet yet. Mint or receive in Pursa first.");
            } else {
                setStatus("Pick a lot and post a listing.");
                emit lotsArrived();
            }
            emit workerDone();
        });
}

void MarketController::requestHistory()
{
    if (!beginAction("History", Action::History, "Loading your Tavrin Agoran history...")) return;
    struct History {
        std::vector<book::HistoryRow> rows;
        std::string error;
    };
    runJob<History>(
        [](MarketServices& services) {
            History history;
            try {
                // The wallet's identity is read on the worker, as the history needs it.
                const std::string key = services.wallet_snapshot().identity_key;
                if (!services.load_history(key, history.rows, history.error) && history.error.empty())
                    history.error = trade::refusal_text("history load failed");
            } catch (...) {
                history.rows.clear();
                history.error = trade::refusal_text("history load failed");
            }
            return history;
        },
        [this](History history) {
            setBusy(false);
            if (!history.error.empty()) {
                showMessage("History", QString::fromStdString(history.error));
            } else {
                m_history = std::move(history.rows);
                m_history_known = true;
                setStatus("History loaded.");
                emit historyArrived();
            }
            emit workerDone();
        });
}

void MarketController::startUpdateWorker()
{
    runJob<int>([](MarketServices& services) { return run_update_job(services); },
                [this](int code) {
                    m_update_code = code;
                    emit updateChecked();
                    emit workerDone();
                });
}

} // namespace ui
