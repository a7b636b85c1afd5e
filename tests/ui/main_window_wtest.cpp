// The main window on the offscreen platform, driven by QTest, over services that answer from
// memory (tests/ui/simulator_wtest.cpp drives it over the simulator).
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "ui/main_texts.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/settings_window.h"
#include "ui/single_instance.h"
#include "ui/theme.h"
#include "ui/thumbnail_cache.h"
#include "ui/thumbnail_key.h"
#include "ui/tools/sample_market.h"
#include "ui/ui_style.h"

namespace {

using ui::MainWindow;

const QColor RED(0xDC, 0x38, 0x38);

ui::MainWindow::Options quiet()
{
    ui::MainWindow::Options options;
    options.start_update_check = false;
    return options;
}

ui::WalletSnapshot bound_wallet(const std::string& identity = "")
{
    ui::WalletSnapshot w;
    w.bound = true;
    w.wallet_id = "w1";
    w.paymail = "melina@tavrinnode.example";
    w.identity_key = identity;
    w.balance_sats = 250'000'000;
    return w;
}

QString label_text(MainWindow& w, int id)
{
    auto* label = w.findChild<ui::TextLabel*>(QString::number(id));
    return label ? label->text() : QString("<missing %1>").arg(id);
}

template <class T>
T* control(MainWindow& w, int id)
{
    return w.findChild<T*>(QString::number(id));
}

bool wait_idle(MainWindow& w, int ms = 5000)
{
    return QTest::qWaitFor([&] { return !w.isBusy() && !w.silentLoadRunning(); }, ms);
}

size_t count_live(const std::vector<book::Listing>& book) { return ui::live_count(book); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::set_active_theme(0);
        services = std::make_shared<ui::ScriptedServices>();
        book = ui::sample_book(40, 3);
        services->set_book(book);
    }

    std::unique_ptr<MainWindow> open(MainWindow::Options options = quiet())
    {
        auto w = std::make_unique<MainWindow>(services, options);
        w->show();
        EXPECT_TRUE(wait_idle(*w));
        return w;
    }

    std::shared_ptr<ui::ScriptedServices> services;
    std::vector<book::Listing> book;
};

TEST_F(MainWindowTest, StartUpLoadsTheBookAndCountsLiveListings)
{
    auto w = open();
    EXPECT_EQ(w->windowTitle(), "Tavrin Agoran");
    EXPECT_EQ(w->size(), QSize(1360, 900));
    EXPECT_EQ(w->minimumSize(), QSize(1280, 820));
    const size_t live = count_live(book);
    ASSERT_GT(live, 1u);
    ASSERT_LT(live, book.size());
    EXPECT_TRUE(w->statusText().startsWith(QString("Book: %1 listings. Double-click a row").arg(live)))
        << w->statusText().toStdString();
    EXPECT_EQ(label_text(*w, ui::ID_ROW_COUNT), QString("%1 listings").arg(live));
    EXPECT_EQ(w->table()->model()->rowCount(), static_cast<int>(live));
    EXPECT_EQ(w->book().size(), book.size());
    EXPECT_EQ(services->book_loads(), 1);
    // Every control carries its identifier.
    for (int id : {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1017, 1018,
                   1020, 1021, 1022, 1023, 1024, 1025, 1026, 1028, 1029, 1030, 1031, 1032})
        EXPECT_NE(w->findChild<QWidget*>(QString::number(id)), nullptr) << id;
}

TEST_F(MainWindowTest, SearchAndTheThreeDropDownsFilter)
{
    auto w = open();
    auto* search = control<QLineEdit>(*w, ui::ID_SEARCH);
    auto* items = control<QComboBox>(*w, ui::ID_ITEM_FILTER);
    auto* sellers = control<QComboBox>(*w, ui::ID_SELLER_FILTER);
    auto* status = control<QComboBox>(*w, ui::ID_STATUS_FILTER);
    ASSERT_TRUE(search && items && sellers && status);
    EXPECT_EQ(search->placeholderText(), "Search items, ticker, note or seller");

    auto expected = [&](auto pred) {
        int n = 0;
        for (const auto& l : book) n += pred(l) ? 1 : 0;
        return n;
    };
    auto rows = [&] { return w->table()->model()->rowCount(); };

    QTest::keyClicks(search, "  OBOL ");
    EXPECT_EQ(rows(), expected([](const book::Listing& l) { return l.status == "live" && l.sym == "OBOL"; }));
    EXPECT_EQ(label_text(*w, ui::ID_ROW_COUNT), QString::fromStdString(ui::row_count_text(size_t(rows()))));
    search->clear();

    status->setCurrentIndex(1);  // Status: All
    EXPECT_EQ(rows(), static_cast<int>(book.size()));
    items->setCurrentIndex(2);  // Pictures
    EXPECT_EQ(rows(), expected([](const book::Listing& l) { return l.kind == "picture"; }));
    items->setCurrentIndex(1);  // Tokens
    EXPECT_EQ(rows(), expected([](const book::Listing& l) { return l.kind == "bsv21"; }));
    status->setCurrentIndex(3);  // Status: Cancelled
    EXPECT_EQ(rows(), expected([](const book::Listing& l) {
                  return l.kind == "bsv21" && (l.status == "cancelled" || l.status == "force_cancelled");
              }));
    items->setCurrentIndex(0);
    status->setCurrentIndex(1);

    ASSERT_GT(sellers->count(), 2);
    EXPECT_EQ(sellers->itemText(0), "All sellers");
    const QString seller = sellers->itemText(1);
    sellers->setCurrentIndex(1);
    EXPECT_EQ(rows(), expected([&](const book::Listing& l) { return QString::fromStdString(l.handle) == seller; }));

    // Nothing matches: the empty state names the live count.
    QTest::keyClicks(search, "no such thing at all");
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(label_text(*w, ui::ID_ROW_COUNT), "0 listings");
    EXPECT_EQ(w->table()->emptyTexts().title, "No listings match these filters");
}

TEST_F(MainWindowTest, SelectionFollowsItsListingAcrossAReload)
{
    auto w = open();
    w->table()->selectRow(3);
    const book::Listing* chosen = w->selectedListing();
    ASSERT_NE(chosen, nullptr);
    const std::string id = chosen->id;

    // The next load delivers the book in another order: the same listing stays selected.
    auto reordered = book;
    std::reverse(reordered.begin(), reordered.end());
    services->set_book(reordered);
    QTest::mouseClick(w->button(ui::ID_REFRESH), Qt::LeftButton);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(services->book_loads(), 2);
    ASSERT_NE(w->selectedListing(), nullptr);
    EXPECT_EQ(w->selectedListing()->id, id);
    const QModelIndexList selected = w->table()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    const int source = selected.first().data(ui::BookTableModel::ListingIndexRole).toInt();
    EXPECT_EQ(w->book()[size_t(source)].id, id);

    // A book without it drops the selection.
    auto without = reordered;
    std::erase_if(without, [&](const book::Listing& l) { return l.id == id; });
    services->set_book(without);
    w->reloadBook(false);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->selectedListing(), nullptr);
}

TEST_F(MainWindowTest, AFailedLoadShowsItsErrorInRedAndKeepsTheBook)
{
    auto w = open();
    services->set_book_error("error: the oracle index did not answer.");
    w->reloadBook(false);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->statusText(), "error: the oracle index did not answer");
    EXPECT_EQ(w->statusColour(), RED);
    EXPECT_EQ(w->book().size(), book.size());

    services->set_book_error("-");
    w->reloadBook(false);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->statusText(), "error: book load failed");
    EXPECT_EQ(w->statusColour(), RED);
}

TEST_F(MainWindowTest, AFailedSilentReloadChangesNothingVisible)
{
    auto w = open();
    const QString before = w->statusText();
    services->set_book_error("error: down.");
    w->reloadBook(true);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->statusText(), before);
    EXPECT_EQ(w->table()->model()->rowCount(), static_cast<int>(count_live(book)));
}

TEST_F(MainWindowTest, BusyStateDisablesTheControlsAnimatesAndRestoresLabels)
{
    auto w = open();
    services->set_book_delay_ms(900);
    QTest::mouseClick(w->button(ui::ID_REFRESH), Qt::LeftButton);
    ASSERT_TRUE(w->isBusy());
    EXPECT_EQ(w->statusText(), "Loading the book (OI, then WhatsOnChain if needed)");
    EXPECT_TRUE(w->statusAnimating());
    EXPECT_EQ(w->statusColour(), QColor(0x38, 0xCC, 0x62));
    for (int id : ui::BUSY_DISABLED_IDS) {
        if (id == ui::ID_REFRESH) continue;
        EXPECT_FALSE(w->button(id)->isEnabled()) << id;
    }
    auto* refresh = w->button(ui::ID_REFRESH);
    EXPECT_TRUE(refresh->isEnabled());
    EXPECT_EQ(refresh->text(), "Wait");
    EXPECT_EQ(refresh->property("ag.busy").toInt(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return refresh->text() == "Wait.."; }, 1500));
    EXPECT_TRUE(w->button(ui::ID_HELP)->isEnabled());

    // A second request while busy.
    w->reloadBook(false);
    EXPECT_EQ(w->statusText(), "Already working");
    QTest::mouseClick(w->button(ui::ID_CONNECT), Qt::LeftButton);  // disabled: nothing happens
    EXPECT_EQ(services->book_loads(), 1);

    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(refresh->text(), "Refresh");
    EXPECT_FALSE(refresh->property("ag.busy").isValid());
    for (int id : ui::BUSY_DISABLED_IDS) EXPECT_TRUE(w->button(id)->isEnabled()) << id;
    EXPECT_EQ(w->button(ui::ID_CONNECT)->text(), "Connect");
    EXPECT_EQ(services->book_loads(), 2);
}

TEST_F(MainWindowTest, RefreshDuringASilentReloadDoesNothing)
{
    auto w = open();
    services->set_book_delay_ms(500);
    w->reloadBook(true);
    EXPECT_TRUE(w->silentLoadRunning());
    EXPECT_FALSE(w->isBusy());
    QTest::mouseClick(w->button(ui::ID_REFRESH), Qt::LeftButton);
    EXPECT_FALSE(w->isBusy());
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(services->book_loads(), 2);
}

TEST(SingleInstance, ASecondStartHandsOverToTheRunningCopy)
{
    const QString name = ui::single_instance_name(QString("/tmp/agoran-test-%1").arg(QCoreApplication::applicationPid()));
    EXPECT_TRUE(name.startsWith("TavrinNodeAgoranShell-"));
    EXPECT_NE(name, ui::single_instance_name("/another/data/dir"));
    ui::SingleInstanceServer first(name);
    ASSERT_TRUE(first.listen());
    QSignalSpy activated(&first, &ui::SingleInstanceServer::activationRequested);

    bool handed = false;
    std::thread second([&] { handed = ui::hand_over_to_running(name, 3000); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() > 0; }, 3000));
    second.join();
    EXPECT_TRUE(handed);
    EXPECT_EQ(activated.count(), 1);

    // While the first copy serves, another cannot take the name.
    ui::SingleInstanceServer rival(name);
    EXPECT_FALSE(rival.listen());
}

TEST(SingleInstance, NobodyAnswersWhenNoCopyRuns)
{
    const QString name = ui::single_instance_name("/tmp/agoran-nobody-runs-here");
    EXPECT_FALSE(ui::hand_over_to_running(name, 300));
}

TEST_F(MainWindowTest, BringForwardRestoresAMinimisedWindow)
{
    auto w = open();
    w->showMinimized();
    w->bringForward();
    EXPECT_FALSE(w->isMinimized());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowTest, UpdateCheckLabelForAnUpdate)
{
    ui::PageFetch page;
    page.ok = true;
    page.status = 200;
    page.body = "<html><h1>Current build</h1><p>Version:&nbsp;0.003</p></html>";
    services->set_update_page(page);
    MainWindow::Options options;
    auto w = std::make_unique<MainWindow>(services, options);
    w->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->updateCode() != -1; }, 5000));
    EXPECT_EQ(w->updateCode(), 3);
    EXPECT_TRUE(w->updateAvailable());
    auto* version = control<ui::TextLabel>(*w, ui::ID_VERSION);
    EXPECT_EQ(version->text(), "Update available, https://tavrinnode.example/agoran");
    EXPECT_EQ(version->colour(), QColor(0xFF, 0x5C, 0x48));
    EXPECT_EQ(version->cursor().shape(), Qt::PointingHandCursor);
    auto* question = w->findChild<QMessageBox*>("update.question");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->windowTitle(), "Tavrin Agoran update");
    EXPECT_TRUE(question->text().contains("Latest:      0.003"));
    question->button(QMessageBox::No)->click();
    wait_idle(*w);
}

TEST_F(MainWindowTest, UpdateCheckLabelForAFailedCheck)
{
    ui::PageFetch page;
    page.ok = true;
    page.status = 503;
    page.body = "Current build version 0.009";
    services->set_update_page(page);
    auto w = std::make_unique<MainWindow>(services, MainWindow::Options{});
    w->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->findChild<QObject*>("never") != nullptr; }, 400) == false);
    ASSERT_TRUE(wait_idle(*w));
    QTest::qWait(100);
    EXPECT_EQ(w->updateCode(), -1);
    EXPECT_FALSE(w->updateAvailable());
    auto* version = control<ui::TextLabel>(*w, ui::ID_VERSION);
    EXPECT_EQ(version->text(), "Version 0.002");
    EXPECT_EQ(version->colour(), ui::qcolor(ui::active_theme().muted));
    EXPECT_EQ(w->findChild<QMessageBox*>("update.question"), nullptr);
}

TEST_F(MainWindowTest, AWorkerResultAfterItsDialogClosedStillReachesTheStatusLine)
{
    auto w = open();
    // A dialog starts a worker and is closed before the result arrives.
    auto* dialog = new QWidget(w.get(), Qt::Window);
    dialog->setAttribute(Qt::WA_DeleteOnClose, true);
    dialog->show();
    QPointer<QWidget> alive(dialog);
    const std::string txid(64, 'e');
    QStringList shown;
    QObject::connect(w->findChild<ui::TextLabel*>("1013"), &ui::TextLabel::textChanged, w.get(),
                     [&](const QString& text) { shown << text; });
    w->setBusy(true, ui::ID_BUY);
    w->startWorker([txid](ui::MarketServices&, ui::PostTarget& target) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        auto payload = std::make_unique<ui::ActionResultPayload>();
        payload->result = "success: " + txid;
        target.post(ui::MSG_ACTION_RESULT, std::move(payload));
    });
    dialog->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 1000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->messageWindow() != nullptr; }, 3000));
    // The status line showed the result (before the reload it starts took over).
    EXPECT_TRUE(shown.contains(QString::fromStdString("success: " + txid))) << shown.join(" | ").toStdString();
    EXPECT_EQ(w->button(ui::ID_BUY)->text(), "Buy");
    ASSERT_NE(w->messageWindow(), nullptr);
    EXPECT_EQ(w->messageWindow()->title(), "Tavrin Agoran");
    EXPECT_EQ(w->messageWindow()->txid().toStdString(), txid);
    ASSERT_TRUE(wait_idle(*w));  // the result reloads the book
    EXPECT_EQ(services->book_loads(), 2);
}

TEST_F(MainWindowTest, AnActionResultWithoutPayloadSaysDoneAndReloads)
{
    auto w = open();
    w->postTarget()->post(ui::MSG_ACTION_RESULT, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return services->book_loads() == 2 && !w->isBusy(); }, 3000));
    EXPECT_EQ(w->messageWindow(), nullptr);
}

TEST_F(MainWindowTest, ResultsPostedAfterTheWindowIsGoneAreDropped)
{
    auto target = [&] {
        auto w = open();
        return w->postTarget();
    }();
    EXPECT_FALSE(target->attached());
    auto payload = std::make_unique<ui::ActionResultPayload>();
    payload->result = "success";
    EXPECT_FALSE(target->post(ui::MSG_ACTION_RESULT, std::move(payload)));
}

TEST_F(MainWindowTest, AListPostIsRepolledTwiceThenForgotten)
{
    auto w = open();
    const std::string txid(64, 'a');
    auto payload = std::make_unique<ui::ActionResultPayload>();
    payload->list_post = true;
    payload->result = "success: " + std::string(64, 'A');
    w->postTarget()->post(ui::MSG_ACTION_RESULT, std::move(payload));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->pendingListing() == txid; }, 2000));
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->pendingRetries(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->pendingRetries() == 2; }, 4000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->pendingListing().empty(); }, 4000));
    EXPECT_EQ(services->book_loads(), 4);  // start, the result's reload, two re-polls
}

TEST_F(MainWindowTest, AnOfferArrivingDuringASilentReloadIsAnnouncedOnce)
{
    services->set_wallet(bound_wallet(book[0].pubkey));
    auto w = open();
    EXPECT_FALSE(w->offersWaiting());
    auto with_offer = book;
    with_offer[0].status = "live";
    book::Offer offer;
    offer.offer = "short";
    with_offer[0].offers.push_back(offer);
    services->set_book(with_offer);
    w->reloadBook(true);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_TRUE(w->offersWaiting());
    EXPECT_EQ(w->statusText(), "Someone offered on your listing");
    w->setStatus(QString("Something else."));
    w->reloadBook(true);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->statusText(), "Something else");
    // The flash alternates the Complete tile's face.
    const auto first = w->button(ui::ID_COMPLETE)->faceColours().face;
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->button(ui::ID_COMPLETE)->faceColours().face != first; }, 1000));
}

TEST_F(MainWindowTest, UnbindEmptiesTheBookAndAStaleSnapshotDoesNotRebind)
{
    services->set_wallet(bound_wallet());
    auto w = open();
    EXPECT_EQ(label_text(*w, ui::ID_WALLET_VALUE), "melina@tavrinnode.example");
    EXPECT_EQ(w->button(ui::ID_CONNECT)->text(), "Connected");
    // A load is running when the user unbinds; its snapshot still says bound.
    services->set_book_delay_ms(300);
    w->reloadBook(true);
    QTest::mouseClick(w->button(ui::ID_UNBIND), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Unbound. Connect again to pick a wallet in Pursa");
    EXPECT_TRUE(w->book().empty());
    EXPECT_EQ(label_text(*w, ui::ID_ROW_COUNT), "0 listings");
    EXPECT_EQ(label_text(*w, ui::ID_WALLET_VALUE), "not connected");
    services->set_wallet(bound_wallet());  // as the worker may still read it
    ASSERT_TRUE(wait_idle(*w));
    QTest::qWait(50);
    EXPECT_FALSE(w->bound());
    EXPECT_EQ(label_text(*w, ui::ID_WALLET_VALUE), "not connected");
}

TEST_F(MainWindowTest, ConnectAndCopy)
{
    auto w = open();
    QTest::mouseClick(w->button(ui::ID_COPY), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Connect Pursa first");
    services->set_connect_result("success", bound_wallet());
    QTest::mouseClick(w->button(ui::ID_CONNECT), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Waiting for Pursa to approve");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->bound(); }, 3000));
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->button(ui::ID_CONNECT)->text(), "Connected");
    EXPECT_EQ(label_text(*w, ui::ID_BALANCE_VALUE), "2.50000000 BSV");
    QTest::mouseClick(w->button(ui::ID_CONNECT), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Already connected. Unbind to pick another wallet");
    QTest::mouseClick(w->button(ui::ID_COPY), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Copied");
    EXPECT_EQ(QApplication::clipboard()->text(), "melina@tavrinnode.example");
}

TEST_F(MainWindowTest, AFailedConnectShowsItsSentence)
{
    auto w = open();
    services->set_connect_result("error: Pursa denied the request.", {});
    QTest::mouseClick(w->button(ui::ID_CONNECT), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isBusy(); }, 3000));
    EXPECT_EQ(w->statusText(), "error: Pursa denied the request");
    EXPECT_EQ(w->statusColour(), RED);
    EXPECT_FALSE(w->bound());
}

TEST_F(MainWindowTest, ThumbnailsArriveFromWorkersAndARefillFetchesNothingAgain)
{
    QImage red(32, 32, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    for (const auto& l : book) services->set_content(l.icon.empty() ? l.origin : l.icon, {png.toStdString(), "image/png"});
    auto w = open();
    const int first = w->table()->model()->index(0, 0).data(ui::BookTableModel::ListingIndexRole).toInt();
    const std::string key = ui::thumbnail_key(book[size_t(first)]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->thumbnails()->has(key); }, 3000));
    QTest::qWait(100);
    const int requests = services->content_requests();
    EXPECT_GT(requests, 0);
    auto* search = control<QLineEdit>(*w, ui::ID_SEARCH);
    QTest::keyClicks(search, "o");
    QTest::keyClick(search, Qt::Key_Backspace);
    QTest::qWait(100);
    EXPECT_EQ(services->content_requests(), requests);
}

TEST_F(MainWindowTest, AThumbnailThatCannotBeDecodedStaysBlank)
{
    services->set_content(book[0].icon.empty() ? book[0].origin : book[0].icon, {"\x89PNG not really", "image/png"});
    const QImage image = ui::ThumbnailCache::fetch_thumbnail(*services, book[0].icon.empty() ? book[0].origin : book[0].icon);
    EXPECT_TRUE(image.isNull());
    EXPECT_TRUE(ui::ThumbnailCache::fetch_thumbnail(*services, "missing").isNull());
}

TEST_F(MainWindowTest, ChoosingAThemeInSettingsAppliesAndSavesIt)
{
    auto w = open();
    QTest::mouseClick(w->button(ui::ID_SETTINGS), Qt::LeftButton);
    auto* settings = w->findChild<ui::SettingsWindow*>("TavrinNodeAgoranSettings");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->size(), QSize(340, 180));
    auto* combo = settings->findChild<QComboBox*>("1202");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->itemText(0), "Gold-Blue");
    combo->setCurrentIndex(2);
    EXPECT_EQ(ui::active_theme_index(), 2);
    EXPECT_EQ(ui::load_theme_setting(ui::ui_settings_path()), 2);
    // A second press brings the open window forward instead of another.
    QTest::mouseClick(w->button(ui::ID_SETTINGS), Qt::LeftButton);
    EXPECT_EQ(w->findChildren<ui::SettingsWindow*>().size(), 1);
    combo->setCurrentIndex(0);
    settings->close();
}

TEST_F(MainWindowTest, ConfirmModeAnswersWhichButtonWasPressed)
{
    auto w = open();
    QTimer::singleShot(50, [&] {
        auto* note = w->messageWindow();
        ASSERT_NE(note, nullptr);
        note->findChild<QAbstractButton*>("note.confirm")->click();
    });
    EXPECT_TRUE(w->showMessage("Complete", "Sign the reserved lot and finish this sale?", {}, "Complete"));
    QTimer::singleShot(50, [&] { w->messageWindow()->findChild<QAbstractButton*>("note.cancel")->click(); });
    EXPECT_FALSE(w->showMessage("Cancel", "Cancel this listing?", {}, "Cancel listing"));
    // Information mode: one window at a time.
    w->showMessage("A", "first");
    w->showMessage("B", "second");
    QTest::qWait(20);
    EXPECT_EQ(w->findChildren<ui::MessageWindow*>().size(), 1);
    EXPECT_EQ(w->messageWindow()->title(), "B");
}

TEST_F(MainWindowTest, TilesAskForAWalletFirst)
{
    auto w = open();
    QTest::mouseClick(w->button(ui::ID_BUY), Qt::LeftButton);
    ASSERT_NE(w->messageWindow(), nullptr);
    EXPECT_EQ(w->messageWindow()->title(), "Buy");
    EXPECT_EQ(w->messageWindow()->text(), "Connect a Pursa wallet first.");
    bool called = false;
    w->setTileHandler(ui::ID_HISTORY, [&] { called = true; });
    QTest::mouseClick(w->button(ui::ID_HISTORY), Qt::LeftButton);
    EXPECT_TRUE(called);
}

} // namespace

namespace {

TEST_F(MainWindowTest, ListTileLoadsTheLotsOnAWorker)
{
    services->set_wallet(bound_wallet("02" + std::string(64, 'a')));
    auto w = open();
    wallet::TvPursaOrdRow lot;
    lot.origin = std::string(64, 'c') + "_0";
    lot.name = "Obol";
    lot.amt = "100";
    lot.token_id = lot.origin;
    services->set_lots({lot});
    size_t handed = 0;
    w->setLotsHandler([&](ui::LotsLoadedPayload&) { handed = w->lots().size(); });
    QTest::mouseClick(w->button(ui::ID_LIST), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Loading lots from this wallet");
    EXPECT_EQ(w->button(ui::ID_LIST)->text(), "Wait");
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(handed, 1u);
    EXPECT_EQ(w->statusText(), "Pick a lot and post a listing");
    EXPECT_EQ(w->button(ui::ID_LIST)->text(), "Sell / List");

    services->set_lots({});
    QTest::mouseClick(w->button(ui::ID_LIST), Qt::LeftButton);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->statusText(), "No lots on this wallet yet. Mint or receive in Pursa first");
    services->set_lots({}, "error: no watch addresses.");
    QTest::mouseClick(w->button(ui::ID_LIST), Qt::LeftButton);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_EQ(w->statusText(), "error: no watch addresses");
    EXPECT_EQ(w->statusColour(), RED);
}

TEST_F(MainWindowTest, HistoryTileLoadsTheRowsOrShowsTheError)
{
    const std::string me = "02" + std::string(64, 'b');
    services->set_wallet(bound_wallet(me));
    auto w = open();
    book::HistoryRow row;
    row.type = "ag_list";
    row.txid = std::string(64, '7');
    services->set_history({row, row});
    bool opened = false;
    w->setHistoryHandler([&] { opened = true; });
    QTest::mouseClick(w->button(ui::ID_HISTORY), Qt::LeftButton);
    EXPECT_EQ(w->statusText(), "Loading your Tavrin Agoran history");
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_TRUE(opened);
    EXPECT_EQ(w->historyRows().size(), 2u);
    EXPECT_EQ(services->history_key(), me);
    EXPECT_EQ(w->statusText(), "History loaded");

    services->set_history({}, "error: OI agoran txids failed");
    opened = false;
    QTest::mouseClick(w->button(ui::ID_HISTORY), Qt::LeftButton);
    ASSERT_TRUE(wait_idle(*w));
    EXPECT_FALSE(opened);
    ASSERT_NE(w->messageWindow(), nullptr);
    EXPECT_EQ(w->messageWindow()->title(), "History");
    EXPECT_EQ(w->messageWindow()->text(), "error: OI agoran txids failed");
}

TEST_F(MainWindowTest, ListAndHistoryNeedAWallet)
{
    auto w = open();
    QTest::mouseClick(w->button(ui::ID_LIST), Qt::LeftButton);
    ASSERT_NE(w->messageWindow(), nullptr);
    EXPECT_EQ(w->messageWindow()->title(), "List");
    EXPECT_EQ(w->messageWindow()->text(), "Connect a Pursa wallet first.");
    EXPECT_FALSE(w->isBusy());
}

} // namespace
