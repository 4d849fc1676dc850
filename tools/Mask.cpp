// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/Mask.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/ArtScale.h"

#include "platform/FontFace.h"

namespace {

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Splits UTF-8 text into its characters, each as its own string.
std::vector<std::string> Characters(const char* text)
{
    std::vector<std::string> out;
    for (const char* p = text; *p;) {
        const char* start = p++;
        while (*p && (static_cast<unsigned char>(*p) & 0xC0) == 0x80) ++p;
        out.emplace_back(start, p);
    }
    return out;
}

// Distance from p to the segment a-b.
float SegmentDistance(PointF p, PointF a, PointF b)
{
    float dx = b.x - a.x, dy = b.y - a.y;
    float lengthSquared = dx * dx + dy * dy;
    float t = lengthSquared > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0f, 1.0f) : 0.0f;
    float ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

void AppendBezier(Path& path, PointF from, PointF control1, PointF control2, PointF to, int steps)
{
    for (int i = 1; i <= steps; ++i) {
        float t = static_cast<float>(i) / steps, u = 1 - t;
        float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        path.push_back({a * from.x + b * control1.x + c * control2.x + d * to.x,
                        a * from.y + b * control1.y + c * control2.y + d * to.y});
    }
}

Mask::Mask(int width, int height, float value)
    : width(std::max(width, 0) * ArtScale::Current()), height(std::max(height, 0) * ArtScale::Current()),
      scale(ArtScale::Current()), values(static_cast<std::size_t>(this->width) * this->height, value)
{
}

Mask Mask::OfPixels(int pixelWidth, int pixelHeight, int scale)
{
    Mask mask;
    mask.width = std::max(pixelWidth, 0);
    mask.height = std::max(pixelHeight, 0);
    mask.scale = scale;
    mask.values.assign(static_cast<std::size_t>(mask.width) * mask.height, 0.0f);
    return mask;
}

float Mask::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
    return values[static_cast<std::size_t>(y) * width + x];
}

Mask Mask::RoundedRect(int width, int height, float left, float top, float right, float bottom, float radius)
{
    Mask mask(width, height);
    const float s = static_cast<float>(mask.scale);
    left *= s, top *= s, right *= s, bottom *= s, radius *= s;
    width = mask.width, height = mask.height;
    float cx = (left + right) / 2, cy = (top + bottom) / 2;
    float hx = (right - left) / 2, hy = (bottom - top) / 2;
    radius = std::min({radius, hx, hy});
    int x0 = std::max(0, static_cast<int>(left) - 1), x1 = std::min(width, static_cast<int>(right) + 2);
    int y0 = std::max(0, static_cast<int>(top) - 1), y1 = std::min(height, static_cast<int>(bottom) + 2);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float qx = std::fabs(x + 0.5f - cx) - (hx - radius);
            float qy = std::fabs(y + 0.5f - cy) - (hy - radius);
            float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
            float distance = outside + std::min(std::max(qx, qy), 0.0f) - radius;
            mask.Ref(x, y) = Clamp01(0.5f - distance);
        }
    return mask;
}

Mask Mask::Ellipse(int width, int height, float cx, float cy, float rx, float ry)
{
    Mask mask(width, height);
    const float s = static_cast<float>(mask.scale);
    cx *= s, cy *= s, rx *= s, ry *= s;
    width = mask.width, height = mask.height;
    float scale = std::min(rx, ry);
    for (int y = std::max(0, static_cast<int>(cy - ry) - 1); y < std::min(height, static_cast<int>(cy + ry) + 2); ++y)
        for (int x = std::max(0, static_cast<int>(cx - rx) - 1); x < std::min(width, static_cast<int>(cx + rx) + 2); ++x) {
            float nx = (x + 0.5f - cx) / rx, ny = (y + 0.5f - cy) / ry;
            float distance = (std::sqrt(nx * nx + ny * ny) - 1.0f) * scale;
            mask.Ref(x, y) = Clamp01(0.5f - distance);
        }
    return mask;
}

Mask Mask::Polygons(int width, int height, const std::vector<Path>& outlines)
{
    constexpr int kSubRows = 8;
    Mask mask(width, height);
    width = mask.width, height = mask.height;
    std::vector<Path> scaled = outlines;
    for (Path& outline : scaled)
        for (PointF& p : outline) p = {p.x * mask.scale, p.y * mask.scale};
    struct Crossing {
        float x;
        int winding;
    };
    std::vector<Crossing> crossings;
    std::vector<float> row(static_cast<std::size_t>(width) + 1);
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (int sub = 0; sub < kSubRows; ++sub) {
            float sy = y + (sub + 0.5f) / kSubRows;
            crossings.clear();
            for (const Path& outline : scaled) {
                for (std::size_t i = 0; i < outline.size(); ++i) {
                    PointF a = outline[i], b = outline[(i + 1) % outline.size()];
                    if ((a.y <= sy) == (b.y <= sy)) continue;
                    float t = (sy - a.y) / (b.y - a.y);
                    crossings.push_back({a.x + t * (b.x - a.x), b.y > a.y ? 1 : -1});
                }
            }
            std::sort(crossings.begin(), crossings.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
            int winding = 0;
            for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].winding;
                if (winding == 0) continue;
                // The span from one crossing to the next is inside: add its
                // exact horizontal coverage to the pixels it touches.
                float xa = std::clamp(crossings[i].x, 0.0f, static_cast<float>(width));
                float xb = std::clamp(crossings[i + 1].x, 0.0f, static_cast<float>(width));
                if (xb <= xa) continue;
                int ia = static_cast<int>(xa), ib = static_cast<int>(xb);
                if (ia == ib) {
                    row[ia] += (xb - xa) / kSubRows;
                    continue;
                }
                row[ia] += (ia + 1 - xa) / kSubRows;
                for (int x = ia + 1; x < ib; ++x) row[x] += 1.0f / kSubRows;
                if (ib < width) row[ib] += (xb - ib) / kSubRows;
            }
        }
        for (int x = 0; x < width; ++x) mask.Ref(x, y) = Clamp01(row[x]);
    }
    return mask;
}

Mask Mask::Stroke(int width, int height, const Path& path, float lineWidth, bool closed)
{
    Mask mask(width, height);
    mask.AddStroke(path, lineWidth, closed);
    return mask;
}

void Mask::AddStroke(const Path& unitPath, float lineWidth, bool closed)
{
    if (unitPath.empty()) return;
    Path path = unitPath;
    for (PointF& p : path) p = {p.x * scale, p.y * scale};
    float half = lineWidth * scale / 2;
    std::size_t segments = closed ? path.size() : path.size() - 1;
    if (path.size() == 1) segments = 1;
    for (std::size_t i = 0; i < segments; ++i) {
        PointF a = path[i], b = path[(i + 1) % path.size()];
        int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - half - 1)));
        int x1 = std::min(width, static_cast<int>(std::ceil(std::max(a.x, b.x) + half + 1)));
        int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - half - 1)));
        int y1 = std::min(height, static_cast<int>(std::ceil(std::max(a.y, b.y) + half + 1)));
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                float coverage = Clamp01(half - SegmentDistance({x + 0.5f, y + 0.5f}, a, b) + 0.5f);
                float& value = Ref(x, y);
                value = std::max(value, coverage);
            }
    }
}

int Mask::PixelTextWidth(const FontFace& face, const char* text, int tracking)
{
    int total = 0;
    std::vector<std::string> characters = Characters(text);
    if (tracking == 0) return face.TextWidth(text);
    for (const std::string& c : characters) total += face.TextWidth(c.c_str()) + tracking;
    return characters.empty() ? 0 : total - tracking;
}

int Mask::TextWidth(const FontFace& face, const char* text, int tracking)
{
    const int scale = ArtScale::Current();
    return (PixelTextWidth(face, text, tracking * scale) + scale / 2) / scale;
}

Mask Mask::Text(const FontFace& face, const char* text, int tracking, int room)
{
    const int scale = ArtScale::Current();
    tracking *= scale;
    room *= scale;
    int textWidth = PixelTextWidth(face, text, tracking);
    int cell = face.CellHeight();
    Mask mask = OfPixels(textWidth + 2 * room, cell + 2 * room, scale);
    if (textWidth <= 0 || cell <= 0) return mask;
    // White ink on black: the red channel is the coverage.
    Surface ink(mask.width, mask.height);
    if (tracking == 0) {
        face.Draw(ink, room, room, text, kWhite);
    } else {
        int x = room;
        for (const std::string& c : Characters(text)) {
            face.Draw(ink, x, room, c.c_str(), kWhite);
            x += face.TextWidth(c.c_str()) + tracking;
        }
    }
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) mask.Ref(x, y) = RedOf(ink.GetPixel(x, y)) / 255.0f;
    return mask;
}

Mask Mask::Blurred(int radius) const
{
    if (radius <= 0) return *this;
    radius *= scale;
    Mask out = *this;
    std::vector<float> line;
    // Three box passes each way come close to a Gaussian.
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            line.assign(&out.values[static_cast<std::size_t>(y) * width], &out.values[static_cast<std::size_t>(y) * width] + width);
            float sum = 0;
            for (int x = -radius; x <= radius; ++x) sum += (x >= 0 && x < width) ? line[x] : 0.0f;
            for (int x = 0; x < width; ++x) {
                out.Ref(x, y) = sum / (2 * radius + 1);
                int leaving = x - radius, entering = x + radius + 1;
                if (leaving >= 0) sum -= line[leaving];
                if (entering < width) sum += line[entering];
            }
        }
        for (int x = 0; x < width; ++x) {
            line.resize(height);
            for (int y = 0; y < height; ++y) line[y] = out.At(x, y);
            float sum = 0;
            for (int y = -radius; y <= radius; ++y) sum += (y >= 0 && y < height) ? line[y] : 0.0f;
            for (int y = 0; y < height; ++y) {
                out.Ref(x, y) = sum / (2 * radius + 1);
                int leaving = y - radius, entering = y + radius + 1;
                if (leaving >= 0) sum -= line[leaving];
                if (entering < height) sum += line[entering];
            }
        }
    }
    return out;
}

Mask Mask::Dilated(float radius) const
{
    Mask out = OfPixels(width, height, scale);
    radius *= static_cast<float>(scale);
    int reach = static_cast<int>(std::ceil(radius));
    struct Offset {
        int dx, dy;
        float weight;
    };
    std::vector<Offset> offsets;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            float weight = Clamp01(radius + 0.5f - std::hypot(static_cast<float>(dx), static_cast<float>(dy)));
            if (weight > 0) offsets.push_back({dx, dy, weight});
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float best = 0;
            for (const Offset& o : offsets) best = std::max(best, At(x + o.dx, y + o.dy) * o.weight);
            out.Ref(x, y) = best;
        }
    return out;
}

Mask Mask::Shifted(int dx, int dy) const
{
    Mask out = OfPixels(width, height, scale);
    dx *= scale, dy *= scale;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.Ref(x, y) = At(x - dx, y - dy);
    return out;
}

void Mask::Intersect(const Mask& other)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) Ref(x, y) *= other.At(x, y);
}

void Mask::Subtract(const Mask& other)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) Ref(x, y) *= 1.0f - other.At(x, y);
}

void Mask::Unite(const Mask& other)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) Ref(x, y) = std::max(Ref(x, y), other.At(x, y));
}

void Mask::Scale(float factor)
{
    for (float& v : values) v = Clamp01(v * factor);
}
