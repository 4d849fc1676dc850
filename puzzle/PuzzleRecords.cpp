// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/PuzzleRecords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/CLog.h"
#include "platform/Paths.h"
#include "puzzle/SavedGameFile.h"
#include "core/CFile.h"
#include "resources/CParser.h"

namespace {

constexpr const char* kKeyword = "Solved";

// The next word of the line from `at` (one space after it is passed too).
std::string NextWord(const std::string& line, std::size_t& at)
{
    const std::size_t end = std::min(line.find(' ', at), line.size());
    std::string word = line.substr(at, end - at);
    at = end < line.size() ? end + 1 : end;
    return word;
}

bool WholeNumber(const std::string& word, int low, int high, int& value)
{
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::atoi(word.c_str());
    return value >= low && value <= high;
}

// One line "Solved X Y BEST COUNT PICTURE", one space between the words;
// false when any part is missing or out of range.
bool ParseLine(const std::string& line, PuzzleRecords::Record& record)
{
    std::size_t at = 0;
    if (NextWord(line, at) != kKeyword) return false;
    int across = 0, down = 0, solved = 0;
    if (!WholeNumber(NextWord(line, at), 1, SavedGameFile::kLargestCut, across)) return false;
    if (!WholeNumber(NextWord(line, at), 1, SavedGameFile::kLargestCut, down)) return false;
    const std::string time = NextWord(line, at);
    if (time.empty() || time.find_first_not_of("0123456789.") != std::string::npos) return false;
    float best = std::strtof(time.c_str(), nullptr);
    if (!std::isfinite(best) || best > SavedGameFile::kLongestPlay) return false;
    if (!WholeNumber(NextWord(line, at), 1, 1000000000, solved)) return false;
    const std::string picture = line.substr(at);
    if (picture.empty() || picture.size() >= static_cast<std::size_t>(kMaxPath)) return false;
    if (picture.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
    record = {picture, across, down, std::round(best * 10.0f) / 10.0f, solved};
    return true;
}

}  // namespace

std::vector<PuzzleRecords::Record> PuzzleRecords::Parse(const std::string& text, int* skipped)
{
    std::vector<Record> records;
    int bad = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        Record record;
        if (!ParseLine(line, record)) {
            ++bad;
            continue;
        }
        records.push_back(std::move(record));
    }
    if (skipped) *skipped = bad;
    return records;
}

std::string PuzzleRecords::Text(const std::vector<Record>& records)
{
    std::string text = "// Best times: pieces across, down, best time in seconds, times solved, picture\n";
    for (const Record& record : records) {
        // A name that would break the line is not kept.
        if (record.picture.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) continue;
        char numbers[96];
        std::snprintf(numbers, sizeof numbers, "%s %i %i %.1f %i ", kKeyword, record.piecesX, record.piecesY,
                      static_cast<double>(record.best), record.solved);
        text += numbers + record.picture + "\n";
    }
    return text;
}

std::vector<PuzzleRecords::Record> PuzzleRecords::Read()
{
    std::vector<char> bytes;
    const CParser::ReadResult result = CParser::ReadFile(kName, bytes);
    if (result == CParser::ReadResult::Missing) return {};
    if (result != CParser::ReadResult::Read) {
        Log.Write("PuzzleRecords: %s can't be read, records start afresh\n", kName);
        return {};
    }
    const std::string text(bytes.data(), bytes.size() - CParser::kPadding);
    int skipped = 0;
    std::vector<Record> records = Parse(text, &skipped);
    if (skipped > 0) Log.Write("PuzzleRecords: %i damaged lines of %s skipped\n", skipped, kName);
    return records;
}

PuzzleRecords::Finish PuzzleRecords::Add(const std::string& picture, int piecesX, int piecesY, float seconds)
{
    // Whole tenths, as the file keeps them, so that a tie reads as a tie.
    seconds = std::round(seconds * 10.0f) / 10.0f;
    std::vector<Record> records = Read();
    Finish finish;
    finish.seconds = seconds;
    Record* found = nullptr;
    for (Record& record : records) {
        if (record.picture == picture && record.piecesX == piecesX && record.piecesY == piecesY) found = &record;
    }
    if (!found) {
        records.push_back({picture, piecesX, piecesY, seconds, 0});
        found = &records.back();
        finish.first = true;
        finish.newBest = true;
    } else if (seconds < found->best) {
        finish.newBest = true;
        found->best = seconds;
    }
    ++found->solved;
    finish.best = found->best;
    finish.solved = found->solved;
    Write(records);
    return finish;
}

void PuzzleRecords::Forget(const std::string& picture)
{
    std::vector<Record> records = Read();
    const auto gone = std::remove_if(records.begin(), records.end(),
                                     [&](const Record& record) { return record.picture == picture; });
    if (gone == records.end()) return;
    records.erase(gone, records.end());
    Write(records);
}

void PuzzleRecords::Write(const std::vector<Record>& records)
{
    CFile file;
    bool written = file.Open(kName, FILE_WRITE_TEXT);
    const std::string text = Text(records);
    if (written) file.Print(text);
    if (written) written = file.Close();
    if (!written) Log.Write("PuzzleRecords: Couldn't write %s (%s)\n", kName, file.GetError());
}
