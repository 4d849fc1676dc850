// SPDX-License-Identifier: GPL-3.0-or-later
// The whole game, headless, played by a seeded random player through the
// game's one input point: presses, drags and releases on pieces and on empty
// board, the panel's buttons, keys, Alt+Enter, window size changes, Save and
// Load, Menu and back, cuts of every size with every edge style, the edge
// filter and saved games with the Border option on and off. After every frame
// the puzzle must hold together:
//   - every piece is in exactly one group, and its inGroup names that group;
//   - every group's pieces lie where LayOutGroup places them;
//   - no group rests outside the board once nothing is carried;
//   - no position or size is NaN or infinite;
//   - the draw order is a permutation of the groups;
// and a game saved and loaded straight back has the same groups.
//
// PAVENDRA_SOAK_SEED and PAVENDRA_SOAK_EVENTS choose the run (tools/soak.sh
// runs many with fresh seeds); a failure names the seed that replays it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/CApp.h"
#include "platform/FileDialog.h"
#include "platform/VirtualKeys.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "puzzle/GameOptions.h"
#include "screens/CCard.h"
#include "screens/CMenu.h"
#include "support/HeadlessGame.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr long kDefaultEvents = 3000;  // the sanitizers make every frame many times slower
#else
constexpr long kDefaultEvents = 20000;
#endif
constexpr std::uint64_t kDefaultSeed = 20261207;

// Where the buttons of the menu pages and the in-game panel lie: a point
// inside each.
constexpr Point kLoadGame{362, 490};
constexpr Point kCustom{362, 522};
constexpr Point kPlay{362, 522};
constexpr Point kBack{362, 554};
constexpr Point kSmoothLeft{38, 422};
constexpr Point kSmoothRight{226, 422};
constexpr int kSliderY = 340, kSliderLeft = 40, kSliderRight = 240;
// The player's own picture: square, so its cut runs from 4 to 13 pieces a side.
const std::string kSquarePicture = PAVENDRA_SOURCE_DIR "/fuzz/corpus/jpeg/full-chroma.jpg";
constexpr Point kPanelMenu{10, 10};
constexpr Point kPanelSave{66, 10};
constexpr Point kPanelLoad{122, 10};
constexpr Point kPanelBorder{18, 579};
constexpr Point kPanelPicture{138, 579};
constexpr Point kPanelArrange{262, 579};
constexpr Point kPanelColours[] = {{682, 579}, {710, 579}, {738, 579}, {766, 579}};
// The board as the game keeps groups on it.
constexpr float kTolerance = 0.01f;

long EnvironmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* stop = nullptr;
    const long long value = std::strtoll(text, &stop, 10);
    return stop && *stop == '\0' ? static_cast<long>(value) : fallback;
}

bool Finite(float value) { return std::isfinite(value); }

// What a saved game keeps of a group, to compare after loading it back.
struct GroupRecord {
    std::vector<int> members;
    std::vector<int> canJoin;  // sorted, without repeats
    int x = 0;
    int y = 0;
    bool operator==(const GroupRecord&) const = default;
};

std::vector<GroupRecord> RecordGroups()
{
    std::vector<GroupRecord> records;
    for (const CGroup& group : Game.GetGroups()) {
        GroupRecord record;
        record.members = group.members;
        record.canJoin = group.canJoin;
        std::sort(record.canJoin.begin(), record.canJoin.end());
        record.canJoin.erase(std::unique(record.canJoin.begin(), record.canJoin.end()), record.canJoin.end());
        record.x = static_cast<int>(group.x);
        record.y = static_cast<int>(group.y);
        records.push_back(std::move(record));
    }
    return records;
}

std::string Describe(const GroupRecord& group)
{
    std::ostringstream text;
    text << "at " << group.x << "," << group.y << " members";
    for (int m : group.members) text << " " << m;
    text << " candidates";
    for (int c : group.canJoin) text << " " << c;
    return text.str();
}

std::string Difference(const std::vector<GroupRecord>& saved, const std::vector<GroupRecord>& loaded)
{
    if (saved.size() != loaded.size())
        return std::to_string(saved.size()) + " groups saved, " + std::to_string(loaded.size()) + " loaded";
    for (std::size_t g = 0; g < saved.size(); ++g) {
        if (!(saved[g] == loaded[g]))
            return "group " + std::to_string(g) + " saved " + Describe(saved[g]) + ", loaded " + Describe(loaded[g]);
    }
    return "none";
}

class RandomPlayer {
public:
    RandomPlayer(std::uint64_t seed, long events) : random(seed), eventBudget(events) {}

    // Plays until the budget of events is spent; the first broken invariant
    // ends the run with a message.
    void Play()
    {
        game.Start();
        while (failure.empty() && eventsSent < eventBudget && running) Act();
        if (failure.empty() && running) {
            game.Finish();
            finished = true;
        }
    }

    // The last events sent, for the report of a failure.
    std::string RecentEvents() const
    {
        std::string text;
        for (const std::string& line : recent) text += "  " + line + "\n";
        return text;
    }

    std::string failure;
    long eventsSent = 0;
    long framesRun = 0;
    long checksOfSaving = 0;
    long puzzlesStarted = 0;
    long joinsSeen = 0;
    long puzzlesSolved = 0;
    long viewChanges = 0;
    long framesZoomed = 0;
    // What the puzzles in play were: columns, edge style, Border option.
    std::set<int> cutsSeen;
    std::set<float> stylesSeen;
    std::set<bool> bordersSeen;

private:
    // ---- input

    void Send(const InputEvent& event)
    {
        game.Queue(event);
        ++eventsSent;
        std::ostringstream text;
        text << "frame " << framesRun << ": " << static_cast<int>(event.type) << " key " << event.key << " at "
             << event.x << "," << event.y;
        recent.push_back(text.str());
        if (recent.size() > kRecentEvents) recent.pop_front();
    }
    void Frames(int count)
    {
        for (int i = 0; i < count && failure.empty() && running; ++i) {
            if (game.RunFrames(1) != 1) {
                running = false;
                failure = "the game quit, though the player never asked it to";
                return;
            }
            ++framesRun;
            Check();
        }
    }
    void Press(Point at, MouseButton button = MouseButton::Left)
    {
        Send(InputEvent::MouseMove(at.x, at.y));
        Send(InputEvent::ButtonDown(button, at.x, at.y));
        Frames(1);
    }
    void MoveTo(Point at)
    {
        Send(InputEvent::MouseMove(at.x, at.y));
        Frames(1);
    }
    void Release(Point at, MouseButton button = MouseButton::Left)
    {
        Send(InputEvent::ButtonUp(button, at.x, at.y));
        Frames(1);
    }
    void Click(Point at, int heldFrames = 1)
    {
        Press(at);
        Frames(heldFrames - 1);
        Release(at);
    }
    void Drag(Point from, Point to, int steps)
    {
        Press(from);
        for (int step = 1; step <= steps; ++step) {
            MoveTo({from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps});
            // Now and then the view changes under the hand.
            if (Chance(0.05)) ChangeView();
        }
        Release(to);
    }
    void TapKey(int key)
    {
        Send(InputEvent::KeyDown(key));
        Frames(1);
        Send(InputEvent::KeyUp(key));
        Frames(1);
    }

    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(random); }
    Point AnyPoint() { return {Uniform(-20, 819), Uniform(-20, 619)}; }
    Point BoardPoint() { return {Uniform(4, 786), Uniform(60, 550)}; }

    // Any key but Escape, which ends the game.
    int AnyKey()
    {
        static const int kKeys[] = {'A', 'M', 'Q', 'Z', '1', '9', VK_SPACE, VK_RETURN, VK_LEFT, VK_F1, VK_SHIFT};
        return kKeys[Uniform(0, static_cast<int>(std::size(kKeys)) - 1)];
    }

    // ---- the player

    void Act()
    {
        switch (App.GetState()) {
        case STATE_LOGO:
            if (Chance(0.5)) {
                TapKey(AnyKey());
            } else {
                Click(AnyPoint());
            }
            break;
        case STATE_MENU:
            ActOnMenu();
            break;
        case STATE_GAME:
            ActInGame();
            break;
        default:
            Frames(1);
        }
        // Now and then the window changes: Alt+Enter or a new size.
        if (Chance(0.01)) {
            Send(InputEvent::ToggleFullScreen());
            Frames(1);
        }
        if (Chance(0.01)) {
            Send(InputEvent::Resize(Uniform(1, 2560), Uniform(1, 1600)));
            Frames(1);
        }
    }

    void ActOnMenu()
    {
        switch (CMenu::GetPage()) {
        case MENU_PICTURES: {
            const int pick = Uniform(0, 99);
            if (pick < 70) {
                const CButton& thumbnail = Menu.GetPictureButton(Uniform(0, CMenu::kPictureCount - 1));
                Click({static_cast<int>(thumbnail.GetX() + thumbnail.GetWidth() / 2),
                       static_cast<int>(thumbnail.GetY() + thumbnail.GetHeight() / 2)});
            } else if (pick < 80) {
                if (Chance(0.5)) FlipSavedBorder();
                Click(kLoadGame);
                CheckLoadedGame();
            } else if (pick < 92) {
                // The player's own picture through the file dialog, or a change of mind.
                const bool chosen = Chance(0.9);
                FileDialog::SetStandIn([chosen](const std::string&) {
                    return chosen ? FileDialog::Answer{FileDialog::Outcome::Chosen, kSquarePicture}
                                  : FileDialog::Answer{FileDialog::Outcome::Cancelled, ""};
                });
                Click(kCustom);
            } else {
                // Anywhere but the Custom and Exit buttons.
                Point at = AnyPoint();
                if (at.x >= 330 && at.x <= 480 && at.y >= 500) at.y = 300;
                Click(at);
            }
            break;
        }
        case MENU_CUT: {
            const int pick = Uniform(0, 99);
            if (pick < 30) {
                // Now and then the very ends of the track: the smallest and the largest cut.
                const int rightEnd = 208 + static_cast<int>(Menu.GetCountSlider().GetKnobWidth()) - 1;
                const int x = Chance(0.2) ? (Chance(0.5) ? rightEnd : kSliderLeft) : Uniform(kSliderLeft, kSliderRight);
                Click({x, kSliderY});
            } else if (pick < 45) {
                Drag({Uniform(kSliderLeft, kSliderRight), kSliderY}, {Uniform(0, 300), kSliderY + Uniform(-30, 30)},
                     Uniform(1, 4));
            } else if (pick < 65) {
                Click(Chance(0.5) ? kSmoothLeft : kSmoothRight);
            } else if (pick < 90) {
                Click(kPlay);
                if (CMenu::GetPage() == MENU_CALCULATE) ++puzzlesStarted;
            } else if (pick < 95) {
                Click(kBack);
            } else {
                TapKey(AnyKey());
            }
            break;
        }
        default:
            // The build of the pieces: the player waits, or fidgets.
            if (Chance(0.2)) {
                MoveTo(AnyPoint());
            } else {
                Frames(Uniform(1, 8));
            }
        }
    }

    void ActInGame()
    {
        if (Game.IsCompleted()) {
            // Any key or button goes back to the menu once the picture is whole.
            if (Chance(0.3)) {
                Frames(Uniform(1, 30));
            } else if (Chance(0.5)) {
                TapKey(AnyKey());
            } else {
                Click(AnyPoint());
            }
            return;
        }
        const int pick = Uniform(0, 999);
        if (pick < 300) {
            DragPiece();
        } else if (pick < 520) {
            JoinPiece();
        } else if (pick < 600) {
            SelectAndMove();
        } else if (pick < 640) {
            SaveAndLoadBack();
        } else if (pick < 650) {
            Click(kPanelLoad);
            CheckLoadedGame();
        } else if (pick < 665) {
            Click(kPanelMenu);
        } else if (pick < 700) {
            Click(kPanelArrange);
        } else if (pick < 730) {
            Click(kPanelBorder);
        } else if (pick < 750) {
            Click(kPanelPicture);
        } else if (pick < 770) {
            Click(kPanelColours[Uniform(0, 3)]);
        } else if (pick < 830) {
            TapKey(AnyKey());
        } else if (pick < 900) {
            // Right button, plain presses and moves anywhere, panels included.
            const Point at = AnyPoint();
            if (Chance(0.5)) {
                Click(at);
            } else if (Chance(0.5)) {
                Press(at, MouseButton::Right);
                Release(AnyPoint(), MouseButton::Right);
            } else {
                MoveTo(at);
            }
        } else if (pick < 950) {
            // A press held over several frames and released somewhere else.
            Press(AnyPoint());
            Frames(Uniform(1, 5));
            Release(AnyPoint());
        } else if (pick < 980) {
            ChangeView();
        } else {
            Frames(Uniform(1, 10));
        }
    }

    // The table's view: the wheel anywhere, a drag with the right or middle
    // button, the zoom keys and Home, an arrow held for some frames.
    void ChangeView()
    {
        const int pick = Uniform(0, 4);
        if (pick == 0) {
            const Point at = AnyPoint();
            Send(InputEvent::MouseMove(at.x, at.y));
            Send(InputEvent::Wheel(Chance(0.5) ? Uniform(1, 3) : -Uniform(1, 3), at.x, at.y));
            Frames(1);
        } else if (pick == 1) {
            const MouseButton button = Chance(0.5) ? MouseButton::Right : MouseButton::Middle;
            const Point from = AnyPoint(), to = AnyPoint();
            Press(from, button);
            MoveTo({(from.x + to.x) / 2, (from.y + to.y) / 2});
            Release(to, button);
        } else if (pick == 2) {
            static const int kZoomKeys[] = {VK_OEM_PLUS, VK_ADD, VK_OEM_MINUS, VK_SUBTRACT, VK_HOME};
            TapKey(kZoomKeys[Uniform(0, static_cast<int>(std::size(kZoomKeys)) - 1)]);
        } else {
            static const int kArrows[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
            const int key = kArrows[Uniform(0, 3)];
            Send(InputEvent::KeyDown(key));
            Frames(Uniform(1, 12));
            Send(InputEvent::KeyUp(key));
            Frames(1);
        }
        ++viewChanges;
    }

    // Where a point of the table shows on the screen.
    static Point OnScreen(FloatPoint table)
    {
        const TablePoint at = Game.GetView().ToScreen({table.x, table.y});
        return {static_cast<int>(std::floor(at.x)), static_cast<int>(std::floor(at.y))};
    }

    // A piece's image on the board.
    static FloatPoint ImagePos(int k)
    {
        const CPiece& piece = Game.GetPiece(k);
        const CGroup& group = Game.GetGroups()[piece.inGroup];
        return {group.x + piece.x, group.y + piece.y};
    }

    // A point inside piece k's mask, on the board.
    std::optional<Point> PointOnPiece(int k)
    {
        const CPiece& piece = Game.GetPiece(k);
        const FloatPoint at = ImagePos(k);
        for (int attempt = 0; attempt < 12; ++attempt) {
            const int x = Uniform(0, std::max(0, piece.mask.Width() - 1));
            const int y = Uniform(0, std::max(0, piece.mask.Height() - 1));
            if (piece.mask.GetPixel(x, y) != kWhite) continue;
            // The middle of that unit of the table, where the view shows it.
            return OnScreen({static_cast<int>(at.x) + x + 0.5f, static_cast<int>(at.y) + y + 0.5f});
        }
        return std::nullopt;
    }

    int AnyPiece() { return Uniform(0, Game.GetPieceCount() - 1); }

    void DragPiece()
    {
        if (Game.GetPieceCount() == 0) return Click(BoardPoint());
        const std::optional<Point> from = PointOnPiece(AnyPiece());
        if (!from) return Frames(1);
        Drag(*from, Chance(0.9) ? BoardPoint() : AnyPoint(), Uniform(1, 6));
    }

    // Carries a piece to where it meets one of its neighbours, so that
    // groups join and puzzles get solved now and then.
    void JoinPiece()
    {
        if (Game.GetPieceCount() == 0) return Frames(1);
        const int k = AnyPiece();
        const CPiece& piece = Game.GetPiece(k);
        const int columns = Game.GetPiecesX();
        std::vector<int> neighbours;
        const int column = k % columns, row = k / columns;
        if (column > 0) neighbours.push_back(k - 1);
        if (column + 1 < columns) neighbours.push_back(k + 1);
        if (row > 0) neighbours.push_back(k - columns);
        if (k + columns < Game.GetPieceCount()) neighbours.push_back(k + columns);
        if (neighbours.empty()) return Frames(1);
        const int n = neighbours[Uniform(0, static_cast<int>(neighbours.size()) - 1)];
        if (Game.GetPiece(n).inGroup == piece.inGroup) return Frames(1);
        const std::optional<Point> from = PointOnPiece(k);
        if (!from) return Frames(1);
        // Where k's image lies beside n's: through the corners they share.
        const CPiece& other = Game.GetPiece(n);
        Point shift{0, 0};
        if (n == k - 1) shift = {other.cornerTR.x - piece.cornerTL.x, other.cornerTR.y - piece.cornerTL.y};
        if (n == k + 1) shift = {other.cornerTL.x - piece.cornerTR.x, other.cornerTL.y - piece.cornerTR.y};
        if (n == k - columns) shift = {other.cornerBL.x - piece.cornerTL.x, other.cornerBL.y - piece.cornerTL.y};
        if (n == k + columns) shift = {other.cornerTL.x - piece.cornerBL.x, other.cornerTL.y - piece.cornerBL.y};
        const FloatPoint here = ImagePos(k), there = ImagePos(n);
        // The carry's length on the table, enlarged by the view's zoom.
        const float zoom = Game.GetView().Zoom();
        const Point to{from->x + static_cast<int>((there.x + shift.x - here.x) * zoom) + Uniform(-3, 3),
                       from->y + static_cast<int>((there.y + shift.y - here.y) * zoom) + Uniform(-3, 3)};
        const std::size_t groupsBefore = Game.GetGroups().size();
        Drag(*from, to, Uniform(1, 4));
        if (Game.GetGroups().size() < groupsBefore) ++joinsSeen;
    }

    void SelectAndMove()
    {
        Drag(BoardPoint(), BoardPoint(), Uniform(1, 4));
        if (!Game.HasSelection() || Game.GetPieceCount() == 0) return;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const int k = AnyPiece();
            if (!Game.GetGroups()[Game.GetPiece(k).inGroup].selected) continue;
            if (const std::optional<Point> from = PointOnPiece(k)) return Drag(*from, BoardPoint(), Uniform(1, 4));
        }
    }

    // Save, then Load at once: the same groups in the same order, with the
    // same members, candidates and whole-pixel positions.
    void SaveAndLoadBack()
    {
        if (Game.GetPieceCount() == 0 || Game.IsHoldingGroup() || Game.IsMovingSelection()) return Click(kPanelSave);
        // A card over the board (help) takes the first click: it only closes it.
        if (Card.IsShowing()) Click(kPanelSave);
        Click(kPanelSave);
        // A puzzle solved in the frames of the click takes the next press
        // back to the menu, LOAD's included.
        if (Game.IsHoldingGroup() || Game.IsMovingSelection() || Game.IsCompleted()) return;
        const std::vector<GroupRecord> saved = RecordGroups();
        const TableView view = Game.GetView();
        Click(kPanelLoad);
        if (!failure.empty()) return;
        ++checksOfSaving;
        const std::vector<GroupRecord> loaded = RecordGroups();
        if (loaded != saved) failure = "the saved game loads back to other groups: " + Difference(saved, loaded);
        const TableView& back = Game.GetView();
        if (back.Step() != view.Step() || std::fabs(back.Origin().x - view.Origin().x) > 0.01f ||
            std::fabs(back.Origin().y - view.Origin().y) > 0.01f)
            Fail("the saved game loads back to another view");
    }

    // A saved game a player may have: the same with the Border option switched.
    void FlipSavedBorder()
    {
        const std::string path = game.WriteFolder() / "game.pvs";
        std::string text = TempFolder::ReadFile(path);
        const std::size_t at = text.find("Border ");
        if (at == std::string::npos || at + 7 >= text.size()) return;
        text[at + 7] = text[at + 7] == '1' ? '0' : '1';
        game.WriteFolder().Write("game.pvs", text);
    }

    void CheckLoadedGame()
    {
        if (App.GetState() == STATE_GAME && Game.GetPieceCount() > 0 && Game.GetGroups().empty())
            failure = "a loaded game has pieces but no groups";
    }

    // ---- the invariants

    void Fail(const std::string& what)
    {
        if (failure.empty()) failure = what;
    }

    void Check()
    {
        if (App.GetState() != STATE_GAME) {
            outsideBefore.clear();
            return;
        }
        if (Game.GetPieceCount() > 0) {
            cutsSeen.insert(Game.GetPiecesX());
            stylesSeen.insert(CutPreview.GetSmoothType());
            bordersSeen.insert(Options.border);
        }
        if (Game.IsCompleted() && !wasCompleted) ++puzzlesSolved;
        wasCompleted = Game.IsCompleted();
        const auto& groups = Game.GetGroups();
        const int pieceCount = Game.GetPieceCount();
        const int groupCount = static_cast<int>(groups.size());
        std::vector<int> owner(static_cast<std::size_t>(pieceCount), -1);
        for (int g = 0; g < groupCount; ++g) {
            const CGroup& group = groups[g];
            if (!Finite(group.x) || !Finite(group.y) || !Finite(group.width) || !Finite(group.height))
                return Fail("group " + std::to_string(g) + " has a position or size that is no number");
            for (int m : group.members) {
                if (!Game.IsValidPieceIndex(m)) return Fail("group " + std::to_string(g) + " holds no piece " + std::to_string(m));
                if (owner[m] != -1) return Fail("piece " + std::to_string(m) + " is in two groups");
                owner[m] = g;
                if (Game.GetPiece(m).inGroup != g) return Fail("piece " + std::to_string(m) + " names another group");
            }
        }
        for (int k = 0; k < pieceCount; ++k) {
            if (owner[k] == -1) return Fail("piece " + std::to_string(k) + " is in no group");
            if (!Finite(Game.GetPiece(k).x) || !Finite(Game.GetPiece(k).y))
                return Fail("piece " + std::to_string(k) + " has a position that is no number");
        }
        std::vector<int> order = Game.GetDrawOrder();
        std::sort(order.begin(), order.end());
        for (int i = 0; i < static_cast<int>(order.size()) || i < groupCount; ++i) {
            if (i >= static_cast<int>(order.size()) || order[i] != i)
                return Fail("the draw order is not a permutation of the groups");
        }
        CheckLayout();
        CheckOnBoard();
        CheckView();
    }

    // The view keeps to its steps and never shows beyond the table; the
    // finished picture is shown on the whole table.
    void CheckView()
    {
        const TableView& view = Game.GetView();
        if (view.Step() < 0 || view.Step() > view.LastStep()) return Fail("the view's zoom is past its steps");
        const float right = std::max(0.0f, view.TableWidth() - TableView::kScreenWidth / view.Zoom());
        const float bottom = std::max(0.0f, view.TableHeight() - TableView::kScreenHeight / view.Zoom());
        const TablePoint origin = view.Origin();
        if (!(origin.x >= 0 && origin.y >= 0 && origin.x <= right + kTolerance && origin.y <= bottom + kTolerance))
            return Fail("the view shows beyond the table");
        if (Game.IsCompleted() && !view.IsWhole()) Fail("the finished picture is not shown on the whole table");
        if (!view.IsWhole()) ++framesZoomed;
    }

    // LayOutGroup places a group's pieces from the lattice alone: laying the
    // groups out again must change nothing.
    void CheckLayout()
    {
        auto& groups = Game.TestHookGroups();
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            std::vector<FloatPoint> before;
            for (int m : groups[g].members) before.push_back({Game.GetPiece(m).x, Game.GetPiece(m).y});
            const float width = groups[g].width, height = groups[g].height;
            Game.LayOutGroup(g);
            for (std::size_t i = 0; i < before.size(); ++i) {
                const CPiece& piece = Game.GetPiece(groups[g].members[i]);
                if (std::fabs(piece.x - before[i].x) > kTolerance || std::fabs(piece.y - before[i].y) > kTolerance)
                    return Fail("piece " + std::to_string(groups[g].members[i]) + " of group " + std::to_string(g) +
                                " is not where the lattice puts it");
            }
            if (std::fabs(groups[g].width - width) > kTolerance || std::fabs(groups[g].height - height) > kTolerance)
                return Fail("group " + std::to_string(g) + " has the wrong extent");
        }
    }

    // The board keeps every group on it, shown or hidden by the edge filter,
    // once nothing is carried. A group dropped, or arranged, outside it in one
    // frame is pulled back in the next: a group outside in two frames in a
    // row at the same place has been left there.
    void CheckOnBoard()
    {
        // Under a card (help, pause) the board stands still until it closes.
        if (Card.IsShowing()) return;
        const bool carrying = Game.IsHoldingGroup() || Game.IsMovingSelection() || Game.IsCompleted();
        std::vector<OutsideGroup> outside;
        const auto& groups = Game.GetGroups();
        for (int g = 0; g < static_cast<int>(groups.size()) && !carrying; ++g) {
            const CGroup& group = groups[g];
            if (group.members.empty()) continue;
            // What the board keeps on it: the box of the pieces' images.
            float left = 1e30f, top = 1e30f, right = -1e30f, bottom = -1e30f;
            for (int m : group.members) {
                const CPiece& piece = Game.GetPiece(m);
                left = std::min(left, group.x + piece.x);
                top = std::min(top, group.y + piece.y);
                right = std::max(right, group.x + piece.x + piece.width);
                bottom = std::max(bottom, group.y + piece.y + piece.height);
            }
            // The board of a large cut is its table's free board.
            const LayoutBox table = Game.FreeTable();
            const bool fitsAcross = right - left <= table.right, fitsDown = bottom - top <= table.bottom;
            if ((fitsAcross && (left < -kTolerance || right > table.right + kTolerance)) ||
                (fitsDown && (top < -kTolerance || bottom > table.bottom + kTolerance))) {
                const OutsideGroup here{group.members.front(), group.x, group.y};
                if (std::find(outsideBefore.begin(), outsideBefore.end(), here) != outsideBefore.end()) {
                    std::ostringstream text;
                    text << "group " << g << " stays outside the board: at " << group.x << "," << group.y << ", "
                         << group.width << " x " << group.height << ", " << group.members.size() << " pieces"
                         << (group.hidden ? ", hidden" : "") << (group.selected ? ", selected" : "");
                    return Fail(text.str());
                }
                outside.push_back(here);
            }
        }
        outsideBefore = std::move(outside);
    }

    // A group outside the board after a frame: its first piece and its place.
    struct OutsideGroup {
        int firstPiece;
        float x;
        float y;
        bool operator==(const OutsideGroup&) const = default;
    };
    std::vector<OutsideGroup> outsideBefore;

    static constexpr std::size_t kRecentEvents = 24;
    std::deque<std::string> recent;
    HeadlessGame game;
    std::mt19937_64 random;
    long eventBudget;
    bool running = true;
    bool finished = false;
    bool wasCompleted = false;
};

class SoakTest : public ::testing::Test {
protected:
    void SetUp() override { ResetOptions(); }
    void TearDown() override { ResetOptions(); }
    static void ResetOptions()
    {
        CMenu::showPicture = false;
        CMenu::borderOnly = false;
        CMenu::SetBorder(false);
    }
};

TEST_F(SoakTest, ARandomPlayerNeverBreaksThePuzzle)
{
    const std::uint64_t seed = static_cast<std::uint64_t>(EnvironmentNumber("PAVENDRA_SOAK_SEED", kDefaultSeed));
    const long events = EnvironmentNumber("PAVENDRA_SOAK_EVENTS", kDefaultEvents);
    RandomPlayer player(seed, events);
    player.Play();
    std::ostringstream summary;
    summary << "seed " << seed << ": " << player.eventsSent << " events, " << player.framesRun << " frames, "
            << player.puzzlesStarted << " puzzles started, " << player.joinsSeen << " joins, " << player.checksOfSaving
            << " saves loaded back, " << player.puzzlesSolved << " solved, " << player.viewChanges
            << " changes of view, " << player.framesZoomed << " frames zoomed; cuts";
    for (int columns : player.cutsSeen) summary << " " << columns;
    summary << ", " << player.stylesSeen.size() << " edge styles, Border " << player.bordersSeen.size()
            << " ways";
    std::printf("soak %s\n", summary.str().c_str());
    EXPECT_TRUE(player.failure.empty()) << player.failure << " after " << player.eventsSent << " events (" << summary.str()
                                        << ")\nreplay: PAVENDRA_SOAK_SEED=" << seed
                                        << " PAVENDRA_SOAK_EVENTS=" << events << " test_soak\nlast events (type, key, x, y):\n"
                                        << player.RecentEvents();
    EXPECT_GE(player.eventsSent, events);
}

}  // namespace
