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

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchPhoto.h"
#include "app/CApp.h"
#include "core/CFile.h"
#include "platform/JpegDecoder.h"
#include "resources/BackBuffer.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

namespace {

using Clock = std::chrono::steady_clock;

using bench::DecodeFullSize;
using bench::TheLargePhoto;

// 12 megapixels, as a camera takes them.
const bench::Photo& ThePhoto()
{
    static const bench::Photo photo(4000, 3000);
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
