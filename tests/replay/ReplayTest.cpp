// SPDX-License-Identifier: GPL-3.0-or-later
// A whole game played through the game's one input point and recorded there,
// then replayed from the recording in a fresh game: the replay presents the
// same frames, writes the same log and run counters, and solves the puzzle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "InputRecording.h"
#include "app/CApp.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "screens/CMenu.h"
#include "support/HeadlessGame.h"
#include "support/TempFolder.h"

namespace {

// The log without the lines that report measured times (start-up, cutting),
// which differ from run to run.
std::string WithoutTimings(const std::string& log)
{
    std::string kept;
    std::size_t start = 0;
    while (start < log.size()) {
        std::size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end + 1;
        const std::string line = log.substr(start, end - start);
        if (line.rfind("--- First frame shown", 0) != 0 && line.rfind("--- Cut ", 0) != 0) kept += line;
        start = end;
    }
    return kept;
}


constexpr int kMaxFrames = 20000;
constexpr int kThumbnail = 2;
// Points safely inside the menu's buttons and the left end of the slider's track.
constexpr Point kPlay{362, 522};
constexpr Point kExit{362, 554};
constexpr Point kSliderLeftEnd{45, 340};
// Where the player may press and release on the board: clear of both panels.
constexpr int kSafeLeft = 4, kSafeRight = 786, kSafeTop = 60, kSafeBottom = 550;

std::uint64_t HashOf(const Surface& frame)
{
    std::uint64_t hash = 1469598103934665603ull;
    const std::size_t count = static_cast<std::size_t>(frame.Width()) * frame.Height();
    for (std::size_t i = 0; i < count; ++i) {
        hash = (hash ^ frame.Pixels()[i]) * 1099511628211ull;
    }
    return hash;
}

// One game run frame by frame, numbering its frames; every event that passes
// the input point is recorded with the frame in which it arrived.
class RecordedSession {
public:
    RecordedSession() = default;
    RecordedSession(const RecordedSession&) = delete;
    RecordedSession& operator=(const RecordedSession&) = delete;

    void Start()
    {
        InputHub::SetRecorder([this](const InputEvent& event) { recording.Add(frame, event); });
        game.Start();
    }
    // One frame; false once the game has quit.
    bool Step()
    {
        const bool drawn = game.RunFrames(1) == 1;
        ++frame;
        if (drawn) frameHashes.emplace_back(frame, HashOf(game.Frame()));
        if (solvedAtFrame < 0 && App.GetState() == STATE_GAME && Game.IsCompleted()) solvedAtFrame = frame;
        return drawn;
    }
    void Steps(int count)
    {
        for (int i = 0; i < count; ++i) Step();
    }
    // The normal end: settings and shutdown.
    void Finish()
    {
        game.Finish();
        log = WithoutTimings(game.LogText());
        settings = game.WriteFolder().Read("conf.pvd");
    }

    HeadlessGame game;
    int frame = 0;
    InputRecording recording;
    // Each presented frame: its number and a hash of its pixels.
    std::vector<std::pair<int, std::uint64_t>> frameHashes;
    std::string log;
    std::string settings;
    // The first frame that found the puzzle solved; -1 while it is not.
    int solvedAtFrame = -1;
};

// The player: everything it does goes through queued input events; it only
// reads the game's state to know where to press.
class Player {
public:
    explicit Player(RecordedSession& session) : s(session) {}

    void Press(Point at)
    {
        s.game.PressButton(MouseButton::Left, at.x, at.y);
        s.Step();
    }
    void MoveTo(Point at)
    {
        s.game.MoveMouse(at.x, at.y);
        s.Step();
    }
    void Release(Point at)
    {
        s.game.ReleaseButton(MouseButton::Left, at.x, at.y);
        s.Step();
    }
    // A click as a hand makes it: held for a few frames.
    void Click(Point at, int heldFrames = 3)
    {
        s.game.PressButton(MouseButton::Left, at.x, at.y);
        s.Steps(heldFrames);
        Release(at);
    }
    void TapKey(int key)
    {
        s.game.PressKey(key);
        s.Step();
        s.game.ReleaseKey(key);
        s.Step();
    }

    // Piece k's image on the board.
    static FloatPoint ImagePos(int k)
    {
        const CGroup& group = Game.GetGroups()[Game.GetPiece(k).inGroup];
        return {group.x + Game.GetPiece(k).x, group.y + Game.GetPiece(k).y};
    }

    // The group the game would pick up at this point, as its hand looks:
    // the topmost group with a piece whose mask is white there.
    static int GroupAt(Point at)
    {
        const auto& order = Game.GetDrawOrder();
        const auto& groups = Game.GetGroups();
        for (auto g = order.rbegin(); g != order.rend(); ++g) {
            if (*g < 0 || *g >= static_cast<int>(groups.size()) || groups[*g].hidden) continue;
            for (int m : groups[*g].members) {
                const CPiece& piece = Game.GetPiece(m);
                const float px = groups[*g].x + piece.x, py = groups[*g].y + piece.y;
                const float cx = static_cast<float>(at.x), cy = static_cast<float>(at.y);
                if (!(px < cx && cx <= px + piece.width && py < cy && cy <= py + piece.height)) continue;
                if (piece.mask.GetPixel(static_cast<int>(cx - px), static_cast<int>(cy - py)) == kWhite) return *g;
            }
        }
        return -1;
    }

    static bool IsSafe(Point p) { return kSafeLeft <= p.x && p.x <= kSafeRight && kSafeTop <= p.y && p.y <= kSafeBottom; }

    // A point of the piece's mask, in the piece's image, where a press
    // would pick up the piece's own group, the nearest to its middle.
    static std::optional<Point> VisiblePixel(int k)
    {
        const CPiece& piece = Game.GetPiece(k);
        const FloatPoint at = ImagePos(k);
        const int cx = piece.mask.Width() / 2, cy = piece.mask.Height() / 2;
        std::optional<Point> best;
        long bestDistance = -1;
        for (int y = 1; y < piece.mask.Height(); y += 2) {
            for (int x = 1; x < piece.mask.Width(); x += 2) {
                if (piece.mask.GetPixel(x, y) != kWhite) continue;
                const long d = long(x - cx) * (x - cx) + long(y - cy) * (y - cy);
                if (bestDistance >= 0 && d >= bestDistance) continue;
                const Point board{static_cast<int>(at.x) + x, static_cast<int>(at.y) + y};
                if (!IsSafe(board) || GroupAt(board) != piece.inGroup) continue;
                bestDistance = d;
                best = Point{x, y};
            }
        }
        return best;
    }

    // Presses on the piece, carries its group in a few steps so that the
    // piece's image lands at `to`, releases. False when it cannot be reached.
    bool Carry(int k, Point to)
    {
        const std::optional<Point> inside = VisiblePixel(k);
        if (!inside) return false;
        const FloatPoint at = ImagePos(k);
        const Point from{static_cast<int>(at.x) + inside->x, static_cast<int>(at.y) + inside->y};
        const Point end{to.x + inside->x, to.y + inside->y};
        if (!IsSafe(end)) return false;
        Press(from);
        if (!Game.IsHoldingGroup()) return false;
        for (int step = 1; step <= 3; ++step) {
            MoveTo({from.x + (end.x - from.x) * step / 3, from.y + (end.y - from.y) * step / 3});
        }
        Release(end);
        return true;
    }

    // Where each piece's image lies in the finished picture, relative to the
    // image of piece 0, chained through the corners as the game lays out a group.
    static std::vector<Point> LatticeOffsets()
    {
        const int columns = Game.GetPiecesX();
        std::vector<Point> offset(static_cast<std::size_t>(Game.GetPieceCount()));
        for (int k = 1; k < Game.GetPieceCount(); ++k) {
            const CPiece& piece = Game.GetPiece(k);
            const bool left = k % columns != 0;
            const int n = left ? k - 1 : k - columns;
            const Point corner = left ? Game.GetPiece(n).cornerTR : Game.GetPiece(n).cornerBL;
            offset[k] = {offset[n].x + corner.x - piece.cornerTL.x, offset[n].y + corner.y - piece.cornerTL.y};
        }
        return offset;
    }

    // Puts the pieces together in reading order, each beside one placed
    // before it. A loose piece in the way is carried aside first.
    void SolvePuzzle()
    {
        const std::vector<Point> offset = LatticeOffsets();
        const CImage& picture = CutPreview.GetClean();
        const CPiece& first = Game.GetPiece(0);
        const Point base{static_cast<int>(410 - picture.width / 2) - first.cornerTL.x,
                         static_cast<int>(250 - picture.height / 2) - first.cornerTL.y};
        const FloatPoint pictureTopLeft{410 - picture.width / 2, 250 - picture.height / 2};
        int parked = 0;
        ASSERT_NO_FATAL_FAILURE(ClearPictureArea(pictureTopLeft, picture, parked));
        for (int k = 0; k < Game.GetPieceCount(); ++k) {
            SCOPED_TRACE(testing::Message() << "piece " << k);
            // Carried along with an earlier piece it had joined on the way.
            if (k > 0 && Game.GetPiece(k).inGroup == Game.GetPiece(0).inGroup) continue;
            int attempts = 0;
            while (!Carry(k, {base.x + offset[k].x, base.y + offset[k].y})) {
                ASSERT_LT(++attempts, 5) << "the piece stays out of reach";
                ASSERT_NO_FATAL_FAILURE(MoveCoverAside(k, parked++));
            }
            if (k > 0) {
                EXPECT_EQ(Game.GetPiece(k).inGroup, Game.GetPiece(0).inGroup);
            }
        }
        s.Step();  // the frame that finds one group left
    }

    // Parking places for loose pieces, around the picture's place.
    static Point ParkingSpot(int spot)
    {
        static const Point kSpots[] = {{10, 60},   {645, 60},  {10, 150},  {645, 150}, {10, 240},
                                       {645, 240}, {10, 330},  {645, 330}, {10, 425},  {645, 425},
                                       {150, 425}, {260, 425}, {370, 425}, {480, 425}};
        return kSpots[spot % std::size(kSpots)];
    }

    static bool Overlaps(int k, FloatPoint topLeft, const CImage& picture)
    {
        const CPiece& piece = Game.GetPiece(k);
        const FloatPoint at = ImagePos(k);
        return at.x < topLeft.x + picture.width && topLeft.x < at.x + piece.width &&
               at.y < topLeft.y + picture.height && topLeft.y < at.y + piece.height;
    }

    // Every piece lying where the picture is to be put together is carried
    // to a parking place first, the one on top first: the finished part
    // would hide them.
    void ClearPictureArea(FloatPoint topLeft, const CImage& picture, int& parked)
    {
        for (int round = 0; round < 4 * Game.GetPieceCount(); ++round) {
            int inTheWay = -1;
            for (int k = 0; k < Game.GetPieceCount() && inTheWay < 0; ++k) {
                if (Overlaps(k, topLeft, picture) && VisiblePixel(k)) inTheWay = k;
            }
            if (inTheWay < 0) break;
            ASSERT_TRUE(Carry(inTheWay, ParkingSpot(parked++))) << "piece " << inTheWay;
        }
        for (int k = 0; k < Game.GetPieceCount(); ++k) {
            ASSERT_FALSE(Overlaps(k, topLeft, picture)) << "piece " << k << " stays in the way";
        }
    }

    // The loose group lying over the middle of piece k goes to a parking
    // place at the board's edges.
    void MoveCoverAside(int k, int spot)
    {
        const CPiece& piece = Game.GetPiece(k);
        const FloatPoint at = ImagePos(k);
        const Point middle{static_cast<int>(at.x) + piece.mask.Width() / 2,
                           static_cast<int>(at.y) + piece.mask.Height() / 2};
        const int cover = GroupAt(middle);
        ASSERT_GE(cover, 0) << "nothing lies over the piece, yet it cannot be pressed";
        const CGroup& group = Game.GetGroups()[cover];
        ASSERT_NE(cover, Game.GetPiece(0).inGroup) << "the picture itself covers the piece";
        ASSERT_TRUE(Carry(group.members.front(), ParkingSpot(spot))) << "the piece on top cannot be pressed either";
    }

    // The game as a player plays it, from the logo to the Exit button.
    void PlayWholeGame()
    {
        s.Start();
        s.Steps(5);
        TapKey('A');  // ends the logo
        ASSERT_EQ(App.GetState(), STATE_MENU);
        const CButton& thumbnail = Menu.GetPictureButton(kThumbnail);
        Click({static_cast<int>(thumbnail.GetX() + thumbnail.GetWidth() / 2),
               static_cast<int>(thumbnail.GetY() + thumbnail.GetHeight() / 2)});
        ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
        Click(kSliderLeftEnd, 1);
        ASSERT_EQ(CutPreview.GetPieceCount(), 16);
        Click(kPlay, 1);
        ASSERT_EQ(CMenu::GetPage(), MENU_CALCULATE);
        for (int i = 0; i < 600 && App.GetState() != STATE_GAME; ++i) s.Step();
        ASSERT_EQ(App.GetState(), STATE_GAME);
        s.Steps(5);

        ASSERT_NO_FATAL_FAILURE(SolvePuzzle());
        ASSERT_TRUE(Game.IsCompleted());
        s.Steps(60);  // the finished picture glides to its place
        TapKey('N');
        ASSERT_EQ(App.GetState(), STATE_MENU);
        ASSERT_EQ(CMenu::GetPage(), MENU_PICTURES);
        s.Steps(3);
        s.game.PressButton(MouseButton::Left, kExit.x, kExit.y);
        bool running = s.Step() && s.Step();
        s.game.ReleaseButton(MouseButton::Left, kExit.x, kExit.y);
        for (int i = 0; running && i < 60; ++i) running = s.Step();
        ASSERT_FALSE(running) << "Exit does not end the game";
        s.Finish();
    }

private:
    RecordedSession& s;
};

// A fresh game fed the recorded events at the frames they arrived in.
void Replay(const InputRecording& recording, RecordedSession& replay)
{
    replay.Start();
    std::size_t next = 0;
    const auto& events = recording.events;
    for (int i = 0; i < kMaxFrames; ++i) {
        for (; next < events.size() && events[next].frame == replay.frame; ++next) replay.game.Queue(events[next].event);
        if (!replay.Step()) break;
    }
    replay.Finish();
}

void ExpectSameGame(const RecordedSession& played, const RecordedSession& replayed)
{
    EXPECT_GE(replayed.solvedAtFrame, 0);
    EXPECT_EQ(replayed.solvedAtFrame, played.solvedAtFrame);
    EXPECT_EQ(replayed.frame, played.frame);
    EXPECT_EQ(replayed.recording.ToText(), played.recording.ToText()) << "the replay received other events";
    // The first frame that differs, if any.
    const auto differs = std::mismatch(played.frameHashes.begin(), played.frameHashes.end(),
                                       replayed.frameHashes.begin(), replayed.frameHashes.end());
    EXPECT_TRUE(differs.first == played.frameHashes.end() && differs.second == replayed.frameHashes.end())
        << "frame " << (differs.first != played.frameHashes.end() ? differs.first->first : -1)
        << " is not the same";
    // Same binary, same build time in its header: the whole log must match.
    EXPECT_NE(played.log.find("App was shutdown successfully"), std::string::npos);
    EXPECT_EQ(replayed.log, played.log);
    EXPECT_FALSE(played.settings.empty());
    EXPECT_EQ(replayed.settings, played.settings);
}

class ReplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CMenu::showPicture = false;
        CMenu::borderOnly = false;
    }
    void TearDown() override
    {
        CMenu::showPicture = false;
        CMenu::borderOnly = false;
    }

    void PlayAndRecord()
    {
        Player player(played);
        ASSERT_NO_FATAL_FAILURE(player.PlayWholeGame());
        ASSERT_GE(played.solvedAtFrame, 0);
        ASSERT_FALSE(played.recording.events.empty());
    }

    RecordedSession played;
};

TEST_F(ReplayTest, AWholeGameReplayedFromItsEventsEndsInTheSameState)
{
    ASSERT_NO_FATAL_FAILURE(PlayAndRecord());
    // The game before has finished and let go of everything global.
    RecordedSession replayed;
    Replay(played.recording, replayed);
    ExpectSameGame(played, replayed);
}

TEST_F(ReplayTest, ARecordingStoredAsTextReplaysTheSameGame)
{
    ASSERT_NO_FATAL_FAILURE(PlayAndRecord());
    TempFolder folder;
    folder.Write("game.rec", played.recording.ToText());
    InputRecording read;
    std::string error;
    ASSERT_TRUE(InputRecording::FromText(folder.Read("game.rec"), read, error)) << error;
    ASSERT_EQ(read.events, played.recording.events);
    RecordedSession replayed;
    Replay(read, replayed);
    ExpectSameGame(played, replayed);
}

TEST(InputRecordingText, EveryKindOfEventSurvivesTheTextForm)
{
    InputRecording recording;
    recording.Add(0, InputEvent::KeyDown(0x41));
    recording.Add(0, InputEvent::KeyUp(0x41));
    recording.Add(3, InputEvent::ButtonDown(MouseButton::Right, -5, 700));
    recording.Add(3, InputEvent::ButtonUp(MouseButton::Left, 1, 2));
    recording.Add(9, InputEvent::MouseMove(400, 300));
    recording.Add(9, InputEvent::Resize(1024, 768));
    recording.Add(10, InputEvent::ButtonDown(MouseButton::Middle, 5, 6));
    recording.Add(11, InputEvent::Wheel(-2, 400, 300));
    recording.Add(12, InputEvent::ToggleFullScreen());
    recording.Add(12, InputEvent::Close());
    InputRecording read;
    std::string error;
    ASSERT_TRUE(InputRecording::FromText(recording.ToText(), read, error)) << error;
    EXPECT_EQ(read.events, recording.events);
    EXPECT_EQ(read.EventsOfFrame(3).size(), 2u);
    // Blank lines and CR LF endings are fine.
    ASSERT_TRUE(InputRecording::FromText("\r\n1 Close\r\n\n2 KeyDown 13\r\n", read, error)) << error;
    EXPECT_EQ(read.events.size(), 2u);
}

TEST(InputRecordingText, BadLinesAreRejectedWithTheirNumberAndNothingIsKept)
{
    InputRecording kept;
    kept.Add(7, InputEvent::Close());
    const std::pair<const char*, const char*> bad[] = {
        {"1 Close\nx Close\n", "line 2: no frame number"},
        {"-1 Close\n", "line 1: no frame number"},
        {"99999999999 Close\n", "line 1: no frame number"},
        {"1 Jump\n", "line 1: unknown event"},
        {"1 KeyDown\n", "line 1: key code out of range"},
        {"1 KeyDown 256\n", "line 1: key code out of range"},
        {"1 ButtonDown Fourth 3 4\n", "line 1: unknown mouse button"},
        {"1 Wheel 0 3 4\n", "line 1: key code out of range"},
        {"1 ButtonUp Left 3\n", "line 1: missing position"},
        {"1 MouseMove 3 4 5\n", "line 1: unexpected text after the event"},
        {"1 Close now\n", "line 1: unexpected text after the event"},
        {"5 Close\n4 Close\n", "line 2: frame goes back"},
    };
    for (const auto& [text, message] : bad) {
        SCOPED_TRACE(text);
        std::string error;
        EXPECT_FALSE(InputRecording::FromText(text, kept, error));
        EXPECT_EQ(error, message);
        ASSERT_EQ(kept.events.size(), 1u);
        EXPECT_EQ(kept.events.front().frame, 7);
    }
}

}  // namespace
