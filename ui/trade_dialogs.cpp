#include "ui/trade_dialogs.h"

#include "platform/open_url.h"
#include "trade/result_text.h"
#include "ui/buy_dialog.h"
#include "ui/chart_window.h"
#include "ui/complete_dialog.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"
#include "ui/history_window.h"
#include "ui/list_dialog.h"
#include "ui/mine_window.h"
#include "ui/report_dialog.h"

namespace ui {

namespace {

// The live listings: all that Complete and Listings & Offers read of the book.
std::vector<book::Listing> live_book(const std::vector<book::Listing>& book)
{
    std::vector<book::Listing> live;
    for (const auto& listing : book)
        if (listing.status == book::ListingStatus::Live) live.push_back(listing);
    return live;
}

} // namespace

TradeDialogs::TradeDialogs(MainWindow& main, std::shared_ptr<TradeServices> services)
    : QObject(&main), m_main(main), m_context(main, std::move(services))
{
    main.setTileHandler(Action::List, [this] { onList(); });
    main.setTileHandler(Action::Buy, [this] { onBuy(); });
    main.setTileHandler(Action::Cancel, [this] { onCancel(); });
    main.setTileHandler(Action::Complete, [this] { onComplete(); });
    main.setTileHandler(Action::Current, [this] { onCurrent(); });
    main.setTileHandler(Action::Report, [this] { onReport(); });
    connect(&main.controller(), &MarketController::lotsArrived, this, &TradeDialogs::openListDialog);
    connect(&main.controller(), &MarketController::historyArrived, this, &TradeDialogs::openHistoryWindow);
}

ListDialog* TradeDialogs::listDialog() const { return m_list; }
BuyDialog* TradeDialogs::buyDialog() const { return m_buy; }
CompleteDialog* TradeDialogs::completeDialog() const { return m_complete; }
MineWindow* TradeDialogs::mineWindow() const { return m_mine; }
HistoryWindow* TradeDialogs::historyWindow() const { return m_history; }
ChartWindow* TradeDialogs::chartWindow() const { return m_chart; }
ReportDialog* TradeDialogs::reportDialog() const { return m_report; }

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
    window->show();
    window->activateWindow();
}

// --- List ---

void TradeDialogs::onList()
{
    // An open dialog comes forward; otherwise the controller loads the lots (it asks for a
    // wallet first) and their arrival opens the dialog.
    if (m_main.controller().bound() && bringForward(m_list)) return;
    m_main.controller().requestLots();
}

void TradeDialogs::openListDialog()
{
    if (m_list) m_list->close();
    m_list = new ListDialog(m_context, m_main.controller().lots());
    present(m_list);
}

// --- Buy ---

void TradeDialogs::onBuy()
{
    const WalletSnapshot& wallet = m_main.controller().wallet();
    if (!wallet.bound) return m_context.refuse("Buy", trade_refusal(trade::TradeCode::ConnectFirst));
    if (wallet.paymail.empty())
        return m_context.refuse("Buy", trade_refusal(trade::TradeCode::PublishName, m_context.services()->registry_domain()));
    const book::Listing* listing = m_main.selectedListing();
    if (!listing || listing->status != book::ListingStatus::Live)
        return m_context.refuse("Buy", trade_refusal(trade::TradeCode::SelectLiveListing));
    if (!wallet.identity_key.empty() && listing->pubkey == wallet.identity_key)
        return m_context.refuse("Buy", trade_refusal(trade::TradeCode::OwnListing));
    if (m_buy && m_buy->heldListing().id == listing->id && bringForward(m_buy)) return;
    if (m_buy) m_buy->close();
    m_buy = new BuyDialog(m_context, *listing);
    present(m_buy);
}

// --- Cancel ---

void TradeDialogs::onCancel()
{
    const CancelChoice choice = cancel_choice(m_main.selectedListing(), m_main.controller().wallet());
    switch (choice.action) {
    case CancelAction::Refuse: return m_context.refuse("Cancel", choice.message);
    case CancelAction::CancelOffer: return openOfferCancel(choice.context);
    case CancelAction::ConfirmUnlist: break;
    }
    // The listing is held by its id from here on: the book may be reloaded while the user
    // reads the question.
    const book::Listing asked = *m_main.selectedListing();
    const DialogContext context = m_context;
    m_context.confirm("Cancel", cancel_listing_question(asked), CANCEL_CONFIRM_LABEL, [context, id = asked.id] {
        const MarketController& controller = context.controller();
        const book::Listing* listing = unlistable_listing(id, controller.book(), controller.wallet());
        if (!listing) return context.refuse("Cancel", trade_refusal(trade::TradeCode::ListingClosed));
        if (context.refuseWhenBusy()) return;
        context.startAction({Action::Cancel, "Cancel", STATUS_POSTING_CANCEL, STATUS_CANCEL_DONE},
                            [listing = *listing](TradeServices& services) { return services.run_cancel_listing(listing); });
    });
}

void TradeDialogs::openOfferCancel(const OfferCancelContext& context)
{
    if (std::string refusal = offer_cancel_refusal(context); !refusal.empty())
        return m_context.refuse("Cancel offer", refusal);
    const DialogContext dialogs = m_context;
    m_context.confirm("Cancel offer", offer_cancel_question(context), "Cancel offer", [dialogs, context] {
        if (dialogs.refuseWhenBusy()) return;
        dialogs.startAction({Action::Cancel, "Cancel offer", STATUS_CANCELLING_OFFER, STATUS_OFFER_CANCEL_DONE},
                            [listing_id = *context.listing_id, offer = context.offer](TradeServices& services) {
                                return services.run_offer_cancel(listing_id, offer);
                            });
    });
}

// --- Complete and Listings & Offers ---

void TradeDialogs::onComplete()
{
    const MarketController& controller = m_main.controller();
    if (!controller.bound()) return m_context.refuse("Complete", trade_refusal(trade::TradeCode::ConnectFirst));
    if (m_context.refuseWhenBusy()) return;
    QPointer<TradeDialogs> self = this;
    m_context.check<std::vector<CompleteRow>>(
        Action::Complete, STATUS_CHECKING_OFFERS,
        [book = live_book(controller.book()), key = controller.wallet().identity_key](TradeServices& services) {
            return run_complete_rows(book, key, services);
        },
        [self](std::optional<std::vector<CompleteRow>> rows) {
            if (!self) return;
            if (!rows) return self->m_context.refuse("Complete", trade::refusal_text("the offers could not be checked."));
            if (self->m_complete) self->m_complete->close();
            self->m_complete = new CompleteDialog(self->m_context, std::move(*rows));
            present(self->m_complete);
        });
}

void TradeDialogs::onCurrent()
{
    const MarketController& controller = m_main.controller();
    if (!controller.bound()) return m_context.refuse(MINE_TITLE, trade_refusal(trade::TradeCode::ConnectFirst));
    if (m_context.refuseWhenBusy()) return;
    QPointer<TradeDialogs> self = this;
    const WalletSnapshot& wallet = controller.wallet();
    m_context.check<MineCards>(
        Action::None, STATUS_CHECKING_OFFERS,
        [book = live_book(controller.book()), key = wallet.identity_key,
         paymail = wallet.paymail](TradeServices& services) { return run_mine_cards(book, key, paymail, services); },
        [self](std::optional<MineCards> cards) {
            if (!self) return;
            if (!cards) return self->m_context.refuse(MINE_TITLE, trade::refusal_text("the offers could not be checked."));
            if (self->m_mine) self->m_mine->close();
            self->m_mine = new MineWindow(*cards, &self->m_main);
            present(self->m_mine);
        });
}

// --- History (the controller loads the rows; their arrival opens the window) ---

void TradeDialogs::openHistoryWindow()
{
    if (m_history) m_history->close();
    const MarketController& controller = m_main.controller();
    auto* window = new HistoryWindow(controller.historyRows(), controller.book(), controller.wallet().identity_key, &m_main);
    m_history = window;
    connect(window, &HistoryWindow::refused, this, [this](const QString& text) { m_main.showMessage("History", text); });
    connect(window, &HistoryWindow::openTransaction, this, [this](const QString& txid) {
        if (!platform::open_url(m_main.controller().services()->tx_page_url(utf8(txid))))
            m_main.showMessage("History", "No web browser could be started to show the transaction.", txid);
    });
    connect(window, &HistoryWindow::chartRequested, this, &TradeDialogs::openChart);
    connect(window, &HistoryWindow::cancelOfferRequested, this, [this](const book::HistoryRow& row) {
        openOfferCancel(offer_cancel_context(row, m_main.controller().book()));
    });
    present(window);
}

void TradeDialogs::openChart()
{
    if (m_chart) m_chart->close();
    m_chart = new ChartWindow(m_history ? m_history->rows() : m_main.controller().historyRows(), &m_main);
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
