// The main window: a thin view over the MarketController. The banner with the binding controls
// and the services badge, the wallet panel, the seven tiles, the filter bar, the book table
// with its freshness marker, and the status line, all in layouts that fit a 1366x768 screen
// and grow with it. It shows what the controller holds, animates busy state and waiting
// offers, and hands every button to the controller or to the tile's handler. UI thread.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "ui/book_table_model.h"
#include "ui/market_controller.h"
#include "ui/widgets.h"

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

    MainWindow(std::shared_ptr<MarketServices> services, Options options, QWidget* parent = nullptr);
    explicit MainWindow(std::shared_ptr<MarketServices> services, QWidget* parent = nullptr);
    ~MainWindow() override;

    MarketController& controller() { return *m_controller; }
    const MarketController& controller() const { return *m_controller; }

    // The status line as shown (without its animated dots), and its kind ("", "progress",
    // "error").
    QString statusText() const;
    QString statusKind() const;

    // The listing of the selected row, or null.
    const book::Listing* selectedListing() const;
    // Selects the row of a listing and scrolls it into the middle of the table (Scroll::Centre),
    // just into view, or not at all; false when the table does not show it.
    enum class Scroll { Centre, IntoView, None };
    bool showListing(const std::optional<tx::Txid>& id, Scroll scroll = Scroll::Centre);

    // The message window (at most one; opening one closes the previous).
    void showMessage(const QString& title, const QString& text, const QString& txid = {});
    MessageWindow* messageWindow() const;

    // What a tile does when pressed (the trade dialogs register theirs); List and History load
    // their rows by default, other tiles without a handler ask for a wallet.
    void setTileHandler(Action tile, std::function<void()> handler);
    TileButton* tile(Action tile) const;
    QPushButton* refreshButton() const { return m_refresh; }
    QPushButton* connectButton() const { return m_connect; }

    BookView* table() const { return m_view; }
    BookTableModel* bookModel() const { return m_model; }
    BookSortProxy* bookProxy() const { return m_proxy; }
    ThumbnailCache* thumbnails() const { return m_thumbs; }
    QLabel* bookMarker() const { return m_marker; }

    void openSettings();
    void openHelp();
    void openTerms();
    void applyTheme(int index);
    // A second start asked this copy to come forward.
    void bringForward();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildBanner();
    QWidget* buildWalletPanel();
    QWidget* buildTiles();
    QWidget* buildFilterBar();
    QWidget* buildBottomBar();
    void onTile(Action tile);
    void onBookChanged();
    void refillTable();
    void rebuildSellerChoices();
    void refreshWalletTexts();
    void refreshStatus();
    void refreshBusy();
    void refreshMarker();
    void refreshVersion();
    void onUpdateChecked();
    void onRowActivated(const QModelIndex& index);
    void onSelectionChanged();
    void saveColumnWidths();
    // Opens url in the web browser; when none starts, copies it and says so in the status line.
    void openPage(const std::string& url, const std::string& what);
    void animationTick();

    std::unique_ptr<MarketController> m_controller;
    Options m_options;
    std::optional<tx::Txid> m_selected_id;
    bool m_refilling = false;
    bool m_columns_sized = false;
    unsigned m_tick = 0;
    bool m_flash_on = false;

    std::map<Action, TileButton*> m_tiles;
    std::map<Action, std::function<void()>> m_tile_handlers;
    QPushButton* m_connect = nullptr;
    QPushButton* m_unbind = nullptr;
    QPushButton* m_refresh = nullptr;
    QToolButton* m_settings_button = nullptr;
    QLabel* m_badge = nullptr;
    QLabel* m_wallet_value = nullptr;
    QLabel* m_balance_value = nullptr;
    QLabel* m_balance_note = nullptr;
    QLabel* m_row_count = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_version = nullptr;
    QLabel* m_marker = nullptr;
    QLineEdit* m_search = nullptr;
    QComboBox* m_item_filter = nullptr;
    QComboBox* m_seller_filter = nullptr;
    QComboBox* m_status_filter = nullptr;
    BookView* m_view = nullptr;
    BookTableModel* m_model = nullptr;
    BookSortProxy* m_proxy = nullptr;
    ThumbnailCache* m_thumbs = nullptr;

    QPointer<MessageWindow> m_note;
    QPointer<SettingsWindow> m_settings;
    QPointer<HelpWindow> m_help;

    QTimer m_animation;      // busy label dots, status dots and the waiting-offer flash
    QTimer m_save_columns;   // coalesces column resizes before ui.json is written
};

} // namespace ui
