// SPDX-License-Identifier: GPL-3.0-or-later
// The art drawn for large screens: every picture of the screens is there at
// 2 and 3 pixels a unit, is the same art as at 1, and was drawn at that
// resolution rather than enlarged from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ArchiveReader.h"
#include "platform/BmpCodec.h"
#include "platform/PictureDecoder.h"
#include "resources/ResourceNames.h"

namespace {

bool EndsWith(const std::string& name, const std::string& end)
{
    return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

Surface Decode(const std::string& name)
{
    Surface out;
    const Bytes* bytes = BuiltArchive().Find(name);
    if (!bytes) {
        ADD_FAILURE() << "missing: " << name;
        return out;
    }
    if (EndsWith(name, ".bmp")) {
        std::string reason;
        if (!BmpCodec::Decode(bytes->data(), bytes->size(), out, &reason)) ADD_FAILURE() << name << ": " << reason;
        return out;
    }
    PictureDecoder decoder;
    if (!decoder.Open(bytes->data(), bytes->size()) || !decoder.Decode(out))
        ADD_FAILURE() << name << ": " << decoder.Detail();
    return out;
}

// Blocks of scale x scale pixels whose pixels are not all alike: an
// enlargement of the 1x picture has none.
double ShareOfDetailedBlocks(const Surface& big, int scale)
{
    long long blocks = 0, detailed = 0;
    for (int by = 0; by + scale <= big.Height(); by += scale)
        for (int bx = 0; bx + scale <= big.Width(); bx += scale) {
            ++blocks;
            Colour first = big.GetPixel(bx, by);
            bool alike = true;
            for (int y = by; y < by + scale && alike; ++y)
                for (int x = bx; x < bx + scale && alike; ++x) alike = big.GetPixel(x, y) == first;
            detailed += !alike;
        }
    return blocks ? static_cast<double>(detailed) / blocks : 0.0;
}

// Mean difference of a channel between the 1x picture and the large one
// averaged down to it, 0..255.
double MeanDifference(const Surface& small, const Surface& big, int scale)
{
    double total = 0;
    for (int y = 0; y < small.Height(); ++y)
        for (int x = 0; x < small.Width(); ++x) {
            int sum[3] = {0, 0, 0};
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx) {
                    Colour c = big.GetPixel(x * scale + dx, y * scale + dy);
                    sum[0] += RedOf(c), sum[1] += GreenOf(c), sum[2] += BlueOf(c);
                }
            Colour c = small.GetPixel(x, y);
            const int area = scale * scale;
            total += std::abs(sum[0] / area - RedOf(c)) + std::abs(sum[1] / area - GreenOf(c)) +
                     std::abs(sum[2] / area - BlueOf(c));
        }
    return total / (3.0 * small.Width() * small.Height());
}

int CountBlack(const Surface& s)
{
    int black = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) black += s.GetPixel(x, y) == kBlack;
    return black;
}

}  // namespace

TEST(ScaledArt, ScaledNamesFollowTheOneTimesName)
{
    EXPECT_EQ(res::ScaledArtName("data/menu/x.bmp", 2), "data/menu/x@2x.bmp");
    EXPECT_EQ(res::ScaledArtName(res::kLogo, 3), "data/logo@3x.bmp");
    EXPECT_FALSE(res::IsScreenArt(res::ScaledArtName(res::kLogo, 3))) << "drawn at one scale only";
    EXPECT_FALSE(res::IsScreenArt(res::kWindowIcon));
    EXPECT_TRUE(res::IsScreenArt(res::kPanelTop));
}

TEST(ScaledArt, EveryPictureOfTheScreensIsDrawnAtEachScaleNotEnlarged)
{
    ASSERT_FALSE(BuiltArchive().Entries().empty()) << LoadError();
    int checked = 0;
    for (const auto& [name, bytes] : BuiltArchive().Entries()) {
        if (!res::IsScreenArt(name)) continue;
        const Surface small = Decode(name);
        for (int scale : res::kArtScales) {
            const std::string scaledName = res::ScaledArtName(name, scale);
            SCOPED_TRACE(scaledName);
            const Surface big = Decode(scaledName);
            ASSERT_EQ(big.Width(), small.Width() * scale);
            ASSERT_EQ(big.Height(), small.Height() * scale);
            // The same art: averaged down, it comes close to the 1x picture.
            EXPECT_LT(MeanDifference(small, big, scale), 14.0);
            // Drawn at the scale: its edges, text and gradients carry detail
            // inside the blocks a 1x pixel covers.
            EXPECT_GT(ShareOfDetailedBlocks(big, scale), 0.03);
            // See-through art stays see-through in the same places, near enough.
            const double blackShare = CountBlack(small) / double(small.Width() * small.Height());
            const double bigBlackShare = CountBlack(big) / double(big.Width() * big.Height());
            EXPECT_NEAR(bigBlackShare, blackShare, 0.05);
            ++checked;
        }
    }
    EXPECT_GE(checked, 100);
}

TEST(ScaledArt, TheArchiveStaysUnderFortyFiveMegabytes)
{
    std::FILE* file = std::fopen(ArchiveReader::BuiltArchivePath().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    EXPECT_LT(size, 45L * 1000 * 1000);
}

// Whether a JPEG's frame is progressive: the first frame marker after the
// segments before it tells.
bool IsProgressiveJpeg(const Bytes& bytes)
{
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const int marker = bytes[at + 1];
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        at += 2 + (bytes[at + 2] << 8 | bytes[at + 3]);
    }
    return false;
}

// The shipped pictures' large copies: the shape of the BMP, no larger than
// about 3,000 pixels on the longer side, and never under 2,400: each can be
// cut into a thousand pieces of at least 60 x 60 of its own pixels, enough to
// stay sharp on a table zoomed in. Each is a baseline JPEG, which the library
// reduces while it decodes without holding the whole picture's coefficients.
TEST(ScaledArt, EachPictureIsShippedLargeEnoughForAThousandPieces)
{
    constexpr long kPieces = 1000, kPieceSide = 60;
    for (int i = 0; i < res::kPictureCount; ++i) {
        const std::string small = PictureName(i), large = res::LargePictureName(small);
        SCOPED_TRACE(large);
        const Surface bmp = Decode(small), jpeg = Decode(large);
        ASSERT_FALSE(jpeg.IsEmpty());
        const int longer = std::max(jpeg.Width(), jpeg.Height());
        EXPECT_LE(longer, 3100);
        EXPECT_GE(longer, 2400);
        EXPECT_GE(long{jpeg.Width()} * jpeg.Height(), kPieces * kPieceSide * kPieceSide);
        EXPECT_NEAR(double(jpeg.Width()) / jpeg.Height(), double(bmp.Width()) / bmp.Height(), 0.01);
        EXPECT_FALSE(IsProgressiveJpeg(*BuiltArchive().Find(large)));
    }
}

// The logo's name stands on a soft shadow and fades out into the white all
// round: nowhere along a row does the ink of its letters or their gold edge
// end at once, as it would where the art was cut off at the edge of the
// name's own picture. Checked at every scale the logo is drawn at.
TEST(ScaledArt, TheLogosNameIsWholeAtEveryScale)
{
    // The name's rows, above the rule under it, right of the pieces (in units).
    constexpr int kNameLeft = 180, kNameBottom = 130;
    for (int scale : {1, 2, 3}) {
        const std::string name = scale == 1 ? std::string(res::kLogo) : res::ScaledArtName(res::kLogo, scale);
        SCOPED_TRACE(name);
        const Surface logo = Decode(name);
        ASSERT_EQ(logo.Width(), 700 * scale);
        auto fromWhite = [&](int x, int y) {
            const Colour c = logo.GetPixel(x, y);
            return 3 * 255 - static_cast<int>(RedOf(c) + GreenOf(c) + BlueOf(c));
        };
        int cutEnds = 0, lastInk = 0;
        for (int y = 0; y < kNameBottom * scale; ++y)
            for (int x = kNameLeft * scale; x + 1 < logo.Width(); ++x) {
                if (fromWhite(x, y) > 24) lastInk = std::max(lastInk, x);
                // Ink, and white right beside it: the shadow would lie between.
                if (fromWhite(x, y) > 150 && fromWhite(x + 1, y) < 12) ++cutEnds;
            }
        EXPECT_EQ(cutEnds, 0);
        // And the shadow's fading edge lies well inside the picture.
        EXPECT_LT(lastInk, logo.Width() - 20 * scale);
    }
}
