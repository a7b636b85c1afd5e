// The main window: banner with the binding controls, wallet panel, the seven tiles, the filter
// bar, the book table, the status line and the version label. It owns the UI state, receives
// every worker message, runs the timers and decides when the book is reloaded. UI thread only;
// it never waits on the network and never takes the wallet lock: what it knows of the wallet is
// the snapshot the workers hand it.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "book/history.h"
#include "book/listing.h"
#include "ui/app_messages.h"
#include "ui/book_table_model.h"
#include "ui/market_services.h"
#include "ui/owner_button.h"
#include "ui/post_target.h"
#include "ui/status_text.h"
#include "ui/wallet_snapshot.h"

namespace ui {

class MessageWindow;
class SettingsWindow;
class HelpWindow;
class ThumbnailCache;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    struct Options {
        bool start_update_check = true;
        bool start_first_load = true;
        bool ask_update_question = true;  // the Yes/No box when an update is available
    };

    explicit MainWindow(std::shared_ptr<MarketServices> services, Options options, QWidget* parent = nullptr);
    explicit MainWindow(std::shared_ptr<MarketServices> services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- Operations the dialogs call (UI thread) ---
    void setStatus(const QString& text);
    void setStatus(const std::string& text) { setStatus(qtext(text)); }
    // The status as shown (without trailing dots) and whether it animates.
    QString statusText() const;
    QColor statusColour() const;
    bool statusAnimating() const;

    void setBusy(bool busy, int buttonId = 0);
    bool isBusy() const { return m_busy; }
    void reloadBook(bool silent);
    void refreshWalletTexts();
    void refreshBalance();
    void refillTable();
    void rebuildSellerChoices();
    bool hasWaitingOffer(const book::Listing& listing) const;

    // The message window; with a confirm label it is modal and returns whether the user
    // confirmed (a nested loop runs until it closes). Opening one closes the previous one.
    bool showMessage(const QString& title, const QString& text, const QString& txid = {},
                     const QString& confirmLabel = {});
    MessageWindow* messageWindow() const;

    // The listing at the selected index, or null.
    const book::Listing* selectedListing() const;
    const std::vector<book::Listing>& book() const { return m_book; }
    const std::vector<book::HistoryRow>& historyRows() const { return m_history; }
    const std::vector<wallet::TvPursaOrdRow>& lots() const { return m_lots; }
    const WalletSnapshot& wallet() const { return m_wallet; }
    bool bound() const { return m_wallet.bound; }

    // Starts a worker whose body receives the services and posts through the given target.
    using WorkerBody = std::function<void(MarketServices&, PostTarget&)>;
    void startWorker(WorkerBody body);
    std::shared_ptr<MarketServices> services() const { return m_services; }
    std::shared_ptr<PostTarget> postTarget() const { return m_target; }
    // The epoch a snapshot read by a worker started now must carry.
    unsigned long long walletEpoch() const { return m_wallet_epoch; }

    // Places a secondary window beside this one, inside the screen's work area.
    void placeBeside(QWidget* window) const;

    // What a tile does when pressed (the trade dialogs register theirs). Tiles without a handler
    // ask for a wallet, then say the action is not available.
    void setTileHandler(int controlId, std::function<void()> handler);
    // Called with MSG_LOTS_LOADED when lots arrived (they are in lots()), and with
    // MSG_HISTORY_LOADED on success.
    void setLotsHandler(std::function<void(LotsLoadedPayload&)> handler) { m_lots_handler = std::move(handler); }
    void setHistoryHandler(std::function<void()> handler) { m_history_handler = std::move(handler); }

    // The common start of a tile's action: without a wallet the message window (titled title)
    // says "Connect a Pursa wallet first."; while busy the status says "Already working...";
    // otherwise busy with the tile and the status given. True when the action may start.
    bool beginAction(const QString& title, int tileId, const QString& status);

    // The List and History tiles' first step: refusals in the message window, else busy with
    // the tile and the lots (or history) worker, whose message calls the handler above.
    void requestLots();
    void requestHistory();

    void applyTheme(int index);
    OwnerButton* button(int controlId) const;
    BookView* table() const { return m_view; }
    BookTableModel* bookModel() const { return m_model; }
    BookFilterProxy* bookProxy() const { return m_proxy; }
    ThumbnailCache* thumbnails() const { return m_thumbs; }

    int updateCode() const { return m_update_code; }
    bool updateAvailable() const { return m_update_available; }
    bool offersWaiting() const { return m_offers_waiting; }
    bool silentLoadRunning() const { return m_silent_load; }
    const std::string& pendingListing() const { return m_pending_id; }
    int pendingRetries() const { return m_pending_retries; }

    // A second start asked this copy to come forward.
    void bringForward();

    void openSettings();
    void openHelp();
    void openTerms();

signals:
    // After a worker message was handled (tests and dialogs wait on these).
    void messageHandled(int message);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    void handleMessage(AppMessageEvent& event);
    void onConnectResult(ConnectResultPayload* payload);
    void onBookLoaded(BookLoadedPayload* payload);
    void onActionResult(ActionResultPayload* payload);
    void onLotsLoaded(LotsLoadedPayload* payload);
    void onHistoryLoaded(HistoryLoadedPayload* payload);
    void onBalanceDone(BalanceDonePayload* payload);
    void onUpdateChecked(UpdateCheckedPayload* payload);
    void applyWallet(const WalletSnapshot& wallet);

    void onConnect();
    void onUnbind();
    void onCopy();
    void onTile(int controlId);
    void onSelectionChanged();
    void onRowActivated(const QModelIndex& index);
    void startBookWorker();
    void startBalanceWorker();
    void startUpdateWorker();
    void restoreSelection();
    void updateFlash();
    void updateVersionLabel();
    void busyTick();
    void statusTick();

    std::shared_ptr<MarketServices> m_services;
    std::shared_ptr<PostTarget> m_target;
    Options m_options;

    // UI state.
    std::vector<book::Listing> m_book;
    std::vector<book::HistoryRow> m_history;
    std::vector<wallet::TvPursaOrdRow> m_lots;
    std::string m_selected_id;
    WalletSnapshot m_wallet;
    unsigned long long m_wallet_epoch = 1;
    bool m_busy = false;
    int m_busy_button = 0;
    bool m_silent_load = false;
    bool m_offers_waiting = false;
    bool m_flash_on = false;
    bool m_refilling = false;
    std::string m_pending_id;
    int m_pending_retries = 0;
    int m_update_code = -1;
    bool m_update_available = false;
    QString m_status_base;
    StatusKind m_status_kind = StatusKind::Normal;
    unsigned m_status_tick = 0;

    // Controls.
    std::map<int, OwnerButton*> m_buttons;
    std::map<int, std::function<void()>> m_tile_handlers;
    std::function<void(LotsLoadedPayload&)> m_lots_handler;
    std::function<void()> m_history_handler;
    TextLabel* m_wallet_label = nullptr;
    TextLabel* m_wallet_value = nullptr;
    TextLabel* m_balance_label = nullptr;
    TextLabel* m_balance_value = nullptr;
    TextLabel* m_row_count = nullptr;
    TextLabel* m_status = nullptr;
    TextLabel* m_version = nullptr;
    QLineEdit* m_search = nullptr;
    QComboBox* m_item_filter = nullptr;
    QComboBox* m_seller_filter = nullptr;
    QComboBox* m_status_filter = nullptr;
    BookView* m_view = nullptr;
    BookTableModel* m_model = nullptr;
    BookFilterProxy* m_proxy = nullptr;
    BookDelegate* m_delegate = nullptr;
    ThumbnailCache* m_thumbs = nullptr;

    QPointer<MessageWindow> m_note;
    QPointer<SettingsWindow> m_settings;
    QPointer<HelpWindow> m_help;

    QTimer m_busy_timer;
    QTimer m_status_timer;
    QTimer m_repoll_timer;
    QTimer m_flash_timer;
    QTimer m_auto_timer;
};

} // namespace ui
