// The trade dialogs joined to the main window: the seven tiles open List, Buy, Complete,
// Listings & Offers, History, Cancel and Report; the controller's lots and history open the
// List and History windows. Holds at most one of each window. UI thread; lives as long as the
// main window.
#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

#include "ui/dialog_context.h"
#include "ui/offer_cancel.h"

namespace ui {

class ListDialog;
class BuyDialog;
class CompleteDialog;
class MineWindow;
class HistoryWindow;
class ChartWindow;
class ReportDialog;

class TradeDialogs : public QObject {
    Q_OBJECT
public:
    TradeDialogs(MainWindow& main, std::shared_ptr<TradeServices> services);

    // Asks "Withdraw your offer of ... on <seller>'s listing?" and, when confirmed, posts the
    // offer cancel. Used by the Cancel tile and the History window.
    void openOfferCancel(const OfferCancelContext& context);

    // The open windows (null when closed).
    ListDialog* listDialog() const;
    BuyDialog* buyDialog() const;
    CompleteDialog* completeDialog() const;
    MineWindow* mineWindow() const;
    HistoryWindow* historyWindow() const;
    ChartWindow* chartWindow() const;
    ReportDialog* reportDialog() const;

    // The tiles' actions (public for the screenshot program).
    void onList();
    void onBuy();
    void onCancel();
    void onComplete();
    void onCurrent();
    void onReport();
    void openChart();

private:
    void openListDialog();
    void openHistoryWindow();
    // Shows a window, or brings an open one forward.
    static void present(QWidget* window);
    static bool bringForward(QWidget* window);

    MainWindow& m_main;
    DialogContext m_context;
    QPointer<ListDialog> m_list;
    QPointer<BuyDialog> m_buy;
    QPointer<CompleteDialog> m_complete;
    QPointer<MineWindow> m_mine;
    QPointer<HistoryWindow> m_history;
    QPointer<ChartWindow> m_chart;
    QPointer<ReportDialog> m_report;
};

} // namespace ui
