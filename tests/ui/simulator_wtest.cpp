// The desktop's picture cache over the live services and a local simulator: a picture fetched
// once is kept in ord_cache and still shown while the ordinals service is down.
#include <gtest/gtest.h>

#include "net/service_config.h"
#include "tests/support/devnet_fixture.h"
#include "trade/market_session.h"
#include "ui/live_services.h"
#include "ui/thumbnail_cache.h"
#include "ui/tools/sample_art.h"

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
    }
    void TearDown() override
    {
        m_data.reset();  // LOCALAPPDATA back before the services are read again
        net::reload_current_services();
    }

    std::unique_ptr<testsupport::TempDir> m_data;
    std::filesystem::path data_dir;
};

TEST_F(SimulatorWindowTest, PicturesComeFromTheOrdCacheOnceFetched)
{
    const std::string origin = devnet().inscribe("1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH", "image/png",
                                                 ui::png_bytes(ui::sample_picture(2, false)));
    ASSERT_FALSE(origin.empty());
    trade::MarketSession session(net::current_services());
    auto services = ui::make_live_services(session);
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

} // namespace
