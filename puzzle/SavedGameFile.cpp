// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/SavedGameFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Paths.h"
#include "core/CFile.h"
#include "resources/CParser.h"

namespace {

constexpr int kLargestCut = SavedGameFile::kLargestCut;
constexpr int kMostPieces = SavedGameFile::kMostPieces;
// More steps of zoom than any table has.
constexpr int kMostViewSteps = 1000;

// A whole decimal number filling the token: optional sign, digits, in range.
bool ParseInteger(const char* token, int& value)
{
    if (!token) return false;
    char* stop = nullptr;
    errno = 0;
    const long parsed = std::strtol(token, &stop, 10);
    if (stop == token || *stop != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

// The edge style as saved with two decimals: one of the four styles.
bool ParseSmoothType(const char* token, float& value)
{
    char* stop = nullptr;
    const float parsed = std::strtof(token, &stop);
    if (stop == token || *stop != '\0') return false;
    for (float style : {CCutPreview::kSmoothNone, CCutPreview::kSmoothEasy, CCutPreview::kSmoothMedium,
                        CCutPreview::kSmoothHard}) {
        if (std::fabs(parsed - style) < 0.005f) {
            value = style;
            return true;
        }
    }
    return false;
}

// Reads the keywords of a saved game in order. A keyword's values follow it
// on the same line; between entries any white space and "//" comments may
// stand, and words that are no keyword are skipped one by one.
class SavedGameReader {
public:
    SavedGameReader(char* text, char* end, SavedGame& game) : p(text), end(end), game(game) {}

    // False when the file lies: a value that is no number where a number must
    // stand, a group that was never counted, a count that is negative or
    // larger than any cut or than what is left of the file, a name too long.
    bool Read()
    {
        while (char* keyword = TheParser.NextToken(p, end)) {
            p = keyword + TheParser.GetTokenLength();
            Outcome outcome = ReadEntry(keyword);
            if (outcome == Outcome::Lie) return false;
            if (outcome == Outcome::Ended) break;
        }
        return true;
    }

private:
    // Ended: the file stops where a keyword's value should be; what was read
    // so far stands.
    enum class Outcome { Read, Ended, Lie };

    Outcome ReadEntry(const char* keyword)
    {
        if (std::strcmp(keyword, "ImageName") == 0) return ReadImageName();
        if (std::strcmp(keyword, "Border") == 0) {
            const char* value = NextValue();
            if (!value) return Outcome::Ended;
            int on = 0;
            game.border = ParseInteger(value, on) && on == 1;  // any other value is off
            return Outcome::Read;
        }
        if (std::strcmp(keyword, "SmoothType") == 0) {
            const char* value = NextValue();
            if (!value) return Outcome::Ended;
            return ParseSmoothType(value, game.smoothType) ? Outcome::Read : Outcome::Lie;
        }
        if (std::strcmp(keyword, "Time") == 0) return ReadPlayTime();
        if (std::strcmp(keyword, "View") == 0) return ReadView();
        if (std::strcmp(keyword, "NumberOfPiecesX") == 0) return ReadSingle(game.piecesX);
        if (std::strcmp(keyword, "NumberOfPiecesY") == 0) return ReadSingle(game.piecesY);
        if (std::strcmp(keyword, "NumberOfGroups") == 0) return ReadGroupCount();
        if (std::strcmp(keyword, "Group") == 0) return ReadGroupPosition();
        if (std::strcmp(keyword, "InGroup") == 0) return ReadGroupList(&SavedGroup::members);
        if (std::strcmp(keyword, "CanJoin") == 0) return ReadGroupList(&SavedGroup::canJoin);
        return Outcome::Read;  // not a keyword: skipped
    }

    // The next value token; the scan goes on after it.
    char* NextValue()
    {
        char* value = TheParser.NextToken(p, end);
        if (value) p = value + TheParser.GetTokenLength();
        return value;
    }

    Outcome ReadInteger(int& value)
    {
        const char* token = NextValue();
        if (!token) return Outcome::Ended;
        return ParseInteger(token, value) ? Outcome::Read : Outcome::Lie;
    }

    Outcome ReadSingle(int& target)
    {
        int value = 0;
        const Outcome outcome = ReadInteger(value);
        if (outcome == Outcome::Read) target = value;
        return outcome;
    }

    // Seconds of play: a number; one beyond the clock's range starts it at 0.
    Outcome ReadPlayTime()
    {
        const char* value = NextValue();
        if (!value) return Outcome::Ended;
        char* stop = nullptr;
        const float seconds = std::strtof(value, &stop);
        if (stop == value || *stop != '\0') return Outcome::Lie;
        game.playTime = std::isfinite(seconds) && seconds >= 0 && seconds <= SavedGameFile::kLongestPlay ? seconds : 0;
        return Outcome::Read;
    }

    Outcome ReadView()
    {
        const char* values[3] = {};
        for (const char*& value : values) {
            value = NextValue();
            if (!value) return Outcome::Ended;
        }
        int step = 0;
        char* stopX = nullptr;
        char* stopY = nullptr;
        const float x = std::strtof(values[1], &stopX), y = std::strtof(values[2], &stopY);
        // Beyond any table a view is no view; the game holds the rest to its table.
        const float far = static_cast<float>(SavedGameFile::kFarthest);
        const bool numbers = ParseInteger(values[0], step) && step >= 0 && step <= kMostViewSteps && stopX != values[1] &&
                             *stopX == '\0' && stopY != values[2] && *stopY == '\0' && std::fabs(x) <= far &&
                             std::fabs(y) <= far;
        game.hasView = numbers;
        if (numbers) {
            game.viewStep = step;
            game.viewX = x;
            game.viewY = y;
        }
        return Outcome::Read;
    }

    Outcome ReadImageName()
    {
        const char* value = NextValue();
        if (!value) return Outcome::Ended;
        if (TheParser.GetTokenLength() >= static_cast<std::uint32_t>(kMaxPath)) return Outcome::Lie;
        game.imageName = value;
        game.writtenName = value;
        std::replace(game.imageName.begin(), game.imageName.end(), '_', ' ');
        return Outcome::Read;
    }

    // A count of groups, members or candidates: never above the pieces of
    // the largest cut, and each entry needs at least two characters of file.
    bool IsPlausibleCount(int count) const { return count >= 0 && count <= kMostPieces && count <= (end - p) / 2 + 1; }

    Outcome ReadGroupCount()
    {
        int count = 0;
        Outcome outcome = ReadInteger(count);
        if (outcome != Outcome::Read) return outcome;
        if (!IsPlausibleCount(count)) return Outcome::Lie;
        game.groups.assign(static_cast<std::size_t>(count), SavedGroup{});  // discards groups read so far
        return Outcome::Read;
    }

    Outcome ReadGroupIndex(int& group)
    {
        const Outcome outcome = ReadInteger(group);
        if (outcome == Outcome::Read && (group < 0 || group >= static_cast<int>(game.groups.size())))
            return Outcome::Lie;
        return outcome;
    }

    Outcome ReadGroupPosition()
    {
        int group = 0, x = 0, y = 0;
        Outcome outcome = ReadGroupIndex(group);
        if (outcome == Outcome::Read) outcome = ReadInteger(x);
        if (outcome == Outcome::Read) outcome = ReadInteger(y);
        if (outcome != Outcome::Read) return outcome;
        // Held where the writer holds positions, so that a game loaded and
        // saved again writes what it read.
        game.groups[group].x = std::clamp(x, -SavedGameFile::kFarthest, SavedGameFile::kFarthest);
        game.groups[group].y = std::clamp(y, -SavedGameFile::kFarthest, SavedGameFile::kFarthest);
        return Outcome::Read;
    }

    Outcome ReadGroupList(std::vector<int> SavedGroup::*list)
    {
        int group = 0, count = 0;
        Outcome outcome = ReadGroupIndex(group);
        if (outcome == Outcome::Read) outcome = ReadInteger(count);
        if (outcome != Outcome::Read) return outcome;
        if (!IsPlausibleCount(count)) return Outcome::Lie;
        std::vector<int>& entries = game.groups[group].*list;
        for (int i = 0; i < count; ++i) {
            int entry = 0;
            // A list cut short is a damaged file, not an end of reading.
            if (ReadInteger(entry) != Outcome::Read) return Outcome::Lie;
            entries.push_back(entry);
        }
        return Outcome::Read;
    }

    char* p;
    char* end;
    SavedGame& game;
};

// What the picture does not decide: a cut of 1 to kLargestCut pieces each way and at most kMostPieces, every
// piece in exactly one group, no group without members, every candidate a
// piece of the cut.
bool IsConsistent(const SavedGame& game)
{
    if (game.piecesX < 1 || game.piecesY < 1 || game.piecesX > kLargestCut || game.piecesY > kLargestCut ||
        game.piecesX * game.piecesY > kMostPieces)
        return false;
    const int pieceCount = game.piecesX * game.piecesY;
    std::vector<bool> placed(static_cast<std::size_t>(pieceCount), false);
    for (const SavedGroup& group : game.groups) {
        if (group.members.empty()) return false;
        for (int member : group.members) {
            if (member < 0 || member >= pieceCount || placed[member]) return false;
            placed[member] = true;
        }
        for (int candidate : group.canJoin) {
            if (candidate < 0 || candidate >= pieceCount) return false;
        }
    }
    return std::find(placed.begin(), placed.end(), false) == placed.end();
}

}  // namespace

int SavedGameFile::Position(float value)
{
    constexpr float kFar = static_cast<float>(kFarthest);
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::clamp(value, -kFar, kFar));
}

bool SavedGameFile::Parse(char* text, char* end, SavedGame& game)
{
    SavedGameReader reader(text, end, game);
    return reader.Read() && IsConsistent(game);
}

SavedGameFile::ReadResult SavedGameFile::Read(const char* fileName, SavedGame& game)
{
    std::vector<char> text;
    const CParser::ReadResult result = CParser::ReadFile(fileName, text);
    if (result == CParser::ReadResult::Missing) return ReadResult::Missing;
    if (result != CParser::ReadResult::Read) return ReadResult::Damaged;
    char* const end = text.data() + (text.size() - CParser::kPadding);
    return Parse(text.data(), end, game) ? ReadResult::Read : ReadResult::Damaged;
}

namespace {

void Append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& text, const char* format, ...)
{
    char line[64];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0) text.append(line, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof line - 1));
}

}  // namespace

std::string SavedGameFile::Text(const SavedGame& game)
{
    std::string text;
    Append(text, "Border %i\n\n", game.border ? 1 : 0);
    // Words are separated by spaces, so a space in the name goes as "_".
    std::string name = game.imageName;
    std::replace(name.begin(), name.end(), ' ', '_');
    text += "ImageName " + name + "\n\n";
    Append(text, "SmoothType %.2f\n", game.smoothType);
    Append(text, "NumberOfPiecesX %i\n", game.piecesX);
    Append(text, "NumberOfPiecesY %i\n\n", game.piecesY);
    Append(text, "NumberOfGroups %i\n\n", static_cast<int>(game.groups.size()));
    for (int g = 0; g < static_cast<int>(game.groups.size()); ++g) {
        const SavedGroup& group = game.groups[g];
        Append(text, "Group %i %i %i\n", g, group.x, group.y);
        Append(text, "InGroup %i %i", g, static_cast<int>(group.members.size()));
        for (int member : group.members) Append(text, " %i", member);
        text += "\n";
        Append(text, "CanJoin %i %i", g, static_cast<int>(group.canJoin.size()));
        for (int candidate : group.canJoin) Append(text, " %i", candidate);
        text += "\n\n";
    }
    if (game.hasView)
        Append(text, "View %i %.2f %.2f\n", game.viewStep, static_cast<double>(game.viewX),
               static_cast<double>(game.viewY));
    Append(text, "Time %.1f\n", static_cast<double>(game.playTime));
    return text;
}

bool SavedGameFile::Write(const char* fileName, const SavedGame& game, std::string* why)
{
    const std::string text = Text(game);
    CFile file;
    bool written = file.Open(fileName, FILE_WRITE_TEXT);
    if (written) file.Print(text);
    if (written) written = file.Close();
    if (!written && why) *why = file.GetError();
    return written;
}
