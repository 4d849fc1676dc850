// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a player's 12-megapixel photograph scaled to 448 pixels, as the
// menu does when the picture is chosen, beside libjpeg-turbo decoding the
// same file at full size; and a 24-megapixel photograph taken from the file
// to the cut page's three copies, beside one reduced decode of it; and the
// shipped pictures (up to about 3,000 pixels) taken from the data archive to
// the cut page's copies for a frame of scale 2 and 3, beside decoding each
// JPEG whole.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// After <cstdio>: the library's header needs FILE.
#include <jpeglib.h>

#include "app/CApp.h"
#include "core/CFile.h"
#include "platform/JpegDecoder.h"
#include "resources/BackBuffer.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;

// A photograph-like picture: smooth light, some texture and a little noise,
// written once into a temporary folder and removed at exit.
class Photo {
public:
    Photo(int width, int height) : photoWidth(width), photoHeight(height)
    {
        folder = std::filesystem::temp_directory_path() /
                 ("pavendra-bench-" + std::to_string(::getpid()) + "-" + std::to_string(width));
        std::filesystem::create_directories(folder);
        path = (folder / "photo.jpg").string();
        Write();
    }
    ~Photo()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    const std::string& Path() const { return path; }

private:
    void Write() const
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) std::abort();
        jpeg_compress_struct cinfo;
        jpeg_error_mgr errors;
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_compress(&cinfo);
        jpeg_stdio_dest(&cinfo, file);
        cinfo.image_width = static_cast<JDIMENSION>(photoWidth);
        cinfo.image_height = static_cast<JDIMENSION>(photoHeight);
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 90, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        std::vector<JSAMPLE> row(static_cast<std::size_t>(photoWidth) * 3);
        std::uint32_t noise = 1;
        for (int y = 0; y < photoHeight; ++y) {
            for (int x = 0; x < photoWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                double light = 0.5 + 0.3 * std::sin(x * 0.0021) * std::cos(y * 0.0017);
                double texture = 0.1 * std::sin(x * 0.09 + y * 0.05);
                int grain = static_cast<int>(noise >> 28) - 8;
                auto channel = [&](double tint) {
                    int value = static_cast<int>(255 * (light * tint + texture)) + grain;
                    return static_cast<JSAMPLE>(std::clamp(value, 0, 255));
                };
                row[3 * x] = channel(1.1);
                row[3 * x + 1] = channel(0.9);
                row[3 * x + 2] = channel(0.7);
            }
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        std::fclose(file);
    }

    int photoWidth;
    int photoHeight;
    std::filesystem::path folder;
    std::string path;
};

const Photo& ThePhoto()
{
    static const Photo photo(kPhotoWidth, kPhotoHeight);
    return photo;
}

// 24 megapixels, as a phone takes them.
const Photo& TheLargePhoto()
{
    static const Photo photo(6000, 4000);
    return photo;
}

// One decode of the file at the smallest reduction that still covers 448
// pixels: what taking a picture cannot do with less.
std::size_t DecodeReducedOnce(const std::string& path)
{
    JpegDecoder decoder;
    Surface picture;
    if (!decoder.Init() || !decoder.ReadHeader(path.c_str())) return 0;
    decoder.ScaleToAtLeast(448, 336);
    if (!decoder.ReadImage(picture)) return 0;
    return static_cast<std::size_t>(picture.Width()) + picture.GetPixel(1, 1);
}

std::size_t DecodeFullSize(const std::vector<unsigned char>& bytes);

// The reference: read the file and decode it whole into RGB rows, the plain
// way libjpeg-turbo is used.
std::size_t DecodeFullSize(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return DecodeFullSize(bytes);
}

std::size_t DecodeFullSize(const std::vector<unsigned char>& bytes)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> pixels(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + static_cast<std::size_t>(cinfo.output_scanline) * cinfo.output_width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return pixels.size() + pixels[pixels.size() / 2];
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The data archive beside the benchmark, as the game's program folder, for
// as long as it lives.
class ShippedArchive {
public:
    ShippedArchive()
    {
        folder = std::filesystem::temp_directory_path() / ("pavendra-bench-archive-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        std::error_code noArchive;
        std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe").parent_path() / "data.000",
                                        folder / "data.000", noArchive);
        programFolder = folder.string() + "/";
        DataFile.CloseArchive();
        App.SetProgramFolder(programFolder.c_str());
        DataFile.OpenArchive("data.000");
    }
    ~ShippedArchive()
    {
        App.SetProgramFolder(nullptr);
        DataFile.CloseArchive();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    ShippedArchive(const ShippedArchive&) = delete;
    ShippedArchive& operator=(const ShippedArchive&) = delete;

    // The whole of an entry; empty when the archive has no such entry.
    static std::vector<unsigned char> Entry(const std::string& name)
    {
        std::vector<unsigned char> bytes;
        if (!DataFile.Open(name.c_str(), FILE_READ)) return bytes;
        bytes.resize(DataFile.GetSize());
        if (!bytes.empty()) bytes.resize(DataFile.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
        DataFile.Close();
        return bytes;
    }

private:
    std::filesystem::path folder;
    std::string programFolder;
};

}  // namespace

// Time per load is ours; "ratio" is ours over the reference measured in the
// same iterations (below 1: faster than decoding the photograph whole).
static void BM_LoadPhotoScaledTo448(benchmark::State& state)
{
    const std::string& path = ThePhoto().Path();
    CImage image;
    double ours = 0, reference = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        ImageMgr.LoadImageScaled(image, path.c_str(), 448, 448);
        Clock::time_point loaded = Clock::now();
        benchmark::DoNotOptimize(DecodeFullSize(path));
        Clock::time_point decoded = Clock::now();
        ours += Seconds(loaded - start);
        reference += Seconds(decoded - loaded);
        state.SetIterationTime(Seconds(loaded - start));
    }
    if (image.surface.Width() != 448 || image.surface.Height() != 336) state.SkipWithError("wrong size");
    state.counters["reference_ms"] = 1000 * reference / static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / reference;
}
BENCHMARK(BM_LoadPhotoScaledTo448)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.5);

static void BM_Reference_LibjpegFullSizeDecode(benchmark::State& state)
{
    const std::string& path = ThePhoto().Path();
    for (auto _ : state) benchmark::DoNotOptimize(DecodeFullSize(path));
}
BENCHMARK(BM_Reference_LibjpegFullSizeDecode)->Unit(benchmark::kMillisecond);

// From the chosen file to the cut page's three copies (448, 224 and the clean
// 448): "ratio" is that over one reduced decode of the same file, measured in
// the same iterations. One read and one decode make it little more than 1.
static void BM_ChosenPhotoToThreeCopies(benchmark::State& state)
{
    const std::string& path = TheLargePhoto().Path();
    double ours = 0, reference = 0;
    PictureCopies copies;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        std::string message;
        if (!ImageMgr.LoadPicture(path.c_str(), copies, &message)) state.SkipWithError(message.c_str());
        Clock::time_point loaded = Clock::now();
        benchmark::DoNotOptimize(DecodeReducedOnce(path));
        Clock::time_point decoded = Clock::now();
        ours += Seconds(loaded - start);
        reference += Seconds(decoded - loaded);
        state.SetIterationTime(Seconds(loaded - start));
    }
    if (copies.work.surface.Width() != 448 || copies.small.surface.Width() != 224) state.SkipWithError("wrong size");
    state.counters["reference_ms"] = 1000 * reference / static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / reference;
}
BENCHMARK(BM_ChosenPhotoToThreeCopies)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.5);

// Choosing a shipped picture on a frame of scale 2 or 3: the cut page's copies
// (448 units, so 896 or 1344 pixels) come from the picture's JPEG, which the
// library reduces while decoding. One load of each of the fifteen pictures an
// iteration; "ratio" is that over decoding each JPEG whole, measured in the
// same iterations.
static void BM_ShippedPicturesToCutCopies(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    ShippedArchive archive;
    std::vector<std::string> names;
    std::vector<std::vector<unsigned char>> jpegs;
    for (int i = 0; i < res::kPictureCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, res::kPictureFormat, i);
        names.push_back(name);
        jpegs.push_back(ShippedArchive::Entry(res::LargePictureName(name)));
        if (jpegs.back().empty()) {
            state.SkipWithError("the data archive has no large pictures");
            return;
        }
    }
    const Surface keptFrame = BackBuffer();
    BackBuffer() = Surface::Scaled(8, 6, scale);
    double ours = 0, reference = 0;
    PictureCopies copies;
    copies.scale = scale;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        for (const std::string& name : names)
            if (!ImageMgr.LoadPicture(name.c_str(), copies, nullptr)) state.SkipWithError("a picture did not load");
        Clock::time_point loaded = Clock::now();
        for (const auto& jpeg : jpegs) benchmark::DoNotOptimize(DecodeFullSize(jpeg));
        Clock::time_point decoded = Clock::now();
        ours += Seconds(loaded - start);
        reference += Seconds(decoded - loaded);
        state.SetIterationTime(Seconds(loaded - start) / res::kPictureCount);
    }
    if (copies.work.surface.Width() != 448 * scale) state.SkipWithError("the copy was not made from the large picture");
    BackBuffer() = keptFrame;
    state.counters["reference_ms"] =
        1000 * reference / static_cast<double>(state.iterations()) / res::kPictureCount;
    state.counters["ratio"] = ours / reference;
}
BENCHMARK(BM_ShippedPicturesToCutCopies)->Arg(2)->Arg(3)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
