#include "ui/tools/dialog_shots.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>

#include "ui/buy_dialog.h"
#include "ui/card_list.h"
#include "ui/chart_window.h"
#include "ui/complete_dialog.h"
#include "ui/history_window.h"
#include "ui/list_dialog.h"
#include "ui/main_window.h"
#include "ui/mine_window.h"
#include "ui/offer_cancel_window.h"
#include "ui/report_dialog.h"
#include "ui/tools/sample_art.h"
#include "ui/tools/sample_market.h"
#include "ui/tools/sample_trade.h"
#include "ui/trade_dialogs.h"

namespace ui {

namespace {

void wait_ms(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool wait_for(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool save(QWidget* window, const QString& path)
{
    const bool ok = window && window->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toLocal8Bit().constData());
    return ok;
}

template <class T>
T* child(QWidget* parent, int id)
{
    return parent ? parent->findChild<T*>(QString::number(id)) : nullptr;
}

int64_t unix_now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

bool shoot_trade_dialogs(const QString& out, const QString& theme)
{
    const std::string me = "02" + std::string(64, 'a');
    const int64_t now = unix_now();
    auto market = std::make_shared<ScriptedServices>();
    auto book = sample_trade_book(me, now);
    market->set_book(book);
    WalletSnapshot wallet;
    wallet.bound = true;
    wallet.wallet_id = "w1";
    wallet.paymail = SAMPLE_PAYMAIL;
    wallet.identity_key = me;
    wallet.address = "1MelinaPaysHere000000000000000000";
    wallet.ordinals_address = "1MelinaOrdinals00000000000000000";
    wallet.balance_known = true;
    wallet.balance_sats = 1'284'500'000;
    market->set_wallet(wallet);
    const char* tickers[] = {"OBOL", "DRCH", "LAUR", "OWL", "AMPH"};
    for (int i = 0; i < 5; ++i)
        market->set_content(std::string("icon-") + tickers[i], {png_bytes(sample_picture(i, true)), "image/png"});
    market->set_content("pic-1", {png_bytes(sample_picture(1, false)), "image/png"});

    market->set_lots(sample_lots());
    market->set_history(sample_trade_history(me, now));
    auto trade = std::make_shared<ScriptedTradeServices>();
    trade::OfferCheck underpaid;
    underpaid.paid_sats = 1;
    underpaid.due_sats = 20'000'000;
    underpaid.error = "error: the offer pays the seller 0.00000001 BSV; 0.20000000 BSV is due.";
    trade->set_check(book[0].offers[1].offer, underpaid);

    MainWindow::Options options;
    options.start_update_check = false;
    options.ask_update_question = false;
    MainWindow main(market, options);
    TradeDialogs dialogs(main, trade);
    main.move(0, 0);
    main.show();
    bool ok = wait_for([&] { return !main.isBusy(); });
    const QString suffix = "-" + theme + ".png";

    dialogs.onList();
    ok &= wait_for([&] { return dialogs.listDialog() != nullptr; });
    if (auto* list = dialogs.listDialog()) {
        child<QLineEdit>(list, ID_LIST_QTY)->setText("250");
        child<QLineEdit>(list, ID_LIST_PRICE)->setText("1.25");
        child<QLineEdit>(list, ID_LIST_NOTE)->setText("Half the bag, partial fills welcome");
        wait_ms(50);
        ok &= save(list, out + "/list" + suffix);
        list->close();
    }

    // Buy on someone else's listing: select it in the table.
    if (auto* table = main.table()) {
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            table->selectRow(row);
            if (main.selectedListing() && main.selectedListing()->id == book[2].id) break;
        }
    }
    dialogs.onBuy();
    if (auto* buy = dialogs.buyDialog()) {
        child<QLineEdit>(buy, ID_BUY_QTY)->setText("1000");
        wait_ms(50);
        ok &= save(buy, out + "/buy" + suffix);
        buy->close();
    }

    // The modal offer-cancel window: grabbed while its own loop runs.
    bool offerShot = false;
    QTimer::singleShot(150, [&] {
        if (auto* window = dialogs.offerCancelWindow()) {
            offerShot = save(window, out + "/offer-cancel" + suffix);
            window->close();
        }
    });
    dialogs.openOfferCancel(offer_cancel_context(book[2], book[2].offers[0]));
    ok &= offerShot;

    dialogs.onComplete();
    ok &= wait_for([&] { return dialogs.completeDialog() != nullptr; });
    if (auto* complete = dialogs.completeDialog()) {
        complete->cards()->setSelected(1);
        wait_ms(50);
        ok &= save(complete, out + "/complete" + suffix);
        complete->close();
    }

    dialogs.onCurrent();
    ok &= wait_for([&] { return dialogs.mineWindow() != nullptr; });
    if (auto* mine = dialogs.mineWindow()) {
        wait_ms(50);
        ok &= save(mine, out + "/mine" + suffix);
        mine->close();
    }

    main.requestHistory();
    ok &= wait_for([&] { return dialogs.historyWindow() != nullptr; });
    if (auto* history = dialogs.historyWindow()) {
        history->list()->selectRow(0);
        wait_ms(50);
        ok &= save(history, out + "/history" + suffix);
        dialogs.openChart();
        if (auto* chart = dialogs.chartWindow()) {
            child<QComboBox>(chart, ID_CHART_RANGE)->setCurrentIndex(1);  // 7 days
            wait_ms(100);
            ok &= save(chart, out + "/chart-line" + suffix);
            child<QComboBox>(chart, ID_CHART_MODE)->setCurrentIndex(1);
            wait_ms(100);
            ok &= save(chart, out + "/chart-bar" + suffix);
            chart->close();
        }
        history->close();
    }

    dialogs.onReport();
    if (auto* report = dialogs.reportDialog()) {
        child<QPlainTextEdit>(report, ID_REPORT_TEXT)
            ->setPlainText("The listing of Golden Owl #7 shows a picture that is not the one in its output.");
        wait_ms(50);
        ok &= save(report, out + "/report" + suffix);
        report->close();
    }
    main.close();
    return ok;
}

} // namespace ui
