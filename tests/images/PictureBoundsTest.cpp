// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile and damaged picture files: sizes that lie, files cut short, links
// that lead nowhere. Each hostile file is opened in a child process of its
// own, which reports the player's sentence, its peak memory and its time.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "app/CApp.h"
#include "platform/HeifLayout.h"
#include "platform/PictureDecoder.h"
#include "core/CFile.h"
#include "resources/CMgrImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kDamaged =
    "This picture is damaged or incomplete, so the game cannot show it. Please choose another picture.";
constexpr const char* kMissing =
    "The picture file could not be found. It may have been moved or renamed; please choose it again.";

// ---- A HEIF file put together box by box ----

void Put(Bytes& out, std::uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) out.push_back(i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
}
void Put(Bytes& out, const char* text) { out.insert(out.end(), text, text + std::strlen(text)); }
void Put(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes MakeBox(const char* type, const Bytes& body, int version = -1, unsigned flags = 0)
{
    Bytes box;
    Put(box, 8 + (version >= 0 ? 4 : 0) + body.size(), 4);
    Put(box, type);
    if (version >= 0) Put(box, static_cast<std::uint64_t>(version) << 24 | flags, 4);
    Put(box, body);
    return box;
}

// The whole box of that type (header included) found anywhere in the file.
Bytes FindBox(const Bytes& file, const char* type)
{
    for (std::size_t at = 4; at + 4 <= file.size(); ++at) {
        if (std::memcmp(file.data() + at, type, 4) != 0) continue;
        const std::size_t size = static_cast<std::size_t>(file[at - 4]) << 24 | file[at - 3] << 16 | file[at - 2] << 8 |
                                 file[at - 1];
        if (size >= 8 && at - 4 + size <= file.size()) return Bytes(file.begin() + at - 4, file.begin() + at - 4 + size);
    }
    return {};
}

Bytes Ispe(long long width, long long height)
{
    Bytes body;
    Put(body, static_cast<std::uint64_t>(width), 4);
    Put(body, static_cast<std::uint64_t>(height), 4);
    return MakeBox("ispe", body, 0);
}

// A grid of rows x columns copies of one coded tile (taken from a HEIC of one
// picture) on a canvas of canvasWidth x canvasHeight, whose size tag says
// tagWidth x tagHeight.
Bytes HeifGrid(const Bytes& tileHeic, int tileSide, int rows, int columns, long long canvasWidth,
               long long canvasHeight, long long tagWidth, long long tagHeight)
{
    const Bytes hvcC = FindBox(tileHeic, "hvcC");
    const Bytes mdat = FindBox(tileHeic, "mdat");
    const Bytes tile(mdat.begin() + 8, mdat.end());
    Bytes ftyp;
    Put(ftyp, "heic");
    Put(ftyp, 0, 4);
    Put(ftyp, "mif1heic");
    Bytes hdlr;
    Put(hdlr, 0, 4);
    Put(hdlr, "pict");
    Put(hdlr, 0, 13);
    Bytes pitm;
    Put(pitm, 2, 2);
    Bytes tileInfe, gridInfe;
    Put(tileInfe, 1, 2);
    Put(tileInfe, 0, 2);
    Put(tileInfe, "hvc1");
    Put(tileInfe, 0, 1);
    Put(gridInfe, 2, 2);
    Put(gridInfe, 0, 2);
    Put(gridInfe, "grid");
    Put(gridInfe, 0, 1);
    Bytes iinf;
    Put(iinf, 2, 2);
    Put(iinf, MakeBox("infe", tileInfe, 2, 1));  // the tile is hidden
    Put(iinf, MakeBox("infe", gridInfe, 2));
    Bytes dimg;
    Put(dimg, 2, 2);
    Put(dimg, static_cast<std::uint64_t>(rows * columns), 2);
    for (int i = 0; i < rows * columns; ++i) Put(dimg, 1, 2);
    Bytes ipco = hvcC;
    Put(ipco, Ispe(tileSide, tileSide));
    Put(ipco, Ispe(tagWidth, tagHeight));
    Bytes ipma;
    Put(ipma, 2, 4);
    Put(ipma, 1, 2);
    Put(ipma, 2, 1);
    Put(ipma, 0x81, 1);
    Put(ipma, 2, 1);
    Put(ipma, 2, 2);
    Put(ipma, 1, 1);
    Put(ipma, 3, 1);
    Bytes iprp = MakeBox("ipco", ipco);
    Put(iprp, MakeBox("ipma", ipma, 0));
    Bytes grid;
    const bool wide = canvasWidth > 0xFFFF || canvasHeight > 0xFFFF;
    Put(grid, 0, 1);
    Put(grid, wide ? 1 : 0, 1);
    Put(grid, static_cast<std::uint64_t>(rows - 1), 1);
    Put(grid, static_cast<std::uint64_t>(columns - 1), 1);
    Put(grid, static_cast<std::uint64_t>(canvasWidth), wide ? 4 : 2);
    Put(grid, static_cast<std::uint64_t>(canvasHeight), wide ? 4 : 2);

    // The tile's place in the file is known once everything before it is.
    auto build = [&](std::uint64_t tileOffset) {
        Bytes iloc;
        Put(iloc, 0x44, 1);  // four-byte offsets and lengths
        Put(iloc, 0, 1);
        Put(iloc, 2, 2);
        for (int item = 1; item <= 2; ++item) {
            Put(iloc, static_cast<std::uint64_t>(item), 2);
            Put(iloc, item == 1 ? 0 : 1, 2);  // in the file / in idat
            Put(iloc, 0, 2);
            Put(iloc, 1, 2);
            Put(iloc, item == 1 ? tileOffset : 0, 4);
            Put(iloc, item == 1 ? tile.size() : grid.size(), 4);
        }
        Bytes meta = MakeBox("hdlr", hdlr, 0);
        Put(meta, MakeBox("pitm", pitm, 0));
        Put(meta, MakeBox("iinf", iinf, 0));
        Put(meta, MakeBox("iref", MakeBox("dimg", dimg), 0));
        Put(meta, MakeBox("iprp", iprp));
        Put(meta, MakeBox("iloc", iloc, 1));
        Put(meta, MakeBox("idat", grid));
        Bytes file = MakeBox("ftyp", ftyp);
        Put(file, MakeBox("meta", meta, 0));
        Put(file, MakeBox("mdat", tile));
        return file;
    };
    const Bytes draft = build(0);
    return build(draft.size() - tile.size());
}

// Rewrites every "ispe" size tag of a file.
Bytes WithSizeTag(Bytes file, long long width, long long height)
{
    for (std::size_t at = 0; at + 16 <= file.size(); ++at) {
        if (std::memcmp(file.data() + at, "ispe", 4) != 0) continue;
        for (int i = 0; i < 4; ++i) {
            file[at + 8 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
            file[at + 12 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
        }
    }
    return file;
}

// ---- Opening a file in a child process ----

struct ChildRun {
    std::string message;  // the player's sentence, empty when it opened
    long peakMegabytes = 0;
    double seconds = 0;
    bool finished = false;
};

ChildRun OpenInChild(const std::string& path)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        PictureCopies copies;
        copies.minSide = 132;
        std::string message;
        ImageMgr.LoadPicture(path.c_str(), copies, &message);
        ssize_t written = write(pipeEnds[1], message.data(), message.size());
        _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 3);
    }
    close(pipeEnds[1]);
    ChildRun run;
    char buffer[1024];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) run.message.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    struct rusage usage {};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        run.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        run.peakMegabytes = usage.ru_maxrss / 1024;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

class PictureBounds : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataFile.CloseArchive();
        App.SetProgramFolder(folder.Path().c_str());
    }

    // Opens it as the player would, in a child; reports what it cost.
    std::string OpenedInChild(const std::string& name)
    {
        const ChildRun run = OpenInChild(folder.Path() + name);
        EXPECT_TRUE(run.finished) << name;
        std::printf("[ %s ] peak %ld MB, %.2f s: %s\n", name.c_str(), run.peakMegabytes, run.seconds,
                    run.message.empty() ? "opened" : run.message.c_str());
        // The budget and the game itself.
        EXPECT_LT(run.peakMegabytes, 1024) << name;
        return run.message;
    }

    Bytes Made(const std::string& options, const std::string& name)
    {
        const std::string path = folder.Path() + name;
        return RunConvert(options + " " + path) ? ReadWholeFile(path) : Bytes();
    }

    TempFolder folder;
};

}  // namespace

TEST_F(PictureBounds, AGridIsCheckedBeforeDecodingWhateverItsSizeTagSays)
{
    const Bytes tile = Made("-size 128x128 gradient:red-blue", "tile.heic");
    ASSERT_FALSE(tile.empty());
    // Honest: a 2 x 2 grid of the tile decodes.
    folder.Write("honest.heic", HeifGrid(tile, 128, 2, 2, 256, 256, 256, 256));
    EXPECT_EQ(OpenedInChild("honest.heic"), "");
    // A canvas of 30000 x 30000 tagged 1600 x 1200, and one beyond the
    // library's longest side: refused before a pixel is decoded.
    folder.Write("grid-lies.heic", HeifGrid(tile, 128, 235, 235, 30000, 30000, 1600, 1200));
    folder.Write("grid-huge.heic", HeifGrid(tile, 128, 200, 200, 32767, 32767, 1600, 1200));
    for (const char* name : {"grid-lies.heic", "grid-huge.heic"})
        EXPECT_EQ(OpenedInChild(name), "This picture is too large; pictures up to 55 megapixels can be used.") << name;
}

TEST_F(PictureBounds, TheCodedSizeIsReadFromTheStreamNotFromTheTag)
{
    for (const char* name : {"coded.heic", "coded.avif"}) {
        const Bytes file = Made("-size 200x150 gradient:red-blue", name);
        ASSERT_FALSE(file.empty()) << name;
        const Bytes lying = WithSizeTag(file, 20, 15);
        HeifLayout layout;
        ASSERT_TRUE(layout.Read(lying.data(), lying.size())) << name;
        // HEVC codes whole blocks of 8: the stream may say a little more.
        EXPECT_GE(layout.LargestPixels(), 200 * 150) << name;
        EXPECT_LE(layout.LargestPixels(), 208 * 152) << name;
        EXPECT_GE(layout.LongestSide(), 200) << name;
    }
}

TEST_F(PictureBounds, APictureIsAcceptedOnlyWhenEveryRowCameFromTheFile)
{
    auto cutInHalf = [this](const std::string& options, const std::string& name) {
        Bytes file = Made("-size 200x150 gradient:red-blue " + options, name);
        EXPECT_FALSE(file.empty()) << name;
        file.resize(file.size() / 2);
        folder.Write(name, file);
    };
    cutInHalf("", "cut.tif");
    cutInHalf("-compress LZW", "cut-lzw.tif");
    cutInHalf("", "cut.tga");
    cutInHalf("-compress RLE", "cut-rle.tga");
    cutInHalf("", "cut.gif");
    cutInHalf("-interlace GIF", "cut-interlaced.gif");
    cutInHalf("", "cut.webp");
    // 640 x 480 in runs of 24-bit pixels, with a single run of one red pixel.
    Bytes header = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 2, 0xE0, 1, 24, 0};
    Bytes oneRun = header;
    Put(oneRun, Bytes{0xFF, 0, 0, 255});
    folder.Write("one-run.tga", oneRun);
    // The header followed by noise.
    Bytes noise = header;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 4000; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise.push_back(static_cast<std::uint8_t>(seed >> 16));
    }
    folder.Write("noise.tga", noise);
    for (const char* name : {"cut.tif", "cut-lzw.tif", "cut.tga", "cut-rle.tga", "one-run.tga", "noise.tga", "cut.gif",
                             "cut-interlaced.gif", "cut.webp"})
        EXPECT_EQ(OpenedInChild(name), kDamaged) << name;
}

TEST_F(PictureBounds, AnAnimatedWebpOpensAsItsFirstFrame)
{
    ASSERT_FALSE(Made("-size 160x120 xc:red -size 160x120 xc:blue -loop 0", "animated.webp").empty());
    const Bytes file = ReadWholeFile(folder.Path() + "animated.webp");
    PictureDecoder decoder;
    ASSERT_TRUE(decoder.Open(file.data(), file.size())) << decoder.Detail();
    Surface picture;
    ASSERT_TRUE(decoder.Decode(picture)) << decoder.Detail();
    ASSERT_EQ(picture.Width(), 160);
    ASSERT_EQ(picture.Height(), 120);
    for (Colour pixel : {picture.GetPixel(5, 5), picture.GetPixel(150, 110)}) {
        EXPECT_GT(RedOf(pixel), 240);
        EXPECT_LT(BlueOf(pixel), 16);
    }
}

TEST_F(PictureBounds, ALinkThatLeadsNowhereFindsNoFile)
{
    const std::string base = folder.Path();
    ASSERT_EQ(symlink((base + "loop-b.jpg").c_str(), (base + "loop-a.jpg").c_str()), 0);
    ASSERT_EQ(symlink((base + "loop-a.jpg").c_str(), (base + "loop-b.jpg").c_str()), 0);
    ASSERT_EQ(symlink((base + "gone.jpg").c_str(), (base + "dangling.jpg").c_str()), 0);
    for (const char* name : {"loop-a.jpg", "dangling.jpg"}) {
        PictureCopies copies;
        std::string message;
        EXPECT_FALSE(ImageMgr.LoadPicture((base + name).c_str(), copies, &message));
        EXPECT_EQ(message, kMissing) << name;
    }
}

TEST_F(PictureBounds, AJpegWhoseScansGoOverItsBlocksAgainAndAgainIsRefused)
{
    Bytes jpeg = Made("-size 4000x4000 xc:gray50 -colorspace Gray -interlace JPEG", "scans.jpg");
    ASSERT_GT(jpeg.size(), 4u);
    // The last scan, from its header up to the end marker, over and over.
    std::size_t lastScan = 0;
    for (std::size_t at = 2; at + 1 < jpeg.size(); ++at)
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xDA) lastScan = at;
    ASSERT_GT(lastScan, 0u);
    const Bytes scan(jpeg.begin() + static_cast<long>(lastScan), jpeg.end() - 2);
    Bytes many(jpeg.begin(), jpeg.end() - 2);
    for (int i = 0; i < 1000; ++i) Put(many, scan);
    Put(many, Bytes{0xFF, 0xD9});
    folder.Write("scans.jpg", many);
    EXPECT_EQ(OpenedInChild("scans.jpg"),
              "This picture takes too long to open, so the game cannot show it. Please choose another picture.");
}
