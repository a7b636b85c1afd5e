#include "ui/tools/dialog_shots.h"
#include "core/market_clock.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

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
#include "ui/message_window.h"
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

} // namespace

bool shoot_trade_dialogs(const QString& out, const QString& theme)
{
    const std::string me = "02" + std::string(64, 'a');
    const int64_t now = core::system_seconds();
    auto market = std::make_shared<ScriptedServices>();
    auto book = sample_trade_book(me, now);
    market->set_book(book);
    market->set_wallet(sample_wallet(me));
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
    underpaid.error = trade::underpaid_error(underpaid.paid_sats, underpaid.due_sats);
    trade->set_check(book[0].offers[1].offer, underpaid);

    MainWindow::Options options;
    options.start_update_check = false;
    options.ask_update_question = false;
    MainWindow main(market, options);
    TradeDialogs dialogs(main, trade);
    main.move(0, 0);
    main.resize(1366, 740);
    main.show();
    bool ok = wait_for([&] { return !main.controller().isBusy(); });
    const QString suffix = "-" + theme + ".png";

    dialogs.onList();
    ok &= wait_for([&] { return dialogs.listDialog() != nullptr; });
    if (auto* list = dialogs.listDialog()) {
        list->qtyBox()->setText("250");
        list->priceBox()->setText("1.25");
        list->noteBox()->setText("Half the bag, partial fills welcome");
        wait_ms(50);
        ok &= save(list, out + "/list" + suffix);
        list->close();
    }

    // Buy on someone else's listing: select it in the table.
    main.showListing(book[2].id);
    dialogs.onBuy();
    if (auto* buy = dialogs.buyDialog()) {
        buy->qtyBox()->setText("1000");
        wait_ms(300);  // the picture
        ok &= save(buy, out + "/buy" + suffix);
        buy->close();
    }

    // The question before an offer is withdrawn.
    dialogs.openOfferCancel(offer_cancel_context(book[2], book[2].offers[0]));
    wait_ms(50);
    if (auto* question = main.findChild<MessageWindow*>("TavrinNodeAgoranNote")) {
        ok &= save(question, out + "/offer-cancel" + suffix);
        question->close();
    }

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

    main.controller().requestHistory();
    ok &= wait_for([&] { return dialogs.historyWindow() != nullptr; });
    if (auto* history = dialogs.historyWindow()) {
        history->list()->selectRow(0);
        wait_ms(50);
        ok &= save(history, out + "/history" + suffix);
        dialogs.openChart();
        if (auto* chart = dialogs.chartWindow()) {
            chart->rangeChoice()->setCurrentIndex(1);  // 7 days
            wait_ms(100);
            ok &= save(chart, out + "/chart-line" + suffix);
            chart->modeChoice()->setCurrentIndex(1);
            wait_ms(100);
            ok &= save(chart, out + "/chart-bar" + suffix);
            chart->close();
        }
        history->close();
    }

    dialogs.onReport();
    if (auto* report = dialogs.reportDialog()) {
        report->textBox()->setPlainText("The listing of Golden Owl #7 shows a picture that is not the one in its output.");
        wait_ms(50);
        ok &= save(report, out + "/report" + suffix);
        report->close();
    }
    main.close();
    return ok;
}

} // namespace ui
