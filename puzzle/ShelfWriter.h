// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the puzzles saved during play on a thread of its own, so that the
// disk's sync (often longer than a frame) never holds a frame back. Each
// file is written whole or not at all (AtomicFile); a newer text for a file
// replaces one still waiting. The rest of the game stays on its one thread:
// the writer only ever sees a path and the text, and reports failures back
// through TakeFailures.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ShelfWriter {
public:
    static ShelfWriter& Instance();
    ~ShelfWriter();

    // Hands over the whole text of the file at `path` (CR LF line ends as
    // the game's text files have them).
    void Post(const std::string& path, std::string text);
    // Returns once everything handed over is on the disk (or failed).
    void Flush();
    // What went wrong since the last call, one sentence per file, for the log.
    std::vector<std::string> TakeFailures();

private:
    ShelfWriter() = default;
    void Run();

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::map<std::string, std::string> pending;
    bool writing = false;
    bool stopping = false;
    std::vector<std::string> failures;
    std::thread thread;
};
