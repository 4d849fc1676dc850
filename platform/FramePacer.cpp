// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FramePacer.h"

#include <algorithm>

namespace {

// Presents that wait for the refresh come about one period apart; a driver
// that only claims vsync returns much sooner.
constexpr double kVsyncEvidence = 0.5;
// How many frames to watch before trusting (or not) what vsync does.
constexpr int kFramesToJudge = 30;
// Weight of the newest interval in the running mean.
constexpr double kMeanWeight = 0.1;

}  // namespace

void FramePacer::SetRefreshRate(int refreshRate)
{
    period = 1.0 / (refreshRate > 0 ? refreshRate : 60);
}

void FramePacer::SetVsyncClaimed(bool claimed)
{
    vsyncClaimed = claimed;
    intervalsSeen = 0;
    unwaitedInterval = 0;
}

bool FramePacer::IsTimingFrames() const
{
    if (!vsyncClaimed) return true;
    // Until enough frames were seen, trust the claim.
    return intervalsSeen >= kFramesToJudge && unwaitedInterval < kVsyncEvidence * period;
}

double FramePacer::WaitAfterPresent(double now)
{
    if (havePresent) {
        double interval = std::max(0.0, now - lastPresent - lastWait);
        unwaitedInterval = intervalsSeen == 0 ? interval : unwaitedInterval + kMeanWeight * (interval - unwaitedInterval);
        ++intervalsSeen;
    }
    havePresent = true;
    lastPresent = now;
    lastWait = 0;
    if (!IsTimingFrames()) {
        nextFrame = now;  // the refresh set the beat
        return 0;
    }
    return NextBeat(now);
}

double FramePacer::WaitWithoutPresent(double now)
{
    // The next present's interval would hold this frame's wait as well: it
    // says nothing about vsync.
    havePresent = false;
    lastWait = 0;
    return NextBeat(now);
}

// Frames start one period apart; a frame that ran late starts the count
// afresh instead of hurrying the next ones.
double FramePacer::NextBeat(double now)
{
    nextFrame += period;
    if (nextFrame < now) {
        nextFrame = now;
    } else if (nextFrame > now + period) {
        nextFrame = now + period;  // the clock went back: never wait more than a period
    }
    return nextFrame - now;
}

void FramePacer::WaitDone(double seconds) { lastWait = std::max(0.0, seconds); }
