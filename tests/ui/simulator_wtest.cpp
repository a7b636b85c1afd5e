// The program's own services against the local simulator: the main window over the live
// services, with services.json pointing at a simulator started on port 0.
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include "net/service_config.h"
#include "tests/support/devnet_fixture.h"
#include "ui/control_ids.h"
#include "ui/live_services.h"
#include "ui/main_window.h"
#include "ui/owner_button.h"
#include "ui/thumbnail_cache.h"
#include "ui/tools/sample_art.h"
#include "ui/tools/seed_market.h"
#include "ui/ui_style.h"

namespace {

class SimulatorWindowTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        m_data = std::make_unique<testsupport::TempDir>();
        data_dir = m_data->use_as_data_root();
        ASSERT_TRUE(devnet().write_services(data_dir));
        net::reload_current_services();
        ui::set_active_theme(0);
    }
    void TearDown() override
    {
        m_data.reset();
        net::reload_current_services();
    }

    std::unique_ptr<ui::MainWindow> open_window(ui::MainWindow::Options options = {})
    {
        auto w = std::make_unique<ui::MainWindow>(ui::make_live_services(), options);
        w->show();
        return w;
    }

    std::filesystem::path data_dir;

private:
    std::unique_ptr<testsupport::TempDir> m_data;
};

ui::TextLabel* version_label(ui::MainWindow& w) { return w.findChild<ui::TextLabel*>(QString::number(ui::ID_VERSION)); }

TEST_F(SimulatorWindowTest, UpdateCheckOffersANewerPublishedBuild)
{
    devnet().admin("/product", {{"text", "<html><h2>Current build</h2><p>Version&nbsp;0.004</p></html>"}});
    auto w = open_window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->updateCode() != -1; }, 20000));
    EXPECT_EQ(w->updateCode(), 4);
    EXPECT_TRUE(w->updateAvailable());
    const std::string page = net::current_services()->product_page;
    EXPECT_EQ(version_label(*w)->text().toStdString(), "Update available, " + page);
    auto* question = w->findChild<QMessageBox*>("update.question");
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(question->text().contains("This build:  0.002"));
    question->button(QMessageBox::No)->click();
}

TEST_F(SimulatorWindowTest, AFailedUpdateCheckLeavesTheBuildVersion)
{
    devnet().admin("/product", {{"text", "Current build version 0.009"}});
    devnet().fault("product", {{"status", 500}, {"body", "oops"}});
    auto w = open_window();
    bool checked = false;
    QObject::connect(w.get(), &ui::MainWindow::messageHandled, w.get(),
                     [&](int message) { checked |= message == ui::MSG_UPDATE_CHECKED; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return checked; }, 20000));
    // The check ended without an update: the label keeps this build's version, muted.
    EXPECT_EQ(w->updateCode(), -1);
    EXPECT_FALSE(w->updateAvailable());
    EXPECT_EQ(version_label(*w)->text(), "Version 0.002");
    EXPECT_EQ(version_label(*w)->colour(), ui::qcolor(ui::active_theme().muted));
    EXPECT_EQ(w->findChild<QMessageBox*>("update.question"), nullptr);
}

TEST_F(SimulatorWindowTest, ASameVersionPageOffersNothing)
{
    devnet().admin("/product", {{"text", "<p>Current build</p><p>version: 0.002</p>"}});
    auto w = open_window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->updateCode() != -1; }, 20000));
    EXPECT_EQ(w->updateCode(), 2);
    EXPECT_EQ(version_label(*w)->text(), "Version 0.002");
    EXPECT_EQ(version_label(*w)->colour(), ui::qcolor(ui::active_theme().accent));
}

TEST_F(SimulatorWindowTest, ThumbnailsComeFromTheOrdCacheOnceFetched)
{
    const std::string origin = devnet().inscribe("1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH", "image/png",
                                                 ui::png_bytes(ui::sample_picture(2, false)));
    ASSERT_FALSE(origin.empty());
    auto services = ui::make_live_services();
    const QImage first = ui::ThumbnailCache::fetch_thumbnail(*services, origin);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), QSize(48, 48));
    EXPECT_TRUE(std::filesystem::exists(data_dir / "ord_cache" / (origin + ".bin")));

    // With the ordinals service down the picture still comes, from the cache.
    devnet().fault("ordinals", {{"down", true}});
    const QImage again = ui::ThumbnailCache::fetch_thumbnail(*services, origin);
    EXPECT_EQ(again, first);
    // A picture that was never cached does not.
    EXPECT_TRUE(ui::ThumbnailCache::fetch_thumbnail(*services, std::string(64, 'd') + "_0").isNull());
}

TEST_F(SimulatorWindowTest, StartUpLoadsTheSeededBook)
{
    const ui::SeedResult seeded = ui::seed_market(devnet().base_url(), 12);
    ASSERT_TRUE(seeded.error.empty()) << seeded.error;
    ui::MainWindow::Options options;
    options.start_update_check = false;
    auto w = open_window(options);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isBusy(); }, 60000));
    const int live = seeded.listed - seeded.cancelled;
    EXPECT_TRUE(w->statusText().startsWith(QString("Book: %1 listings. ").arg(live))) << w->statusText().toStdString();
    EXPECT_EQ(w->table()->model()->rowCount(), live);
}

TEST_F(SimulatorWindowTest, AFailedLoadShowsTheLoadersErrorInRed)
{
    devnet().fault("registry", {{"down", true}});
    devnet().fault("woc", {{"down", true}});
    ui::MainWindow::Options options;
    options.start_update_check = false;
    auto w = open_window(options);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isBusy(); }, 60000));
    EXPECT_TRUE(w->statusText().startsWith("error")) << w->statusText().toStdString();
    EXPECT_EQ(w->statusColour(), QColor(0xDC, 0x38, 0x38));
}

} // namespace
