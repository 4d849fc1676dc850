// SPDX-License-Identifier: GPL-3.0-or-later
// The saved game "game.pvs": what the writer puts in it, what the reader
// rebuilds from it, and that a file that lies is refused whole.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "SavedGameFixture.h"
#include "core/CError.h"

using namespace saves_test;

namespace {

// Every piece in exactly one group that its inGroup names; draw order 0..n-1.
void ExpectPlayable()
{
    const std::vector<CGroup>& groups = Game.GetGroups();
    ASSERT_FALSE(groups.empty());
    std::vector<int> owner(Game.GetPieceCount(), -1);
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        for (int m : groups[g].members) {
            ASSERT_TRUE(Game.IsValidPieceIndex(m));
            ASSERT_EQ(owner[m], -1) << "piece " << m << " in two groups";
            owner[m] = g;
            EXPECT_EQ(Game.GetPiece(m).inGroup, g);
        }
        EXPECT_EQ(Game.GetDrawOrder()[g], g);
    }
    EXPECT_EQ(Game.GetDrawOrder().size(), groups.size());
    for (int i = 0; i < Game.GetPieceCount(); ++i) EXPECT_NE(owner[i], -1) << "piece " << i << " in no group";
}

void ExpectEmptyPuzzle()
{
    EXPECT_EQ(Game.GetPieceCount(), 0);
    EXPECT_TRUE(Game.GetGroups().empty());
    EXPECT_TRUE(Game.GetDrawOrder().empty());
    EXPECT_FALSE(Game.IsCompleted());
}

bool SamePixels(const Surface& a, const Surface& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
        }
    }
    return true;
}

int Trunc(float value) { return static_cast<int>(value); }

// ------------------------------------------------------------------ round trips

struct Cut {
    int pieces;
    float smooth;
    bool border;
};

// Test output names the cut rather than dumping its bytes.
void PrintTo(const Cut& cut, std::ostream* out)
{
    *out << cut.pieces << "x" << cut.pieces << " style " << cut.smooth << (cut.border ? " border" : "");
}

class RoundTripTest : public SavedGameTest, public ::testing::WithParamInterface<Cut> {};

// Save and load with nothing in between: the same groups in the same order,
// members and candidates in the same order, positions truncated to whole
// pixels, and pieces cut from the unmarked picture exactly as at the start.
TEST_P(RoundTripTest, LoadingWhatWasSavedGivesTheSamePuzzle)
{
    const Cut cut = GetParam();
    StartPuzzle(kPicture, cut.pieces, cut.smooth, cut.border);
    Game.ArrangePieces();  // whole and fractional positions
    const std::vector<CGroup> before = Game.GetGroups();
    std::vector<Surface> images;
    for (int i = 0; i < Game.GetPieceCount(); ++i) images.push_back(Game.GetPiece(i).image);

    Game.SetPlayTime(219.4f);
    EXPECT_EQ(Game.SaveGame(), CGame::SaveResult::Saved);
    CMenu::SetBorder(!cut.border);  // the file decides
    Game.SetPlayTime(5);
    EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Loaded);
    EXPECT_NEAR(Game.GetPlayTime(), 219.4f, 0.01f);
    EXPECT_EQ(Game.GetClockMinutes(), 3);
    EXPECT_EQ(Game.GetClockSeconds(), 39);
    EXPECT_FALSE(Game.HasUnsavedChanges());

    EXPECT_EQ(CMenu::IsBorder(), cut.border);
    EXPECT_FLOAT_EQ(CutPreview.GetSmoothType(), cut.smooth);
    EXPECT_EQ(Game.GetPiecesX(), cut.pieces);
    EXPECT_STREQ(Game.GetImageName(), kPicture.c_str());
    ASSERT_EQ(Game.GetGroups().size(), before.size());
    for (std::size_t g = 0; g < before.size(); ++g) {
        const CGroup& loaded = Game.GetGroups()[g];
        EXPECT_EQ(loaded.members, before[g].members) << "group " << g;
        EXPECT_EQ(loaded.canJoin, before[g].canJoin) << "group " << g;
        EXPECT_EQ(loaded.x, static_cast<float>(Trunc(before[g].x))) << "group " << g;
        EXPECT_EQ(loaded.y, static_cast<float>(Trunc(before[g].y))) << "group " << g;
        EXPECT_FLOAT_EQ(loaded.width, before[g].width);
        EXPECT_FLOAT_EQ(loaded.height, before[g].height);
    }
    ExpectPlayable();
    ASSERT_EQ(Game.GetPieceCount(), static_cast<int>(images.size()));
    for (int i = 0; i < Game.GetPieceCount(); ++i) {
        EXPECT_TRUE(SamePixels(Game.GetPiece(i).image, images[i])) << "piece " << i << " differs";
        if (Game.GetGroups()[Game.GetPiece(i).inGroup].members.size() == 1) {
            EXPECT_EQ(Game.GetPiece(i).x, 0.0f);
            EXPECT_EQ(Game.GetPiece(i).y, 0.0f);
        }
    }
    const CImage& clean = CutPreview.GetClean();
    EXPECT_EQ(Game.GetSampleTarget().x, 410.0f - clean.width / 2);
    EXPECT_EQ(Game.GetSampleTarget().y, 250.0f - clean.height / 2);
    EXPECT_FALSE(Game.IsCompleted());

    // Saving again writes the same file.
    const std::string first = SavedText();
    Game.SaveGame();
    EXPECT_EQ(SavedText(), first);
}

INSTANTIATE_TEST_SUITE_P(Cuts, RoundTripTest,
                         ::testing::Values(Cut{4, CCutPreview::kSmoothEasy, false},
                                           Cut{8, CCutPreview::kSmoothMedium, false},
                                           Cut{8, CCutPreview::kSmoothHard, true},
                                           Cut{9, CCutPreview::kSmoothNone, false},
                                           Cut{4, CCutPreview::kSmoothNone, true}),
                         [](const ::testing::TestParamInfo<Cut>& info) {
                             return std::to_string(info.param.pieces) + "x" + std::to_string(info.param.pieces) +
                                    "_style" + std::to_string(info.index) + (info.param.border ? "_border" : "");
                         });

// ------------------------------------------------------------------ the file's text

TEST_F(SavedGameTest, TheWriterProducesTheFileTextExactly)
{
    LoadFile(JoinedSquareFile());
    ASSERT_EQ(Game.GetGroups().size(), 13u);
    write.Write("game.pvs", "");
    Game.SaveGame();
    const std::string text = SavedText();
    EXPECT_EQ(text, JoinedSquareFile() + "Time 0.0\r\n") << "a file without a time starts the clock at 0";
    EXPECT_NE(text.find("Border 0\r\n\r\nImageName pics/my_picture.bmp\r\n\r\nSmoothType 0.00\r\n"), std::string::npos);
    EXPECT_NE(text.find("Group 0 120 85\r\nInGroup 0 4 0 1 4 5\r\nCanJoin 0 4 2 6 8 9\r\n\r\n"), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "every line ends with CR LF";
}

TEST_F(SavedGameTest, BorderAndEdgeStyleReadBack)
{
    LoadFile(SavedFile(1, kPictureInFile, "0.12", 4, 4, JoinedSquareGroups()));
    EXPECT_TRUE(CMenu::IsBorder());
    EXPECT_FLOAT_EQ(CutPreview.GetSmoothType(), 0.12f);
    Game.SaveGame();
    EXPECT_EQ(SavedText().rfind("Border 1\r\n\r\n", 0), 0u);
    EXPECT_NE(SavedText().find("SmoothType 0.12\r\n"), std::string::npos);

    LoadFile(SavedFile(2, kPictureInFile, "-1.00", 4, 4, JoinedSquareGroups()));
    EXPECT_FALSE(CMenu::IsBorder());
    EXPECT_FLOAT_EQ(CutPreview.GetSmoothType(), -1.0f);
    ExpectPlayable();
}

// A joined group's members meet exactly: offsets chained through the lattice
// corners from the top-left cell of the group's box.
TEST_F(SavedGameTest, JoinedGroupsAreLaidOutFromTheirCorners)
{
    LoadFile(JoinedSquareFile());
    const CGroup& square = Game.GetGroups()[0];
    EXPECT_EQ(square.x, 120.0f);
    EXPECT_EQ(square.y, 85.0f);
    EXPECT_FLOAT_EQ(square.width, 2 * CutPreview.GetCellWidth());
    const CPiece& p0 = Game.GetPiece(0);
    const CPiece& p1 = Game.GetPiece(1);
    const CPiece& p4 = Game.GetPiece(4);
    const CPiece& p5 = Game.GetPiece(5);
    EXPECT_EQ(p0.x, 0.0f);
    EXPECT_EQ(p0.y, 0.0f);
    EXPECT_EQ(p1.x, static_cast<float>(p0.cornerTR.x - p1.cornerTL.x));
    EXPECT_EQ(p1.y, static_cast<float>(p0.cornerTR.y - p1.cornerTL.y));
    EXPECT_EQ(p4.x, static_cast<float>(p0.cornerBL.x - p4.cornerTL.x));
    EXPECT_EQ(p4.y, static_cast<float>(p0.cornerBL.y - p4.cornerTL.y));
    EXPECT_EQ(p5.x, p4.x + static_cast<float>(p4.cornerTR.x - p5.cornerTL.x));
    EXPECT_EQ(p5.y, p4.y + static_cast<float>(p4.cornerTR.y - p5.cornerTL.y));
    ExpectPlayable();
}

// An L open to the top left: its origin is the top-left cell of its box,
// whose piece belongs to another group, and the offsets run through it.
TEST_F(SavedGameTest, AnLShapedGroupIsLaidOutThroughTheMissingCorner)
{
    std::vector<GroupText> groups = JoinedSquareGroups();
    groups[0] = {200, 100, {1, 4, 5}, {0, 2, 6, 8, 9}};
    groups.push_back({5, 5, {0}, {1, 4}});
    LoadFile(SavedFile(0, kPictureInFile, "0.15", 4, 4, groups));
    ASSERT_EQ(Game.GetGroups().size(), 14u);
    const CPiece& p0 = Game.GetPiece(0);
    const CPiece& p1 = Game.GetPiece(1);
    const CPiece& p4 = Game.GetPiece(4);
    EXPECT_EQ(p1.x, static_cast<float>(p0.cornerTR.x - p1.cornerTL.x));
    EXPECT_EQ(p4.y, static_cast<float>(p0.cornerBL.y - p4.cornerTL.y));
    EXPECT_EQ(p0.x, 0.0f) << "a piece of another group keeps its own offset";
    EXPECT_EQ(Game.GetPiece(0).inGroup, 13);
    ExpectPlayable();
}

// Files the writer never makes but a player may: comments, blank lines, more
// spaces, words that are no keyword, a key without a value at the very end.
TEST_F(SavedGameTest, SpacingCommentsAndStrayWordsAreTolerated)
{
    std::string text = JoinedSquareFile();
    text.replace(text.find("Group 0 120 85"), 14, "// the joined square\r\nGroup   0  120\t85 note");
    text += "Border";
    LoadFile(text);
    ASSERT_EQ(Game.GetGroups().size(), 13u);
    EXPECT_EQ(Game.GetGroups()[0].x, 120.0f);
    EXPECT_EQ(Game.GetGroups()[0].y, 85.0f);
    ExpectPlayable();
}

// The file writes spaces as "_"; the picture is found whatever mix of
// spaces and "_" its real name (and its folder's) holds.
TEST_F(SavedGameTest, APictureIsFoundWhateverMixOfSpacesAndUnderscoresItsNameHolds)
{
    for (const std::string name : {"pics/under_score.bmp", "pics/my_holiday photo.bmp", "pics/a b_c__d  e.bmp",
                                   "my pics_2/x_y z.bmp"}) {
        program.Write(name, PictureFile(448, 300));
        std::string written = name;
        std::replace(written.begin(), written.end(), ' ', '_');
        LoadFile(SavedFile(0, written, "0.00", 4, 4, JoinedSquareGroups()));
        EXPECT_EQ(Game.GetImageName(), name) << LogText();
        ExpectPlayable();
    }
}

// ------------------------------------------------------------------ no game, bad games

// LOAD with no saved game, or a damaged one, keeps the puzzle in play as it
// was: every piece where it was, the clock, the picture and the cut.
TEST_F(SavedGameTest, NoOrADamagedSavedGameKeepsEveryPieceWhereItWas)
{
    StartPuzzle(kPicture, 6, CCutPreview::kSmoothHard, false);
    Game.ArrangePieces();
    Game.SetPlayTime(75.5f);
    const std::vector<CGroup> before = Game.GetGroups();
    const std::string picture = Game.GetImageName();
    for (const char* file : {"", "Border 0 NumberOfGroups -3", "garbage", "pictures/gone.jpg"}) {
        if (*file == 0) {
            EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Missing);
        } else if (std::string(file) == "pictures/gone.jpg") {
            write.Write("game.pvs", SavedFile(0, file, "0.00", 4, 4, JoinedSquareGroups()));
            EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Damaged);
        } else {
            write.Write("game.pvs", std::string(file) + " NumberOfPiecesX 99");
            EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Damaged) << file;
        }
        ASSERT_EQ(Game.GetGroups().size(), before.size());
        for (std::size_t g = 0; g < before.size(); ++g) {
            EXPECT_EQ(Game.GetGroups()[g].x, before[g].x);
            EXPECT_EQ(Game.GetGroups()[g].y, before[g].y);
            EXPECT_EQ(Game.GetGroups()[g].members, before[g].members);
        }
        EXPECT_EQ(Game.GetPlayTime(), 75.5f);
        EXPECT_EQ(Game.GetImageName(), picture);
        EXPECT_EQ(CutPreview.GetSmoothType(), CCutPreview::kSmoothHard);
        ExpectPlayable();
    }
    // A cut finer than its picture takes is found out only while building:
    // the puzzle in play comes back all the same.
    program.Write("pics/wide.bmp", PictureFile(448, 200));
    std::vector<GroupText> groups;
    for (int piece = 0; piece < 49; ++piece) groups.push_back({piece, piece, {piece}, {}});
    write.Write("game.pvs", SavedFile(1, "pics/wide.bmp", "0.00", 7, 7, groups));
    EXPECT_EQ(Game.LoadGame(), CGame::LoadResult::Damaged);
    EXPECT_EQ(Game.GetGroups().size(), before.size());
    EXPECT_EQ(Game.GetImageName(), picture);
    EXPECT_FALSE(CMenu::IsBorder());
    ExpectPlayable();
    EXPECT_NE(LogText().find("No saved game game.pvs to load"), std::string::npos) << LogText();
    EXPECT_NE(LogText().find("more than its picture takes"), std::string::npos) << LogText();
}

TEST_F(SavedGameTest, AMissingPictureIsReportedAndLeavesAnEmptyPuzzle)
{
    LoadFile(SavedFile(0, "pics/gone.jpg", "0.00", 4, 4, JoinedSquareGroups()));
    ExpectEmptyPuzzle();
    EXPECT_NE(LogText().find("CGame: picture pics/gone.jpg of game.pvs can't be loaded, game not loaded"),
              std::string::npos)
        << LogText();

    program.Write("pics/broken.bmp", "BM not really a bitmap");
    LoadFile(SavedFile(0, "pics/broken.bmp", "0.00", 4, 4, JoinedSquareGroups()));
    ExpectEmptyPuzzle();
}

// Names that are no picture file: a folder, a device that never ends.
TEST_F(SavedGameTest, ANameThatIsNoPlainFileIsRefusedWithoutReadingIt)
{
    program.Write("pics/folder.bmp/inside", "x");
    LoadFile(SavedFile(0, "pics/folder.bmp", "0.00", 4, 4, JoinedSquareGroups()));
    ExpectEmptyPuzzle();
    LoadFile(SavedFile(0, "/dev/zero", "0.00", 4, 4, JoinedSquareGroups()));
    ExpectEmptyPuzzle();
    EXPECT_NE(LogText().find("picture /dev/zero of game.pvs can't be loaded"), std::string::npos) << LogText();
}

TEST_F(SavedGameTest, SavingWithNoPuzzleLeavesTheSavedGameAlone)
{
    write.Write("game.pvs", JoinedSquareFile());
    Game.LoadGame();
    Game.ClearGroups();
    Game.FreePieces();
    EXPECT_EQ(Game.SaveGame(), CGame::SaveResult::NothingToSave) << "nothing was saved, and the caller is told so";
    EXPECT_EQ(SavedText(), JoinedSquareFile());
}

// A save that hits a write error (here a file-size limit: EFBIG) says so
// where "GAME SAVED!" shows, logs why, keeps the old file and the game.
TEST_F(SavedGameTest, ASaveThatFailsSaysSoAndKeepsTheOldFile)
{
    StartPuzzle(kPicture, 8, CCutPreview::kSmoothEasy, false);
    CMenu::OnSave();
    EXPECT_STREQ(Game.GetBannerText(), "GAME SAVED!");
    const std::string old = SavedText();
    ASSERT_GT(old.size(), 1000u);
    Game.TestHookGroups()[0].x += 50;

    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    Log.Restart();  // a log short enough for the limit
    CMenu::OnSave();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_TRUE(Game.IsSavedBannerShown());
    EXPECT_STREQ(Game.GetBannerText(), "SAVE FAILED!");
    EXPECT_EQ(SavedText(), old);
    EXPECT_FALSE(write.Exists("game.pvs.new"));
    EXPECT_NE(LogText().find("CGame: Couldn't save game to game.pvs (can't write: File too large)"),
              std::string::npos)
        << LogText();
    EXPECT_TRUE(Game.HasUnsavedChanges()) << "leaving will try again";
    ExpectPlayable();

    // A folder in the file's place: refused the same way.
    std::filesystem::remove(write / "game.pvs");
    std::filesystem::create_directories(write / "game.pvs");
    EXPECT_EQ(Game.SaveGame(), CGame::SaveResult::Failed);
}

struct Lie {
    const char* what;
    std::string from;
    std::string to;
};

void PrintTo(const Lie& lie, std::ostream* out) { *out << lie.what; }

class LyingFileTest : public SavedGameTest, public ::testing::WithParamInterface<Lie> {};

// Any lie refuses the whole file: the puzzle in play stays, a line in the
// log, and a good file loads afterwards as if nothing had happened.
TEST_P(LyingFileTest, IsRefusedWhole)
{
    const Lie lie = GetParam();
    std::string text = JoinedSquareFile();
    const std::size_t at = text.find(lie.from);
    ASSERT_NE(at, std::string::npos) << lie.from;
    text.replace(at, lie.from.size(), lie.to);

    LoadFile(JoinedSquareFile());
    Game.TestHookGroups()[0].x = 333;
    LoadFile(text);
    ASSERT_EQ(Game.GetGroups().size(), 13u) << "the puzzle in play stays";
    EXPECT_EQ(Game.GetGroups()[0].x, 333.0f);
    EXPECT_EQ(Game.GetPiecesX(), 4);
    EXPECT_NE(LogText().find("CGame: game.pvs is damaged, not loaded"), std::string::npos) << LogText();
    EXPECT_FALSE(CMenu::IsBorder());

    LoadFile(JoinedSquareFile());
    ExpectPlayable();
}

// Longer than any path the system takes.
const std::string kLongName(kMaxPath + 10, 'a');

INSTANTIATE_TEST_SUITE_P(
    Lies, LyingFileTest,
    ::testing::Values(
        Lie{"group_never_counted", "NumberOfGroups 13", "NumberOfGroups 12"},
        Lie{"group_without_members", "NumberOfGroups 13", "NumberOfGroups 14"},
        Lie{"group_before_count", "Border 0", "Border 1 Group 0 1 1"},
        Lie{"negative_group", "InGroup 3 1", "InGroup -1 1"},
        Lie{"member_beyond_pieces", "InGroup 0 4 0 1 4 5", "InGroup 0 4 0 1 4 16"},
        Lie{"negative_member", "InGroup 0 4 0 1 4 5", "InGroup 0 4 0 1 4 -5"},
        Lie{"candidate_beyond_pieces", "CanJoin 0 4 2 6 8 9", "CanJoin 0 4 2 6 8 99"},
        Lie{"negative_candidate", "CanJoin 0 4 2 6 8 9", "CanJoin 0 4 2 6 8 -1"},
        Lie{"piece_in_two_groups", "InGroup 0 4 0 1 4 5", "InGroup 0 5 0 1 4 5 2"},
        Lie{"piece_in_no_group", "InGroup 0 4 0 1 4 5", "InGroup 0 3 0 1 4"},
        Lie{"empty_member_list", "InGroup 0 4 0 1 4 5", "InGroup 0 0"},
        Lie{"negative_count", "InGroup 0 4 0 1 4 5", "InGroup 0 -4 0 1 4 5"},
        Lie{"count_beyond_the_file", "CanJoin 0 4 2 6 8 9", "CanJoin 0 100000 2 6 8 9"},
        Lie{"list_cut_short", "CanJoin 12 2 14 11\r\n\r\n", "CanJoin 12 2 14"},
        Lie{"huge_group_count", "NumberOfGroups 13", "NumberOfGroups 2000000000"},
        Lie{"negative_group_count", "NumberOfGroups 13", "NumberOfGroups -1"},
        Lie{"no_columns", "NumberOfPiecesX 4", "NumberOfPiecesX 0"},
        Lie{"negative_columns", "NumberOfPiecesX 4", "NumberOfPiecesX -4"},
        Lie{"cut_beyond_any_picture", "NumberOfPiecesX 4", "NumberOfPiecesX 14"},
        Lie{"rows_beyond_int", "NumberOfPiecesY 4", "NumberOfPiecesY 2147483648"},
        Lie{"fewer_rows_than_members", "NumberOfPiecesY 4", "NumberOfPiecesY 3"},
        Lie{"position_not_a_number", "Group 0 120 85", "Group 0 abc 85"},
        Lie{"member_not_a_number", "InGroup 0 4 0 1 4 5", "InGroup 0 4 0 1 four 5"},
        Lie{"keyword_as_member", "InGroup 0 4 0 1 4 5\r\n", "InGroup 0 4 0 1 4\r\n"},
        Lie{"edge_style_not_a_number", "SmoothType 0.00", "SmoothType nan"},
        Lie{"unknown_edge_style", "SmoothType 0.00", "SmoothType 0.5"},
        Lie{"name_too_long", "ImageName pics/my_picture.bmp", "ImageName " + kLongName}),
    [](const ::testing::TestParamInfo<Lie>& info) { return std::string(info.param.what); });

}  // namespace
