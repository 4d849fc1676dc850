// SPDX-License-Identifier: GPL-3.0-or-later
// The frame reduced to the window by the game itself: a part of the window
// made again after a change of the frame must leave the window exactly as
// the whole frame made again would, at every drawing scale and every window
// shape, or the pieces a player carries would leave seams and stale edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/Letterbox.h"
#include "platform/WindowScaler.h"

namespace {

struct Output {
    int width;
    int height;
    std::vector<std::uint32_t> pixels;
    Output(int width_, int height_)
        : width(width_), height(height_), pixels(static_cast<std::size_t>(width_) * height_, 0xDEADBEEF)
    {
    }
};

void Noise(Surface& frame, const PixelRect& area, std::mt19937& random)
{
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, frame.Height()); ++y)
        for (int x = std::max(area.left, 0); x < std::min(area.right, frame.Width()); ++x)
            frame.SetPixel(x, y, random() & 0xFFFFFF);
}

void MakeWhole(const WindowScaler& scaler, const Surface& frame, Output& out, bool swap)
{
    scaler.Scale(frame, ScreenRect{0, 0, out.width, out.height}, out.pixels.data(), out.width, swap);
}

PixelRect RandomRect(const Surface& frame, std::mt19937& random)
{
    std::uniform_int_distribution<int> x(0, frame.Width() - 1), y(0, frame.Height() - 1), w(1, 90), h(1, 90);
    const int left = x(random), top = y(random);
    return {left, top, left + w(random), top + h(random)};
}

// One frame, one window: every changed part, made alone, gives what the
// whole gives.
void ExpectPartsMatchWhole(int frameWidth, int frameHeight, int targetWidth, int targetHeight, int changes,
                           std::mt19937& random)
{
    SCOPED_TRACE(testing::Message() << frameWidth << "x" << frameHeight << " -> " << targetWidth << "x"
                                    << targetHeight);
    WindowScaler scaler(frameWidth, frameHeight, targetWidth, targetHeight);
    Surface frame(frameWidth, frameHeight);
    Noise(frame, {0, 0, frameWidth, frameHeight}, random);
    Output shown(targetWidth, targetHeight);
    MakeWhole(scaler, frame, shown, true);
    for (int change = 0; change < changes; ++change) {
        const PixelRect changed = RandomRect(frame, random);
        Noise(frame, changed, random);
        const ScreenRect area = scaler.TargetArea(changed);
        scaler.Scale(frame, area, shown.pixels.data(), shown.width, true);
        Output whole(targetWidth, targetHeight);
        MakeWhole(scaler, frame, whole, true);
        int wrong = 0;
        for (std::size_t i = 0; i < whole.pixels.size(); ++i) wrong += whole.pixels[i] != shown.pixels[i];
        ASSERT_EQ(wrong, 0) << "after a change at " << changed.left << "," << changed.top << " to " << changed.right
                            << "," << changed.bottom;
    }
}

TEST(WindowScalerTest, PartsMadeAloneMatchTheWholeAtTheGamesScalesAndScreens)
{
    std::mt19937 random(20);
    // The frame at its drawing scale shown full screen on common screens,
    // and in windows of odd sizes; the largest screens stretch it up.
    const int screens[][2] = {{800, 600},  {1920, 1080}, {2560, 1440}, {1366, 768},
                              {1001, 751}, {1279, 1023}, {3840, 2160}, {400, 300}};
    for (const auto& screen : screens) {
        const Letterbox box(800, 600, screen[0], screen[1]);
        const int scale = box.DrawingScale(3);
        ExpectPartsMatchWhole(800 * scale, 600 * scale, box.Target().width, box.Target().height, 2, random);
    }
}

TEST(WindowScalerTest, PartsMadeAloneMatchTheWholeForManyShapes)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> size(3, 240);
    for (int round = 0; round < 150; ++round) {
        ExpectPartsMatchWhole(size(random), size(random), size(random), size(random), 3, random);
        if (HasFatalFailure()) return;
    }
}

TEST(WindowScalerTest, AFrameOfTheWindowsOwnSizeIsCopiedExactly)
{
    std::mt19937 random(1);
    Surface frame(33, 17);
    Noise(frame, {0, 0, 33, 17}, random);
    WindowScaler scaler(33, 17, 33, 17);
    Output same(33, 17), swapped(33, 17);
    MakeWhole(scaler, frame, same, false);
    MakeWhole(scaler, frame, swapped, true);
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 33; ++x) {
            const Colour colour = frame.GetPixel(x, y);
            const std::size_t at = static_cast<std::size_t>(y) * 33 + x;
            EXPECT_EQ(same.pixels[at], colour);
            EXPECT_EQ(swapped.pixels[at], (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF));
        }
    }
}

TEST(WindowScalerTest, APlainColourStaysExactlyThatColourAtAnySize)
{
    for (const auto& shape : {std::pair{1600, 1440}, {2400, 1920}, {800, 1000}, {1600, 701}, {2400, 2880}}) {
        Surface frame(shape.first, shape.first * 3 / 4);
        frame.Fill(0x3C7F9A);
        const int width = shape.second, height = shape.second * 3 / 4;
        WindowScaler scaler(frame.Width(), frame.Height(), width, height);
        Output out(width, height);
        MakeWhole(scaler, frame, out, false);
        int wrong = 0;
        for (std::uint32_t pixel : out.pixels) wrong += pixel != 0x3C7F9A;
        EXPECT_EQ(wrong, 0) << shape.first << " -> " << shape.second;
    }
}

// A reduction averages: a line one frame pixel wide, wherever it lies
// between target pixels, keeps its share of light instead of vanishing or
// doubling.
TEST(WindowScalerTest, AThinLineKeepsItsShareOfLightWhereverItLies)
{
    for (const auto& shape : {std::pair{1600, 1440}, {2400, 1920}, {1600, 933}, {2400, 2880}}) {
        const int width = shape.second, height = shape.second * 3 / 4;
        WindowScaler scaler(shape.first, shape.first * 3 / 4, width, height);
        for (int column = 50; column < 53; ++column) {
            Surface frame(shape.first, shape.first * 3 / 4);
            frame.FillRect(column, 0, 1, frame.Height(), 0xFFFFFF);
            Output out(width, height);
            MakeWhole(scaler, frame, out, false);
            double light = 0;
            for (int x = 0; x < width; ++x) light += out.pixels[static_cast<std::size_t>(height / 2) * width + x] & 0xFF;
            const double expected = 255.0 * width / shape.first;
            EXPECT_NEAR(light, expected, expected * 0.08) << shape.first << " -> " << width << ", column " << column;
        }
    }
}

// A smooth slope of red across and green down lands where each target
// pixel's centre lies, in either channel order: the weights are applied at
// the right frame pixels, in whole frames (made in bands side by side) and
// in small parts alike.
TEST(WindowScalerTest, ASlopeArrivesAtEachTargetPixelsCentreInEitherChannelOrder)
{
    const int shapes[][4] = {{1600, 1200, 1440, 1080}, {2400, 1800, 1920, 1440}, {1600, 1200, 1001, 751},
                             {1600, 1200, 1800, 1350}, {800, 600, 400, 300}, {2400, 1800, 330, 247}};
    for (const auto& shape : shapes) {
        const int frameWidth = shape[0], frameHeight = shape[1], width = shape[2], height = shape[3];
        Surface frame(frameWidth, frameHeight);
        for (int y = 0; y < frameHeight; ++y)
            for (int x = 0; x < frameWidth; ++x)
                frame.SetPixel(x, y, MakeColour(x * 255 / (frameWidth - 1), y * 255 / (frameHeight - 1), 0x5A));
        WindowScaler scaler(frameWidth, frameHeight, width, height);
        for (const bool swap : {false, true}) {
            Output out(width, height);
            MakeWhole(scaler, frame, out, swap);
            scaler.Scale(frame, ScreenRect{width / 3, height / 3, 40, 30}, out.pixels.data(), width, swap);
            int wrong = 0;
            // Away from the edges, where the slope is cut off.
            const int marginX = frameWidth / width + 3, marginY = frameHeight / height + 3;
            for (int y = marginY; y < height - marginY; ++y) {
                for (int x = marginX; x < width - marginX; ++x) {
                    const double centreX = (x + 0.5) * frameWidth / width - 0.5;
                    const double centreY = (y + 0.5) * frameHeight / height - 0.5;
                    const std::uint32_t pixel = out.pixels[static_cast<std::size_t>(y) * width + x];
                    const int red = static_cast<int>(swap ? pixel >> 16 & 0xFF : pixel & 0xFF);
                    const int blue = static_cast<int>(swap ? pixel & 0xFF : pixel >> 16 & 0xFF);
                    const int green = static_cast<int>(pixel >> 8 & 0xFF);
                    wrong += std::abs(red - centreX * 255 / (frameWidth - 1)) > 1.5 ||
                             std::abs(green - centreY * 255 / (frameHeight - 1)) > 1.5 || blue != 0x5A ||
                             (pixel >> 24) != 0;
                }
            }
            EXPECT_EQ(wrong, 0) << frameWidth << "x" << frameHeight << " -> " << width << "x" << height
                                << (swap ? ", red and blue swapped" : "");
        }
    }
}

TEST(WindowScalerTest, NothingChangedReachesNoPixel)
{
    WindowScaler scaler(1600, 1200, 1440, 1080);
    EXPECT_EQ(scaler.TargetArea({10, 10, 10, 40}).width, 0);
    EXPECT_EQ(scaler.TargetArea({1700, 10, 1800, 40}).width, 0);
    const ScreenRect all = scaler.TargetArea({-5, -5, 5000, 5000});
    EXPECT_EQ(all.x, 0);
    EXPECT_EQ(all.y, 0);
    EXPECT_EQ(all.width, 1440);
    EXPECT_EQ(all.height, 1080);
}

}  // namespace
