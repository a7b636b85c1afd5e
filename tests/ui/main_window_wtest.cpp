// The main window on the offscreen platform, driven by QTest over services that answer from
// memory (the headless demo runs it over the simulator): what it shows is read from its widgets
// and models.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <thread>

#include <gtest/gtest.h>

#include "core/amount.h"
#include "ui/main_texts.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/settings_window.h"
#include "ui/single_instance.h"
#include "ui/theme.h"
#include "ui/thumbnail_cache.h"
#include "ui/thumbnail_key.h"
#include "ui/tools/sample_art.h"
#include "ui/tools/sample_market.h"
#include "ui/ui_style.h"

namespace {

using ui::Action;
using ui::MainWindow;

ui::WalletSnapshot bound_wallet(const std::string& identity = "", int64_t balance = 250'000'000)
{
    ui::WalletSnapshot w = ui::sample_wallet(identity);
    w.balance_sats = balance;
    return w;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::set_active_theme(0);
        std::error_code ec;
        std::filesystem::remove(ui::ui_settings_path(), ec);
        services = std::make_shared<ui::ScriptedServices>();
        book = ui::sample_book(40, 3);
        services->set_book(book);
    }

    std::unique_ptr<MainWindow> open()
    {
        MainWindow::Options options;
        options.start_update_check = false;
        auto w = std::make_unique<MainWindow>(services, options);
        w->resize(1366, 740);
        w->show();
        EXPECT_TRUE(idle(*w));
        return w;
    }

    static bool idle(MainWindow& w, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return !w.controller().isBusy() && !w.controller().silentLoadRunning(); }, ms);
    }

    template <class T>
    static T* child(QWidget& w, const char* name)
    {
        return w.findChild<T*>(name);
    }

    static QString label(QWidget& w, const char* name)
    {
        auto* shown = w.findChild<QLabel*>(name);
        return shown ? shown->text() : QString("<missing %1>").arg(name);
    }

    // The listing shown in a proxy row.
    static const book::Listing& row_listing(MainWindow& w, int row)
    {
        const int source = w.bookProxy()->index(row, 0).data(ui::BookTableModel::ListingIndexRole).toInt();
        return w.bookModel()->listing(source);
    }

    std::shared_ptr<ui::ScriptedServices> services;
    std::vector<book::Listing> book;
};

TEST_F(MainWindowTest, StartUpFiltersAndSelectionFollowTheListing)
{
    auto w = open();
    const size_t live = ui::live_count(book);
    EXPECT_EQ(w->statusText(), QString("Book: %1 listings. Double-click a row for the list tx").arg(live));
    EXPECT_EQ(label(*w, "rowCount"), QString("%1 listings").arg(live));
    EXPECT_EQ(w->bookProxy()->rowCount(), static_cast<int>(live));

    // The filters drive the table (what each keeps is tests/ui/book_filter_test.cpp).
    auto* search = child<QLineEdit>(*w, "search");
    QTest::keyClicks(search, "  OBOL ");
    ASSERT_GT(w->bookProxy()->rowCount(), 0);
    for (int r = 0; r < w->bookProxy()->rowCount(); ++r) EXPECT_EQ(row_listing(*w, r).sym, "OBOL");
    search->clear();
    child<QComboBox>(*w, "statusFilter")->setCurrentIndex(1);  // Status: All
    EXPECT_EQ(w->bookProxy()->rowCount(), static_cast<int>(book.size()));
    QTest::keyClicks(search, "no such thing at all");
    EXPECT_EQ(label(*w, "rowCount"), "0 listings");
    EXPECT_EQ(w->table()->emptyTexts().title, "No listings match these filters");
    search->clear();

    // The selection follows its listing across a reload that reorders the book, and goes
    // with it when it leaves.
    w->table()->selectRow(3);
    ASSERT_NE(w->selectedListing(), nullptr);
    const std::string id = w->selectedListing()->id;
    auto reordered = book;
    std::reverse(reordered.begin(), reordered.end());
    services->set_book(reordered);
    w->controller().reloadBook(false);
    ASSERT_TRUE(idle(*w));
    ASSERT_NE(w->selectedListing(), nullptr);
    EXPECT_EQ(w->selectedListing()->id, id);
    std::erase_if(reordered, [&](const book::Listing& l) { return l.id == id; });
    services->set_book(reordered);
    w->controller().reloadBook(false);
    ASSERT_TRUE(idle(*w));
    EXPECT_EQ(w->selectedListing(), nullptr);
}

// An outage or a partial read never replaces the market on screen: the last complete book stays,
// marked, with the balance; the next complete load takes the marker away.
TEST_F(MainWindowTest, TheLastCompleteBookStaysMarkedWhileTheServicesAreDown)
{
    services->set_wallet(bound_wallet());
    auto w = open();
    const int rows = w->bookProxy()->rowCount();
    EXPECT_TRUE(w->bookMarker()->isHidden());

    services->set_book_error("error: the oracle index did not answer.");
    w->controller().reloadBook(false);
    ASSERT_TRUE(idle(*w));
    EXPECT_EQ(w->statusText(), "error: the oracle index did not answer");
    EXPECT_EQ(w->statusKind(), "error");
    EXPECT_EQ(w->bookProxy()->rowCount(), rows);
    EXPECT_FALSE(w->bookMarker()->isHidden());
    EXPECT_TRUE(w->bookMarker()->text().startsWith("Book as of ")) << w->bookMarker()->text().toStdString();
    EXPECT_TRUE(w->bookMarker()->text().endsWith("offline"));
    EXPECT_FALSE(child<QLabel>(*w, "balanceNote")->isHidden());
    EXPECT_EQ(label(*w, "balanceValue"), "2.50000000 BSV");

    services->set_book(book);
    services->set_book_incomplete(37);
    w->controller().reloadBook(false);
    ASSERT_TRUE(idle(*w));
    EXPECT_EQ(w->bookProxy()->rowCount(), rows);
    EXPECT_TRUE(w->bookMarker()->text().endsWith("the market's services are busy; 37 posts not read yet"));

    services->set_book_incomplete(0);
    w->controller().reloadBook(false);
    ASSERT_TRUE(idle(*w));
    EXPECT_TRUE(w->bookMarker()->isHidden());
    EXPECT_TRUE(child<QLabel>(*w, "balanceNote")->isHidden());
}

// Every new offer on the wallet's listings is announced on the status line and kept in the
// message window's log (which events there are is tests/ui/book_rules_test.cpp); the balance
// follows each load.
TEST_F(MainWindowTest, NewOffersAreAnnouncedAndTheBalanceFollowsEachLoad)
{
    book[0].pubkey = "02" + std::string(64, 'a');
    book[0].status = book::ListingStatus::Live;
    book[0].kind = book::ListingKind::Token;
    book[0].sym = "LYRA";
    book[0].name = "LYRA";
    book[0].dec = 0;
    book[0].qty = "250000";
    services->set_book(book);
    services->set_wallet(bound_wallet(book[0].pubkey));
    auto w = open();
    EXPECT_FALSE(w->controller().offersWaiting());

    for (int n = 1; n <= 2; ++n) {
        book::Offer offer;
        offer.id = std::string(64, char('0' + n));
        offer.handle = "zeno";
        offer.qty = "250000";
        offer.pay_sats = 50'000'000;
        offer.offer = "short";
        book[0].offers.push_back(offer);
        services->set_book(book);
        services->set_wallet(bound_wallet(book[0].pubkey, 250'000'000 - n * 1000));
        w->controller().reloadBook(true);
        ASSERT_TRUE(idle(*w));
        EXPECT_EQ(w->statusText(), "New offer on your LYRA listing: 250,000 LYRA for 0.50000000 BSV from zeno");
        EXPECT_EQ(label(*w, "balanceValue"), QString::fromStdString(core::format_bsv(250'000'000 - n * 1000) + " BSV"));
    }
    EXPECT_TRUE(w->controller().offersWaiting());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->tile(Action::Complete)->flash(); }, 2000));

    QTest::mouseClick(child<QPushButton>(*w, "events"), Qt::LeftButton);
    ASSERT_NE(w->messageWindow(), nullptr);
    QListWidget* log = w->messageWindow()->eventList();
    ASSERT_EQ(log->count(), 2);
    EXPECT_TRUE(log->item(1)->text().contains("New offer on your LYRA listing"));
}

// A listing just posted is looked for until it shows live, then selected and scrolled into
// view, wherever the book put it; the result is one short line whose txid copies in full.
TEST_F(MainWindowTest, APostedListingIsShownAndItsResultIsOneLine)
{
    services->set_book(ui::sample_book(200, 4));
    services->set_wallet(bound_wallet());
    auto w = open();
    const std::string txid = "3f6c1d0a9b8e7f6a5b4c3d2e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a";
    auto later = ui::sample_book(200, 4);
    book::Listing posted = later.back();
    posted.id = txid;
    posted.status = book::ListingStatus::Live;
    later.push_back(posted);
    w->controller().finishAction({Action::List, "List", "", "Your listing is posted.", true}, trade::Sent{txid, true, std::nullopt});
    ASSERT_NE(w->messageWindow(), nullptr);
    EXPECT_EQ(w->messageWindow()->text(), "Your listing is posted.");
    EXPECT_EQ(w->messageWindow()->findChild<QLabel*>("note.shortTxid")->text(), "Transaction 3f6c1d\u20264e3f2a");
    QTest::mouseClick(w->messageWindow()->findChild<QPushButton*>("note.copy"), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), txid);
    EXPECT_EQ(w->statusText(), "Your listing is posted. (3f6c1d\u20264e3f2a)");

    // Not on the book yet: looked for again, then shown.
    ASSERT_TRUE(idle(*w));
    EXPECT_EQ(w->controller().pendingListing(), txid);
    services->set_book(later);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->selectedListing() && w->selectedListing()->id == txid; }, 6000));
    const QModelIndex row = w->bookProxy()->mapFromSource(w->bookModel()->index(w->bookModel()->rowOfId(txid), 1));
    EXPECT_TRUE(w->table()->viewport()->rect().intersects(w->table()->visualRect(row)));
}

TEST_F(MainWindowTest, BusyStateDisablesAnimatesAndRestores)
{
    auto w = open();
    services->set_book_delay_ms(900);
    QTest::mouseClick(w->refreshButton(), Qt::LeftButton);
    ASSERT_TRUE(w->controller().isBusy());
    EXPECT_EQ(w->statusText(), "Loading the book (OI, then WhatsOnChain if needed)");
    EXPECT_EQ(w->statusKind(), "progress");
    EXPECT_FALSE(w->tile(Action::Buy)->isEnabled());
    EXPECT_FALSE(w->connectButton()->isEnabled());
    EXPECT_TRUE(w->refreshButton()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->refreshButton()->text() == "Wait.."; }, 1500));
    w->controller().reloadBook(false);
    EXPECT_EQ(w->statusText(), "Already working");
    ASSERT_TRUE(idle(*w));
    EXPECT_EQ(w->refreshButton()->text(), "Refresh");
    EXPECT_TRUE(w->tile(Action::Buy)->isEnabled());
    EXPECT_EQ(services->book_loads(), 2);
}

TEST_F(MainWindowTest, ConnectCopyAndUnbind)
{
    auto w = open();
    QTest::mouseClick(child<QToolButton>(*w, "copy"), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Connect Pursa first");
    services->set_connect_result(trade::TradeError(wallet::WalletError(wallet::WalletCode::Denied)), {});
    QTest::mouseClick(w->connectButton(), Qt::LeftButton);
    ASSERT_TRUE(idle(*w));
    EXPECT_EQ(w->statusText(), "error: connect denied in Pursa");
    EXPECT_EQ(w->statusKind(), "error");
    services->set_connect_result({}, bound_wallet());
    QTest::mouseClick(w->connectButton(), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Waiting for Pursa to approve");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->controller().bound() && !w->controller().isBusy(); }, 3000));
    ASSERT_TRUE(idle(*w));
    EXPECT_EQ(w->connectButton()->text(), "Connected");
    EXPECT_EQ(label(*w, "balanceValue"), "2.50000000 BSV");
    QTest::mouseClick(child<QToolButton>(*w, "copy"), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "melina@tavrinnode.example");

    // A load running when the user unbinds cannot bind the wallet again when it ends.
    services->set_book_delay_ms(300);
    w->controller().reloadBook(true);
    QTest::mouseClick(child<QPushButton>(*w, "unbind"), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Unbound. Connect again to pick a wallet in Pursa");
    EXPECT_EQ(label(*w, "rowCount"), "0 listings");
    services->set_wallet(bound_wallet());
    ASSERT_TRUE(idle(*w));
    QTest::qWait(50);
    EXPECT_FALSE(w->controller().bound());
    EXPECT_EQ(label(*w, "walletValue"), "not connected");
}

// A picture is drawn from what its listing output holds, never from the icon its post names;
// the window says where it talks when that is not the real services.
TEST_F(MainWindowTest, APictureIsDrawnFromItsOwnInscriptionAndTheServicesAreNamed)
{
    book::Listing& picture = book[0];
    picture.kind = book::ListingKind::Picture;
    picture.status = book::ListingStatus::Live;
    picture.origin = "scribble_0";
    picture.claimed.icon = "famous_0";  // someone else's valuable picture
    services->set_book(book);
    services->set_output_origin(picture.utxo, "scribble_0");  // what the ordinals index says it holds
    services->set_content("scribble_0", {ui::solid_png(Qt::green), "image/png"});
    services->set_content("famous_0", {ui::solid_png(Qt::red), "image/png"});
    services->set_services_badge("Simulator at 127.0.0.1:8417");
    auto w = open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->thumbnails()->has("scribble_0"); }, 3000));
    EXPECT_FALSE(w->thumbnails()->has("famous_0"));
    // The row is flagged: the post names another picture.
    EXPECT_TRUE(w->bookModel()->index(0, 1).data().toString().startsWith(QString::fromUtf8("\u26A0 Picture ")));
    EXPECT_EQ(label(*w, "servicesBadge"), "Simulator at 127.0.0.1:8417");
    EXPECT_TRUE(w->windowTitle().contains("Simulator at 127.0.0.1:8417"));
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
    ui::SingleInstanceServer rival(name);
    EXPECT_FALSE(rival.listen());
    EXPECT_FALSE(ui::hand_over_to_running(ui::single_instance_name("/tmp/agoran-nobody-runs-here"), 300));
}

} // namespace
