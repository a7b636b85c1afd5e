// The trade dialogs over the live trade routines and a local simulator, with two users: each
// has a data directory and a Pursa wallet of their own, and the program (one process here)
// switches between them the way each user would start their own copy. The seller lists a token
// lot through the List dialog and sees it live after the re-poll; the buyer offers on part of
// it through Buy; the seller completes it (the flash, the rows, the confirmation); a listing is
// cancelled, an offer withdrawn from History, the history charted; and the refusals the
// routines give arrive in the dialogs' message windows.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "book/identity.h"
#include "book/token_details.h"
#include "net/service_config.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"
#include "ui/buy_dialog.h"
#include "ui/card_list.h"
#include "ui/chart_window.h"
#include "ui/complete_dialog.h"
#include "ui/control_ids.h"
#include "ui/history_window.h"
#include "ui/list_dialog.h"
#include "ui/live_services.h"
#include "ui/live_trade_services.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/mine_window.h"
#include "ui/offer_cancel_window.h"
#include "ui/owner_button.h"
#include "ui/trade_dialogs.h"
#include "wallet/app_binding.h"
#include "wallet/connect.h"

namespace {

using namespace std::chrono_literals;

std::filesystem::path pursa_binary() { return std::filesystem::path(AGORAN_BINARY_DIR) / "pursa" / "pursa"; }

template <class T>
T* child(QWidget* parent, int id)
{
    return parent ? parent->findChild<T*>(QString::number(id)) : nullptr;
}

// A user: a data directory and a Pursa wallet with a paymail name and coins.
struct User {
    std::string name;
    testsupport::TempDir root;
    std::string wallet_id;
    std::string receive;
    std::string ordinals;
    std::string identity_address;
    std::string identity_key;  // known once the program has bound the wallet

    std::vector<std::string> env() const { return {"LOCALAPPDATA=" + root.path().string()}; }

    std::string pursa(const std::vector<std::string>& args) const
    {
        auto child = platform::ChildProcess::start(pursa_binary(), args, env());
        if (!child) return "cannot start pursa";
        std::string out;
        while (auto line = child->read_line(60s)) out += *line + "\n";
        child->wait(10s);
        return out;
    }

    static std::string shown(const std::string& text, const std::string& label)
    {
        const size_t at = text.find(label + ":");
        if (at == std::string::npos) return {};
        const size_t start = text.find_first_not_of(' ', at + label.size() + 1);
        return text.substr(start, text.find('\n', start) - start);
    }

    bool create(const testsupport::Devnet& devnet)
    {
        std::filesystem::create_directories(root.path() / "TavrinNode");
        if (!devnet.write_services(root.path() / "TavrinNode")) return false;
        const std::string created = pursa({"create", "--name", name});
        if (created.find("success: ") == std::string::npos) {
            ADD_FAILURE() << created;
            return false;
        }
        wallet_id = created.substr(created.find("success: ") + 9);
        wallet_id.erase(wallet_id.find_last_not_of("\n") + 1);
        const std::string named = pursa({"paymail", name});
        if (named.rfind("error", 0) == 0) {
            ADD_FAILURE() << named;
            return false;
        }
        const std::string show = pursa({"show"});
        receive = shown(show, "receive");
        ordinals = shown(show, "ordinals");
        identity_address = shown(show, "identity");
        return !receive.empty() && !ordinals.empty();
    }
};

class TradeSimulatorTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        // Each test's simulator publishes new keys for the same names.
        book::clear_identity_cache();
        book::clear_token_cache();
        seller.name = "melina";
        buyer.name = "zeno";
        ASSERT_TRUE(seller.create(devnet()));
        ASSERT_TRUE(buyer.create(devnet()));
        for (int i = 0; i < 3; ++i) {
            ASSERT_FALSE(devnet().fund(seller.receive, 20'000'000).empty());
            ASSERT_FALSE(devnet().fund(buyer.receive, 60'000'000).empty());
        }
        token = devnet().mint(seller.ordinals, "10", "OWL");
        ASSERT_FALSE(token.empty());
        devnet().mine();
    }

    void TearDown() override
    {
        leave();
        platform::unset_env("LOCALAPPDATA");
        net::reload_current_services();
    }

    // The program started by the user: bound to their wallet, with the book loaded.
    void enter(User& user)
    {
        leave();
        platform::set_env("LOCALAPPDATA", user.root.path().string());
        net::reload_current_services();
        wallet::register_app(QCoreApplication::applicationDirPath().toStdString(), "Agoran");
        ui::MainWindow::Options options;
        options.start_update_check = false;
        options.ask_update_question = false;
        main = std::make_unique<ui::MainWindow>(ui::make_live_services(), options);
        dialogs = new ui::TradeDialogs(*main, ui::make_live_trade_services());
        main->show();
        ASSERT_TRUE(idle());
        if (!main->bound()) {
            auto approver = platform::ChildProcess::start(
                pursa_binary(), {"approve", "--wait", "--timeout", "60", "--wallet", user.wallet_id}, user.env());
            ASSERT_NE(approver, nullptr);
            QTest::mouseClick(main->button(ui::ID_CONNECT), Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitFor([&] { return main->bound() && !main->isBusy(); }, 90'000))
                << main->statusText().toStdString();
            approver->wait(10s);
        }
        ASSERT_TRUE(idle());
        // Each user's program is bound to that user's own wallet.
        ASSERT_EQ(main->wallet().wallet_id, user.wallet_id);
        ASSERT_EQ(main->wallet().identity_key.size(), 66u);
        if (user.identity_key.empty()) user.identity_key = main->wallet().identity_key;
        EXPECT_EQ(main->wallet().identity_key, user.identity_key);
    }

    void leave()
    {
        if (main) main->close();
        main.reset();
        dialogs = nullptr;
    }

    bool idle(int ms = 120'000)
    {
        return QTest::qWaitFor([&] { return !main->isBusy() && !main->silentLoadRunning(); }, ms);
    }

    void reload()
    {
        std::this_thread::sleep_for(1100ms);  // posts of one second apply in either order
        QTest::mouseClick(main->button(ui::ID_REFRESH), Qt::LeftButton);
        ASSERT_TRUE(idle());
    }

    // The message window's title and text; a confirmation already answered is not it.
    std::string message(int ms = 5000)
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

    // The result of the action a click started, once the window has it.
    std::string result_of(QWidget* window, int id)
    {
        dismiss();
        bool arrived = false;
        QObject::connect(main.get(), &ui::MainWindow::messageHandled, main.get(),
                         [&](int m) { arrived |= m == ui::MSG_ACTION_RESULT; });
        QTest::mouseClick(child<QAbstractButton>(window, id), Qt::LeftButton);
        // A refusal ends it as well; a confirmation on the way does not.
        if (!QTest::qWaitFor(
                [&] {
                    return arrived || (!main->isBusy() && main->messageWindow() && !main->messageWindow()->confirmMode());
                },
                180'000))
            return "no result";
        const std::string shown = message();
        EXPECT_TRUE(idle());
        return shown;
    }

    // A refusal of a dialog: the message the click leads to.
    std::string refusal_of(QWidget* window, int id)
    {
        dismiss();
        QTest::mouseClick(child<QAbstractButton>(window, id), Qt::LeftButton);
        EXPECT_TRUE(idle());
        return message();
    }

    void answer_next(bool yes)
    {
        auto* timer = new QTimer(main.get());
        timer->setInterval(50);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, yes] {
            if (auto* note = main->messageWindow(); note && note->confirmMode() && note->isVisible()) {
                timer->stop();
                timer->deleteLater();
                auto* confirm = note->findChild<QAbstractButton*>("note.confirm");
                confirmed = note->title().toStdString() + ": " + note->text().toStdString() + " [" +
                            (confirm ? confirm->text().toStdString() : std::string()) + "]";
                QTest::mouseClick(yes ? confirm : note->findChild<QAbstractButton*>("note.cancel"), Qt::LeftButton);
            } else if (auto* window = dialogs->offerCancelWindow(); window && window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                QTest::mouseClick(child<QAbstractButton>(window, yes ? ui::ID_OFFER_CANCEL_CONFIRM
                                                                     : ui::ID_OFFER_CANCEL_DISMISS),
                                  Qt::LeftButton);
            }
        });
        timer->start();
    }

    const book::Listing* listing(const std::string& id)
    {
        for (const auto& l : main->book())
            if (l.id == id) return &l;
        return nullptr;
    }

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

    // The seller lists qty of the token lot for price BSV; the listing's id.
    std::string list_token(const char* qty, const char* price)
    {
        QTest::mouseClick(main->button(ui::ID_LIST), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() != nullptr; }, 60'000))
            << main->statusText().toStdString();
        ui::ListDialog* list = dialogs->listDialog();
        if (!list) return {};
        auto* lots = child<QComboBox>(list, ui::ID_LIST_LOT);
        for (int i = 0; i < lots->count(); ++i)
            if (lots->itemText(i).contains(" lots")) lots->setCurrentIndex(i);
        child<QLineEdit>(list, ui::ID_LIST_QTY)->setText(qty);
        child<QLineEdit>(list, ui::ID_LIST_PRICE)->setText(price);
        child<QLineEdit>(list, ui::ID_LIST_NOTE)->setText("Owls, partial fills welcome");
        const std::string shown = result_of(list, ui::ID_LIST_POST);
        EXPECT_EQ(shown.rfind("Tavrin Agoran: success: ", 0), 0u) << shown;
        return shown.size() >= 24 + 64 ? shown.substr(24, 64) : std::string();
    }

    User seller;
    User buyer;
    std::string token;
    std::unique_ptr<ui::MainWindow> main;
    ui::TradeDialogs* dialogs = nullptr;
    std::string confirmed;  // the last confirmation answered: "title: text [button]"
};

TEST_F(TradeSimulatorTest, ListBuyPartCompleteAndChart)
{
    // The seller lists the lot; the window re-polls until the listing shows live.
    enter(seller);
    const std::string id = list_token("10", "1");
    ASSERT_EQ(id.size(), 64u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->pendingListing().empty() && idle(); }, 60'000));
    // The re-poll itself brought the listing in, live, before any reload of ours.
    ASSERT_NE(listing(id), nullptr);
    EXPECT_EQ(listing(id)->status, "live");
    EXPECT_EQ(listing(id)->qty, "10");
    EXPECT_EQ(listing(id)->price_sats, 100'000'000u);
    EXPECT_EQ(listing(id)->pubkey, seller.identity_key);

    // Buying one's own listing is refused before the dialog opens.
    select(id);
    QTest::mouseClick(main->button(ui::ID_BUY), Qt::LeftButton);
    EXPECT_EQ(message(), "Buy: That is your listing. Cancel it if you want it down.");
    dismiss();

    // The buyer offers on 3 of the 10 lots.
    enter(buyer);
    select(id);
    QTest::mouseClick(main->button(ui::ID_BUY), Qt::LeftButton);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    auto* qty = child<QLineEdit>(buy, ui::ID_BUY_QTY);
    qty->setText("11");
    EXPECT_EQ(refusal_of(buy, ui::ID_BUY_POST), "Buy: Qty is more than the listing.");
    qty->setText("3");
    EXPECT_EQ(buy->costLine().text, "You pay 0.30000000 BSV for 3 of 10 lots.");
    const std::string offered = result_of(buy, ui::ID_BUY_POST);
    EXPECT_EQ(offered.rfind("Tavrin Agoran: success: ", 0), 0u) << offered;

    // The seller sees the offer waiting: Complete and Current flash, Complete shows the row
    // and what the check finds, and the sale goes through after the confirmation.
    enter(seller);
    reload();
    EXPECT_TRUE(main->offersWaiting());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return main->button(ui::ID_COMPLETE)->faceColours().face == ui::FLASH_FACE &&
                   main->button(ui::ID_CURRENT)->faceColours().face == ui::FLASH_FACE;
        },
        3000));
    QTest::mouseClick(main->button(ui::ID_CURRENT), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->mineWindow() != nullptr; }, 60'000));
    ASSERT_EQ(dialogs->mineWindow()->content().listings.size(), 1u);
    EXPECT_NE(dialogs->mineWindow()->content().listings[0].fields[0].value.find("1 offer waiting"), std::string::npos);
    dialogs->mineWindow()->close();

    QTest::mouseClick(main->button(ui::ID_COMPLETE), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() != nullptr; }, 60'000));
    ui::CompleteDialog* complete = dialogs->completeDialog();
    ASSERT_EQ(complete->rows().size(), 1u);
    EXPECT_EQ(ui::complete_card(complete->rows()[0]).fields[4].value,
              "Pays you 0.30000000 BSV (0.30000000 BSV due). Passes.");
    EXPECT_EQ(refusal_of(complete, ui::ID_COMPLETE_RUN), "Complete: Pick an offer.");
    dismiss();
    complete->cards()->setSelected(0);
    answer_next(true);
    const std::string completed = result_of(complete, ui::ID_COMPLETE_RUN);
    EXPECT_EQ(confirmed, "Complete: Sign the reserved lot and finish this sale? [Complete]");
    EXPECT_EQ(completed.rfind("Tavrin Agoran: success", 0), 0u) << completed;
    reload();
    ASSERT_NE(listing(id), nullptr);
    EXPECT_EQ(listing(id)->qty, "7");
    EXPECT_EQ(listing(id)->price_sats, 70'000'000u);

    // The buyer's history holds the purchase; the chart counts it out.
    enter(buyer);
    QTest::mouseClick(main->button(ui::ID_HISTORY), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->historyWindow() != nullptr; }, 60'000));
    // The chart's range ends before the current second, and posts of one process made within a
    // second are stamped a second apart: the chart opens once the clock has passed them.
    QTest::qWait(3'000);
    QTest::mouseClick(child<QAbstractButton>(dialogs->historyWindow(), ui::ID_HISTORY_CHART), Qt::LeftButton);
    ASSERT_NE(dialogs->chartWindow(), nullptr);
    EXPECT_EQ(dialogs->chartWindow()->summary(),
              "In  0.00000000 BSV     Out  0.30000000 BSV     Gross  -0.30000000 BSV");
}

TEST_F(TradeSimulatorTest, CancelAListingAndWithdrawAnOfferFromHistory)
{
    enter(seller);
    const std::string id = list_token("10", "1");
    ASSERT_EQ(id.size(), 64u);

    enter(buyer);
    reload();
    select(id);
    QTest::mouseClick(main->button(ui::ID_BUY), Qt::LeftButton);
    ASSERT_NE(dialogs->buyDialog(), nullptr);
    child<QLineEdit>(dialogs->buyDialog(), ui::ID_BUY_QTY)->setText("2");
    const std::string offered = result_of(dialogs->buyDialog(), ui::ID_BUY_POST);
    ASSERT_EQ(offered.rfind("Tavrin Agoran: success: ", 0), 0u) << offered;

    // The buyer withdraws the offer from History.
    reload();
    QTest::mouseClick(main->button(ui::ID_HISTORY), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->historyWindow() != nullptr; }, 60'000));
    ui::HistoryWindow* history = dialogs->historyWindow();
    int open = -1;
    for (size_t i = 0; i < history->rows().size(); ++i)
        if (history->rows()[i].open) open = static_cast<int>(i);
    ASSERT_GE(open, 0);
    history->list()->selectRow(open);
    answer_next(true);
    const std::string withdrawn = result_of(history, ui::ID_HISTORY_CANCEL_OFFER);
    EXPECT_EQ(withdrawn.rfind("Tavrin Agoran: success: ", 0), 0u) << withdrawn;
    reload();
    ASSERT_NE(listing(id), nullptr);
    EXPECT_TRUE(listing(id)->offers.empty());

    // The seller cancels the listing; a second cancel is refused as closed.
    enter(seller);
    reload();
    select(id);
    answer_next(true);
    dismiss();
    bool arrived = false;
    QObject::connect(main.get(), &ui::MainWindow::messageHandled, main.get(),
                     [&](int m) { arrived |= m == ui::MSG_ACTION_RESULT; });
    QTest::mouseClick(main->button(ui::ID_CANCEL), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return arrived; }, 180'000));
    EXPECT_EQ(confirmed,
              "Cancel: Cancel this listing? No second 0.01 fee. One sat on the book oracle. [Cancel listing]");
    EXPECT_EQ(message().rfind("Tavrin Agoran: success: ", 0), 0u);
    ASSERT_TRUE(idle());
    reload();
    select(id);
    ASSERT_NE(main->selectedListing(), nullptr);
    EXPECT_EQ(main->selectedListing()->status, "cancelled");
    dismiss();
    QTest::mouseClick(main->button(ui::ID_CANCEL), Qt::LeftButton);
    EXPECT_EQ(message(), "Cancel: That listing is already closed.");
}

TEST_F(TradeSimulatorTest, RefusalsOfTheRoutinesReachTheDialogs)
{
    enter(seller);
    const std::string id = list_token("10", "1");
    ASSERT_EQ(id.size(), 64u);

    // The List dialog's own checks, in the routine's order.
    QTest::mouseClick(main->button(ui::ID_LIST), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() != nullptr; }, 60'000));
    ui::ListDialog* list = dialogs->listDialog();
    auto fill = [&](const char* q, const char* price, const char* note) {
        child<QLineEdit>(list, ui::ID_LIST_QTY)->setText(q);
        child<QLineEdit>(list, ui::ID_LIST_PRICE)->setText(price);
        child<QLineEdit>(list, ui::ID_LIST_NOTE)->setText(note);
    };
    fill("1", "1,5", "fine");
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST), "List: Enter a price in BSV (total for the qty).");
    fill("1", "0.000000001", "fine");
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST), "List: Enter a price in BSV (total for the qty).");
    fill("1", "1.5 ", std::string(141, 'n').c_str());
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST), "List: Add a short note (1\u2013140 characters).");
    fill("0", "1.5", "fine");
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST), "List: Qty must be at least 1.");
    fill("abc", "1.5", "fine");
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST), "List: Qty must be a whole number.");
    fill("11", "1.5", "fine");  // the lot holds 10
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST),
              "List: Qty must be at least 1 and no more than you hold of this lot.");
    auto* lots = child<QComboBox>(list, ui::ID_LIST_LOT);
    const int chosen = lots->currentIndex();
    lots->setCurrentIndex(-1);
    fill("1", "1.5", "fine");
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST), "List: Pick a lot from this wallet.");
    lots->setCurrentIndex(chosen);
    // The lot is listed already: its output is reserved.
    fill("1", "1.5", "fine");
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST), "List: error: that UTXO is already listed.");
    EXPECT_EQ(dialogs->listDialog(), list);
    list->close();

    // A frozen identity lists nothing.
    devnet().freeze(seller.identity_key, "test");
    dismiss();
    QTest::mouseClick(main->button(ui::ID_LIST), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() != nullptr; }, 60'000));
    list = dialogs->listDialog();
    fill("1", "1", "fine");
    EXPECT_EQ(refusal_of(list, ui::ID_LIST_POST), "List: This identity is frozen. No list.");

    // The buyer is refused on a frozen seller, and on a lot whose output is gone.
    enter(buyer);
    reload();
    select(id);
    QTest::mouseClick(main->button(ui::ID_BUY), Qt::LeftButton);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    EXPECT_EQ(refusal_of(buy, ui::ID_BUY_POST), "Buy: Frozen identity. No buy.");
    child<QLineEdit>(buy, ui::ID_BUY_QTY)->setText("");
    EXPECT_EQ(refusal_of(buy, ui::ID_BUY_POST), "Buy: Qty must be at least 1.");
    devnet().unfreeze(seller.identity_key);
    child<QLineEdit>(buy, ui::ID_BUY_QTY)->setText("x");
    EXPECT_EQ(refusal_of(buy, ui::ID_BUY_POST), "Buy: Qty must be a whole number.");
}

} // namespace
