// SPDX-License-Identifier: GPL-3.0-or-later
// A test with a folder of its own that serves as the program folder (sound
// files go under it) and the write folder, and SDL's disk audio driver, whose
// output file the test can read back to hear what was mixed.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "TestSounds.h"

class SoundTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file under the program folder, e.g. "Sounds/x.wav".
    void WriteSoundFile(const std::string& name, const Bytes& bytes);
    void RemoveSoundFile(const std::string& name);

    // Selects an audio driver that does not exist: the device cannot open.
    static void UseNoAudioDevice();

    // Bytes the device has mixed so far: signed 16-bit stereo frames.
    std::size_t OutputSize() const;
    // The loudest sample of the output between two byte offsets.
    int OutputPeak(std::size_t from, std::size_t to) const;

    // Starts collecting the game's log; LoggedText returns what it received.
    void StartLogCapture();
    std::string LoggedText();

    // Polls until the condition holds or the time is up.
    static bool WaitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds bound = std::chrono::seconds(10));

    std::string folder;

private:
    bool capturing = false;
};
