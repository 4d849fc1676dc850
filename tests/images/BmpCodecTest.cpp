// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BmpWriter.h"
#include "TempFolder.h"
#include "platform/BmpCodec.h"

namespace {

// A picture with `colours` distinct colours, long runs and lone pixels mixed,
// so that every packing and every kind of RLE run is used.
Surface TestPicture(int width, int height, int colours)
{
    Surface picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int index = (x < width / 2 ? y : x * 7 + y * 3) % colours;
            picture.SetPixel(x, y, MakeColour(index * 37 + 11, 255 - index * 13, index * 91));
        }
    }
    return picture;
}

bool Decode(const std::vector<std::uint8_t>& file, Surface& out, std::string* reason = nullptr)
{
    return BmpCodec::Decode(file.data(), file.size(), out, reason);
}

// Colours come back exactly, except that 16-bit files keep only 5 or 6 bits
// a channel, which decoders spread back over 8 bits each in their own way.
// Black stays exactly black in every depth: it is the transparent colour.
// Other writers round to 5 or 6 bits in their own way too (give `tolerance`).
void ExpectSamePicture(const Surface& expected, const Surface& actual, const BmpOptions& options, int tolerance = -1)
{
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    if (tolerance < 0) tolerance = options.bitCount == 16 ? 2 : 0;
    for (int y = 0; y < expected.Height(); ++y) {
        for (int x = 0; x < expected.Width(); ++x) {
            Colour want = BmpWriter::RoundTrip(expected.GetPixel(x, y), options), got = actual.GetPixel(x, y);
            if (want == kBlack) {
                ASSERT_EQ(got, kBlack) << "at " << x << "," << y;
            }
            ASSERT_NEAR(RedOf(got), RedOf(want), tolerance) << "at " << x << "," << y;
            ASSERT_NEAR(GreenOf(got), GreenOf(want), tolerance) << "at " << x << "," << y;
            ASSERT_NEAR(BlueOf(got), BlueOf(want), tolerance) << "at " << x << "," << y;
            ASSERT_EQ(got >> 24, 0u);
        }
    }
}

struct Variant {
    const char* name;
    BmpOptions options;
    int colours;
};

const Variant kVariants[] = {
    {"1 bit", {1, false, BmpCompression::None, 40}, 2},
    {"2 bits", {2, false, BmpCompression::None, 40}, 4},
    {"4 bits", {4, false, BmpCompression::None, 40}, 16},
    {"8 bits", {8, false, BmpCompression::None, 40}, 200},
    {"8 bits top-down", {8, true, BmpCompression::None, 40}, 200},
    {"4 bits RLE", {4, false, BmpCompression::Rle, 40}, 16},
    {"8 bits RLE", {8, false, BmpCompression::Rle, 40}, 100},
    {"16 bits 5-5-5", {16, false, BmpCompression::None, 40}, 1000},
    {"16 bits 5-6-5", {16, false, BmpCompression::Bitfields, 40}, 1000},
    {"24 bits", {24, false, BmpCompression::None, 40}, 1000},
    {"24 bits top-down", {24, true, BmpCompression::None, 40}, 1000},
    {"32 bits", {32, false, BmpCompression::None, 40}, 1000},
    {"32 bits bit fields", {32, false, BmpCompression::Bitfields, 40}, 1000},
    {"32 bits version 4 header", {32, false, BmpCompression::Bitfields, 108}, 1000},
    {"32 bits version 5 header, red low", {32, true, BmpCompression::Bitfields, 124, true}, 1000},
    {"24 bits OS/2 header", {24, false, BmpCompression::None, 12}, 1000},
    {"8 bits OS/2 header", {8, false, BmpCompression::None, 12}, 50},
};

}  // namespace

TEST(BmpCodec, DecodesEveryVariantPixelForPixel)
{
    for (const Variant& variant : kVariants) {
        SCOPED_TRACE(variant.name);
        for (int width : {1, 13, 64}) {
            Surface picture = TestPicture(width, 9, variant.colours);
            Surface decoded;
            std::string reason;
            ASSERT_TRUE(Decode(BmpWriter::Write(picture, variant.options), decoded, &reason)) << reason;
            ExpectSamePicture(picture, decoded, variant.options);
        }
    }
}

TEST(BmpCodec, TopDownRowsGiveAnUprightPictureOfPositiveHeight)
{
    Surface picture(3, 2);
    picture.SetPixel(0, 0, 0x0000FF);  // red top-left
    picture.SetPixel(2, 1, 0xFF0000);  // blue bottom-right
    Surface decoded;
    ASSERT_TRUE(Decode(BmpWriter::Write(picture, {24, true}), decoded));
    EXPECT_EQ(decoded.Height(), 2);
    EXPECT_EQ(decoded.GetPixel(0, 0), 0x0000FFu);
    EXPECT_EQ(decoded.GetPixel(2, 1), 0xFF0000u);
}

TEST(BmpCodec, AlphaBytesNeverReachTheColour)
{
    Surface picture(2, 1);
    picture.SetPixel(0, 0, 0x123456);
    Surface decoded;
    ASSERT_TRUE(Decode(BmpWriter::Write(picture, {32, false, BmpCompression::None, 108}), decoded));
    EXPECT_EQ(decoded.GetPixel(0, 0), 0x123456u);
    EXPECT_EQ(decoded.GetPixel(1, 0), 0u);  // black stays exactly black, the transparent colour
}

// Every way a file can be cut short is refused, never read past (the
// sanitizer build watches the reads). Only the padding after the last row
// may be missing: every pixel is still there.
TEST(BmpCodec, EveryTruncationIsRefused)
{
    for (const Variant& variant : kVariants) {
        SCOPED_TRACE(variant.name);
        const int width = 13;
        std::vector<std::uint8_t> file = BmpWriter::Write(TestPicture(width, 5, variant.colours), variant.options);
        std::size_t lastRowPadding = 0;
        if (variant.options.compression != BmpCompression::Rle) {
            std::size_t rowBytes = (width * variant.options.bitCount + 31) / 32 * 4;
            lastRowPadding = rowBytes - (width * variant.options.bitCount + 7) / 8;
        }
        for (std::size_t size = 0; size < file.size() - lastRowPadding; ++size) {
            std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<long>(size));
            Surface decoded(1, 1);
            std::string reason;
            ASSERT_FALSE(Decode(cut, decoded, &reason)) << "kept " << size << " of " << file.size();
            EXPECT_FALSE(reason.empty());
            EXPECT_EQ(decoded.Width(), 1);  // untouched
        }
    }
}

TEST(BmpCodec, DamagedHeadersAreRefusedWithAReason)
{
    const std::vector<std::uint8_t> good = BmpWriter::Write(TestPicture(8, 4, 4), {8});
    auto damaged = [&good](std::size_t at, std::vector<std::uint8_t> bytes) {
        std::vector<std::uint8_t> file = good;
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<long>(at));
        return file;
    };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        const char* reason;
    };
    const Case cases[] = {
        {"not a bitmap", damaged(0, {'P', 'K'}), "not a BMP"},
        {"zero width", damaged(18, {0, 0, 0, 0}), "empty"},
        {"negative width", damaged(18, {0xFF, 0xFF, 0xFF, 0xFF}), "empty"},
        {"zero height", damaged(22, {0, 0, 0, 0}), "empty"},
        {"huge width", damaged(18, {0, 0, 0, 0x10}), "too large"},
        {"most negative height", damaged(22, {0, 0, 0, 0x80}), "too large"},
        {"pixels past the end", damaged(10, {0xFF, 0xFF, 0, 0}), "truncated"},
        {"header size past the end", damaged(14, {0, 0, 1, 0}), "truncated"},
        {"header size too small", damaged(14, {4, 0, 0, 0}), "truncated"},
        {"unknown depth", damaged(28, {7, 0}), ""},
        {"unknown compression", damaged(30, {9, 0, 0, 0}), "compression"},
        {"compressed as a JPEG inside", damaged(30, {4, 0, 0, 0}), "compression"},
        {"RLE8 at 24 bits", damaged(28, {24, 0, 1, 0, 0, 0}), "compression"},
    };
    for (const Case& c : cases) {
        Surface decoded;
        std::string reason;
        EXPECT_FALSE(Decode(c.file, decoded, &reason)) << c.what;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
        EXPECT_FALSE(reason.empty()) << c.what;
    }
}

TEST(BmpCodec, ColourIndexBeyondTheTableIsRefused)
{
    Surface picture(4, 1);  // two colours: a table of two entries
    picture.SetPixel(1, 0, kWhite);
    std::vector<std::uint8_t> file = BmpWriter::Write(picture, {8});
    std::uint32_t offset = file[10] | file[11] << 8;
    file[offset + 2] = 200;  // no such entry
    Surface decoded;
    std::string reason;
    EXPECT_FALSE(Decode(file, decoded, &reason));
    EXPECT_FALSE(reason.empty());
}

// RLE escapes may end a line or the picture early, or jump ahead: the pixels
// passed over stay black, whatever the first colour of the table is.
TEST(BmpCodec, PixelsSkippedByRleEscapesStayBlack)
{
    for (int bits : {8, 4}) {
        SCOPED_TRACE(bits);
        std::vector<std::uint8_t> file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,  // pixels at 62
                                          40, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0,        // 5 x 3
                                          1, 0, static_cast<std::uint8_t>(bits), 0,
                                          static_cast<std::uint8_t>(bits == 8 ? 1 : 2), 0, 0, 0,
                                          0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                                          0, 0, 255, 0, 0, 255, 0, 0};  // table: red, green
        const std::uint8_t green = bits == 8 ? 1 : 0x11;
        const std::vector<std::uint8_t> pixels = {
            2, green, 0, 0,  // bottom row: two green, then end of line
            0, 2, 3, 0,      // jump 3 right on the middle row
            1, green, 0, 1,  // one green at x 3, end of the picture
        };
        file.insert(file.end(), pixels.begin(), pixels.end());
        Surface decoded;
        std::string reason;
        ASSERT_TRUE(Decode(file, decoded, &reason)) << reason;
        EXPECT_EQ(decoded.GetPixel(0, 2), 0x00FF00u);
        EXPECT_EQ(decoded.GetPixel(1, 2), 0x00FF00u);
        EXPECT_EQ(decoded.GetPixel(2, 2), kBlack);
        EXPECT_EQ(decoded.GetPixel(2, 1), kBlack);
        EXPECT_EQ(decoded.GetPixel(3, 1), 0x00FF00u);
        EXPECT_EQ(decoded.GetPixel(4, 1), kBlack);
        EXPECT_EQ(decoded.GetPixel(0, 0), kBlack);  // the top row never written
    }
}

TEST(BmpCodec, RandomlyDamagedFilesNeverCrash)
{
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (const Variant& variant : kVariants) {
        const std::vector<std::uint8_t> good = BmpWriter::Write(TestPicture(13, 5, variant.colours), variant.options);
        for (int round = 0; round < 200; ++round) {
            std::vector<std::uint8_t> file = good;
            for (int flips = 1 + next() % 4; flips > 0; --flips) file[next() % file.size()] = next() >> 24;
            Surface decoded;
            if (Decode(file, decoded)) {
                EXPECT_FALSE(decoded.IsEmpty());
                EXPECT_LE(decoded.Width() * static_cast<long long>(decoded.Height()), BmpCodec::kMaxPixels);
            }
        }
    }
}

// Files as a paint program writes them: ImageMagick turns a picture the test
// knows into BMPs of its own making.
TEST(BmpCodec, DecodesFilesMadeByImageMagick)
{
    TempFolder folder;
    Surface picture = TestPicture(37, 21, 16);
    std::string ppm = "P3\n37 21\n255\n";
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) {
            Colour c = picture.GetPixel(x, y);
            ppm += std::to_string(RedOf(c)) + " " + std::to_string(GreenOf(c)) + " " + std::to_string(BlueOf(c)) + "\n";
        }
    std::string source = folder.Write("source.ppm", std::vector<std::uint8_t>(ppm.begin(), ppm.end()));
    struct Made {
        const char* arguments;
        BmpOptions compare;
        int tolerance;
    };
    const Made made[] = {
        {"-type TrueColor BMP3:", {24}, 0},
        {"-type TrueColor BMP:", {24}, 0},
        {"-type Palette BMP3:", {8}, 0},
        {"-type Palette -compress RLE BMP3:", {8}, 0},
        {"-type TrueColorAlpha BMP:", {32}, 0},
        {"-define bmp:subtype=RGB565 BMP:", {16, false, BmpCompression::Bitfields}, 10},
        {"-define bmp:subtype=RGB555 BMP:", {16}, 10},
    };
    int converted = 0;
    for (const Made& m : made) {
        SCOPED_TRACE(m.arguments);
        std::string target = folder.Path() + "made" + std::to_string(converted) + ".bmp";
        if (!RunConvert(source + " " + m.arguments + target)) continue;
        ++converted;
        std::vector<std::uint8_t> file = ReadWholeFile(target);
        Surface decoded;
        std::string reason;
        ASSERT_TRUE(Decode(file, decoded, &reason)) << reason;
        ExpectSamePicture(picture, decoded, m.compare, m.tolerance);
    }
    if (converted == 0) GTEST_SKIP() << "ImageMagick's convert is not installed";
}

namespace {

// DecodeStream over the file's bytes, handed out as they are asked for; the
// reader stops at `available` bytes, as a damaged archive entry does, and
// `consumed` tells how far it was read.
bool DecodeAsStream(const std::vector<std::uint8_t>& file, std::size_t available, Surface& out,
                    std::size_t* consumed = nullptr)
{
    std::size_t at = 0;
    auto read = [&](unsigned char* buffer, std::size_t count) {
        const std::size_t n = std::min(count, std::min(available, file.size()) - at);
        std::copy_n(file.begin() + static_cast<long>(at), n, buffer);
        at += n;
        return n;
    };
    std::string reason;
    const bool decoded = BmpCodec::DecodeStream(read, file.size(), out, &reason);
    if (!decoded) {
        EXPECT_FALSE(reason.empty());
    }
    if (consumed) *consumed = at;
    return decoded;
}

// Read as a stream, every file decodes exactly as Decode decodes it whole,
// or is refused when Decode refuses it: whole, cut short anywhere, damaged.
void ExpectStreamDecodesAsWhole(const std::vector<std::uint8_t>& file, const char* what)
{
    Surface whole(1, 1), streamed(1, 1);
    const bool wholeDecoded = Decode(file, whole);
    std::size_t consumed = 0;
    ASSERT_EQ(DecodeAsStream(file, file.size(), streamed, &consumed), wholeDecoded) << what;
    if (!wholeDecoded) {
        EXPECT_EQ(streamed.Width(), 1) << what;  // untouched
        return;
    }
    EXPECT_EQ(consumed, file.size()) << what;  // to the end, where an archive checks its entry
    ASSERT_EQ(streamed.Width(), whole.Width()) << what;
    ASSERT_EQ(streamed.Height(), whole.Height()) << what;
    for (int y = 0; y < whole.Height(); ++y) {
        for (int x = 0; x < whole.Width(); ++x) {
            ASSERT_EQ(streamed.GetPixel(x, y), whole.GetPixel(x, y)) << what;
        }
    }
}

}  // namespace

TEST(BmpCodec, StreamDecodesEveryFileAsDecodeDoes)
{
    std::uint32_t seed = 777;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (const Variant& variant : kVariants) {
        SCOPED_TRACE(variant.name);
        for (int width : {1, 2, 3, 4, 5, 13, 64}) {
            const std::vector<std::uint8_t> file =
                BmpWriter::Write(TestPicture(width, 7, variant.colours), variant.options);
            ExpectStreamDecodesAsWhole(file, "whole");
            for (std::size_t size = 0; size < file.size(); ++size) {
                const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<long>(size));
                const std::string what = "cut short at " + std::to_string(size) + " of " + std::to_string(file.size());
                ExpectStreamDecodesAsWhole(cut, what.c_str());
            }
            for (int round = 0; round < 40; ++round) {
                std::vector<std::uint8_t> damaged = file;
                for (int flips = 1 + next() % 3; flips > 0; --flips)
                    damaged[next() % std::min<std::size_t>(damaged.size(), 64)] = next() >> 24;  // the headers
                ExpectStreamDecodesAsWhole(damaged, "damaged header");
            }
        }
    }
}

// An archive entry that stops giving bytes before its size (damaged) is
// refused even when every pixel came, and the picture asked for stays as it was.
TEST(BmpCodec, StreamThatEndsEarlyIsRefused)
{
    const std::vector<std::uint8_t> file = BmpWriter::Write(TestPicture(13, 5, 1000), {24, false});
    for (std::size_t available = 0; available < file.size(); ++available) {
        Surface out(1, 1);
        ASSERT_FALSE(DecodeAsStream(file, available, out)) << "gave " << available << " of " << file.size();
        EXPECT_EQ(out.Width(), 1);
    }
}
