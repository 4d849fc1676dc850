// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/PuzzleShelf.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <system_error>
#include <string>
#include <utility>
#include <vector>

#include "core/CFile.h"
#include "core/CLog.h"
#include "platform/BmpCodec.h"
#include "platform/BmpWriter.h"
#include "platform/PictureScaler.h"
#include "puzzle/SavedGameFile.h"
#include "puzzle/ShelfWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtension = ".pvs";
constexpr const char* kThumbnailExtension = ".bmp";
constexpr const char* kOwnPrefix = "own-";
// A thumbnail at the largest scale is under half a megabyte; a larger file is
// no thumbnail of ours and is not read.
constexpr std::uint32_t kLargestThumbnailFile = 1u << 20;

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

std::string PuzzleShelf::ThumbnailFor(const std::string& imageName) { return ThumbnailBeside(FileFor(imageName)); }

std::string PuzzleShelf::ThumbnailBeside(const std::string& puzzleFile)
{
    return fs::path(puzzleFile).replace_extension(kThumbnailExtension).generic_string();
}

bool PuzzleShelf::IsOwnFile(const std::string& puzzleFile)
{
    return fs::path(puzzleFile).filename().string().rfind(kOwnPrefix, 0) == 0;
}

bool PuzzleShelf::Put(const SavedGame& game, std::string* why)
{
    // A write still waiting must not land over this newer one.
    ShelfWriter::Instance().Flush();
    std::error_code error;
    fs::create_directories(InWriteFolder(kFolder), error);
    const std::string file = FileFor(game.imageName);
    return SavedGameFile::Write(file.c_str(), game, why);
}

void PuzzleShelf::PutInBackground(const SavedGame& game)
{
    for (const std::string& failure : ShelfWriter::Instance().TakeFailures())
        Log.Write("PuzzleShelf: Couldn't keep the puzzle in %s\n", failure.c_str());
    std::error_code error;
    fs::create_directories(InWriteFolder(kFolder), error);
    const std::string file = FileFor(game.imageName);
    std::string text;
    for (char c : SavedGameFile::Text(game)) {
        if (c == '\n') text += '\r';  // the text files' line ends
        text += c;
    }
    ShelfWriter::Instance().Post(InWriteFolder(file).string(), std::move(text));
}

void PuzzleShelf::Flush() { ShelfWriter::Instance().Flush(); }

void PuzzleShelf::Remove(const std::string& imageName)
{
    ShelfWriter::Instance().Flush();
    std::error_code error;
    if (fs::remove(InWriteFolder(FileFor(imageName)), error))
        Log.Write("PuzzleShelf: %s taken off the shelf\n", FileFor(imageName).c_str());
}

void PuzzleShelf::RemoveFile(const std::string& puzzleFile, bool withThumbnail)
{
    ShelfWriter::Instance().Flush();
    std::error_code error;
    if (fs::remove(InWriteFolder(puzzleFile), error))
        Log.Write("PuzzleShelf: %s taken off the shelf\n", puzzleFile.c_str());
    if (withThumbnail) fs::remove(InWriteFolder(ThumbnailBeside(puzzleFile)), error);
}

bool PuzzleShelf::WrittenAt(const std::string& file, fs::file_time_type& when)
{
    std::error_code error;
    when = fs::last_write_time(InWriteFolder(file), error);
    return !error;
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

Surface PuzzleShelf::MakeThumbnail(const Surface& picture)
{
    if (picture.IsEmpty()) return {};
    const int scale = std::clamp(picture.Scale(), 1, kLargestThumbnailScale);
    const int longer = std::max(picture.Width(), picture.Height());
    // Both sides a whole number of units, so that the surface keeps its scale.
    auto units = [&](int side) {
        return std::max(1, static_cast<int>(std::lround(static_cast<double>(side) * kThumbnailBox / longer)));
    };
    Surface thumbnail = PictureScaler::Resize(picture, units(picture.Width()) * scale, units(picture.Height()) * scale);
    thumbnail.TakeScale(scale);
    return thumbnail;
}

void PuzzleShelf::PutThumbnail(const std::string& imageName, const Surface& thumbnail)
{
    const std::vector<unsigned char> bytes = BmpWriter::Encode(thumbnail);
    if (bytes.empty()) return;
    std::error_code error;
    fs::create_directories(InWriteFolder(kFolder), error);
    ShelfWriter::Instance().Post(InWriteFolder(ThumbnailFor(imageName)).string(),
                                 std::string(bytes.begin(), bytes.end()));
}

void PuzzleShelf::TouchThumbnail(const std::string& imageName)
{
    ShelfWriter::Instance().Flush();
    std::error_code error;
    fs::last_write_time(InWriteFolder(ThumbnailFor(imageName)), fs::file_time_type::clock::now(), error);
}

bool PuzzleShelf::ReadThumbnail(const std::string& file, Surface& thumbnail)
{
    CFile in;
    if (!in.Open(file.c_str(), FILE_READ)) return false;
    const std::uint32_t size = in.GetSize();
    if (size > kLargestThumbnailFile) {
        Log.Write("PuzzleShelf: %s is too large for a thumbnail, not read\n", file.c_str());
        return false;
    }
    std::vector<unsigned char> bytes(size);
    const bool read = in.Read(bytes.data(), size) == size;
    in.Close();
    std::string reason;
    if (!read || !DecodeThumbnail(bytes.data(), bytes.size(), thumbnail, &reason)) {
        Log.Write("PuzzleShelf: thumbnail %s is damaged (%s), not shown\n", file.c_str(),
                  read ? reason.c_str() : "cut short");
        return false;
    }
    return true;
}

bool PuzzleShelf::DecodeThumbnail(const void* data, std::size_t size, Surface& thumbnail, std::string* reason)
{
    constexpr int kLargestSide = kThumbnailBox * kLargestThumbnailScale;
    Surface decoded;
    if (!BmpCodec::Decode(data, size, decoded, reason, static_cast<long long>(kLargestSide) * kLargestSide))
        return false;
    const int longer = std::max(decoded.Width(), decoded.Height());
    const int scale = longer / kThumbnailBox;
    if (longer % kThumbnailBox != 0 || scale < 1 || scale > kLargestThumbnailScale ||
        std::min(decoded.Width(), decoded.Height()) % scale != 0) {
        if (reason)
            *reason = "a picture of " + std::to_string(decoded.Width()) + " x " + std::to_string(decoded.Height()) +
                      " pixels is no thumbnail";
        return false;
    }
    decoded.TakeScale(scale);
    thumbnail = std::move(decoded);
    return true;
}
