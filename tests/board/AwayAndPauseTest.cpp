// SPDX-License-Identifier: GPL-3.0-or-later
// The play clock counts only play: not while the window is minimised, hidden
// or not in front, nor while the game is paused, whose card covers the board.
// The help card tells the controls of the screen it covers; the next key or
// click closes either card and goes no further. The first run shows a hint
// line on the board for a few seconds of play.
#include <random>
#include <string>

#include "BoardFixture.h"
#include "core/CMgrInput.h"
#include "screens/CCard.h"

namespace board_test {
namespace {

// A frame of the thumbnail page that holds a picture (the second of the middle row).
constexpr int kThumbnailX = 250, kThumbnailY = 233;
// Where the hint line is drawn, in units.
constexpr int kHintLeft = 8, kHintTop = 536, kHintRight = 110, kHintBottom = 560;

bool HasRow(const std::vector<CCard::Row>& rows, const std::string& keys, const std::string& meaning)
{
    for (const CCard::Row& row : rows)
        if (row.keys == keys && row.meaning == meaning) return true;
    return false;
}

class AwayAndPauseTest : public BoardTest {
protected:
    // Play on a 4 x 4 puzzle with frames of a quarter second.
    void Begin()
    {
        game.TapKey('A');  // past the logo: the panel's pictures and the fonts are loaded
        StartPuzzle(448, 300, 4);
        game.SetFrameStep(0.25);
        game.RunFrames(1);
    }
    static Colour BoardColour()
    {
        return MakeColour(Game.backgroundColor[0], Game.backgroundColor[1], Game.backgroundColor[2]);
    }
    // Pixels of the last frame in the board's colour, in a rectangle of units.
    int BoardPixels(int left = 0, int top = 0, int right = kClientWidth, int bottom = kClientHeight) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) count += game.Frame().GetPixel(x, y) == BoardColour();
        return count;
    }
};

// Random spells away (focus lost, minimised, both, overlapping), pauses and
// resumptions by key or click, over many frames: the clock moves on in every
// frame in which the player was there and not paused, and in no other; while
// paused no pixel of the board shows.
TEST_F(AwayAndPauseTest, TheClockMovesOnlyInFramesOfPlay)
{
    Begin();
    std::mt19937 random(11);
    bool focused = true, shown = true, paused = false;
    int played = 0;
    auto frame = [&] {
        const float before = Game.GetPlayTime();
        game.RunFrames(1);
        const bool playing = focused && shown && !paused;
        played += playing;
        if (playing) {
            ASSERT_GT(Game.GetPlayTime(), before) << "a frame of play";
        } else {
            ASSERT_EQ(Game.GetPlayTime(), before) << "focused " << focused << ", shown " << shown;
        }
        ASSERT_EQ(Card.GetKind() == CCard::Kind::Pause, paused);
        if (paused) {
            ASSERT_EQ(BoardPixels(), 0) << "the pause card covers the whole board";
        }
    };
    for (int step = 0; step < 400 && !HasFailure(); ++step) {
        switch (random() % 7) {
        case 0:
            focused = !focused;
            game.Queue(InputEvent::Focus(focused));
            break;
        case 1:
            shown = !shown;
            game.Queue(InputEvent::Shown(shown));
            break;
        case 2:
        case 3: {
            // P or Pause pauses; any key resumes, P too.
            const int key = random() % 3 == 0 ? VK_PAUSE : (random() % 2 ? 'P' : 'K');
            const bool pauses = !paused && key != 'K';
            game.PressKey(key);
            paused = pauses;
            frame();
            game.ReleaseKey(key);
            break;
        }
        case 4: {
            // A click on a piece: it resumes a pause without picking the piece up.
            const int piece = static_cast<int>(random() % 16);
            const FloatPoint at = ImagePos(piece);
            const Point inside = InsidePixel(piece);
            const int x = static_cast<int>(at.x) + inside.x, y = static_cast<int>(at.y) + inside.y;
            const bool wasPaused = paused;
            game.PressButton(MouseButton::Left, x, y);
            paused = false;
            frame();
            if (wasPaused) {
                ASSERT_FALSE(Game.IsHoldingGroup()) << "the click that ends a pause goes no further";
            }
            game.ReleaseButton(MouseButton::Left, x, y);
            break;
        }
        default:
            break;
        }
        frame();
    }
    // The clock drops what a frame takes beyond its next second: at least
    // four frames of a quarter second make a second, at most five.
    EXPECT_GT(played, 50);
    EXPECT_GE(Game.GetPlayTime(), played / 5 - 1);
    EXPECT_LE(Game.GetPlayTime(), played / 4 + 1);
}

// The saved game keeps the clock as it stands: minutes away do not count.
TEST_F(AwayAndPauseTest, EscapeSavesOnlyThePlayedTimeEvenWhilePaused)
{
    Begin();
    game.RunFrames(20);  // five seconds of play
    const float played = Game.GetPlayTime();
    game.Queue(InputEvent::Shown(false));
    game.RunFrames(240);  // a minute minimised
    game.Queue(InputEvent::Shown(true));
    game.PressKey('P');
    game.RunFrames(1);
    game.ReleaseKey('P');
    game.RunFrames(240);  // a minute paused
    EXPECT_FLOAT_EQ(Game.GetPlayTime(), played);
    game.PressKey(VK_ESCAPE);
    EXPECT_EQ(game.RunFrames(5), 0) << "Escape still quits from the pause";
    game.Finish();
    EXPECT_NE(game.LogText().find("--- Paused: the play clock stops"), std::string::npos);
    const std::string saved = game.WriteFolder().Read("game.pvs");
    EXPECT_NE(saved.find("Time " + std::to_string(static_cast<int>(played)) + "."), std::string::npos) << saved;
}

// F1 and ? show the controls of the screen below; the key that opened the
// card repeats without closing it; any other key or a click closes it, and
// that press reaches nothing under the card.
TEST_F(AwayAndPauseTest, TheHelpCardTellsTheControlsOfItsScreenAndTheNextPressOnlyClosesIt)
{
    game.TapKey('A');
    ASSERT_EQ(App.GetState(), STATE_MENU);
    game.PressKey(VK_F1);
    game.RunFrames(1);
    game.PressKey(VK_F1);  // held, the key repeats
    game.RunFrames(2);
    ASSERT_EQ(Card.GetKind(), CCard::Kind::Help);
    game.ReleaseKey(VK_F1);
    game.Click(kThumbnailX, kThumbnailY);
    game.RunFrames(2);
    EXPECT_FALSE(Card.IsShowing());
    EXPECT_EQ(CMenu::GetPage(), MENU_PICTURES) << "the click that closed the card chose no picture";

    game.TapKey(VK_OEM_2);  // the ? key
    EXPECT_EQ(Card.GetKind(), CCard::Kind::Help);
    game.TapKey('Q');
    EXPECT_FALSE(Card.IsShowing());
    EXPECT_FALSE(InputMgr.AnyKeyDown());

    const auto menu = CCard::HelpRows(STATE_MENU, false);
    const auto play = CCard::HelpRows(STATE_GAME, false);
    const auto solved = CCard::HelpRows(STATE_GAME, true);
    for (const auto* rows : {&menu, &play, &solved}) {
        EXPECT_TRUE(HasRow(*rows, "M", "MUSIC ON OR OFF"));
        EXPECT_TRUE(HasRow(*rows, "ALT+ENTER", "FULL SCREEN OR A WINDOW"));
        EXPECT_TRUE(HasRow(*rows, "F1, ?", "THIS CARD"));
    }
    EXPECT_TRUE(HasRow(play, "CTRL+Z", "UNDO"));
    EXPECT_TRUE(HasRow(play, "CTRL+Y, CTRL+SHIFT+Z", "REDO"));
    EXPECT_TRUE(HasRow(play, "P, PAUSE", "PAUSE: THE CLOCK STOPS"));
    EXPECT_TRUE(HasRow(play, "ESCAPE", "SAVE THE PUZZLE AND QUIT"));
    EXPECT_TRUE(HasRow(play, "WHEEL, +, -", "ZOOM THE TABLE"));
    EXPECT_TRUE(HasRow(menu, "PAGE UP, PAGE DOWN", "TURN THE PICTURE PAGES"));
    EXPECT_FALSE(HasRow(menu, "CTRL+Z", "UNDO"));
    EXPECT_FALSE(HasRow(solved, "P, PAUSE", "PAUSE: THE CLOCK STOPS"));
    EXPECT_TRUE(HasRow(solved, "ANY KEY, CLICK", "BACK TO THE PICTURES"));

    // During play the card stops the clock too, and Escape still quits.
    StartPuzzle(448, 300, 4);
    game.SetFrameStep(0.25);
    game.RunFrames(1);
    game.TapKey(VK_F1);
    const float before = Game.GetPlayTime();
    game.RunFrames(40);
    EXPECT_EQ(Game.GetPlayTime(), before);
    game.PressKey(VK_ESCAPE);
    EXPECT_EQ(game.RunFrames(3), 0);
}

// The first run shows "F1: HELP" on the board for some seconds of play; F1
// ends it at once.
TEST_F(AwayAndPauseTest, TheFirstRunsHintShowsForSecondsOfPlay)
{
    Begin();
    ASSERT_GT(App.GetHintSecondsLeft(), 0.0f);
    // Nothing of the puzzle where the hint goes.
    for (int piece = 0; piece < 16; ++piece) PlaceImage(piece, 200.0f + (piece % 4) * 120, 60.0f + (piece / 4) * 90);
    game.RunFrames(2);
    const int withHint = BoardPixels(kHintLeft, kHintTop, kHintRight, kHintBottom);
    game.Queue(InputEvent::Focus(false));
    game.RunFrames(100);  // away: the hint waits for play
    EXPECT_GT(App.GetHintSecondsLeft(), 0.0f);
    EXPECT_EQ(BoardPixels(kHintLeft, kHintTop, kHintRight, kHintBottom), withHint);
    game.Queue(InputEvent::Focus(true));
    ASSERT_TRUE(game.RunUntil([] { return App.GetHintSecondsLeft() == 0.0f; }, 60));
    game.RunFrames(1);
    const int clear = (kHintRight - kHintLeft) * (kHintBottom - kHintTop);
    EXPECT_LT(withHint, clear - 40) << "the hint's letters cover the board";
    EXPECT_EQ(BoardPixels(kHintLeft, kHintTop, kHintRight, kHintBottom), clear);
}

TEST(HintTest, LaterRunsShowNoHint)
{
    HeadlessGame game;
    game.WriteFolder().Write("conf.pvd", "NumRunForUpdate 3\n");
    game.Start();
    EXPECT_EQ(App.GetHintSecondsLeft(), 0.0f);
    game.Finish();
}

}  // namespace
}  // namespace board_test
