#include "resources/CMgrImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CError.h"
#include "platform/BmpCodec.h"
#include "platform/JpegDecoder.h"
#include "resources/CFile.h"

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
Surface ReadBitmap(const char* fileName)
{
    if (!DataFile.Open(fileName, FILE_READ)) Error.CriticalError("CMgrImage: Couldn't open image %s!\n", fileName);
    std::vector<unsigned char> bytes(DataFile.GetSize());
    std::uint32_t read = bytes.empty() ? 0 : DataFile.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    DataFile.Close();
    bytes.resize(read);
    Surface picture;
    std::string reason;
    if (!BmpCodec::Decode(bytes.data(), bytes.size(), picture, &reason))
        Error.CriticalError("CMgrImage: Damaged image %s (%s)!\n", fileName, reason.c_str());
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

// A nearest-neighbour copy of the whole picture into a surface of the scaled size.
void StretchInto(CImage& target, const Surface& picture, float width, float height)
{
    target.width = width;
    target.height = height;
    target.surface = Surface(Trunc(width), Trunc(height));
    target.surface.StretchBlit(0, 0, target.surface.Width(), target.surface.Height(), picture, 0, 0,
                               picture.Width(), picture.Height());
}

}  // namespace

void CMgrImage::Draw(Surface& dest, const CImage& image, float x, float y)
{
    dest.Blit(Trunc(x), Trunc(y), Trunc(image.width), Trunc(image.height), image.surface, 0, 0);
}

void CMgrImage::DrawTransparent(Surface& dest, const CImage& image, float x, float y)
{
    dest.BlitTransparent(Trunc(x), Trunc(y), Trunc(image.width), Trunc(image.height), image.surface, 0, 0);
}

void CMgrImage::DrawStretchedX(Surface& dest, const CImage& image, float x, float y, float factor)
{
    int width = Trunc(factor * image.width);
    dest.StretchBlit(Trunc(x), Trunc(y), width, Trunc(image.height), image.surface, 0, 0,
                     Trunc(image.width), Trunc(image.height));
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
    Surface picture = ReadBitmap(fileName);
    target.width = static_cast<float>(picture.Width());
    target.height = static_cast<float>(picture.Height());
    target.surface = std::move(picture);
}

void CMgrImage::LoadBmpScaled(CImage& target, const char* fileName, float width, float height)
{
    Surface picture = ReadBitmap(fileName);
    float scaledWidth, scaledHeight;
    ScaledSize(static_cast<float>(picture.Width()), static_cast<float>(picture.Height()), width, height, scaledWidth,
               scaledHeight);
    StretchInto(target, picture, scaledWidth, scaledHeight);
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

bool CMgrImage::CanLoadImage(const char* fileName)
{
    if (!fileName || !*fileName) return false;
    // Only plain files: reading a folder, a device or a pipe might never end.
    auto isOther = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error);
    };
    if (IsBmpName(fileName)) {
        if (isOther(std::string(CFile::GetProgramFolder()) + fileName)) return false;
        if (!DataFile.Open(fileName, FILE_READ)) return false;
        std::vector<unsigned char> bytes(DataFile.GetSize());
        std::uint32_t read = bytes.empty() ? 0 : DataFile.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        DataFile.Close();
        bytes.resize(read);
        Surface picture;
        return BmpCodec::Decode(bytes.data(), bytes.size(), picture, nullptr);
    }
    std::string inProgramFolder = std::string(CFile::GetProgramFolder()) + "/" + fileName;
    if (isOther(fileName) || isOther(inProgramFolder)) return false;
    JpegDecoder decoder;
    if (!decoder.Init()) return false;
    if (!decoder.ReadHeader(fileName) && !decoder.ReadHeader(inProgramFolder.c_str())) return false;
    // Decoded no smaller than the game's largest copy of a picture, so that
    // what passes here also passes there.
    constexpr int kLargestCopy = 448;
    decoder.ScaleToAtLeast(kLargestCopy, kLargestCopy);
    Surface picture;
    const bool decoded = decoder.ReadImage(picture);
    decoder.Free();
    return decoded;
}
