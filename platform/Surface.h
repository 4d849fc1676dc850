// SPDX-License-Identifier: GPL-3.0-or-later
// A drawing surface: 32-bit pixels in memory, each holding a colour value with
// red in the low byte, then green, then blue (the top byte is always 0).
// Everything the game draws goes into surfaces in software; the window only
// receives the finished back buffer once per frame.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

using Colour = std::uint32_t;

// Rows of pixels that a new element leaves as they come (a vector grown by
// resize is not cleared first): a decoder writing every pixel of a photo of
// tens of megabytes need not have it cleared beforehand.
template <typename T>
struct LeftAsTheyCome : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = LeftAsTheyCome<U>;
    };
    LeftAsTheyCome() = default;
    template <typename U>
    LeftAsTheyCome(const LeftAsTheyCome<U>&) noexcept
    {
    }
    template <typename U>
    void construct(U* at) noexcept
    {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};
using PixelRows = std::vector<Colour, LeftAsTheyCome<Colour>>;

constexpr Colour MakeColour(int red, int green, int blue)
{
    return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
// What GetPixel answers for a point outside the surface; no real colour has a top byte.
constexpr Colour kInvalidColour = 0xFFFFFFFF;

// How a block transfer combines source and destination pixels.
enum class RasterOp {
    Copy,   // destination = source
    And,    // destination = destination AND source
    Paint,  // destination = destination OR source
};

enum class PenStyle { Solid, Dash };

// A pen wider than one pixel always draws solid, whatever its style.
struct Pen {
    Colour colour = kBlack;
    int width = 1;
    PenStyle style = PenStyle::Solid;
};

struct Point {
    int x = 0;
    int y = 0;
};

// A rectangle of pixels: left and top inside, right and bottom just outside.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Drawing scale: a surface may hold `scale` x `scale` pixels for every unit
// the game places things in (its 800 x 600 space), so that a large screen
// gets its own pixels' worth of detail. Pixel access (Width, Height, Row,
// Pixels, GetPixel, SetPixel) is always in the surface's own pixels; the
// drawing operations (FillRect, the block transfers, lines, curves) take
// units and draw every unit as scale x scale pixels. At scale 1 the two are
// the same.
class Surface {
public:
    static constexpr int kMaxScale = 4;

    Surface() = default;
    // A new surface is black. Negative sizes give an empty surface.
    Surface(int width, int height);
    // A black surface of width x height units at the scale (held to
    // 1..kMaxScale): scale times as many pixels across and down.
    static Surface Scaled(int width, int height, int scale);
    // A surface whose pixels are left as memory gives them, for a maker
    // that writes every one before anything reads them.
    static Surface Unfilled(int width, int height);
    // The same pixels read as `scale` pixels a unit, with no copy of them;
    // false, and nothing changed, when the size is not whole units of it.
    bool TakeScale(int scale);

    bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }
    // A number that every change of the pixels renews: two surfaces with the
    // same one hold the same pixels (one is a copy of the other, unchanged).
    std::uint64_t Version() const { return version_; }
    // In pixels.
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Pixels per unit across and down, and the size in units.
    int Scale() const { return scale_; }
    int UnitWidth() const { return width_ / scale_; }
    int UnitHeight() const { return height_ / scale_; }
    // Writable pixels. A pointer taken here must not be written through after
    // the surface has since been the source of a transparent or OR copy: the
    // opaque runs recorded for those copies would not see the change. Nor
    // may any pointer into the pixels, read-only ones too, be used after such
    // a copy: the record may then hold the pixels in place of the surface
    // (see BlitTransparent), which gets them back when they are next asked for.
    Colour* Pixels()
    {
        Changed();
        return pixels_.data();
    }
    const Colour* Pixels() const
    {
        Unpacked();
        return pixels_.data();
    }
    Colour* Row(int y)
    {
        Changed();
        return RowOf(y);
    }
    const Colour* Row(int y) const
    {
        Unpacked();
        return pixels_.data() + static_cast<std::size_t>(y) * width_;
    }

    // One pixel, in pixels (not units). Outside the surface GetPixel answers
    // kInvalidColour and SetPixel does nothing.
    Colour GetPixel(int x, int y) const;
    void SetPixel(int x, int y, Colour colour);

    void Fill(Colour colour);
    void FillRect(int x, int y, int width, int height, Colour colour);

    // Drawing kept inside a rectangle of units: every drawing operation
    // (fills, block transfers, lines, curves, SetPixel) leaves the pixels
    // outside it as they were, and draws the pixels inside exactly as it
    // would without it. Pixel access (Row, Pixels, GetPixel) is not limited;
    // code that writes rows itself keeps to ClipRect. Frames that change
    // only a part of the screen redraw that part this way.
    void SetClip(int x, int y, int width, int height);
    void ResetClip() { clip_ = PixelRect{0, 0, width_, height_}; }
    bool HasClip() const { return clip_.left != 0 || clip_.top != 0 || clip_.right != width_ || clip_.bottom != height_; }
    // In pixels: where drawing may change the surface (the whole surface
    // without a clip; empty when the clip lies off it).
    const PixelRect& ClipRect() const { return clip_; }

    // Block transfers of a width x height rectangle of src at (srcX, srcY) to
    // (x, y) here, clipped to both surfaces; all in units, each surface's own.
    // From a source of another scale each pixel takes the source pixel under
    // its centre. A surface may be copied onto
    // itself: the pixels are read as they were before the copy.
    void Blit(int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
              RasterOp op = RasterOp::Copy);
    // Like Blit with Copy, but source pixels of exactly the key colour are left out.
    // A source copied this way (or with Paint) twice without a change in
    // between keeps a record of its runs of other pixels, row by row, with
    // those pixels packed one run after the other, so that from then on its
    // copies are plain copies of those runs read straight through, with no
    // test per pixel and none of the key pixels' memory touched (a piece on
    // the board is about half see-through). The record then holds the
    // pixels in place of the surface, which keeps only the record: the first
    // read of its pixels (Row, Pixels, GetPixel, a copy of another kind) lays
    // them out again, and keeps the record beside them; any change to the
    // surface drops the record.
    void BlitTransparent(int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
                         Colour key = kBlack);
    // The whole of src with its top-left pixel at pixel (x, y) of this
    // surface, black (or the key) left out as by BlitTransparent: placed to
    // the pixel rather than the unit, so that copies made for a place
    // between units land there. A source of another scale is drawn at the
    // unit holding that pixel instead.
    void BlitTransparentAtPixel(long long x, long long y, const Surface& src, Colour key = kBlack);

    // Packing: the record of runs that two transparent copies would make
    // (see BlitTransparent), made now, the rows let go at once. A surface
    // cut once and drawn for a long time holds only its opaque pixels from
    // the start. Changes no pixel and no Version.
    void Pack() const;
    bool IsPacked() const { return packed_; }
    // Bytes the pixels take: the rows, and the record of runs when there is one.
    std::size_t MemoryBytes() const;
    // A row's runs of pixels other than black, left to right, as
    // visit(begin, end, pixels) with pixels[0] the colour at begin. A packed
    // surface is read from its record, with no row laid out again.
    struct PackedRun {
        int begin;             // first pixel of the run in its row
        int end;               // just past its last pixel
        std::uint32_t first;   // where its first pixel lies in the record's packed pixels
    };
    template <class Visit>
    void ForEachOpaqueRun(int y, Visit visit) const
    {
        if (y < 0 || y >= height_) return;
        const PackedRun* run = nullptr;
        const PackedRun* last = nullptr;
        const Colour* packed = nullptr;
        if (RecordedRow(y, run, last, packed)) {
            for (; run != last; ++run) visit(run->begin, run->end, packed + run->first);
            return;
        }
        const Colour* row = Row(y);
        int x = 0;
        while (x < width_) {
            while (x < width_ && row[x] == kBlack) ++x;
            if (x == width_) break;
            const int begin = x;
            while (x < width_ && row[x] != kBlack) ++x;
            visit(begin, x, row + begin);
        }
    }

    // Nearest-neighbour stretch of a source rectangle onto a destination
    // rectangle (units of each surface): each destination pixel takes the
    // source pixel under its centre.
    void StretchBlit(int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
                     int srcWidth, int srcHeight);

    // Pen drawing, in units: at a larger scale a pen is scale times as wide
    // (a one-unit pen covers each unit's pixels, dashes are scale times as
    // long), and curves follow the finer pixels. The current position and
    // pen belong to the surface.
    Pen SelectPen(const Pen& pen);  // answers the pen that was selected before
    const Pen& CurrentPen() const { return pen_; }
    void MoveTo(int x, int y);
    Point CurrentPosition() const { return position_; }
    // A line from the current position to (x, y), which becomes the current
    // position. The end pixel is left to the next segment. A dashed pen's
    // pattern (18 pixels drawn, 6 left) runs on from segment to segment and
    // starts afresh at MoveTo. Any coordinates work: only the part of the
    // line on the surface costs time.
    void LineTo(int x, int y);
    // Test hook: every transparent and OR copy tests each pixel, as the plain
    // rule says, and no runs are recorded; for comparing the two ways. Other
    // drawing with a faster way of its own asks PlainCopies.
    static void UsePlainCopies(bool plain);
    static bool PlainCopies();
    // Off: recorded runs are copied by the C library even where the processor
    // has wider moves of its own; for comparing the two.
    static void UseVectorRuns(bool use);

    // Cubic Bézier curves through count points (1 + 3n): from points[0], each
    // further three points are two control points and an end point. The curve
    // is flattened into lines and its final end pixel is drawn too, so that
    // curves sharing end points close an outline that no fill can leak through.
    // The current position is not changed.
    void PolyBezier(const Point* points, int count);

private:
    struct OpaqueRuns;
    enum class Combine { Copy, And, Paint, Keyed };

    // The operations in pixels, the units already scaled.
    void FillPixelRect(long long x, long long y, long long width, long long height, Colour colour);
    void BlitPixels(long long x, long long y, long long width, long long height, const Surface& src, long long srcX,
                    long long srcY, RasterOp op);
    void BlitTransparentPixels(long long x, long long y, long long width, long long height, const Surface& src,
                               long long srcX, long long srcY, Colour key);
    // Each pixel of the destination rectangle takes the source pixel under
    // its centre, combined as asked.
    void Resample(long long x, long long y, long long width, long long height, const Surface& src, long long srcX,
                  long long srcY, long long srcWidth, long long srcHeight, Combine combine, Colour key);
    // Resample for k x k pixels here per source pixel, the source rectangle
    // srcWidth x srcHeight at (srcX, srcY) landing at (x, y).
    void EnlargeWhole(long long x, long long y, long long k, long long srcWidth, long long srcHeight,
                      const Surface& src, long long srcX, long long srcY, bool keyed, Colour key);
    void PolyBezierPixels(const Point* points, int count);
    // The pen in pixels: its width, and where its square starts from the path.
    long long PenSize() const { return pen_.width <= 1 ? scale_ : static_cast<long long>(pen_.width) * scale_; }
    long long PenLow() const { return pen_.width <= 1 ? 0 : -static_cast<long long>(pen_.width / 2) * scale_; }

    Colour* RowOf(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    void Changed()
    {
        Unpacked();
        runs_.reset();
        unchangedCopies_ = 0;
        version_ = lastVersion.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    // The runs of pixels other than key, once this surface was copied from
    // unchanged often enough to be worth recording them; nullptr before.
    const OpaqueRuns* RunsFor(Colour key) const;
    // Row y's runs in [first, last) of the record and its packed pixels,
    // when a record with black as the key is kept.
    bool RecordedRow(int y, const PackedRun*& first, const PackedRun*& last, const Colour*& packed) const;
    // The pixels laid out in rows again from the record that held them alone.
    void Unpacked() const
    {
        if (packed_) Unpack();
    }
    void Unpack() const;

    // Plots the pen at one point of a path, `phase` pixels along it.
    void PlotPen(long long x, long long y, long long phase);
    // A line of the current pen, clipped to the surface; pixel i of the line
    // lies dashPhase_ + i pixels along the path, and dashPhase_ moves on.
    void DrawLine(int x0, int y0, int x1, int y1, bool includeEnd);
    void WalkLine(long long major0, long long minor0, long long majorStep, long long minorStep, bool xMajor,
                  long long n, long long shorter, long long first, long long last, long long offset,
                  long long remainder, long long startPhase);

    // Surfaces are made on several threads while a large puzzle is cut.
    static inline std::atomic<std::uint64_t> lastVersion{0};
    std::uint64_t version_ = ++lastVersion;
    int width_ = 0;
    int height_ = 0;
    int scale_ = 1;
    PixelRect clip_;  // in pixels, within the surface
    // Empty while packed_: the record (runs_) then holds the pixels.
    mutable PixelRows pixels_;
    mutable bool packed_ = false;
    Pen pen_;
    Point position_;
    long long dashPhase_ = 0;
    bool unitSteps_ = false;  // the line being drawn steps in units, not pixels  // pixels into the dash pattern along the current path
    mutable std::shared_ptr<const OpaqueRuns> runs_;  // shared by copies: never changed once made
    mutable int unchangedCopies_ = 0;                 // keyed copies made from it since its last change
};
