// SPDX-License-Identifier: GPL-3.0-or-later
// The game's art is loaded for the frame's scale: the builder's drawing at
// that scale (or the largest smaller one it made), else the 1x art; and it is
// loaded again when the frame's scale changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

#include "BmpWriter.h"
#include "TempFolder.h"
#include "app/CApp.h"
#include "resources/BackBuffer.h"
#include "core/CFile.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

namespace {

constexpr int kUnitWidth = 5, kUnitHeight = 3;

// A picture of the art at `scale` pixels a unit whose every pixel tells the
// scale and where it lies.
Surface Drawn(int scale)
{
    Surface picture(kUnitWidth * scale, kUnitHeight * scale);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, MakeColour(x + 1, y + 1, 40 * scale));
    return picture;
}

// The game's program folder is a temporary folder holding the art; the
// frame has the scale each test gives it.
class ScaledArtLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::make_unique<TempFolder>();
        DataFile.CloseArchive();
        App.SetProgramFolder(folder->Path().c_str());
        keptFrame = std::move(BackBuffer());
    }
    void TearDown() override { BackBuffer() = std::move(keptFrame); }

    void SetFrameScale(int scale) { BackBuffer() = Surface::Scaled(8, 6, scale); }
    void WriteArt(const char* name, const std::vector<int>& scales)
    {
        folder->Write(name, BmpWriter::Write(Drawn(1), {}));
        for (int scale : scales) folder->Write(res::ScaledArtName(name, scale), BmpWriter::Write(Drawn(scale), {}));
    }
    // Every pixel is the art drawn at the scale of the surface.
    static void ExpectDrawnAt(const CImage& image, int scale)
    {
        EXPECT_EQ(image.width, kUnitWidth);
        EXPECT_EQ(image.height, kUnitHeight);
        ASSERT_EQ(image.surface.Scale(), scale);
        const Surface expected = Drawn(scale);
        ASSERT_EQ(image.surface.Width(), expected.Width());
        ASSERT_EQ(image.surface.Height(), expected.Height());
        for (int y = 0; y < expected.Height(); ++y)
            for (int x = 0; x < expected.Width(); ++x)
                ASSERT_EQ(image.surface.GetPixel(x, y), expected.GetPixel(x, y)) << x << ", " << y;
    }

    std::unique_ptr<TempFolder> folder;
    Surface keptFrame;
};

}  // namespace

TEST_F(ScaledArtLoad, TakesTheLargestDrawingNotAboveTheFrameScaleElseTheOneTimesArt)
{
    const std::vector<std::vector<int>> shipped = {{}, {2}, {3}, {2, 3}};
    for (int frameScale = 1; frameScale <= Surface::kMaxScale; ++frameScale)
        for (const std::vector<int>& scales : shipped) {
            folder = std::make_unique<TempFolder>();
            App.SetProgramFolder(folder->Path().c_str());
            WriteArt(res::kMenuBackground, scales);
            SetFrameScale(frameScale);
            int expected = 1;
            for (int scale : scales)
                if (scale <= frameScale && scale > expected) expected = scale;
            SCOPED_TRACE("frame at " + std::to_string(frameScale) + ", " + std::to_string(scales.size()) +
                         " drawings, expecting " + std::to_string(expected));
            CImage image;
            ImageMgr.LoadImage(image, res::kMenuBackground);
            ExpectDrawnAt(image, expected);
        }
}

// The progress bar is asked for at its own size: at scale it is the drawing itself.
TEST_F(ScaledArtLoad, ArtAskedForAtItsOwnSizeIsTheDrawingAtEveryScale)
{
    WriteArt(res::kProgressBar, {2, 3});
    for (int scale : {1, 2, 3}) {
        SCOPED_TRACE(scale);
        SetFrameScale(scale);
        CImage bar;
        ImageMgr.LoadImageScaled(bar, res::kProgressBar, kUnitWidth, kUnitHeight);
        ExpectDrawnAt(bar, scale);
    }
}

TEST_F(ScaledArtLoad, ADamagedDrawingFallsBackToTheOneTimesArt)
{
    WriteArt(res::kLogo, {});
    folder->Write(res::ScaledArtName(res::kLogo, 2), {'B', 'M', 1, 2, 3});
    folder->Write(res::ScaledArtName(res::kLogo, 3), BmpWriter::Write(Drawn(1), {}));  // not 3 pixels a unit
    SetFrameScale(3);
    CImage image;
    ImageMgr.LoadImage(image, res::kLogo);
    ExpectDrawnAt(image, 1);
}

TEST_F(ScaledArtLoad, PuzzlePicturesAreNeverTakenForArt)
{
    char name[64];
    std::snprintf(name, sizeof name, res::kPictureFormat, 0);
    WriteArt(name, {2});
    SetFrameScale(2);
    CImage image;
    ImageMgr.LoadImage(image, name);
    EXPECT_EQ(image.surface.Scale(), 1);
}

TEST_F(ScaledArtLoad, ArtDrawnAfterTheScaleChangedIsLoadedForTheNewScale)
{
    WriteArt(res::kPanelBottom, {2, 3});
    SetFrameScale(1);
    CImage image;
    ImageMgr.LoadImage(image, res::kPanelBottom);
    ExpectDrawnAt(image, 1);
    for (int scale : {2, 3, 1, 3}) {
        SCOPED_TRACE(scale);
        SetFrameScale(scale);
        ImageMgr.Draw(BackBuffer(), image, 0, 0);
        ExpectDrawnAt(image, scale);
        // The frame got the drawing's own pixels, not an enlargement.
        EXPECT_EQ(BackBuffer().GetPixel(1, 0), Drawn(scale).GetPixel(1, 0));
    }
    // Let go, it stays empty.
    image.Release();
    SetFrameScale(2);
    ImageMgr.DrawTransparent(BackBuffer(), image, 0, 0);
    EXPECT_TRUE(image.surface.IsEmpty());
}

namespace {

constexpr Colour kSmallColour = MakeColour(200, 40, 40);
constexpr Colour kLargeColour = MakeColour(40, 40, 200);

std::vector<std::uint8_t> Jpeg(int width, int height, Colour colour)
{
    std::vector<unsigned char> rgb;
    for (int i = 0; i < width * height; ++i)
        rgb.insert(rgb.end(), {static_cast<unsigned char>(RedOf(colour)), static_cast<unsigned char>(GreenOf(colour)),
                               static_cast<unsigned char>(BlueOf(colour))});
    std::vector<std::uint8_t> jpeg;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(context);
            out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
        },
        &jpeg, width, height, 3, rgb.data(), 100);
    return jpeg;
}

bool Near(Colour a, Colour b)
{
    return std::abs(RedOf(a) - RedOf(b)) <= 3 && std::abs(GreenOf(a) - GreenOf(b)) <= 3 &&
           std::abs(BlueOf(a) - BlueOf(b)) <= 3;
}

// A shipped picture: its BMP of 448 x 224 in one colour, its large copy of
// 1344 x 672 in another, so the copy a load used shows in every pixel.
class ShippedPictureLoad : public ScaledArtLoad {
protected:
    void SetUp() override
    {
        ScaledArtLoad::SetUp();
        std::snprintf(name, sizeof name, res::kPictureFormat, 3);
        Surface small(448, 224);
        small.Fill(kSmallColour);
        folder->Write(name, BmpWriter::Write(small, {}));
        folder->Write(res::LargePictureName(name), Jpeg(1344, 672, kLargeColour));
    }
    char name[64] = {};
};

}  // namespace

TEST_F(ShippedPictureLoad, ThePictureIsCutFromItsLargeCopyWhenAskedLargerThanItsBmp)
{
    struct Ask {
        float workSize;
        int frameScale;
    };
    for (Ask ask : {Ask{448, 1}, Ask{224, 2}, Ask{896, 1}, Ask{448, 2}, Ask{448, 3}, Ask{1344, 1}}) {
        SCOPED_TRACE(std::to_string(ask.workSize) + " at " + std::to_string(ask.frameScale));
        SetFrameScale(ask.frameScale);
        PictureCopies copies;
        copies.workSize = ask.workSize;
        copies.smallSize = ask.workSize / 2;
        ASSERT_TRUE(ImageMgr.LoadPicture(name, copies, nullptr));
        EXPECT_EQ(copies.work.width, ask.workSize);
        EXPECT_EQ(copies.work.height, ask.workSize / 2);
        const Colour middle = copies.work.surface.GetPixel(copies.work.surface.Width() / 2, 10);
        if (ask.workSize * ask.frameScale <= res::kPictureLongerSide)
            EXPECT_EQ(middle, kSmallColour) << "no larger than the BMP, exactly as before";
        else
            EXPECT_TRUE(Near(middle, kLargeColour)) << std::hex << middle;
    }
}

TEST_F(ShippedPictureLoad, WithoutALargeCopyTheBmpServes)
{
    std::filesystem::remove(folder->Path() + res::LargePictureName(name));
    PictureCopies copies;
    copies.workSize = 896;
    ASSERT_TRUE(ImageMgr.LoadPicture(name, copies, nullptr));
    EXPECT_EQ(copies.work.surface.Width(), 896);
    EXPECT_EQ(copies.work.surface.GetPixel(400, 10), kSmallColour);
}

TEST_F(ShippedPictureLoad, ThumbnailsHaveTheFramesPixelsFromTheLargeCopyAndFollowTheScale)
{
    CImage thumbnail;
    for (int scale : {1, 2, 3, 1}) {
        SCOPED_TRACE(scale);
        SetFrameScale(scale);
        if (thumbnail.surface.IsEmpty())
            ImageMgr.LoadImageScaled(thumbnail, name, 128, 128);
        else
            ImageMgr.Draw(BackBuffer(), thumbnail, 0, 0);  // loaded again for the new scale
        EXPECT_EQ(thumbnail.width, 128.0f);
        EXPECT_EQ(thumbnail.height, 64.0f);
        ASSERT_EQ(thumbnail.surface.Scale(), scale);
        EXPECT_EQ(thumbnail.surface.Width(), 128 * scale);
        EXPECT_EQ(thumbnail.surface.Height(), 64 * scale);
        const Colour pixel = thumbnail.surface.GetPixel(5, 5);
        if (scale == 1)
            EXPECT_EQ(pixel, kSmallColour);
        else
            EXPECT_TRUE(Near(pixel, kLargeColour)) << std::hex << pixel;
    }
}
