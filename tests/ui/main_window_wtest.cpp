// The main window on the offscreen platform, driven by QTest over services that answer from
// memory: that the user's actions reach the controller and its results reach the widgets. What
// the rules decide is the logic tests'.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <thread>

#include <gtest/gtest.h>

#include "ui/main_texts.h"
#include "ui/main_window.h"
#include "ui/quantity_text.h"
#include "ui/message_window.h"
#include "ui/single_instance.h"
#include "ui/tools/sample_market.h"
#include "ui/ui_style.h"

namespace {

using ui::Action;
using ui::MainWindow;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::error_code ec;
        std::filesystem::remove(ui::ui_settings_path(), ec);
        services->set_book(book);
    }

    std::unique_ptr<MainWindow> open()
    {
        auto w = std::make_unique<MainWindow>(services, MainWindow::Options{.start_update_check = false});
        w->resize(1366, 740);
        w->show();
        EXPECT_TRUE(idle(*w));
        return w;
    }
    static bool idle(MainWindow& w, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return !w.controller().isBusy() && !w.controller().silentLoadRunning(); }, ms);
    }
    static bool reload(MainWindow& w, bool silent = false)
    {
        w.controller().reloadBook(silent);
        return idle(w);
    }
    static QString label(QWidget& w, const char* name)
    {
        auto* shown = w.findChild<QLabel*>(name);
        return shown ? shown->text() : QString("<missing %1>").arg(name);
    }
    static void click(QWidget& w, const char* name) { QTest::mouseClick(w.findChild<QAbstractButton*>(name), Qt::LeftButton); }

    std::shared_ptr<ui::ScriptedServices> services = std::make_shared<ui::ScriptedServices>();
    std::vector<book::Listing> book = ui::sample_book(40, 3);
};

// The filter bar and the columns drive the table; the selection follows its listing across a
// reload that reorders the book, and goes with it when it leaves.
TEST_F(MainWindowTest, FiltersDriveTheTableAndTheSelectionFollowsItsListing)
{
    auto w = open();
    EXPECT_EQ(w->bookProxy()->rowCount(), static_cast<int>(ui::live_count(book)));
    auto* search = w->findChild<QLineEdit*>("search");
    QTest::keyClicks(search, "  OBOL ");
    ASSERT_GT(w->bookProxy()->rowCount(), 0);
    for (int r = 0; r < w->bookProxy()->rowCount(); ++r)
        EXPECT_EQ(w->bookModel()->listing(w->bookProxy()->mapToSource(w->bookProxy()->index(r, 0)).row()).sym, "OBOL");
    search->clear();
    w->findChild<QComboBox*>("statusFilter")->setCurrentIndex(1);  // Status: All
    EXPECT_EQ(label(*w, "rowCount"), QString("%1 listings").arg(book.size()));
    // Quantities order as whole tokens, whatever the token's decimals.
    w->bookProxy()->sort(static_cast<int>(ui::BookColumn::Qty), Qt::AscendingOrder);
    auto units = [&](int r) {
        const book::Listing& l = w->bookModel()->listing(w->bookProxy()->mapToSource(w->bookProxy()->index(r, 0)).row());
        return QString::fromStdString(ui::quantity_number(l, l.qty)).remove(',').toDouble();
    };
    for (int r = 1; r < w->bookProxy()->rowCount(); ++r) EXPECT_LE(units(r - 1), units(r)) << r;

    w->table()->selectRow(3);
    ASSERT_NE(w->selectedListing(), nullptr);
    const tx::Txid id = w->selectedListing()->id;
    std::reverse(book.begin(), book.end());
    services->set_book(book);
    ASSERT_TRUE(reload(*w));
    ASSERT_NE(w->selectedListing(), nullptr);
    EXPECT_EQ(w->selectedListing()->id, id);
    for (int r = 1; r < w->bookProxy()->rowCount(); ++r) EXPECT_LE(units(r - 1), units(r)) << "order kept, row " << r;
    std::erase_if(book, [&](const book::Listing& l) { return l.id == id; });
    services->set_book(book);
    ASSERT_TRUE(reload(*w));
    EXPECT_EQ(w->selectedListing(), nullptr);
}

// An outage or a partial read never replaces the market on screen: the last complete book stays,
// marked; the next complete load takes the marker away.
TEST_F(MainWindowTest, TheLastCompleteBookStaysMarkedWhileTheServicesAreDown)
{
    services->set_wallet(ui::sample_wallet(""));
    auto w = open();
    const int rows = w->bookProxy()->rowCount();
    EXPECT_TRUE(w->bookMarker()->isHidden());
    services->set_book_error("error: the oracle index did not answer.");
    ASSERT_TRUE(reload(*w));
    EXPECT_EQ(w->statusKind(), "error");
    EXPECT_EQ(w->bookProxy()->rowCount(), rows);
    EXPECT_FALSE(w->bookMarker()->isHidden());

    services->set_book(book);
    services->set_book_incomplete(37);
    ASSERT_TRUE(reload(*w));
    EXPECT_EQ(w->bookProxy()->rowCount(), rows);
    services->set_book_incomplete(0);
    ASSERT_TRUE(reload(*w));
    EXPECT_TRUE(w->bookMarker()->isHidden());
}

TEST_F(MainWindowTest, ANewOfferIsAnnouncedAndTheBalanceFollowsTheLoad)
{
    book[0].pubkey = "02" + std::string(64, 'a');
    book[0].status = book::ListingStatus::Live;
    services->set_book(book);
    services->set_wallet(ui::sample_wallet(book[0].pubkey));
    auto w = open();
    EXPECT_FALSE(w->controller().offersWaiting());
    book[0].offers.push_back({.id = *tx::Txid::parse(std::string(64, '1')), .offer = "short"});
    services->set_book(book);
    ui::WalletSnapshot poorer = ui::sample_wallet(book[0].pubkey);
    poorer.balance_sats = 123'000;
    services->set_wallet(poorer);
    ASSERT_TRUE(reload(*w, true));
    EXPECT_TRUE(w->statusText().startsWith("New offer on your ")) << w->statusText().toStdString();
    EXPECT_EQ(label(*w, "balanceValue"), "0.00123000 BSV");
    EXPECT_TRUE(w->controller().offersWaiting());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->tile(Action::Complete)->flash(); }, 2000));
    click(*w, "events");
    ASSERT_NE(w->messageWindow(), nullptr);
    ASSERT_EQ(w->messageWindow()->eventList()->count(), 1);
}

// A listing just posted is looked for until it shows live.
TEST_F(MainWindowTest, APostedListingIsShownAndItsTxidCopies)
{
    services->set_book(ui::sample_book(200, 4));
    services->set_wallet(ui::sample_wallet(""));
    auto w = open();
    const std::string txid = "3f6c1d0a9b8e7f6a5b4c3d2e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a";
    w->controller().finishAction({Action::List, "List", "", "Your listing is posted.", true}, trade::Sent{*tx::Txid::parse(txid), true, std::nullopt});
    ASSERT_NE(w->messageWindow(), nullptr);
    click(*w->messageWindow(), "note.copy");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), txid);
    ASSERT_TRUE(idle(*w));
    EXPECT_EQ(w->controller().pendingListing(), tx::Txid::parse(txid));

    auto later = ui::sample_book(200, 4);
    later.push_back(later.back());
    later.back().id = *tx::Txid::parse(txid);
    later.back().status = book::ListingStatus::Live;
    services->set_book(later);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->selectedListing() && w->selectedListing()->id.hex() == txid; }, 6000));
}

// A load running when the user unbinds cannot bind the wallet again when it ends.
TEST_F(MainWindowTest, ConnectAndUnbind)
{
    auto w = open();
    services->set_connect_result({}, ui::sample_wallet(""));
    QTest::mouseClick(w->connectButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->controller().bound() && !w->controller().isBusy(); }, 3000));
    ASSERT_TRUE(idle(*w));
    click(*w, "copy");
    EXPECT_EQ(QApplication::clipboard()->text(), "melina@tavrinnode.example");

    services->set_book_delay_ms(300);
    w->controller().reloadBook(true);
    click(*w, "unbind");
    ASSERT_TRUE(idle(*w));
    QTest::qWait(50);
    EXPECT_FALSE(w->controller().bound());
    EXPECT_EQ(label(*w, "walletValue"), "not connected");
}

TEST(SingleInstance, ASecondStartHandsOverToTheRunningCopy)
{
    const QString name = ui::single_instance_name(QString("/tmp/agoran-test-%1").arg(QCoreApplication::applicationPid()));
    EXPECT_NE(name, ui::single_instance_name("/another/data/dir"));
    ui::SingleInstanceServer first(name);
    ASSERT_TRUE(first.listen());
    QSignalSpy activated(&first, &ui::SingleInstanceServer::activationRequested);
    bool handed = false;
    std::thread second([&] { handed = ui::hand_over_to_running(name, 3000); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() > 0; }, 3000));
    second.join();
    EXPECT_TRUE(handed);
    EXPECT_FALSE(ui::SingleInstanceServer(name).listen());
    EXPECT_FALSE(ui::hand_over_to_running(ui::single_instance_name("/tmp/agoran-nobody-runs-here"), 300));
}

} // namespace
