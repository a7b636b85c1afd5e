#include "ui/trade_dialogs.h"

#include <QEvent>

#include "platform/open_url.h"
#include "ui/buy_dialog.h"
#include "ui/chart_window.h"
#include "ui/complete_dialog.h"
#include "ui/control_ids.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"
#include "ui/history_window.h"
#include "ui/list_dialog.h"
#include "ui/mine_window.h"
#include "ui/offer_cancel_window.h"
#include "ui/report_dialog.h"

namespace ui {

namespace {

// The live listings: all that Complete and Listings & Offers read of the book.
std::vector<book::Listing> live_book(const std::vector<book::Listing>& book)
{
    std::vector<book::Listing> live;
    for (const auto& listing : book)
        if (listing.status == "live") live.push_back(listing);
    return live;
}

} // namespace

TradeDialogs::TradeDialogs(MainWindow& main, std::shared_ptr<TradeServices> services)
    : QObject(&main), m_main(main), m_context(main, std::move(services))
{
    main.setTileHandler(ID_LIST, [this] { onList(); });
    main.setTileHandler(ID_BUY, [this] { onBuy(); });
    main.setTileHandler(ID_CANCEL, [this] { onCancel(); });
    main.setTileHandler(ID_COMPLETE, [this] { onComplete(); });
    main.setTileHandler(ID_CURRENT, [this] { onCurrent(); });
    main.setTileHandler(ID_REPORT, [this] { onReport(); });
    main.setLotsHandler([this](LotsLoadedPayload&) { openListDialog(m_main.lots()); });
    main.setHistoryHandler([this] { openHistoryWindow(); });
    main.installEventFilter(this);
}

ListDialog* TradeDialogs::listDialog() const { return m_list; }
BuyDialog* TradeDialogs::buyDialog() const { return m_buy; }
CompleteDialog* TradeDialogs::completeDialog() const { return m_complete; }
MineWindow* TradeDialogs::mineWindow() const { return m_mine; }
HistoryWindow* TradeDialogs::historyWindow() const { return m_history; }
ChartWindow* TradeDialogs::chartWindow() const { return m_chart; }
ReportDialog* TradeDialogs::reportDialog() const { return m_report; }
OfferCancelWindow* TradeDialogs::offerCancelWindow() const { return m_offer_cancel; }

bool TradeDialogs::eventFilter(QObject* watched, QEvent* event)
{
    // The trade windows close with the main window.
    if (watched == &m_main && event->type() == QEvent::Close) {
        for (QWidget* w : std::initializer_list<QWidget*>{m_list, m_buy, m_complete, m_mine, m_history, m_chart,
                                                          m_report, m_offer_cancel})
            if (w) w->close();
    }
    return QObject::eventFilter(watched, event);
}

bool TradeDialogs::bringForward(QWidget* window)
{
    if (!window) return false;
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

void TradeDialogs::present(QWidget* window)
{
    m_main.placeBeside(window);
    window->show();
    window->activateWindow();
}

// --- List ---

void TradeDialogs::onList()
{
    // An open dialog comes forward; otherwise the window loads the lots (it asks for a wallet
    // first) and MSG_LOTS_LOADED opens the dialog.
    if (m_main.bound() && bringForward(m_list)) return;
    m_main.requestLots();
}

void TradeDialogs::openListDialog(std::vector<wallet::TvPursaOrdRow> lots)
{
    if (m_list) m_list->close();
    m_list = new ListDialog(m_context, std::move(lots));
    present(m_list);
}

// --- Buy ---

void TradeDialogs::onBuy()
{
    const WalletSnapshot& wallet = m_main.wallet();
    if (!wallet.bound) return m_context.refuse("Buy", CONNECT_FIRST);
    if (wallet.paymail.empty()) return m_context.refuse("Buy", publish_name_first(m_context.services()->registry_domain()));
    const book::Listing* listing = m_main.selectedListing();
    if (!listing || listing->status != "live") return m_context.refuse("Buy", BUY_SELECT_LIVE);
    if (!wallet.identity_key.empty() && listing->pubkey == wallet.identity_key)
        return m_context.refuse("Buy", BUY_OWN_LISTING);
    if (bringForward(m_buy)) return;
    m_buy = new BuyDialog(m_context, *listing);
    present(m_buy);
}

// --- Cancel ---

void TradeDialogs::onCancel()
{
    const CancelChoice choice = cancel_choice(m_main.selectedListing(), m_main.wallet());
    switch (choice.action) {
    case CancelAction::Refuse: return m_context.refuse("Cancel", choice.message);
    case CancelAction::CancelOffer: return openOfferCancel(choice.context);
    case CancelAction::ConfirmUnlist: break;
    }
    // The listing is held by its id from here on: the book may be reloaded while the user
    // reads the question.
    const std::string listing_id = m_main.selectedListing()->id;
    if (!m_main.showMessage("Cancel", CANCEL_CONFIRM, {}, CANCEL_CONFIRM_LABEL)) return;
    const book::Listing* listing = unlistable_listing(listing_id, m_main.book(), m_main.wallet());
    if (!listing) return m_context.refuse("Cancel", CANCEL_CLOSED);
    if (m_context.refuseWhenBusy()) return;
    m_context.startAction(ID_CANCEL, STATUS_POSTING_CANCEL, [listing = *listing](TradeServices& services) {
        return services.run_cancel_listing(listing);
    });
}

void TradeDialogs::openOfferCancel(const OfferCancelContext& context)
{
    if (std::string refusal = offer_cancel_refusal(context); !refusal.empty())
        return m_context.refuse("Cancel offer", refusal);
    if (m_offer_cancel) m_offer_cancel->close();
    auto* window = new OfferCancelWindow(context, &m_main);
    m_offer_cancel = window;
    m_main.placeBeside(window);
    if (!window->exec()) return;
    if (m_context.refuseWhenBusy()) return;
    m_context.startAction(ID_CANCEL, STATUS_CANCELLING_OFFER,
                          [listing_id = context.listing_id, offer = context.offer](TradeServices& services) {
                              return services.run_offer_cancel(listing_id, offer);
                          });
}

// --- Complete and Listings & Offers ---

void TradeDialogs::onComplete()
{
    if (!m_main.bound()) return m_context.refuse("Complete", CONNECT_FIRST);
    if (m_context.refuseWhenBusy()) return;
    QPointer<TradeDialogs> self = this;
    m_context.check<std::vector<CompleteRow>>(
        ID_COMPLETE, STATUS_CHECKING_OFFERS,
        [book = live_book(m_main.book()), key = m_main.wallet().identity_key](TradeServices& services) {
            return run_complete_rows(book, key, services);
        },
        [self](std::optional<std::vector<CompleteRow>> rows) {
            if (!self) return;
            if (!rows) return self->m_context.refuse("Complete", "error: the offers could not be checked.");
            if (self->m_complete) self->m_complete->close();
            self->m_complete = new CompleteDialog(self->m_context, std::move(*rows));
            self->present(self->m_complete);
        });
}

void TradeDialogs::onCurrent()
{
    if (!m_main.bound()) return m_context.refuse(MINE_TITLE, CONNECT_FIRST);
    if (m_context.refuseWhenBusy()) return;
    QPointer<TradeDialogs> self = this;
    const WalletSnapshot& wallet = m_main.wallet();
    m_context.check<MineCards>(
        0, STATUS_CHECKING_OFFERS,
        [book = live_book(m_main.book()), key = wallet.identity_key,
         paymail = wallet.paymail](TradeServices& services) { return run_mine_cards(book, key, paymail, services); },
        [self](std::optional<MineCards> cards) {
            if (!self) return;
            if (!cards) return self->m_context.refuse(MINE_TITLE, "error: the offers could not be checked.");
            if (self->m_mine) self->m_mine->close();
            self->m_mine = new MineWindow(*cards, &self->m_main);
            self->present(self->m_mine);
        });
}

// --- History (the window loads the rows; MSG_HISTORY_LOADED opens the window) ---

void TradeDialogs::openHistoryWindow()
{
    if (m_history) m_history->close();
    auto* window = new HistoryWindow(m_main.historyRows(), &m_main);
    m_history = window;
    connect(window, &HistoryWindow::refused, this, [this](const QString& text) { m_main.showMessage("History", text); });
    connect(window, &HistoryWindow::openTransaction, this,
            [this](const QString& txid) { platform::open_url(m_main.services()->tx_page_url(utf8(txid))); });
    connect(window, &HistoryWindow::chartRequested, this, &TradeDialogs::openChart);
    connect(window, &HistoryWindow::cancelOfferRequested, this, [this](const book::HistoryRow& row) {
        openOfferCancel(offer_cancel_context(row, m_main.book()));
    });
    present(window);
}

void TradeDialogs::openChart()
{
    if (m_chart) m_chart->close();
    m_chart = new ChartWindow(m_history ? m_history->rows() : m_main.historyRows(), &m_main);
    present(m_chart);
}

// --- Report ---

void TradeDialogs::onReport()
{
    if (bringForward(m_report)) return;
    m_report = new ReportDialog(m_context);
    present(m_report);
}

} // namespace ui
