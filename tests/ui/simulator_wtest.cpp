// The program's own services against the local simulator: the main window over the live
// services, with services.json pointing at a simulator started on port 0.
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "net/service_config.h"
#include "tests/support/devnet_fixture.h"
#include "ui/live_services.h"
#include "ui/main_window.h"
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

QPushButton* version_label(ui::MainWindow& w) { return w.findChild<QPushButton*>("version"); }

// The update check reads the product page the simulator publishes: a newer build is offered
// (label and question), a failed check or the same version offers nothing.
TEST_F(SimulatorWindowTest, UpdateCheckReadsThePublishedBuild)
{
    struct Case {
        const char* page;
        bool fails;
        int code;
        const char* label;  // "" for the update label
    };
    const Case cases[] = {
        {"<html><h2>Current build</h2><p>Version&nbsp;0.004</p></html>", false, 4, ""},
        {"Current build version 0.009", true, -1, "Version 0.002"},
        {"<p>Current build</p><p>version: 0.002</p>", false, 2, "Version 0.002"},
    };
    for (const auto& c : cases) {
        devnet().admin("/product", {{"text", c.page}});
        if (c.fails) devnet().fault("product", {{"status", 500}, {"body", "oops"}});
        auto w = open_window();
        QSignalSpy checked(&w->controller(), &ui::MarketController::updateChecked);
        ASSERT_TRUE(checked.wait(20000)) << c.page;
        EXPECT_EQ(w->controller().updateCode(), c.code);
        auto* question = w->findChild<QMessageBox*>("update.question");
        if (c.code == 4) {
            EXPECT_EQ(version_label(*w)->text().toStdString(), "Update available, " + net::current_services()->product_page);
            ASSERT_NE(question, nullptr);
            EXPECT_TRUE(question->text().contains("This build:  0.002"));
            question->button(QMessageBox::No)->click();
        } else {
            EXPECT_EQ(version_label(*w)->text(), c.label);
            EXPECT_EQ(question, nullptr);
        }
        devnet().clear_faults();
    }
}

TEST_F(SimulatorWindowTest, PicturesComeFromTheOrdCacheOnceFetched)
{
    const std::string origin = devnet().inscribe("1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH", "image/png",
                                                 ui::png_bytes(ui::sample_picture(2, false)));
    ASSERT_FALSE(origin.empty());
    auto services = ui::make_live_services();
    const QImage first = ui::ThumbnailCache::fetch_image(*services, origin, 40);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), QSize(40, 40));
    EXPECT_TRUE(std::filesystem::exists(data_dir / "ord_cache" / (origin + ".bin")));

    // With the ordinals service down the picture still comes, from the cache.
    devnet().fault("ordinals", {{"down", true}});
    const QImage again = ui::ThumbnailCache::fetch_image(*services, origin, 40);
    EXPECT_EQ(again, first);
    // A picture that was never cached does not.
    EXPECT_TRUE(ui::ThumbnailCache::fetch_image(*services, std::string(64, 'd') + "_0", 40).isNull());
}

// The seeded book loads; with the services down, Refresh keeps it on screen, marked offline,
// and says what failed in red; the simulator is named in the window.
TEST_F(SimulatorWindowTest, TheSeededBookStaysOnScreenThroughAnOutage)
{
    const ui::SeedResult seeded = ui::seed_market(devnet().base_url(), 12);
    ASSERT_TRUE(seeded.error.empty()) << seeded.error;
    ui::MainWindow::Options options;
    options.start_update_check = false;
    auto w = open_window(options);
    auto idle = [&] { return !w->controller().isBusy() && !w->controller().silentLoadRunning(); };
    ASSERT_TRUE(QTest::qWaitFor(idle, 60000));
    const int live = seeded.listed - seeded.cancelled;
    EXPECT_TRUE(w->statusText().startsWith(QString("Book: %1 listings. ").arg(live))) << w->statusText().toStdString();
    EXPECT_EQ(w->bookProxy()->rowCount(), live);
    EXPECT_TRUE(w->windowTitle().contains("Simulator at 127.0.0.1:")) << w->windowTitle().toStdString();

    devnet().fault("registry", {{"down", true}});
    devnet().fault("woc", {{"down", true}});
    w->controller().reloadBook(false);
    ASSERT_TRUE(QTest::qWaitFor(idle, 60000));
    EXPECT_TRUE(w->statusText().startsWith("error")) << w->statusText().toStdString();
    EXPECT_EQ(w->statusKind(), "error");
    EXPECT_EQ(w->bookProxy()->rowCount(), live);
    EXPECT_TRUE(w->bookMarker()->isVisible());
    EXPECT_TRUE(w->bookMarker()->text().endsWith("offline")) << w->bookMarker()->text().toStdString();
}

} // namespace
