// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the frame loop to the display's refresh rate so that the game does not
// spin a processor core. Where presenting a frame waits for the display's
// refresh by itself (vsync), nothing more is needed; where it does not, the
// pacer asks for a wait until the next refresh period. Whether vsync really
// holds frames back is watched rather than believed: some drivers claim it and
// return at once.
//
// Pure arithmetic over times in seconds, so that it can be tested without a clock.
#pragma once

class FramePacer {
public:
    // refreshRate in Hz; 0 or less means unknown, taken as 60.
    void SetRefreshRate(int refreshRate);
    // Whether the renderer says its presents wait for the refresh.
    void SetVsyncClaimed(bool claimed);

    // Called right after a frame was presented, at `now`. Answers how long to
    // wait, in seconds, before the next frame starts; the caller waits and
    // then reports the wait it really made with WaitDone.
    double WaitAfterPresent(double now);
    // Called instead when a frame was not presented (it showed nothing new):
    // no refresh held it back, so it is always timed to the beat. Answers the
    // wait, as WaitAfterPresent does.
    double WaitWithoutPresent(double now);
    void WaitDone(double seconds);

    double Period() const { return period; }
    bool IsTimingFrames() const;

private:
    double NextBeat(double now);

    double period = 1.0 / 60.0;
    bool vsyncClaimed = false;
    bool havePresent = false;
    double lastPresent = 0;   // when the previous present returned
    double nextFrame = 0;     // when the next frame may start (with vsync: when the last present returned)
    double lastWait = 0;      // the wait made after the previous present
    double unwaitedInterval = 0;  // running mean of present-to-present times without our own waits
    int intervalsSeen = 0;
};
