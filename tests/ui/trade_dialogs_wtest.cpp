// The trade dialogs on the offscreen platform over scripted trade routines: what each window
// shows (read from its widgets), the refusals the dialogs make themselves and those the routines
// give, what each action hands the routines, and the questions asked before anything is signed.
// tests/ui/trade_simulator_wtest.cpp drives the same windows over the simulator.
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QComboBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QValueAxis>


#include <gtest/gtest.h>

#include "ui/buy_dialog.h"
#include "core/market_clock.h"
#include "ui/card_list.h"
#include "ui/chart_window.h"
#include "ui/complete_dialog.h"
#include "ui/history_window.h"
#include "ui/list_dialog.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/mine_window.h"
#include "ui/report_dialog.h"
#include "ui/tools/sample_art.h"
#include "ui/tools/sample_market.h"
#include "ui/tools/sample_trade.h"
#include "ui/trade_dialogs.h"

namespace {

using ui::Action;

const std::string ME = "02" + std::string(64, 'a');

ui::WalletSnapshot bound_wallet() { return ui::sample_wallet(ME); }

class TradeDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        now = core::system_seconds();
        book = ui::sample_trade_book(ME, now);
        market = std::make_shared<ui::ScriptedServices>();
        market->set_book(book);
        market->set_wallet(bound_wallet());
        market->set_lots(ui::sample_lots());
        market->set_history(ui::sample_trade_history(ME, now));
        trade = std::make_shared<ui::ScriptedTradeServices>();
        ui::MainWindow::Options options;
        options.start_update_check = false;
        main = std::make_unique<ui::MainWindow>(market, options);
        dialogs = new ui::TradeDialogs(*main, trade);
        main->show();
        ASSERT_TRUE(idle());
    }

    void TearDown() override
    {
        main->close();
        main.reset();
    }

    bool idle(int ms = 5000)
    {
        return QTest::qWaitFor(
            [&] { return !main->controller().isBusy() && !main->controller().silentLoadRunning(); }, ms);
    }

    void click(Action tile) { QTest::mouseClick(main->tile(tile), Qt::LeftButton); }
    static void click(QWidget* window, const char* name)
    {
        auto* button = window->findChild<QAbstractButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The message window's title and text once it shows ("" when none does); an open question
    // is not a message.
    std::string message(int ms = 3000)
    {
        auto shown = [&] { return main->messageWindow() && !main->messageWindow()->confirmMode(); };
        if (!QTest::qWaitFor(shown, ms)) return "";
        return main->messageWindow()->title().toStdString() + ": " + main->messageWindow()->text().toStdString();
    }
    void dismiss()
    {
        if (auto* note = main->messageWindow()) note->close();
        QTest::qWait(10);
    }

    // The open question: "title: text [confirm | close]"; answered yes or no.
    std::string answer(bool yes)
    {
        ui::MessageWindow* question = nullptr;
        (void)QTest::qWaitFor(
            [&] {
                for (auto* note : main->findChildren<ui::MessageWindow*>())
                    if (note->confirmMode() && note->isVisible()) question = note;
                return question != nullptr;
            },
            3000);
        if (!question) return "no question";
        const std::string asked = question->title().toStdString() + ": " + question->text().toStdString() + " [" +
                                  question->confirmButton()->text().toStdString() + " | " +
                                  question->closeButton()->text().toStdString() + "]";
        QTest::mouseClick(yes ? question->confirmButton() : question->closeButton(), Qt::LeftButton);
        return asked;
    }

    int64_t now = 0;
    std::vector<book::Listing> book;
    std::shared_ptr<ui::ScriptedServices> market;
    std::shared_ptr<ui::ScriptedTradeServices> trade;
    std::unique_ptr<ui::MainWindow> main;
    ui::TradeDialogs* dialogs = nullptr;
};

// The lot menu marks a lot that is listed already and refuses it in plain words; a token lot
// defaults to all that is held, in token units, and says that the rest of a lot listed in part
// waits; a picture is one; the note counts its characters.
TEST_F(TradeDialogsTest, TheListDialogSpeaksInLotsAndTokenUnits)
{
    ui::WalletSnapshot wallet = bound_wallet();
    wallet.reserved_utxos = {std::string(64, '2') + "_1"};  // the Owl Coin lot
    market->set_wallet(wallet);
    main->controller().reloadBook(false);
    ASSERT_TRUE(idle());
    click(Action::List);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() != nullptr; }, 3000));
    ui::ListDialog* list = dialogs->listDialog();
    QComboBox* lots = list->lotChoice();
    ASSERT_EQ(lots->count(), 3);
    EXPECT_EQ(lots->itemText(0), "Owl Coin \u00B7 500 Owl Coin held \u00B7 listed");
    EXPECT_EQ(lots->itemText(1), "LAUR \u00B7 12,000 LAUR held");
    EXPECT_EQ(lots->itemText(2), "Dawn over the Stoa \u00B7 picture");
    EXPECT_EQ(lots->currentIndex(), 1);  // the first lot not listed yet
    EXPECT_EQ(list->qtyBox()->text(), "12,000");
    EXPECT_EQ(list->heldLabel()->text(), "you hold 12,000 LAUR");
    EXPECT_TRUE(list->restLabel()->isHidden());
    list->qtyBox()->setText("2,500.5");
    EXPECT_EQ(list->restLabel()->text(),
              "The whole lot stays held while it is listed: the other 9,499.5 LAUR wait until the listing ends.");
    list->noteBox()->setText("Half the bag");
    EXPECT_EQ(list->noteCounter()->text(), "12 / 140");

    list->priceBox()->setText("1.25");
    QTest::mouseClick(list->postButton(), Qt::LeftButton);
    ASSERT_TRUE(idle());
    // The routine reads base units.
    const auto planned = trade->calls("plan_listing");
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].extra, "250050|1.25|Half the bag");
    EXPECT_EQ(message(), "List: Your listing is posted. It shows as live once the book oracle has seen it.");
    dismiss();

    click(Action::List);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() != nullptr; }, 3000));
    list = dialogs->listDialog();
    list->lotChoice()->setCurrentIndex(2);
    EXPECT_TRUE(list->qtyBox()->isReadOnly());
    EXPECT_EQ(list->qtyBox()->text(), "1");
    list->lotChoice()->setCurrentIndex(0);
    QTest::mouseClick(list->postButton(), Qt::LeftButton);
    EXPECT_EQ(message(), "List: That lot is already listed. It can be listed again when that listing ends.");
    EXPECT_EQ(dialogs->listDialog(), list);
    EXPECT_EQ(trade->calls("plan_listing").size(), 1u);
}

TEST_F(TradeDialogsTest, ListRefusalsKeepTheDialogAndClosingReleasesTheReserve)
{
    click(Action::List);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() != nullptr; }, 3000));
    ui::ListDialog* list = dialogs->listDialog();
    trade->set_answer("plan_listing", "Enter a price in BSV (total for the qty).");
    QTest::mouseClick(list->postButton(), Qt::LeftButton);
    EXPECT_EQ(message(), "List: Enter a price in BSV (total for the qty).");
    EXPECT_EQ(dialogs->listDialog(), list);
    dismiss();

    // Closed while its lot is being reserved: nothing is posted and the lot is let go.
    trade->set_answer("plan_listing", "");
    trade->set_delay_ms(300);
    list->priceBox()->setText("1");
    list->noteBox()->setText("fine");
    QTest::mouseClick(list->postButton(), Qt::LeftButton);
    list->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("reserve_remove").empty(); }, 3000));
    EXPECT_TRUE(trade->calls("publish_listing").empty());
}

// Buy shows what is bought before anything is paid: the inscription the listing output holds,
// the item, the seller and the seller's note as theirs, the price per unit and the cost of the
// quantity typed; the offer is built for base units.
TEST_F(TradeDialogsTest, BuyShowsWhatIsBoughtBeforePaying)
{
    book[2].dec = 2;  // Laurel: 5000 units are 50.00 LAUR
    book[2].claimed.name = "Golden Owl";  // the seller's word; the book flags it
    book[2].claims_differ = true;
    market->set_book(book);
    main->controller().reloadBook(false);
    ASSERT_TRUE(idle());
    ASSERT_TRUE(main->showListing(book[2].id));
    click(Action::Buy);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    auto text = [&](const char* name) { return buy->findChild<QLabel*>(name)->text().toStdString(); };
    EXPECT_EQ(text("item"), "Laurel (LAUR)");
    EXPECT_EQ(text("seller"), "zeno@tavrinnode.example");
    EXPECT_EQ(text("available"), "50 LAUR");
    EXPECT_EQ(text("price"), "12.50000000 BSV total");
    EXPECT_EQ(text("unitPrice"), "0.25000000 BSV");
    EXPECT_EQ(text("note"), "Partial fills welcome");
    EXPECT_EQ(text("warning"), "The seller's post calls this Golden Owl; the chain says Laurel (LAUR).");
    EXPECT_EQ(buy->qtyBox()->text(), "50");
    buy->qtyBox()->setText("10.5");
    EXPECT_EQ(buy->costLabel()->text(), "You pay 2.62500000 BSV for 10.5 of 50 LAUR.");
    buy->qtyBox()->setText("51");
    EXPECT_EQ(buy->costLabel()->text(), "That is more than the listing holds.");
    QTest::mouseClick(buy->postButton(), Qt::LeftButton);
    EXPECT_EQ(message(), "Buy: That is more than the listing holds.");
    dismiss();
    buy->qtyBox()->setText("10.5");
    QTest::mouseClick(buy->postButton(), Qt::LeftButton);
    ASSERT_TRUE(idle());
    const auto planned = trade->calls("plan_buy");
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].extra, "1050");
    EXPECT_EQ(message(), "Buy: Your offer is posted. The seller completes the sale from their side.");
    dismiss();

    // A picture: drawn large from what its listing output holds (not from the icon its post
    // names); its quantity is one.
    market->set_content("pic-1", {ui::solid_png(Qt::green), "image/png"});
    market->set_content("famous_0", {ui::solid_png(Qt::red), "image/png"});
    book[4].claimed.icon = "famous_0";
    market->set_book(book);
    main->controller().reloadBook(false);
    ASSERT_TRUE(idle());
    ASSERT_TRUE(main->showListing(book[4].id));
    click(Action::Buy);
    buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    EXPECT_TRUE(buy->qtyBox()->isReadOnly());
    EXPECT_EQ(buy->findChild<QLabel*>("warning")->text().toStdString(),
              "The seller's post names another picture than the one its listing output holds; the picture shown is "
              "the one you would buy.");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !buy->picture()->pixmap().isNull(); }, 3000));
    const QImage drawn = buy->picture()->pixmap().toImage();
    EXPECT_EQ(drawn.width(), ui::BuyDialog::PICTURE_SIZE);
    EXPECT_EQ(drawn.pixelColor(drawn.width() / 2, drawn.height() / 2), QColor(Qt::green));
}

TEST_F(TradeDialogsTest, BuyRefusesItsOwnListingAndOneThatChangedOrWent)
{
    ASSERT_TRUE(main->showListing(book[0].id));
    click(Action::Buy);
    EXPECT_EQ(message(), "Buy: That is your listing. Cancel it if you want it down.");
    dismiss();
    ASSERT_TRUE(main->showListing(book[3].id));
    click(Action::Buy);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    auto changed = book;
    changed[3].price_sats += 1;
    market->set_book(changed);
    main->controller().reloadBook(false);
    ASSERT_TRUE(idle());
    QTest::mouseClick(buy->postButton(), Qt::LeftButton);
    EXPECT_EQ(message(), std::string("Buy: ") + "That listing changed since this window opened. Close it and open Buy "
                                                 "again to see the listing as it is now.");
    changed.erase(changed.begin() + 3);
    market->set_book(changed);
    main->controller().reloadBook(false);
    ASSERT_TRUE(idle());
    dismiss();
    QTest::mouseClick(buy->postButton(), Qt::LeftButton);
    EXPECT_EQ(message(), "Buy: Pick a live listing.");
    EXPECT_TRUE(trade->calls("plan_buy").empty());
}

// Every question before something is signed names the item, the amount and the other side,
// offers "Close" beside the action, and declining posts nothing.
TEST_F(TradeDialogsTest, QuestionsNameWhatTheyTouch)
{
    click(Action::Complete);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() != nullptr; }, 3000));
    ui::CompleteDialog* complete = dialogs->completeDialog();
    ASSERT_EQ(complete->cards()->count(), 3);
    complete->cards()->setSelected(0);
    QTest::mouseClick(complete->completeButton(), Qt::LeftButton);
    EXPECT_EQ(answer(false), "Complete: Sell 100 OWL to zeno@tavrinnode.example for 0.50000000 BSV?\n"
                             "This signs the reserved lot and broadcasts the sale. [Complete | Close]");
    ASSERT_TRUE(idle());
    EXPECT_TRUE(trade->calls("run_completion").empty());
    QTest::mouseClick(complete->completeButton(), Qt::LeftButton);
    answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return trade->calls("run_completion").size() == 1u; }, 3000));
    ASSERT_TRUE(idle());
    dismiss();

    ASSERT_TRUE(main->showListing(book[0].id));
    click(Action::Cancel);
    EXPECT_EQ(answer(true), "Cancel: Cancel your listing of 400 OWL for 2.00000000 BSV?\n"
                            "No second 0.01 fee. One sat on the book oracle. [Cancel listing | Close]");
    ASSERT_TRUE(QTest::qWaitFor([&] { return trade->calls("run_cancel_listing").size() == 1u; }, 3000));
    ASSERT_TRUE(idle());
    dismiss();

    ASSERT_TRUE(main->showListing(book[3].id));
    click(Action::Cancel);
    EXPECT_EQ(answer(false), "Cancel offer: Withdraw your offer of 3 AMPH for 0.09000000 BSV on "
                             "rhea@tavrinnode.example's listing?\nTakes your offer off the book. No second list fee. "
                             "[Cancel offer | Close]");
    ASSERT_TRUE(idle());
    EXPECT_TRUE(trade->calls("run_offer_cancel").empty());
}

// History is seen from the wallet: "you" on every row, offers made to it as such, its open
// offers marked, transaction ids cut in their middle.
TEST_F(TradeDialogsTest, HistoryIsSeenFromTheWallet)
{
    click(Action::History);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->historyWindow() != nullptr; }, 3000));
    QTableWidget* rows = dialogs->historyWindow()->list();
    auto cell = [&](int row, int column) { return rows->item(row, column)->text().toStdString(); };
    const int action = 2, who = 6;
    EXPECT_EQ(cell(0, action), "Offer (open)");
    EXPECT_EQ(cell(0, who), "you \u2192 rhea@tavrinnode.example");
    EXPECT_EQ(cell(2, action), "Offer to you");
    EXPECT_EQ(cell(2, who), "zeno@tavrinnode.example \u2192 you");
    EXPECT_EQ(cell(4, action), "Bought");
    EXPECT_EQ(cell(4, who), "rhea@tavrinnode.example \u2192 you");
    EXPECT_EQ(cell(5, who), "you");
    for (int r = 0; r < rows->rowCount(); ++r) EXPECT_NE(cell(r, who).find("you"), std::string::npos) << r;
    EXPECT_EQ(rows->textElideMode(), Qt::ElideMiddle);

    rows->selectRow(3);
    click(dialogs->historyWindow(), "cancelOffer");
    EXPECT_EQ(message(), "History: That row is not an open offer of yours.");
}

// Every range draws: one labelled category per bucket, every point inside the axes, and the
// fills that lie in the range drawn (the 90-day chart once drew nothing).
TEST_F(TradeDialogsTest, TheChartDrawsEveryRange)
{
    auto history = ui::sample_trade_history(ME, now);
    book::HistoryRow october = history[3];
    october.time = now - 70 * 86400;  // inside 90 days, outside 30
    history.push_back(october);
    market->set_history(history);
    click(Action::History);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->historyWindow() != nullptr; }, 3000));
    dialogs->openChart();
    ui::ChartWindow* chart = dialogs->chartWindow();
    ASSERT_NE(chart, nullptr);
    for (int mode = 0; mode < 2; ++mode) {
        chart->modeChoice()->setCurrentIndex(mode);
        for (int range = 0; range < chart->rangeChoice()->count(); ++range) {
            chart->rangeChoice()->setCurrentIndex(range);
            const auto& data = chart->chart();
            QChart* plot = chart->plot();
            auto* x = qobject_cast<QBarCategoryAxis*>(plot->axes(Qt::Horizontal).value(0));
            auto* y = qobject_cast<QValueAxis*>(plot->axes(Qt::Vertical).value(0));
            ASSERT_TRUE(x && y) << range;
            EXPECT_EQ(x->count(), static_cast<int>(data.in.size())) << range;
            EXPECT_EQ(y->titleText(), "BSV");
            double drawn = 0;
            for (QAbstractSeries* series : plot->series()) {
                if (auto* line = qobject_cast<QLineSeries*>(series)) {
                    ASSERT_EQ(line->count(), x->count()) << range;
                    for (const QPointF& p : line->points()) {
                        EXPECT_GE(p.x(), 0);
                        EXPECT_LT(p.x(), x->count());
                        EXPECT_GE(p.y(), y->min());
                        EXPECT_LE(p.y(), y->max()) << range;
                        drawn += p.y();
                    }
                }
                if (auto* bars = qobject_cast<QBarSeries*>(series)) {
                    for (QBarSet* set : bars->barSets()) {
                        ASSERT_EQ(set->count(), x->count()) << range;
                        for (int i = 0; i < set->count(); ++i) {
                            EXPECT_LE(set->at(i), y->max()) << range;
                            drawn += set->at(i);
                        }
                    }
                }
            }
            const double total = static_cast<double>(data.in_total + data.out_total) / 1e8;
            EXPECT_NEAR(drawn, total, 1e-6) << range;
            if (range >= 3) {
                EXPECT_GT(drawn, 0.19) << "the 70-day-old fill is drawn";
            }
        }
    }
}

TEST_F(TradeDialogsTest, ReportCountsItsTextAndSendsIt)
{
    click(Action::Report);
    ui::ReportDialog* report = dialogs->reportDialog();
    ASSERT_NE(report, nullptr);
    report->textBox()->setPlainText("   ");
    QTest::mouseClick(report->sendButton(), Qt::LeftButton);
    EXPECT_EQ(message(), "Report: Write a report (max 2000 characters).");
    dismiss();
    report->textBox()->setPlainText(QString(2001, 'r'));
    EXPECT_EQ(report->findChild<QLabel*>("counter")->text(), "2001 / 2000");
    report->textBox()->setPlainText("The Owl listing shows the wrong picture.");
    QTest::mouseClick(report->sendButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->reportDialog() == nullptr; }, 3000));
    EXPECT_EQ(message(), "Report: Your report is sent to the market's architect.");
    EXPECT_EQ(trade->calls("send_report").at(0).argument, "The Owl listing shows the wrong picture.");
    // The status line keeps the result while the book reloads behind it.
    ASSERT_TRUE(idle());
    EXPECT_TRUE(main->statusText().startsWith("Your report is sent to the market's architect."));
}

TEST_F(TradeDialogsTest, AnUnboundWalletOpensNoTradeWindow)
{
    market->set_wallet({});
    QTest::mouseClick(main->findChild<QPushButton*>("unbind"), Qt::LeftButton);
    for (const Action tile : {Action::List, Action::Buy, Action::Complete, Action::Current}) {
        dismiss();
        click(tile);
        const std::string shown = message();
        EXPECT_NE(shown.find("Connect a Pursa wallet first."), std::string::npos) << shown;
    }
    EXPECT_EQ(dialogs->listDialog(), nullptr);
    EXPECT_EQ(dialogs->completeDialog(), nullptr);
    EXPECT_EQ(dialogs->mineWindow(), nullptr);
}

} // namespace
