// SPDX-License-Identifier: GPL-3.0-or-later
// A player's picture being opened: the file is read and decoded on a thread
// of its own, so that the window keeps drawing and answering however long
// that takes. The thread touches nothing of the game's; it decodes into its
// own picture, which the frame takes over once it is done. While it runs, the
// screen behind stands still; after a moment a notice says that a picture is
// being opened, and Escape gives up on it. After kGiveUpSeconds the game gives
// up on it by itself and says that the picture takes too long to open.
//
// A decoder that cannot be stopped may go on after the game gave up on it;
// its picture is then thrown away, and the next picture waits for it (one
// decodes at a time, so that two never hold the memory budget). A game that ends while one still runs
// ends without waiting for it (see EndProcessIfStillDecoding).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/Surface.h"
#include "resources/CMgrImage.h"

class CPictureOpening {
public:
    static constexpr double kNoticeSeconds = 0.3;
    static constexpr double kGiveUpSeconds = 10;
    static constexpr const char* kNotice = "Opening the picture... Press Escape to stop.";

    ~CPictureOpening();

    // Starts opening the file; the sizes are those the copies are wanted at.
    void Start(const std::string& path, float workSize, float minSide, int scale = 1);
    bool IsBusy() const { return job != nullptr; }
    // Once decoding is done (or given up on), takes its result and the path;
    // false while it still runs or when nothing is being opened.
    bool TakeResult(CMgrImage::DecodedPicture& result, std::string& path);
    // A key going down while busy: Escape gives up on the picture. Every key
    // is the opening's while it runs (the game must not see it).
    bool OnKeyDown(int key);
    // Called by the frame in place of the screen's own update: the screen as
    // it last was, and the notice over it once the moment has passed.
    void Update(Surface& back);
    // Forgets a picture being opened (a fresh start).
    void Clear();

    // Test hook: decode at once on the calling thread (headless tests step
    // frames faster than any decoder, and want the result in the same frame).
    static void DecodeAtOnce(bool atOnce) { decodeAtOnce = atOnce; }
    // Decoding threads still running, given up on or not.
    static int RunningThreads() { return running.load(); }
    // The way out of a game that ends while a decoder still runs in a library
    // that cannot be stopped: everything the game writes is written and
    // closed by then, so the process ends at once without waiting for it.
    static void EndProcessIfStillDecoding(int exitCode);

private:
    struct Job;
    void GiveUp();

    std::shared_ptr<Job> job;
    std::thread worker;
    std::string path;
    bool noticeShown = false;

    static bool decodeAtOnce;
    static std::atomic<int> running;
};

extern CPictureOpening PictureOpening;
