// The trade dialogs on the offscreen platform over scripted trade routines: what each action
// hands the routines, that the refusals reach the user and the questions come before anything
// is signed. The routines themselves are the trade suites'.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "core/market_clock.h"
#include "ui/buy_dialog.h"
#include "ui/card_list.h"
#include "ui/complete_dialog.h"
#include "ui/dialog_texts.h"
#include "ui/list_dialog.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/report_dialog.h"
#include "ui/tools/sample_market.h"
#include "ui/tools/sample_trade.h"
#include "ui/trade_dialogs.h"

namespace {

using ui::Action;

const std::string ME = "02" + std::string(64, 'a');

class TradeDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        market->set_book(book);
        market->set_wallet(ui::sample_wallet(ME));
        market->set_lots(ui::sample_lots());
        market->set_history(ui::sample_trade_history(ME, now));
        main = std::make_unique<ui::MainWindow>(market, ui::MainWindow::Options{.start_update_check = false});
        dialogs = new ui::TradeDialogs(*main, trade);
        main->show();
        ASSERT_TRUE(idle());
    }
    void TearDown() override
    {
        main->close();
        main.reset();
    }

    bool idle()
    {
        return QTest::qWaitFor([&] { return !main->controller().isBusy() && !main->controller().silentLoadRunning(); }, 5000);
    }
    bool reload(const std::vector<book::Listing>& shown)
    {
        market->set_book(shown);
        main->controller().reloadBook(false);
        return idle();
    }
    void click(Action tile) { QTest::mouseClick(main->tile(tile), Qt::LeftButton); }
    template <class Dialog>
    Dialog* opened(Dialog* (ui::TradeDialogs::*which)() const)
    {
        (void)QTest::qWaitFor([&] { return (dialogs->*which)() != nullptr; }, 3000);
        return (dialogs->*which)();
    }

    // The message window's text once it shows, then closed ("" when none does).
    std::string message()
    {
        auto shown = [&] { return main->messageWindow() && !main->messageWindow()->confirmMode(); };
        if (!QTest::qWaitFor(shown, 3000)) return "";
        const std::string text = main->messageWindow()->text().toStdString();
        main->messageWindow()->close();
        QTest::qWait(10);
        return text;
    }
    // The open question's text, answered yes or no.
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
        const std::string asked = question->text().toStdString();
        QTest::mouseClick(yes ? question->confirmButton() : question->closeButton(), Qt::LeftButton);
        return asked;
    }

    int64_t now = core::system_seconds();
    std::vector<book::Listing> book = ui::sample_trade_book(ME, now);
    std::shared_ptr<ui::ScriptedServices> market = std::make_shared<ui::ScriptedServices>();
    std::shared_ptr<ui::ScriptedTradeServices> trade = std::make_shared<ui::ScriptedTradeServices>();
    std::unique_ptr<ui::MainWindow> main;
    ui::TradeDialogs* dialogs = nullptr;
};

TEST_F(TradeDialogsTest, TheListDialogHandsOverBaseUnitsAndLetsTheLotGoWhenClosed)
{
    ui::WalletSnapshot wallet = ui::sample_wallet(ME);
    wallet.reserved_utxos = {{*tx::Txid::parse(std::string(64, '2')), 1}};  // the Owl Coin lot
    market->set_wallet(wallet);
    ASSERT_TRUE(reload(book));
    click(Action::List);
    ui::ListDialog* list = opened(&ui::TradeDialogs::listDialog);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->lotChoice()->currentIndex(), 1);  // the first lot not listed yet
    list->qtyBox()->setText("2,500.5");
    list->noteBox()->setText("Half the bag");
    trade->set_answer("plan_listing", trade::TradeError(trade::TradeCode::PriceBad));
    QTest::mouseClick(list->postButton(), Qt::LeftButton);
    EXPECT_EQ(message(), trade::error_text(trade::TradeError(trade::TradeCode::PriceBad)));  // no "error: "
    EXPECT_EQ(dialogs->listDialog(), list);
    EXPECT_EQ(trade->calls("plan_listing").at(0).extra, "250050||Half the bag");  // base units
    list->lotChoice()->setCurrentIndex(0);
    QTest::mouseClick(list->postButton(), Qt::LeftButton);
    EXPECT_EQ(message(), "That lot is already listed. It can be listed again when that listing ends.");
    EXPECT_EQ(trade->calls("plan_listing").size(), 1u);

    list->lotChoice()->setCurrentIndex(1);
    trade->set_answer("plan_listing", std::nullopt);
    trade->set_delay_ms(300);
    list->priceBox()->setText("1");
    QTest::mouseClick(list->postButton(), Qt::LeftButton);
    list->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("reserve_remove").empty(); }, 3000));
    EXPECT_TRUE(trade->calls("publish_listing").empty());
}

TEST_F(TradeDialogsTest, BuyShowsWhatIsBoughtBeforePaying)
{
    book[2].dec = 2;  // Laurel: 5000 units are 50.00 LAUR
    book[2].claimed.name = "Golden Owl";
    book[2].claims_differ = true;
    ASSERT_TRUE(reload(book));
    ASSERT_TRUE(main->showListing(book[2].id));
    click(Action::Buy);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    EXPECT_TRUE(buy->findChild<QLabel*>("warning")->text().contains("Golden Owl"));
    buy->qtyBox()->setText("10.5");
    EXPECT_EQ(buy->costLabel()->text(), "You pay 2.62500000 BSV for 10.5 of 50 LAUR.");
    QTest::mouseClick(buy->postButton(), Qt::LeftButton);
    ASSERT_TRUE(idle());
    ASSERT_EQ(trade->calls("plan_buy").size(), 1u);
    EXPECT_EQ(trade->calls("plan_buy")[0].extra, "1050");
    EXPECT_NE(message(), "");

    ASSERT_TRUE(main->showListing(book[4].id));  // a picture is bought whole
    click(Action::Buy);
    buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    EXPECT_TRUE(buy->qtyBox()->isReadOnly());
}

// Which moved terms refuse is HeldListing's (buy_preview_test.cpp).
TEST_F(TradeDialogsTest, BuyRefusesItsOwnListingAndOneThatChanged)
{
    ASSERT_TRUE(main->showListing(book[0].id));
    click(Action::Buy);
    EXPECT_EQ(message(), ui::trade_refusal(trade::TradeCode::OwnListing));
    ASSERT_TRUE(main->showListing(book[3].id));
    click(Action::Buy);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    book[3].price_sats += 1;
    ASSERT_TRUE(reload(book));
    QTest::mouseClick(buy->postButton(), Qt::LeftButton);
    EXPECT_TRUE(message().starts_with("That listing changed since this window opened."));
    EXPECT_TRUE(trade->calls("plan_buy").empty());
}

TEST_F(TradeDialogsTest, QuestionsComeBeforeAnythingIsSigned)
{
    click(Action::Complete);
    ui::CompleteDialog* complete = opened(&ui::TradeDialogs::completeDialog);
    ASSERT_NE(complete, nullptr);
    complete->cards()->setSelected(0);
    QTest::mouseClick(complete->completeButton(), Qt::LeftButton);
    EXPECT_EQ(answer(false), "Sell 100 OWL to zeno@tavrinnode.example for 0.50000000 BSV?\n"
                             "This signs the reserved lot and broadcasts the sale.");
    ASSERT_TRUE(idle());
    EXPECT_TRUE(trade->calls("run_completion").empty());
    QTest::mouseClick(complete->completeButton(), Qt::LeftButton);
    answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return trade->calls("run_completion").size() == 1u; }, 3000));
    ASSERT_TRUE(idle());
    static_cast<void>(message());

    ASSERT_TRUE(main->showListing(book[0].id));
    click(Action::Cancel);
    EXPECT_EQ(answer(true), "Cancel your listing of 400 OWL for 2.00000000 BSV?\n"
                            "No second 0.01 fee. One sat on the book oracle.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return trade->calls("run_cancel_listing").size() == 1u; }, 3000));
}

TEST_F(TradeDialogsTest, ReportAndAnUnboundWallet)
{
    click(Action::Report);
    ui::ReportDialog* report = dialogs->reportDialog();
    ASSERT_NE(report, nullptr);
    report->textBox()->setPlainText("The Owl listing shows the wrong picture.");
    QTest::mouseClick(report->sendButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->reportDialog() == nullptr; }, 3000));
    EXPECT_EQ(trade->calls("send_report").at(0).argument, "The Owl listing shows the wrong picture.");
    ASSERT_TRUE(idle());
    static_cast<void>(message());

    market->set_wallet({});
    QTest::mouseClick(main->findChild<QPushButton*>("unbind"), Qt::LeftButton);
    for (const Action tile : {Action::List, Action::Buy, Action::Complete, Action::Current}) {
        click(tile);
        EXPECT_NE(message().find(ui::trade_refusal(trade::TradeCode::ConnectFirst)), std::string::npos);
    }
    EXPECT_EQ(dialogs->listDialog(), nullptr);
    EXPECT_EQ(dialogs->completeDialog(), nullptr);
    EXPECT_EQ(dialogs->mineWindow(), nullptr);
}

} // namespace
