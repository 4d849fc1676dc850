// SPDX-License-Identifier: GPL-3.0-or-later
// Buttons and sliders inside the running game: strict hit boxes, the toggle's
// look, one action per press, one hover sound per entry, and the slider's
// mapping between knob and value.
#include "ScreensFixture.h"

#include "app/CApp.h"
#include "screens/CButton.h"
#include "screens/CSlider.h"

using namespace screens_test;

namespace {

int actionRuns = 0;
void CountAction() { ++actionRuns; }

class WidgetTest : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        ToMenu();
        button.Load(kActive40x20, kNoActive40x20, 100, 50);
        actionRuns = 0;
    }
    void TearDown() override
    {
        button.Release();
        ScreensTest::TearDown();
    }

    // Updates the button with the cursor at (x, y) and answers the colour it drew inside.
    Colour DrawnAt(int x, int y)
    {
        SetCursor(x, y);
        button.Update();
        return App.GetBackDC().GetPixel(120, 60);
    }

    CButton button;
};

TEST_F(WidgetTest, TheHitBoxLeavesOutTheFirstRowAndColumnAndTakesInTheLast)
{
    struct Case {
        int x, y;
        bool over;
    } cases[] = {{101, 51, true},  {139, 69, true},  {120, 60, true},  {100, 60, false}, {120, 50, false},
                 {140, 60, false}, {120, 70, false}, {99, 49, false},  {139, 51, true}};
    for (const Case& c : cases) {
        SetCursor(c.x, c.y);
        EXPECT_EQ(button.IsMouseOver(), c.over) << c.x << ", " << c.y;
    }
}

TEST_F(WidgetTest, AToggleShowsItsMarkOnlyOnceTheCursorLeaves)
{
    button.LoadToggle(kToggle40x20);
    EXPECT_EQ(DrawnAt(10, 10), kGreen);
    auto clickAt = [&](int x, int y) {
        SetCursor(x, y);
        InputMgr.SetLeftButton(true);
        EXPECT_EQ(DrawnAt(x, y), kRed);  // pressed: hovered look
        InputMgr.SetLeftButton(false);
        return DrawnAt(x, y);
    };
    EXPECT_EQ(clickAt(120, 60), kRed);  // released on it: clicked, still hovered
    EXPECT_TRUE(button.IsToggled());
    EXPECT_EQ(DrawnAt(10, 10), kBlue);
    clickAt(120, 60);
    EXPECT_FALSE(button.IsToggled());
    EXPECT_EQ(DrawnAt(10, 10), kGreen);
    clickAt(120, 60);
    button.ResetToggle();
    EXPECT_FALSE(button.IsToggled());
}

// A click is a press and a release both on the button; the press is the
// button's from the start, so nothing under the button sees it.
TEST_F(WidgetTest, OnlyAPressAndAReleaseBothOnTheButtonClickIt)
{
    button.SetAction(CountAction);
    struct Path {
        Point press, release;
        bool clicks;
    } paths[] = {
        {{120, 60}, {120, 60}, true},   // a plain click
        {{101, 51}, {139, 69}, true},   // moved within the button
        {{60, 60}, {120, 60}, false},   // slid on from elsewhere: a drag's drop
        {{120, 60}, {60, 60}, false},   // slid off before the release: let go
        {{100, 60}, {120, 60}, false},  // pressed just outside the hit box
        {{300, 300}, {300, 300}, false},
    };
    for (const Path& path : paths) {
        actionRuns = 0;
        SetCursor(path.press.x, path.press.y);
        InputMgr.SetLeftButton(true);
        EXPECT_FALSE(button.Update());
        const bool pressTaken = !InputMgr.IsLeftButtonDown();
        const bool pressOnButton = 100 < path.press.x && path.press.x < 140 && 50 < path.press.y && path.press.y < 70;
        EXPECT_EQ(pressTaken, pressOnButton) << "a press on the button is its own";
        SetCursor((path.press.x + path.release.x) / 2, (path.press.y + path.release.y) / 2);
        EXPECT_FALSE(button.Update());
        SetCursor(path.release.x, path.release.y);
        EXPECT_FALSE(button.Update());
        InputMgr.SetLeftButton(false);
        EXPECT_EQ(button.Update(), path.clicks) << path.press.x << "," << path.press.y;
        EXPECT_EQ(actionRuns, path.clicks ? 1 : 0);
        for (int frame = 0; frame < 3; ++frame) EXPECT_FALSE(button.Update());
        EXPECT_EQ(actionRuns, path.clicks ? 1 : 0) << "one click, one action";
    }
}

TEST_F(WidgetTest, APressTakenByOneButtonNeverClicksAnotherOrOneNotUpdatedAtItsEnd)
{
    CButton other;
    other.Load(kActive40x20, kNoActive40x20, 200, 50);
    other.SetAction(CountAction);
    SetCursor(120, 60);
    InputMgr.SetLeftButton(true);
    button.Update();
    other.Update();
    SetCursor(220, 60);
    InputMgr.SetLeftButton(false);
    EXPECT_FALSE(button.Update());
    EXPECT_FALSE(other.Update());

    // Pressed on it, then the button is off screen for a while: the release it
    // never saw does not click it when it comes back.
    SetCursor(120, 60);
    InputMgr.SetLeftButton(true);
    button.Update();
    InputMgr.SetLeftButton(false);
    InputMgr.EndFrame();
    InputMgr.EndFrame();
    EXPECT_FALSE(button.Update());
    EXPECT_EQ(actionRuns, 0);
    other.Release();
}

TEST_F(WidgetTest, AButtonWithoutActionAnswersTheClickOnceAndConsumesItsPress)
{
    SetCursor(120, 60);
    InputMgr.SetLeftButton(true);
    EXPECT_FALSE(button.Update());
    EXPECT_FALSE(InputMgr.IsLeftButtonDown());
    EXPECT_TRUE(InputMgr.IsLeftButtonHeld());
    InputMgr.SetLeftButton(false);
    EXPECT_TRUE(button.Update());
    EXPECT_FALSE(button.Update());
}

TEST_F(WidgetTest, TheHoverSoundPlaysOncePerEntryAndNotWhileResting)
{
    if (SoundMgr.IsSilent()) GTEST_SKIP() << "no audio device";
    auto hoverAt = [&](int x, int y) {
        SoundMgr.Update();  // starts what earlier updates queued
        SetCursor(x, y);
        button.Update();
        return QueuedHoverSounds();
    };
    // Never updated before: the first look under the cursor is silent.
    EXPECT_EQ(hoverAt(120, 60), 0);
    EXPECT_EQ(hoverAt(10, 10), 0);
    EXPECT_EQ(hoverAt(120, 60), 1);
    EXPECT_EQ(hoverAt(121, 61), 0);
    EXPECT_EQ(hoverAt(122, 60), 0);
    EXPECT_EQ(hoverAt(300, 300), 0);
    EXPECT_EQ(hoverAt(120, 60), 1);
}

TEST(SliderTest, TheKnobAndTheValueFollowTheLineThroughTheEnds)
{
    CSlider slider;
    slider.SetRangeX(40, 208);
    slider.SetRange(4, 13);
    struct Case {
        float x;
        int value;
        float knob;
    } cases[] = {{40, 4, 40}, {96, 7, 96}, {208, 13, 208}, {300, 13, 208}, {-5, 4, 40}, {114.67f, 8, 114.67f}};
    for (const Case& c : cases) {
        slider.SetKnobX(c.x);
        EXPECT_EQ(slider.GetValue(), c.value) << c.x;
        EXPECT_FLOAT_EQ(slider.GetKnobX(), c.knob) << c.x;
    }
    slider.SetValue(8);
    EXPECT_NEAR(slider.GetKnobX(), 114.67f, 0.01f);
    slider.SetValue(20);  // kept as given; the knob stops at the end
    EXPECT_EQ(slider.GetValue(), 20);
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 208);
}

TEST(SliderTest, ARangeOfOneValueNeitherDividesByZeroNorLosesTheKnob)
{
    CSlider slider;
    slider.SetRangeX(40, 208);
    slider.SetRange(5, 5);
    slider.SetValue(5);
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 40);
    slider.SetKnobX(150);
    EXPECT_EQ(slider.GetValue(), 5);
}

TEST_F(WidgetTest, OnlyAPressOnTheTrackOrKnobMovesTheKnobAndTheDragThenFollowsTheCursor)
{
    CSlider slider;
    slider.Load(kActive40x20, kNoActive40x20);
    slider.SetRangeX(40, 208);
    slider.SetRange(4, 13);
    slider.SetValue(4);
    SetCursor(140, 500);  // far below the track
    InputMgr.SetLeftButton(true);
    slider.Update();
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 40);
    SetCursor(140, 332);  // the track's top row lies outside, as the knob's does
    slider.Update();
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 40);
    SetCursor(248, 340);  // the track ends at maxX + knob width, strictly
    slider.Update();
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 40);
    SetCursor(140, 340);  // slid onto the track: the press began elsewhere
    slider.Update();
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 40);
    EXPECT_FALSE(slider.IsDragging());

    InputMgr.SetLeftButton(false);
    InputMgr.SetLeftButton(true);  // pressed on the track
    slider.Update();
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 120);
    SetCursor(247, 10);  // held: the drag follows the cursor off the track
    slider.Update();
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 208);
    EXPECT_EQ(slider.GetValue(), 13);
    EXPECT_TRUE(InputMgr.IsLeftButtonDown());  // the slider consumes nothing
    InputMgr.SetLeftButton(false);
    SetCursor(60, 340);
    slider.Update();
    EXPECT_FLOAT_EQ(slider.GetKnobX(), 208);
    EXPECT_FALSE(slider.IsDragging());
    slider.Release();
}

}  // namespace
