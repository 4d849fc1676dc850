// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/ZoomedPieces.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Halvings past this many would be smaller than a pixel for any piece.
constexpr int kMostLevels = 12;
// Prepare makes the halvings down to this many pixels on the longer side.
constexpr int kSmallestPrepared = 8;

// A run of inside pixels in a row: [first, end).
struct Span {
    int first;
    int end;
};

// Sums of the opaque pixels that fall on each pixel of a row being made.
class Sums {
public:
    explicit Sums(int width) : red(Size(width)), green(Size(width)), blue(Size(width)), count(Size(width)) {}
    void Clear()
    {
        std::fill(red.begin(), red.end(), 0u);
        std::fill(green.begin(), green.end(), 0u);
        std::fill(blue.begin(), blue.end(), 0u);
        std::fill(count.begin(), count.end(), 0u);
    }
    void Add(int x, Colour colour)
    {
        red[x] += static_cast<unsigned>(RedOf(colour));
        green[x] += static_cast<unsigned>(GreenOf(colour));
        blue[x] += static_cast<unsigned>(BlueOf(colour));
        ++count[x];
    }
    bool Any(int x) const { return count[x] > 0; }
    // The rounded average; never black, which would show the board through
    // a pixel made of the piece's own colours.
    Colour Average(int x) const
    {
        const unsigned n = count[x], half = n / 2;
        const Colour colour = MakeColour(static_cast<int>((red[x] + half) / n), static_cast<int>((green[x] + half) / n),
                                         static_cast<int>((blue[x] + half) / n));
        return colour == kBlack ? MakeColour(1, 1, 1) : colour;
    }

private:
    static std::size_t Size(int width) { return static_cast<std::size_t>(std::max(width, 0)); }
    std::vector<unsigned> red, green, blue, count;
};

// Row y of a piece being made: the spans (in any order) merged into the
// mask's runs, and inside them the averages of the sums. Answers the runs added.
int WriteRow(Surface& image, PieceMask& mask, int y, std::vector<Span>& spans, const Sums& sums)
{
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
    int runs = 0;
    Colour* row = nullptr;
    for (std::size_t i = 0; i < spans.size();) {
        const int first = spans[i].first;
        int end = spans[i].end;
        for (++i; i < spans.size() && spans[i].first <= end; ++i) end = std::max(end, spans[i].end);
        if (first >= end) continue;
        mask.AddRun(y, first, end);
        ++runs;
        if (!row) row = image.Row(y);
        for (int x = first; x < end; ++x)
            if (sums.Any(x)) row[x] = sums.Average(x);
    }
    return runs;
}

// What a mask of that many rows and runs takes.
std::size_t MaskBytes(int height, int runs)
{
    return static_cast<std::size_t>(std::max(height, 0)) * sizeof(std::uint32_t) +
           static_cast<std::size_t>(runs) * 2 * sizeof(std::int32_t);
}

// Half the size, each pixel from the 2 x 2 square of the source's: the
// average of its opaque pixels, inside when any of the four is.
int Halve(const Surface& image, const PieceMask& mask, Surface& outImage, PieceMask& outMask)
{
    const int width = (image.Width() + 1) / 2, height = (image.Height() + 1) / 2;
    outImage = Surface(width, height);
    outMask = PieceMask(width, height);
    Sums sums(width);
    std::vector<Span> spans;
    int runs = 0;
    for (int y = 0; y < height; ++y) {
        sums.Clear();
        spans.clear();
        for (int sy = 2 * y; sy < std::min(2 * y + 2, image.Height()); ++sy) {
            image.ForEachOpaqueRun(sy, [&](int begin, int end, const Colour* pixels) {
                for (int x = begin; x < end; ++x) sums.Add(x >> 1, pixels[x - begin]);
            });
            mask.ForEachRun(sy, [&](int begin, int end) { spans.push_back({begin >> 1, (end + 1) >> 1}); });
        }
        runs += WriteRow(outImage, outMask, y, spans, sums);
    }
    outImage.Pack();
    return runs;
}

// For each source pixel along one axis, the pixels of the copy it overlaps,
// [first, end), at g copy pixels a source pixel.
struct Overlaps {
    std::vector<int> first;
    std::vector<int> end;
    Overlaps(int count, double g, int copyCount)
        : first(static_cast<std::size_t>(count)), end(static_cast<std::size_t>(count))
    {
        for (int c = 0; c < count; ++c) {
            const int from = std::clamp(static_cast<int>(std::floor(c * g)), 0, copyCount);
            first[static_cast<std::size_t>(c)] = from;
            end[static_cast<std::size_t>(c)] = std::clamp(static_cast<int>(std::ceil((c + 1) * g)), from, copyCount);
        }
    }
};

// The source pixel under the centre of each copy pixel, at g > 1.
std::vector<int> Centres(int copyCount, double g, int count)
{
    std::vector<int> centres(static_cast<std::size_t>(copyCount));
    for (int i = 0; i < copyCount; ++i)
        centres[static_cast<std::size_t>(i)] = std::min(count - 1, static_cast<int>(std::floor((i + 0.5) / g)));
    return centres;
}

// An enlarged copy's row shows, where the source pixel under a pixel's
// centre is inside, that pixel exactly.
void TakeCentres(const Surface& source, const PieceMask& mask, int sy, const std::vector<int>& centres, Colour* row)
{
    const int width = static_cast<int>(centres.size());
    auto under = [&](int begin, int end, auto paint) {
        int x = static_cast<int>(std::lower_bound(centres.begin(), centres.end(), begin) - centres.begin());
        for (; x < width && centres[static_cast<std::size_t>(x)] < end; ++x) paint(x, centres[static_cast<std::size_t>(x)]);
    };
    mask.ForEachRun(sy, [&](int begin, int end) { under(begin, end, [&](int x, int) { row[x] = kBlack; }); });
    source.ForEachOpaqueRun(sy, [&](int begin, int end, const Colour* pixels) {
        under(begin, end, [&](int x, int c) { row[x] = pixels[c - begin]; });
    });
}

// The copy of a source (the piece or a halving of it) at g copy pixels a
// source pixel, in pixels of the scale: see the header for the rule.
// Answers the mask's runs.
int CopyOf(const Surface& source, const PieceMask& mask, double g, int scale, CPiece& out)
{
    const int units = std::max(1, static_cast<int>(std::ceil(std::ceil(source.Width() * g) / scale)));
    const int unitsDown = std::max(1, static_cast<int>(std::ceil(std::ceil(source.Height() * g) / scale)));
    const int width = units * scale, height = unitsDown * scale;
    out.image = Surface::Scaled(units, unitsDown, scale);
    out.mask = PieceMask(width, height, scale);
    out.width = static_cast<float>(units);
    out.height = static_cast<float>(unitsDown);
    const Overlaps columns(source.Width(), g, width), rows(source.Height(), g, height);
    const bool enlarged = g > 1.0;
    const std::vector<int> centres = enlarged ? Centres(width, g, source.Width()) : std::vector<int>();
    Sums sums(width);
    std::vector<Span> spans;
    int runs = 0;
    int lowest = 0;  // the first source row that reaches the copy's row or below
    for (int y = 0; y < height; ++y) {
        while (lowest < source.Height() && rows.end[static_cast<std::size_t>(lowest)] <= y) ++lowest;
        sums.Clear();
        spans.clear();
        for (int sy = lowest; sy < source.Height() && rows.first[static_cast<std::size_t>(sy)] <= y; ++sy) {
            source.ForEachOpaqueRun(sy, [&](int begin, int end, const Colour* pixels) {
                for (int x = begin; x < end; ++x) {
                    const Colour colour = pixels[x - begin];
                    const std::size_t c = static_cast<std::size_t>(x);
                    for (int to = columns.first[c]; to < columns.end[c]; ++to) sums.Add(to, colour);
                }
            });
            mask.ForEachRun(sy, [&](int begin, int end) {
                begin = std::max(begin, 0);
                end = std::min(end, source.Width());
                if (begin < end)
                    spans.push_back({columns.first[static_cast<std::size_t>(begin)],
                                     columns.end[static_cast<std::size_t>(end - 1)]});
            });
        }
        const int added = WriteRow(out.image, out.mask, y, spans, sums);
        runs += added;
        if (enlarged && added > 0) {
            const int sy = std::min(source.Height() - 1, static_cast<int>(std::floor((y + 0.5) / g)));
            TakeCentres(source, mask, sy, centres, out.image.Row(y));
        }
    }
    out.image.Pack();
    return runs;
}

// The halving to make a copy of f copy pixels a piece's pixel from: the
// smallest whose pixels are no larger than the copy's.
int LevelFor(double f)
{
    int level = 0;
    while (level < kMostLevels && f * std::ldexp(1.0, level + 1) <= 1.0) ++level;
    return level;
}

double FactorOf(const CPiece& piece, float zoom, int scale)
{
    return static_cast<double>(zoom) * scale / piece.image.Scale();
}

}  // namespace

void ZoomedPieces::Make(const CPiece& piece, float zoom, int scale, CPiece& out)
{
    scale = std::clamp(scale, 1, Surface::kMaxScale);
    if (piece.image.IsEmpty()) {
        out = CPiece{};
        return;
    }
    CopyOf(piece.image, piece.mask, FactorOf(piece, zoom, scale), scale, out);
}

ZoomedPieces::Entry& ZoomedPieces::EntryFor(int index, const CPiece& piece)
{
    if (index >= static_cast<int>(entries.size())) entries.resize(static_cast<std::size_t>(index) + 1);
    Entry& entry = entries[static_cast<std::size_t>(index)];
    if (entry.source != piece.image.Version()) {
        DropEntry(entry);
        entry.source = piece.image.Version();
    }
    return entry;
}

const ZoomedPieces::Level& ZoomedPieces::EnsureLevel(Entry& entry, const CPiece& piece, int level)
{
    if (static_cast<int>(entry.levels.size()) < level) entry.levels.resize(static_cast<std::size_t>(level));
    if (Level& made = entry.levels[static_cast<std::size_t>(level) - 1]; !made.image.IsEmpty()) {
        made.lastUse = ++uses;
        return made;
    }
    Surface image;
    PieceMask mask;
    int runs = 0;
    if (level == 1) {
        runs = Halve(piece.image, piece.mask, image, mask);
    } else {
        const Level& finer = EnsureLevel(entry, piece, level - 1);
        runs = Halve(finer.image, finer.mask, image, mask);
    }
    // The finer levels made on the way changed no size: the slot is where it was.
    Level& made = entry.levels[static_cast<std::size_t>(level) - 1];
    made.bytes = image.MemoryBytes() + MaskBytes(mask.Height(), runs);
    made.image = std::move(image);
    made.mask = std::move(mask);
    made.lastUse = ++uses;
    held += made.bytes;
    return made;
}

void ZoomedPieces::Prepare(int index, const CPiece& piece)
{
    if (index < 0 || piece.image.IsEmpty()) return;
    piece.image.Pack();
    Entry& entry = EntryFor(index, piece);
    int width = piece.image.Width(), height = piece.image.Height();
    for (int level = 1; level <= kMostLevels && std::max(width, height) > kSmallestPrepared; ++level) {
        EnsureLevel(entry, piece, level);
        width = (width + 1) / 2;
        height = (height + 1) / 2;
    }
    KeepToBudget(nullptr);
}

const CPiece& ZoomedPieces::At(int index, const CPiece& piece, int step, float zoom, int scale)
{
    scale = std::clamp(scale, 1, Surface::kMaxScale);
    Entry& entry = EntryFor(std::max(index, 0), piece);
    for (Copy& copy : entry.copies) {
        if (copy.step == step && copy.scale == scale) {
            copy.lastUse = ++uses;
            return copy.piece;
        }
    }
    // An empty place, else the copy of the step farther from this one, gives way.
    Copy* place = &entry.copies[0];
    if (entry.copies[0].step >= 0 &&
        (entry.copies[1].step < 0 || std::abs(entry.copies[1].step - step) > std::abs(entry.copies[0].step - step)))
        place = &entry.copies[1];
    Copy& copy = *place;
    DropCopy(copy);
    int runs = 0;
    if (piece.image.IsEmpty()) {
        copy.piece = CPiece{};
    } else {
        const double f = FactorOf(piece, zoom, scale);
        const int level = LevelFor(f);
        if (level == 0) {
            runs = CopyOf(piece.image, piece.mask, f, scale, copy.piece);
        } else {
            const Level& source = EnsureLevel(entry, piece, level);
            runs = CopyOf(source.image, source.mask, std::ldexp(f, level), scale, copy.piece);
        }
    }
    copy.step = step;
    copy.scale = scale;
    copy.bytes = copy.piece.image.MemoryBytes() + MaskBytes(copy.piece.mask.Height(), runs);
    copy.lastUse = ++uses;
    held += copy.bytes;
    KeepToBudget(&copy);
    return copy.piece;
}

void ZoomedPieces::Clear()
{
    for (Entry& entry : entries)
        for (Copy& copy : entry.copies) DropCopy(copy);
}

void ZoomedPieces::KeepFor(const std::vector<CPiece>& pieces)
{
    while (entries.size() > pieces.size()) {
        DropEntry(entries.back());
        entries.pop_back();
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].source != pieces[i].image.Version()) DropEntry(entries[i]);
    }
}

void ZoomedPieces::SetBudget(std::size_t bytes)
{
    budget = bytes;
    KeepToBudget(nullptr);
}

int ZoomedPieces::LevelsMade(int index) const
{
    if (index < 0 || index >= static_cast<int>(entries.size())) return 0;
    const std::vector<Level>& levels = entries[static_cast<std::size_t>(index)].levels;
    return static_cast<int>(
        std::count_if(levels.begin(), levels.end(), [](const Level& level) { return !level.image.IsEmpty(); }));
}

void ZoomedPieces::DropEntry(Entry& entry)
{
    for (Level& level : entry.levels) DropLevel(level);
    entry.levels.clear();
    for (Copy& copy : entry.copies) DropCopy(copy);
    entry.source = 0;
}

void ZoomedPieces::DropCopy(Copy& copy)
{
    if (copy.step < 0) return;
    held -= copy.bytes;
    copy = Copy{};
}

void ZoomedPieces::DropLevel(Level& level)
{
    if (level.image.IsEmpty()) return;
    held -= level.bytes;
    level = Level{};
}

void ZoomedPieces::KeepToBudget(const void* keep)
{
    if (held <= budget) return;
    struct Held {
        std::uint64_t lastUse;
        Level* level;
        Copy* copy;
    };
    std::vector<Held> all;
    for (Entry& entry : entries) {
        for (Level& level : entry.levels)
            if (!level.image.IsEmpty() && &level != keep) all.push_back({level.lastUse, &level, nullptr});
        for (Copy& copy : entry.copies)
            if (copy.step >= 0 && &copy != keep) all.push_back({copy.lastUse, nullptr, &copy});
    }
    std::sort(all.begin(), all.end(), [](const Held& a, const Held& b) { return a.lastUse < b.lastUse; });
    // Down to seven eighths: the next few copies made do not each start a search.
    const std::size_t target = budget - budget / 8;
    for (const Held& h : all) {
        if (held <= target) break;
        if (h.level) DropLevel(*h.level);
        if (h.copy) DropCopy(*h.copy);
    }
}
