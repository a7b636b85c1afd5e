// The desktop's smoke test through the simulator: the trade dialogs over the live trade
// routines, with two users, each with a data directory and a Pursa wallet of their own; the
// program (one process here) switches between them the way each user would start their own
// copy. The seller lists a token lot, the buyer offers on part of it, the seller completes it,
// the buyer charts the history. The flows in depth are the trade library's suites; refusals
// reaching the dialogs are tests/ui/trade_dialogs_wtest.cpp.
#include <QComboBox>
#include <QTest>
#include <QTimer>

#include <chrono>

#include <gtest/gtest.h>

#include "core/market_clock.h"
#include "net/service_config.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/pursa_program.h"
#include "tests/support/temp_dir.h"
#include "trade/market_session.h"
#include "ui/buy_dialog.h"
#include "ui/card_list.h"
#include "ui/chart_window.h"
#include "ui/complete_dialog.h"
#include "ui/history_window.h"
#include "ui/list_dialog.h"
#include "ui/live_services.h"
#include "ui/live_trade_services.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/mine_window.h"
#include "ui/trade_dialogs.h"
#include "wallet/app_binding.h"
#include "wallet/connect.h"

namespace {

using namespace std::chrono_literals;

// A user: a data directory and a Pursa wallet with a paymail name and coins.
struct User {
    std::string name;
    testsupport::TempDir root;
    std::string wallet_id;
    std::string receive;
    std::string ordinals;
    std::string identity_key;  // known once the program has bound the wallet

    bool create(const testsupport::Devnet& devnet)
    {
        std::filesystem::create_directories(root.path() / "TavrinNode");
        if (!devnet.write_services(root.path() / "TavrinNode")) return false;
        const pursatest::NamedWallet w = pursatest::create_named_wallet(root.path(), name);
        EXPECT_EQ(w.failure, "");
        wallet_id = w.id;
        receive = w.receive;
        ordinals = w.ordinals;
        return w.failure.empty();
    }
};

class TradeSimulatorTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
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
    }

    // The program started by the user: bound to their wallet, with the book loaded.
    void enter(User& user)
    {
        leave();
        platform::set_env("LOCALAPPDATA", user.root.path().string());
        ui::MainWindow::Options options;
        options.start_update_check = false;
        options.ask_update_question = false;
        if (!session) {  // one simulator throughout
            session = std::make_unique<trade::MarketSession>(net::load_services_file());
            // The market acts at a fixed moment in the past: each post of this process is stamped
            // a second after the one before it, and every post is behind the system clock the
            // history chart ends at.
            session->clock().fix(core::system_seconds() - 600);
        }
        wallet::register_app(session->wallet(), QCoreApplication::applicationDirPath().toStdString(), "Agoran");
        main = std::make_unique<ui::MainWindow>(ui::make_live_services(*session), options);
        dialogs = new ui::TradeDialogs(*main, ui::make_live_trade_services(*session));
        main->show();
        ASSERT_TRUE(idle());
        if (!controller().bound()) {
            auto approver =
                pursatest::start_pursa(user.root.path(), {"approve", "--wait", "--timeout", "60", "--wallet", user.wallet_id});
            ASSERT_NE(approver, nullptr);
            QTest::mouseClick(main->connectButton(), Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitFor([&] { return controller().bound() && !controller().isBusy(); }, 90'000))
                << main->statusText().toStdString();
            approver->wait(10s);
        }
        ASSERT_TRUE(idle());
        // Each user's program is bound to that user's own wallet.
        ASSERT_EQ(controller().wallet().wallet_id, user.wallet_id);
        ASSERT_EQ(controller().wallet().identity_key.size(), 66u);
        if (user.identity_key.empty()) user.identity_key = controller().wallet().identity_key;
        EXPECT_EQ(controller().wallet().identity_key, user.identity_key);
    }

    void leave()
    {
        if (main) main->close();
        main.reset();
        dialogs = nullptr;
    }

    ui::MarketController& controller() { return main->controller(); }

    bool idle(int ms = 120'000)
    {
        return QTest::qWaitFor([&] { return !controller().isBusy() && !controller().silentLoadRunning(); }, ms);
    }

    void reload()
    {
        QTest::mouseClick(main->refreshButton(), Qt::LeftButton);
        ASSERT_TRUE(idle());
    }

    void click(ui::Action tile) { QTest::mouseClick(main->tile(tile), Qt::LeftButton); }

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

    // What a click leads to: the result of the action it started, or the refusal, as the
    // message window shows it ("title: text"); a question on the way is answered by answer_next.
    std::string message_after(QAbstractButton* button)
    {
        dismiss();
        QTest::mouseClick(button, Qt::LeftButton);
        if (!QTest::qWaitFor(
                [&] { return !controller().isBusy() && main->messageWindow() && !main->messageWindow()->confirmMode(); },
                180'000))
            return "no result";
        const std::string shown = message();
        EXPECT_TRUE(idle());
        return shown;
    }

    void answer_next(bool yes)
    {
        auto* timer = new QTimer(main.get());
        timer->setInterval(50);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, yes] {
            for (auto* note : main->findChildren<ui::MessageWindow*>()) {
                if (!note->confirmMode() || !note->isVisible()) continue;
                timer->stop();
                timer->deleteLater();
                confirmed = note->title().toStdString() + ": " + note->text().toStdString() + " [" +
                            note->confirmButton()->text().toStdString() + "]";
                QTest::mouseClick(yes ? note->confirmButton() : note->closeButton(), Qt::LeftButton);
                return;
            }
        });
        timer->start();
    }

    const book::Listing* listing(const std::string& id) { return controller().listing(id); }

    void select(const std::string& id)
    {
        main->findChild<QComboBox*>("statusFilter")->setCurrentIndex(1);
        if (!main->showListing(id)) ADD_FAILURE() << "listing not in the table: " << id;
    }

    // The seller lists qty of the token lot for price BSV; the listing's id.
    std::string list_token(const char* qty, const char* price)
    {
        click(ui::Action::List);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs->listDialog() != nullptr; }, 60'000))
            << main->statusText().toStdString();
        ui::ListDialog* list = dialogs->listDialog();
        if (!list) return {};
        for (int i = 0; i < list->lotChoice()->count(); ++i)
            if (list->lotChoice()->itemText(i).contains(" held")) list->lotChoice()->setCurrentIndex(i);
        list->qtyBox()->setText(qty);
        list->priceBox()->setText(price);
        list->noteBox()->setText("Owls, partial fills welcome");
        const std::string shown = message_after(list->postButton());
        EXPECT_EQ(shown, "List: Your listing is posted. It shows as live once the book oracle has seen it.");
        return main->messageWindow() ? main->messageWindow()->txid().toStdString() : std::string();
    }

    User seller;
    User buyer;
    std::string token;
    std::unique_ptr<trade::MarketSession> session;
    std::unique_ptr<ui::MainWindow> main;
    ui::TradeDialogs* dialogs = nullptr;
    std::string confirmed;  // the last confirmation answered: "title: text [button]"
};

TEST_F(TradeSimulatorTest, ListBuyPartCompleteAndChart)
{
    // The seller lists the lot; the window re-polls until the listing shows live, and shows it.
    enter(seller);
    const std::string id = list_token("10", "1");
    ASSERT_EQ(id.size(), 64u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller().pendingListing().empty() && idle(); }, 60'000));
    ASSERT_NE(listing(id), nullptr);
    EXPECT_EQ(listing(id)->status, book::ListingStatus::Live);
    EXPECT_EQ(listing(id)->qty, "10");
    EXPECT_EQ(listing(id)->price_sats, 100'000'000u);
    EXPECT_EQ(listing(id)->pubkey, seller.identity_key);
    ASSERT_NE(main->selectedListing(), nullptr);
    EXPECT_EQ(main->selectedListing()->id, id);

    // The buyer offers on 3 of the 10 lots.
    enter(buyer);
    select(id);
    click(ui::Action::Buy);
    ui::BuyDialog* buy = dialogs->buyDialog();
    ASSERT_NE(buy, nullptr);
    buy->qtyBox()->setText("3");
    EXPECT_EQ(buy->costLine().text, "You pay 0.30000000 BSV for 3 of 10 OWL.");
    EXPECT_EQ(message_after(buy->postButton()), "Buy: Your offer is posted. The seller completes the sale from their side.");

    // The seller hears of the offer, sees the tiles flash, and completes after the question
    // that names the sale.
    enter(seller);
    reload();
    EXPECT_TRUE(controller().offersWaiting());
    EXPECT_TRUE(QTest::qWaitFor([&] { return main->tile(ui::Action::Complete)->flash(); }, 3000));
    click(ui::Action::Current);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->mineWindow() != nullptr; }, 60'000));
    ASSERT_EQ(dialogs->mineWindow()->content().listings.size(), 1u);
    EXPECT_NE(dialogs->mineWindow()->content().listings[0].fields[0].value.find("1 offer waiting"), std::string::npos);
    dialogs->mineWindow()->close();

    click(ui::Action::Complete);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->completeDialog() != nullptr; }, 60'000));
    ui::CompleteDialog* complete = dialogs->completeDialog();
    ASSERT_EQ(complete->rows().size(), 1u);
    EXPECT_EQ(ui::complete_card(complete->rows()[0]).fields[4].value,
              "Pays you 0.30000000 BSV (0.30000000 BSV due). Passes.");
    EXPECT_EQ(message_after(complete->completeButton()), "Complete: Pick an offer.");
    complete->cards()->setSelected(0);
    answer_next(true);
    const std::string completed = message_after(complete->completeButton());
    EXPECT_EQ(confirmed, "Complete: Sell 3 OWL to zeno for 0.30000000 BSV?\nThis signs the reserved lot and broadcasts "
                         "the sale. [Complete]");
    EXPECT_EQ(completed, "Complete: Sale completed. The lot goes to the buyer.");
    reload();
    ASSERT_NE(listing(id), nullptr);
    EXPECT_EQ(listing(id)->qty, "7");
    EXPECT_EQ(listing(id)->price_sats, 70'000'000u);

    // The buyer's history holds the purchase; the chart counts it out.
    enter(buyer);
    click(ui::Action::History);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs->historyWindow() != nullptr; }, 60'000));
    QTest::mouseClick(dialogs->historyWindow()->findChild<QAbstractButton*>("chart"), Qt::LeftButton);
    ASSERT_NE(dialogs->chartWindow(), nullptr);
    EXPECT_EQ(dialogs->chartWindow()->summary(),
              "In  0.00000000 BSV     Out  0.30000000 BSV     Gross  -0.30000000 BSV");
}

} // namespace
