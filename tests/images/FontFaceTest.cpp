// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/FontFace.h"

namespace {

const char* const kSerif = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf";
const char* const kSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf";
constexpr Colour kBoard = 0x804020;

// The box of the pixels that differ from the board; empty when none do.
PixelRect InkBox(const Surface& s)
{
    PixelRect box{s.Width(), s.Height(), 0, 0};
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.GetPixel(x, y) != kBoard) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

}  // namespace

TEST(FontFace, MatchesTheCellHeightsOfBothFaces)
{
    const std::pair<const char*, int> faces[] = {{kSerif, 22}, {kSans, 30}, {kSans, 22}, {kSerif, 30}};
    for (auto [path, cell] : faces) {
        auto face = FontFace::FromFile(path, cell);
        ASSERT_TRUE(face) << path;
        EXPECT_EQ(face->CellHeight(), cell) << path;
    }
}

TEST(FontFace, BlendsInkWithinTheCellAndLeavesTheBoardAround)
{
    auto face = FontFace::FromFile(kSerif, 22);
    ASSERT_TRUE(face);
    Surface board(300, 60);
    board.Fill(kBoard);
    face->Draw(board, 40, 10, "GAME SAVED!", kWhite);

    PixelRect ink = InkBox(board);
    EXPECT_GE(ink.left, 40);
    EXPECT_LE(ink.left, 42);  // "G" starts at the pen position, give or take its side bearing
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 10 + 22);
    EXPECT_LE(ink.right, 40 + face->TextWidth("GAME SAVED!") + 1);
    EXPECT_GT(ink.right - ink.left, 100);

    int white = 0, blended = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 300; ++x) {
            Colour c = board.GetPixel(x, y);
            if (c == kWhite) ++white;
            else if (c != kBoard) ++blended;
            ASSERT_EQ(c >> 24, 0u);
        }
    EXPECT_GT(white, 100);   // the strokes' insides are solid white
    EXPECT_GT(blended, 20);  // their edges are smoothed into the board
}

TEST(FontFace, ClipsToTheRectangleAndTheSurface)
{
    auto face = FontFace::FromFile(kSans, 30);
    ASSERT_TRUE(face);
    Surface board(50, 20);
    board.Fill(kBoard);
    // Far larger than the surface on every side; the sanitizer build checks the writes.
    face->Draw(board, -30, -12, "medium medium medium medium", kWhite);
    face->Draw(board, 45, 15, "medium", kWhite);
    face->Draw(board, -100000, 100000, "x", kWhite);

    Surface clipped(100, 40);
    clipped.Fill(kBoard);
    face->Draw(clipped, 0, 0, "WWWWWWWW", kWhite, PixelRect{10, 5, 30, 25});
    PixelRect ink = InkBox(clipped);
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.right, 30);
    EXPECT_LE(ink.bottom, 25);
}

TEST(FontFace, MeasuresAndSkipsEmptyText)
{
    auto face = FontFace::FromFile(kSans, 30);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->TextWidth(""), 0);
    EXPECT_GT(face->TextWidth("medium"), face->TextWidth("none"));
    Surface board(10, 10);
    face->Draw(board, 0, 0, "", kWhite);
    face->Draw(board, 0, 0, nullptr, kWhite);
    EXPECT_EQ(board.GetPixel(5, 5), kBlack);
}

TEST(FontFace, RefusesBytesThatAreNoFont)
{
    EXPECT_FALSE(FontFace::FromMemory({}, 22));
    EXPECT_FALSE(FontFace::FromMemory({'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'}, 22));
    EXPECT_FALSE(FontFace::FromFile("/no/such/font.ttf", 22));
    std::vector<std::uint8_t> font = ReadWholeFile(kSans);
    ASSERT_FALSE(font.empty());
    EXPECT_FALSE(FontFace::FromMemory(font, 0));
    EXPECT_TRUE(FontFace::FromMemory(font, 30));
}
