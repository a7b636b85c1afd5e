// The pictures the screenshot program makes of the trade dialogs: every dialog is written on
// the Gold-Blue background with something drawn on it (a window that failed to paint, or
// painted in another theme, shows as one flat colour or the wrong one).
#include <QColor>
#include <QImage>

#include <map>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include "ui/theme.h"
#include "ui/tools/dialog_shots.h"
#include "ui/ui_style.h"

namespace {

// The most frequent colour and how many colours the picture holds.
std::pair<QRgb, size_t> dominant_colour(const QImage& image, double* share)
{
    std::map<QRgb, size_t> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y) | 0xff000000u];
    QRgb top = 0;
    size_t most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) {
            top = colour;
            most = count;
        }
    *share = static_cast<double>(most) / (static_cast<double>(image.width()) * image.height());
    return {top, counts.size()};
}

bool holds_colour(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xff000000u) == colour) return true;
    return false;
}

TEST(DialogPictures, EveryTradeDialogIsDrawnInGoldBlue)
{
    testsupport::TempDir dir;
    ui::set_active_theme(0);
    ASSERT_EQ(ui::theme_value(0), "gold-blue");
    ASSERT_TRUE(ui::shoot_trade_dialogs(QString::fromStdString(dir.path().string()), "gold-blue"));

    const ui::Theme& theme = ui::theme_palette(0);
    const QRgb background = ui::qcolor(theme.background).rgb() | 0xff000000u;
    const QRgb panel = ui::qcolor(theme.panel).rgb() | 0xff000000u;
    const QRgb selected_card = ui::qcolor(theme.tile_alt).rgb() | 0xff000000u;
    const QRgb accent = ui::qcolor(theme.accent).rgb() | 0xff000000u;
    for (const char* name : {"list", "buy", "offer-cancel", "complete", "mine", "history", "chart-line", "chart-bar",
                             "report"}) {
        SCOPED_TRACE(name);
        const QImage image((dir.path() / (std::string(name) + "-gold-blue.png")).string().c_str());
        ASSERT_FALSE(image.isNull());
        EXPECT_LE(image.width(), 1000);  // a compact window
        double share = 0;
        const auto [top, colours] = dominant_colour(image, &share);
        // The window's background, under cards drawn on the panel colour (a selected one in
        // the tile colour).
        EXPECT_EQ(QColor(image.pixel(1, 1)).name().toStdString(), QColor(background).name().toStdString());
        EXPECT_TRUE(top == background || top == panel || top == selected_card) << QColor(top).name().toStdString();
        EXPECT_LT(share, 0.95);   // more than a flat background
        EXPECT_GT(colours, 20u);  // text is drawn with smoothed edges
        // Headings and default buttons in the accent colour.
        EXPECT_TRUE(holds_colour(image, accent));
    }
    // The two chart pictures show the same range drawn two ways.
    const QImage line((dir.path() / "chart-line-gold-blue.png").string().c_str());
    const QImage bar((dir.path() / "chart-bar-gold-blue.png").string().c_str());
    EXPECT_NE(line, bar);
}

} // namespace
