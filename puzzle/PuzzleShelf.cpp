// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/PuzzleShelf.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <system_error>
#include <utility>

#include "core/CLog.h"
#include "puzzle/SavedGameFile.h"
#include "puzzle/ShelfWriter.h"
#include "core/CFile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtension = ".pvs";

// 64-bit FNV-1a: the same path gives the same file name on every run.
std::uint64_t Digest(const std::string& text)
{
    std::uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

fs::path InWriteFolder(const std::string& name) { return fs::path(CFile::GetWriteFolder()) / name; }

}  // namespace

std::string PuzzleShelf::FileFor(const std::string& imageName)
{
    static const std::regex gamePicture(R"(data/images/image([0-9]{1,2})\.bmp)");
    std::smatch match;
    std::string file;
    if (std::regex_match(imageName, match, gamePicture)) {
        file = "image" + match[1].str();
    } else {
        char digits[32];
        std::snprintf(digits, sizeof digits, "own-%016llx", static_cast<unsigned long long>(Digest(imageName)));
        file = digits;
    }
    return std::string(kFolder) + "/" + file + kExtension;
}

bool PuzzleShelf::Put(const SavedGame& game, std::string* why)
{
    // A write still waiting must not land over this newer one.
    ShelfWriter::Instance().Flush();
    std::error_code error;
    fs::create_directories(InWriteFolder(kFolder), error);
    const std::string file = FileFor(game.imageName);
    const bool isNew = !fs::exists(InWriteFolder(file), error);
    if (!SavedGameFile::Write(file.c_str(), game, why)) return false;
    if (isNew) Trim(kMostKept, file);
    return true;
}

void PuzzleShelf::PutInBackground(const SavedGame& game)
{
    for (const std::string& failure : ShelfWriter::Instance().TakeFailures())
        Log.Write("PuzzleShelf: Couldn't keep the puzzle in %s\n", failure.c_str());
    std::error_code error;
    fs::create_directories(InWriteFolder(kFolder), error);
    const std::string file = FileFor(game.imageName);
    const bool isNew = !fs::exists(InWriteFolder(file), error);
    std::string text;
    for (char c : SavedGameFile::Text(game)) {
        if (c == '\n') text += '\r';  // the text files' line ends
        text += c;
    }
    ShelfWriter::Instance().Post(InWriteFolder(file).string(), std::move(text));
    if (isNew) Trim(kMostKept, file);
}

void PuzzleShelf::Flush() { ShelfWriter::Instance().Flush(); }

void PuzzleShelf::Remove(const std::string& imageName)
{
    ShelfWriter::Instance().Flush();
    std::error_code error;
    if (fs::remove(InWriteFolder(FileFor(imageName)), error))
        Log.Write("PuzzleShelf: %s taken off the shelf\n", FileFor(imageName).c_str());
}

std::vector<std::string> PuzzleShelf::NewestFirst()
{
    ShelfWriter::Instance().Flush();
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code error;
    for (fs::directory_iterator it(InWriteFolder(kFolder), error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (path.extension() != kExtension || !it->is_regular_file(error)) continue;
        const fs::file_time_type when = it->last_write_time(error);
        if (error) continue;
        found.emplace_back(when, std::string(kFolder) + "/" + path.filename().string());
    }
    // Newest first; equal times by name, so that the order is the same every run.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<std::string> names;
    for (auto& entry : found) names.push_back(std::move(entry.second));
    return names;
}

void PuzzleShelf::Trim(int most, const std::string& keep)
{
    // Room for `keep`, whether or not its file is there yet, and most - 1 others.
    const std::vector<std::string> names = NewestFirst();
    int room = most - 1;
    for (const std::string& name : names) {
        if (name == keep) continue;
        if (room > 0) {
            --room;
            continue;
        }
        std::error_code error;
        fs::remove(InWriteFolder(name), error);
        Log.Write("PuzzleShelf: more than %i puzzles kept, %s (the least recently played) dropped\n", most,
                  name.c_str());
    }
}

PuzzleShelf::Progress PuzzleShelf::ProgressOf(const SavedGame& game)
{
    Progress progress;
    progress.pieces = game.piecesX * game.piecesY;
    for (const SavedGroup& group : game.groups) {
        if (group.members.size() > 1) progress.joined += static_cast<int>(group.members.size());
    }
    return progress;
}

bool PuzzleShelf::Peek(const std::string& imageName, SavedGame& game)
{
    const std::string file = FileFor(imageName);
    switch (SavedGameFile::Read(file.c_str(), game)) {
    case SavedGameFile::ReadResult::Read: return true;
    case SavedGameFile::ReadResult::Missing: return false;
    case SavedGameFile::ReadResult::Damaged: break;
    }
    Log.Write("PuzzleShelf: %s is damaged, skipped\n", file.c_str());
    return false;
}
