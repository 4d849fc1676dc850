// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces as the table's view draws them at a zoom other than 1 (or cut
// at another scale than the drawing's): copies of each piece's image and
// mask at the zoom, in pixels of the drawing scale, made the first time the
// piece is drawn at that zoom, or ahead of it while the table rests
// (CGame::MakeCopiesAhead). A piece keeps copies of three steps: the one
// shown, the one before it (the wheel going back finds it made) and the
// next one the wheel's way; a fourth takes the place of the one farthest
// from it. Clear lets the copies go (a new view of the whole table, a new
// puzzle).
//
// Reduced copies come from a pyramid of halvings of the piece, each pixel
// of a halving the average of the piece's pixels in its 2 x 2 square: a
// copy is made from the finest halving no finer than twice the copy, so a
// step of the wheel over a thousand pieces reads a few pixels of each
// instead of all of them. The halvings are made once per piece, by Prepare
// right after the piece is cut or, failing that, when first needed, and are
// kept while the piece's image is unchanged.
//
// The rule of a copy, from whichever source: a pixel of the copy is inside
// the piece when any source pixel it overlaps is (the mask rounded outward,
// a halving's pixel being inside when any of its four is); its colour is
// the average of the opaque source pixels it overlaps, and when enlarged
// the source pixel under its centre where that one is opaque. Copies are
// placed to the screen pixel, not the unit (see CGameTable.cpp): with the
// outward mask, two joined pieces, whose edges lie at the same point of the
// screen, each reach at least the pixel in which that point lies, so no
// pixel of the board shows between them at any zoom or position.
//
// How: a reduced copy of at most 16 source pixels a side to a pixel (every
// halving, every copy made from one) takes its sums as differences of sums
// from the source's top-left corner, each source row summed once from its
// left edge and read at the copy's column edges; other copies add each
// source pixel to the copy pixels it overlaps. Both give the same pixels.
//
// Threads: Prepare, PrepareAll, MakeCopies and At change what is kept, and
// are called from one thread at a time (the game's, after pieces cut side by
// side are done); the workers of PrepareAll and MakeCopies each make the
// halvings or copies of pieces of their own, and the buffers a copy is made
// in are each thread's own.
//
// Memory: Prepare packs the piece's image (Surface::Pack) so that it holds
// only its inside, and copies and halvings are read and kept packed. The
// copies and halvings together stay within a budget of bytes: past it, the
// least recently drawn copies go first, then halvings (a close-up panned across the whole table
// does not keep a copy of every piece); what goes is made again when next
// needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "puzzle/CPiece.h"

class ZoomedPieces {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t{64} << 20;

    // Right after piece `index` is cut (or cut again): its image packed and
    // its halvings made. Right for a piece of any puzzle, small ones too.
    void Prepare(int index, const CPiece& piece);
    // The same for every piece of a puzzle, their halvings made side by side
    // on every core (a thousand pieces' take a quarter of a second on one).
    void PrepareAll(const std::vector<CPiece>& pieces);
    // The piece (number `index`) at the zoom of the view's step, in pixels
    // of the drawing scale: its image, mask, width and height (the copy's
    // size in whole units) as drawn with its top-left at the pixel of the
    // piece's own. Valid until the next call.
    const CPiece& At(int index, const CPiece& piece, int step, float zoom, int scale);
    // The copies At would make for pieces `indices` (each once) of `pieces`,
    // made before a frame asks for them, side by side on every core when
    // there are many.
    void MakeCopies(const std::vector<int>& indices, const std::vector<CPiece>& pieces, int step, float zoom,
                    int scale);
    // The copies go; the halvings stay while their pieces are unchanged.
    void Clear();
    // A puzzle starts: what was made for pieces since cut again, or gone, goes.
    void KeepFor(const std::vector<CPiece>& pieces);
    // The copy made from the piece itself, no halving involved: `out` gets
    // the image, the mask and the size.
    static void Make(const CPiece& piece, float zoom, int scale, CPiece& out);

    // Bytes held in copies and halvings, and the most they may take.
    std::size_t HeldBytes() const { return held; }
    std::size_t Budget() const { return budget; }
    void SetBudget(std::size_t bytes);
    // How many halvings piece `index` has made (for tests).
    int LevelsMade(int index) const;
    // How many copies have been made in all (for tests).
    std::uint64_t CopiesMade() const { return copiesMade; }

private:
    // One halving (level L is 2^L times smaller than the piece) or one copy.
    struct Level {
        Surface image;
        PieceMask mask;
        std::size_t bytes = 0;
        std::uint64_t lastUse = 0;
    };
    struct Copy {
        int step = -1;
        int scale = 0;
        std::size_t bytes = 0;
        std::uint64_t lastUse = 0;
        CPiece piece;
    };
    struct Entry {
        std::uint64_t source = 0;  // the piece's image version all of it was made from
        std::vector<Level> levels;  // levels[L - 1] is level L; an empty image: not made
        Copy copies[3];
    };

    // Where a copy is made from, and at how many of its pixels a source pixel.
    struct CopySource {
        const Surface* image;
        const PieceMask* mask;
        double g;
    };
    static constexpr int kCopiesForWorkers = 16;

    Entry& EntryFor(int index, const CPiece& piece);
    static Copy* CopyAt(Entry& entry, int step, int scale);
    Copy& PlaceFor(Entry& entry, int step);
    CopySource SourceFor(Entry& entry, const CPiece& piece, float zoom, int scale);
    void Keep(Copy& copy, int step, int scale, int runs);
    const Level& EnsureLevel(Entry& entry, const CPiece& piece, int level);
    static void MakeLevels(Entry& entry, const CPiece& piece);
    void Account(Entry& entry);
    void DropEntry(Entry& entry);
    void DropCopy(Copy& copy);
    void DropLevel(Level& level);
    // Past the budget, the least recently used go (never `keep`) until an
    // eighth of it is free again.
    void KeepToBudget(const void* keep);

    std::vector<Entry> entries;
    std::size_t held = 0;
    std::size_t budget = kDefaultBudget;
    std::uint64_t uses = 0;
    std::uint64_t copiesMade = 0;
};
