// SPDX-License-Identifier: GPL-3.0-or-later
// The picture window: its frame takes the shape of the picture at every
// drawing scale, with the caption and corners of the art and no empty band;
// and nothing hides under it: a carried group is drawn over it, and a group
// or a selection let go on it lies beside it on the free board.
#include <cstdlib>
#include <random>

#include "BoardFixture.h"
#include "puzzle/PictureFrame.h"
#include "resources/CMgrImage.h"

namespace board_test {
namespace {

bool Near(Colour a, Colour b, int within)
{
    return std::abs(int(RedOf(a)) - int(RedOf(b))) <= within && std::abs(int(GreenOf(a)) - int(GreenOf(b))) <= within &&
           std::abs(int(BlueOf(a)) - int(BlueOf(b))) <= within;
}

class PictureWindowTest : public BoardTest {
protected:
    void ShowWindow()
    {
        CMenu::showPicture = true;
        CutPreview.FitFrame();
        ASSERT_FALSE(CutPreview.GetFrame().surface.IsEmpty());
    }

    static PixelRect Window()
    {
        const FloatPoint at = Game.GetPreviewPos();
        const CImage& frame = CutPreview.GetFrame();
        return {int(at.x), int(at.y), int(at.x + frame.width), int(at.y + frame.height)};
    }

    // A unit of one of the group's pieces that shows, lying under the window.
    static bool ShowsUnderWindow(const CGroup& group)
    {
        const PixelRect w = Window();
        for (int m : group.members) {
            const CPiece& piece = Game.GetPiece(m);
            const int px = int(group.x + piece.x), py = int(group.y + piece.y);
            for (int y = std::max(w.top, py); y < std::min(w.bottom, py + int(piece.height)); ++y)
                for (int x = std::max(w.left, px); x < std::min(w.right, px + int(piece.width)); ++x)
                    if (piece.mask.CoversUnit(x - px, y - py)) return true;
        }
        return false;
    }

    static LayoutBox Box(const CGroup& group) { return Game.ImageBox(group); }

    static bool OnFreeBoard(const LayoutBox& box)
    {
        return box.left >= 0 && box.right <= CGame::kBoardRight && box.top >= CGame::kTopBarsBottom &&
               box.bottom <= CGame::kBoardBottom;
    }
};

// Pictures of many shapes, at each drawing scale: the frame is the picture's
// size and a rim, its corners and caption are the art's, and the dark bed
// shows only as the one-unit rim round the picture.
TEST_F(PictureWindowTest, TheFrameTakesThePicturesShapeWithNoEmptyBand)
{
    const int shapes[][2] = {{448, 448}, {448, 336}, {336, 448}, {448, 252}, {448, 140}, {140, 448}, {300, 448}};
    int checked = 0;
    for (int scale : {1, 2, 3}) {
        game.Display().SetDrawingScale(scale);
        for (const auto& shape : shapes) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << ", " << shape[0] << " x " << shape[1]);
            StartPuzzle(shape[0], shape[1], 4);
            game.RunFrames(1);
            ShowWindow();
            CImage art;
            ImageMgr.LoadImage(art, res::kPreviewFrame);
            ASSERT_EQ(art.surface.Scale(), scale);
            const CImage& frame = CutPreview.GetFrame();
            const CImage& small = CutPreview.GetSmall();
            const int pictureWidth = int(small.width), pictureHeight = int(small.height);
            ASSERT_EQ(frame.width, pictureWidth + 2 * PictureFrame::kSide);
            ASSERT_EQ(frame.height, pictureHeight + PictureFrame::kTop + PictureFrame::kBottom);
            ASSERT_EQ(frame.surface.Scale(), scale);

            // The corners, as the art has them.
            const Surface& a = art.surface;
            const Surface& f = frame.surface;
            const int corner = 7 * scale;
            for (int y = 0; y < corner; ++y)
                for (int x = 0; x < corner; ++x) {
                    ASSERT_EQ(f.GetPixel(x, y), a.GetPixel(x, y));
                    ASSERT_EQ(f.GetPixel(f.Width() - 1 - x, y), a.GetPixel(a.Width() - 1 - x, y));
                    ASSERT_EQ(f.GetPixel(x, f.Height() - 1 - y), a.GetPixel(x, a.Height() - 1 - y));
                    ASSERT_EQ(f.GetPixel(f.Width() - 1 - x, f.Height() - 1 - y),
                              a.GetPixel(a.Width() - 1 - x, a.Height() - 1 - y));
                }
            // The caption in the middle of the title strip, as the art has it
            // (to the pixel, or one over where the art loses an odd count).
            const int shift = (a.Width() - f.Width()) / 2, reach = 20 * scale;
            auto captionMatches = [&](int offset) {
                for (int y = 0; y < PictureFrame::kTop * scale; ++y)
                    for (int x = f.Width() / 2 - reach; x < f.Width() / 2 + reach; ++x)
                        if (f.GetPixel(x, y) != a.GetPixel(x + offset, y)) return false;
                return true;
            };
            EXPECT_TRUE(captionMatches(shift) || captionMatches(shift + 1)) << "the caption is not the art's";

            // On the board: no bed beyond a unit round the picture.
            game.RunFrames(2);
            const Colour bed = a.GetPixel(a.Width() / 2, a.Height() / 2);
            const PixelRect w = Window();
            const int left = w.left + PictureFrame::kSide - 1, top = w.top + PictureFrame::kTop - 1;
            const int right = left + pictureWidth + 2, bottom = top + pictureHeight + 2;
            int band = 0;
            for (int y = w.top * scale; y < w.bottom * scale; ++y)
                for (int x = w.left * scale; x < w.right * scale; ++x) {
                    const bool rim = x >= left * scale && x < right * scale && y >= top * scale && y < bottom * scale;
                    if (!rim && Near(game.Frame().GetPixel(x, y), bed, 6)) ++band;
                }
            EXPECT_EQ(band, 0) << "pixels of the bed outside the picture's rim";
            // The picture itself fills the rest.
            const Colour inPicture = game.Frame().GetPixel((left + 1 + pictureWidth / 2) * scale,
                                                           (bottom - 2) * scale);
            EXPECT_FALSE(Near(inPicture, bed, 6)) << "the picture's last row";
            Game.ClearGroups();
            ++checked;
        }
    }
    EXPECT_EQ(checked, 21);
}

// Many drops of pieces onto the window, over it whole or in part: each ends
// with nothing of it under the window, on the free board, right beside the
// window; a drop clear of the window stays where it was let go.
TEST_F(PictureWindowTest, AGroupLetGoOnTheWindowLiesBesideIt)
{
    StartPuzzle(448, 336, 7, CCutPreview::kSmoothMedium);
    ShowWindow();
    Game.SetPreviewPos(200, 120);
    game.RunFrames(1);
    const PixelRect w = Window();
    std::mt19937 random(7);
    int besides = 0, clear = 0;
    for (int drop = 0; drop < 60; ++drop) {
        const int piece = int(random() % unsigned(Game.GetPieceCount()));
        SCOPED_TRACE(testing::Message() << "drop " << drop << ", piece " << piece);
        // Every piece in a heap clear of the window, where none fits another,
        // and this one beside it, where a press takes it.
        for (int other = 0; other < Game.GetPieceCount(); ++other) PlaceImage(other, 650, 460);
        PlaceImage(piece, 20, 460);
        BringToTop(piece);
        const int x = w.left - 100 + int(random() % unsigned(w.right - w.left + 100));
        const int y = w.top - 80 + int(random() % unsigned(w.bottom - w.top + 80));
        DragPieceTo(piece, x, y);
        ASSERT_FALSE(Game.IsHoldingGroup());
        const CGroup& group = GroupOf(piece);
        EXPECT_FALSE(ShowsUnderWindow(group));
        const LayoutBox box = Box(group);
        EXPECT_TRUE(OnFreeBoard(box)) << box.left << ", " << box.top << " - " << box.right << ", " << box.bottom;
        ASSERT_EQ(group.members.size(), 1u);
        const FloatPoint at = ImagePos(piece);
        if (at.x == float(x) && at.y == float(y)) {
            ++clear;
            continue;
        }
        // Beside the window: one of its sides is a couple of units off.
        const bool beside = std::abs(box.right - (w.left - 2)) < 1 || std::abs(box.left - (w.right + 2)) < 1 ||
                            std::abs(box.bottom - (w.top - 2)) < 1 || std::abs(box.top - (w.bottom + 2)) < 1;
        EXPECT_TRUE(beside) << box.left << ", " << box.top << " - " << box.right << ", " << box.bottom;
        ++besides;
    }
    EXPECT_GT(besides, 20);
    EXPECT_GT(clear, 3);
}

// While carried over the window the piece is drawn over it, frame after
// frame, in part and whole; let go, it goes beside it.
TEST_F(PictureWindowTest, ACarriedPieceIsDrawnOverTheWindow)
{
    StartPuzzle(448, 448, 4);
    ShowWindow();
    game.RunFrames(1);
    const PixelRect w = Window();
    PlaceImage(0, 500, 300);
    BringToTop(0);
    game.RunFrames(1);
    const Point inside = InsidePixel(0);
    const Point from = OnBoard(0, inside);
    Press(from.x, from.y);
    ASSERT_TRUE(Game.IsHoldingGroup());
    const Colour own = Game.GetPiece(0).image.GetPixel(inside.x, inside.y);
    for (int step = 0; step < 8; ++step) {
        const int x = w.left + 40 + 10 * step, y = w.top + 60 + 5 * step;
        MoveTo(x, y);
        MoveTo(x, y);  // the frame draws the group where the last one left it
        EXPECT_EQ(game.Frame().GetPixel(x, y), own) << "step " << step;
    }
    Release(w.left + 110, w.top + 95);
    EXPECT_FALSE(ShowsUnderWindow(GroupOf(0)));
}

// A selection moved onto the window goes beside it as it was laid out.
TEST_F(PictureWindowTest, ASelectionLetGoOnTheWindowGoesBesideItTogether)
{
    StartPuzzle(448, 448, 4);
    ShowWindow();
    Game.SetPreviewPos(300, 200);
    game.RunFrames(1);
    for (int piece = 0; piece < Game.GetPieceCount(); ++piece) PlaceImage(piece, 600, 450);
    PlaceImage(0, 20, 40);
    PlaceImage(1, 140, 60);
    game.RunFrames(1);
    Press(10, 36);
    MoveTo(290, 190);
    Release(290, 190);
    ASSERT_TRUE(Game.HasSelection());
    ASSERT_TRUE(GroupOf(0).selected && GroupOf(1).selected);
    const FloatPoint apart{ImagePos(1).x - ImagePos(0).x, ImagePos(1).y - ImagePos(0).y};
    const Point grab = OnBoard(0, InsidePixel(0));
    Press(grab.x, grab.y);
    ASSERT_TRUE(Game.IsMovingSelection());
    MoveTo(grab.x + 330, grab.y + 200);
    Release(grab.x + 330, grab.y + 200);
    EXPECT_FALSE(ShowsUnderWindow(GroupOf(0)));
    EXPECT_FALSE(ShowsUnderWindow(GroupOf(1)));
    EXPECT_EQ(ImagePos(1).x - ImagePos(0).x, apart.x);
    EXPECT_EQ(ImagePos(1).y - ImagePos(0).y, apart.y);
}

// The window shown over groups, or put down on them after a drag, puts each
// beside it; ARRANGE lays nothing under it.
TEST_F(PictureWindowTest, TheWindowShownOrPutDownOverGroupsPutsThemBesideIt)
{
    StartPuzzle(448, 448, 5);
    CutPreview.FitFrame();
    for (int piece = 0; piece < Game.GetPieceCount(); ++piece)
        PlaceImage(piece, 40 + 25 * (piece % 10), 60 + 60 * (piece / 10));
    game.RunFrames(1);
    CMenu::showPicture = true;
    game.RunFrames(2);
    auto nothingUnder = [&] {
        for (const CGroup& group : Game.GetGroups())
            if (ShowsUnderWindow(group)) return false;
        return true;
    };
    EXPECT_TRUE(nothingUnder()) << "shown";
    for (const CGroup& group : Game.GetGroups()) EXPECT_TRUE(OnFreeBoard(Box(group)));

    // Dragged onto other pieces and put down there.
    const PixelRect w = Window();
    PlaceImage(0, 500, 300);
    game.RunFrames(1);
    Press(w.left + 50, w.top + 5);
    ASSERT_TRUE(Game.IsDraggingPreview());
    MoveTo(w.left + 50 + 300, w.top + 5 + 200);
    Release(w.left + 50 + 300, w.top + 5 + 200);
    EXPECT_FALSE(Game.IsDraggingPreview());
    EXPECT_TRUE(nothingUnder()) << "put down";

    // ARRANGE keeps clear of it.
    Game.ArrangePieces();
    game.RunFrames(1);
    EXPECT_TRUE(nothingUnder()) << "arranged";
}

}  // namespace
}  // namespace board_test
