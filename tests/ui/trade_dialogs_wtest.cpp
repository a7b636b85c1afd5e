// The trade dialogs on the offscreen platform over scripted trade routines: what each window
// shows (read from its widgets), the refusals the dialogs make themselves and those the routines
// give, what each action hands the routines, and the questions asked before anything is signed.
// The routines themselves are the trade suites'; tests/e2e trades through agoran-cli.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>


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

// The List dialog hands the routine base units for the token units typed; a picture is one; a
// lot listed already is refused in plain words and nothing is planned.
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
    EXPECT_EQ(lots->currentIndex(), 1);  // the first lot not listed yet
    list->qtyBox()->setText("2,500.5");
    list->noteBox()->setText("Half the bag");

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
    EXPECT_EQ(buy->findChild<QLabel*>("warning")->text().toStdString(),
              "The seller's post calls this Golden Owl; the chain says Laurel (LAUR).");
    buy->qtyBox()->setText("10.5");
    EXPECT_EQ(buy->costLabel()->text(), "You pay 2.62500000 BSV for 10.5 of 50 LAUR.");
    buy->qtyBox()->setText("51");
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

// The refusals of the listing held are tests/ui/held_listing_test.cpp; here, that they reach the user.
TEST_F(TradeDialogsTest, BuyRefusesItsOwnListingAndOneThatChanged)
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

TEST_F(TradeDialogsTest, HistoryCancelsOnlyAnOpenOfferOfTheWallet)
{
    click(Action::History);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->historyWindow() != nullptr; }, 3000));
    dialogs->historyWindow()->list()->selectRow(3);
    click(dialogs->historyWindow(), "cancelOffer");
    EXPECT_EQ(message(), "History: That row is not an open offer of yours.");
    EXPECT_TRUE(trade->calls("run_offer_cancel").empty());
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
