// SPDX-License-Identifier: GPL-3.0-or-later
// Reducing pictures: fine stripes come out at their true frequency, not as
// the false stripes that picking one pixel in so many makes; a picture kept
// at its size, and a flat colour at any size, stay exact; the reduction by
// area gives each pixel the average of the source area it covers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <array>
#include <random>
#include <thread>
#include <vector>

#include "platform/AreaReducer.h"
#include "platform/PictureScaler.h"

namespace {

constexpr Colour kRed = MakeColour(220, 30, 30);
constexpr Colour kBlue = MakeColour(30, 40, 210);

// Upright stripes, `period` pixels for one red and one blue stripe.
Surface Stripes(int width, int height, int period)
{
    Surface picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.SetPixel(x, y, (x % period) * 2 < period ? kRed : kBlue);
    return picture;
}

// The power of a row's red channel at each frequency, in cycles across the
// row (0 left out: the average colour).
std::vector<double> Spectrum(const Surface& picture, int y)
{
    const int n = picture.Width();
    std::vector<double> power(n / 2 + 1, 0.0);
    double mean = 0;
    for (int x = 0; x < n; ++x) mean += RedOf(picture.GetPixel(x, y));
    mean /= n;
    for (int k = 1; k <= n / 2; ++k) {
        double re = 0, im = 0;
        for (int x = 0; x < n; ++x) {
            const double v = RedOf(picture.GetPixel(x, y)) - mean;
            const double angle = 2 * M_PI * k * x / n;
            re += v * std::cos(angle);
            im -= v * std::sin(angle);
        }
        power[k] = re * re + im * im;
    }
    return power;
}

// The spread of a row's red channel around its average.
double Spread(const Surface& picture, int y)
{
    double sum = 0, squares = 0;
    for (int x = 0; x < picture.Width(); ++x) {
        sum += RedOf(picture.GetPixel(x, y));
        squares += RedOf(picture.GetPixel(x, y)) * RedOf(picture.GetPixel(x, y));
    }
    const double mean = sum / picture.Width();
    return std::sqrt(std::max(0.0, squares / picture.Width() - mean * mean));
}

// Stripes that the reduced picture can still carry (at least 2.5 pixels a
// period) keep their frequency: the strongest one is the stripes' own, and
// it holds nearly all of the row's power. Picking the pixel under each
// centre instead leaves a fifth or more of it in false stripes.
TEST(PictureScalerTest, FineStripesSurviveAtTheirTrueFrequency)
{
    struct Case {
        int width, period;
    } cases[] = {{1344, 9}, {1000, 7}, {2000, 12}, {1500, 10}, {700, 5}, {3000, 20}, {1200, 8}, {1792, 11}};
    constexpr int kTarget = 448;
    for (const Case& c : cases) {
        const int height = 24;
        Surface reduced = PictureScaler::Resize(Stripes(c.width, height, c.period), kTarget, 8);
        ASSERT_EQ(reduced.Width(), kTarget);
        ASSERT_EQ(reduced.Height(), 8);
        // The stripes' frequency in cycles across the row: as many as the picture had.
        const double truth = static_cast<double>(c.width) / c.period;
        const std::vector<double> power = Spectrum(reduced, 4);
        int strongest = 1;
        double total = 0, nearTruth = 0;
        for (int k = 1; k < static_cast<int>(power.size()); ++k) {
            total += power[k];
            if (power[k] > power[strongest]) strongest = k;
            if (std::fabs(k - truth) <= 2) nearTruth += power[k];
        }
        EXPECT_LE(std::fabs(strongest - truth), 1.0) << c.width << " / " << c.period;
        EXPECT_GE(nearTruth / total, 0.88) << c.width << " / " << c.period;
    }
}

// Stripes finer than the reduced picture can carry fade to their average
// colour instead of coming out as false, coarser stripes at full strength.
TEST(PictureScalerTest, StripesTooFineForTheSizeFadeInsteadOfTurningFalse)
{
    struct Case {
        int width, period;
    } cases[] = {{1500, 6}, {2000, 8}, {1000, 4}, {3000, 10}, {4000, 6}, {1300, 5}};
    for (const Case& c : cases) {
        Surface stripes = Stripes(c.width, 24, c.period);
        Surface reduced = PictureScaler::Resize(stripes, 448, 8);
        EXPECT_LE(Spread(reduced, 4), 0.25 * Spread(stripes, 4)) << c.width << " / " << c.period;
    }
}

TEST(PictureScalerTest, SameSizeIsExactAndAFlatColourStaysItself)
{
    Surface picture = Stripes(37, 23, 5);
    picture.SetPixel(3, 4, MakeColour(1, 2, 3));
    Surface same = PictureScaler::Resize(picture, 37, 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(same.GetPixel(x, y), picture.GetPixel(x, y)) << x << ", " << y;

    for (Colour colour : {kRed, kBlue, MakeColour(1, 1, 1), kWhite, MakeColour(128, 64, 250)}) {
        Surface flat(301, 207);
        flat.Fill(colour);
        for (int size : {1, 7, 100, 150}) {
            Surface reduced = PictureScaler::Resize(flat, size * 3 / 2, size);
            for (int y = 0; y < reduced.Height(); ++y)
                for (int x = 0; x < reduced.Width(); ++x) ASSERT_EQ(reduced.GetPixel(x, y), colour) << size;
        }
    }
    EXPECT_TRUE(PictureScaler::Resize(Surface(), 10, 10).IsEmpty());
    EXPECT_TRUE(PictureScaler::Resize(picture, 0, 10).IsEmpty());
}

// Enlarged smoothly (a 448 picture on a screen of scale 2 or 3): a sharp
// edge becomes a short ramp instead of blocks of whole pixels, a ramp stays
// a ramp, a flat colour stays itself, and a same-size copy is exact.
TEST(PictureScalerTest, SmoothEnlargingRampsAnEdgeAndKeepsFlatColours)
{
    for (int scale : {2, 3}) {
        Surface edge(40, 6);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 40; ++x) edge.SetPixel(x, y, x < 20 ? kRed : kBlue);
        const Surface big = PictureScaler::ResizeSmooth(edge, 40 * scale, 6 * scale);
        ASSERT_EQ(big.Width(), 40 * scale);
        int between = 0;
        for (int x = 0; x < big.Width(); ++x) {
            const int red = RedOf(big.GetPixel(x, 3 * scale));
            between += red > RedOf(kBlue) + 10 && red < RedOf(kRed) - 10;
        }
        EXPECT_GE(between, scale) << "scale " << scale;  // a ramp, at least a source pixel long
        EXPECT_LE(between, 4 * scale) << "scale " << scale;  // and no wider than the filter
        EXPECT_EQ(big.GetPixel(0, 0), kRed);
        EXPECT_EQ(big.GetPixel(big.Width() - 1, 0), kBlue);

        Surface ramp(64, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 64; ++x) ramp.SetPixel(x, y, MakeColour(x * 4, 100, 100));
        const Surface rampBig = PictureScaler::ResizeSmooth(ramp, 64 * scale, 4 * scale);
        for (int x = 1; x < rampBig.Width(); ++x)
            ASSERT_GE(RedOf(rampBig.GetPixel(x, 2)), RedOf(rampBig.GetPixel(x - 1, 2))) << "scale " << scale << " at " << x;

        Surface flat(30, 20);
        flat.Fill(MakeColour(128, 64, 250));
        const Surface flatBig = PictureScaler::ResizeSmooth(flat, 30 * scale, 20 * scale);
        for (int y = 0; y < flatBig.Height(); ++y)
            for (int x = 0; x < flatBig.Width(); ++x) ASSERT_EQ(flatBig.GetPixel(x, y), MakeColour(128, 64, 250));
    }
    Surface picture = Stripes(37, 23, 5);
    const Surface same = PictureScaler::ResizeSmooth(picture, 37, 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(same.GetPixel(x, y), picture.GetPixel(x, y));
    EXPECT_TRUE(PictureScaler::ResizeSmooth(Surface(), 10, 10).IsEmpty());
}

// The average of the source area under target pixel (x, y), channel by
// channel, from the exact share of every source pixel.
double AreaAverage(const Surface& picture, int width, int height, int x, int y, int shift)
{
    const double stepX = static_cast<double>(picture.Width()) / width;
    const double stepY = static_cast<double>(picture.Height()) / height;
    const double left = x * stepX, right = (x + 1) * stepX, top = y * stepY, bottom = (y + 1) * stepY;
    double sum = 0;
    for (int sy = static_cast<int>(top); sy < picture.Height() && sy < bottom; ++sy) {
        const double down = std::min<double>(bottom, sy + 1) - std::max<double>(top, sy);
        for (int sx = static_cast<int>(left); sx < picture.Width() && sx < right; ++sx) {
            const double across = std::min<double>(right, sx + 1) - std::max<double>(left, sx);
            sum += across * down * ((picture.GetPixel(sx, sy) >> shift) & 0xFF);
        }
    }
    return sum / (stepX * stepY);
}

// Noise, the hardest case for a reduction: a pixel taken from the wrong row
// or column, or a band of rows made twice or not at all, shows at once.
// Shrinking by a little (a photo brought to a large cut's size) and by a lot,
// on sizes that split unevenly into the bands made side by side.
TEST(PictureScalerTest, ReductionByAreaAveragesWhatEachPixelCovers)
{
    std::mt19937 random(11);
    struct Case {
        int width, height, toWidth, toHeight;
    };
    for (const Case& c : {Case{60, 40, 53, 35}, Case{97, 61, 96, 60}, Case{64, 48, 32, 24}, Case{101, 77, 17, 9},
                          Case{33, 250, 31, 201}, Case{250, 7, 203, 7}, Case{250, 90, 100, 40}, Case{45, 45, 1, 1},
                          Case{13, 11, 13, 11}}) {
        Surface noise(c.width, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) noise.SetPixel(x, y, random() & 0xFFFFFF);
        const Surface reduced = PictureScaler::ReduceByArea(noise, c.toWidth, c.toHeight);
        ASSERT_EQ(reduced.Width(), c.toWidth);
        ASSERT_EQ(reduced.Height(), c.toHeight);
        for (int y = 0; y < c.toHeight; ++y)
            for (int x = 0; x < c.toWidth; ++x)
                for (int shift : {0, 8, 16}) {
                    const int got = (reduced.GetPixel(x, y) >> shift) & 0xFF;
                    // Within the rounding of the shares to 256ths.
                    ASSERT_NEAR(got, AreaAverage(noise, c.toWidth, c.toHeight, x, y, shift), 2.0)
                        << c.width << " x " << c.height << " to " << c.toWidth << " x " << c.toHeight << " at " << x
                        << ", " << y << " channel " << shift / 8;
                }
        if (c.toWidth == c.width && c.toHeight == c.height) {
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) ASSERT_EQ(reduced.GetPixel(x, y), noise.GetPixel(x, y));
        }
    }
    Surface flat(301, 207);
    flat.Fill(MakeColour(128, 64, 250));
    const Surface flatReduced = PictureScaler::ReduceByArea(flat, 277, 190);
    for (int y = 0; y < flatReduced.Height(); ++y)
        for (int x = 0; x < flatReduced.Width(); ++x) ASSERT_EQ(flatReduced.GetPixel(x, y), MakeColour(128, 64, 250));
    EXPECT_TRUE(PictureScaler::ReduceByArea(Surface(), 10, 10).IsEmpty());
    EXPECT_TRUE(PictureScaler::ReduceByArea(flat, 10, 0).IsEmpty());
}

}  // namespace

namespace {

// Rows arriving a few at a time while two threads work, as from a decoder,
// give the very pixels of the reduction made at once; a reduction whose
// rows stop coming lets its threads go when abandoned.
TEST(AreaReducerTest, RowsReducedAsTheyArriveAreTheWholeReduction)
{
    std::mt19937 random(5);
    for (const auto& [width, height, toWidth, toHeight] :
         {std::array<int, 4>{300, 211, 277, 190}, {97, 400, 60, 399}, {64, 64, 64, 64}, {120, 90, 41, 30}}) {
        Surface noise(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) noise.SetPixel(x, y, random() & 0xFFFFFF);
        const Surface whole = AreaReducer::Reduce(noise, toWidth, toHeight);

        AreaReducer reducer(width, height, toWidth, toHeight);
        std::thread first([&] { reducer.Work(); }), second([&] { reducer.Work(); });
        for (int rows = 0; rows < height;) {
            rows = std::min(height, rows + 1 + static_cast<int>(random() % 23));
            reducer.Arrived(noise.Pixels(), rows);
        }
        first.join();
        second.join();
        const Surface streamed = reducer.TakeResult();
        ASSERT_EQ(streamed.Width(), toWidth);
        for (int y = 0; y < toHeight; ++y)
            for (int x = 0; x < toWidth; ++x)
                ASSERT_EQ(streamed.GetPixel(x, y), whole.GetPixel(x, y)) << width << " x " << height << " at " << x
                                                                         << ", " << y;
    }

    Surface flat(200, 300);
    AreaReducer stopped(200, 300, 150, 250);
    std::thread waiting([&] { stopped.Work(); });
    stopped.Arrived(flat.Pixels(), 100);
    stopped.Abandon();
    waiting.join();  // returns: the rows it waits for will never come
    EXPECT_TRUE(AreaReducer(10, 10, 11, 10).IsEmpty());
}

}  // namespace
