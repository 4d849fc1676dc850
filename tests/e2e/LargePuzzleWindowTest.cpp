// SPDX-License-Identifier: GPL-3.0-or-later
// A puzzle of about a thousand pieces in the real window, full screen at
// 1920 x 1080: the cut page's slider stepped to its end with the keys and the
// wheel, the cut played, and its table zoomed and panned by the wheel, the
// buttons that drag and the keys; then a large cut loaded with two neighbours
// apart, one of them carried while the wheel zooms out and let go beside the
// other. SAVE's file tells the count, the view and the groups after each step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "FullScreenGameTest.h"
#include "GameSession.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/TableView.h"

namespace {

constexpr int kWideWidth = 1920, kWideHeight = 1080;
constexpr Point kFirstThumbnail{108, 112};
constexpr Point kPlay{352 + 20, 512 + 10};
constexpr Point kSave{56 + 10, 0 + 10};
constexpr Point kLoadGame{352 + 20, 480 + 10};
constexpr Point kScreenMiddle{400, 300};

// The first picture's largest cut, as the game works it out: the slider's
// first and last places, the lattice and the table it lies on.
struct LargestCut {
    int firstAlong = 0;  // where the slider stands for a freshly chosen picture
    int lastAlong = 0;
    int columns = 0, rows = 0;
    float cellWidth = 0, cellHeight = 0;
    float span = 0;  // the table, in boards
    LayoutBox freeTable;
    int Pieces() const { return columns * rows; }
};

LargestCut TheFirstPicturesLargestCut()
{
    LargestCut cut;
    App.SetProgramFolder(PAVENDRA_BIN_DIR "/");
    EXPECT_TRUE(DataFile.OpenArchive("data.000"));
    CutPreview.ChoosePicture(0);
    CutPreview.SetDefaults();
    cut.firstAlong = CutPreview.GetPiecesAlongLongerSide();
    cut.lastAlong = CutPreview.GetMaxPieces();
    CutPreview.SetPieces(cut.lastAlong);
    CutPreview.SetSmoothType(CCutPreview::kSmoothNone);
    cut.columns = CutPreview.GetColumns();
    cut.rows = CutPreview.GetRows();
    cut.cellWidth = CutPreview.GetCellWidth();
    cut.cellHeight = CutPreview.GetCellHeight();
    Game.SetSize(cut.columns, cut.rows);
    cut.span = Game.TableSpan();
    cut.freeTable = Game.FreeTable();
    CutPreview.Release();
    DataFile.CloseArchive();
    App.SetProgramFolder(nullptr);
    return cut;
}

// The view of the cut's table at a step and origin, as a saved View line holds it.
TableView ViewOfTable(const LargestCut& cut, int step, TablePoint origin)
{
    TableView view;
    view.SetTable(TableView::kScreenWidth * cut.span, TableView::kScreenHeight * cut.span, cut.cellHeight);
    view.Set(step, origin);
    return view;
}

int SavedNumber(const std::string& savedGame, const std::string& keyword)
{
    std::istringstream words(savedGame);
    std::string word;
    int number = -1;
    while (words >> word)
        if (word == keyword && words >> number) return number;
    return -1;
}

struct SavedView {
    bool shown = false;
    int step = 0;
    TablePoint origin;
};

SavedView ViewOf(const std::string& savedGame)
{
    SavedView view;
    std::istringstream words(savedGame);
    std::string word;
    while (words >> word)
        if (word == "View" && words >> view.step >> view.origin.x >> view.origin.y) view.shown = true;
    return view;
}

std::vector<int> GroupMembersOf(const std::string& savedGame, int piece)
{
    std::istringstream words(savedGame);
    std::string word;
    while (words >> word) {
        int group = 0, count = 0;
        if (word != "InGroup" || !(words >> group >> count)) continue;
        std::vector<int> members(static_cast<std::size_t>(std::max(0, count)));
        for (int& m : members) words >> m;
        if (std::find(members.begin(), members.end(), piece) != members.end()) return members;
    }
    return {};
}

class LargePuzzleWindowTest : public FullScreenGameTest {
protected:
    LargePuzzleWindowTest() : FullScreenGameTest(kWideWidth, kWideHeight) {}

    void StartPastTheLogo()
    {
        ASSERT_TRUE(session.Launch());
        window = session.WaitForWindow("Pavendra");
        ASSERT_TRUE(window) << session.ErrorOutput();
        ASSERT_TRUE(session.WaitForWindowSize(*window, kWideWidth, kWideHeight));
        ASSERT_NO_FATAL_FAILURE(PassTheLogo(*window));
    }

    // The cut page's count, its columns x rows and the slider's knob, as the screen shows them.
    std::vector<Colour> CountPanel(const Screenshot& shot) const
    {
        std::vector<Colour> panel;
        for (int y = 300; y < 380; y += 2)
            for (int x = 30; x < 262; x += 2) panel.push_back(FrameAt(shot, x, y));
        return panel;
    }
    bool WaitForCountPanel(const std::function<bool(const std::vector<Colour>&)>& wanted,
                           std::vector<Colour>* shown = nullptr)
    {
        return session.WaitForScreen([&](const Screenshot& shot) {
            std::vector<Colour> panel = CountPanel(shot);
            if (!wanted(panel)) return false;
            if (shown) *shown = std::move(panel);
            return true;
        });
    }

    // SAVE, clicked until the saved game differs from `before`. The pointer
    // shows on the button first, so every input before it was seen.
    std::string Save(const std::string& before)
    {
        std::optional<Screenshot> shot = session.TakeScreenshot();
        EXPECT_TRUE(shot);
        if (!shot) return before;
        if (saveDark.empty()) saveDark = SaveButton(*shot);
        EXPECT_TRUE(MoveTo(kSave));
        EXPECT_TRUE(session.WaitForScreen([&](const Screenshot& now) {
            const std::vector<Colour> button = SaveButton(now);
            if (saveLit.empty() && !LooksLike(button, saveDark)) saveLit = button;
            return !saveLit.empty() && LooksLike(button, saveLit);
        })) << "SAVE shows no pointer over it";
        EXPECT_TRUE(
            ClickUntil(kSave.x, kSave.y, [&](const Screenshot&) { return session.ReadFile("game.pvs") != before; }))
            << "SAVE wrote nothing new";
        return session.ReadFile("game.pvs");
    }
    // The pointer moved off SAVE, and the button dark again.
    void LeaveSave(Point to)
    {
        ASSERT_TRUE(MoveTo(to));
        ASSERT_TRUE(session.WaitForScreen([&](const Screenshot& now) { return LooksLike(SaveButton(now), saveDark); }))
            << "SAVE stays lit";
    }
    std::vector<Colour> SaveButton(const Screenshot& shot) const
    {
        std::vector<Colour> button;
        for (int y = kSave.y - 8; y < kSave.y + 8; ++y)
            for (int x = kSave.x - 8; x < kSave.x + 8; ++x) button.push_back(FrameAt(shot, x, y));
        return button;
    }
    static bool LooksLike(const std::vector<Colour>& a, const std::vector<Colour>& b)
    {
        std::size_t differing = 0;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) differing += !Near(a[i], b[i]);
        return a.size() == b.size() && differing < 20;
    }
    bool MoveTo(Point frame)
    {
        const Point at = OnScreen(frame.x, frame.y);
        return session.MoveMouse(at.x, at.y);
    }
    static Point OnView(const TableView& view, TablePoint table)
    {
        const TablePoint at = view.ToScreen(table);
        return {static_cast<int>(std::lround(at.x)), static_cast<int>(std::lround(at.y))};
    }

    std::optional<std::string> window;
    // The SAVE button as it looks with the pointer elsewhere, and over it.
    std::vector<Colour> saveDark, saveLit;
};

TEST_F(LargePuzzleWindowTest, TheSlidersLastCutIsPlayedAndItsTableZoomedAndPanned)
{
    const LargestCut cut = TheFirstPicturesLargestCut();
    ASSERT_GT(cut.lastAlong, CCutPreview::kLargestBoardCut);
    ASSERT_GE(cut.Pieces(), 900);
    ASSERT_NO_FATAL_FAILURE(StartPastTheLogo());
    ASSERT_TRUE(ClickUntil(kFirstThumbnail.x, kFirstThumbnail.y, ChangedAround(*menu, 512, 272))) << "no cut page";

    // Every step waited on before the next, in turn by Right, the keypad's + and the wheel.
    std::optional<Screenshot> page = session.TakeScreenshot();
    ASSERT_TRUE(page);
    std::vector<Colour> shown = CountPanel(*page), beforeLast;
    const std::vector<std::vector<std::string>> steps = {{"key", "Right"}, {"key", "KP_Add"}, {"click", "4"}};
    for (int along = cut.firstAlong; along < cut.lastAlong; ++along) {
        if (along == cut.lastAlong - 1) beforeLast = shown;
        const std::vector<Colour> before = shown;
        ASSERT_TRUE(Xdotool(steps[static_cast<std::size_t>(along) % steps.size()]));
        ASSERT_TRUE(WaitForCountPanel([&](const std::vector<Colour>& panel) { return panel != before; }, &shown))
            << "the slider did not step from " << along;
    }
    const std::vector<Colour> last = shown;
    // At its end the slider goes no further: one step back after two more
    // forward shows the count before the last.
    ASSERT_TRUE(Xdotool({"key", "Right", "KP_Add", "Left"}));
    ASSERT_TRUE(WaitForCountPanel([&](const std::vector<Colour>& panel) { return panel == beforeLast; }))
        << "the slider went past its end";
    ASSERT_TRUE(Xdotool({"key", "minus", "click", "4", "click", "4"}));
    ASSERT_TRUE(WaitForCountPanel([&](const std::vector<Colour>& panel) { return panel == last; }))
        << "the slider did not come back to its end";
    // One more at the end changes nothing: the count PLAY cuts tells.
    ASSERT_TRUE(Xdotool({"key", "Right"}));

    // PLAY cuts the pieces (the log tells how many) and then shows the table.
    const std::string cutLine = "--- Cut " + std::to_string(cut.Pieces()) + " pieces";
    ASSERT_TRUE(ClickUntil(kPlay.x, kPlay.y, [&](const Screenshot&) {
        return session.Log().find(cutLine) != std::string::npos;
    })) << session.Log();
    ASSERT_TRUE(session.WaitForScreen(BoardShown())) << "no table after the cut";
    std::string saved = Save("");
    EXPECT_EQ(SavedNumber(saved, "NumberOfPiecesX"), cut.columns);
    EXPECT_EQ(SavedNumber(saved, "NumberOfPiecesY"), cut.rows);
    EXPECT_EQ(SavedNumber(saved, "NumberOfGroups"), cut.Pieces());
    SavedView view = ViewOf(saved);
    // The whole table shows, smaller than the board.
    ASSERT_TRUE(view.shown) << "a table larger than the board saves its view";
    EXPECT_EQ(view.step, 0);
    EXPECT_EQ(view.origin.x, 0);
    EXPECT_EQ(view.origin.y, 0);

    // A notch of the wheel zooms in at the pointer: the table point under it stays.
    const Point wheelAt{520, 330};
    ASSERT_TRUE(MoveTo(wheelAt));
    ASSERT_TRUE(Xdotool({"click", "4"}));
    TableView expected = ViewOfTable(cut, 0, {});
    expected.ZoomAt({static_cast<float>(wheelAt.x), static_cast<float>(wheelAt.y)}, 1);
    saved = Save(saved);
    view = ViewOf(saved);
    EXPECT_EQ(view.step, 1);
    EXPECT_NEAR(view.origin.x, expected.Origin().x, 2.0f);
    EXPECT_NEAR(view.origin.y, expected.Origin().y, 2.0f);

    // A drag with the right button takes the table along.
    const SavedView beforeDrag = view;
    ASSERT_TRUE(MoveTo({500, 350}));
    ASSERT_TRUE(Xdotool({"mousedown", "3"}));
    for (int step = 1; step <= 4; ++step) ASSERT_TRUE(MoveTo({500 + 20 * step, 350 + 10 * step}));
    ASSERT_TRUE(Xdotool({"mouseup", "3"}));
    saved = Save(saved);
    view = ViewOf(saved);
    const float zoom = expected.Zoom();
    EXPECT_EQ(view.step, 1);
    EXPECT_NEAR(view.origin.x, beforeDrag.origin.x - 80 / zoom, 3.0f);
    EXPECT_NEAR(view.origin.y, beforeDrag.origin.y - 40 / zoom, 3.0f);

    // The middle button drags too: as far back, the view is where it was.
    ASSERT_TRUE(MoveTo({580, 390}));
    ASSERT_TRUE(Xdotool({"mousedown", "2"}));
    for (int step = 1; step <= 4; ++step) ASSERT_TRUE(MoveTo({580 - 20 * step, 390 - 10 * step}));
    ASSERT_TRUE(Xdotool({"mouseup", "2"}));
    saved = Save(saved);
    view = ViewOf(saved);
    EXPECT_EQ(view.step, 1);
    EXPECT_NEAR(view.origin.x, beforeDrag.origin.x, 1.0f);
    EXPECT_NEAR(view.origin.y, beforeDrag.origin.y, 1.0f);

    // The down arrow held shows more of the table's bottom.
    const SavedView beforeKey = view;
    ASSERT_NO_FATAL_FAILURE(LeaveSave(kScreenMiddle));
    std::optional<Screenshot> still = session.TakeScreenshot();
    ASSERT_TRUE(still);
    ASSERT_TRUE(Xdotool({"keydown", "Down"}));
    const bool moved = session.WaitForScreen(ChangedAround(*still, 400, 300, 200));
    ASSERT_TRUE(Xdotool({"keyup", "Down"}));
    ASSERT_TRUE(moved) << "the arrow key moved nothing";
    saved = Save(saved);
    view = ViewOf(saved);
    EXPECT_NEAR(view.origin.x, beforeKey.origin.x, 0.01f);
    EXPECT_GT(view.origin.y, beforeKey.origin.y + 1);

    // The keypad's + zooms in at the middle of the screen, the pointer
    // wherever it is; Home shows the whole table again.
    expected = ViewOfTable(cut, view.step, view.origin);
    expected.ZoomAt({kScreenMiddle.x, kScreenMiddle.y}, 1);
    ASSERT_NO_FATAL_FAILURE(LeaveSave({150, 450}));
    ASSERT_TRUE(Xdotool({"key", "KP_Add"}));
    saved = Save(saved);
    view = ViewOf(saved);
    EXPECT_EQ(view.step, 2);
    EXPECT_NEAR(view.origin.x, expected.Origin().x, 0.5f);
    EXPECT_NEAR(view.origin.y, expected.Origin().y, 0.5f);
    ASSERT_NO_FATAL_FAILURE(LeaveSave(kScreenMiddle));
    ASSERT_TRUE(Xdotool({"key", "KP_Add", "KP_Subtract", "Home"}));
    saved = Save(saved);
    view = ViewOf(saved);
    EXPECT_EQ(view.step, 0);
    EXPECT_EQ(view.origin.x, 0);
    EXPECT_EQ(view.origin.y, 0);

    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

// The largest cut saved with every piece alone: 0 and 1 near the top, 1 a
// little right of its place beside 0, and the others in rows below them.
std::string SavedLargeCut(const LargestCut& cut, TablePoint piece0, TablePoint piece1, int step, TablePoint origin)
{
    std::ostringstream text;
    text << "Border 0\n\nImageName data/images/image0.bmp\n\nSmoothType -1.00\nNumberOfPiecesX " << cut.columns
         << "\nNumberOfPiecesY " << cut.rows << "\n\nNumberOfGroups " << cut.Pieces() << "\n\n";
    const float pitch = std::max(cut.cellWidth, cut.cellHeight) * 1.25f;
    const int perRow = static_cast<int>((cut.freeTable.right - cut.freeTable.left) / pitch) - 1;
    for (int piece = 0; piece < cut.Pieces(); ++piece) {
        const int column = piece % cut.columns, row = piece / cut.columns;
        TablePoint at{cut.freeTable.left + 10 + (piece - 2) % perRow * pitch,
                      piece1.y + 3 * pitch + (piece - 2) / perRow * pitch};
        if (piece == 0) at = piece0;
        if (piece == 1) at = piece1;
        text << "Group " << piece << " " << std::lround(at.x) << " " << std::lround(at.y) << "\nInGroup " << piece
             << " 1 " << piece;
        std::vector<int> neighbours;
        if (column > 0) neighbours.push_back(piece - 1);
        if (column < cut.columns - 1) neighbours.push_back(piece + 1);
        if (row > 0) neighbours.push_back(piece - cut.columns);
        if (row < cut.rows - 1) neighbours.push_back(piece + cut.columns);
        text << "\nCanJoin " << piece << " " << neighbours.size();
        for (int n : neighbours) text << " " << n;
        text << "\n\n";
    }
    text << "View " << step << " " << origin.x << " " << origin.y << "\nTime 0.0\n";
    return text.str();
}

TEST_F(LargePuzzleWindowTest, APieceCarriedWhileTheWheelZoomsOutJoinsItsNeighbour)
{
    const LargestCut cut = TheFirstPicturesLargestCut();
    ASSERT_GE(cut.Pieces(), 900);
    const TablePoint piece0{cut.freeTable.left + 300, cut.freeTable.top + 200};
    const TablePoint piece1{piece0.x + cut.cellWidth + 50, piece0.y};
    // Close enough that a piece is some 60 units tall, piece 0 left of the middle.
    TableView view = ViewOfTable(cut, 0, {});
    int step = 0;
    while (step < view.LastStep() && view.ZoomAtStep(step) * cut.cellHeight < 60) ++step;
    const float zoom = view.ZoomAtStep(step);
    view.Set(step, {piece0.x - 250 / zoom, piece0.y - 280 / zoom});
    const std::string written = SavedLargeCut(cut, piece0, piece1, view.Step(), view.Origin());
    session.Folder().Write("game.pvs", written);

    ASSERT_NO_FATAL_FAILURE(StartPastTheLogo());
    ASSERT_TRUE(ClickUntil(kLoadGame.x, kLoadGame.y, BoardShown())) << "LOAD GAME showed no table";

    // Piece 1 taken by its middle, the wheel turned out while it is carried,
    // and let go where its place beside piece 0 now shows.
    const TablePoint grip{piece1.x + cut.cellWidth / 2, piece1.y + cut.cellHeight / 2};
    const Point press = OnView(view, grip);
    ASSERT_TRUE(MoveTo(press));
    ASSERT_TRUE(Xdotool({"mousedown", "1"}));
    const Point wheelAt{press.x - 6, press.y};
    ASSERT_TRUE(MoveTo(wheelAt));
    ASSERT_TRUE(Xdotool({"click", "5"}));
    view.ZoomAt({static_cast<float>(wheelAt.x), static_cast<float>(wheelAt.y)}, -1);
    const Point place = OnView(view, {piece0.x + cut.cellWidth * 1.5f, grip.y});
    for (int move = 1; move <= 4; ++move)
        ASSERT_TRUE(MoveTo({wheelAt.x + (place.x - wheelAt.x) * move / 4, wheelAt.y + (place.y - wheelAt.y) * move / 4}));
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));

    const std::string saved = Save(written);
    const SavedView savedView = ViewOf(saved);
    EXPECT_EQ(savedView.step, step - 1) << "the wheel did not zoom out while the piece was carried";
    const std::vector<int> joined = GroupMembersOf(saved, 1);
    EXPECT_EQ(joined.size(), 2u);
    EXPECT_NE(std::find(joined.begin(), joined.end(), 0), joined.end()) << "piece 1 did not join piece 0";
    EXPECT_EQ(SavedNumber(saved, "NumberOfGroups"), cut.Pieces() - 1);

    EXPECT_EQ(session.PressKeyUntilExit("Escape", *window), 0) << session.ErrorOutput();
}

}  // namespace
