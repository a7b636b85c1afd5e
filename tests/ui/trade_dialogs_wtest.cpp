// The trade dialogs on the offscreen platform over scripted trade routines: the windows, their
// controls and sizes, the refusals the dialogs make themselves and those the routines give
// (shown in the right window, the dialog kept), what each action hands the routines, busy state
// while a check runs, the listing held by id across reloads, and the keyboard.
// tests/ui/trade_simulator_wtest.cpp drives the same windows over the simulator.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <chrono>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "ui/buy_dialog.h"
#include "ui/card_list.h"
#include "ui/chart_window.h"
#include "ui/complete_dialog.h"
#include "ui/control_ids.h"
#include "ui/history_window.h"
#include "ui/list_dialog.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/mine_window.h"
#include "ui/offer_cancel_window.h"
#include "ui/report_dialog.h"
#include "ui/tools/sample_market.h"
#include "ui/tools/sample_trade.h"
#include "ui/trade_dialogs.h"

namespace {

const std::string ME = "02" + std::string(64, 'a');
const std::string TXID = "5e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a1b0c9d8e7f6a5b4c3d2e1f";

int64_t unix_now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

ui::WalletSnapshot bound_wallet()
{
    ui::WalletSnapshot w;
    w.bound = true;
    w.wallet_id = "w1";
    w.paymail = ui::SAMPLE_PAYMAIL;
    w.identity_key = ME;
    w.address = "1MelinaPaysHere000000000000000000";
    w.ordinals_address = "1MelinaOrdinals00000000000000000";
    w.balance_known = true;
    w.balance_sats = 500'000'000;
    return w;
}

template <class T>
T* child(QWidget* parent, int id)
{
    return parent ? parent->findChild<T*>(QString::number(id)) : nullptr;
}

class TradeDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        now = unix_now();
        book = ui::sample_trade_book(ME, now);
        market = std::make_shared<ui::ScriptedServices>();
        market->set_book(book);
        market->set_wallet(bound_wallet());
        market->set_lots(ui::sample_lots());
        market->set_history(ui::sample_trade_history(ME, now));
        trade = std::make_shared<ui::ScriptedTradeServices>();
        ui::MainWindow::Options options;
        options.start_update_check = false;
        options.ask_update_question = false;
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
        return QTest::qWaitFor([&] { return !main->isBusy() && !main->silentLoadRunning(); }, ms);
    }

    void click(int tile) { QTest::mouseClick(main->button(tile), Qt::LeftButton); }
    void click(QWidget* parent, int id)
    {
        auto* button = child<QAbstractButton>(parent, id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The message window's title and text, once it shows; "" when none shows in time. A
    // confirmation already answered may linger a moment: it is not the message.
    std::string message(int ms = 3000)
    {
        auto shown = [&] { return main->messageWindow() && !main->messageWindow()->confirmMode(); };
        if (!QTest::qWaitFor(shown, ms)) return "";
        auto* note = main->messageWindow();
        return note->title().toStdString() + ": " + note->text().toStdString();
    }
    void dismiss()
    {
        if (auto* note = main->messageWindow()) note->close();
        QTest::qWait(10);
    }

    // Answers the next confirmation (message window or offer-cancel window) when it shows.
    void answerNext(bool yes)
    {
        auto* timer = new QTimer(main.get());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, yes] {
            if (auto* note = main->messageWindow(); note && note->confirmMode() && note->isVisible()) {
                timer->stop();
                timer->deleteLater();
                auto* confirm = note->findChild<QAbstractButton*>("note.confirm");
                confirmText = note->title().toStdString() + ": " + note->text().toStdString() + " [" +
                              (confirm ? confirm->text().toStdString() : std::string()) + "]";
                QTest::mouseClick(yes ? confirm : note->findChild<QAbstractButton*>("note.cancel"), Qt::LeftButton);
            } else if (auto* window = dialogs->offerCancelWindow(); window && window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                confirmText = window->card().fields[0].value + " / " + window->card().fields[1].value;
                QTest::mouseClick(child<QAbstractButton>(window, yes ? ui::ID_OFFER_CANCEL_CONFIRM
                                                                     : ui::ID_OFFER_CANCEL_DISMISS),
                                  Qt::LeftButton);
            }
        });
        timer->start();
    }

    // Selects the listing in the main table (every status shown).
    void select(const std::string& id)
    {
        child<QComboBox>(main.get(), ui::ID_STATUS_FILTER)->setCurrentIndex(1);
        auto* table = main->table();
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            table->selectRow(row);
            if (main->selectedListing() && main->selectedListing()->id == id) return;
        }
        ADD_FAILURE() << "listing not in the table: " << id;
    }

    nlohmann::json posted(const std::string& routine, size_t index = 0)
    {
        const auto calls = trade->calls(routine);
        if (calls.size() <= index) return nullptr;
        return nlohmann::json::parse(calls[index].argument, nullptr, false);
    }

    ui::ListDialog* openList()
    {
        click(ui::ID_LIST);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() != nullptr; }, 3000));
        return dialogs->listDialog();
    }

    void fillList(ui::ListDialog* list, const char* qty, const char* price, const char* note, int lot = 0)
    {
        child<QComboBox>(list, ui::ID_LIST_LOT)->setCurrentIndex(lot);
        child<QLineEdit>(list, ui::ID_LIST_QTY)->setText(qty);
        child<QLineEdit>(list, ui::ID_LIST_PRICE)->setText(QString::fromUtf8(price));
        child<QLineEdit>(list, ui::ID_LIST_NOTE)->setText(QString::fromUtf8(note));
    }

    // Presses a dialog's button and returns the message it leads to ("" when none).
    std::string press(QWidget* window, int id)
    {
        dismiss();
        click(window, id);
        EXPECT_TRUE(idle());
        std::string shown = message(1000);
        EXPECT_TRUE(idle());  // an action result reloads the book
        return shown;
    }

    int64_t now = 0;
    std::vector<book::Listing> book;
    std::shared_ptr<ui::ScriptedServices> market;
    std::shared_ptr<ui::ScriptedTradeServices> trade;
    std::unique_ptr<ui::MainWindow> main;
    ui::TradeDialogs* dialogs = nullptr;
    std::string confirmText;
};

// --- List ---

TEST_F(TradeDialogsTest, ListNeedsAWalletThenLoadsTheLotsAndOpens)
{
    market->set_wallet({});
    click(ui::ID_UNBIND);
    click(ui::ID_LIST);
    EXPECT_EQ(message(), "List: Connect a Pursa wallet first.");
    EXPECT_EQ(dialogs->listDialog(), nullptr);
}

TEST_F(TradeDialogsTest, ListDialogShowsTheLots)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->objectName(), "TavrinNodeAgoranList");
    EXPECT_EQ(list->windowTitle(), "List");
    EXPECT_EQ(list->size(), QSize(570, 350));
    EXPECT_EQ(main->statusText(), "Pick a lot and post a listing");
    auto* lots = child<QComboBox>(list, ui::ID_LIST_LOT);
    ASSERT_EQ(lots->count(), 3);
    EXPECT_EQ(lots->currentIndex(), 0);
    EXPECT_EQ(lots->itemText(0), "Owl Coin  500 lots");
    EXPECT_EQ(lots->itemText(1), QString::fromStdString(std::string(64, '3') + "_0  12000 lots"));
    EXPECT_EQ(lots->itemText(2), "Dawn over the Stoa  picture");
    EXPECT_EQ(child<QLineEdit>(list, ui::ID_LIST_QTY)->text(), "1");
    for (int id = 1501; id <= 1511; ++id) EXPECT_NE(child<QWidget>(list, id), nullptr) << id;
    // Pressing List again brings the open dialog forward without loading again.
    click(ui::ID_LIST);
    EXPECT_EQ(dialogs->listDialog(), list);
}

TEST_F(TradeDialogsTest, ListRefusalsKeepTheDialogAndItsInputs)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    trade->set_answer("plan_listing", "Enter a price in BSV (total for the qty).");
    fillList(list, "250", "1,5", "fine");
    EXPECT_EQ(press(list, ui::ID_LIST_POST), "List: Enter a price in BSV (total for the qty).");
    EXPECT_EQ(dialogs->listDialog(), list);
    EXPECT_EQ(child<QLineEdit>(list, ui::ID_LIST_PRICE)->text(), "1,5");
    EXPECT_TRUE(child<QWidget>(list, ui::ID_LIST_POST)->isEnabled());
    EXPECT_FALSE(main->isBusy());
    // The routine got what the boxes held, untrimmed, for the chosen lot.
    const auto planned = trade->calls("plan_listing");
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].argument, std::string(64, '2') + "_1");
    EXPECT_EQ(planned[0].extra, "250|1,5|fine");
    EXPECT_TRUE(trade->calls("reserve_add").empty());
    EXPECT_TRUE(trade->calls("publish_listing").empty());
}

TEST_F(TradeDialogsTest, ListWithoutAPaymailNameIsRefused)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    auto wallet = bound_wallet();
    wallet.paymail.clear();
    market->set_wallet(wallet);
    click(ui::ID_BALANCE_REFRESH);  // the snapshot arrives with the balance
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->wallet().paymail.empty(); }, 3000));
    fillList(list, "250", "1.25", "fine");
    EXPECT_EQ(press(list, ui::ID_LIST_POST), "List: Publish a @tavrinnode.example name in Pursa first.");
    EXPECT_TRUE(trade->calls("plan_listing").empty());
}

TEST_F(TradeDialogsTest, ListReservesThenPublishesAndRepollsTheListing)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    fillList(list, " 0250 ", "1.25 ", "  Half the bag \u00E9\u00E9 ");
    click(list, ui::ID_LIST_POST);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("publish_listing").empty(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() == nullptr; }, 3000));
    EXPECT_EQ(trade->calls("plan_listing")[0].extra, " 0250 |1.25 |  Half the bag \u00E9\u00E9 ");
    const auto reserved = trade->calls("reserve_add");
    ASSERT_EQ(reserved.size(), 1u);
    EXPECT_EQ(reserved[0].argument, std::string(64, '2') + "_1");
    const auto published = trade->calls("publish_listing");
    EXPECT_EQ(published[0].extra, std::string(64, '2') + "_1");
    EXPECT_EQ(posted("publish_listing")["type"], "ag_list");
    const int64_t exp = posted("publish_listing")["exp"].get<int64_t>();
    EXPECT_GE(exp, now + 2'419'200);
    EXPECT_LE(exp, unix_now() + 2'419'200);
    // The result reaches the main window as a list post: its txid is re-polled.
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->pendingListing() == TXID || main->pendingRetries() > 0; }, 3000));
    EXPECT_EQ(message(), "Tavrin Agoran: success: " + TXID);
}

TEST_F(TradeDialogsTest, APictureLotReachesTheRoutineAsAPicture)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    fillList(list, "7", "0.00000001", "one picture", 2);
    click(list, ui::ID_LIST_POST);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("publish_listing").empty(); }, 3000));
    EXPECT_EQ(trade->calls("plan_listing")[0].argument, std::string(64, '5') + "_0");
    EXPECT_EQ(posted("publish_listing")["qty"], "1");
    EXPECT_EQ(trade->calls("reserve_add")[0].extra.substr(0, 66), std::string(64, '5') + "_0");
}

TEST_F(TradeDialogsTest, ListingTheSameOutpointTwiceStopsAtTheReserve)
{
    trade->set_answer("publish_listing", "error: the book oracle did not answer.");
    for (int attempt = 0; attempt < 2; ++attempt) {
        ui::ListDialog* list = openList();
        ASSERT_NE(list, nullptr);
        fillList(list, "5", "1", "again");
        dismiss();
        click(list, ui::ID_LIST_POST);
        if (attempt == 0) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() == nullptr; }, 3000));
            ASSERT_TRUE(idle());
            EXPECT_EQ(message(), "Tavrin Agoran: error: the book oracle did not answer.");
            dismiss();
        } else {
            ASSERT_TRUE(idle());
            EXPECT_EQ(message(), "List: error: that UTXO is already listed.");
            EXPECT_EQ(dialogs->listDialog(), list);
        }
    }
    // The scripted routine does not release the reserve: the second attempt met it.
    EXPECT_EQ(trade->calls("publish_listing").size(), 1u);
}

TEST_F(TradeDialogsTest, ClosingTheListDialogWhileItsLotIsReservedReleasesIt)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    trade->set_delay_ms(300);
    fillList(list, "5", "1", "closing");
    click(list, ui::ID_LIST_POST);
    EXPECT_TRUE(main->isBusy());
    EXPECT_FALSE(child<QWidget>(list, ui::ID_LIST_POST)->isEnabled());
    list->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("reserve_remove").empty(); }, 5000));
    EXPECT_EQ(trade->calls("reserve_remove")[0].argument, std::string(64, '2') + "_1");
    EXPECT_TRUE(trade->calls("publish_listing").empty());
    EXPECT_TRUE(idle());
}

TEST_F(TradeDialogsTest, ListKeyboardEnterPostsEscapeCloses)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    trade->set_answer("plan_listing", "Enter a price in BSV (total for the qty).");
    fillList(list, "5", "", "fine");
    auto* price = child<QLineEdit>(list, ui::ID_LIST_PRICE);
    price->setFocus();
    QTest::keyClick(price, Qt::Key_Return);
    EXPECT_TRUE(idle());
    EXPECT_EQ(message(), "List: Enter a price in BSV (total for the qty).");
    dismiss();
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() == nullptr; }, 1000));
}

TEST_F(TradeDialogsTest, TabWalksTheControlsInTheirOrder)
{
    // The order a user tabs through: the boxes top to bottom, then the buttons.
    auto walk = [](QWidget* window, int first, int steps) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        child<QWidget>(window, first)->setFocus(Qt::TabFocusReason);
        std::vector<std::string> order;
        for (int i = 0; i < steps; ++i) {
            QWidget* focused = QApplication::focusWidget();
            order.push_back(focused ? focused->objectName().toStdString() : "(none)");
            QTest::keyClick(focused ? focused : window, Qt::Key_Tab);
        }
        return order;
    };
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(walk(list, ui::ID_LIST_LOT, 7),
              (std::vector<std::string>{"1501", "1502", "1503", "1504", "1505", "1506", "1501"}));
    list->close();

    select(book[5].id);
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    EXPECT_EQ(walk(buy, ui::ID_BUY_QTY, 4), (std::vector<std::string>{"1601", "1602", "1603", "1601"}));
}

TEST_F(TradeDialogsTest, ListWhileBusySaysAlreadyWorkingAndAsksNothing)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    fillList(list, "5", "1", "while busy");
    // A report on its way keeps the window busy.
    click(ui::ID_REPORT);
    ui::ReportDialog* report = dialogs->reportDialog();
    ASSERT_NE(report, nullptr);
    child<QPlainTextEdit>(report, ui::ID_REPORT_TEXT)->setPlainText("slow report");
    trade->set_delay_ms(400);
    click(report, ui::ID_REPORT_SEND);
    ASSERT_TRUE(main->isBusy());
    dismiss();
    click(list, ui::ID_LIST_POST);
    // The busy status animates its dots.
    EXPECT_TRUE(main->statusText().startsWith("Already working")) << main->statusText().toStdString();
    EXPECT_EQ(main->messageWindow(), nullptr);
    EXPECT_EQ(dialogs->listDialog(), list);
    ASSERT_TRUE(idle());
    EXPECT_TRUE(trade->calls("plan_listing").empty());
    EXPECT_TRUE(trade->calls("reserve_add").empty());
}

// --- Buy ---

TEST_F(TradeDialogsTest, BuyOpeningRefusals)
{
    click(ui::ID_BUY);
    EXPECT_EQ(message(), "Buy: Select a live listing.");
    dismiss();
    select(book[6].id);  // the wallet's expired listing
    click(ui::ID_BUY);
    EXPECT_EQ(message(), "Buy: Select a live listing.");
    dismiss();
    select(book[0].id);  // the wallet's own live listing
    click(ui::ID_BUY);
    EXPECT_EQ(message(), "Buy: That is your listing. Cancel it if you want it down.");
    dismiss();
    EXPECT_EQ(dialogs->buyDialog(), nullptr);

    auto wallet = bound_wallet();
    wallet.paymail.clear();
    market->set_wallet(wallet);
    click(ui::ID_BALANCE_REFRESH);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->wallet().paymail.empty(); }, 3000));
    select(book[2].id);
    click(ui::ID_BUY);
    EXPECT_EQ(message(), "Buy: Publish a @tavrinnode.example name in Pursa first.");
}

TEST_F(TradeDialogsTest, BuyPreviewFollowsTheQtyBox)
{
    select(book[5].id);  // Drachma: 900 lots for 0.9 BSV
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    EXPECT_EQ(buy->objectName(), "TavrinNodeAgoranBuy");
    EXPECT_EQ(buy->size(), QSize(640, 560));
    auto* qty = child<QLineEdit>(buy, ui::ID_BUY_QTY);
    EXPECT_EQ(qty->text(), "900");
    EXPECT_EQ(buy->headerText(), "Buy up to 900 lots for 0.90000000 BSV total.");
    EXPECT_EQ(buy->costLine().text, "You pay 0.90000000 BSV for 900 lots.");
    qty->setText("1");
    EXPECT_EQ(buy->costLine().text, "You pay 0.00100000 BSV for 1 of 900 lots.");
    qty->setText("901");
    EXPECT_EQ(buy->costLine().text, "Qty is more than the listing.");
    EXPECT_FALSE(buy->costLine().accent);
    qty->clear();
    EXPECT_EQ(buy->costLine().text, "Enter a qty from 1 to 900.");
}

TEST_F(TradeDialogsTest, BuyRefusalsKeepTheDialog)
{
    select(book[5].id);
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    auto* qty = child<QLineEdit>(buy, ui::ID_BUY_QTY);
    for (const char* refusal : {"Qty must be at least 1.", "That lot is gone. UTXO spent", "Frozen identity. No buy.",
                                "Qty is more than the listing."}) {
        trade->set_answer("plan_buy", refusal);
        qty->setText("901");
        EXPECT_EQ(press(buy, ui::ID_BUY_POST), std::string("Buy: ") + refusal);
        EXPECT_EQ(dialogs->buyDialog(), buy);
        EXPECT_EQ(qty->text(), "901");
        EXPECT_TRUE(qty->isEnabled());
    }
    // The routine is asked about the listing the dialog holds, with the box as typed.
    const auto planned = trade->calls("plan_buy");
    ASSERT_EQ(planned.size(), 4u);
    EXPECT_EQ(planned[0].argument, book[5].id);
    EXPECT_EQ(planned[0].extra, "901");
    EXPECT_TRUE(trade->calls("run_buy").empty());
}

TEST_F(TradeDialogsTest, BuyBuildsTheOfferItChecked)
{
    select(book[3].id);
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    child<QLineEdit>(buy, ui::ID_BUY_QTY)->setText("5");
    click(buy, ui::ID_BUY_POST);
    EXPECT_TRUE(main->isBusy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("run_buy").empty(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->buyDialog() == nullptr; }, 1000));
    const auto post = posted("run_buy");
    EXPECT_EQ(post["type"], "ag_buy");
    EXPECT_EQ(post["listing"], book[3].id);
    EXPECT_EQ(post["qty"], "5");
    EXPECT_EQ(trade->calls("run_buy")[0].extra, book[3].utxo);
    EXPECT_EQ(message(), "Tavrin Agoran: success: " + TXID);
}

TEST_F(TradeDialogsTest, BuyHoldsItsListingAcrossReloads)
{
    select(book[3].id);
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);

    // A reload puts new listings in front and the user selects the neighbour: the offer is
    // still for the listing the dialog shows.
    auto reordered = book;
    auto fresh = reordered[5];
    fresh.id = std::string(64, '7');
    reordered.insert(reordered.begin(), fresh);
    market->set_book(reordered);
    click(ui::ID_REFRESH);
    ASSERT_TRUE(idle());
    EXPECT_EQ(main->selectedListing()->id, book[3].id);  // the selection follows the listing
    select(book[4].id);
    child<QLineEdit>(buy, ui::ID_BUY_QTY)->setText("12");
    click(buy, ui::ID_BUY_POST);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("run_buy").empty(); }, 3000));
    EXPECT_EQ(trade->calls("plan_buy")[0].argument, book[3].id);
    EXPECT_EQ(posted("run_buy")["listing"], book[3].id);
    EXPECT_EQ(trade->calls("run_buy")[0].extra, book[3].utxo);
}

TEST_F(TradeDialogsTest, BuyRefusesAListingThatChangedOrWent)
{
    select(book[3].id);
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);

    auto changed = book;
    changed[3].price_sats *= 2;
    market->set_book(changed);
    click(ui::ID_REFRESH);
    ASSERT_TRUE(idle());
    EXPECT_EQ(press(buy, ui::ID_BUY_POST),
              "Buy: That listing changed since this window opened. Close it and open Buy again to see the listing as "
              "it is now.");
    changed[3] = book[3];
    changed[3].utxo = std::string(64, '6') + "_0";  // a fill moved the lot
    market->set_book(changed);
    click(ui::ID_REFRESH);
    ASSERT_TRUE(idle());
    EXPECT_NE(press(buy, ui::ID_BUY_POST).find("That listing changed"), std::string::npos);

    changed[3] = book[3];
    changed[3].status = "cancelled";
    market->set_book(changed);
    click(ui::ID_REFRESH);
    ASSERT_TRUE(idle());
    EXPECT_EQ(press(buy, ui::ID_BUY_POST), "Buy: Pick a live listing.");
    changed.erase(changed.begin() + 3);
    market->set_book(changed);
    click(ui::ID_REFRESH);
    ASSERT_TRUE(idle());
    EXPECT_EQ(press(buy, ui::ID_BUY_POST), "Buy: Pick a live listing.");
    EXPECT_TRUE(trade->calls("plan_buy").empty());
    EXPECT_TRUE(trade->calls("run_buy").empty());
}

// --- Cancel ---

TEST_F(TradeDialogsTest, CancelRefusals)
{
    click(ui::ID_CANCEL);
    EXPECT_EQ(message(), "Cancel: Select a listing (yours to unlist, or one you offered on).");
    dismiss();
    select(book[6].id);
    click(ui::ID_CANCEL);
    EXPECT_EQ(message(), "Cancel: That listing is already closed.");
    dismiss();
    select(book[4].id);
    click(ui::ID_CANCEL);
    EXPECT_EQ(message(), "Cancel: That listing is not yours, and you have no open offer on it.");
    EXPECT_TRUE(trade->calls().empty());
}

TEST_F(TradeDialogsTest, CancelOwnListingAfterTheQuestion)
{
    select(book[0].id);
    answerNext(false);
    click(ui::ID_CANCEL);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(trade->calls("run_cancel_listing").empty());
    for (int id : {ui::ID_BUY, ui::ID_LIST, ui::ID_CANCEL, ui::ID_COMPLETE}) EXPECT_TRUE(main->button(id)->isEnabled());

    EXPECT_EQ(confirmText,
              "Cancel: Cancel this listing? No second 0.01 fee. One sat on the book oracle. [Cancel listing]");

    answerNext(true);
    click(ui::ID_CANCEL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("run_cancel_listing").empty(); }, 3000));
    EXPECT_EQ(trade->calls("run_cancel_listing")[0].argument, book[0].id);
    EXPECT_EQ(trade->calls("run_cancel_listing")[0].extra, book[0].utxo);
    EXPECT_EQ(message(), "Tavrin Agoran: success: " + TXID);
}

TEST_F(TradeDialogsTest, CancelAfterTheQuestionUsesTheListingItWasAskedAbout)
{
    select(book[0].id);
    // While the question is open the book reloads and the listing is sold.
    auto sold = book;
    sold[0].status = "sold";
    market->set_book(sold);
    auto* timer = new QTimer(main.get());
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
        auto* note = main->messageWindow();
        if (!note || !note->confirmMode()) return;
        if (!main->isBusy() && !main->silentLoadRunning() && main->book()[0].status == "live") {
            main->reloadBook(true);
            return;
        }
        if (main->book()[0].status != "sold") return;
        timer->stop();
        QTest::mouseClick(note->findChild<QAbstractButton*>("note.confirm"), Qt::LeftButton);
    });
    timer->start();
    click(ui::ID_CANCEL);
    EXPECT_EQ(message(), "Cancel: That listing is already closed.");
    EXPECT_TRUE(trade->calls("run_cancel_listing").empty());
}

TEST_F(TradeDialogsTest, CancelTheLaterOfTwoOwnOffers)
{
    auto two = book;
    auto second = two[2].offers[0];
    second.id = std::string(64, '8');
    second.qty = "7";
    second.offer = "01000000" + second.id + two[2].utxo;
    two[2].offers.push_back(second);
    market->set_book(two);
    click(ui::ID_REFRESH);
    ASSERT_TRUE(idle());
    select(two[2].id);
    answerNext(true);
    click(ui::ID_CANCEL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("run_offer_cancel").empty(); }, 3000));
    EXPECT_EQ(confirmText, "Laurel  LAUR / 7 lots");
    EXPECT_EQ(trade->calls("run_offer_cancel")[0].argument, second.id);
    EXPECT_EQ(trade->calls("run_offer_cancel")[0].extra, two[2].id + " " + second.offer);
}

TEST_F(TradeDialogsTest, DecliningTheOfferCancelPostsNothing)
{
    select(book[2].id);
    answerNext(false);
    click(ui::ID_CANCEL);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(trade->calls("run_offer_cancel").empty());
    EXPECT_TRUE(main->button(ui::ID_CANCEL)->isEnabled());
}

// --- Complete ---

TEST_F(TradeDialogsTest, CompleteShowsTheOffersAndWhatTheSellersCheckFinds)
{
    trade::OfferCheck underpays;
    underpays.error = "error: the offer underpays.";
    trade->set_check(book[0].offers[1].offer, underpays);
    EXPECT_TRUE(main->offersWaiting());
    click(ui::ID_COMPLETE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() != nullptr; }, 3000));
    ui::CompleteDialog* complete = dialogs->completeDialog();
    EXPECT_EQ(complete->objectName(), "TavrinNodeAgoranComplete");
    EXPECT_EQ(complete->width(), 760);
    EXPECT_GE(complete->height(), 280 + 128);
    EXPECT_LE(complete->height(), 560 + 128);
    ASSERT_EQ(complete->rows().size(), 3u);
    EXPECT_EQ(ui::complete_card(complete->rows()[0]).fields[4].value,
              "Pays you 0.50000000 BSV (0.50000000 BSV due). Passes.");
    EXPECT_EQ(ui::complete_card(complete->rows()[1]).fields[4].value, "Refused: the offer underpays.");
    EXPECT_EQ(ui::complete_card(complete->rows()[2]).title, "Offer (needs a new post)");

    EXPECT_EQ(press(complete, ui::ID_COMPLETE_RUN), "Complete: Pick an offer.");
    complete->cards()->setSelected(2);
    EXPECT_EQ(press(complete, ui::ID_COMPLETE_RUN),
              "Complete: That offer has no signed bytes. Ask the buyer to post again.");
    trade->set_answer("check_completion", "The buyer spent those coins. Ask them to post a new offer.");
    complete->cards()->setSelected(0);
    EXPECT_EQ(press(complete, ui::ID_COMPLETE_RUN),
              "Complete: The buyer spent those coins. Ask them to post a new offer.");
    EXPECT_EQ(trade->calls("check_completion").back().argument, book[0].offers[0].id);
    EXPECT_TRUE(trade->calls("run_completion").empty());
    // Offers whose buyer's coins are gone are not shown at all the next time.
    trade->set_buyer_coins_spent(book[0].offers[0].offer);
    complete->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() == nullptr; }, 1000));
    click(ui::ID_COMPLETE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() != nullptr; }, 3000));
    EXPECT_EQ(dialogs->completeDialog()->rows().size(), 2u);
}

TEST_F(TradeDialogsTest, CompleteSignsAfterTheConfirmation)
{
    click(ui::ID_COMPLETE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() != nullptr; }, 3000));
    ui::CompleteDialog* complete = dialogs->completeDialog();
    ui::CardList* cards = complete->cards();
    // A double click on a card selects it and runs Complete; declining ends there.
    answerNext(false);
    const QRect second = cards->cardRect(1);
    QTest::mouseDClick(cards->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(cards->selected(), 1);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(trade->calls("run_completion").empty());
    EXPECT_EQ(dialogs->completeDialog(), complete);
    EXPECT_EQ(confirmText, "Complete: Sign the reserved lot and finish this sale? [Complete]");

    answerNext(true);
    cards->setSelected(0);
    click(complete, ui::ID_COMPLETE_RUN);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("run_completion").empty(); }, 3000));
    EXPECT_EQ(trade->calls("run_completion")[0].argument, book[0].offers[0].id);
    EXPECT_EQ(trade->calls("run_completion")[0].extra, book[0].id);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() == nullptr; }, 1000));
}

TEST_F(TradeDialogsTest, CompleteWithoutOffersShowsNoneYet)
{
    auto quiet = book;
    quiet[0].offers.clear();
    quiet[1].offers.clear();
    market->set_book(quiet);
    click(ui::ID_REFRESH);
    ASSERT_TRUE(idle());
    click(ui::ID_COMPLETE);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() != nullptr; }, 3000));
    ui::CompleteDialog* complete = dialogs->completeDialog();
    EXPECT_TRUE(complete->rows().empty());
    EXPECT_EQ(complete->height(), 280 + 128);
    EXPECT_EQ(press(complete, ui::ID_COMPLETE_RUN), "Complete: Pick an offer.");
}

// --- Listings & Offers ---

TEST_F(TradeDialogsTest, ListingsAndOffersWindow)
{
    click(ui::ID_CURRENT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->mineWindow() != nullptr; }, 3000));
    ui::MineWindow* mine = dialogs->mineWindow();
    EXPECT_EQ(mine->objectName(), "TavrinNodeAgoranMine");
    EXPECT_EQ(mine->windowTitle(), "Listings & Offers");
    EXPECT_EQ(mine->width(), 780);
    ASSERT_EQ(mine->content().listings.size(), 2u);  // the expired one is not there
    EXPECT_EQ(mine->content().listings[0].fields[0].value, "Owl Coin  OWL  \u00B7  2 offers waiting");
    EXPECT_EQ(mine->content().listings[1].fields[0].value, "Dawn over the Stoa  \u00B7  1 offer waiting");
    ASSERT_EQ(mine->content().offers.size(), 2u);
    EXPECT_EQ(mine->content().offers[0].fields[0].value, "Laurel  LAUR");
    QTest::keyClick(mine, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->mineWindow() == nullptr; }, 1000));
}

TEST_F(TradeDialogsTest, UnboundWalletOpensNoTradeWindow)
{
    market->set_wallet({});
    click(ui::ID_UNBIND);
    const std::pair<int, const char*> tiles[] = {{ui::ID_CURRENT, "Listings & Offers"},
                                                 {ui::ID_COMPLETE, "Complete"},
                                                 {ui::ID_HISTORY, "History"},
                                                 {ui::ID_BUY, "Buy"}};
    for (const auto& [tile, title] : tiles) {
        dismiss();
        click(tile);
        EXPECT_EQ(message(), std::string(title) + ": Connect a Pursa wallet first.");
    }
    EXPECT_TRUE(trade->calls().empty());
    EXPECT_EQ(dialogs->mineWindow(), nullptr);
    EXPECT_EQ(dialogs->completeDialog(), nullptr);
    EXPECT_EQ(dialogs->historyWindow(), nullptr);
}

// --- History ---

TEST_F(TradeDialogsTest, HistoryCommands)
{
    click(ui::ID_HISTORY);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->historyWindow() != nullptr; }, 3000));
    EXPECT_EQ(main->statusText(), "History loaded");
    ui::HistoryWindow* history = dialogs->historyWindow();
    EXPECT_EQ(history->objectName(), "TavrinNodeAgoranHistory");
    EXPECT_EQ(history->size(), QSize(810, 430));
    auto* list = history->list();
    ASSERT_EQ(list->rowCount(), 10);
    EXPECT_EQ(list->item(0, 2)->text(), "Offer");
    EXPECT_EQ(list->item(3, 2)->text(), "Bought");
    EXPECT_EQ(list->horizontalHeaderItem(7)->text(), "Txid");

    EXPECT_EQ(press(history, ui::ID_HISTORY_CANCEL_OFFER), "History: Pick an open offer to cancel.");
    EXPECT_EQ(press(history, ui::ID_HISTORY_OPEN), "History: Pick a row.");
    list->selectRow(2);
    EXPECT_EQ(press(history, ui::ID_HISTORY_CANCEL_OFFER), "History: That row is not an open offer of yours.");

    // Withdraw an offer from History.
    list->selectRow(1);
    answerNext(true);
    click(history, ui::ID_HISTORY_CANCEL_OFFER);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("run_offer_cancel").empty(); }, 3000));
    EXPECT_EQ(confirmText, "Laurel  LAUR / 1000 lots");
    EXPECT_EQ(trade->calls("run_offer_cancel")[0].argument, book[2].offers[0].id);
    EXPECT_EQ(trade->calls("run_offer_cancel")[0].extra, book[2].id + " " + book[2].offers[0].offer);
}

TEST_F(TradeDialogsTest, HistoryLoadFailureOpensNoWindow)
{
    market->set_history({}, "error: the registry did not answer.");
    click(ui::ID_HISTORY);
    EXPECT_EQ(message(), "History: error: the registry did not answer.");
    EXPECT_EQ(dialogs->historyWindow(), nullptr);
}

TEST_F(TradeDialogsTest, ChartOfTheHistory)
{
    click(ui::ID_HISTORY);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->historyWindow() != nullptr; }, 3000));
    click(dialogs->historyWindow(), ui::ID_HISTORY_CHART);
    ui::ChartWindow* chart = dialogs->chartWindow();
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->objectName(), "TavrinNodeAgoranChart");
    EXPECT_EQ(chart->windowTitle(), "History chart");
    EXPECT_NE(chart->findChild<QWidget*>("TavrinNodeAgoranChartPlot"), nullptr);
    auto* range = child<QComboBox>(chart, ui::ID_CHART_RANGE);
    auto* mode = child<QComboBox>(chart, ui::ID_CHART_MODE);
    EXPECT_EQ(range->currentText(), "All");
    EXPECT_EQ(mode->currentText(), "Line");
    // All sales and purchases of the sample: in 0.5 + 0.8 + 0.3, out 0.2 + 0.65.
    EXPECT_EQ(chart->summary(), "In  1.60000000 BSV     Out  0.85000000 BSV     Gross  0.75000000 BSV");
    range->setCurrentIndex(0);  // 24 hours: one sale
    EXPECT_EQ(chart->summary(), "In  0.50000000 BSV     Out  0.00000000 BSV     Gross  0.50000000 BSV");
    EXPECT_EQ(chart->chart().in.size(), 24u);
    mode->setCurrentIndex(1);
    EXPECT_TRUE(chart->plot()->caption().endsWith("    in (accent) / out (muted)"));
    EXPECT_EQ(chart->plot()->caption().count("  ->  "), 1);
    // Closing History leaves the chart open.
    dialogs->historyWindow()->close();
    QTest::qWait(20);
    EXPECT_NE(dialogs->chartWindow(), nullptr);
}

// --- Report ---

TEST_F(TradeDialogsTest, ReportRefusalsAndSending)
{
    click(ui::ID_REPORT);
    ui::ReportDialog* report = dialogs->reportDialog();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->objectName(), "TavrinNodeAgoranReport");
    EXPECT_EQ(report->size(), QSize(570, 320));
    auto* text = child<QPlainTextEdit>(report, ui::ID_REPORT_TEXT);
    text->setPlainText(" \t \n ");
    EXPECT_EQ(press(report, ui::ID_REPORT_SEND), "Report: Write a report (max 2000 characters).");
    text->setPlainText(QString(2001, 'r'));
    EXPECT_EQ(press(report, ui::ID_REPORT_SEND), "Report: Write a report (max 2000 characters).");
    EXPECT_TRUE(trade->calls("send_report").empty());

    // A report that cannot be sealed or sent keeps the dialog and its text.
    trade->set_answer("send_report", "error: could not find the architect's key at the registry.");
    text->setPlainText(QString(2000, 'r'));
    EXPECT_EQ(press(report, ui::ID_REPORT_SEND),
              "Tavrin Agoran: error: could not find the architect's key at the registry.");
    EXPECT_EQ(dialogs->reportDialog(), report);
    EXPECT_EQ(text->toPlainText(), QString(2000, 'r'));
    EXPECT_TRUE(text->isEnabled());

    trade->set_answer("send_report", "success: " + TXID);
    dismiss();
    click(report, ui::ID_REPORT_SEND);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->reportDialog() == nullptr; }, 3000));
    EXPECT_EQ(trade->calls("send_report").back().argument, std::string(2000, 'r'));
    EXPECT_EQ(message(), "Tavrin Agoran: success: " + TXID);
}

TEST_F(TradeDialogsTest, ReportRefusesAnUnboundWalletBeforeTheText)
{
    click(ui::ID_REPORT);
    ui::ReportDialog* report = dialogs->reportDialog();
    ASSERT_NE(report, nullptr);
    market->set_wallet({});
    click(ui::ID_UNBIND);
    EXPECT_EQ(press(report, ui::ID_REPORT_SEND), "Report: Connect Pursa and publish a paymail first.");
}

TEST_F(TradeDialogsTest, AResultArrivingAfterItsDialogClosedStillReachesTheStatusLine)
{
    trade->set_delay_ms(200);
    select(book[3].id);
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    click(buy, ui::ID_BUY_POST);
    // Closed while the checks run: nothing is built.
    buy->close();
    ASSERT_TRUE(idle());
    EXPECT_TRUE(trade->calls("run_buy").empty());
    EXPECT_EQ(dialogs->buyDialog(), nullptr);
}

} // namespace
