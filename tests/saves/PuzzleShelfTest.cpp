// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf of puzzles in progress: one per picture, kept when another
// picture is played, LOAD GAME resuming the newest (a player's picture
// opened on a thread of its own), none dropped however many, the thumbnails
// of the player's pictures, and a damaged puzzle or a vanished picture each
// told apart.
#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "SavedGameFixture.h"
#include "platform/BmpWriter.h"
#include "platform/VirtualKeys.h"
#include "puzzle/PuzzleShelf.h"
#include "puzzle/SavedGameFile.h"
#include "screens/CPictureOpening.h"

using namespace saves_test;
namespace fs = std::filesystem;

namespace {

const std::string kOther = "pics/other.bmp";

struct GroupPlace {
    int x;
    int y;
    std::vector<int> members;
    bool operator==(const GroupPlace&) const = default;
};

std::vector<GroupPlace> Places()
{
    std::vector<GroupPlace> places;
    for (const CGroup& group : Game.GetGroups())
        places.push_back({static_cast<int>(group.x), static_cast<int>(group.y), group.members});
    return places;
}

// Pieces 0 and 1 joined, the group moved to (300, 200): a puzzle someone played.
void PlayABit()
{
    std::vector<CGroup>& groups = Game.TestHookGroups();
    int second = -1;
    for (int g = 1; g < static_cast<int>(groups.size()); ++g)
        if (groups[g].members == std::vector<int>{1}) second = g;
    ASSERT_GE(second, 0);
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        if (groups[g].members == std::vector<int>{0}) {
            groups[g].members.push_back(1);
            groups[g].x = 300.6f;
            groups[g].y = 200.2f;
        }
    }
    groups.erase(groups.begin() + second);
    Game.SyncInGroup();
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) Game.LayOutGroup(g);
}

class PuzzleShelfTest : public SavedGameTest {
protected:
    void SetUp() override
    {
        SavedGameTest::SetUp();
        program.Write(kOther, PictureFile(448, 336));
    }

    fs::path InWrite(const std::string& name) const { return fs::path(write.Path()) / name; }

    // The file's time set by hand: seconds after an hour ago.
    void SetPlayed(const std::string& name, int seconds) const
    {
        fs::last_write_time(InWrite(name), fs::file_time_type::clock::now() - std::chrono::hours(1) +
                                               std::chrono::seconds(seconds));
    }
};

TEST_F(PuzzleShelfTest, LeavingAPuzzleForAnotherPictureKeepsItsGroupsAndClock)
{
    StartPuzzle(kPicture, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    Game.SetPlayTime(277.4f);
    const std::vector<GroupPlace> placesA = Places();
    ASSERT_EQ(Game.AutoSave(), CGame::SaveResult::Saved);  // MENU

    StartPuzzle(kOther, 5, CCutPreview::kSmoothHard, false);
    Game.SetPlayTime(12);
    PlayABit();
    ASSERT_EQ(Game.AutoSave(), CGame::SaveResult::Saved);
    EXPECT_NE(SavedText().find("ImageName " + kOther), std::string::npos) << "game.pvs holds the last left";
    EXPECT_TRUE(write.Exists(PuzzleShelf::FileFor(kPicture)));
    EXPECT_TRUE(write.Exists(PuzzleShelf::FileFor(kOther)));

    ASSERT_EQ(Game.LoadGame(PuzzleShelf::FileFor(kPicture).c_str()), CGame::LoadResult::Loaded);
    EXPECT_STREQ(Game.GetImageName(), kPicture.c_str());
    EXPECT_EQ(Places(), placesA);
    EXPECT_NEAR(Game.GetPlayTime(), 277.4f, 0.05f);
    EXPECT_EQ(Game.GetPiecesX(), 4);
}

TEST_F(PuzzleShelfTest, LoadGameResumesTheNewestOfTheSavedGameAndTheShelf)
{
    StartPuzzle(kPicture, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    Game.AutoSave();
    StartPuzzle(kOther, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    Game.KeepOnShelf();  // saved while playing; game.pvs still holds the first
    SetPlayed("game.pvs", 10);
    SetPlayed(PuzzleShelf::FileFor(kPicture), 10);
    SetPlayed(PuzzleShelf::FileFor(kOther), 20);

    ASSERT_EQ(Game.LoadNewest(), CGame::LoadResult::Loaded);
    EXPECT_STREQ(Game.GetImageName(), kOther.c_str());
    EXPECT_EQ(PuzzleShelf::NewestFirst().front(), PuzzleShelf::FileFor(kOther)) << "played now";

    SetPlayed(PuzzleShelf::FileFor(kOther), 20);
    SetPlayed("game.pvs", 30);
    ASSERT_EQ(Game.LoadNewest(), CGame::LoadResult::Loaded);
    EXPECT_STREQ(Game.GetImageName(), kPicture.c_str());
    // The in-game LOAD still means game.pvs.
    SetPlayed("game.pvs", 5);
    ASSERT_EQ(Game.LoadGame(), CGame::LoadResult::Loaded);
    EXPECT_STREQ(Game.GetImageName(), kPicture.c_str());
}

TEST_F(PuzzleShelfTest, ADamagedPuzzleIsSkippedWithALogLine)
{
    StartPuzzle(kPicture, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    Game.AutoSave();
    write.Write("puzzles/own-00000000000000aa.pvs", "NumberOfGroups 3 Group 7 1 1");
    SetPlayed("game.pvs", 1);
    SetPlayed(PuzzleShelf::FileFor(kPicture), 1);
    SetPlayed("puzzles/own-00000000000000aa.pvs", 50);

    ASSERT_EQ(Game.LoadNewest(), CGame::LoadResult::Loaded);
    EXPECT_STREQ(Game.GetImageName(), kPicture.c_str());
    EXPECT_NE(LogText().find("own-00000000000000aa.pvs is damaged"), std::string::npos) << LogText();

    // Nothing that loads: the newest's trouble is told.
    fs::remove(InWrite("game.pvs"));
    fs::remove(InWrite(PuzzleShelf::FileFor(kPicture)));
    EXPECT_EQ(Game.LoadNewest(), CGame::LoadResult::Damaged);
    fs::remove(InWrite("puzzles/own-00000000000000aa.pvs"));
    EXPECT_EQ(Game.LoadNewest(), CGame::LoadResult::Missing);
}

TEST_F(PuzzleShelfTest, NoPuzzleIsDroppedHoweverManyAreKept)
{
    SavedGame game;
    game.piecesX = game.piecesY = 4;
    std::vector<std::string> files;
    for (int i = 0; i < 60; ++i) {
        game.imageName = "/pictures/p" + std::to_string(i) + ".jpg";
        ASSERT_TRUE(PuzzleShelf::Put(game));
        files.push_back(PuzzleShelf::FileFor(game.imageName));
        SetPlayed(files.back(), i);
    }
    // And one more from play, the least recently played being an hour old.
    StartPuzzle(kPicture, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    ASSERT_EQ(Game.AutoSave(), CGame::SaveResult::Saved);
    files.push_back(PuzzleShelf::FileFor(kPicture));
    EXPECT_EQ(PuzzleShelf::NewestFirst().size(), files.size());
    for (const std::string& file : files) EXPECT_TRUE(write.Exists(file)) << file;
    EXPECT_EQ(LogText().find("dropped"), std::string::npos) << LogText();
}

// A player's picture gets its thumbnail beside its puzzle once, the first
// time the puzzle is kept; it is not made again, stays when the puzzle is
// solved, and a game picture gets none.
TEST_F(PuzzleShelfTest, AThumbnailIsKeptOnceBesideAPlayersPuzzle)
{
    const std::string own = (fs::path(program.Path()) / "holiday.bmp").string();
    program.Write("holiday.bmp", PictureFile(448, 336));
    StartPuzzle(own, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    Game.KeepOnShelf();
    PuzzleShelf::Flush();
    const std::string thumbnail = PuzzleShelf::ThumbnailFor(own);
    EXPECT_EQ(thumbnail, PuzzleShelf::ThumbnailBeside(PuzzleShelf::FileFor(own)));
    ASSERT_TRUE(write.Exists(thumbnail));
    Surface read;
    ASSERT_TRUE(PuzzleShelf::ReadThumbnail(thumbnail, read));
    EXPECT_EQ(read.UnitWidth(), 128);
    EXPECT_EQ(read.UnitHeight(), 96);
    // Its colours are the picture's, reduced: the top-left corner's.
    EXPECT_NEAR(RedOf(read.GetPixel(0, 0)), RedOf(PictureColour(1, 1)), 8);

    // Kept again later, even after the file changed, the thumbnail is not remade.
    write.Write(thumbnail, "not a picture");
    Game.TestHookGroups()[0].x += 40;
    Game.KeepOnShelf();
    PuzzleShelf::Flush();
    EXPECT_EQ(write.Read(thumbnail), "not a picture");
    EXPECT_FALSE(PuzzleShelf::ReadThumbnail(thumbnail, read));
    EXPECT_NE(LogText().find("is damaged"), std::string::npos);

    StartPuzzle(kPicture, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    Game.KeepOnShelf();
    PuzzleShelf::Flush();
    EXPECT_FALSE(write.Exists(PuzzleShelf::ThumbnailFor(kPicture))) << "the game's pictures have their own";
}

// Whatever the picture's shape and the drawing scale, the thumbnail fits the
// page's box, keeps its scale through the file, and reads back as written;
// cut short or of another size, a file is refused with a reason.
TEST_F(PuzzleShelfTest, ThumbnailsRoundTripAndDamagedOnesAreRefused)
{
    for (int scale = 1; scale <= 3; ++scale) {
        for (const auto& [width, height] : std::vector<std::pair<int, int>>{
                 {448, 448}, {448, 336}, {200, 448}, {448, 40}, {33, 448}, {447, 301}}) {
            SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) + " at " + std::to_string(scale));
            Surface picture = Surface::Scaled(width, height, scale);
            for (int y = 0; y < picture.Height(); ++y)
                for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, PictureColour(x, y));
            const Surface thumbnail = PuzzleShelf::MakeThumbnail(picture);
            ASSERT_EQ(thumbnail.Scale(), scale);
            EXPECT_EQ(std::max(thumbnail.UnitWidth(), thumbnail.UnitHeight()), PuzzleShelf::kThumbnailBox);
            EXPECT_NEAR(thumbnail.UnitWidth() * height, thumbnail.UnitHeight() * width, std::max(width, height));
            const std::vector<unsigned char> bytes = BmpWriter::Encode(thumbnail);
            Surface read;
            std::string reason;
            ASSERT_TRUE(PuzzleShelf::DecodeThumbnail(bytes.data(), bytes.size(), read, &reason)) << reason;
            EXPECT_EQ(read.Scale(), scale);
            EXPECT_EQ(read.Width(), thumbnail.Width());
            EXPECT_EQ(read.Height(), thumbnail.Height());
            EXPECT_EQ(read.GetPixel(read.Width() / 2, read.Height() / 2),
                      thumbnail.GetPixel(thumbnail.Width() / 2, thumbnail.Height() / 2));
            for (std::size_t cut : {std::size_t{0}, std::size_t{10}, bytes.size() / 2, bytes.size() - 1}) {
                reason.clear();
                EXPECT_FALSE(PuzzleShelf::DecodeThumbnail(bytes.data(), cut, read, &reason)) << cut;
                EXPECT_FALSE(reason.empty());
            }
        }
    }
    for (const auto& [width, height] : std::vector<std::pair<int, int>>{{127, 96}, {512, 512}, {256, 255}, {100, 100}}) {
        Surface odd(width, height);
        const std::vector<unsigned char> bytes = BmpWriter::Encode(odd);
        Surface read;
        std::string reason;
        EXPECT_FALSE(PuzzleShelf::DecodeThumbnail(bytes.data(), bytes.size(), read, &reason)) << width << " x " << height;
        EXPECT_FALSE(reason.empty());
    }
}

// The panel's LOAD of a save of another picture leaves the puzzle in play
// for it: that puzzle is kept first, with the move just made, and undo does
// not cross into it.
TEST_F(PuzzleShelfTest, TheInGameLoadOfAnotherPicturesSaveKeepsThePuzzleLeft)
{
    StartPuzzle(kPicture, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    ASSERT_EQ(Game.SaveGame(), CGame::SaveResult::Saved);
    StartPuzzle(kOther, 5, CCutPreview::kSmoothHard, false);
    Game.TestHookGroups()[3].x = 421;  // a move, no join
    Game.TestHookGroups()[3].y = 137;
    const std::vector<int> moved = Game.GetGroups()[3].members;

    ASSERT_EQ(Game.LoadGameInPlay(), CGame::LoadResult::Loaded);
    EXPECT_STREQ(Game.GetImageName(), kPicture.c_str());
    EXPECT_FALSE(Game.GetHistory().CanUndo());
    ASSERT_TRUE(write.Exists(PuzzleShelf::FileFor(kOther)));
    SavedGame kept;
    ASSERT_TRUE(PuzzleShelf::Peek(kOther, kept));
    bool found = false;
    for (const SavedGroup& group : kept.groups)
        found |= group.members == moved && group.x == 421 && group.y == 137;
    EXPECT_TRUE(found) << write.Read(PuzzleShelf::FileFor(kOther));

    // Back to this picture's own save: the moves since are given up, as LOAD means.
    Game.TestHookGroups()[0].x = 10;
    const std::string before = write.Read(PuzzleShelf::FileFor(kPicture));
    ASSERT_EQ(Game.LoadGameInPlay(), CGame::LoadResult::Loaded);
    EXPECT_EQ(write.Read(PuzzleShelf::FileFor(kPicture)), before);
}

TEST_F(PuzzleShelfTest, FileNamesAreSafeAndOnePerPicture)
{
    EXPECT_EQ(PuzzleShelf::FileFor("data/images/image3.bmp"), "puzzles/image3.pvs");
    EXPECT_EQ(PuzzleShelf::FileFor("data/images/image14.bmp"), "puzzles/image14.pvs");
    const std::vector<std::string> paths{"/home/me/a b.jpg", "/home/me/a_b.jpg", "/home/me/../../etc/passwd",
                                         "data/images/image3.bmp.jpg", ""};
    std::vector<std::string> names;
    for (const std::string& path : paths) {
        const std::string name = PuzzleShelf::FileFor(path);
        EXPECT_EQ(name.rfind("puzzles/", 0), 0u) << name;
        EXPECT_EQ(name.find('/', 8), std::string::npos) << name;
        EXPECT_EQ(PuzzleShelf::FileFor(path), name) << "the same every time";
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << path;
        names.push_back(name);
    }
}

TEST_F(PuzzleShelfTest, AMissingPictureAndADamagedSaveAreToldApart)
{
    LoadFile(SavedFile(0, "/nowhere/gone.jpg", "0.00", 4, 4, JoinedSquareGroups()));
    EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::PictureMissing);
    EXPECT_EQ(Game.GetMissingPicture(), "/nowhere/gone.jpg");
    const std::string message = CMenu::MissingPictureMessage(Game.GetMissingPicture());
    EXPECT_NE(message.find("could not be found"), std::string::npos);
    EXPECT_NE(message.find("/nowhere/gone.jpg"), std::string::npos);
    EXPECT_EQ(message.find("DAMAGED"), std::string::npos);

    write.Write("game.pvs", SavedFile(0, kPictureInFile, "0.00", 4, 4, {{0, 0, {0, 1}, {}}}));
    EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Damaged);
    // A game picture that fails is no missing file of the player's.
    write.Write("game.pvs", SavedFile(0, "data/images/image99.bmp", "0.00", 4, 4, JoinedSquareGroups()));
    EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Damaged);
}

}  // namespace

// LOAD GAME of a puzzle of the player's own picture decodes the picture on
// the opening's thread, and builds the board the file holds; a damaged
// picture is told as before, and Escape leaves everything as it was.
TEST_F(PuzzleShelfTest, LoadGameOfAPlayersPictureOpensItOnItsOwnThread)
{
    const std::string own = (fs::path(program.Path()) / "own picture.bmp").string();
    program.Write("own picture.bmp", PictureFile(448, 336));
    StartPuzzle(own, 4, CCutPreview::kSmoothEasy, false);
    PlayABit();
    ASSERT_EQ(Game.AutoSave(), CGame::SaveResult::Saved);
    ASSERT_EQ(Game.LoadGame(), CGame::LoadResult::Loaded);
    const std::vector<GroupPlace> places = Places();
    const auto backOnTheMenu = [] {
        Game.ClearGroups();
        Game.FreePieces();
        CutPreview.Release();
    };
    const auto takeWhenOpened = [] {
        for (int frame = 0; frame < 2000 && PictureOpening.IsBusy(); ++frame) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            CMenu::TakeOpenedPicture();
        }
        return !PictureOpening.IsBusy();
    };

    backOnTheMenu();
    CMenu::OnLoadGame();
    ASSERT_TRUE(takeWhenOpened());
    EXPECT_EQ(Game.GetImageName(), own);
    EXPECT_EQ(Places(), places);
    EXPECT_NE(LogText().find("Picture " + own + " was decoded ahead"), std::string::npos) << LogText();

    // Given up on: nothing is loaded.
    backOnTheMenu();
    Game.SetImageName("");
    setenv("PAVENDRA_TEST_DECODE_STALL", "0.3", 1);
    CMenu::OnLoadGame();
    unsetenv("PAVENDRA_TEST_DECODE_STALL");
    ASSERT_TRUE(PictureOpening.IsBusy());
    EXPECT_TRUE(PictureOpening.OnKeyDown(VK_ESCAPE));
    EXPECT_TRUE(takeWhenOpened());
    EXPECT_STREQ(Game.GetImageName(), "");
    EXPECT_TRUE(Game.GetGroups().empty());

    // A picture damaged since: the same line as when it was decoded in the frame.
    program.Write("own picture.bmp", PictureFile(448, 336).substr(0, 3000));
    CMenu::OnLoadGame();
    ASSERT_TRUE(takeWhenOpened());
    EXPECT_TRUE(Game.GetGroups().empty());
    ASSERT_NE(CMenu::GetMessage(), nullptr);
    EXPECT_STREQ(CMenu::GetMessage(), "SAVED GAME IS DAMAGED");
    for (int wait = 0; wait < 2000 && CPictureOpening::RunningThreads() > 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}
