// SPDX-License-Identifier: GPL-3.0-or-later
// The player's own pictures on the picture page: after the fifteen game
// pictures, fifteen a page, the most recently played first, each with its
// kept thumbnail and its mark; the pages turn with Page Down and Page Up, the
// wheel and the arrows; a picture that is gone says so; a puzzle is taken
// off the list only after a question.
#include "ScreensFixture.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "app/CApp.h"
#include "platform/VirtualKeys.h"
#include "puzzle/PuzzleShelf.h"
#include "puzzle/SavedGameFile.h"
#include "screens/CMessage.h"

using namespace screens_test;
namespace fs = std::filesystem;

namespace {

Colour OwnColour(int i) { return MakeColour(20 + i % 200, 200 - i % 150, 40 + (i * 7) % 200); }

class OwnPicturesTest : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        ToMenu();
    }
    void TearDown() override
    {
        PuzzleShelf::Flush();
        while (CMenu::GetPicturePage() > 0) Menu.TurnPicturePage(-1);
        ScreensTest::TearDown();
    }

    std::string OwnPath(int i) const { return (fs::path(programFolder.Path()) / ("own " + std::to_string(i) + ".bmp")).string(); }

    // Picture i's puzzle of 4 x 4 with 2 + i % 8 pieces joined, played i
    // seconds after an hour ago; every third has no thumbnail kept.
    void KeepOwnPuzzle(int i, bool pictureThere = true)
    {
        const std::string picture = OwnPath(i);
        if (pictureThere) programFolder.Write(fs::path(picture).filename().string(), SolidBmp(OwnColour(i), 40, 30));
        SavedGame kept;
        kept.imageName = picture;
        kept.piecesX = kept.piecesY = 4;
        const int joined = 2 + i % 8;
        SavedGroup first{10, 10, {}, {}};
        for (int piece = 0; piece < joined; ++piece) first.members.push_back(piece);
        kept.groups.push_back(first);
        for (int piece = joined; piece < 16; ++piece) kept.groups.push_back(SavedGroup{piece * 20, 300, {piece}, {}});
        ASSERT_TRUE(PuzzleShelf::Put(kept));
        if (i % 3 != 0) {
            Surface picturePixels = Surface::Scaled(40, 30, 1);
            picturePixels.Fill(OwnColour(i));
            PuzzleShelf::PutThumbnail(picture, PuzzleShelf::MakeThumbnail(picturePixels));
        }
        PuzzleShelf::Flush();
        const auto played = fs::file_time_type::clock::now() - std::chrono::hours(1) + std::chrono::seconds(i);
        fs::last_write_time(game.WriteFolder() / PuzzleShelf::FileFor(picture), played);
    }

    void OpenPicturePage()
    {
        CMenu::SetPage(MENU_PICTURES);
        game.RunFrames(1);
    }

    static Point Centre(const CButton& b)
    {
        return {static_cast<int>(b.GetX() + b.GetWidth() / 2), static_cast<int>(b.GetY() + b.GetHeight() / 2)};
    }
    void ClickCentre(const CButton& b)
    {
        const Point at = Centre(b);
        game.Click(at.x, at.y);
    }
    void ClickRect(const PixelRect& r) { game.Click((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    // Over the thumbnail first: the × shows on the one under the cursor.
    void ClickRemoveBox(const CButton& b)
    {
        const Point at = Centre(b);
        game.MoveMouse(at.x, at.y);
        game.RunFrames(1);
        ClickRect(CMenu::RemoveBox(b));
        game.RunFrames(1);
    }
};

// 0, 1, 30 and 120 puzzles of the player's: one page more for every fifteen,
// newest first, each with its mark, and the game's fifteen where they were.
TEST_F(OwnPicturesTest, PagesHoldThePlayersPicturesNewestFirstWithTheirMarks)
{
    int kept = 0;
    for (const int count : {0, 1, 30, 120}) {
        SCOPED_TRACE(std::to_string(count) + " puzzles of the player's");
        for (; kept < count; ++kept) KeepOwnPuzzle(kept);
        OpenPicturePage();
        const int pages = 1 + (count + 14) / 15;
        ASSERT_EQ(Menu.PicturePageCount(), pages);
        ASSERT_EQ(CMenu::GetPicturePage(), 0);
        for (int i = 0; i < CMenu::kPictureCount; ++i) {
            const CButton& b = Menu.GetPictureButton(i);
            EXPECT_EQ(b.GetX(), CMenu::ThumbnailLeft(i, b.GetWidth()));
            EXPECT_EQ(b.GetY(), CMenu::ThumbnailTop(i, b.GetHeight()));
        }
        // Page Down through every page: the pictures in order, newest first.
        int next = count - 1;
        for (int page = 1; page < pages; ++page) {
            game.TapKey(VK_NEXT);
            ASSERT_EQ(CMenu::GetPicturePage(), page);
            for (int slot = 0; slot < CMenu::kPerPage; ++slot) {
                const PictureMarks::OwnPicture* own = Menu.OwnPictureIn(slot);
                if (next < 0) {
                    EXPECT_EQ(own, nullptr);
                    continue;
                }
                ASSERT_NE(own, nullptr) << slot;
                EXPECT_EQ(own->picture, OwnPath(next));
                EXPECT_EQ(own->mark.text, std::to_string(2 + next % 8) + "/16");
                EXPECT_FALSE(own->mark.missing);
                // Drawn from its kept thumbnail, in its mount.
                const Point centre = Centre(Menu.GetOwnButton(slot));
                const Colour shown = game.Frame().GetPixel(centre.x, centre.y - 20);
                if (next % 3 != 0) {
                    EXPECT_NEAR(RedOf(shown), RedOf(OwnColour(next)), 3) << slot;
                    EXPECT_NEAR(BlueOf(shown), BlueOf(OwnColour(next)), 3) << slot;
                }
                --next;
            }
        }
        EXPECT_EQ(next, -1) << "every picture shown once";
        game.TapKey(VK_NEXT);
        EXPECT_EQ(CMenu::GetPicturePage(), pages - 1) << "the last page stays";
        // The wheel: turned away from the player, back a page; toward, on.
        game.Queue(InputEvent::Wheel(1, 400, 300));
        game.RunFrames(1);
        EXPECT_EQ(CMenu::GetPicturePage(), std::max(0, pages - 2));
        game.Queue(InputEvent::Wheel(-3, 400, 300));
        game.RunFrames(1);
        EXPECT_EQ(CMenu::GetPicturePage(), pages - 1);
        // The arrows, and Page Up, back to the first.
        if (pages > 1) {
            game.Click((CMenu::PageArrow(false).left + CMenu::PageArrow(false).right) / 2,
                       (CMenu::PageArrow(false).top + CMenu::PageArrow(false).bottom) / 2);
            EXPECT_EQ(CMenu::GetPicturePage(), pages - 2);
        }
        for (int page = 0; page < pages; ++page) game.TapKey(VK_PRIOR);
        EXPECT_EQ(CMenu::GetPicturePage(), 0);
    }
}

// A picture that is gone still shows its puzzle, marked; choosing it names
// the file; the ×, or the right button, asks before a puzzle goes.
TEST_F(OwnPicturesTest, AMissingPictureIsToldAndPuzzlesLeaveOnlyAfterTheQuestion)
{
    KeepOwnPuzzle(1, false);  // gone
    KeepOwnPuzzle(2);         // the newest
    const std::string solved = OwnPath(7);
    programFolder.Write("own 7.bmp", SolidBmp(kBlue, 40, 30));
    game.WriteFolder().Write("records.pvd", "Solved 4 4 100.0 1 " + solved + "\n");
    OpenPicturePage();
    game.TapKey(VK_NEXT);
    ASSERT_EQ(CMenu::GetPicturePage(), 1);
    ASSERT_NE(Menu.OwnPictureIn(2), nullptr);
    EXPECT_EQ(Menu.OwnPictureIn(0)->picture, OwnPath(2));
    EXPECT_EQ(Menu.OwnPictureIn(1)->picture, OwnPath(1));
    EXPECT_TRUE(Menu.OwnPictureIn(1)->mark.missing);
    EXPECT_EQ(Menu.OwnPictureIn(2)->picture, solved);
    EXPECT_TRUE(Menu.OwnPictureIn(2)->mark.solved);
    EXPECT_EQ(Menu.OwnPictureIn(2)->mark.text, "1:40");

    ClickCentre(Menu.GetOwnButton(1));
    ASSERT_TRUE(Message.IsShowing());
    EXPECT_EQ(Message.GetText(), CMenu::MissingPictureMessage(OwnPath(1)));
    game.TapKey(VK_RETURN);
    ASSERT_FALSE(Message.IsShowing());
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);

    // Right button on the missing one: asked; CANCEL keeps it.
    const Point missingAt = Centre(Menu.GetOwnButton(1));
    game.Click(missingAt.x, missingAt.y, MouseButton::Right);
    game.RunFrames(1);
    ASSERT_TRUE(Message.IsShowing());
    EXPECT_EQ(Message.GetText(), CMenu::RemoveQuestion(Menu.OwnPictureIn(1)->mark, OwnPath(1)));
    EXPECT_NE(Message.GetText().find(OwnPath(1)), std::string::npos);
    ClickRect(Message.SecondButton());
    EXPECT_FALSE(Message.IsShowing());
    EXPECT_TRUE(game.WriteFolder().Exists(PuzzleShelf::FileFor(OwnPath(1))));

    // No × on a solved picture that is there: nothing to take off.
    ClickRemoveBox(Menu.GetOwnButton(2));
    EXPECT_FALSE(Message.IsShowing());
    EXPECT_EQ(CMenu::GetPage(), MENU_CUT) << "a click there chooses the picture";
    game.Click(352 + 10, 544 + 10);  // BACK
    ASSERT_EQ(CMenu::GetPage(), MENU_PICTURES);

    // The × on the newest: asked, then its puzzle and thumbnail go.
    game.WriteFolder().Write("game.pvs", game.WriteFolder().Read(PuzzleShelf::FileFor(OwnPath(2))));
    ClickRemoveBox(Menu.GetOwnButton(0));
    ASSERT_TRUE(Message.IsShowing());
    EXPECT_NE(Message.GetText().find("4 of 16 pieces joined"), std::string::npos) << Message.GetText();
    ClickRect(Message.OkButton());
    game.RunFrames(1);
    EXPECT_FALSE(game.WriteFolder().Exists(PuzzleShelf::FileFor(OwnPath(2))));
    EXPECT_FALSE(game.WriteFolder().Exists(PuzzleShelf::ThumbnailFor(OwnPath(2))));
    EXPECT_FALSE(game.WriteFolder().Exists("game.pvs")) << "LOAD GAME must not bring it back";
    ASSERT_NE(Menu.OwnPictureIn(0), nullptr);
    EXPECT_EQ(Menu.OwnPictureIn(0)->picture, OwnPath(1));

    // The missing one, solves and all.
    game.Click(Centre(Menu.GetOwnButton(0)).x, Centre(Menu.GetOwnButton(0)).y, MouseButton::Right);
    game.RunFrames(1);
    ClickRect(Message.OkButton());
    game.RunFrames(1);
    EXPECT_FALSE(game.WriteFolder().Exists(PuzzleShelf::FileFor(OwnPath(1))));
    ASSERT_NE(Menu.OwnPictureIn(0), nullptr);
    EXPECT_EQ(Menu.OwnPictureIn(0)->picture, solved);
    EXPECT_EQ(Menu.OwnPictureIn(1), nullptr);
}

// A game picture's puzzle in progress leaves through its × too.
TEST_F(OwnPicturesTest, AGamePicturesPuzzleLeavesThroughItsCross)
{
    SavedGame game3;
    game3.imageName = "data/images/image3.bmp";
    game3.piecesX = game3.piecesY = 4;
    game3.groups = {SavedGroup{0, 0, {0, 1}, {}}};
    for (int piece = 2; piece < 16; ++piece) game3.groups.push_back(SavedGroup{piece * 20, 300, {piece}, {}});
    ASSERT_TRUE(PuzzleShelf::Put(game3));
    OpenPicturePage();
    ASSERT_TRUE(Menu.GetMarks().Get(3).inProgress);
    ClickRemoveBox(Menu.GetPictureButton(3));
    ASSERT_TRUE(Message.IsShowing());
    ClickRect(Message.OkButton());
    game.RunFrames(1);
    EXPECT_FALSE(game.WriteFolder().Exists("puzzles/image3.pvs"));
    EXPECT_FALSE(Menu.GetMarks().Get(3).inProgress);
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES);
}

// Played, left with MENU, found on the next page and resumed with CONTINUE.
TEST_F(OwnPicturesTest, AnOwnPicturesThumbnailOpensItsCutPageWithContinue)
{
    StartSquarePuzzle();
    std::vector<CGroup>& groups = Game.TestHookGroups();
    const int a = Game.GetPiece(0).inGroup, b = Game.GetPiece(1).inGroup;
    groups[a].members.insert(groups[a].members.end(), groups[b].members.begin(), groups[b].members.end());
    groups.erase(groups.begin() + b);
    Game.SyncInGroup();
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) Game.LayOutGroup(g);
    game.RunFrames(1);
    const std::size_t groupCount = Game.GetGroups().size();
    const int pieces = Game.GetPieceCount();
    game.Click(10, 10);  // MENU
    ASSERT_EQ(App.GetState(), STATE_MENU);
    game.RunFrames(1);
    EXPECT_TRUE(game.WriteFolder().Exists(PuzzleShelf::ThumbnailFor(SquareJpeg())));

    game.Queue(InputEvent::Wheel(-1, 400, 300));
    game.RunFrames(1);
    ASSERT_EQ(CMenu::GetPicturePage(), 1);
    ASSERT_NE(Menu.OwnPictureIn(0), nullptr);
    EXPECT_EQ(Menu.OwnPictureIn(0)->picture, SquareJpeg());
    EXPECT_EQ(Menu.OwnPictureIn(0)->mark.text, "2/" + std::to_string(pieces));
    ClickCentre(Menu.GetOwnButton(0));
    ASSERT_TRUE(game.RunUntil([] { return CMenu::GetPage() == MENU_CUT; }, 200));
    EXPECT_TRUE(CMenu::ShowsKeptCut());
    game.Click(352 + 10, 512 + 10);  // CONTINUE
    ASSERT_TRUE(game.RunUntil([] { return App.GetState() == STATE_GAME; }, 200));
    EXPECT_EQ(Game.GetGroups().size(), groupCount);
}

}  // namespace
