// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "platform/JpegDecoder.h"

namespace {

constexpr Colour kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

// JPEG files made by ImageMagick from a 64 x 48 picture of four quarters:
// red top-left, green top-right, blue bottom-left, white bottom-right.
class JpegDecoderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<TempFolder>();
        std::string ppm = "P3\n64 48\n255\n";
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                ppm += x < 32 ? (y < 24 ? "255 0 0\n" : "0 0 255\n") : (y < 24 ? "0 255 0\n" : "255 255 255\n");
        std::string source = folder->Write("quarters.ppm", std::vector<std::uint8_t>(ppm.begin(), ppm.end()));
        available = RunConvert(source + " -quality 95 " + Path("baseline.jpg")) &&
                    RunConvert(source + " -quality 95 -interlace Plane " + Path("progressive.jpg")) &&
                    RunConvert(source + " -quality 95 -colorspace Gray " + Path("grey.jpg")) &&
                    RunConvert(source + " -quality 95 -colorspace CMYK " + Path("cmyk.jpg")) &&
                    RunConvert(source + " -quality 95 -sampling-factor 1x1 " + Path("full-chroma.jpg")) &&
                    RunConvert("-size 800x600 gradient:red-blue -quality 80 " + Path("large.jpg"));
    }
    static void TearDownTestSuite() { folder.reset(); }

    void SetUp() override
    {
        if (!available) GTEST_SKIP() << "ImageMagick's convert is not installed";
    }

    static std::string Path(const std::string& name) { return folder->Path() + name; }

    static void ExpectNear(Colour actual, Colour expected, int tolerance)
    {
        EXPECT_NEAR(RedOf(actual), RedOf(expected), tolerance);
        EXPECT_NEAR(GreenOf(actual), GreenOf(expected), tolerance);
        EXPECT_NEAR(BlueOf(actual), BlueOf(expected), tolerance);
        EXPECT_EQ(actual >> 24, 0u);
    }

    // The colours at the centres of the four quarters: top-left, top-right,
    // bottom-left, bottom-right.
    static void ExpectQuarters(const Surface& s, Colour tl, Colour tr, Colour bl, Colour br, int tolerance)
    {
        int w = s.Width(), h = s.Height();
        ExpectNear(s.GetPixel(w / 4, h / 4), tl, tolerance);
        ExpectNear(s.GetPixel(3 * w / 4, h / 4), tr, tolerance);
        ExpectNear(s.GetPixel(w / 4, 3 * h / 4), bl, tolerance);
        ExpectNear(s.GetPixel(3 * w / 4, 3 * h / 4), br, tolerance);
    }

    static std::unique_ptr<TempFolder> folder;
    static bool available;
};

std::unique_ptr<TempFolder> JpegDecoderTest::folder;
bool JpegDecoderTest::available = false;

// An Exif block holding only an orientation, put after the JFIF block.
std::vector<std::uint8_t> WithOrientation(std::vector<std::uint8_t> jpeg, int orientation, bool bigEndian = false)
{
    const auto o = static_cast<std::uint8_t>(orientation);
    // Byte order, 42, the first directory at 8; one entry: tag 0x0112, type 3
    // (16 bits), count 1, the value; no next directory.
    const std::vector<std::uint8_t> tiff =
        bigEndian ? std::vector<std::uint8_t>{'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3,
                                              0, 0, 0, 1, 0, o, 0, 0, 0, 0, 0, 0}
                  : std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0,
                                              1, 0, 0, 0, o, 0, 0, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = static_cast<std::uint8_t>((segment.size() - 2) >> 8);
    segment[3] = static_cast<std::uint8_t>(segment.size() - 2);
    std::size_t after = 2;
    if (jpeg[2] == 0xFF && jpeg[3] == 0xE0) after = 4 + (jpeg[4] << 8 | jpeg[5]);
    jpeg.insert(jpeg.begin() + static_cast<long>(after), segment.begin(), segment.end());
    return jpeg;
}

}  // namespace

TEST_F(JpegDecoderTest, DecodesBaselineProgressiveAndFullChromaAsRgb)
{
    for (const char* name : {"baseline.jpg", "progressive.jpg", "full-chroma.jpg"}) {
        SCOPED_TRACE(name);
        JpegDecoder decoder;
        ASSERT_TRUE(decoder.Init());
        ASSERT_TRUE(decoder.ReadHeader(Path(name).c_str())) << decoder.ErrorMessage();
        EXPECT_EQ(decoder.Width(), 64);
        EXPECT_EQ(decoder.Height(), 48);
        Surface picture;
        ASSERT_TRUE(decoder.ReadImage(picture)) << decoder.ErrorMessage();
        ASSERT_EQ(picture.Width(), 64);
        ASSERT_EQ(picture.Height(), 48);
        ExpectQuarters(picture, kRed, kGreen, kBlue, kWhite, 12);
    }
}

TEST_F(JpegDecoderTest, GreyAndCmykBecomeRgb)
{
    JpegDecoder decoder;
    ASSERT_TRUE(decoder.Init());
    ASSERT_TRUE(decoder.ReadHeader(Path("grey.jpg").c_str()));
    Surface grey;
    ASSERT_TRUE(decoder.ReadImage(grey));
    // ImageMagick makes grey with the weights 0.2126, 0.7152 and 0.0722.
    ExpectQuarters(grey, 0x363636, 0xB6B6B6, 0x121212, kWhite, 6);

    ASSERT_TRUE(decoder.ReadHeader(Path("cmyk.jpg").c_str()));
    Surface cmyk;
    ASSERT_TRUE(decoder.ReadImage(cmyk)) << decoder.ErrorMessage();
    ExpectQuarters(cmyk, kRed, kGreen, kBlue, kWhite, 16);
}

TEST_F(JpegDecoderTest, ScalesToTheLargestReductionThatStillCovers)
{
    struct Case {
        int minWidth, minHeight, width, height;
    };
    const Case cases[] = {
        {100, 75, 100, 75},    // 1/8
        {101, 75, 200, 150},   // 2/8
        {448, 336, 500, 375},  // 5/8: 4/8 gives only 400
        {448, 448, 600, 450},  // the height decides
        {800, 600, 800, 600},
        {2000, 10, 800, 600},  // never larger than the file
    };
    for (const Case& c : cases) {
        JpegDecoder decoder;
        ASSERT_TRUE(decoder.Init());
        ASSERT_TRUE(decoder.ReadHeader(Path("large.jpg").c_str()));
        decoder.ScaleToAtLeast(c.minWidth, c.minHeight);
        EXPECT_EQ(decoder.OutputWidth(), c.width) << c.minWidth << "x" << c.minHeight;
        EXPECT_EQ(decoder.OutputHeight(), c.height) << c.minWidth << "x" << c.minHeight;
        Surface picture;
        ASSERT_TRUE(decoder.ReadImage(picture));
        EXPECT_EQ(picture.Width(), c.width);
        EXPECT_EQ(picture.Height(), c.height);
        // The gradient runs from red at the top to blue at the bottom.
        ExpectNear(picture.GetPixel(c.width / 2, 0), kRed, 12);
        ExpectNear(picture.GetPixel(c.width / 2, c.height - 1), kBlue, 12);
    }
}

// A cut file fails with a message, never as a picture; rows it showed while
// decoding are taken back (a call with 0) before they go, and only then.
TEST_F(JpegDecoderTest, EveryTruncationFailsWithAMessage)
{
    int withdrawn = 0;
    for (const char* name : {"progressive.jpg", "baseline.jpg"}) {
        const std::vector<std::uint8_t> file = ReadWholeFile(Path(name));
        ASSERT_GT(file.size(), 100u);
        for (std::size_t size = 0; size < file.size(); ++size) {
            JpegDecoder decoder;
            ASSERT_TRUE(decoder.Init());
            std::vector<int> shown;
            decoder.WatchRows([&shown](const Surface&, int final) { shown.push_back(final); });
            Surface picture(1, 1);
            bool header = decoder.ReadHeaderFromMemory(file.data(), size);
            bool image = header && decoder.ReadImage(picture);
            ASSERT_FALSE(image) << name << " kept " << size << " of " << file.size();
            EXPECT_FALSE(decoder.ErrorMessage().empty());
            EXPECT_EQ(picture.Width(), 1);
            if (shown.empty()) continue;
            ASSERT_EQ(shown.back(), 0) << name << " kept " << size;
            ASSERT_EQ(std::count(shown.begin(), shown.end(), 0), 1) << name << " kept " << size;
            ++withdrawn;
        }
    }
    EXPECT_GT(withdrawn, 0) << "no cut file showed rows before it failed";
}

TEST_F(JpegDecoderTest, DamagedFilesFailOrDecodeButNeverCrash)
{
    JpegDecoder decoder;
    ASSERT_TRUE(decoder.Init());
    const char notJpeg[] = "BM this is not a JPEG at all";
    EXPECT_FALSE(decoder.ReadHeaderFromMemory(notJpeg, sizeof notJpeg));
    EXPECT_NE(decoder.ErrorMessage().find("Not a JPEG"), std::string::npos) << decoder.ErrorMessage();
    EXPECT_FALSE(decoder.ReadHeader(Path("missing.jpg").c_str()));

    const std::vector<std::uint8_t> good = ReadWholeFile(Path("baseline.jpg"));
    std::uint32_t seed = 99;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> file = good;
        for (int flips = 1 + next() % 3; flips > 0; --flips) file[next() % file.size()] = next() >> 24;
        Surface picture;
        if (decoder.ReadHeaderFromMemory(file.data(), file.size()) && decoder.ReadImage(picture)) {
            EXPECT_EQ(picture.Width(), decoder.OutputWidth());
        }
    }
}

TEST_F(JpegDecoderTest, RefusesPicturesBeyondTheLimit)
{
    JpegDecoder decoder;
    ASSERT_TRUE(decoder.Init());
    decoder.SetMaxPixels(64 * 48 - 1);
    ASSERT_TRUE(decoder.ReadHeader(Path("baseline.jpg").c_str()));
    Surface picture;
    EXPECT_FALSE(decoder.ReadImage(picture));
    EXPECT_NE(decoder.ErrorMessage().find("too large"), std::string::npos);
}

// The loader tries a second name after the first fails, on the same decoder.
TEST_F(JpegDecoderTest, ASecondHeaderReadAfterAFailureSucceeds)
{
    JpegDecoder decoder;
    EXPECT_FALSE(decoder.ReadHeader(Path("baseline.jpg").c_str()));  // not initialised
    ASSERT_TRUE(decoder.Init());
    const std::vector<std::uint8_t> file = ReadWholeFile(Path("baseline.jpg"));
    EXPECT_FALSE(decoder.ReadHeaderFromMemory(file.data(), 20));
    ASSERT_TRUE(decoder.ReadHeader(Path("baseline.jpg").c_str()));
    Surface picture;
    ASSERT_TRUE(decoder.ReadImage(picture));
    ExpectQuarters(picture, kRed, kGreen, kBlue, kWhite, 12);
    EXPECT_FALSE(decoder.ReadImage(picture));  // one picture per header
    decoder.Free();
    EXPECT_FALSE(decoder.ReadHeader(Path("baseline.jpg").c_str()));
}

// A photograph its camera marked as turned or mirrored comes out upright.
TEST_F(JpegDecoderTest, FollowsTheCamerasOrientation)
{
    struct Case {
        int orientation;
        Colour tl, tr, bl, br;
    };
    const Case cases[] = {
        {1, kRed, kGreen, kBlue, kWhite},  {2, kGreen, kRed, kWhite, kBlue}, {3, kWhite, kBlue, kGreen, kRed},
        {4, kBlue, kWhite, kRed, kGreen},  {5, kRed, kBlue, kGreen, kWhite}, {6, kBlue, kRed, kWhite, kGreen},
        {7, kWhite, kGreen, kBlue, kRed},  {8, kGreen, kWhite, kRed, kBlue},
    };
    const std::vector<std::uint8_t> plain = ReadWholeFile(Path("baseline.jpg"));
    for (const Case& c : cases) {
        for (bool bigEndian : {false, true}) {
            SCOPED_TRACE(c.orientation);
            std::vector<std::uint8_t> file = WithOrientation(plain, c.orientation, bigEndian);
            JpegDecoder decoder;
            ASSERT_TRUE(decoder.Init());
            ASSERT_TRUE(decoder.ReadHeaderFromMemory(file.data(), file.size()));
            bool turned = c.orientation >= 5;
            EXPECT_EQ(decoder.Width(), turned ? 48 : 64);
            EXPECT_EQ(decoder.Height(), turned ? 64 : 48);
            decoder.ScaleToAtLeast(turned ? 12 : 16, turned ? 16 : 12);  // 2/8 of the file
            EXPECT_EQ(decoder.OutputWidth(), turned ? 12 : 16);
            // Rows are shown as they are final only where nothing turns the
            // picture afterwards: each row shown is the row that comes out.
            std::vector<std::pair<int, Colour>> shown;
            decoder.WatchRows([&shown](const Surface& rows, int final) {
                shown.emplace_back(final, rows.GetPixel(rows.Width() - 1, final - 1));
            });
            Surface picture;
            ASSERT_TRUE(decoder.ReadImage(picture));
            ASSERT_EQ(picture.Width(), decoder.OutputWidth());
            ASSERT_EQ(picture.Height(), decoder.OutputHeight());
            ExpectQuarters(picture, c.tl, c.tr, c.bl, c.br, 24);
            if (c.orientation != 1) {
                EXPECT_TRUE(shown.empty());
                continue;
            }
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.back().first, picture.Height());
            for (const auto& [final, pixel] : shown)
                EXPECT_EQ(pixel, picture.GetPixel(picture.Width() - 1, final - 1)) << final;
        }
    }
}
