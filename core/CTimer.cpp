// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CTimer.h"

#include "platform/SystemClock.h"

CTimer Timer;

Clock& CTimer::Source() { return source ? *source : SystemClock::Instance(); }

double CTimer::ReadSeconds()
{
    return static_cast<double>(Source().Counter()) / static_cast<double>(frequency);
}

void CTimer::Init()
{
    frequency = Source().Frequency();
    if (frequency <= 0) frequency = 1;  // a counter without a rate would divide by zero
    startTime = ReadSeconds();
    now = startTime;
    elapsed = 0;
    delta = 0;
}

void CTimer::Update()
{
    if (frequency <= 0) Init();  // used before Init: start the clock now
    now = ReadSeconds();
    if (now < startTime) startTime = now;  // the counter went back
    float sinceStart = static_cast<float>(now - startTime);
    delta = sinceStart - elapsed;
    elapsed = sinceStart;
}

void CTimer::SkipPause()
{
    if (frequency <= 0) return;  // not started: the first update covers everything anyway
    double current = ReadSeconds();
    if (current < startTime) return;  // the counter went back: Update copes with that
    elapsed = static_cast<float>(current - startTime);
}

double CTimer::ReadNow()
{
    if (frequency <= 0) Init();
    return ReadSeconds();
}

std::uint32_t CTimer::GetMilliseconds() { return Source().Milliseconds(); }
