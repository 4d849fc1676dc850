// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/CMgrImage.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>
#include <iterator>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/CError.h"
#include "core/CLog.h"
#include "platform/AreaReducer.h"
#include "platform/BmpCodec.h"
#include "platform/JpegDecoder.h"
#include "platform/PictureDecoder.h"
#include "platform/PictureFile.h"
#include "platform/PictureScaler.h"
#include "resources/BackBuffer.h"
#include "core/CFile.h"
#include "resources/ResourceNames.h"

CMgrImage ImageMgr;

namespace {

// Positions and sizes are truncated toward zero. Values beyond any surface
// are held at a bound far outside it, so that they stay outside and never
// overflow (nor does a NaN turn into a position).
int Trunc(float value)
{
    constexpr float kFarOutside = 1 << 30;
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::clamp(value, -kFarOutside, kFarOutside));
}

// A position in units as the pixel it starts at on a surface of the scale,
// held far outside any surface as Trunc holds it.
int PixelOf(float value, int scale)
{
    if (scale <= 1) return Trunc(value);
    return static_cast<int>(std::clamp<long long>(static_cast<long long>(Trunc(value)) * scale, -(1LL << 30), 1LL << 30));
}

// The extension is whatever follows the first "."; only a lower-case "bmp"
// is a bitmap, everything else (no "." at all included) is a JPEG.
bool IsBmpName(const char* fileName)
{
    const char* dot = std::strchr(fileName, '.');
    return dot && std::strcmp(dot + 1, "bmp") == 0;
}

// Only the longer side follows the request; the other keeps the proportions.
void ScaledSize(float sourceWidth, float sourceHeight, float width, float height, float& scaledWidth,
                float& scaledHeight)
{
    if (sourceWidth > sourceHeight) {
        scaledWidth = width;
        scaledHeight = sourceHeight / sourceWidth * width;
    } else if (sourceWidth < sourceHeight) {
        scaledHeight = height;
        scaledWidth = sourceWidth / sourceHeight * height;
    } else {
        scaledWidth = width;
        scaledHeight = height;
    }
}

// Reads a whole bitmap through DataFile (the archive first, then the disk) and
// decodes it. A file found nowhere or one that does not decode ends the game
// with a message naming it.
// With `problem` given, a failure is logged and answered there instead.
Surface ReadBitmap(const char* fileName, std::string* problem = nullptr)
{
    if (!DataFile.Open(fileName, FILE_READ)) {
        if (!problem) Error.CriticalError("CMgrImage: Couldn't open image %s!\n", fileName);
        Log.Write("CMgrImage: Couldn't open image %s\n", fileName);
        *problem = "The picture file could not be found. It may have been moved or renamed; please choose it again.";
        return {};
    }
    std::vector<unsigned char> bytes(DataFile.GetSize());
    std::uint32_t read = bytes.empty() ? 0 : DataFile.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    DataFile.Close();
    bytes.resize(read);
    Surface picture;
    std::string reason;
    if (!BmpCodec::Decode(bytes.data(), bytes.size(), picture, &reason)) {
        if (!problem) Error.CriticalError("CMgrImage: Damaged image %s (%s)!\n", fileName, reason.c_str());
        Log.Write("CMgrImage: Damaged image %s (%s)\n", fileName, reason.c_str());
        *problem = "This picture is damaged or incomplete, so the game cannot show it. Please choose another picture.";
        return {};
    }
    return picture;
}

// Pixels (of a surface of scale 1) as a surface of `scale` holding them.
Surface AsScale(Surface pixels, int scale)
{
    pixels.TakeScale(scale);
    return pixels;
}

// Reads a whole file of DataFile (the archive first); false when there is none.
bool ReadDataFile(const std::string& name, std::vector<unsigned char>& bytes)
{
    if (!DataFile.Open(name.c_str(), FILE_READ)) return false;
    bytes.resize(DataFile.GetSize());
    std::uint32_t read = bytes.empty() ? 0 : DataFile.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    DataFile.Close();
    bytes.resize(read);
    return true;
}

// The game's art as the builder drew it for a frame of `scale` (or the
// largest smaller scale it drew), as a surface of that scale; empty when
// there is none that decodes to whole units, and the 1x art serves instead.
Surface ReadScaledArt(const char* fileName, int scale)
{
    for (int drawn = scale; drawn >= 2; --drawn) {
        const int* scales = std::begin(res::kArtScales);
        if (std::find(scales, std::end(res::kArtScales), drawn) == std::end(res::kArtScales)) continue;
        const std::string name = res::ScaledArtName(fileName, drawn);
        // Read as it inflates: a frame-sized picture is never held twice.
        if (!DataFile.Open(name.c_str(), FILE_READ)) continue;
        Surface pixels;
        std::string reason = "not whole units";
        const bool decoded = BmpCodec::DecodeStream(
            [](unsigned char* buffer, std::size_t count) {
                return DataFile.Read(buffer, static_cast<std::uint32_t>(count));
            },
            DataFile.GetSize(), pixels, &reason);
        DataFile.Close();
        if (!decoded || !pixels.TakeScale(drawn)) {
            Log.Write("CMgrImage: Damaged image %s (%s)\n", name.c_str(), reason.c_str());
            continue;
        }
        return pixels;
    }
    return {};
}

// A puzzle picture as large as the archive ships it (its JPEG), decoded no
// larger than the library's reduction allows while still reaching
// `longerSide` pixels on the longer side; pure black is lifted a step, as in
// the shipped BMPs, since black is the see-through colour of a piece. Empty
// when the archive has no large copy that decodes: the BMP serves instead.
Surface ReadLargePicture(const char* fileName, float longerSide)
{
    const std::string name = res::LargePictureName(fileName);
    std::vector<unsigned char> bytes;
    if (!ReadDataFile(name, bytes)) return {};
    PictureDecoder decoder;
    Surface picture;
    if (decoder.Open(bytes.data(), bytes.size())) {
        const double reach = std::max(1.0, static_cast<double>(longerSide)) /
                             std::max(decoder.Width(), decoder.Height());
        decoder.ScaleToAtLeast(static_cast<int>(std::ceil(decoder.Width() * reach)),
                               static_cast<int>(std::ceil(decoder.Height() * reach)));
    }
    if (!decoder.Decode(picture)) {
        Log.Write("CMgrImage: Damaged image %s (%s)\n", name.c_str(), decoder.Detail().c_str());
        return {};
    }
    for (int y = 0; y < picture.Height(); ++y)
        for (Colour* p = picture.Row(y); p != picture.Row(y) + picture.Width(); ++p)
            if (*p == kBlack) *p = MakeColour(1, 1, 1);
    return picture;
}

// Opens a JPEG and reads its header: the name as given first, then the name
// within the program folder.
void ReadJpegHeader(JpegDecoder& decoder, const char* fileName)
{
    if (!decoder.Init()) Error.CriticalError("Can't initialize ijl15.lib!");
    if (decoder.ReadHeader(fileName)) return;
    std::string inProgramFolder = std::string(CFile::GetProgramFolder()) + "/" + fileName;
    if (decoder.ReadHeader(inProgramFolder.c_str())) return;
    decoder.Free();
    Error.CriticalError("Can't load file: %s", fileName);
}

Surface DecodeJpeg(JpegDecoder& decoder, const char* fileName)
{
    Surface picture;
    if (!decoder.ReadImage(picture)) {
        decoder.Free();
        Error.CriticalError("Can't parse file: %s", fileName);
    }
    decoder.Free();
    return picture;
}

// The whole picture in a surface of the scaled size: filtered where it gets
// smaller, so that fine detail does not turn into false patterns.
void StretchInto(CImage& target, const Surface& picture, float width, float height)
{
    target.width = width;
    target.height = height;
    target.surface = PictureScaler::Resize(picture, Trunc(width), Trunc(height));
}

// The same at `scale` pixels a unit: width x height units, each pixel
// filtered from the picture at the finer size, whether that is smaller or
// larger than the picture (a 448 picture on a screen of scale 3).
void StretchInto(CImage& target, const Surface& picture, float width, float height, int scale)
{
    if (scale <= 1) {
        StretchInto(target, picture, width, height);
        return;
    }
    target.width = width;
    target.height = height;
    target.surface = CMgrImage::AtScale(
        PictureScaler::ResizeSmooth(picture, Trunc(width) * scale, Trunc(height) * scale), scale);
}

// A relative name ending in "bmp" is one of the game's own bitmaps.
bool IsGameBitmap(const char* fileName) { return fileName[0] != '/' && IsBmpName(fileName); }

std::string Sentence(const char* format, long long a, long long b = 0, long long c = 0)
{
    char text[512];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

constexpr const char* kFormatsLine =
    "Pictures can be JPEG, PNG, WebP, GIF, TIFF, BMP, TGA, HEIC or AVIF files.";

// A file of the player's read whole and decoded, at the smallest JPEG
// reduction that still covers workSize. Answers the player's sentence when it
// cannot be used, empty when `picture` holds it; `detail` then has the words
// for the log. Touches nothing of the game's: it may run on a thread of its own.
std::string DecodeFile(const std::string& fileName, const std::string& inProgramFolder, float workSize, float minSide,
                       int scale, const std::atomic<bool>* stop, const PictureDecoder::RowWatcher& watcher,
                       CMgrImage::DecodedPicture& decoded)
{
    Surface& picture = decoded.picture;
    std::string& detail = decoded.detail;
    std::vector<unsigned char> bytes;
    long long fileSize = 0;
    PictureFile::Outcome outcome = PictureFile::Read(fileName, bytes, fileSize, detail);
    if (outcome == PictureFile::Outcome::Missing && !inProgramFolder.empty())
        outcome = PictureFile::Read(inProgramFolder, bytes, fileSize, detail);
    auto refuse = [](const std::string& sentence) { return sentence; };
    switch (outcome) {
    case PictureFile::Outcome::Read: break;
    case PictureFile::Outcome::Missing:
        return refuse("The picture file could not be found. It may have been moved or renamed; please choose it again.");
    case PictureFile::Outcome::Folder:
        return refuse("This is a folder, not a picture. Please choose a picture file.");
    case PictureFile::Outcome::NotAFile:
        return refuse("This is not an ordinary file, so the game cannot open it as a picture. Please choose a picture "
                      "file.");
    case PictureFile::Outcome::Unreadable:
        return refuse("The game could not read this file. Please check that you may read it, or choose another "
                      "picture.");
    case PictureFile::Outcome::Empty:
        return refuse("This file is empty, so there is no picture in it. Please choose another picture.");
    case PictureFile::Outcome::TooLarge:
        return refuse(Sentence("This file is too large to be a picture the game can use: %lld MB; picture files up to "
                               "%lld MB can be used.",
                               (fileSize + (1 << 20) - 1) >> 20, PictureFile::kMaxBytes >> 20));
    }

    PictureDecoder decoder;
    decoder.SetStop(stop);
    bool usable = decoder.Open(bytes.data(), bytes.size());
    if (usable) {
        decoded.sourceWidth = decoder.Width();
        decoded.sourceHeight = decoder.Height();
        // Too narrow or too flat: at the largest copy's size the shorter side
        // would be less than the smallest cut needs.
        const long long longer = std::max(decoder.Width(), decoder.Height());
        const long long shorter = std::min(decoder.Width(), decoder.Height());
        if (static_cast<double>(shorter) * workSize < static_cast<double>(minSide) * static_cast<double>(longer)) {
            detail = "too narrow to cut";
            const long long ratio = static_cast<long long>(workSize / std::max(minSide, 1.0f));
            return refuse(Sentence("This picture is too narrow or too flat to cut into pieces: %lld × %lld pixels. "
                                   "Please choose one at most %lld times as long as it is wide.",
                                   decoder.Width(), decoder.Height(), ratio));
        }
        float scaledWidth, scaledHeight;
        const float pixels = workSize * static_cast<float>(std::max(1, scale));
        ScaledSize(static_cast<float>(decoder.Width()), static_cast<float>(decoder.Height()), pixels, pixels,
                   scaledWidth, scaledHeight);
        decoder.ScaleToAtLeast(Trunc(std::ceil(scaledWidth)), Trunc(std::ceil(scaledHeight)));
        if (watcher) decoder.WatchRows(watcher);
        usable = decoder.Decode(picture);
    }
    if (usable) return {};
    detail = std::string(PictureHeader::FormatName(decoder.Format())) + ": " + decoder.Detail();
    switch (decoder.GetFailure()) {
    case PictureDecoder::Failure::TooLarge:
        if (decoder.Width() <= 0 || decoder.Height() <= 0)
            return refuse(Sentence("This picture is too large; pictures up to %lld megapixels can be used.",
                                   decoder.MaxMegapixels()));
        return refuse(Sentence("This picture is too large: %lld × %lld pixels; pictures up to %lld megapixels can be "
                               "used.",
                               decoder.Width(), decoder.Height(), decoder.MaxMegapixels()));
    case PictureDecoder::Failure::Damaged:
        return refuse("This picture is damaged or incomplete, so the game cannot show it. Please choose another "
                      "picture.");
    case PictureDecoder::Failure::TooSlow:
        return refuse(CMgrImage::kTooSlow);
    case PictureDecoder::Failure::NotAPicture:
    case PictureDecoder::Failure::None:
        break;
    }
    return refuse(std::string("This file is not a picture the game can open. ") + kFormatsLine);
}

}  // namespace

namespace {

// A game picture's own size is its large copy's in the archive (its header
// alone is read), else the BMP's.
void SourceSizeOfGamePicture(const char* fileName, const Surface& picture, PictureCopies& copies)
{
    copies.sourceWidth = picture.Width();
    copies.sourceHeight = picture.Height();
    if (!res::IsGamePicture(fileName)) return;
    std::vector<unsigned char> bytes;
    PictureDecoder decoder;
    if (!ReadDataFile(res::LargePictureName(fileName), bytes) || !decoder.Open(bytes.data(), bytes.size())) return;
    copies.sourceWidth = std::max(decoder.Width(), picture.Width());
    copies.sourceHeight = std::max(decoder.Height(), picture.Height());
}

}  // namespace

bool CMgrImage::LoadPicture(const char* fileName, PictureCopies& copies, std::string* message)
{
    copies.small.Release();
    copies.work.Release();
    copies.clean.Release();
    if (!fileName || !*fileName) {
        if (!message) Error.CriticalError("CMgrImage: No picture named!\n");
        *message = "No picture was chosen.";
        return false;
    }
    Surface picture;
    std::string problem;
    if (IsGameBitmap(fileName)) {
        // A puzzle picture of the game's own asked for larger than its BMP
        // (in pixels: copies for a frame of scale 2 or 3 have that many a
        // unit) comes from its largest copy.
        const float longer = std::max(copies.workSize, copies.smallSize) * static_cast<float>(BackBuffer().Scale());
        if (res::IsGamePicture(fileName) && longer > res::kPictureLongerSide)
            picture = ReadLargePicture(fileName, longer);
        if (picture.IsEmpty()) picture = ReadBitmap(fileName, message ? &problem : nullptr);
        SourceSizeOfGamePicture(fileName, picture, copies);
    } else {
        DecodedPicture decoded;
        if (keptDecode.valid && keptDecode.fileName == fileName && keptDecode.workSize == copies.workSize &&
            keptDecode.minSide == copies.minSide && keptDecode.scale == copies.scale) {
            Log.Write("CMgrImage: Picture %s was decoded ahead\n", fileName);
            decoded = std::move(keptDecode.decoded);
            ForgetDecoded();
        } else {
            decoded = DecodePlayerPicture(fileName, InProgramFolder(fileName), copies.workSize, copies.minSide,
                                          copies.scale);
        }
        LogRefusal(fileName, decoded);
        problem = std::move(decoded.problem);
        picture = std::move(decoded.picture);
        copies.sourceWidth = decoded.sourceWidth;
        copies.sourceHeight = decoded.sourceHeight;
        if (!problem.empty() && !message)
            Error.CriticalError("CMgrImage: Can't use picture %s: %s\n", fileName, problem.c_str());
    }
    if (!problem.empty()) {
        *message = problem;
        return false;
    }
    MakeCopies(picture, copies);
    return true;
}

Surface CMgrImage::AtScale(const Surface& pixels, int scale)
{
    if (scale <= 1 || pixels.Width() % scale != 0 || pixels.Height() % scale != 0) return pixels;
    Surface scaled = Surface::Scaled(pixels.Width() / scale, pixels.Height() / scale, scale);
    if (scaled.Width() != pixels.Width() || scaled.Height() != pixels.Height()) return pixels;
    std::memcpy(scaled.Pixels(), pixels.Pixels(),
                sizeof(Colour) * static_cast<std::size_t>(pixels.Width()) * static_cast<std::size_t>(pixels.Height()));
    return scaled;
}

bool CMgrImage::IsPlayerPicture(const std::string& fileName) { return !IsGameBitmap(fileName.c_str()); }

void CMgrImage::KeepDecoded(const std::string& fileName, float workSize, float minSide, int scale,
                            DecodedPicture decoded)
{
    keptDecode = KeptDecode{true, fileName, workSize, minSide, scale, std::move(decoded)};
}

std::string CMgrImage::InProgramFolder(const std::string& fileName)
{
    if (fileName.empty() || fileName[0] == '/') return {};
    return std::string(CFile::GetProgramFolder()) + "/" + fileName;
}

CMgrImage::DecodedPicture CMgrImage::DecodePlayerPicture(const std::string& fileName,
                                                         const std::string& inProgramFolder, float workSize,
                                                         float minSide, int scale, const std::atomic<bool>* stop,
                                                         const PictureDecoder::RowWatcher& watcher)
{
    DecodedPicture decoded;
    decoded.problem = DecodeFile(fileName, inProgramFolder, workSize, minSide, scale, stop, watcher, decoded);
    if (!decoded.problem.empty()) decoded.picture = Surface();
    return decoded;
}

void CMgrImage::LogRefusal(const std::string& fileName, const DecodedPicture& decoded)
{
    if (!decoded.problem.empty())
        Log.Write("CMgrImage: Can't use picture %s: %s\n", fileName.c_str(), decoded.detail.c_str());
}

void CMgrImage::MakeCopies(const Surface& picture, PictureCopies& copies)
{
    const float width = static_cast<float>(picture.Width()), height = static_cast<float>(picture.Height());
    float scaledWidth, scaledHeight;
    ScaledSize(width, height, copies.workSize, copies.workSize, scaledWidth, scaledHeight);
    StretchInto(copies.work, picture, scaledWidth, scaledHeight, copies.scale);
    copies.clean = copies.work;
    ScaledSize(width, height, copies.smallSize, copies.smallSize, scaledWidth, scaledHeight);
    StretchInto(copies.small, picture, scaledWidth, scaledHeight, copies.scale);
}

void CMgrImage::MakeCopies(const DecodedPicture& decoded, PictureCopies& copies)
{
    copies.sourceWidth = decoded.sourceWidth;
    copies.sourceHeight = decoded.sourceHeight;
    MakeCopies(decoded.picture, copies);
}

CMgrImage::CutPictureRequest CMgrImage::AskCutPicture(const char* fileName, int width, int height)
{
    CutPictureRequest request;
    request.fileName = fileName ? fileName : "";
    request.width = width;
    request.height = height;
    request.gamePicture = IsGameBitmap(request.fileName.c_str());
    if (request.gamePicture) {
        if (res::IsGamePicture(fileName)) ReadDataFile(res::LargePictureName(fileName), request.gameBytes);
    } else {
        request.inProgramFolder = InProgramFolder(request.fileName);
    }
    return request;
}

namespace {

// A decoded picture less than twice the cut's size on both sides is brought
// to it by area; one larger, by the filter.
bool ReducesMildly(const Surface& picture, int width, int height)
{
    return picture.Width() >= width && picture.Height() >= height && picture.Width() < 2 * width &&
           picture.Height() < 2 * height;
}

// The cut's picture reduced while it is decoded: the first rows the decoder
// shows start the reduction on a thread of its own, which makes each band of
// rows once the rows under it are final; when the decode ends, the decoding
// thread joins in for what is left. A decoder that shows no rows (another
// format, a turned photo) leaves the reduction to the caller.
class ReductionBesideDecoding {
public:
    ReductionBesideDecoding(int width, int height, AreaReducer::SpareWork spareWork)
        : width(width), height(height), spareWork(std::move(spareWork))
    {
    }
    ~ReductionBesideDecoding() { Stop(); }
    ReductionBesideDecoding(const ReductionBesideDecoding&) = delete;
    ReductionBesideDecoding& operator=(const ReductionBesideDecoding&) = delete;

    PictureDecoder::RowWatcher Watcher()
    {
        return [this](const Surface& picture, int rowsFinal) { RowsFinal(picture, rowsFinal); };
    }

    // The reduced picture, or empty when the reduction never started.
    Surface Finish(const Surface& picture)
    {
        if (!reducer || picture.Width() != sourceWidth || picture.Height() != sourceHeight) {
            Stop();
            return {};
        }
        reducer->Arrived(picture.Pixels(), picture.Height());
        reducer->Work();
        beside.join();
        return reducer->TakeResult();
    }

    // Stops reading the picture's rows, which may go once this returns.
    void Stop()
    {
        if (reducer) reducer->Abandon();
        if (beside.joinable()) beside.join();
        reducer.reset();
    }

private:
    void RowsFinal(const Surface& picture, int rowsFinal)
    {
        if (rowsFinal <= 0) {  // a failed decode takes the rows away
            Stop();
            return;
        }
        if (!reducer && !declined) Start(picture);
        if (reducer) reducer->Arrived(picture.Pixels(), rowsFinal);
    }

    void Start(const Surface& picture)
    {
        declined = true;
        if (!ReducesMildly(picture, width, height)) return;
        sourceWidth = picture.Width();
        sourceHeight = picture.Height();
        reducer = std::make_unique<AreaReducer>(sourceWidth, sourceHeight, width, height);
        reducer->FinishRowsWith(CMgrImage::LiftBlackRow);
        if (spareWork) reducer->SpareTimeFor(spareWork);
        try {
            beside = std::thread([this] { reducer->Work(); });
        } catch (const std::system_error&) {
            reducer.reset();  // no thread to be had: reduced afterwards, as any picture
        }
    }

    int width, height;
    AreaReducer::SpareWork spareWork;
    int sourceWidth = 0, sourceHeight = 0;
    bool declined = false;
    std::unique_ptr<AreaReducer> reducer;
    std::thread beside;
};

}  // namespace

Surface CMgrImage::DecodeCutPicture(const CutPictureRequest& request, bool* madeBeside)
{
    if (madeBeside) *madeBeside = false;
    if (request.width <= 0 || request.height <= 0) return {};
    ReductionBesideDecoding reduction(request.width, request.height, request.spareWork);
    Surface picture;
    if (request.gamePicture) {
        PictureDecoder decoder;
        if (request.gameBytes.empty() || !decoder.Open(request.gameBytes.data(), request.gameBytes.size())) return {};
        decoder.ScaleToAtLeast(request.width, request.height);
        decoder.WatchRows(reduction.Watcher());
        if (!decoder.Decode(picture)) return {};
    } else {
        DecodedPicture decoded = DecodePlayerPicture(request.fileName, request.inProgramFolder,
                                                     static_cast<float>(std::max(request.width, request.height)),
                                                     0.0f, 1, nullptr, reduction.Watcher());
        if (!decoded.problem.empty()) {
            reduction.Stop();  // before the picture it read goes with `decoded`
            return {};
        }
        picture = std::move(decoded.picture);  // tens of megabytes: taken, not copied
    }
    picture.TakeScale(1);
    Surface sized = reduction.Finish(picture);  // its black lifted row by row
    if (madeBeside) *madeBeside = !sized.IsEmpty();
    if (sized.IsEmpty()) {
        sized = ReducesMildly(picture, request.width, request.height)
                    ? PictureScaler::ReduceByArea(picture, request.width, request.height)
                    : PictureScaler::Resize(picture, request.width, request.height);
        LiftBlack(sized);
    }
    return sized;
}

void CMgrImage::LiftBlack(Surface& picture)
{
    Colour* pixels = picture.Pixels();
    for (int y = 0; y < picture.Height(); ++y)
        LiftBlackRow(pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width()), picture.Width());
}

void CMgrImage::LiftBlackRow(Colour* row, int width)
{
    const Colour lifted = MakeColour(1, 1, 1);
    int x = 0;
#if defined(__SSE2__)
    // Four pixels at a time: a large cut's picture has tens of millions.
    const __m128i black = _mm_setzero_si128(), step = _mm_set1_epi32(static_cast<int>(lifted));
    for (; x + 4 <= width; x += 4) {
        __m128i* at = reinterpret_cast<__m128i*>(row + x);
        const __m128i pixels = _mm_loadu_si128(at);
        _mm_storeu_si128(at, _mm_or_si128(pixels, _mm_and_si128(_mm_cmpeq_epi32(pixels, black), step)));
    }
#endif
    for (; x < width; ++x)
        if (row[x] == kBlack) row[x] = lifted;
}

void CMgrImage::FitArtToFrame(const CImage& image)
{
    if (image.artName.empty() || image.artScale == BackBuffer().Scale()) return;
    // The image is the caller's own, held for drawing: loading it again for
    // the frame's new scale changes only its pixels, never its size in units.
    const std::string name = image.artName;
    CImage& art = const_cast<CImage&>(image);
    if (image.artFitWidth > 0)
        LoadBmpScaled(art, name.c_str(), image.artFitWidth, image.artFitHeight);
    else
        LoadBmp(art, name.c_str());
}

void CMgrImage::Draw(Surface& dest, const CImage& image, float x, float y)
{
    FitArtToFrame(image);
    dest.Blit(Trunc(x), Trunc(y), Trunc(image.width), Trunc(image.height), image.surface, 0, 0);
}

void CMgrImage::DrawTransparent(Surface& dest, const CImage& image, float x, float y)
{
    FitArtToFrame(image);
    dest.BlitTransparent(Trunc(x), Trunc(y), Trunc(image.width), Trunc(image.height), image.surface, 0, 0);
}

void CMgrImage::DrawStretchedX(Surface& dest, const CImage& image, float x, float y, float factor)
{
    FitArtToFrame(image);
    int width = Trunc(factor * image.width);
    dest.StretchBlit(Trunc(x), Trunc(y), width, Trunc(image.height), image.surface, 0, 0,
                     Trunc(image.width), Trunc(image.height));
}

Colour CMgrImage::SelectedLight(Colour picture)
{
    // Two fifths of the way to white: lighter, and still the picture.
    auto lighten = [](Colour c) { return c + (255 - c) * 2 / 5; };
    return MakeColour(lighten(picture & 0xFF), lighten((picture >> 8) & 0xFF), lighten((picture >> 16) & 0xFF));
}

Colour CMgrImage::SelectedEdge(float glow)
{
    const float g = std::clamp(glow, 0.0f, 1.0f);
    return MakeColour(255, static_cast<int>(170.0f + 85.0f * g), static_cast<int>(20.0f + 235.0f * g));
}

void CMgrImage::DrawSelectedImage(Surface& dest, const Surface& image, int maskWidth, int maskHeight, float width,
                                  float height, float x, float y, float glow)
{
    int w, h;
    SelectedBox(image, maskWidth, maskHeight, width, height, w, h);
    const int scale = dest.Scale(), edgeWidth = kSelectedEdgeWidth * scale;
    const int left = PixelOf(x, scale), top = PixelOf(y, scale);
    auto inside = [&](int px, int py) {
        return px >= 0 && py >= 0 && px < w && py < h &&
               selectedInside[static_cast<std::size_t>(py) * maskWidth + px] != 0;
    };
    const Colour edge = SelectedEdge(glow);
    auto near = [&](int px, int py, int reach) {
        for (int d = 1; d <= reach; ++d)
            if (inside(px - d, py) || inside(px + d, py) || inside(px, py - d) || inside(px, py + d)) return true;
        return false;
    };
    // The rim's width past the box on every side, for the line outside the outline.
    for (int py = -scale; py < h + scale; ++py) {
        const int dy = top + py;
        if (dy < 0 || dy >= dest.Height()) continue;
        Colour* row = dest.Row(dy);
        for (int px = -scale; px < w + scale; ++px) {
            const int dx = left + px;
            if (dx < 0 || dx >= dest.Width()) continue;
            if (inside(px, py)) {
                bool nearOutline = false;
                for (int d = 1; d <= edgeWidth && !nearOutline; ++d)
                    nearOutline = !inside(px - d, py) || !inside(px + d, py) || !inside(px, py - d) ||
                                  !inside(px, py + d);
                row[dx] = nearOutline ? edge : SelectedLight(image.Row(py)[px]);
            } else if (near(px, py, scale)) {
                row[dx] = kSelectedRim;
            }
        }
    }
}

namespace {
// Not a colour (those have no top byte): what the scratch holds where the
// selected piece draws nothing.
constexpr Colour kNothingDrawn = 0xFF000000;
}  // namespace

Surface& CMgrImage::SelectedScratch(float width, float height, int scale)
{
    const int w = std::clamp(Trunc(width), 0, 1 << 14) + 2, h = std::clamp(Trunc(height), 0, 1 << 14) + 2;
    if (selectedScratch.UnitWidth() != w || selectedScratch.UnitHeight() != h || selectedScratch.Scale() != scale)
        selectedScratch = Surface::Scaled(w, h, scale);
    Colour* pixels = selectedScratch.Pixels();
    std::fill(pixels, pixels + static_cast<std::size_t>(selectedScratch.Width()) * selectedScratch.Height(),
              kNothingDrawn);
    return selectedScratch;
}

void CMgrImage::CopySelectedScratch(Surface& dest, float x, float y)
{
    dest.BlitTransparent(Trunc(x) - 1, Trunc(y) - 1, selectedScratch.UnitWidth(), selectedScratch.UnitHeight(),
                         selectedScratch, 0, 0, kNothingDrawn);
}

void CMgrImage::SelectedBox(const Surface& image, int maskWidth, int maskHeight, float width, float height,
                            int& boxWidth, int& boxHeight)
{
    const int scale = image.IsEmpty() ? 1 : image.Scale();
    boxWidth = std::min({Trunc(width) * scale, image.Width(), maskWidth});
    boxHeight = std::min({Trunc(height) * scale, image.Height(), maskHeight});
}

void CMgrImage::DrawSelectedLook(Surface& dest, const SelectedLook& look, const Surface& image, float x, float y,
                                 float glow)
{
    const int scale = dest.Scale();
    look.Draw(dest, image, PixelOf(x, scale), PixelOf(y, scale), SelectedEdge(glow), kSelectedRim);
}

void CMgrImage::DrawPieceImage(Surface& dest, const Surface& image, float width, float height, float x, float y,
                               bool transparent)
{
    if (transparent)
        dest.BlitTransparent(Trunc(x), Trunc(y), Trunc(width), Trunc(height), image, 0, 0);
    else
        dest.Blit(Trunc(x), Trunc(y), Trunc(width), Trunc(height), image, 0, 0, RasterOp::Paint);
}

void CMgrImage::DrawFrame(Surface& dest, int left, int top, int right, int bottom, Colour colour, int penWidth)
{
    Pen previous = dest.SelectPen(Pen{colour, penWidth, PenStyle::Dash});
    dest.MoveTo(left, top);
    dest.LineTo(right, top);
    dest.LineTo(right, bottom);
    dest.LineTo(left, bottom);
    dest.LineTo(left, top);
    dest.SelectPen(previous);
}

void CMgrImage::DrawBezier(Surface& dest, int x0, int y0, int x1, int y1, int x2, int y2, int x3, int y3)
{
    const Point points[4] = {{x0, y0}, {x1, y1}, {x2, y2}, {x3, y3}};
    dest.MoveTo(x0, y0);
    dest.PolyBezier(points, 4);
}

void CMgrImage::LoadImage(CImage& target, const char* fileName)
{
    if (IsBmpName(fileName))
        LoadBmp(target, fileName);
    else
        LoadJpeg(target, fileName);
}

void CMgrImage::LoadImageScaled(CImage& target, const char* fileName, float width, float height)
{
    if (IsBmpName(fileName))
        LoadBmpScaled(target, fileName, width, height);
    else
        LoadJpegScaled(target, fileName, width, height);
}

void CMgrImage::LoadBmp(CImage& target, const char* fileName)
{
    const bool art = res::IsScreenArt(fileName);
    const int scale = BackBuffer().Scale();
    Surface picture = art && scale > 1 ? ReadScaledArt(fileName, scale) : Surface();
    if (picture.IsEmpty()) picture = ReadBitmap(fileName);
    target.width = static_cast<float>(picture.UnitWidth());
    target.height = static_cast<float>(picture.UnitHeight());
    target.surface = std::move(picture);
    target.artName = art ? fileName : "";
    target.artScale = scale;
    target.artFitWidth = target.artFitHeight = 0;
}

void CMgrImage::LoadBmpScaled(CImage& target, const char* fileName, float width, float height)
{
    const bool art = res::IsScreenArt(fileName), picture = res::IsGamePicture(fileName);
    const int scale = BackBuffer().Scale();
    // On a larger frame, from the art drawn at its scale or the picture's
    // largest copy, reduced with the filter to the frame's pixels.
    Surface large;
    if (scale > 1 && art) large = ReadScaledArt(fileName, scale);
    if (scale > 1 && picture) large = ReadLargePicture(fileName, std::max(width, height) * scale);
    float scaledWidth, scaledHeight;
    if (large.IsEmpty()) {
        Surface small = ReadBitmap(fileName);
        ScaledSize(static_cast<float>(small.Width()), static_cast<float>(small.Height()), width, height, scaledWidth,
                   scaledHeight);
        StretchInto(target, small, scaledWidth, scaledHeight);
    } else {
        ScaledSize(static_cast<float>(large.UnitWidth()), static_cast<float>(large.UnitHeight()), width, height,
                   scaledWidth, scaledHeight);
        const int pixelsPerUnit = art ? large.Scale() : scale;  // art: the scale it was drawn at
        const int unitWidth = std::max(1, Trunc(scaledWidth)), unitHeight = std::max(1, Trunc(scaledHeight));
        // The filter works in pixels: the art's are taken as a surface of scale 1.
        large.TakeScale(1);
        target.surface = AsScale(PictureScaler::Resize(large, unitWidth * pixelsPerUnit, unitHeight * pixelsPerUnit),
                                 pixelsPerUnit);
        target.width = scaledWidth;
        target.height = scaledHeight;
    }
    target.artName = art || picture ? fileName : "";
    target.artScale = scale;
    target.artFitWidth = width;
    target.artFitHeight = height;
}

void CMgrImage::LoadJpeg(CImage& target, const char* fileName)
{
    JpegDecoder decoder;
    ReadJpegHeader(decoder, fileName);
    Surface picture = DecodeJpeg(decoder, fileName);
    target.width = static_cast<float>(picture.Width());
    target.height = static_cast<float>(picture.Height());
    target.surface = std::move(picture);
}

// A large photograph is decoded at the largest reduction that still covers the
// scaled size (the library does that while decoding, far faster than
// shrinking the whole picture), then stretched to the exact size.
void CMgrImage::LoadJpegScaled(CImage& target, const char* fileName, float width, float height)
{
    JpegDecoder decoder;
    ReadJpegHeader(decoder, fileName);
    float scaledWidth, scaledHeight;
    ScaledSize(static_cast<float>(decoder.Width()), static_cast<float>(decoder.Height()), width, height, scaledWidth,
               scaledHeight);
    decoder.ScaleToAtLeast(Trunc(std::ceil(scaledWidth)), Trunc(std::ceil(scaledHeight)));
    Surface picture = DecodeJpeg(decoder, fileName);
    StretchInto(target, picture, scaledWidth, scaledHeight);
}
