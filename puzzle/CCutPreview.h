// SPDX-License-Identifier: GPL-3.0-or-later
// The picture the player has chosen, the size of the cut and the edge style;
// computes the lattice of the cut (the corners of every cell and the Bézier
// control points of every edge), draws the cut onto a copy of the picture for
// the menu, and builds the pieces one per frame.
//
// Lattice layout for X columns and Y rows: horizontal line r (0..Y) starts at
// index r * (11X + 6) and holds 6X + 1 points, the corner of column c at 6c
// and five control points between two corners. Between line r and r + 1 lie
// five sub-rows of X + 1 points, one on each vertical cut line.
#pragma once

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "platform/Surface.h"
#include "resources/CImage.h"
#include "resources/CMgrImage.h"

class PiecesCutAhead;

class CCutPreview {
public:
    // The 32 points of a cell's outline: eight cubic Bézier segments of four
    // points each, top, right, bottom and left edge, two segments per edge.
    static constexpr int kOutlinePoints = 32;
    // The four edge styles: straight cuts, and knobbed edges whose inner
    // corners stay on the grid or are pushed by 12 or 15 percent of a cell.
    static constexpr float kSmoothNone = -1.0f;
    static constexpr float kSmoothEasy = 0.0f;
    static constexpr float kSmoothMedium = 0.12f;
    static constexpr float kSmoothHard = 0.15f;

    // Choosing a picture: loads it at 224 (small) and twice at 448 (work and
    // clean) on its longer side, names it to the game, loads the preview frame.
    // The file is read once and decoded once for all three copies. A file
    // that is no usable picture (not found, no picture, too large, too narrow
    // to cut) leaves everything as it was and answers false, with a sentence
    // for the player in `message`; without `message` that is a critical error.
    void ChoosePicture(int index);
    bool ChoosePictureFile(const char* fileName, std::string* message = nullptr);
    // The same in two halves, for a picture decoded on a thread of its own:
    // the sizes it is wanted at, and taking its copies once they are made.
    static PictureCopies PictureSizes();
    void TakePicture(PictureCopies& copies, const char* fileName);
    // The default cut of a freshly chosen picture.
    void SetDefaults();
    // The part of SetDefaults that loading a saved game needs: the picture's
    // smallest and largest cuts and the pen of the cut lines.
    void SetCutLimits();
    // The slider's choice: this many pieces along the picture's longer side,
    // and along the shorter as many as keep the pieces nearest square.
    void SetPieces(int count);
    void Refresh();
    // The player's choice of edge style: kept for the next picture (and the
    // next run) rather than going back to the default.
    void SetSmoothType(float value);
    float GetChosenSmoothType() const { return chosenSmooth; }
    // Takes one of the four styles; any other value is ignored.
    void SetChosenSmoothType(float value);
    // Used when a saved game is loaded: the saved cut's lattice, laid out
    // without drawing it (the pieces are cut from the unmarked picture).
    void Restore(float smooth, int columnCount, int rowCount);
    // Lays out the lattice and redraws the cut lines.
    void RebuildLattice();
    void LayOutLattice();
    void Redraw();
    void DrawCell(int column, int row);
    // The picture with its cut lines and the piece count, on the back buffer.
    void Draw();

    // Building, one piece per call of BuildStep. A large cut first waits
    // for its picture, decoded on a thread of its own (BuildStep answers
    // false meanwhile).
    void StartBuild();
    bool BuildStep();
    // The picture the pieces are cut from, made now if it is not there (a
    // saved game being loaded); the 448 copy itself for a cut on the board.
    void PrepareCutPicture();
    const CImage& GetCutPicture() const { return cutPicture.surface.IsEmpty() ? clean : cutPicture; }
    // Lets it go (after the cut: the pieces hold what they need).
    void ReleaseCutPicture();

    void FreePoints();
    void Release();

    // Lattice indices: point k of horizontal line r, and the point of vertical
    // line col in sub-row s between lines r and r + 1.
    int LineIndex(int r, int k) const { return r * (11 * columns + 6) + k; }
    int SubRowIndex(int r, int s, int col) const { return LineIndex(r, 6 * columns + 1) + s * (columns + 1) + col; }
    // The outline of cell (column, row) in picture pixels.
    void GetCellOutline(int column, int row, Point outline[kOutlinePoints]) const;

    // An index outside the lattice answers (0, 0).
    Point GetPoint(int index) const;
    int GetPointCount() const { return pointCount; }
    float GetCellWidth() const { return cellWidth; }
    float GetCellHeight() const { return cellHeight; }
    Surface& GetWorkSurface() { return work.surface; }
    // The copy with the cut lines is only for the menu: play lets it go, and
    // it is made again when the menu shows the cut.
    void ReleaseWork();
    const CImage& GetSmall() const { return small; }
    // The picture window's frame, the shape of the small picture, which it
    // holds PictureFrame::kSide units from its sides (PictureFrame.h).
    const CImage& GetFrame() const { return frame; }
    // Makes that frame from its art (loaded again, at the back buffer's scale).
    void FitFrame();
    const CImage& GetClean() const { return clean; }
    float GetSmoothType() const { return smoothType; }
    // Per cent of the pieces cut, those cut while the picture is still decoded too.
    float GetProgress() const;
    // Whether a large cut's picture is still being decoded (PLAY's first stage).
    bool IsPictureComing() const { return static_cast<bool>(cutPictureTask); }
    int GetColumns() const { return columns; }
    int GetRows() const { return rows; }
    // The slider's range: pieces along the longer side.
    int GetMinPieces() const { return minPieces; }
    int GetMaxPieces() const { return maxPieces; }
    int GetPiecesAlongLongerSide() const { return clean.width >= clean.height ? columns : rows; }
    // The most pieces across and down: no cell under 33 pixels.
    int GetMaxColumns() const { return maxColumns; }
    int GetMaxRows() const { return maxRows; }
    int GetPieceCount() const { return columns * rows; }

    // Cuts of up to this many pieces along the longer side lie on the board
    // as they always have: the picture 448 units long, cut at the drawing
    // scale. Larger cuts lay their lattice on the picture made longer, so
    // that a cell stays as many units as on the board's finest cut, and are
    // cut from the picture's own pixels at up to Surface::kMaxScale pixels a
    // unit (GetCutScale), so that a close-up shows the photo's detail.
    static constexpr int kLargestBoardCut = 13;
    // The picture's units per unit of the 448 copy, for a cut of `along`
    // pieces along the longer side.
    static float CutFactor(int along) { return along > kLargestBoardCut ? along / float(kLargestBoardCut) : 1.0f; }
    bool IsLargeCut() const { return GetPiecesAlongLongerSide() > kLargestBoardCut; }
    // The picture's size in the lattice's units: the 448 copy's, times CutFactor.
    float GetCutWidth() const { return cutWidth; }
    float GetCutHeight() const { return cutHeight; }
    // Pixels a unit of the pieces of a large cut: what the closest zoom asks
    // at the drawing scale, as far as the picture's own pixels and the memory
    // budget go.
    int GetCutScale() const;
    // The picture's own size in pixels.
    int GetSourceWidth() const { return sourceWidth; }
    int GetSourceHeight() const { return sourceHeight; }

    // After the drawing scale changed: the picture's copies made again at
    // the new scale (from the file, filtered; else each pixel taken across),
    // and the cut page's copy redrawn with its cut lines. Answers whether
    // anything changed, so that the pieces are to be cut again.
    bool MatchScale(int scale);

    // Test hook: installs a picture made by the test as work and clean (and a
    // half-size copy as small), as the loaders would, without any file.
    void TestHookSetPicture(const CImage& picture);
    // Test hook: the picture's own size, as if its file held that many pixels.
    void TestHookSetSourceSize(int width, int height)
    {
        sourceWidth = width;
        sourceHeight = height;
    }

private:
    void CopyCleanOntoWork();
    static CImage AtOtherScale(const CImage& image, int scale);
    void LayGrid();
    void DisplaceHorizontalEdges(bool& flip, float& a);
    void DisplaceVerticalEdges(bool& flip);
    void Displace(int index, float dx, float dy);
    bool IsRingCell(int column, int row) const;
    // The cell's outline in the selected pen, moved `shift` pixels down and right.
    void DrawCellOutline(int column, int row, int shift);
    // The line beside each cut line, dark on light pictures.
    static constexpr Colour kShadeColour = MakeColour(24, 24, 24);

    void SetCutSize();
    // The shorter side's most pieces for a cut of `along` along the longer.
    int ShorterLimit(int along) const;
    // Across the shorter side for `count` along the longer: the pieces nearest square.
    int Across(int count) const;
    Point OnWork(Point cutPoint) const;
    // `cutPiecesAhead`: the pieces are cut in the decode's spare time too (PiecesCutAhead.h).
    void StartCutPicture(bool cutPiecesAhead);
    CImage MakeCutPictureFromClean(int scale) const;
    void TakeCutPicture(Surface pixels);
    Surface TakeTask();

    CImage frame;
    CImage cutPicture;  // a large cut's picture, while the pieces are cut
    // Shared by a copy of the preview (a load keeps the one before aside).
    std::shared_ptr<std::future<Surface>> cutPictureTask;
    std::shared_ptr<PiecesCutAhead> cutAhead;
    int cutPictureScale = 1;
    double cutPictureAsked = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    float cutWidth = 0;
    float cutHeight = 0;
    CImage small;
    CImage work;
    CImage clean;
    std::string pictureFile;  // where the copies came from; empty for a test's picture
    int columns = 0;
    int rows = 0;
    float cellWidth = 0;
    float cellHeight = 0;
    int pointCount = 0;
    std::vector<Point> points;
    float progress = 0;
    float progressStep = 0;
    int buildColumn = 0;
    int buildRow = 0;
    bool buildDone = false;
    int minPieces = 4;
    int maxPieces = 0;
    int maxColumns = 0;
    int maxRows = 0;
    float smoothType = kSmoothEasy;
    float chosenSmooth = kSmoothEasy;
};

extern CCutPreview CutPreview;
