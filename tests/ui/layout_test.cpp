#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "ui/layout.h"
#include "ui/window_placement.h"

namespace {

bool overlaps(const ui::Rect& a, const ui::Rect& b)
{
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

void expect_sound(int w, int h)
{
    const ui::MainLayout layout = ui::main_layout(w, h);
    for (const auto& [id, r] : layout.controls) {
        EXPECT_GE(r.x, 0) << id;
        EXPECT_GE(r.y, 0) << id;
        EXPECT_LE(r.right(), w) << id << " at " << w;
        EXPECT_LE(r.bottom(), h) << id << " at " << h;
        EXPECT_GT(r.w, 0) << id;
    }
    for (auto a = layout.controls.begin(); a != layout.controls.end(); ++a)
        for (auto b = std::next(a); b != layout.controls.end(); ++b)
            EXPECT_FALSE(overlaps(a->second, b->second)) << a->first << " and " << b->first << " at " << w << "x" << h;
}

TEST(MainLayout, MinimumSize1280x820)
{
    const ui::MainLayout l = ui::main_layout(1280, 820);
    EXPECT_EQ(l.tile_width, 196);
    EXPECT_EQ(l.controls.at(ui::ID_CURRENT), (ui::Rect{478 + 3 * 196, 180, 196, 76}));
    EXPECT_EQ(l.controls.at(ui::ID_REPORT), (ui::Rect{468 + 2 * 196, 266, 196, 76}));
    EXPECT_EQ(l.controls.at(ui::ID_SEARCH), (ui::Rect{24, 358, 642, 28}));
    EXPECT_EQ(l.controls.at(ui::ID_STATUS_FILTER).x, 642 + 348);
    EXPECT_EQ(l.controls.at(ui::ID_REFRESH), (ui::Rect{1144, 354, 120, 36}));
    EXPECT_EQ(l.controls.at(ui::ID_TABLE), (ui::Rect{16, 400, 1248, 278}));
    EXPECT_EQ(l.controls.at(ui::ID_ROW_COUNT), (ui::Rect{16, 684, 220, 22}));
    EXPECT_EQ(l.controls.at(ui::ID_STATUS), (ui::Rect{212, 708, 764, 36}));
    EXPECT_EQ(l.controls.at(ui::ID_VERSION), (ui::Rect{984, 708, 280, 36}));
    EXPECT_EQ(l.controls.at(ui::ID_CLOSE), (ui::Rect{16, 768, 1248, 36}));
    EXPECT_EQ(l.controls.at(ui::ID_SETTINGS), (ui::Rect{1191, 26, 36, 36}));
    expect_sound(1280, 820);
}

TEST(MainLayout, FullHd1920x1080)
{
    const ui::MainLayout l = ui::main_layout(1920, 1080);
    EXPECT_EQ(l.tile_width, 356);
    EXPECT_EQ(l.controls.at(ui::ID_LIST).x, 458 + 356);
    EXPECT_EQ(l.controls.at(ui::ID_SEARCH).w, 1282);
    EXPECT_EQ(l.controls.at(ui::ID_TABLE).h, 538);
    EXPECT_EQ(l.controls.at(ui::ID_HELP), (ui::Rect{16, 968, 186, 36}));
    EXPECT_EQ(l.controls.at(ui::ID_CLOSE).y, 1028);
    expect_sound(1920, 1080);
}

TEST(MainLayout, FloorsHoldBelowTheMinimum)
{
    const ui::MainLayout l = ui::main_layout(560, 500);
    EXPECT_EQ(l.tile_width, 156);
    EXPECT_EQ(l.controls.at(ui::ID_SEARCH).w, 180);
    EXPECT_EQ(l.controls.at(ui::ID_TABLE).h, 120);
    EXPECT_EQ(l.controls.at(ui::ID_STATUS).w, 80);
}

TEST(WindowPlacement, RightOfTheMainWindowWhenItFits)
{
    const ui::Rect work{0, 0, 3000, 1080};
    const ui::Rect at = ui::place_beside({100, 50, 1360, 900}, 340, 180, work);
    EXPECT_EQ(at.x, 1472);
    EXPECT_EQ(at.y, 50);
    EXPECT_EQ(at.w, 340);
}

TEST(WindowPlacement, LeftWhenTheRightSideIsFullAndInsideWhenNeitherFits)
{
    const ui::Rect work{0, 0, 1920, 1080};
    EXPECT_EQ(ui::place_beside({500, 40, 1360, 900}, 340, 180, work).x, 500 - 340 - 12);
    EXPECT_EQ(ui::place_beside({100, 40, 1360, 900}, 760, 540, work).x, 8);
    // A work area that does not start at 0 (a second monitor, a panel on the left).
    EXPECT_EQ(ui::place_beside({1990, 40, 1360, 900}, 760, 540, ui::Rect{1920, 0, 1920, 1080}).x, 1928);
}

TEST(WindowPlacement, MovedUpToEndAtTheBottomButNeverAboveTheTop)
{
    const ui::Rect work{0, 30, 1920, 1050};
    EXPECT_EQ(ui::place_beside({0, 800, 1000, 200}, 340, 400, work).y, 1080 - 400);
    EXPECT_EQ(ui::place_beside({0, 800, 1000, 200}, 340, 2000, work).y, 30);
    EXPECT_EQ(ui::place_beside({0, 0, 1000, 200}, 340, 100, work).y, 30);
}

} // namespace
