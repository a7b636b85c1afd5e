#include "ui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <exception>

#include "core/text.h"
#include "platform/open_url.h"
#include "ui/app_art.h"
#include "ui/book_filter.h"
#include "ui/control_ids.h"
#include "ui/help_texts.h"
#include "ui/layout.h"
#include "ui/main_texts.h"
#include "ui/message_window.h"
#include "ui/seller_choices.h"
#include "ui/settings_window.h"
#include "ui/status_text.h"
#include "ui/theme.h"
#include "ui/thumbnail_cache.h"
#include "ui/version_check.h"
#include "ui/waiting_offer.h"
#include "ui/window_placement.h"
#include "ui/worker_jobs.h"

namespace ui {

namespace {

const char* tile_title(int id)
{
    switch (id) {
    case ID_BUY: return "Buy";
    case ID_LIST: return "List";
    case ID_COMPLETE: return "Complete";
    case ID_CURRENT: return "Listings & Offers";
    case ID_HISTORY: return "History";
    case ID_CANCEL: return "Cancel";
    case ID_REPORT: return "Report";
    default: return "Tavrin Agoran";
    }
}

Rect to_rect(const QRect& r) { return Rect{r.x(), r.y(), r.width(), r.height()}; }

bool starts_with(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

} // namespace

MainWindow::MainWindow(std::shared_ptr<MarketServices> services, QWidget* parent)
    : MainWindow(std::move(services), Options{}, parent)
{
}

MainWindow::MainWindow(std::shared_ptr<MarketServices> services, Options options, QWidget* parent)
    : QWidget(parent), m_services(std::move(services)), m_target(std::make_shared<PostTarget>(this)),
      m_options(options)
{
    setObjectName("TavrinNodeAgoranShell");
    setWindowTitle("Tavrin Agoran");
    setWindowIcon(app_art().icon);
    setMinimumSize(MAIN_MIN_WIDTH, MAIN_MIN_HEIGHT);
    resize(MAIN_WIDTH, MAIN_HEIGHT);
    set_main_target(m_target);

    m_busy_timer.setInterval(400);
    connect(&m_busy_timer, &QTimer::timeout, this, &MainWindow::busyTick);
    m_status_timer.setInterval(400);
    connect(&m_status_timer, &QTimer::timeout, this, &MainWindow::statusTick);
    m_repoll_timer.setInterval(2000);
    m_repoll_timer.setSingleShot(true);
    connect(&m_repoll_timer, &QTimer::timeout, this, [this] {
        if (m_busy || m_silent_load) return;
        m_silent_load = true;
        startBookWorker();
    });
    m_flash_timer.setInterval(320);
    connect(&m_flash_timer, &QTimer::timeout, this, [this] {
        m_flash_on = !m_flash_on;
        m_delegate->setFlashOn(m_flash_on);
        button(ID_COMPLETE)->setFlashOn(m_flash_on);
        button(ID_CURRENT)->setFlashOn(m_flash_on);
        m_view->viewport()->update();
    });
    m_auto_timer.setInterval(30000);
    connect(&m_auto_timer, &QTimer::timeout, this, [this] {
        if (!m_wallet.bound || m_busy || m_silent_load) return;
        reloadBook(true);
    });

    buildControls();
    layoutControls();
    m_search->setFocus();
    setStatus(QString(STATUS_WELCOME));
    refreshWalletTexts();
    updateVersionLabel();
    if (m_options.start_first_load) {
        startBalanceWorker();
        reloadBook(false);
    }
    m_auto_timer.start();
    if (m_options.start_update_check) startUpdateWorker();
}

MainWindow::~MainWindow()
{
    m_target->detach();
    if (main_target() == m_target) set_main_target(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Controls and layout

void MainWindow::buildControls()
{
    auto addButton = [this](int id, OwnerButton::Kind kind, const QString& text, Glyph glyph) {
        auto* b = new OwnerButton(id, kind, text, this);
        b->setGlyph(glyph);
        m_buttons[id] = b;
        return b;
    };
    addButton(ID_CONNECT, OwnerButton::Kind::Button, "Connect", Glyph::Plug);
    addButton(ID_UNBIND, OwnerButton::Kind::Button, "Unbind", Glyph::Unplug);
    addButton(ID_SETTINGS, OwnerButton::Kind::IconOnly, "", Glyph::Gear)->setToolTip("Settings");
    addButton(ID_COPY, OwnerButton::Kind::IconOnly, "", Glyph::Copy)->setToolTip("Copy");
    addButton(ID_BALANCE_REFRESH, OwnerButton::Kind::IconOnly, "", Glyph::Refresh)->setToolTip("Refresh balance");
    addButton(ID_REFRESH, OwnerButton::Kind::Button, "Refresh", Glyph::Refresh);
    addButton(ID_HELP, OwnerButton::Kind::Button, " Help & Guide", Glyph::Help);
    addButton(ID_CLOSE, OwnerButton::Kind::Button, "Close", Glyph::None);

    struct TileText {
        int id;
        const char* title;
        const char* subtitle;
        Glyph glyph;
    };
    const TileText tiles[] = {
        {ID_BUY, "Buy", "Make an offer", Glyph::Buy},
        {ID_LIST, "Sell / List", "Create a listing", Glyph::List},
        {ID_COMPLETE, "Complete", "Finalize trade", Glyph::Complete},
        {ID_CURRENT, "Current", "Listings & Offers", Glyph::Current},
        {ID_HISTORY, "History", "View past trades", Glyph::History},
        {ID_CANCEL, "Cancel", "Cancel listing or offer", Glyph::Cancel},
        {ID_REPORT, "Report", "Report an issue", Glyph::Report},
    };
    for (const auto& t : tiles) {
        auto* b = addButton(t.id, OwnerButton::Kind::Tile, t.title, t.glyph);
        b->setSubtitle(t.subtitle);
        connect(b, &QAbstractButton::clicked, this, [this, id = t.id] { onTile(id); });
    }

    connect(button(ID_CONNECT), &QAbstractButton::clicked, this, &MainWindow::onConnect);
    connect(button(ID_UNBIND), &QAbstractButton::clicked, this, &MainWindow::onUnbind);
    connect(button(ID_SETTINGS), &QAbstractButton::clicked, this, &MainWindow::openSettings);
    connect(button(ID_COPY), &QAbstractButton::clicked, this, &MainWindow::onCopy);
    connect(button(ID_BALANCE_REFRESH), &QAbstractButton::clicked, this, [this] {
        refreshWalletTexts();
        refreshBalance();
    });
    connect(button(ID_REFRESH), &QAbstractButton::clicked, this, [this] {
        refreshWalletTexts();
        refreshBalance();
        reloadBook(false);
    });
    connect(button(ID_HELP), &QAbstractButton::clicked, this, &MainWindow::openHelp);
    connect(button(ID_CLOSE), &QAbstractButton::clicked, this, &QWidget::close);

    m_wallet_label = new TextLabel(ID_WALLET_LABEL, "Wallet", FontRole::Panel, this);
    m_wallet_value = new TextLabel(ID_WALLET_VALUE, "not connected", FontRole::Value, this);
    m_balance_label = new TextLabel(ID_BALANCE_LABEL, "Balance", FontRole::Panel, this);
    m_balance_value = new TextLabel(ID_BALANCE_VALUE, "-", FontRole::Value, this);
    m_row_count = new TextLabel(ID_ROW_COUNT, "0 listings", FontRole::RowCount, this);
    m_status = new TextLabel(ID_STATUS, "", FontRole::Panel, this);
    m_status->setAlignment(Qt::AlignCenter);
    m_version = new TextLabel(ID_VERSION, "", FontRole::RowCount, this);
    m_version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(m_version, &TextLabel::clicked, this, [this] {
        if (m_update_available) platform::open_url(m_services->product_page());
    });

    m_search = new QLineEdit(this);
    m_search->setObjectName(QString::number(ID_SEARCH));
    m_search->setPlaceholderText("Search items, ticker, note or seller");
    m_search->setFont(app_font(FontRole::Edit));
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, this, &MainWindow::refillTable);

    auto makeCombo = [this](int id, const QStringList& items) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QString::number(id));
        combo->setFont(app_font(FontRole::Edit));
        combo->addItems(items);
        connect(combo, &QComboBox::currentIndexChanged, this, &MainWindow::refillTable);
        return combo;
    };
    m_item_filter = makeCombo(ID_ITEM_FILTER, {"All items", "Tokens", "Pictures"});
    m_seller_filter = makeCombo(ID_SELLER_FILTER, {ALL_SELLERS});
    m_status_filter = makeCombo(ID_STATUS_FILTER,
                                {"Status: Active", "Status: All", "Status: Expired", "Status: Cancelled"});

    m_thumbs = new ThumbnailCache(m_services, this);
    m_model = new BookTableModel(m_thumbs, this);
    m_proxy = new BookFilterProxy(this);
    m_proxy->setSourceModel(m_model);
    m_delegate = new BookDelegate(this);
    m_view = new BookView(this);
    m_view->setObjectName(QString::number(ID_TABLE));
    m_view->setModel(m_proxy);
    m_view->setItemDelegate(m_delegate);
    for (int c = 0; c < BOOK_COLUMN_COUNT; ++c)
        m_view->horizontalHeader()->resizeSection(c, book_column_width(static_cast<BookColumn>(c)));
    m_view->setEmptyTexts(empty_table_texts(true, 0));
    connect(m_thumbs, &ThumbnailCache::thumbnailsArrived, m_model, &BookTableModel::thumbnailsChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::onSelectionChanged);
    connect(m_view, &QAbstractItemView::doubleClicked, this, &MainWindow::onRowActivated);
}

OwnerButton* MainWindow::button(int controlId) const
{
    const auto it = m_buttons.find(controlId);
    return it == m_buttons.end() ? nullptr : it->second;
}

void MainWindow::layoutControls()
{
    const MainLayout layout = main_layout(width(), height());
    for (const auto& [id, r] : layout.controls) {
        const QRect rect(r.x, r.y, r.w, r.h);
        if (auto* b = button(id)) {
            b->setGeometry(rect);
            continue;
        }
        QWidget* w = nullptr;
        switch (id) {
        case ID_WALLET_LABEL: w = m_wallet_label; break;
        case ID_WALLET_VALUE: w = m_wallet_value; break;
        case ID_BALANCE_LABEL: w = m_balance_label; break;
        case ID_BALANCE_VALUE: w = m_balance_value; break;
        case ID_ROW_COUNT: w = m_row_count; break;
        case ID_STATUS: w = m_status; break;
        case ID_VERSION: w = m_version; break;
        case ID_SEARCH: w = m_search; break;
        case ID_ITEM_FILTER: w = m_item_filter; break;
        case ID_SELLER_FILTER: w = m_seller_filter; break;
        case ID_STATUS_FILTER: w = m_status_filter; break;
        case ID_TABLE: w = m_view; break;
        default: break;
        }
        if (w) w->setGeometry(rect);
    }
}

void MainWindow::resizeEvent(QResizeEvent*) { layoutControls(); }

void MainWindow::paintEvent(QPaintEvent*)
{
    const Theme& theme = active_theme();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.fillRect(rect(), qcolor(theme.background));

    // Banner, drawn "cover" style: scaled to fill, cropped centrally.
    const MainLayout layout = main_layout(width(), height());
    const QRect banner(0, 0, width(), BANNER_HEIGHT);
    const QPixmap& art = app_art().banner;
    if (banner.width() >= 8 && banner.height() >= 8) {
        if (!art.isNull()) {
            const double scale = std::max(double(banner.width()) / art.width(), double(banner.height()) / art.height());
            const double sw = banner.width() / scale;
            const double sh = banner.height() / scale;
            const QRectF source((art.width() - sw) / 2, (art.height() - sh) / 2, sw, sh);
            p.drawPixmap(QRectF(banner), art, source);
        } else {
            QLinearGradient g(banner.topLeft(), banner.bottomRight());
            g.setColorAt(0, qcolor(HEADER_BAND));
            g.setColorAt(1, qcolor(theme.gradient_from));
            p.fillRect(banner, g);
        }
        // Logo and name over the banner.
        const QPixmap& logo = app_art().logo;
        if (!logo.isNull()) p.drawPixmap(QRect(28, 40, 88, 88), logo);
        QFont title = app_font(FontRole::SerifTitle);
        title.setPixelSize(34);
        p.setFont(title);
        p.setPen(qcolor(theme.glyph));
        p.drawText(QRect(132, 46, 600, 44), Qt::AlignLeft | Qt::AlignVCenter, "Tavrin Agoran");
        QFont sub = app_font(FontRole::RowCount);
        sub.setPixelSize(14);
        sub.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
        p.setFont(sub);
        p.setPen(qcolor(theme.accent));
        p.drawText(QRect(134, 92, 600, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   "1SAT ORDINALS MARKET  \u00B7  BITCOIN SV  \u00B7  SIGNED ON CHAIN");
        p.fillRect(QRect(0, BANNER_HEIGHT - 2, width(), 2), qcolor(blend(theme.accent, HEADER_BAND, 110)));
    }

    // Wallet panel.
    const Rect& wp = layout.wallet_panel;
    const QRectF panel(wp.x + 0.5, wp.y + 0.5, wp.w, wp.h);
    p.setPen(QPen(qcolor(theme.border), 1));
    p.setBrush(qcolor(theme.panel));
    p.drawRoundedRect(panel, 12, 12);
    draw_glyph(p, Glyph::Wallet, QRectF(wp.x + 14, wp.y + 12, 26, 26), qcolor(theme.accent));
    p.setPen(QPen(qcolor(theme.border), 1));
    const int mid = wp.y + wp.h / 2;
    p.drawLine(QPointF(wp.x + 14, mid + 0.5), QPointF(wp.right() - 14, mid + 0.5));

    // Filter bar.
    const Rect& fb = layout.filter_bar;
    p.setPen(QPen(qcolor(theme.border), 1));
    p.setBrush(qcolor(theme.panel));
    p.drawRoundedRect(QRectF(fb.x + 0.5, fb.y + 0.5, fb.w, fb.h), 10, 10);
}

// ---------------------------------------------------------------------------------------------
// Status line and busy state

void MainWindow::setStatus(const QString& text)
{
    const StatusDisplay display = status_display(utf8(text));
    m_status_base = qtext(display.base);
    m_status_tick = 0;
    m_status->setText(m_status_base);
    m_status_kind = display.kind;
    m_status->setColour(qcolor(status_colour(display.kind, active_theme().text)));
    if (display.kind == StatusKind::Progress) {
        m_status_timer.start();
    } else {
        m_status_timer.stop();
    }
}

void MainWindow::statusTick()
{
    ++m_status_tick;
    m_status->setText(qtext(status_frame(utf8(m_status_base), m_status_tick)));
}

QString MainWindow::statusText() const { return m_status->text(); }
QColor MainWindow::statusColour() const { return m_status->colour(); }
bool MainWindow::statusAnimating() const { return m_status_timer.isActive(); }

void MainWindow::setBusy(bool busy, int buttonId)
{
    if (!busy && m_busy_button) {
        m_busy_timer.stop();
        if (auto* b = button(m_busy_button)) {
            b->setProperty("ag.busy", QVariant());
            b->setText(m_busy_button == ID_LIST ? QString("Sell / List")
                                                : qtext(idle_label(m_busy_button, m_wallet.bound)));
        }
        m_busy_button = 0;
    }
    m_busy = busy;
    for (int id : BUSY_DISABLED_IDS)
        if (auto* b = button(id)) b->setEnabled(!busy);
    if (busy && buttonId) {
        if (auto* b = button(buttonId)) {
            m_busy_button = buttonId;
            b->setEnabled(true);
            b->setProperty("ag.busy", 1);
            b->setText("Wait");
            m_busy_timer.start();
        }
    }
    if (m_busy_button != ID_CONNECT) button(ID_CONNECT)->setText(qtext(idle_label(ID_CONNECT, m_wallet.bound)));
}

void MainWindow::busyTick()
{
    auto* b = button(m_busy_button);
    if (!b) {
        m_busy_timer.stop();
        return;
    }
    const unsigned counter = b->property("ag.busy").toUInt() + 1;
    b->setProperty("ag.busy", counter);
    b->setText(qtext(wait_label(counter)));
}

// ---------------------------------------------------------------------------------------------
// Wallet

void MainWindow::refreshWalletTexts()
{
    const Theme& theme = active_theme();
    m_wallet_value->setText(qtext(wallet_value_text(m_wallet)));
    m_balance_value->setText(qtext(balance_value_text(m_wallet)));
    m_wallet_value->setColour(qcolor(theme.text));
    m_balance_value->setColour(qcolor(theme.text));
    m_wallet_label->setColour(qcolor(theme.muted));
    m_balance_label->setColour(qcolor(theme.muted));
    m_row_count->setColour(qcolor(theme.muted));
    if (m_busy_button != ID_CONNECT) button(ID_CONNECT)->setText(qtext(idle_label(ID_CONNECT, m_wallet.bound)));
    button(ID_CONNECT)->setBound(m_wallet.bound);
}

void MainWindow::applyWallet(const WalletSnapshot& wallet)
{
    // A snapshot read before the last connect or unbind describes a binding that is gone.
    if (wallet.epoch != m_wallet_epoch) return;
    const bool known = m_wallet.balance_known || wallet.balance_known;
    const bool same = wallet.bound && wallet.wallet_id == m_wallet.wallet_id;
    m_wallet = wallet;
    m_wallet.balance_known = same ? known : wallet.balance_known;
}

void MainWindow::refreshBalance()
{
    if (!m_wallet.bound) return;
    startBalanceWorker();
}

void MainWindow::onCopy()
{
    if (!m_wallet.bound) {
        setStatus(QString("Connect Pursa first."));
        return;
    }
    const std::string text = copy_text(m_wallet);
    if (text.empty()) {
        setStatus(QString("Nothing to copy."));
        return;
    }
    QGuiApplication::clipboard()->setText(qtext(text));
    setStatus(QString("Copied."));
}

void MainWindow::onConnect()
{
    if (m_busy) {
        setStatus(QString(STATUS_ALREADY_WORKING));
        return;
    }
    if (m_wallet.bound) {
        setStatus(QString("Already connected. Unbind to pick another wallet."));
        return;
    }
    setBusy(true, ID_CONNECT);
    setStatus(QString("Waiting for Pursa to approve..."));
    const unsigned long long epoch = ++m_wallet_epoch;
    startWorker([epoch](MarketServices& services, PostTarget& target) {
        auto payload = std::make_unique<ConnectResultPayload>();
        ConnectJobResult job = run_connect_job(services);
        payload->result = std::move(job.result);
        payload->wallet = std::move(job.wallet);
        payload->wallet.epoch = epoch;
        target.post(MSG_CONNECT_RESULT, std::move(payload));
    });
}

void MainWindow::onUnbind()
{
    ++m_wallet_epoch;
    startWorker([](MarketServices& services, PostTarget&) { services.disconnect(); });
    m_wallet = WalletSnapshot{};
    m_wallet.epoch = m_wallet_epoch;
    m_book.clear();
    m_selected_id.clear();
    m_offers_waiting = false;
    updateFlash();
    m_model->setBook({}, {});
    rebuildSellerChoices();
    refillTable();
    refreshWalletTexts();
    setStatus(QString("Unbound. Connect again to pick a wallet in Pursa."));
}

// ---------------------------------------------------------------------------------------------
// Book

void MainWindow::reloadBook(bool silent)
{
    if (m_silent_load) return;
    if (m_busy) {
        if (!silent) setStatus(QString(STATUS_ALREADY_WORKING));
        return;
    }
    if (!silent) {
        setBusy(true, ID_REFRESH);
        setStatus(QString(STATUS_LOADING_BOOK));
    } else {
        m_silent_load = true;
    }
    startBookWorker();
}

void MainWindow::startBookWorker()
{
    const unsigned long long epoch = m_wallet_epoch;
    startWorker([epoch](MarketServices& services, PostTarget& target) {
        BookJobResult job = run_book_job(services);
        auto payload = std::make_unique<BookLoadedPayload>();
        payload->listings = std::move(job.view);
        payload->error = std::move(job.error);
        payload->wallet = std::move(job.wallet);
        payload->wallet.epoch = epoch;
        target.post(MSG_BOOK_LOADED, std::move(payload));
    });
}

void MainWindow::startBalanceWorker()
{
    const unsigned long long epoch = m_wallet_epoch;
    startWorker([epoch](MarketServices& services, PostTarget& target) {
        BalanceJobResult job = run_balance_job(services);
        auto payload = std::make_unique<BalanceDonePayload>();
        payload->ok = job.ok;
        payload->wallet = std::move(job.wallet);
        payload->wallet.epoch = epoch;
        target.post(MSG_BALANCE_DONE, std::move(payload));
    });
}

void MainWindow::startUpdateWorker()
{
    startWorker([](MarketServices& services, PostTarget& target) {
        auto payload = std::make_unique<UpdateCheckedPayload>();
        payload->code = run_update_job(services);
        // Posting checks that the main window still exists.
        target.post(MSG_UPDATE_CHECKED, std::move(payload));
    });
}

void MainWindow::startWorker(WorkerBody body)
{
    start_worker([services = m_services, target = m_target, body = std::move(body)] {
        try {
            body(*services, *target);
        } catch (...) {
            // A worker never takes the process down; its message simply does not arrive.
        }
    });
}

bool MainWindow::hasWaitingOffer(const book::Listing& listing) const
{
    if (!m_wallet.bound) return false;
    auto spends = [this](const std::string& offer, const std::string& utxo) {
        return m_services->offer_spends_listing(offer, utxo);
    };
    return has_waiting_offer(listing, m_wallet.identity_key, spends);
}

void MainWindow::rebuildSellerChoices()
{
    const QString previous = m_seller_filter->currentIndex() > 0 ? m_seller_filter->currentText() : QString();
    const auto choices = seller_choices(m_book);
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
    m_refilling = true;
    m_proxy->setFilter(std::move(filter));
    restoreSelection();
    m_refilling = false;
    m_row_count->setText(qtext(row_count_text(static_cast<size_t>(m_proxy->rowCount()))));
    m_view->setEmptyTexts(empty_table_texts(m_book.empty(), live_count(m_book)));
}

void MainWindow::restoreSelection()
{
    const int source = m_model->rowOfId(m_selected_id);
    if (source < 0) return;
    const QModelIndex proxy = m_proxy->mapFromSource(m_model->index(source, 0));
    if (!proxy.isValid()) return;
    m_view->selectionModel()->setCurrentIndex(
        proxy, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(proxy);
}

void MainWindow::onSelectionChanged()
{
    if (m_refilling) return;
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        m_selected_id.clear();
        return;
    }
    const int source = rows.first().data(BookTableModel::ListingIndexRole).toInt();
    if (source >= 0 && static_cast<size_t>(source) < m_book.size()) m_selected_id = m_book[static_cast<size_t>(source)].id;
}

const book::Listing* MainWindow::selectedListing() const
{
    if (m_selected_id.empty()) return nullptr;
    for (const auto& listing : m_book)
        if (listing.id == m_selected_id) return &listing;
    return nullptr;
}

void MainWindow::onRowActivated(const QModelIndex& index)
{
    const int source = index.data(BookTableModel::ListingIndexRole).toInt();
    if (source < 0 || static_cast<size_t>(source) >= m_book.size()) return;
    const std::string& id = m_book[static_cast<size_t>(source)].id;
    if (id.size() != 64) return;
    platform::open_url(m_services->tx_page_url(id));
}

void MainWindow::updateFlash()
{
    if (m_offers_waiting) {
        if (!m_flash_timer.isActive()) m_flash_timer.start();
    } else {
        m_flash_timer.stop();
        m_flash_on = false;
        m_delegate->setFlashOn(false);
        button(ID_COMPLETE)->setFlashOn(false);
        button(ID_CURRENT)->setFlashOn(false);
    }
    m_view->viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Worker messages

bool MainWindow::event(QEvent* event)
{
    if (event->type() > QEvent::User && event->type() <= QEvent::User + 8) {
        if (auto* message = dynamic_cast<AppMessageEvent*>(event)) {
            handleMessage(*message);
            return true;
        }
    }
    return QWidget::event(event);
}

void MainWindow::handleMessage(AppMessageEvent& event)
{
    const AppMessage message = event.message();
    switch (message) {
    case MSG_CONNECT_RESULT: onConnectResult(event.payload_as<ConnectResultPayload>()); break;
    case MSG_BOOK_LOADED: onBookLoaded(event.payload_as<BookLoadedPayload>()); break;
    case MSG_ACTION_RESULT: onActionResult(event.payload_as<ActionResultPayload>()); break;
    case MSG_PROGRESS:
        if (auto* p = event.payload_as<ProgressPayload>(); p && !p->text.empty()) setStatus(p->text);
        break;
    case MSG_LOTS_LOADED: onLotsLoaded(event.payload_as<LotsLoadedPayload>()); break;
    case MSG_HISTORY_LOADED: onHistoryLoaded(event.payload_as<HistoryLoadedPayload>()); break;
    case MSG_BALANCE_DONE: onBalanceDone(event.payload_as<BalanceDonePayload>()); break;
    case MSG_UPDATE_CHECKED: onUpdateChecked(event.payload_as<UpdateCheckedPayload>()); break;
    }
    emit messageHandled(message);
}

void MainWindow::onConnectResult(ConnectResultPayload* payload)
{
    setBusy(false);
    if (payload) applyWallet(payload->wallet);
    refreshWalletTexts();
    if (payload && starts_with(payload->result, "success")) {
        setStatus(QString("Connected. Loading the book..."));
        startBalanceWorker();
        reloadBook(false);
        return;
    }
    setStatus(payload ? qtext(payload->result) : QString("Connect failed."));
}

void MainWindow::onBookLoaded(BookLoadedPayload* payload)
{
    const bool was_silent = m_silent_load;
    const bool had_offers = m_offers_waiting;
    m_silent_load = false;
    if (!was_silent) setBusy(false);
    const std::string error = payload ? payload->error : std::string(BOOK_LOAD_FAILED);
    if (payload) applyWallet(payload->wallet);

    // A failed load keeps the book on screen: an outage must not empty the market view.
    if (error.empty() && payload) {
        m_book = std::move(payload->listings);
        // The selection follows the listing, not its position in the old book.
        bool selected_present = false;
        for (const auto& listing : m_book)
            if (listing.id == m_selected_id) selected_present = true;
        if (!selected_present) m_selected_id.clear();

        std::vector<bool> waiting(m_book.size(), false);
        for (size_t i = 0; i < m_book.size(); ++i) waiting[i] = hasWaitingOffer(m_book[i]);
        m_model->setBook(m_book, waiting);
        m_thumbs->forgetFailures();
        rebuildSellerChoices();
        refillTable();

        if (!m_pending_id.empty()) {
            bool live = false;
            for (const auto& listing : m_book)
                if (listing.id == m_pending_id && listing.status == "live") live = true;
            if (live) {
                m_pending_id.clear();
            } else if (m_pending_retries < 2) {
                ++m_pending_retries;
                m_repoll_timer.start();
            } else {
                m_pending_id.clear();
            }
        }
        m_offers_waiting = m_wallet.bound && std::find(waiting.begin(), waiting.end(), true) != waiting.end();
        updateFlash();
    }
    refreshWalletTexts();

    if (!error.empty()) {
        if (!was_silent) setStatus(qtext(error));
    } else if (m_offers_waiting && !had_offers) {
        setStatus(QString(STATUS_OFFER_WAITING));
    } else if (!was_silent) {
        setStatus(qtext(book_loaded_status(live_count(m_book))));
    }
}

void MainWindow::onActionResult(ActionResultPayload* payload)
{
    setBusy(false);
    refreshWalletTexts();
    startBalanceWorker();
    if (!payload || !payload->result) {
        setStatus(QString("Done."));
        reloadBook(false);
        return;
    }
    const std::string& result = *payload->result;
    setStatus(qtext(result));
    const std::string txid = core::find_hex64(result);
    if (payload->list_post && starts_with(result, "success") && !txid.empty()) {
        m_pending_id = ascii_lower(txid);
        m_pending_retries = 0;
    }
    showMessage("Tavrin Agoran", qtext(result), qtext(txid));
    reloadBook(false);
}

void MainWindow::onLotsLoaded(LotsLoadedPayload* payload)
{
    setBusy(false);
    if (!payload) return;
    m_lots = std::move(payload->lots);
    if (!payload->error.empty()) {
        setStatus(qtext(payload->error));
        return;
    }
    if (!m_lots.empty()) {
        setStatus(QString("Pick a lot and post a listing."));
        if (m_lots_handler) m_lots_handler(*payload);
    } else {
        setStatus(QString("No lots on this wallet yet. Mint or receive in Pursa first."));
    }
}

void MainWindow::onHistoryLoaded(HistoryLoadedPayload* payload)
{
    setBusy(false);
    if (payload) m_history = std::move(payload->rows);
    else m_history.clear();
    if (payload && !payload->error.empty()) {
        showMessage("History", qtext(payload->error));
        return;
    }
    if (m_history_handler) m_history_handler();
    setStatus(QString("History loaded."));
}

void MainWindow::onBalanceDone(BalanceDonePayload* payload)
{
    if (payload) {
        WalletSnapshot wallet = payload->wallet;
        wallet.balance_known = true;
        applyWallet(wallet);
    }
    refreshWalletTexts();
}

void MainWindow::onUpdateChecked(UpdateCheckedPayload* payload)
{
    m_update_code = payload ? payload->code : -1;
    m_update_available = update_available(m_update_code);
    updateVersionLabel();
    if (!m_update_available || !m_options.ask_update_question) return;
    const QString page = qtext(m_services->product_page());
    auto* box = new QMessageBox(QMessageBox::Warning, UPDATE_QUESTION_TITLE,
                                qtext(update_question_text(m_update_code, utf8(page))),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName("update.question");
    box->setAttribute(Qt::WA_DeleteOnClose, true);
    connect(box, &QMessageBox::finished, this, [page](int result) {
        if (result == QMessageBox::Yes) platform::open_url(utf8(page));
    });
    box->open();
}

void MainWindow::updateVersionLabel()
{
    const Theme& theme = active_theme();
    m_version->setText(qtext(version_label_text(m_update_code, m_services->product_page())));
    if (m_update_code < 0) m_version->setColour(qcolor(theme.muted));
    else if (m_update_available) m_version->setColour(QColor(0xFF, 0x5C, 0x48));
    else m_version->setColour(qcolor(theme.accent));
    m_version->setCursor(m_update_available ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

// ---------------------------------------------------------------------------------------------
// Tiles, secondary windows, theme

void MainWindow::setTileHandler(int controlId, std::function<void()> handler)
{
    m_tile_handlers[controlId] = std::move(handler);
}

bool MainWindow::beginAction(const QString& title, int tileId, const QString& status)
{
    if (!m_wallet.bound) {
        showMessage(title, "Connect a Pursa wallet first.");
        return false;
    }
    if (m_busy) {
        setStatus(QString(STATUS_ALREADY_WORKING));
        return false;
    }
    setBusy(true, tileId);
    setStatus(status);
    return true;
}

void MainWindow::requestLots()
{
    if (!beginAction("List", ID_LIST, "Loading lots from this wallet...")) return;
    startWorker([](MarketServices& services, PostTarget& target) {
        auto payload = std::make_unique<LotsLoadedPayload>();
        try {
            payload->error = services.list_lots(payload->lots);
        } catch (...) {
            payload->lots.clear();
            payload->error = "error: could not list the lots.";
        }
        target.post(MSG_LOTS_LOADED, std::move(payload));
    });
}

void MainWindow::requestHistory()
{
    if (!beginAction("History", ID_HISTORY, "Loading your Tavrin Agoran history...")) return;
    startWorker([](MarketServices& services, PostTarget& target) {
        auto payload = std::make_unique<HistoryLoadedPayload>();
        try {
            // The wallet's identity is read on the worker, as the history needs it.
            const std::string key = services.wallet_snapshot().identity_key;
            if (!services.load_history(key, payload->rows, payload->error) && payload->error.empty())
                payload->error = "error: history load failed";
        } catch (...) {
            payload->rows.clear();
            payload->error = "error: history load failed";
        }
        target.post(MSG_HISTORY_LOADED, std::move(payload));
    });
}

void MainWindow::onTile(int controlId)
{
    if (const auto it = m_tile_handlers.find(controlId); it != m_tile_handlers.end() && it->second) {
        it->second();
        return;
    }
    if (controlId == ID_LIST) {
        requestLots();
        return;
    }
    if (controlId == ID_HISTORY) {
        requestHistory();
        return;
    }
    if (!m_wallet.bound) {
        showMessage(tile_title(controlId), "Connect a Pursa wallet first.");
        return;
    }
    showMessage(tile_title(controlId), "This action is not available in this build yet.");
}

void MainWindow::placeBeside(QWidget* window) const
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    const QSize size = window->size();
    const Rect at = place_beside(to_rect(frameGeometry()), size.width(), size.height(), to_rect(work));
    window->move(at.x, at.y);
}

bool MainWindow::showMessage(const QString& title, const QString& text, const QString& txid,
                             const QString& confirmLabel)
{
    if (m_note) {
        m_note->close();
        m_note = nullptr;
    }
    auto* note = new MessageWindow(title, text, txid, confirmLabel, this);
    m_note = note;
    placeBeside(note);
    if (confirmLabel.isEmpty()) {
        note->show();
        return false;
    }
    note->setWindowModality(Qt::ApplicationModal);
    bool confirmed = false;
    QEventLoop loop;
    connect(note, &MessageWindow::finished, &loop, [&](bool ok) {
        confirmed = ok;
        loop.quit();
    });
    note->show();
    loop.exec();
    return confirmed;
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
    placeBeside(settings);
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
    auto* help = new HelpWindow(this);
    m_help = help;
    placeBeside(help);
    help->show();
}

void MainWindow::applyTheme(int index)
{
    set_active_theme(index);
    // The colours computed from the theme: status, labels, version.
    m_status->setColour(qcolor(status_colour(m_status_kind, active_theme().text)));
    refreshWalletTexts();
    updateVersionLabel();
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_settings.data()),
                       static_cast<QWidget*>(m_note.data()), static_cast<QWidget*>(m_help.data())}) {
        if (!w) continue;
        w->update();
        for (QWidget* child : w->findChildren<QWidget*>()) child->update();
    }
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
    m_busy_timer.stop();
    m_status_timer.stop();
    m_repoll_timer.stop();
    m_flash_timer.stop();
    m_auto_timer.stop();
    for (QWidget* w : {static_cast<QWidget*>(m_settings.data()), static_cast<QWidget*>(m_note.data()),
                       static_cast<QWidget*>(m_help.data())})
        if (w) w->close();
    event->accept();
}

} // namespace ui
