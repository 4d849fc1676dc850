// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "app/CApp.h"
#include "platform/FontFace.h"
#include "core/CFile.h"
#include "resources/CFont.h"

namespace {

constexpr Colour kBoard = 0x306020;

// The fonts draw into the back buffer; the test gives it a board colour.
class CFontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataFile.CloseArchive();
        App.SetProgramFolder("/nonexistent/");  // no archive, no loose fonts: the system's faces
        App.GetBackDC() = Surface(800, 600);
        App.GetBackDC().Fill(kBoard);
    }

    static PixelRect InkBox(const Surface& s)
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
};

}  // namespace

TEST_F(CFontTest, SmallFontPrintsWhiteAtItsTopLeftCorner)
{
    CFont font;
    font.CreateDefault();
    ASSERT_TRUE(font.IsLoaded());
    font.Print(350, 10, "%s", "GAME SAVED!");
    const Surface& back = App.GetBackDC();
    PixelRect ink = InkBox(back);
    EXPECT_GE(ink.left, 350);
    EXPECT_LE(ink.left, 352);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.top, 16);       // capitals start a little below the cell's top
    EXPECT_LE(ink.bottom, 10 + 22);  // and the cell is 22 high
    int white = 0;
    for (int y = ink.top; y < ink.bottom; ++y)
        for (int x = ink.left; x < ink.right; ++x) white += back.GetPixel(x, y) == kWhite;
    EXPECT_GT(white, 100);
    EXPECT_EQ(back.GetPixel(351, 11), kBoard);  // the board shows between the letters
}

TEST_F(CFontTest, FormatsLikePrintf)
{
    CFont font;
    font.Create(30.0f, "Arial");
    ASSERT_TRUE(font.IsLoaded());
    font.Print(100, 100, "%d%% %s", 42, "done");
    Surface formatted = App.GetBackDC();

    App.GetBackDC().Fill(kBoard);
    auto face = FontFace::FromFile("/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf", 30);
    ASSERT_TRUE(face);
    face->Draw(App.GetBackDC(), 100, 100, "42% done", kWhite);
    for (int y = 90; y < 140; ++y)
        for (int x = 90; x < 300; ++x) ASSERT_EQ(formatted.GetPixel(x, y), App.GetBackDC().GetPixel(x, y));
}

TEST_F(CFontTest, PrintInRectCentresAcrossAndKeepsToTheTop)
{
    CFont font;
    font.Create(30.0f, "Arial");
    ASSERT_TRUE(font.IsLoaded());
    font.PrintInRect(TextRect{300, 200, 500, 260}, TEXT_CENTER, "%s", "medium");
    PixelRect ink = InkBox(App.GetBackDC());
    EXPECT_NEAR(ink.left - 300, 500 - ink.right, 4);
    EXPECT_GE(ink.top, 200);
    EXPECT_LT(ink.top, 210);

    App.GetBackDC().Fill(kBoard);
    font.PrintInRect(TextRect{300, 200, 500, 260}, 0, "%s", "medium");
    EXPECT_LE(InkBox(App.GetBackDC()).left, 302);  // without the flag: from the left
}

TEST_F(CFontTest, PrintInRectCutsTextAtTheRectangle)
{
    CFont font;
    font.Create(30.0f, "Arial");
    font.PrintInRect(TextRect{100, 100, 160, 120}, TEXT_CENTER, "%s", "a line much wider than the box\nsecond");
    PixelRect ink = InkBox(App.GetBackDC());
    EXPECT_GE(ink.left, 100);
    EXPECT_LE(ink.right, 160);
    EXPECT_GE(ink.top, 100);
    EXPECT_LE(ink.bottom, 120);
}

TEST_F(CFontTest, TextOffTheBackBufferIsClipped)
{
    CFont font;
    font.CreateDefault();
    std::string long_text(3000, 'W');
    font.Print(700, 590, "%s", long_text.c_str());
    font.Print(-200000, -10, "%s", long_text.c_str());  // ends far left of the board
    PixelRect ink = InkBox(App.GetBackDC());
    EXPECT_GE(ink.left, 700);
    EXPECT_GE(ink.top, 590);
}

TEST_F(CFontTest, AFontThatCannotBeMadeDrawsNothing)
{
    CFont font;
    font.Create(0.0f, "Arial");
    EXPECT_FALSE(font.IsLoaded());
    font.Print(10, 10, "nothing");
    font.PrintInRect(TextRect{0, 0, 800, 600}, TEXT_CENTER, "nothing");
    EXPECT_EQ(InkBox(App.GetBackDC()).right, 0);
}

// The game's own font files, read through DataFile, come before the system's.
TEST_F(CFontTest, FacesFromTheGamesDataComeFirst)
{
    TempFolder folder;
    App.SetProgramFolder(folder.Path().c_str());
    // A serif face under the sans face's name: what is drawn tells where it came from.
    folder.Write("fonts/LiberationSans-Bold.ttf",
                 ReadWholeFile("/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf"));
    CFont fromData;
    fromData.Create(30.0f, "Arial");
    fromData.Print(10, 10, "medium");
    Surface drawn = App.GetBackDC();

    App.GetBackDC().Fill(kBoard);
    auto serif = FontFace::FromFile("/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf", 30);
    ASSERT_TRUE(serif);
    serif->Draw(App.GetBackDC(), 10, 10, "medium", kWhite);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(drawn.GetPixel(x, y), App.GetBackDC().GetPixel(x, y));
}

// On a back buffer of a larger drawing scale the text stands in the same
// place, as large, but drawn from the face made that many times larger: not
// the scale-1 text blown up.
TEST_F(CFontTest, OnALargerScaleTextIsDrawnAtTheScaleInTheSamePlace)
{
    CFont font;
    font.CreateDefault();
    ASSERT_TRUE(font.IsLoaded());
    font.Print(350, 10, "%s", "GAME SAVED!");
    font.PrintInRect({100, 300, 700, 400}, TEXT_CENTER, "%s", "Pieces: 49\nTime 0:42");
    const Surface one = App.GetBackDC();
    const PixelRect oneInk = InkBox(one);
    for (int scale : {2, 3}) {
        App.GetBackDC() = Surface::Scaled(800, 600, scale);
        App.GetBackDC().Fill(kBoard);
        font.Print(350, 10, "%s", "GAME SAVED!");
        font.PrintInRect({100, 300, 700, 400}, TEXT_CENTER, "%s", "Pieces: 49\nTime 0:42");
        const Surface& back = App.GetBackDC();
        const PixelRect ink = InkBox(back);
        // The same box of ink, in the finer pixels, within a unit or two.
        EXPECT_NEAR(ink.left, oneInk.left * scale, 3 * scale) << scale;
        EXPECT_NEAR(ink.top, oneInk.top * scale, 3 * scale) << scale;
        EXPECT_NEAR(ink.right, oneInk.right * scale, 3 * scale) << scale;
        EXPECT_NEAR(ink.bottom, oneInk.bottom * scale, 3 * scale) << scale;
        // Finer than blown up: many squares of scale x scale pixels are not of one colour.
        int mixed = 0;
        for (int y = ink.top / scale; y < ink.bottom / scale; ++y)
            for (int x = ink.left / scale; x < ink.right / scale; ++x) {
                const Colour corner = back.GetPixel(x * scale, y * scale);
                bool same = true;
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx)
                        same = same && back.GetPixel(x * scale + dx, y * scale + dy) == corner;
                mixed += !same;
            }
        EXPECT_GT(mixed, 100) << scale;
        // Cut at the rectangle in units as at scale 1.
        App.GetBackDC().Fill(kBoard);
        font.PrintInRect({100, 300, 700, 310}, 0, "%s", "Pieces: 49");
        EXPECT_LE(InkBox(App.GetBackDC()).bottom, 310 * scale);
    }
    App.GetBackDC() = Surface(800, 600);
}
