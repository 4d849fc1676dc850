// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/BmpCodec.h"
#include "platform/BmpWriter.h"

namespace {

// A width of 3 makes every 24-bit row need one byte of padding.
TEST(BmpWriter, RoundTripsEveryPixelWithPaddedRows)
{
    Surface picture(3, 2);
    const Colour colours[6] = {MakeColour(255, 0, 0),   MakeColour(0, 255, 0), MakeColour(0, 0, 255),
                               MakeColour(1, 1, 1),     kWhite,                MakeColour(12, 34, 56)};
    for (int i = 0; i < 6; ++i) picture.SetPixel(i % 3, i / 3, colours[i]);

    std::vector<unsigned char> file = BmpWriter::Encode(picture);
    ASSERT_EQ(file.size(), 54u + 2 * 12u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(file[14], 40) << "plain info header";
    EXPECT_EQ(file[28], 24) << "bits per pixel";

    Surface decoded;
    std::string reason;
    ASSERT_TRUE(BmpCodec::Decode(file.data(), file.size(), decoded, &reason)) << reason;
    ASSERT_EQ(decoded.Width(), 3);
    ASSERT_EQ(decoded.Height(), 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(decoded.GetPixel(i % 3, i / 3), colours[i]) << i;
}

TEST(BmpWriter, KeepsPureBlackForTheSeeThroughColour)
{
    Surface picture(2, 2);
    picture.SetPixel(1, 1, kWhite);
    std::vector<unsigned char> file = BmpWriter::Encode(picture);
    Surface decoded;
    ASSERT_TRUE(BmpCodec::Decode(file.data(), file.size(), decoded));
    EXPECT_EQ(decoded.GetPixel(0, 0), kBlack);
    EXPECT_EQ(decoded.GetPixel(1, 1), kWhite);
}

TEST(BmpWriter, AnEmptySurfaceGivesNoFile)
{
    EXPECT_TRUE(BmpWriter::Encode(Surface()).empty());
}

}  // namespace
