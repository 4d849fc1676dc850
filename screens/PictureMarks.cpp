// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/PictureMarks.h"

#include <cstdio>
#include <vector>

#include "puzzle/CGame.h"
#include "puzzle/PuzzleRecords.h"
#include "puzzle/PuzzleShelf.h"
#include "puzzle/SavedGameFile.h"
#include "resources/CFont.h"
#include "resources/ResourceNames.h"

namespace {

constexpr Colour kPlate = MakeColour(22, 30, 52);
constexpr Colour kEdge = MakeColour(214, 178, 92);
constexpr Colour kTick = MakeColour(120, 220, 120);
constexpr int kPadding = 4;
constexpr int kTickWidth = 12;

std::string PictureName(int index)
{
    char name[64];
    std::snprintf(name, sizeof name, res::kPictureFormat, index);
    return name;
}

// Two strokes, two pixels thick, in a box of kTickWidth.
void DrawTick(Surface& back, int left, int top, int size)
{
    const int middle = left + size / 3, bottom = top + size - 2;
    for (int i = 0; i <= size / 3; ++i) back.FillRect(middle - i, bottom - i, 2, 2, kTick);
    for (int i = 0; i <= size - size / 3 - 1; ++i) back.FillRect(middle + i, bottom - i, 2, 2, kTick);
}

}  // namespace

void PictureMarks::Read()
{
    const std::vector<PuzzleRecords::Record> records = PuzzleRecords::Read();
    for (int i = 0; i < kCount; ++i) {
        Mark& mark = marks[i];
        mark = Mark{};
        const std::string name = PictureName(i);
        SavedGame saved;
        if (PuzzleShelf::Peek(name, saved)) {
            const PuzzleShelf::Progress progress = PuzzleShelf::ProgressOf(saved);
            mark.inProgress = true;
            mark.text = std::to_string(progress.joined) + "/" + std::to_string(progress.pieces);
            continue;
        }
        // The best time of the largest cut solved.
        const PuzzleRecords::Record* shown = nullptr;
        for (const PuzzleRecords::Record& record : records) {
            if (record.picture != name) continue;
            const int pieces = record.piecesX * record.piecesY;
            if (!shown || pieces > shown->piecesX * shown->piecesY ||
                (pieces == shown->piecesX * shown->piecesY && record.best < shown->best))
                shown = &record;
        }
        if (!shown) continue;
        mark.solved = true;
        mark.text = CGame::FormatDuration(shown->best);
    }
}

void PictureMarks::Draw(Surface& back, int index, int left, int top, int width, int height) const
{
    const Mark& mark = marks[index];
    if (!mark.inProgress && !mark.solved) return;
    const int textWidth = SmallFont.TextWidth(mark.text.c_str());
    const int lineHeight = SmallFont.LineHeight();
    const int plateWidth = textWidth + 2 * kPadding + (mark.solved ? kTickWidth + kPadding : 0);
    const int plateHeight = lineHeight + kPadding;
    const int plateLeft = left + width - plateWidth - 2;
    const int plateTop = top + height - plateHeight - 2;
    back.FillRect(plateLeft - 1, plateTop - 1, plateWidth + 2, plateHeight + 2, kEdge);
    back.FillRect(plateLeft, plateTop, plateWidth, plateHeight, kPlate);
    int textLeft = plateLeft + kPadding;
    if (mark.solved) {
        DrawTick(back, textLeft, plateTop + (plateHeight - kTickWidth) / 2, kTickWidth);
        textLeft += kTickWidth + kPadding;
    }
    SmallFont.Print(textLeft, plateTop + kPadding / 2, "%s", mark.text.c_str());
}
