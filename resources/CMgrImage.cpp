#include "resources/CMgrImage.h"

#include "app/CError.h"
#include "puzzle/CPiece.h"

CMgrImage ImageMgr;

namespace {

int Trunc(float value) { return static_cast<int>(value); }

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

void CMgrImage::DrawPieceTransparent(Surface& dest, const CPiece& piece, float x, float y)
{
    dest.BlitTransparent(Trunc(x), Trunc(y), Trunc(piece.width), Trunc(piece.height), piece.image, 0, 0);
}

void CMgrImage::DrawPieceLighten(Surface& dest, const CPiece& piece, float x, float y)
{
    dest.Blit(Trunc(x), Trunc(y), Trunc(piece.width), Trunc(piece.height), piece.image, 0, 0, RasterOp::Paint);
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

// The picture loaders are still to come; until then every load is an error.
void CMgrImage::LoadImage(CImage&, const char* fileName) { Error.CriticalError("Can't load file: %s", fileName); }
void CMgrImage::LoadImageScaled(CImage&, const char* fileName, float, float)
{
    Error.CriticalError("Can't load file: %s", fileName);
}
void CMgrImage::LoadBmp(CImage&, const char* fileName) { Error.CriticalError("Can't load file: %s", fileName); }
void CMgrImage::LoadBmpScaled(CImage&, const char* fileName, float, float)
{
    Error.CriticalError("Can't load file: %s", fileName);
}
void CMgrImage::LoadJpeg(CImage&, const char* fileName) { Error.CriticalError("Can't load file: %s", fileName); }
void CMgrImage::LoadJpegScaled(CImage&, const char* fileName, float, float)
{
    Error.CriticalError("Can't load file: %s", fileName);
}
