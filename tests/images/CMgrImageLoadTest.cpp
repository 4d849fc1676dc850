// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "BmpWriter.h"
#include "TempFolder.h"
#include "app/CApp.h"
#include "core/CFile.h"
#include "platform/PictureScaler.h"
#include "resources/CMgrImage.h"

namespace {

// A picture whose every pixel differs, to tell where each one landed.
Surface Numbered(int width, int height)
{
    Surface picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x + 1, y + 1, 0x80));
    return picture;
}

// The game's program folder is a temporary folder holding the test's files.
class CMgrImageLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::make_unique<TempFolder>();
        DataFile.CloseArchive();
        App.SetProgramFolder(folder->Path().c_str());
    }

    void WriteBmp(const std::string& name, const Surface& picture, BmpOptions options = {})
    {
        folder->Write(name, BmpWriter::Write(picture, options));
    }

    // A JPEG from ImageMagick; false when it is not installed.
    bool WriteJpeg(const std::string& name, const std::string& what)
    {
        std::string path = folder->Path() + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        return RunConvert(what + " -quality 92 " + path);
    }

    std::unique_ptr<TempFolder> folder;
};

}  // namespace

TEST_F(CMgrImageLoad, LoadsABitmapAtItsOwnSize)
{
    Surface picture = Numbered(5, 3);
    WriteBmp("data/logo.bmp", picture);
    CImage image;
    ImageMgr.LoadImage(image, "data/logo.bmp");
    EXPECT_EQ(image.width, 5.0f);
    EXPECT_EQ(image.height, 3.0f);
    ASSERT_EQ(image.surface.Width(), 5);
    ASSERT_EQ(image.surface.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(image.surface.GetPixel(x, y), picture.GetPixel(x, y));
}

TEST_F(CMgrImageLoad, TopDownBitmapIsUprightWithAPositiveHeight)
{
    Surface picture = Numbered(4, 3);
    WriteBmp("data/topdown.bmp", picture, {24, true});
    CImage image;
    ImageMgr.LoadImage(image, "data/topdown.bmp");
    EXPECT_EQ(image.height, 3.0f);
    EXPECT_EQ(image.surface.GetPixel(0, 0), picture.GetPixel(0, 0));
    EXPECT_EQ(image.surface.GetPixel(3, 2), picture.GetPixel(3, 2));
}

TEST_F(CMgrImageLoad, ScaledSizeFollowsTheLongerSideOnly)
{
    struct Case {
        int fileWidth, fileHeight;
        float width, height;
        float expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {800, 600, 448, 448, 448, 336},
        {600, 800, 448, 448, 336, 448},
        {300, 300, 448, 200, 448, 200},  // square: exactly the request, square or not
        {300, 200, 196, 28, 196, 130.666672f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.fileWidth) + "x" + std::to_string(c.fileHeight));
        WriteBmp("data/picture.bmp", Surface(c.fileWidth, c.fileHeight), {8});
        CImage image;
        ImageMgr.LoadImageScaled(image, "data/picture.bmp", c.width, c.height);
        EXPECT_FLOAT_EQ(image.width, c.expectedWidth);
        EXPECT_FLOAT_EQ(image.height, c.expectedHeight);
        EXPECT_EQ(image.surface.Width(), static_cast<int>(c.expectedWidth));
        EXPECT_EQ(image.surface.Height(), static_cast<int>(c.expectedHeight));
    }
}

// Growing picks the nearest pixels; reducing averages, so that a fine
// checkerboard of black and white comes out grey, not black or white.
TEST_F(CMgrImageLoad, GrowingPicksTheNearestPixelsReducingAverages)
{
    Surface picture = Numbered(4, 2);
    WriteBmp("data/small.bmp", picture);
    CImage image;
    ImageMgr.LoadImageScaled(image, "data/small.bmp", 8, 8);  // 8 x 4: every pixel doubled
    ASSERT_EQ(image.surface.Width(), 8);
    ASSERT_EQ(image.surface.Height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(image.surface.GetPixel(x, y), picture.GetPixel(x / 2, y / 2));
    Surface checkers(40, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) checkers.SetPixel(x, y, (x + y) % 2 ? kWhite : MakeColour(1, 1, 1));
    WriteBmp("data/checkers.bmp", checkers);
    ImageMgr.LoadImageScaled(image, "data/checkers.bmp", 10, 10);  // 10 x 5
    ASSERT_EQ(image.surface.Width(), 10);
    ASSERT_EQ(image.surface.Height(), 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 10; ++x) {
            const Colour c = image.surface.GetPixel(x, y);
            // Half the light of white: a mid grey, the same in every channel.
            EXPECT_TRUE(RedOf(c) > 150 && RedOf(c) < 215 && GreenOf(c) == RedOf(c) && BlueOf(c) == RedOf(c))
                << x << ", " << y << ": " << std::hex << c;
        }
    }
}

TEST_F(CMgrImageLoad, MissingOrDamagedBitmapIsACriticalErrorNamingIt)
{
    CImage image;
    EXPECT_EXIT(ImageMgr.LoadImage(image, "data/none.bmp"), ::testing::ExitedWithCode(255),
                "CMgrImage: Couldn't open image data/none\\.bmp");

    std::vector<std::uint8_t> file = BmpWriter::Write(Numbered(20, 20), {});
    file.resize(file.size() / 2);
    folder->Write("data/cut.bmp", file);
    EXPECT_EXIT(ImageMgr.LoadImageScaled(image, "data/cut.bmp", 10, 10), ::testing::ExitedWithCode(255),
                "CMgrImage: Damaged image data/cut\\.bmp \\(truncated pixel data\\)");

    folder->Write("data/empty.bmp", {});
    EXPECT_EXIT(ImageMgr.LoadImage(image, "data/empty.bmp"), ::testing::ExitedWithCode(255),
                "CMgrImage: Damaged image data/empty\\.bmp");
}

// Only a lower-case "bmp" after the first "." is a bitmap; everything else
// goes to the JPEG loader, which cannot read a bitmap.
TEST_F(CMgrImageLoad, TheFirstDotPicksTheLoader)
{
    Surface picture = Numbered(4, 4);
    WriteBmp("data/upper.BMP", picture);
    WriteBmp("data/nodot", picture);
    CImage image;
    EXPECT_EXIT(ImageMgr.LoadImage(image, "data/upper.BMP"), ::testing::ExitedWithCode(255),
                "Can't load file: data/upper\\.BMP");
    EXPECT_EXIT(ImageMgr.LoadImage(image, "data/nodot"), ::testing::ExitedWithCode(255),
                "Can't load file: data/nodot");
}

TEST_F(CMgrImageLoad, LoadsAPlayersJpegWhereverItLies)
{
    if (!WriteJpeg("my.photos/holiday.bmp.jpg", "-size 120x80 xc:#3060C0")) GTEST_SKIP() << "no ImageMagick";
    CImage image;
    // An absolute path in a folder with a dot, and a second extension after "bmp".
    ImageMgr.LoadImage(image, (folder->Path() + "my.photos/holiday.bmp.jpg").c_str());
    EXPECT_EQ(image.width, 120.0f);
    EXPECT_EQ(image.height, 80.0f);
    Colour c = image.surface.GetPixel(60, 40);
    EXPECT_NEAR(RedOf(c), 0x30, 4);
    EXPECT_NEAR(GreenOf(c), 0x60, 4);
    EXPECT_NEAR(BlueOf(c), 0xC0, 4);

    // A name relative to the program folder loads on the second try.
    ImageMgr.LoadImageScaled(image, "my.photos/holiday.bmp.jpg", 60, 60);
    EXPECT_FLOAT_EQ(image.width, 60);
    EXPECT_FLOAT_EQ(image.height, 40);
    EXPECT_EQ(image.surface.Width(), 60);
    EXPECT_EQ(image.surface.Height(), 40);
}

TEST_F(CMgrImageLoad, LoadsALargePhotographScaled)
{
    if (!WriteJpeg("large.jpg", "-size 1600x1200 gradient:red-blue")) GTEST_SKIP() << "no ImageMagick";
    CImage image;
    ImageMgr.LoadImageScaled(image, (folder->Path() + "large.jpg").c_str(), 448, 448);
    EXPECT_FLOAT_EQ(image.width, 448);
    EXPECT_FLOAT_EQ(image.height, 336);
    ASSERT_EQ(image.surface.Width(), 448);
    ASSERT_EQ(image.surface.Height(), 336);
    Colour top = image.surface.GetPixel(224, 0), middle = image.surface.GetPixel(224, 168),
           bottom = image.surface.GetPixel(224, 335);
    EXPECT_GT(RedOf(top), 240);
    EXPECT_LT(BlueOf(top), 15);
    EXPECT_NEAR(RedOf(middle), 128, 8);
    EXPECT_NEAR(BlueOf(middle), 128, 8);
    EXPECT_GT(BlueOf(bottom), 240);
}

TEST_F(CMgrImageLoad, MissingOrDamagedJpegIsACriticalError)
{
    CImage image;
    EXPECT_EXIT(ImageMgr.LoadImage(image, "/nowhere/photo.jpg"), ::testing::ExitedWithCode(255),
                "Can't load file: /nowhere/photo\\.jpg");
    if (!WriteJpeg("photo.jpg", "-size 200x100 gradient:")) GTEST_SKIP() << "no ImageMagick";
    std::vector<std::uint8_t> file = ReadWholeFile(folder->Path() + "photo.jpg");
    file.resize(file.size() * 2 / 3);
    std::string cut = folder->Write("cut.jpg", file);
    EXPECT_EXIT(ImageMgr.LoadImage(image, cut.c_str()), ::testing::ExitedWithCode(255),
                "Can't parse file: .*cut\\.jpg");
    EXPECT_EXIT(ImageMgr.LoadImageScaled(image, cut.c_str(), 100, 100), ::testing::ExitedWithCode(255),
                "Can't parse file: .*cut\\.jpg");
    file.resize(40);
    std::string header = folder->Write("header.jpg", file);
    EXPECT_EXIT(ImageMgr.LoadImage(image, header.c_str()), ::testing::ExitedWithCode(255),
                "Can't load file: .*header\\.jpg");
}

// The cut's picture is reduced while the photo is decoded (its rows as they
// come); what comes out is exactly the whole photo decoded and then reduced,
// also where the photo is reduced by more than half (by the filter).
TEST_F(CMgrImageLoad, ACutPictureIsThePhotoDecodedAndThenReduced)
{
    struct Case {
        const char* name;
        const char* convert;
        int width, height;
    };
    for (const Case& c : {Case{"upright.jpg", "-size 701x523 plasma:fractal -seed 3", 640, 477},
                          Case{"small.jpg", "-size 701x523 plasma:fractal -seed 5", 300, 224}}) {
        if (!WriteJpeg(c.name, c.convert)) GTEST_SKIP() << "no ImageMagick";
        const std::string path = folder->Path() + c.name;
        const Surface cut = CMgrImage::DecodeCutPicture(CMgrImage::AskCutPicture(path.c_str(), c.width, c.height));
        ASSERT_EQ(cut.Width(), c.width) << c.name;
        ASSERT_EQ(cut.Height(), c.height) << c.name;

        CMgrImage::DecodedPicture whole =
            CMgrImage::DecodePlayerPicture(path, "", static_cast<float>(std::max(c.width, c.height)), 0.0f, 1);
        ASSERT_TRUE(whole.problem.empty()) << c.name;
        whole.picture.TakeScale(1);
        Surface expected = whole.picture.Width() < 2 * c.width
                               ? PictureScaler::ReduceByArea(whole.picture, c.width, c.height)
                               : PictureScaler::Resize(whole.picture, c.width, c.height);
        CMgrImage::LiftBlack(expected);
        int differing = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) differing += cut.GetPixel(x, y) != expected.GetPixel(x, y);
        EXPECT_EQ(differing, 0) << c.name;
    }
}
