#include "ui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/open_url.h"
#include "ui/app_art.h"
#include "ui/book_filter.h"
#include "ui/help_texts.h"
#include "ui/message_window.h"
#include "ui/seller_choices.h"
#include "ui/settings_window.h"
#include "ui/status_text.h"
#include "ui/theme.h"
#include "ui/thumbnail_cache.h"
#include "ui/version_check.h"

namespace ui {

namespace {

struct TileText {
    Action tile;
    const char* name;
    const char* title;
    const char* subtitle;
    Glyph glyph;
    QColor glyph_colour;
};

// The seven tiles in their two rows, each with its own glyph colour.
const TileText TILES[] = {
    {Action::Buy, "buy", "Buy", "Make an offer", Glyph::Buy, QColor(0xBA, 0xE6, 0xC4)},
    {Action::List, "list", "Sell / List", "Create a listing", Glyph::List, QColor(0xE8, 0xC4, 0x48)},
    {Action::Complete, "complete", "Complete", "Finalize trade", Glyph::Complete, QColor(0x8C, 0xC4, 0xEC)},
    {Action::Current, "current", "Current", "Listings & Offers", Glyph::Current, QColor(0xE8, 0xC4, 0x60)},
    {Action::History, "history", "History", "View past trades", Glyph::History, QColor(0xB0, 0xC4, 0xD8)},
    {Action::Cancel, "cancel", "Cancel", "Cancel listing or offer", Glyph::Cancel, QColor(0xE8, 0x56, 0x60)},
    {Action::Report, "report", "Report", "Report an issue", Glyph::Report, QColor(0xC4, 0x58, 0x16)},
};

const char* status_kind_name(StatusKind kind)
{
    switch (kind) {
    case StatusKind::Progress: return "progress";
    case StatusKind::Error: return "error";
    case StatusKind::Normal: return "";
    }
    return "";
}

QComboBox* make_combo(const char* name, const QStringList& items, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return combo;
}

} // namespace

MainWindow::MainWindow(std::shared_ptr<MarketServices> services, QWidget* parent)
    : MainWindow(std::move(services), Options{}, parent)
{
}

MainWindow::MainWindow(std::shared_ptr<MarketServices> services, Options options, QWidget* parent)
    : QWidget(parent), m_options(options)
{
    setObjectName("TavrinNodeAgoranShell");
    setWindowTitle("Tavrin Agoran");
    setWindowIcon(app_art().icon);

    MarketController::Options controller_options;
    controller_options.start_update_check = options.start_update_check;
    controller_options.start_first_load = false;
    m_controller = std::make_unique<MarketController>(std::move(services), controller_options);
    m_thumbs = new ThumbnailCache(m_controller->services(), this);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addWidget(buildBanner());
    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 10, 12, 8);
    body->setSpacing(8);
    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    top->addWidget(buildWalletPanel());
    top->addWidget(buildTiles(), 1);
    body->addLayout(top);
    body->addWidget(buildFilterBar());
    m_marker = make_label("", "marker", this);
    m_marker->setObjectName("bookMarker");
    m_marker->hide();
    body->addWidget(m_marker);

    m_model = new BookTableModel(m_thumbs, this);
    m_proxy = new BookSortProxy(this);
    m_proxy->setSourceModel(m_model);
    m_view = new BookView(this);
    m_view->setObjectName("book");
    m_view->setModel(m_proxy);
    m_view->setEmptyTexts(empty_table_texts(true, 0));
    body->addWidget(m_view, 1);
    body->addWidget(buildBottomBar());
    page->addLayout(body, 1);

    // Column widths: what the user set last time, else sized to the first book's content. The
    // last column stretches to the window's edge and is not kept.
    const std::vector<int> widths = load_column_widths(ui_settings_path(), "book");
    m_columns_sized = widths.size() == static_cast<size_t>(BOOK_COLUMN_COUNT - 1);
    for (int c = 0; m_columns_sized && c < BOOK_COLUMN_COUNT - 1; ++c)
        m_view->horizontalHeader()->resizeSection(c, widths[static_cast<size_t>(c)]);
    m_save_columns.setSingleShot(true);
    m_save_columns.setInterval(500);
    connect(&m_save_columns, &QTimer::timeout, this, &MainWindow::saveColumnWidths);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
        if (m_columns_sized && !m_refilling && section < BOOK_COLUMN_COUNT - 1) m_save_columns.start();
    });

    connect(m_thumbs, &ThumbnailCache::thumbnailsArrived, m_model, &BookTableModel::thumbnailsChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::onSelectionChanged);
    connect(m_view, &QAbstractItemView::doubleClicked, this, &MainWindow::onRowActivated);

    MarketController& c = *m_controller;
    connect(&c, &MarketController::bookChanged, this, &MainWindow::onBookChanged);
    connect(&c, &MarketController::freshnessChanged, this, &MainWindow::refreshMarker);
    connect(&c, &MarketController::walletChanged, this, &MainWindow::refreshWalletTexts);
    connect(&c, &MarketController::statusChanged, this, &MainWindow::refreshStatus);
    connect(&c, &MarketController::busyChanged, this, &MainWindow::refreshBusy);
    connect(&c, &MarketController::offersWaitingChanged, this, [this] { animationTick(); });
    connect(&c, &MarketController::updateChecked, this, &MainWindow::onUpdateChecked);
    connect(&c, &MarketController::message, this, &MainWindow::showMessage);
    connect(&c, &MarketController::listingLive, this, [this](const QString& id) { showListing(tx::Txid::parse(utf8(id))); });
    connect(&c, &MarketController::eventLogged, this, [this] {
        if (m_note && !m_note->confirmMode()) m_note->setEvents(m_controller->events());
    });

    m_animation.setInterval(400);
    connect(&m_animation, &QTimer::timeout, this, &MainWindow::animationTick);
    m_animation.start();

    refreshWalletTexts();
    refreshStatus();
    refreshBusy();
    refreshVersion();
    m_search->setFocus();

    // The window opens at most the screen's size, and as large as it needs.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableSize() : QSize(1366, 768);
    resize(std::min(room.width(), 1360), std::min(room.height(), 900));
    if (options.start_first_load) m_controller->reloadBook(false);
}

MainWindow::~MainWindow()
{
    m_animation.stop();
    // The dialogs go before the controller they talk to.
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isWindow()) delete w;
}

// ---------------------------------------------------------------------------------------------
// Building

QWidget* MainWindow::buildBanner()
{
    auto* banner = new BannerWidget(this);
    auto* row = new QHBoxLayout(banner);
    row->setContentsMargins(18, 10, 18, 12);
    row->setSpacing(14);
    auto* logo = new QLabel(banner);
    const QPixmap& art = app_art().logo;
    if (!art.isNull()) logo->setPixmap(art.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    row->addWidget(logo);
    auto* names = new QVBoxLayout;
    names->setSpacing(0);
    auto* title = new QLabel("Tavrin Agoran", banner);
    title->setObjectName("appTitle");
    auto* subtitle = new QLabel("1SAT ORDINALS MARKET  \u00B7  BITCOIN SV  \u00B7  SIGNED ON CHAIN", banner);
    subtitle->setObjectName("appSubtitle");
    names->addStretch();
    names->addWidget(title);
    names->addWidget(subtitle);
    names->addStretch();
    row->addLayout(names);
    row->addStretch(1);

    // Where the program talks, when it is not the real services.
    m_badge = make_label(qtext(m_controller->services()->services_badge()), "badge", banner);
    m_badge->setObjectName("servicesBadge");
    m_badge->setToolTip("services.json points the program at these services instead of the real ones.");
    m_badge->setVisible(!m_badge->text().isEmpty());
    if (!m_badge->text().isEmpty()) setWindowTitle("Tavrin Agoran \u2014 " + m_badge->text());
    row->addWidget(m_badge, 0, Qt::AlignVCenter);

    m_settings_button = make_icon_button(Glyph::Gear, "Settings", "settings", banner);
    connect(m_settings_button, &QToolButton::clicked, this, &MainWindow::openSettings);
    row->addWidget(m_settings_button, 0, Qt::AlignVCenter);
    auto* binding = new QVBoxLayout;
    binding->setSpacing(6);
    m_connect = make_button("Connect", "connect", banner);
    m_unbind = make_button("Unbind", "unbind", banner);
    m_unbind->setIcon(glyph_icon(Glyph::Unplug, qcolor(active_theme().glyph)));
    connect(m_connect, &QPushButton::clicked, this, [this] { m_controller->connectWallet(); });
    connect(m_unbind, &QPushButton::clicked, this, [this] { m_controller->unbind(); });
    binding->addWidget(m_connect);
    binding->addWidget(m_unbind);
    row->addLayout(binding);
    return banner;
}

QWidget* MainWindow::buildWalletPanel()
{
    auto* panel = new QFrame(this);
    panel->setProperty("role", "panel");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(12, 8, 8, 8);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    auto* icon = new QLabel(panel);
    icon->setPixmap(glyph_pixmap(Glyph::Wallet, qcolor(active_theme().accent), 24));
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(make_label("Wallet", "muted", panel), 0, 1);
    m_wallet_value = make_label("not connected", "value", panel);
    m_wallet_value->setObjectName("walletValue");
    m_wallet_value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_wallet_value, 1, 1);
    auto* copy = make_icon_button(Glyph::Copy, "Copy", "copy", panel);
    grid->addWidget(copy, 1, 2);
    grid->addWidget(make_label("Balance", "muted", panel), 2, 1);
    m_balance_value = make_label("-", "value", panel);
    m_balance_value->setObjectName("balanceValue");
    grid->addWidget(m_balance_value, 3, 1);
    auto* refresh = make_icon_button(Glyph::Refresh, "Refresh balance", "balanceRefresh", panel);
    grid->addWidget(refresh, 3, 2);
    m_balance_note = make_label("", "muted", panel);
    m_balance_note->setObjectName("balanceNote");
    m_balance_note->hide();
    grid->addWidget(m_balance_note, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    panel->setMinimumWidth(300);

    connect(copy, &QToolButton::clicked, this, [this] {
        const WalletSnapshot& wallet = m_controller->wallet();
        if (!wallet.bound) return m_controller->setStatus("Connect Pursa first.");
        const std::string text = copy_text(wallet);
        if (text.empty()) return m_controller->setStatus("Nothing to copy.");
        QGuiApplication::clipboard()->setText(qtext(text));
        m_controller->setStatus("Copied.");
    });
    connect(refresh, &QToolButton::clicked, this, [this] { m_controller->refreshBalance(); });
    return panel;
}

QWidget* MainWindow::buildTiles()
{
    auto* tiles = new QWidget(this);
    auto* grid = new QGridLayout(tiles);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    int index = 0;
    for (const auto& t : TILES) {
        auto* tile = new TileButton(t.name, t.glyph, t.glyph_colour, t.title, t.subtitle, tiles);
        m_tiles[t.tile] = tile;
        grid->addWidget(tile, index / 4, index % 4);
        connect(tile, &QPushButton::clicked, this, [this, action = t.tile] { onTile(action); });
        ++index;
    }
    for (int c = 0; c < 4; ++c) grid->setColumnStretch(c, 1);
    return tiles;
}

QWidget* MainWindow::buildFilterBar()
{
    auto* bar = new QFrame(this);
    bar->setProperty("role", "panel");
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 5, 8, 5);
    row->setSpacing(8);
    m_search = new QLineEdit(bar);
    m_search->setObjectName("search");
    m_search->setPlaceholderText("Search items, ticker, note or seller");
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, this, &MainWindow::refillTable);
    m_item_filter = make_combo("itemFilter", {"All items", "Tokens", "Pictures"}, bar);
    m_seller_filter = make_combo("sellerFilter", {ALL_SELLERS}, bar);
    m_status_filter =
        make_combo("statusFilter", {"Status: Active", "Status: All", "Status: Expired", "Status: Cancelled"}, bar);
    for (QComboBox* combo : {m_item_filter, m_seller_filter, m_status_filter})
        connect(combo, &QComboBox::currentIndexChanged, this, &MainWindow::refillTable);
    m_refresh = make_button("Refresh", "refresh", bar);
    m_refresh->setIcon(glyph_icon(Glyph::Refresh, qcolor(active_theme().glyph)));
    connect(m_refresh, &QPushButton::clicked, this, [this] { m_controller->reloadBook(false); });
    row->addWidget(m_search, 1);
    row->addWidget(m_item_filter);
    row->addWidget(m_seller_filter);
    row->addWidget(m_status_filter);
    row->addWidget(m_refresh);
    return bar;
}

QWidget* MainWindow::buildBottomBar()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    auto* help = make_button("Help && Guide", "help", bar);
    help->setIcon(glyph_icon(Glyph::Help, qcolor(active_theme().glyph)));
    connect(help, &QPushButton::clicked, this, &MainWindow::openHelp);
    m_row_count = make_label("0 listings", "muted", bar);
    m_row_count->setObjectName("rowCount");
    m_status = new QLabel(bar);
    m_status->setObjectName("status");
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setWordWrap(true);
    m_version = make_button("", "version", bar);
    m_version->setProperty("role", "link");
    connect(m_version, &QPushButton::clicked, this, [this] {
        if (m_controller->updateAvailable()) openPage(m_controller->services()->product_page(), "the product page");
    });
    auto* log = make_button("Events", "events", bar);
    log->setToolTip("The messages and events of this session");
    connect(log, &QPushButton::clicked, this,
            [this] { showMessage("Events", "Last message: " + qtext(m_controller->status())); });
    auto* close = make_button("Close", "close", bar);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(help);
    row->addWidget(m_row_count);
    row->addWidget(m_status, 1);
    row->addWidget(log);
    row->addWidget(m_version);
    row->addWidget(close);
    return bar;
}

// ---------------------------------------------------------------------------------------------
// What the controller holds, shown

void MainWindow::refreshStatus()
{
    const StatusDisplay display = status_display(m_controller->status(), m_controller->statusIsError());
    m_status->setText(qtext(display.base));
    set_style_property(m_status, "kind", status_kind_name(display.kind));
    m_tick = 0;
}

QString MainWindow::statusText() const
{
    return qtext(status_display(m_controller->status(), m_controller->statusIsError()).base);
}

QString MainWindow::statusKind() const { return m_status->property("kind").toString(); }

void MainWindow::refreshBusy()
{
    const bool busy = m_controller->isBusy();
    const Action busy_tile = m_controller->busyTile();
    for (const auto& t : TILES) {
        TileButton* tile = m_tiles.at(t.tile);
        tile->setTitle(t.tile == busy_tile ? qtext(wait_label(0)) : QString(t.title));
        tile->setEnabled(!busy || t.tile == busy_tile);
    }
    m_refresh->setText(busy_tile == Action::Refresh ? qtext(wait_label(0)) : QString("Refresh"));
    m_refresh->setEnabled(!busy || busy_tile == Action::Refresh);
    for (QWidget* w : {static_cast<QWidget*>(m_unbind), static_cast<QWidget*>(m_settings_button)})
        w->setEnabled(!busy);
    refreshWalletTexts();
    m_tick = 0;
}

void MainWindow::animationTick()
{
    ++m_tick;
    const Action busy_tile = m_controller->busyTile();
    const QString dots = qtext(wait_label(m_tick));
    if (busy_tile == Action::Refresh) m_refresh->setText(dots);
    else if (busy_tile == Action::Connect) m_connect->setText(dots);
    else if (const auto it = m_tiles.find(busy_tile); it != m_tiles.end()) it->second->setTitle(dots);
    const StatusDisplay display = status_display(m_controller->status(), m_controller->statusIsError());
    if (display.kind == StatusKind::Progress) m_status->setText(qtext(status_frame(display.base, m_tick)));

    m_flash_on = m_controller->offersWaiting() && !m_flash_on;
    m_model->setFlashOn(m_flash_on);
    m_tiles.at(Action::Complete)->setFlash(m_flash_on && m_tiles.at(Action::Complete)->isEnabled());
    m_tiles.at(Action::Current)->setFlash(m_flash_on && m_tiles.at(Action::Current)->isEnabled());
}

void MainWindow::refreshWalletTexts()
{
    const WalletSnapshot& wallet = m_controller->wallet();
    m_wallet_value->setText(qtext(wallet_value_text(wallet)));
    m_balance_value->setText(qtext(balance_value_text(wallet)));
    const bool stale = wallet.bound && m_controller->balanceStale() && wallet.balance_known;
    m_balance_note->setText("Not refreshed: the services did not answer");
    m_balance_note->setVisible(stale);
    const bool connecting = m_controller->busyTile() == Action::Connect;
    if (!connecting) m_connect->setText(wallet.bound ? "Connected" : "Connect");
    m_connect->setEnabled(!m_controller->isBusy() || connecting);
    m_connect->setIcon(glyph_icon(Glyph::Plug, wallet.bound ? QColor(0x30, 0xC4, 0x60) : qcolor(active_theme().glyph)));
}

void MainWindow::refreshMarker()
{
    const std::string text = book_marker_text(m_controller->freshness());
    m_marker->setText(qtext(text));
    m_marker->setVisible(!text.empty());
}

void MainWindow::refreshVersion()
{
    const int code = m_controller->updateCode();
    m_version->setText(qtext(version_label_text(code, m_controller->services()->product_page())));
    set_style_property(m_version, "update", m_controller->updateAvailable());
    m_version->setCursor(m_controller->updateAvailable() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void MainWindow::onUpdateChecked()
{
    refreshVersion();
    if (!m_controller->updateAvailable() || !m_options.ask_update_question) return;
    const QString page = qtext(m_controller->services()->product_page());
    auto* box = new QMessageBox(QMessageBox::Warning, UPDATE_QUESTION_TITLE,
                                qtext(update_question_text(m_controller->updateCode(), utf8(page))),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName("update.question");
    box->setAttribute(Qt::WA_DeleteOnClose, true);
    connect(box, &QMessageBox::finished, this, [this, page](int result) {
        if (result == QMessageBox::Yes) openPage(utf8(page), "the product page");
    });
    box->open();
}

// ---------------------------------------------------------------------------------------------
// The book

void MainWindow::onBookChanged()
{
    const auto& book = m_controller->book();
    if (!m_controller->listing(m_selected_id)) m_selected_id.reset();
    m_refilling = true;
    m_model->setBook(book, m_controller->waitingOffers());
    m_refilling = false;
    m_thumbs->forgetFailures();
    rebuildSellerChoices();
    refillTable();
    if (!m_columns_sized && !book.empty()) {
        // Sized once to the first book's content; the user's widths are kept from then on.
        m_refilling = true;
        m_view->resizeColumnsToContents();
        for (int c = 0; c < BOOK_COLUMN_COUNT; ++c)
            m_view->horizontalHeader()->resizeSection(c, std::min(m_view->horizontalHeader()->sectionSize(c), 320));
        m_refilling = false;
        m_columns_sized = true;
    }
}

void MainWindow::rebuildSellerChoices()
{
    const QString previous = m_seller_filter->currentIndex() > 0 ? m_seller_filter->currentText() : QString();
    const auto choices = seller_choices(m_controller->book());
    const std::string keep = reselected_seller(choices, utf8(previous));
    const QSignalBlocker blocker(m_seller_filter);
    m_seller_filter->clear();
    m_seller_filter->addItem(ALL_SELLERS);
    int select = 0;
    for (size_t i = 0; i < choices.size(); ++i) {
        m_seller_filter->addItem(qtext(choices[i]));
        if (!keep.empty() && choices[i] == keep) select = static_cast<int>(i) + 1;
    }
    m_seller_filter->setCurrentIndex(select);
}

void MainWindow::refillTable()
{
    BookFilter filter;
    filter.item = static_cast<ItemFilter>(std::max(0, m_item_filter->currentIndex()));
    filter.status = static_cast<StatusFilter>(std::max(0, m_status_filter->currentIndex()));
    if (m_seller_filter->currentIndex() > 0) filter.seller = utf8(m_seller_filter->currentText());
    filter.query = search_query(utf8(m_search->text()));
    const bool changed = filter.item != m_proxy->filter().item || filter.status != m_proxy->filter().status ||
                         filter.seller != m_proxy->filter().seller || filter.query != m_proxy->filter().query;
    m_refilling = true;
    m_proxy->setFilter(std::move(filter));
    m_refilling = false;
    // The selection follows its listing; a new filter starts the table at its top.
    showListing(m_selected_id, changed ? Scroll::None : Scroll::IntoView);
    if (changed) m_view->scrollToTop();
    m_row_count->setText(qtext(row_count_text(static_cast<size_t>(m_proxy->rowCount()))));
    m_view->setEmptyTexts(empty_table_texts(m_controller->book().empty(), live_count(m_controller->book())));
}

bool MainWindow::showListing(const std::optional<tx::Txid>& id, Scroll scroll)
{
    const int source = m_model->rowOfId(id);
    if (source < 0) return false;
    const QModelIndex row = m_proxy->mapFromSource(m_model->index(source, 0));
    if (!row.isValid()) return false;
    m_view->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (scroll != Scroll::None)
        m_view->scrollTo(row, scroll == Scroll::Centre ? QAbstractItemView::PositionAtCenter : QAbstractItemView::EnsureVisible);
    m_selected_id = id;
    return true;
}

void MainWindow::onSelectionChanged()
{
    if (m_refilling) return;
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        m_selected_id.reset();
        return;
    }
    const int source = rows.first().data(BookTableModel::ListingIndexRole).toInt();
    const auto& book = m_model->listings();
    if (source >= 0 && static_cast<size_t>(source) < book.size()) m_selected_id = book[static_cast<size_t>(source)].id;
}

const book::Listing* MainWindow::selectedListing() const { return m_controller->listing(m_selected_id); }

void MainWindow::onRowActivated(const QModelIndex& index)
{
    const int source = index.data(BookTableModel::ListingIndexRole).toInt();
    const auto& book = m_model->listings();
    if (source < 0 || static_cast<size_t>(source) >= book.size()) return;
    openPage(m_controller->services()->tx_page_url(book[static_cast<size_t>(source)].id.hex()), "the listing's transaction");
}

void MainWindow::openPage(const std::string& url, const std::string& what)
{
    if (platform::open_url(url)) return;
    QGuiApplication::clipboard()->setText(qtext(url));
    m_controller->setStatus("No web browser could be started to show " + what + "; its address is copied: " + url);
}

void MainWindow::saveColumnWidths()
{
    std::vector<int> widths;
    for (int c = 0; c < BOOK_COLUMN_COUNT - 1; ++c) widths.push_back(m_view->horizontalHeader()->sectionSize(c));
    (void)save_column_widths(ui_settings_path(), "book", widths);  // a failed write is ignored
}

// ---------------------------------------------------------------------------------------------
// Tiles and secondary windows

void MainWindow::setTileHandler(Action tile, std::function<void()> handler)
{
    m_tile_handlers[tile] = std::move(handler);
}

TileButton* MainWindow::tile(Action tile) const
{
    const auto it = m_tiles.find(tile);
    return it == m_tiles.end() ? nullptr : it->second;
}

void MainWindow::onTile(Action tile)
{
    if (const auto it = m_tile_handlers.find(tile); it != m_tile_handlers.end() && it->second) return it->second();
    if (tile == Action::List) return m_controller->requestLots();
    if (tile == Action::History) return m_controller->requestHistory();
    const QString title = m_tiles.at(tile)->accessibleName();
    if (!m_controller->bound()) return showMessage(title, "Connect a Pursa wallet first.");
    showMessage(title, "This action is not available in this build yet.");
}

void MainWindow::showMessage(const QString& title, const QString& text, const QString& txid)
{
    if (m_note) m_note->close();
    auto* note = new MessageWindow(title, text, txid, this);
    note->setEvents(m_controller->events());
    m_note = note;
    note->show();
}

MessageWindow* MainWindow::messageWindow() const { return m_note.data(); }

void MainWindow::openSettings()
{
    if (m_settings) {
        m_settings->raise();
        m_settings->activateWindow();
        return;
    }
    auto* settings = new SettingsWindow(this);
    m_settings = settings;
    connect(settings, &SettingsWindow::themeChosen, this, [this](int index) {
        applyTheme(index);
        (void)save_theme_setting(ui_settings_path(), index);  // a failed write is ignored
    });
    connect(settings, &SettingsWindow::termsRequested, this, &MainWindow::openTerms);
    settings->show();
}

void MainWindow::openTerms() { showMessage("Terms of Use", qtext(terms_text())); }

void MainWindow::openHelp()
{
    if (m_help) {
        m_help->raise();
        m_help->activateWindow();
        return;
    }
    m_help = new HelpWindow(this);
    m_help->show();
}

void MainWindow::applyTheme(int index)
{
    set_active_theme(index);
    refreshWalletTexts();
}

void MainWindow::bringForward()
{
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_animation.stop();
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isWindow() && w->isVisible()) w->close();
    event->accept();
}

} // namespace ui
