// SPDX-License-Identifier: GPL-3.0-or-later
// The player's own pictures: every format the game reads, made here with
// ImageMagick from one reference and decoded back; pictures turned by their
// camera come out upright; transparency lies over the backdrop grey; and
// every kind of file that is no usable picture is refused with a sentence,
// quickly and without a large allocation.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BmpWriter.h"
#include "TempFolder.h"
#include "app/CApp.h"
#include "platform/PictureDecoder.h"
#include "core/CFile.h"
#include "resources/CMgrImage.h"

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

// Smooth in both directions (lossy formats keep it well) and different in
// every corner, so a mirrored or turned result shows.
Surface Reference()
{
    Surface picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) picture.SetPixel(x, y, MakeColour(x * 255 / (kWidth - 1), y * 255 / (kHeight - 1), 96));
    return picture;
}

// Mean difference per channel; a large number when the sizes differ.
double MeanDifference(const Surface& a, const Surface& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return 1e9;
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            Colour p = a.GetPixel(x, y), q = b.GetPixel(x, y);
            sum += std::abs(RedOf(p) - RedOf(q)) + std::abs(GreenOf(p) - GreenOf(q)) + std::abs(BlueOf(p) - BlueOf(q));
        }
    return sum / (3.0 * a.Width() * a.Height());
}

bool Decode(const std::string& path, Surface& out, PictureFormat& format)
{
    std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    PictureDecoder decoder;
    if (!decoder.Open(bytes.data(), bytes.size())) return false;
    format = decoder.Format();
    return decoder.Decode(out);
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// A PNG with an eXIf chunk giving the orientation, right after its header chunk.
std::vector<std::uint8_t> WithPngOrientation(std::vector<std::uint8_t> png, int orientation)
{
    const std::vector<std::uint8_t> exif = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                                            0, static_cast<std::uint8_t>(orientation), 0, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> chunk(8 + exif.size() + 4);
    PutBe32(chunk, 0, static_cast<std::uint32_t>(exif.size()));
    std::copy_n("eXIf", 4, chunk.begin() + 4);
    std::copy(exif.begin(), exif.end(), chunk.begin() + 8);
    PutBe32(chunk, 8 + exif.size(), Crc32(chunk.data() + 4, 4 + exif.size()));
    png.insert(png.begin() + 33, chunk.begin(), chunk.end());
    return png;
}

// Writes new sizes into a JPEG's frame header (baseline or progressive).
void SetJpegSize(std::vector<std::uint8_t>& jpeg, int width, int height)
{
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            return;
        }
    }
}

long ResidentKilobytes()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class PictureLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataFile.CloseArchive();
        App.SetProgramFolder(folder.Path().c_str());
        reference = Reference();
        referenceBmp = folder.Write("reference.bmp", BmpWriter::Write(reference, {}));
    }

    std::string Convert(const std::string& options, const std::string& name)
    {
        const std::string path = folder.Path() + name;
        return RunConvert(referenceBmp + " " + options + " " + path) ? path : std::string();
    }

    // Loads like the cut page; answers the message (empty when it loaded).
    std::string Refusal(const std::string& path)
    {
        PictureCopies copies;
        copies.minSide = 132;
        std::string message;
        bool loaded = ImageMgr.LoadPicture(path.c_str(), copies, &message);
        EXPECT_EQ(loaded, message.empty()) << path;
        if (!loaded) {
            EXPECT_TRUE(copies.work.surface.IsEmpty() && copies.small.surface.IsEmpty());
        }
        return message;
    }

    TempFolder folder;
    Surface reference;
    std::string referenceBmp;
};

}  // namespace

TEST_F(PictureLoad, EveryFormatDecodesCloseToItsReference)
{
    struct Case {
        const char* name;
        const char* options;
        PictureFormat format;
        double tolerance;  // mean difference per channel
    };
    const Case cases[] = {
        {"p.jpg", "-quality 95", PictureFormat::Jpeg, 3},
        {"p.png", "", PictureFormat::Png, 0.01},
        {"p16.png", "-depth 16", PictureFormat::Png, 0.6},
        {"p.webp", "-quality 95", PictureFormat::Webp, 4},
        {"p-lossless.webp", "-define webp:lossless=true", PictureFormat::Webp, 0.01},
        {"p.gif", "+dither", PictureFormat::Gif, 12},
        // An animation shows its first frame.
        {"p-animated.gif", "+dither \\( +clone -negate \\) -loop 0", PictureFormat::Gif, 12},
        {"p-interlaced.gif", "+dither -interlace GIF", PictureFormat::Gif, 12},
        {"p.tif", "", PictureFormat::Tiff, 0.01},
        {"p.tga", "-orient TopLeft", PictureFormat::Tga, 0.01},
        {"p-rle.tga", "-flip -compress RLE", PictureFormat::Tga, 0.01},
        {"p.bmp", "", PictureFormat::Bmp, 0.01},
        {"p.heic", "-quality 95", PictureFormat::Heif, 5},
        {"p.avif", "-quality 95", PictureFormat::Avif, 5},
        // A name that says otherwise does not matter: the content decides.
        {"png-named.jpg", "", PictureFormat::Png, 0.01},
    };
    for (const Case& c : cases) {
        std::string path = folder.Path() + c.name;
        const char* type = c.name == std::string("png-named.jpg") ? "PNG:" : "";
        ASSERT_TRUE(RunConvert(referenceBmp + " " + c.options + " " + type + path)) << c.name;
        Surface decoded;
        PictureFormat format = PictureFormat::Unknown;
        ASSERT_TRUE(Decode(path, decoded, format)) << c.name;
        EXPECT_EQ(format, c.format) << c.name;
        EXPECT_LE(MeanDifference(decoded, reference), c.tolerance) << c.name;
    }
}

TEST_F(PictureLoad, TurnedPicturesComeOutUpright)
{
    // Stored turned, with the orientation that turns them back.
    struct Case {
        const char* name;
        const char* options;
        int pngOrientation;  // for the PNG, the eXIf chunk is added here
    };
    const Case cases[] = {
        {"o3.tif", "-rotate 180 -orient BottomRight", 0},
        {"o2.tif", "-flop -orient TopRight", 0},
        {"o6.tif", "-rotate 270 -orient RightTop", 0},
        {"o8.tif", "-rotate 90 -orient LeftBottom", 0},
        {"o5.tif", "-transpose -orient LeftTop", 0},
        {"o7.tif", "-transverse +repage -orient RightBottom", 0},
        {"o6.png", "-rotate 270", 6},
        {"o3.png", "-rotate 180", 3},
    };
    for (const Case& c : cases) {
        std::string path = Convert(c.options, c.name);
        ASSERT_FALSE(path.empty()) << c.name;
        if (c.pngOrientation) folder.Write(c.name, WithPngOrientation(ReadWholeFile(path), c.pngOrientation));
        Surface decoded;
        PictureFormat format = PictureFormat::Unknown;
        ASSERT_TRUE(Decode(path, decoded, format)) << c.name;
        EXPECT_LE(MeanDifference(decoded, reference), 3) << c.name;
    }
}

TEST_F(PictureLoad, TransparentPartsShowTheBackdrop)
{
    // PNG's alpha and GIF's transparent colour.
    for (const char* name : {"half.png", "half.gif"}) {
        const std::string path = folder.Path() + name;
        ASSERT_TRUE(RunConvert("-size 40x40 xc:none -fill '#FF0000' -draw 'rectangle 0,0 19,39' " + path));
        Surface decoded;
        PictureFormat format = PictureFormat::Unknown;
        ASSERT_TRUE(Decode(path, decoded, format)) << name;
        EXPECT_EQ(decoded.GetPixel(5, 20), MakeColour(255, 0, 0)) << name;
        EXPECT_EQ(decoded.GetPixel(35, 20), PictureDecoder::kBackdrop) << name;
    }
}

TEST_F(PictureLoad, OneDecodeMakesAllThreeCopies)
{
    const std::string path = Convert("-quality 95", "copies.webp");
    PictureCopies copies;
    std::string message;
    ASSERT_TRUE(ImageMgr.LoadPicture(path.c_str(), copies, &message)) << message;
    EXPECT_EQ(copies.work.width, 448.0f);
    EXPECT_FLOAT_EQ(copies.work.height, 448.0f * kHeight / kWidth);
    EXPECT_EQ(copies.small.width, 224.0f);
    ASSERT_EQ(copies.clean.surface.Width(), copies.work.surface.Width());
    EXPECT_EQ(copies.clean.surface.GetPixel(300, 200), copies.work.surface.GetPixel(300, 200));
}

TEST_F(PictureLoad, EverydayPhotoSizesFitTheMemoryBudget)
{
    // Headers of 50-megapixel photographs (8660 x 5774): only the header is
    // read, so the test allocates nothing of that size.
    for (const char* options : {"-quality 90", "-interlace JPEG", "-interlace JPEG -sampling-factor 1x1",
                                "-colorspace CMYK -interlace JPEG -sampling-factor 1x1"}) {
        std::string path = Convert(options, "photo.jpg");
        std::vector<std::uint8_t> jpeg = ReadWholeFile(path);
        SetJpegSize(jpeg, 8660, 5774);
        PictureDecoder decoder;
        EXPECT_TRUE(decoder.Open(jpeg.data(), jpeg.size())) << options << ": " << decoder.Detail();
        EXPECT_GE(decoder.MaxMegapixels(), 50) << options;
    }
    std::vector<std::uint8_t> png = ReadWholeFile(Convert("", "photo.png"));
    PutBe32(png, 16, 8660);
    PutBe32(png, 20, 5774);
    PictureDecoder decoder;
    EXPECT_TRUE(decoder.Open(png.data(), png.size())) << decoder.Detail();
}

TEST_F(PictureLoad, FilesThatAreNoUsablePictureAreRefusedWithASentence)
{
    const std::string base = folder.Path();
    mkdir((base + "folder.jpg").c_str(), 0755);
    mkfifo((base + "pipe.jpg").c_str(), 0644);
    symlink("/dev/zero", (base + "zero.jpg").c_str());
    folder.Write("empty.jpg", {});
    folder.Write("letter.jpg", std::vector<std::uint8_t>(std::begin("Dear player, this is text.") ,
                                                        std::end("Dear player, this is text.")));
    {
        // Sparse: a gigabyte that takes no room on the disk.
        int fd = open((base + "huge.jpg").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_EQ(ftruncate(fd, 1LL << 30), 0);
        close(fd);
    }
    std::vector<std::uint8_t> png = ReadWholeFile(Convert("", "cut.png"));
    png.resize(png.size() / 2);
    folder.Write("cut.png", png);
    std::vector<std::uint8_t> large = ReadWholeFile(Convert("", "large.png"));
    PutBe32(large, 16, 30000);
    PutBe32(large, 20, 30000);
    folder.Write("large.png", large);
    Convert("-resize 2000x100!", "flat.png");

    struct Case {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        {"missing.jpg", "The picture file could not be found. It may have been moved or renamed; please choose it again."},
        {"folder.jpg", "This is a folder, not a picture. Please choose a picture file."},
        {"pipe.jpg", "This is not an ordinary file, so the game cannot open it as a picture. Please choose a picture file."},
        {"zero.jpg", "This is not an ordinary file, so the game cannot open it as a picture. Please choose a picture file."},
        {"empty.jpg", "This file is empty, so there is no picture in it. Please choose another picture."},
        {"huge.jpg", "This file is too large to be a picture the game can use: 1024 MB; picture files up to 256 MB can be used."},
        {"letter.jpg", "This file is not a picture the game can open. Pictures can be JPEG, PNG, WebP, GIF, TIFF, BMP, TGA, "
                       "HEIC or AVIF files."},
        {"cut.png", "This picture is damaged or incomplete, so the game cannot show it. Please choose another picture."},
        {"large.png", "This picture is too large: 30000 × 30000 pixels; pictures up to 55 megapixels can be used."},
        {"flat.png", "This picture is too narrow or too flat to cut into pieces: 2000 × 100 pixels. Please choose one at "
                     "most 3 times as long as it is wide."},
    };
    for (const Case& c : cases) EXPECT_EQ(Refusal(base + c.name), c.message) << c.name;
    // Paths of any length are taken.
    std::string deep = base + std::string(200, 'a') + "/" + std::string(200, 'b');
    std::filesystem::create_directories(deep);
    Convert("", std::string(200, 'a') + "/" + std::string(200, 'b') + "/p.png");
    EXPECT_EQ(Refusal(deep + "/p.png"), "");
}

TEST_F(PictureLoad, AHostileProgressiveHeaderIsRefusedWithLittleMemory)
{
    std::vector<std::uint8_t> jpeg = ReadWholeFile(Convert("-resize 16x16! -interlace JPEG", "tiny.jpg"));
    SetJpegSize(jpeg, 64250, 64250);
    const std::string path = folder.Write("hostile.jpg", jpeg);
    ASSERT_LT(jpeg.size(), 2000u);

    // In a child of its own, so that its peak memory is its alone: the peak
    // over the memory it started with.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const long startKilobytes = ResidentKilobytes();
        PictureCopies copies;
        std::string message;
        bool loaded = ImageMgr.LoadPicture(path.c_str(), copies, &message);
        // The decoder on its own, asked for the whole picture, also refuses.
        PictureDecoder decoder;
        bool opened = decoder.Open(jpeg.data(), jpeg.size());
        Surface out;
        bool decoded = decoder.Decode(out);
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const bool refused = !loaded && !opened && !decoded &&
                             message.rfind("This picture is too large: 64250 × 64250 pixels; pictures up to", 0) == 0;
        _exit(!refused ? 1 : usage.ru_maxrss - startKilobytes > 64 * 1024 ? 2 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 1) << "not refused with its size";
    EXPECT_NE(WEXITSTATUS(status), 2) << "took more than 64 MB to refuse";
}
