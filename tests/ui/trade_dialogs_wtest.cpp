// The trade dialogs on the offscreen platform over scripted services: every refusal of the
// List, Buy, Cancel, Complete, Listings & Offers, History and Report windows on its trigger, in
// order; what each action hands the trade routines; the listing held by id across reloads; and
// the keyboard. tests/ui/trade_simulator_wtest.cpp drives the same windows over the simulator.
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

    // The message window's title and text, once it shows; "" when none shows in time.
    std::string message(int ms = 3000)
    {
        if (!QTest::qWaitFor([&] { return main->messageWindow() != nullptr; }, ms)) return "";
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
                QTest::mouseClick(note->findChild<QAbstractButton*>(yes ? "note.confirm" : "note.cancel"),
                                  Qt::LeftButton);
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
        return message(1000);
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

TEST_F(TradeDialogsTest, ListRefusalsInOrderKeepTheDialog)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    struct Case {
        const char* qty;
        const char* price;
        const char* note;
        const char* message;
    } cases[] = {
        {"250", "", "fine", "List: Enter a price in BSV (total for the qty)."},
        {"250", "1,5", "fine", "List: Enter a price in BSV (total for the qty)."},
        {"250", "-1", "fine", "List: Enter a price in BSV (total for the qty)."},
        {"250", "0.000000001", "fine", "List: Enter a price in BSV (total for the qty)."},
        {"250", "1.5", "   ", "List: Add a short note (1\u2013140 characters)."},
        {"0", "1.5", "fine", "List: Qty must be at least 1."},
        {"", "1.5", "fine", "List: Qty must be at least 1."},
        {"abc", "1.5", "fine", "List: Qty must be a whole number."},
        {"501", "1.5", "fine", "List: Qty must be at least 1 and no more than you hold of this lot."},
    };
    for (const auto& c : cases) {
        fillList(list, c.qty, c.price, c.note);
        EXPECT_EQ(press(list, ui::ID_LIST_POST), c.message) << c.qty << " " << c.price;
        EXPECT_EQ(dialogs->listDialog(), list);
    }
    // A note of 141 characters is refused; 70 two-byte characters (140 bytes) pass that check.
    fillList(list, "250", "1.5", std::string(141, 'n').c_str());
    EXPECT_EQ(press(list, ui::ID_LIST_POST), "List: Add a short note (1\u2013140 characters).");
    EXPECT_TRUE(trade->calls("reserve_add").empty());
    EXPECT_TRUE(trade->calls("post_listing").empty());
    EXPECT_FALSE(main->isBusy());

    // A frozen identity is refused before anything the user typed.
    trade->set_frozen(ME);
    fillList(list, "abc", "", "");
    EXPECT_EQ(press(list, ui::ID_LIST_POST), "List: This identity is frozen. No list.");
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
    EXPECT_TRUE(trade->calls("identity_frozen").empty());
}

TEST_F(TradeDialogsTest, ListPostsTheListingAndRepollsIt)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    fillList(list, " 0250 ", "1.25 ", "  Half the bag \u00E9\u00E9 ");
    click(list, ui::ID_LIST_POST);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("post_listing").empty(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() == nullptr; }, 3000));
    const auto post = posted("post_listing");
    EXPECT_EQ(post["type"], "ag_list");
    EXPECT_EQ(post["handle"], ui::SAMPLE_PAYMAIL);
    EXPECT_EQ(post["origin"], std::string(64, '1') + "_0");
    EXPECT_EQ(post["kind"], "bsv21");
    EXPECT_EQ(post["utxo"], std::string(64, '2') + "_1");
    EXPECT_EQ(post["qty"], "250");
    EXPECT_EQ(post["price_sats"], 125'000'000);
    EXPECT_EQ(post["note"], "Half the bag \u00E9\u00E9");
    EXPECT_EQ(post["pay_addr"], bound_wallet().address);
    EXPECT_EQ(post["ord_addr"], bound_wallet().ordinals_address);
    EXPECT_EQ(post["name"], "Owl Coin");
    EXPECT_EQ(post["sym"], "OWL");
    EXPECT_FALSE(post.contains("icon"));
    const int64_t exp = post["exp"].get<int64_t>();
    EXPECT_GE(exp, now + 2'419'200);
    EXPECT_LE(exp, unix_now() + 2'419'200);
    EXPECT_EQ(trade->calls("post_listing")[0].extra, std::string(64, '2') + "_1");
    const auto reserved = trade->calls("reserve_add");
    ASSERT_EQ(reserved.size(), 1u);
    EXPECT_EQ(reserved[0].argument, std::string(64, '2') + "_1");
    // The result reaches the main window as a list post: its txid is re-polled.
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->pendingListing() == TXID || main->pendingRetries() > 0; }, 3000));
    EXPECT_EQ(message(), "Tavrin Agoran: success: " + TXID);
}

TEST_F(TradeDialogsTest, APictureIsAlwaysListedAsOne)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
    fillList(list, "7", "0.00000001", "one picture", 2);
    click(list, ui::ID_LIST_POST);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("post_listing").empty(); }, 3000));
    const auto post = posted("post_listing");
    EXPECT_EQ(post["qty"], "1");
    EXPECT_EQ(post["kind"], "picture");
    EXPECT_EQ(post["origin"], std::string(64, '5') + "_0");
    EXPECT_EQ(post["price_sats"], 1);
    EXPECT_EQ(post["icon"], std::string(64, '5') + "_0");
}

TEST_F(TradeDialogsTest, ListingTheSameOutpointTwiceStopsAtTheReserve)
{
    trade->set_result("post_listing", "error: the book oracle did not answer.");
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
    EXPECT_EQ(trade->calls("post_listing").size(), 1u);
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
    EXPECT_TRUE(trade->calls("post_listing").empty());
    EXPECT_TRUE(idle());
}

TEST_F(TradeDialogsTest, ListKeyboardEnterPostsEscapeCloses)
{
    ui::ListDialog* list = openList();
    ASSERT_NE(list, nullptr);
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

TEST_F(TradeDialogsTest, BuyRefusalsInOrder)
{
    select(book[5].id);
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    auto* qty = child<QLineEdit>(buy, ui::ID_BUY_QTY);
    qty->setText(" 0 ");
    EXPECT_EQ(press(buy, ui::ID_BUY_POST), "Buy: Qty must be at least 1.");
    qty->setText("");
    EXPECT_EQ(press(buy, ui::ID_BUY_POST), "Buy: Qty must be at least 1.");
    EXPECT_TRUE(trade->calls("listing_output_unspent").empty());

    qty->setText("abc");
    EXPECT_EQ(press(buy, ui::ID_BUY_POST), "Buy: Qty must be a whole number.");
    qty->setText("901");
    EXPECT_EQ(press(buy, ui::ID_BUY_POST), "Buy: Qty is more than the listing.");
    trade->set_frozen(book[5].pubkey);
    EXPECT_EQ(press(buy, ui::ID_BUY_POST), "Buy: Frozen identity. No buy.");
    trade->set_spent(book[5].utxo, "UTXO spent");
    EXPECT_EQ(press(buy, ui::ID_BUY_POST), "Buy: That lot is gone. UTXO spent");
    EXPECT_EQ(dialogs->buyDialog(), buy);
    EXPECT_TRUE(trade->calls("post_offer").empty());
}

TEST_F(TradeDialogsTest, BuyPostsAProRataOffer)
{
    select(book[3].id);  // Amphora: 12 lots for 0.36 BSV
    click(ui::ID_BUY);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    child<QLineEdit>(buy, ui::ID_BUY_QTY)->setText("5");
    click(buy, ui::ID_BUY_POST);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("post_offer").empty(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->buyDialog() == nullptr; }, 1000));
    const auto post = posted("post_offer");
    EXPECT_EQ(post["type"], "ag_buy");
    EXPECT_EQ(post["handle"], ui::SAMPLE_PAYMAIL);
    EXPECT_EQ(post["listing"], book[3].id);
    EXPECT_EQ(post["qty"], "5");
    EXPECT_EQ(post["pay_sats"], 15'000'000);
    EXPECT_EQ(post["buyer_ord"], bound_wallet().ordinals_address);
    EXPECT_FALSE(post.contains("offer"));
    EXPECT_EQ(trade->calls("post_offer")[0].extra, book[3].utxo + " 5 15000000");
    // Both identities were asked, the buyer's first.
    const auto frozen = trade->calls("identity_frozen");
    ASSERT_EQ(frozen.size(), 2u);
    EXPECT_EQ(frozen[0].argument, ME);
    EXPECT_EQ(frozen[1].argument, book[3].pubkey);
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("post_offer").empty(); }, 3000));
    EXPECT_EQ(posted("post_offer")["listing"], book[3].id);
    EXPECT_EQ(posted("post_offer")["pay_sats"], 36'000'000);
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
    EXPECT_TRUE(trade->calls("listing_output_unspent").empty());
    EXPECT_TRUE(trade->calls("post_offer").empty());
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
    EXPECT_TRUE(trade->calls("cancel_listing").empty());
    for (int id : {ui::ID_BUY, ui::ID_LIST, ui::ID_CANCEL, ui::ID_COMPLETE}) EXPECT_TRUE(main->button(id)->isEnabled());

    answerNext(true);
    click(ui::ID_CANCEL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("cancel_listing").empty(); }, 3000));
    EXPECT_EQ(posted("cancel_listing").dump(),
              R"({"handle":"melina@tavrinnode.example","listing":")" + book[0].id + R"(","type":"ag_cancel"})");
    EXPECT_EQ(trade->calls("cancel_listing")[0].extra, book[0].id + " " + book[0].utxo);
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
    EXPECT_TRUE(trade->calls("cancel_listing").empty());
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("cancel_offer").empty(); }, 3000));
    EXPECT_EQ(confirmText, "Laurel  LAUR / 7 lots");
    EXPECT_EQ(posted("cancel_offer")["offer"], second.id);
    EXPECT_EQ(posted("cancel_offer")["listing"], two[2].id);
    EXPECT_EQ(posted("cancel_offer")["type"], "ag_offer_cancel");
    EXPECT_EQ(trade->calls("cancel_offer")[0].extra, second.offer);
}

TEST_F(TradeDialogsTest, DecliningTheOfferCancelPostsNothing)
{
    select(book[2].id);
    answerNext(false);
    click(ui::ID_CANCEL);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(trade->calls("cancel_offer").empty());
    EXPECT_TRUE(main->button(ui::ID_CANCEL)->isEnabled());
}

// --- Complete ---

TEST_F(TradeDialogsTest, CompleteShowsTheOffersAndWhatTheSellersCheckFinds)
{
    trade->set_verdict(book[0].offers[1].offer,
                       ui::OfferVerdict{true, false, 1, 8'000'000, "error: the offer underpays."});
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
    trade->set_buyer_coins_spent(book[0].offers[0].offer);
    complete->cards()->setSelected(0);
    EXPECT_EQ(press(complete, ui::ID_COMPLETE_RUN),
              "Complete: The buyer spent those coins. Ask them to post a new offer.");
    EXPECT_TRUE(trade->calls("complete_sale").empty());
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
    EXPECT_TRUE(trade->calls("complete_sale").empty());
    EXPECT_EQ(dialogs->completeDialog(), complete);

    answerNext(true);
    cards->setSelected(0);
    click(complete, ui::ID_COMPLETE_RUN);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("complete_sale").empty(); }, 3000));
    EXPECT_EQ(trade->calls("complete_sale")[0].argument, book[0].offers[0].id);
    EXPECT_EQ(trade->calls("complete_sale")[0].extra, book[0].id);
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("cancel_offer").empty(); }, 3000));
    EXPECT_EQ(confirmText, "Laurel  LAUR / 1000 lots");
    EXPECT_EQ(posted("cancel_offer")["offer"], book[2].offers[0].id);
    EXPECT_EQ(posted("cancel_offer")["listing"], book[2].id);
    EXPECT_EQ(trade->calls("cancel_offer")[0].extra, book[2].offers[0].offer);
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
    trade->set_sealed(ui::SealedReport{"", ""});
    text->setPlainText(QString(2000, 'r'));
    EXPECT_EQ(press(report, ui::ID_REPORT_SEND), "Report: Could not encrypt.");
    trade->set_sealed(ui::SealedReport{"", "error: the architect's key is not published."});
    EXPECT_EQ(press(report, ui::ID_REPORT_SEND), "Report: error: the architect's key is not published.");
    EXPECT_TRUE(trade->calls("send_report").empty());
    EXPECT_EQ(text->toPlainText(), QString(2000, 'r'));  // refusals keep the text

    trade->set_sealed(ui::SealedReport{R"({"sealed":"x"})", ""});
    click(report, ui::ID_REPORT_SEND);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trade->calls("send_report").empty(); }, 3000));
    EXPECT_EQ(trade->calls("send_report")[0].argument, R"({"sealed":"x"})");
    EXPECT_EQ(trade->calls("seal_report").back().argument, std::string(2000, 'r'));
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
    EXPECT_TRUE(trade->calls("post_offer").empty());
    EXPECT_EQ(dialogs->buyDialog(), nullptr);
}

} // namespace
