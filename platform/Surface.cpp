#include "platform/Surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A dashed one-pixel pen draws 18 pixels and leaves 6.
constexpr int kDashOn = 18;
constexpr int kDashPeriod = 24;

// Clips a transfer of width x height from (srcX, srcY) in a source of
// srcW x srcH to (x, y) in a destination of dstW x dstH. Answers false when
// nothing is left to copy.
bool ClipTransfer(int& x, int& y, int& width, int& height, int& srcX, int& srcY, int dstW, int dstH,
                  int srcW, int srcH)
{
    if (x < 0) { width += x; srcX -= x; x = 0; }
    if (y < 0) { height += y; srcY -= y; y = 0; }
    if (srcX < 0) { width += srcX; x -= srcX; srcX = 0; }
    if (srcY < 0) { height += srcY; y -= srcY; srcY = 0; }
    width = std::min({width, dstW - x, srcW - srcX});
    height = std::min({height, dstH - y, srcH - srcY});
    return width > 0 && height > 0;
}

}  // namespace

Surface::Surface(int width, int height)
{
    if (width > 0 && height > 0) {
        width_ = width;
        height_ = height;
        pixels_.assign(static_cast<std::size_t>(width) * height, kBlack);
    }
}

Colour Surface::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColour;
    return Row(y)[x];
}

void Surface::SetPixel(int x, int y, Colour colour)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    Row(y)[x] = colour & 0xFFFFFF;
}

void Surface::Fill(Colour colour)
{
    std::fill(pixels_.begin(), pixels_.end(), colour & 0xFFFFFF);
}

void Surface::FillRect(int x, int y, int width, int height, Colour colour)
{
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + width, width_), y1 = std::min(y + height, height_);
    for (int row = y0; row < y1; ++row) std::fill(Row(row) + x0, Row(row) + x1, colour & 0xFFFFFF);
}

void Surface::Blit(int x, int y, int width, int height, const Surface& src, int srcX, int srcY, RasterOp op)
{
    if (!ClipTransfer(x, y, width, height, srcX, srcY, width_, height_, src.width_, src.height_)) return;
    for (int row = 0; row < height; ++row) {
        const Colour* from = src.Row(srcY + row) + srcX;
        Colour* to = Row(y + row) + x;
        switch (op) {
        case RasterOp::Copy:
            std::copy(from, from + width, to);
            break;
        case RasterOp::And:
            for (int i = 0; i < width; ++i) to[i] &= from[i];
            break;
        case RasterOp::Paint:
            for (int i = 0; i < width; ++i) to[i] |= from[i];
            break;
        }
    }
}

void Surface::BlitTransparent(int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
                              Colour key)
{
    if (!ClipTransfer(x, y, width, height, srcX, srcY, width_, height_, src.width_, src.height_)) return;
    for (int row = 0; row < height; ++row) {
        const Colour* from = src.Row(srcY + row) + srcX;
        Colour* to = Row(y + row) + x;
        for (int i = 0; i < width; ++i) {
            if (from[i] != key) to[i] = from[i];
        }
    }
}

void Surface::StretchBlit(int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
                          int srcWidth, int srcHeight)
{
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0 || src.IsEmpty()) return;
    for (int row = std::max(0, -y); row < height && y + row < height_; ++row) {
        int sy = srcY + static_cast<int>(static_cast<long long>(row) * srcHeight / height);
        if (sy < 0 || sy >= src.height_) continue;
        const Colour* from = src.Row(sy);
        Colour* to = Row(y + row);
        for (int col = std::max(0, -x); col < width && x + col < width_; ++col) {
            int sx = srcX + static_cast<int>(static_cast<long long>(col) * srcWidth / width);
            if (sx >= 0 && sx < src.width_) to[x + col] = from[sx];
        }
    }
}

Pen Surface::SelectPen(const Pen& pen)
{
    Pen previous = pen_;
    pen_ = pen;
    return previous;
}

void Surface::MoveTo(int x, int y)
{
    position_ = {x, y};
    dashPhase_ = 0;
}

void Surface::LineTo(int x, int y)
{
    DrawLine(position_.x, position_.y, x, y, false);
    position_ = {x, y};
}

void Surface::PlotPen(int x, int y)
{
    if (pen_.width <= 1) {
        bool dashed = pen_.style == PenStyle::Dash;
        bool on = !dashed || dashPhase_ % kDashPeriod < kDashOn;
        ++dashPhase_;
        if (on) SetPixel(x, y, pen_.colour);
        return;
    }
    // Wide pens are solid squares centred on the path.
    int low = -(pen_.width / 2);
    FillRect(x + low, y + low, pen_.width, pen_.width, pen_.colour);
}

void Surface::DrawLine(int x0, int y0, int x1, int y1, bool includeEnd)
{
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    while (x0 != x1 || y0 != y1) {
        PlotPen(x0, y0);
        int twice = 2 * error;
        if (twice >= dy) { error += dy; x0 += sx; }
        if (twice <= dx) { error += dx; y0 += sy; }
    }
    if (includeEnd) PlotPen(x1, y1);
}

void Surface::PolyBezier(const Point* points, int count)
{
    if (count < 4) return;
    for (int start = 0; start + 3 < count; start += 3) {
        const Point& p0 = points[start];
        const Point& p1 = points[start + 1];
        const Point& p2 = points[start + 2];
        const Point& p3 = points[start + 3];
        // Enough steps that no chord is longer than about two pixels.
        double hull = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
                      std::hypot(p3.x - p2.x, p3.y - p2.y);
        int steps = std::clamp(static_cast<int>(std::ceil(hull / 2.0)), 1, 4096);
        Point from = p0;
        for (int i = 1; i <= steps; ++i) {
            double t = static_cast<double>(i) / steps, u = 1.0 - t;
            double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            Point to{static_cast<int>(std::lround(a * p0.x + b * p1.x + c * p2.x + d * p3.x)),
                     static_cast<int>(std::lround(a * p0.y + b * p1.y + c * p2.y + d * p3.y))};
            if (i == steps) to = p3;
            DrawLine(from.x, from.y, to.x, to.y, false);
            from = to;
        }
    }
    const Point& end = points[3 * ((count - 1) / 3)];
    PlotPen(end.x, end.y);
}
