// SPDX-License-Identifier: GPL-3.0-or-later
// The table's view over many tables, zooms and pans: screen and table
// points map back to themselves, zooming keeps the point under the cursor,
// the screen never leaves the table, and the table of today's board is the
// board itself at the start.
#include <gtest/gtest.h>

#include <random>

#include "puzzle/TableView.h"

namespace {

struct Table {
    float width, height, pieceHeight;
};
// Today's board with its smallest and largest pieces, and larger tables.
constexpr Table kTables[] = {{800, 600, 34}, {800, 600, 112}, {800, 600, 20}, {2400, 1800, 30}, {1600, 2000, 12}};

void ExpectOnTable(const TableView& view)
{
    const float right = std::max(0.0f, view.TableWidth() - TableView::kScreenWidth / view.Zoom());
    const float bottom = std::max(0.0f, view.TableHeight() - TableView::kScreenHeight / view.Zoom());
    EXPECT_GE(view.Origin().x, 0.0f);
    EXPECT_GE(view.Origin().y, 0.0f);
    EXPECT_LE(view.Origin().x, right + 1e-3f);
    EXPECT_LE(view.Origin().y, bottom + 1e-3f);
}

TEST(TableViewTest, TodaysBoardIsTheTableAtTheStart)
{
    TableView view;
    view.SetTable(800, 600, 34);
    EXPECT_TRUE(view.IsWhole());
    EXPECT_EQ(view.Zoom(), 1.0f);
    for (float x : {0.0f, 0.5f, 399.0f, 799.75f}) {
        const TablePoint s = view.ToScreen({x, x / 2});
        EXPECT_EQ(s.x, x);
        EXPECT_EQ(s.y, x / 2);
    }
    // Panning the whole board shows nothing more.
    EXPECT_FALSE(view.Pan(50, -50));
    EXPECT_TRUE(view.IsWhole());
}

TEST(TableViewTest, StepsReachFromTheWholeTableToACloseUpOfAnEighth)
{
    for (const Table& t : kTables) {
        TableView view;
        view.SetTable(t.width, t.height, t.pieceHeight);
        SCOPED_TRACE(testing::Message() << t.width << " x " << t.height << ", pieces " << t.pieceHeight);
        // Step 0 shows all of the table and no more than the screen holds.
        EXPECT_LE(t.width * view.Zoom(), TableView::kScreenWidth + 1e-3f);
        EXPECT_LE(t.height * view.Zoom(), TableView::kScreenHeight + 1e-3f);
        EXPECT_TRUE(std::fabs(t.width * view.Zoom() - 800) < 1e-3f || std::fabs(t.height * view.Zoom() - 600) < 1e-3f);
        view.ZoomAt({400, 300}, 1000);
        const float onScreen = t.pieceHeight * view.Zoom() / TableView::kScreenHeight;
        if (view.LastStep() > 0) {
            // Within half a step of an eighth.
            EXPECT_NEAR(std::log(onScreen * 8) / std::log(TableView::kStepFactor), 0.0, 0.5 + 1e-3);
        } else {
            EXPECT_GE(onScreen, 1.0f / 8 / std::pow(TableView::kStepFactor, 0.5));
        }
        view.ZoomAt({400, 300}, -1000);
        EXPECT_EQ(view.Step(), 0);
    }
}

// A point maps back to itself, whichever way round, at every step and pan.
TEST(TableViewTest, ScreenAndTablePointsMapBackToThemselves)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (const Table& t : kTables) {
        TableView view;
        view.SetTable(t.width, t.height, t.pieceHeight);
        for (int step = 0; step <= view.LastStep(); ++step) {
            for (int i = 0; i < 50; ++i) {
                view.Set(step, {unit(random) * t.width, unit(random) * t.height});
                ExpectOnTable(view);
                const TablePoint screen{unit(random) * 800, unit(random) * 600};
                const TablePoint back = view.ToScreen(view.ToTable(screen));
                EXPECT_NEAR(back.x, screen.x, 1e-3f);
                EXPECT_NEAR(back.y, screen.y, 1e-3f);
                const TablePoint table{unit(random) * t.width, unit(random) * t.height};
                const TablePoint again = view.ToTable(view.ToScreen(table));
                EXPECT_NEAR(again.x, table.x, 1e-3f);
                EXPECT_NEAR(again.y, table.y, 1e-3f);
                // A table box covers at least the screen units its corners reach.
                const PixelRect box = view.ToScreen(table.x, table.y, table.x + 10, table.y + 10);
                const TablePoint corner = view.ToScreen(table);
                EXPECT_LE(box.left, corner.x);
                EXPECT_GE(box.right, corner.x + 10 * view.Zoom() - 1e-3f);
            }
        }
    }
}

// The wheel's point keeps its table point, unless the table's edge holds
// the view; the screen never shows beyond the table.
TEST(TableViewTest, ZoomingKeepsThePointUnderTheCursorOnTheTable)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> steps(-3, 3);
    for (const Table& t : kTables) {
        TableView view;
        view.SetTable(t.width, t.height, t.pieceHeight);
        for (int i = 0; i < 300; ++i) {
            const TablePoint cursor{unit(random) * 800, unit(random) * 600};
            const TablePoint before = view.ToTable(cursor);
            const int stepBefore = view.Step();
            const bool changed = view.ZoomAt(cursor, steps(random));
            ExpectOnTable(view);
            EXPECT_EQ(changed, view.Step() != stepBefore);
            const TablePoint after = view.ToTable(cursor);
            const float right = t.width - 800 / view.Zoom(), bottom = t.height - 600 / view.Zoom();
            const bool heldX = view.Origin().x <= 0 || view.Origin().x >= right - 1e-3f;
            const bool heldY = view.Origin().y <= 0 || view.Origin().y >= bottom - 1e-3f;
            if (!heldX) {
                EXPECT_NEAR(after.x, before.x, 1e-2f);
            }
            if (!heldY) {
                EXPECT_NEAR(after.y, before.y, 1e-2f);
            }
            view.Pan((unit(random) - 0.5f) * 400, (unit(random) - 0.5f) * 400);
            ExpectOnTable(view);
        }
        view.ShowWhole();
        EXPECT_EQ(view.Step(), 0);
        EXPECT_EQ(view.Origin().x, 0.0f);
    }
}

}  // namespace
