// SPDX-License-Identifier: GPL-3.0-or-later
// The join rule as one property over every neighbouring pair of every cut:
// a group dropped exactly at its place beside a neighbour joins it, so does
// one dropped anywhere strictly inside the window around that place (a
// quarter of the neighbour offset along the join, 15 pixels across a left or
// right join, 20 across an upper or lower one), and one dropped just outside
// every window does not. The place is where the pieces lie in the picture:
// the corners of their boxes there, taken from the cut's own outlines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "BoardFixture.h"

using namespace board_test;

namespace {

constexpr float kAlongShare = 0.25f;
constexpr float kAcrossSideways = 15.0f;
constexpr float kAcrossUpDown = 20.0f;

// Top-left corner of the piece's box in the picture.
FloatPoint BoxInPicture(int piece)
{
    const CPiece& p = Game.GetPiece(piece);
    Point outline[CCutPreview::kOutlinePoints];
    CutPreview.GetCellOutline(p.column, p.row, outline);
    FloatPoint corner{static_cast<float>(outline[0].x), static_cast<float>(outline[0].y)};
    for (const Point& o : outline) {
        corner.x = std::min(corner.x, static_cast<float>(o.x));
        corner.y = std::min(corner.y, static_cast<float>(o.y));
    }
    return corner;
}

// One side on which a piece of the resting group touches a piece of the
// dropped group: the window around the dropped piece's place.
struct Window {
    int resting, dropped;  // the two pieces
    FloatPoint centre;  // where the dropped group's origin belongs
    bool sideways;      // a left or right join: along is x
    float along;        // half-widths, exclusive
    float across;
};

class JoinRuleTest : public BoardTest {
protected:
    static constexpr float kRestX = 300, kRestY = 250, kParked = 5000;

    // Every side on which a piece of group `resting` borders a piece of group
    // `dropped`, as seen from the resting piece (the candidate of the drop).
    std::vector<Window> WindowsBetween(int resting, int dropped) const
    {
        std::vector<Window> windows;
        const CGroup& r = Groups()[resting];
        for (int q : r.members) {
            const CPiece& candidate = Game.GetPiece(q);
            for (int side = 0; side < 4; ++side) {
                const int nb = candidate.neighbour[side];
                if (nb < 0 || GroupIndexOf(nb) != dropped) continue;
                const FloatPoint qAt{r.x + candidate.x, r.y + candidate.y};
                const FloatPoint inPicture{BoxInPicture(nb).x - BoxInPicture(q).x,
                                           BoxInPicture(nb).y - BoxInPicture(q).y};
                Window w;
                w.resting = q;
                w.dropped = nb;
                w.sideways = side < 2;
                w.centre = {qAt.x + inPicture.x - Game.GetPiece(nb).x, qAt.y + inPicture.y - Game.GetPiece(nb).y};
                w.along = kAlongShare * (w.sideways ? candidate.neighbourDX[side] : candidate.neighbourDY[side]);
                w.across = w.sideways ? kAcrossSideways : kAcrossUpDown;
                windows.push_back(w);
            }
        }
        return windows;
    }

    static bool Inside(const Window& w, FloatPoint origin)
    {
        const float dx = origin.x - w.centre.x, dy = origin.y - w.centre.y;
        const float along = w.sideways ? dx : dy, across = w.sideways ? dy : dx;
        return w.along > 0 && std::fabs(along) < w.along && std::fabs(across) < w.across;
    }

    // Every group far away from the place where the drops happen.
    static void ParkAll()
    {
        for (CGroup& g : Groups()) g.x = g.y = kParked;
    }

    // Drops the group of `moving` with its origin at `origin` beside the
    // group of `still`, every other group far away; answers whether the two
    // joined. Afterwards both are far away again, a join undone, so that each
    // drop sees the same board.
    bool DropsAndJoins(int still, int moving, FloatPoint origin)
    {
        PlaceImage(still, kRestX, kRestY);
        BringToTop(moving);
        CGroup& dropped = GroupOf(moving);
        dropped.x = origin.x;
        dropped.y = origin.y;
        const int restingIndex = GroupIndexOf(still);
        const CGroup resting = GroupOf(still), carried = dropped;
        const std::size_t before = Groups().size();
        Game.Drop();
        const bool joined = GroupIndexOf(still) == GroupIndexOf(moving);
        if (Groups().size() != before) {
            // The two groups were taken out, the others kept their order,
            // and the joined group went last: put the two back as they were.
            Groups().pop_back();
            Groups().insert(Groups().begin() + restingIndex, resting);
            Groups().push_back(carried);
            Game.SyncInGroup();
            Game.LayOutGroup(restingIndex);
            Game.LayOutGroup(static_cast<int>(Groups().size()) - 1);
        }
        GroupOf(still).x = GroupOf(still).y = kParked;
        GroupOf(moving).x = GroupOf(moving).y = kParked;
        return joined;
    }
};

struct Shape {
    int width, height;
};

TEST_F(JoinRuleTest, EveryPairJoinsAtItsPlaceAndInsideItsWindowAndNowhereOutside)
{
    const Shape shapes[] = {{448, 448}, {448, 320}, {320, 448}};
    int pairs = 0, failures = 0;
    for (const Shape& shape : shapes) {
        for (bool border : {false, true}) {
            for (float style : puzzle_test::kAllStyles) {
                for (int n = 4; n <= 13; ++n) {
                    if (std::min(shape.width, shape.height) / 33 < n) break;
                    puzzle_test::BuildCut(shape.width, shape.height, n, style, border);
                    Game.StartGame();
                    ParkAll();
                    for (int a = 0; a < Game.GetPieceCount(); ++a) {
                        for (int side : {1, 3}) {  // right and lower neighbours: every pair once
                            const int b = Game.GetPiece(a).neighbour[side];
                            if (b < 0 || GroupIndexOf(a) == GroupIndexOf(b)) continue;
                            // Each of the two may be the one dropped.
                            for (const auto& [still, moving] : {std::pair{a, b}, std::pair{b, a}}) {
                                PlaceImage(still, kRestX, kRestY);
                                const std::vector<Window> windows =
                                    WindowsBetween(GroupIndexOf(still), GroupIndexOf(moving));
                                ASSERT_FALSE(windows.empty());
                                // The window of this pair, and the other sides the two
                                // groups share (a ring touches a corner piece twice).
                                const Window* own = nullptr;
                                for (const Window& w : windows)
                                    if (w.resting == still && w.dropped == moving) own = &w;
                                ASSERT_NE(own, nullptr);
                                const Window w = *own;
                                const float alongIn = std::ceil(w.along) - 1, alongOut = std::ceil(w.along);
                                const float acrossIn = w.across - 1, acrossOut = w.across;
                                // The exact place, the window's four inner corners (the
                                // rule is a rectangle), the first offsets outside.
                                std::vector<FloatPoint> offsets{{0, 0}, {-alongOut, 0}, {alongOut, 0},
                                                                {0, -acrossOut}, {0, acrossOut}};
                                for (float u : {-alongIn, alongIn})
                                    for (float v : {-acrossIn, acrossIn}) offsets.push_back({u, v});
                                ++pairs;
                                bool pairFails = false;
                                for (const FloatPoint& o : offsets) {
                                    const FloatPoint d = w.sideways ? o : FloatPoint{o.y, o.x};
                                    const FloatPoint origin{w.centre.x + d.x, w.centre.y + d.y};
                                    const bool expected = std::any_of(windows.begin(), windows.end(),
                                                                      [&](const Window& x) { return Inside(x, origin); });
                                    const bool joined = DropsAndJoins(still, moving, origin);
                                    if (joined == expected) continue;
                                    pairFails = true;
                                    ADD_FAILURE() << shape.width << "x" << shape.height << " " << n << "x" << n
                                                  << " style " << style << (border ? " border" : "") << ": pieces "
                                                  << still << " (resting) and " << moving << " dropped "
                                                  << d.x << ", " << d.y << " from the place "
                                                  << (expected ? "do not join" : "join");
                                }
                                if (pairFails) ++failures;
                            }
                        }
                    }
                    Game.ClearGroups();
                    Game.FreePieces();
                    CMenu::SetBorder(false);
                }
            }
        }
    }
    EXPECT_EQ(failures, 0) << "of " << pairs << " pairs";
}

// Drops by the real mouse, one for each kind of pair that used to stay apart
// at its exact place: an upper and lower pair, a left and right pair, and an
// inner piece against the pre-joined frame of a Border cut.
struct Drag {
    int pieces;
    bool border;
    int resting, moving;
};

TEST_F(JoinRuleTest, ADragToTheExactPlaceJoinsOnEveryKindOfPair)
{
    const Drag drags[] = {{4, false, 3, 7}, {5, false, 5, 6}, {7, true, 9, 16}};
    for (const Drag& drag : drags) {
        SCOPED_TRACE(testing::Message() << drag.pieces << "x" << drag.pieces << (drag.border ? " border" : ""));
        puzzle_test::BuildCut(448, 448, drag.pieces, CCutPreview::kSmoothEasy, drag.border);
        Game.StartGame();
        App.SetState(STATE_GAME);
        for (CGroup& g : Groups()) {
            g.x = 650;
            g.y = 420;
        }
        // The frame lies wholly on the board; a single piece near the middle.
        CGroup& resting = GroupOf(drag.resting);
        if (resting.members.size() > 1) {
            resting.x = 20;
            resting.y = 50;
        } else {
            PlaceImage(drag.resting, 150, 150);
        }
        PlaceImage(drag.moving, 650, 100);
        BringToTop(drag.moving);
        game.RunFrames(1);
        const FloatPoint rest = ImagePos(drag.resting);
        const FloatPoint place{rest.x + BoxInPicture(drag.moving).x - BoxInPicture(drag.resting).x,
                               rest.y + BoxInPicture(drag.moving).y - BoxInPicture(drag.resting).y};
        DragPieceTo(drag.moving, static_cast<int>(place.x), static_cast<int>(place.y));
        EXPECT_EQ(GroupIndexOf(drag.resting), GroupIndexOf(drag.moving));
        EXPECT_EQ(ImagePos(drag.moving).x, place.x);
        EXPECT_EQ(ImagePos(drag.moving).y, place.y);
        Game.ClearGroups();
        Game.FreePieces();
        CMenu::SetBorder(false);
    }
}

}  // namespace
