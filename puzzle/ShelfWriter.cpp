// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/ShelfWriter.h"

#include <utility>

#include "platform/AtomicFile.h"

ShelfWriter& ShelfWriter::Instance()
{
    static ShelfWriter writer;
    return writer;
}

ShelfWriter::~ShelfWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (thread.joinable()) thread.join();
}

void ShelfWriter::Post(const std::string& path, std::string text)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        pending[path] = std::move(text);
        if (!thread.joinable()) thread = std::thread([this] { Run(); });
    }
    wake.notify_all();
}

void ShelfWriter::Flush()
{
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return pending.empty() && !writing; });
}

std::vector<std::string> ShelfWriter::TakeFailures()
{
    std::lock_guard<std::mutex> lock(mutex);
    return std::exchange(failures, {});
}

void ShelfWriter::Run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || !pending.empty(); });
        // What is pending is written before the thread ends.
        if (pending.empty()) return;
        auto next = pending.begin();
        const std::string path = next->first;
        const std::string text = std::move(next->second);
        pending.erase(next);
        writing = true;
        lock.unlock();
        AtomicFile file;
        bool written = file.Begin(path.c_str());
        if (written) {
            file.Write(text.data(), text.size());
            written = file.Commit();
        }
        const std::string why = written ? std::string() : file.Error();
        lock.lock();
        writing = false;
        if (!written) failures.push_back(path + " (" + why + ")");
        if (pending.empty()) idle.notify_all();
    }
}
