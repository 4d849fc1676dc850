// SPDX-License-Identifier: GPL-3.0-or-later
// A carried piece or a selection frame let go over the in-game panel ends
// there and does nothing more: no button or board colour is clicked by a
// release whose press began on the board.
#include "BoardFixture.h"

#include <array>
#include <string>

#include "app/CApp.h"
#include "puzzle/GameOptions.h"

using namespace board_test;

namespace {

struct PanelPoint {
    const char* name;
    int x, y;
};

// The middle of every button and colour of the panel.
constexpr PanelPoint kPanelPoints[] = {
    {"Menu", 20, 12},    {"Save", 76, 12},    {"Load", 132, 12},  {"Border", 28, 579},  {"Picture", 148, 579},
    {"Arrange", 272, 579}, {"Back1", 682, 579}, {"Back2", 710, 579}, {"Back3", 738, 579}, {"Back4", 766, 579},
};

class ReleaseOverPanelTest : public BoardTest {
protected:
    // Everything a panel button would change.
    struct Seen {
        unsigned state;
        std::array<int, 3> colour;
        bool border, picture, banner;
        int groups;
    };
    static Seen Look()
    {
        return {App.GetState(),
                {Game.backgroundColor[0], Game.backgroundColor[1], Game.backgroundColor[2]},
                Options.borderOnly,
                Options.showPicture,
                Game.IsSavedBannerShown(),
                static_cast<int>(Game.GetGroups().size())};
    }
    static void ExpectSame(const Seen& a, const Seen& b, const char* where)
    {
        EXPECT_EQ(a.state, b.state) << where;
        EXPECT_EQ(a.colour, b.colour) << where;
        EXPECT_EQ(a.border, b.border) << where;
        EXPECT_EQ(a.picture, b.picture) << where;
        EXPECT_EQ(a.banner, b.banner) << where;
        EXPECT_EQ(a.groups, b.groups) << where;
    }
    // Where every group but the piece's own lies.
    static std::vector<FloatPoint> OthersAt(int piece)
    {
        std::vector<FloatPoint> at;
        for (const CGroup& group : Game.GetGroups())
            if (group.members.front() != piece) at.push_back({group.x, group.y});
        return at;
    }
};

TEST_F(ReleaseOverPanelTest, APieceDroppedOnAnyButtonIsOnlyDropped)
{
    game.TapKey('A');  // past the logo: the panel's pictures are loaded
    StartPuzzle(448, 448, 4);
    for (const PanelPoint& at : kPanelPoints) {
        const int piece = 5;
        PlaceImage(piece, 300, 250);
        BringToTop(piece);
        game.RunFrames(1);
        const Seen before = Look();
        const std::vector<FloatPoint> others = OthersAt(piece);
        const Point inside = InsidePixel(piece);
        const Point from = OnBoard(piece, inside);
        Press(from.x, from.y);
        ASSERT_TRUE(Game.IsHoldingGroup()) << at.name;
        MoveTo((from.x + at.x) / 2, (from.y + at.y) / 2);
        MoveTo(at.x, at.y);
        Release(at.x, at.y);
        game.RunFrames(2);
        EXPECT_FALSE(Game.IsHoldingGroup()) << at.name;
        ExpectSame(before, Look(), at.name);
        const std::vector<FloatPoint> now = OthersAt(piece);
        ASSERT_EQ(now.size(), others.size());
        for (size_t i = 0; i < now.size(); ++i) {
            EXPECT_EQ(now[i].x, others[i].x) << at.name;
            EXPECT_EQ(now[i].y, others[i].y) << at.name;
        }
    }
}

TEST_F(ReleaseOverPanelTest, ASelectionFrameEndedOnAColourOrButtonClicksNothing)
{
    game.TapKey('A');  // past the logo: the panel's pictures are loaded
    StartPuzzle(448, 448, 4);
    for (const PanelPoint& at : kPanelPoints) {
        // The board's middle is empty once every piece sits in the left column.
        for (int piece = 0; piece < Game.GetPieceCount(); ++piece) PlaceImage(piece, 40, 60 + piece * 25);
        game.RunFrames(1);
        const Seen before = Look();
        Press(500, 300);
        ASSERT_TRUE(Game.IsSelecting()) << at.name;
        MoveTo(at.x, at.y);
        Release(at.x, at.y);
        game.RunFrames(1);
        ExpectSame(before, Look(), at.name);
        // A click elsewhere lets the selection go.
        Press(500, 300);
        Release(500, 300);
    }
}

TEST_F(ReleaseOverPanelTest, AClickOnAButtonStillActsAndNeverReachesThePieceBelow)
{
    game.TapKey('A');  // past the logo: the panel's pictures are loaded
    StartPuzzle(448, 448, 4);
    const int piece = 0;
    // A piece lies under Back3; the click picks the colour, not the piece.
    PlaceImage(piece, 700, 545);
    BringToTop(piece);
    game.RunFrames(1);
    Press(738, 579);
    EXPECT_FALSE(Game.IsHoldingGroup());
    EXPECT_FALSE(Game.IsSelecting());
    // Held a while: the frames in between rest, drawing nothing new.
    game.RunFrames(20);
    Release(738, 579);
    EXPECT_EQ(Game.backgroundColor[0], CGame::kBoardColours[2][0]);
    EXPECT_EQ(Game.backgroundColor[2], CGame::kBoardColours[2][2]);
}

}  // namespace
