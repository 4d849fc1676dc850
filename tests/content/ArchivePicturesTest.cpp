// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "ArchiveReader.h"
#include "platform/BmpCodec.h"
#include "resources/ResourceNames.h"

namespace {

constexpr int kScreenWidth = 800, kScreenHeight = 600;

// Decodes a picture of the archive; an empty surface when it is missing or
// does not decode (the test then fails with the reason).
Surface Picture(const std::string& name)
{
    const Bytes* bytes = BuiltArchive().Find(name);
    if (!bytes) {
        ADD_FAILURE() << "missing: " << name;
        return {};
    }
    Surface out;
    std::string reason;
    if (!BmpCodec::Decode(bytes->data(), bytes->size(), out, &reason)) ADD_FAILURE() << name << ": " << reason;
    return out;
}

int CountBlack(const Surface& s)
{
    int black = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) black += s.GetPixel(x, y) == kBlack;
    return black;
}

bool IsBmp(const std::string& name) { return name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0; }

// Where a button's picture lies on the screen.
struct Place {
    const char* name;
    int x, y;
};

// The button's two pictures are the same size; answers that size.
Surface ButtonPicture(const char* name)
{
    Surface active = Picture(ActiveButton(name)), idle = Picture(NoActiveButton(name));
    EXPECT_EQ(active.Width(), idle.Width()) << name;
    EXPECT_EQ(active.Height(), idle.Height()) << name;
    return idle;
}

void ExpectOnScreen(const Surface& picture, int x, int y, const std::string& what)
{
    EXPECT_FALSE(picture.IsEmpty()) << what;
    EXPECT_LE(x + picture.Width(), kScreenWidth) << what;
    EXPECT_LE(y + picture.Height(), kScreenHeight) << what;
}

TEST(ArchivePictures, EveryPictureIsAnUncompressed24BitBmp)
{
    int pictures = 0;
    for (const auto& [name, bytes] : BuiltArchive().Entries()) {
        if (!IsBmp(name)) continue;
        ++pictures;
        ASSERT_GE(bytes.size(), 54u) << name;
        EXPECT_EQ(bytes[0], 'B') << name;
        EXPECT_EQ(bytes[1], 'M') << name;
        EXPECT_EQ(bytes[28] | bytes[29] << 8, 24) << name << ": bits per pixel";
        EXPECT_EQ(bytes[30] | bytes[31] << 8 | bytes[32] << 16 | bytes[33] << 24, 0) << name << ": compression";
        EXPECT_FALSE(Picture(name).IsEmpty()) << name;
    }
    EXPECT_GT(pictures, 50);
}

TEST(ArchivePictures, MenuBackgroundsFillTheScreen)
{
    for (const char* name : {res::kMenuBackground, res::kMenuBackground2}) {
        Surface background = Picture(name);
        EXPECT_EQ(background.Width(), kScreenWidth) << name;
        EXPECT_EQ(background.Height(), kScreenHeight) << name;
    }
}

TEST(ArchivePictures, PuzzlePicturesAre448OnTheLongerSideDistinctAndNeverSeeThrough)
{
    // Each picture's bytes by their hash: equal files hash alike. (Sets of the
    // byte vectors themselves trip a false bound warning of GCC's at -O3.)
    std::set<std::size_t> seen;
    for (int i = 0; i < res::kPictureCount; ++i) {
        std::string name = PictureName(i);
        Surface picture = Picture(name);
        EXPECT_EQ(std::max(picture.Width(), picture.Height()), 448) << name;
        EXPECT_GE(std::min(picture.Width(), picture.Height()), 132) << name << ": too thin for four pieces";
        // Pure black is cut away from every piece: a photograph keeps none.
        EXPECT_EQ(CountBlack(picture), 0) << name;
        if (const Bytes* bytes = BuiltArchive().Find(name)) {
            const std::string_view content(reinterpret_cast<const char*>(bytes->data()), bytes->size());
            EXPECT_TRUE(seen.insert(std::hash<std::string_view>{}(content)).second) << name << " repeats";
        }
    }
}

// Black is the see-through colour; only pictures drawn with black left out may hold it.
TEST(ArchivePictures, OnlyTheSeeThroughPicturesHoldPureBlack)
{
    std::set<std::string> seeThrough = {res::kPanelTop, res::kTimer, res::kPreviewFrame};
    for (const char* name : {res::kPanelTop, res::kTimer, res::kPreviewFrame})
        for (int scale : res::kArtScales) seeThrough.insert(res::ScaledArtName(name, scale));
    for (const auto& [name, bytes] : BuiltArchive().Entries()) {
        if (!IsBmp(name)) continue;
        Surface picture = Picture(name);
        int black = CountBlack(picture);
        if (seeThrough.count(name)) {
            EXPECT_GT(black, 0) << name << " hides the board everywhere";
            EXPECT_LT(black, picture.Width() * picture.Height()) << name << " shows nothing";
        } else {
            EXPECT_EQ(black, 0) << name;
        }
    }
}

TEST(ArchivePictures, MenuButtonsStack32PixelsApart)
{
    const Place buttons[] = {{"LoadGame", 352, 480}, {"Custom", 352, 512}, {"Exit", 352, 544},
                             {"Play", 352, 512},     {"Back", 352, 544}};
    for (const Place& place : buttons) {
        Surface button = ButtonPicture(place.name);
        EXPECT_LE(button.Height(), 32) << place.name;
        EXPECT_GE(button.Height(), 20) << place.name;
        ExpectOnScreen(button, place.x, place.y, place.name);
    }
}

TEST(ArchivePictures, TopBarButtonsSit56ApartOnTheBar)
{
    Surface bar = Picture(res::kPanelTop);
    for (const Place& place : {Place{"Menu", 0, 0}, Place{"Save", 56, 0}, Place{"Load", 112, 0}}) {
        Surface button = ButtonPicture(place.name);
        EXPECT_LE(button.Width(), 56) << place.name;
        EXPECT_LE(place.x + button.Width(), bar.Width()) << place.name << " overhangs the bar";
        EXPECT_LE(button.Height(), bar.Height()) << place.name;
    }
}

TEST(ArchivePictures, BottomBarButtonsFitBetweenTheirNeighbours)
{
    Surface bar = Picture(res::kPanelBottom);
    EXPECT_EQ(bar.Width(), kScreenWidth);
    EXPECT_EQ(563 + bar.Height(), kScreenHeight);
    const Place row[] = {{"Border", 8, 569}, {"Picture", 128, 569}, {"Arrange", 252, 569}, {"Back1", 672, 569},
                         {"Back2", 700, 569}, {"Back3", 728, 569},  {"Back4", 756, 569}};
    for (std::size_t i = 0; i < std::size(row); ++i) {
        Surface button = ButtonPicture(row[i].name);
        int nextX = i + 1 < std::size(row) ? row[i + 1].x : kScreenWidth;
        EXPECT_LE(row[i].x + button.Width(), nextX) << row[i].name;
        ExpectOnScreen(button, row[i].x, row[i].y, row[i].name);
    }
    for (const auto& [toggle, button] : {std::pair{res::kBorderToggle, "Border"}, std::pair{res::kPictureToggle, "Picture"}}) {
        Surface on = Picture(toggle), off = ButtonPicture(button);
        EXPECT_EQ(on.Width(), off.Width()) << toggle;
        EXPECT_EQ(on.Height(), off.Height()) << toggle;
        EXPECT_NE(on.Pixels()[on.Width() * (on.Height() / 2) + on.Width() / 2],
                  off.Pixels()[off.Width() * (off.Height() / 2) + off.Width() / 2])
            << toggle << " looks like the button switched off";
    }
}

TEST(ArchivePictures, ColourSwatchesShowTheirBoardColours)
{
    const int colours[4][3] = {{127, 154, 168}, {0, 122, 183}, {242, 205, 186}, {170, 103, 103}};
    for (int i = 0; i < 4; ++i) {
        std::string name = "Back" + std::to_string(i + 1);
        Surface swatch = ButtonPicture(name.c_str());
        EXPECT_LE(swatch.Width(), 28) << name;
        Colour middle = swatch.GetPixel(swatch.Width() / 2, swatch.Height() / 2 + 2);
        EXPECT_EQ(middle, MakeColour(colours[i][0], colours[i][1], colours[i][2])) << name;
    }
}

TEST(ArchivePictures, CutPageControlsKeepClearOfEachOther)
{
    Surface knob = ButtonPicture("Slider");
    EXPECT_LT(knob.Width(), 208 - 40) << "the knob must be able to move";
    EXPECT_LE(332 + knob.Height(), 412) << "the knob reaches the edge controls";
    EXPECT_LE(208 + knob.Width(), 288) << "the knob reaches the picture";
    Surface left = ButtonPicture("ArrowLeft"), right = ButtonPicture("ArrowRight");
    EXPECT_LE(28 + left.Width(), 55) << "the left arrow covers the edge-style label";
    EXPECT_LE(216 + right.Width(), 288) << "the right arrow reaches the picture";
    EXPECT_LE(left.Height(), 32);
    EXPECT_LE(right.Height(), 32);
}

TEST(ArchivePictures, CalculationPictureAndProgressBarFitTheirPlaces)
{
    Surface caption = Picture(res::kCalculate);
    ExpectOnScreen(caption, 4, 92, res::kCalculate);
    // The bar is loaded fitted into 196 x 28: its own shape must give the full width.
    Surface bar = Picture(res::kProgressBar);
    ASSERT_FALSE(bar.IsEmpty());
    EXPECT_GE(bar.Width() * 28, bar.Height() * 196) << "the bar would come out narrower than its box";
    EXPECT_GE(bar.Width(), 196) << "the bar would be enlarged";
}

TEST(ArchivePictures, ClockAndPictureWindowHoldWhatIsDrawnOnThem)
{
    Surface timer = Picture(res::kTimer);
    ExpectOnScreen(timer, 672, 0, res::kTimer);
    EXPECT_GE(672 + timer.Width(), 712 + 70) << "the clock text runs off the clock";
    EXPECT_GE(timer.Height(), 5 + 22);
    Surface frame = Picture(res::kPreviewFrame);
    EXPECT_GE(frame.Width(), 4 + 224);
    EXPECT_GE(frame.Height(), 15 + 224);
}

TEST(ArchivePictures, LogoScreenPicturesFitOneAboveTheOther)
{
    // The logo screen centres both on the 805 x 635 window: the logo a little
    // above the middle, the studio's mark its own height from the bottom.
    Surface logo = Picture(res::kLogo), mark = Picture(res::kSiteLogo);
    ASSERT_FALSE(logo.IsEmpty());
    ASSERT_FALSE(mark.IsEmpty());
    EXPECT_LE(logo.Width(), kScreenWidth);
    EXPECT_LE(mark.Width(), kScreenWidth);
    float logoTop = 635 / 2.0f - logo.Height() / 1.3f;
    float markTop = 635 - 2.0f * mark.Height();
    EXPECT_GE(logoTop, 0);
    EXPECT_LE(logoTop + logo.Height(), markTop);
    // Both stand on the white of the logo screen.
    for (const Surface* s : {&logo, &mark}) {
        EXPECT_EQ(s->GetPixel(0, 0), kWhite);
        EXPECT_EQ(s->GetPixel(s->Width() - 1, s->Height() - 1), kWhite);
    }
}

TEST(ArchivePictures, WindowIconIsSquare)
{
    Surface icon = Picture(res::kWindowIcon);
    EXPECT_EQ(icon.Width(), icon.Height());
    EXPECT_TRUE(icon.Width() == 32 || icon.Width() == 64) << icon.Width();
}

}  // namespace
