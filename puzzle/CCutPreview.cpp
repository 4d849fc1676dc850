// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/CCutPreview.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "puzzle/CGame.h"
#include "puzzle/PictureFrame.h"
#include "puzzle/PiecesCutAhead.h"
#include "puzzle/SavedGameFile.h"
#include "puzzle/TableView.h"
#include "platform/PictureScaler.h"
#include "puzzle/GameOptions.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "core/CLog.h"
#include "core/CTimer.h"

CCutPreview CutPreview;

namespace {

// The picture is loaded at these sizes, by its longer side.
constexpr float kSmallSize = 224.0f;
constexpr float kWorkSize = 448.0f;
// No cell may be narrower than this many pixels.
constexpr int kMinCellPixels = 33;
// The fewest pieces a side is cut into.
constexpr int kMinPieces = 4;
// A large cut leaves no cell under this many of the picture's own pixels
// across (as on the board's finest cut of a 448-pixel picture, so that a
// large cut is never enlarged from fewer pixels than it has units), and
// offers up to about this many pieces.
constexpr int kMinPiecePixels = 34;
constexpr int kMostPieces = SavedGameFile::kMostPieces;
// The most pixels a large cut's picture (and so its pieces' insides) holds:
// 96 MB at four bytes a pixel.
constexpr double kCutPixelBudget = 24e6;
constexpr std::size_t kLargeCutBatch = 8;

int Trunc(float value) { return static_cast<int>(value); }

}  // namespace

void CCutPreview::ChoosePicture(int index)
{
    char name[kMaxPath];
    std::snprintf(name, sizeof name, res::kPictureFormat, index);
    ChoosePictureFile(name);
}

PictureCopies CCutPreview::PictureSizes()
{
    PictureCopies copies;
    copies.smallSize = kSmallSize;
    copies.workSize = kWorkSize;
    // The smallest cut must fit across the shorter side too.
    copies.minSide = static_cast<float>(kMinPieces * kMinCellPixels);
    // At the back buffer's drawing scale: the cut page, the pieces and the
    // picture window then show the picture's own detail on a large screen.
    copies.scale = BackBuffer().Scale();
    return copies;
}

bool CCutPreview::ChoosePictureFile(const char* fileName, std::string* message)
{
    PictureCopies copies = PictureSizes();
    if (!ImageMgr.LoadPicture(fileName, copies, message)) return false;
    TakePicture(copies, fileName);
    return true;
}

void CCutPreview::TakePicture(PictureCopies& copies, const char* fileName)
{
    small = std::move(copies.small);
    work = std::move(copies.work);
    clean = std::move(copies.clean);
    sourceWidth = std::max(copies.sourceWidth, clean.surface.Width());
    sourceHeight = std::max(copies.sourceHeight, clean.surface.Height());
    pictureFile = fileName ? fileName : "";
    Game.SetImageName(fileName);
    FitFrame();
}

// The picture window's frame, cut to the small picture's shape from the art
// at the frame's drawing scale. It is no longer the art itself, so it is
// made again here when that scale changes, not by the image manager.
void CCutPreview::FitFrame()
{
    CImage art;
    ImageMgr.LoadImage(art, res::kPreviewFrame);
    const int width = Trunc(small.width) + 2 * PictureFrame::kSide;
    const int height = Trunc(small.height) + PictureFrame::kTop + PictureFrame::kBottom;
    frame.Release();
    frame.surface = PictureFrame::Fit(art.surface, width, height);
    frame.width = static_cast<float>(frame.surface.UnitWidth());
    frame.height = static_cast<float>(frame.surface.UnitHeight());
}

void CCutPreview::TestHookSetPicture(const CImage& picture)
{
    work = picture;
    clean = picture;
    sourceWidth = picture.surface.Width();
    sourceHeight = picture.surface.Height();
    pictureFile.clear();
    const int scale = picture.surface.IsEmpty() ? 1 : picture.surface.Scale();
    small.width = picture.width / 2;
    small.height = picture.height / 2;
    small.surface = CMgrImage::AtScale(
        PictureScaler::Resize(picture.surface, Trunc(small.width) * scale, Trunc(small.height) * scale), scale);
}

bool CCutPreview::MatchScale(int scale)
{
    if (!frame.surface.IsEmpty() && frame.surface.Scale() != scale) FitFrame();
    if (clean.surface.IsEmpty() || clean.surface.Scale() == scale) return false;
    PictureCopies copies = PictureSizes();
    copies.scale = scale;
    std::string problem;
    // The picture again, filtered at the new size; the same size in units,
    // or the lattice and the pieces would no longer fit it.
    if (pictureFile.empty() || !ImageMgr.LoadPicture(pictureFile.c_str(), copies, &problem) ||
        copies.clean.width != clean.width || copies.clean.height != clean.height) {
        if (!pictureFile.empty()) Log.Write("CCutPreview: %s not read again (%s)\n", pictureFile.c_str(), problem.c_str());
        // What is here, each pixel taken to the new scale: the puzzle goes on.
        copies.clean = AtOtherScale(clean, scale);
        copies.small = AtOtherScale(small, scale);
    }
    clean = std::move(copies.clean);
    small = std::move(copies.small);
    if (!work.surface.IsEmpty()) {  // the cut page shows it: made again with its cut lines
        work.Release();
        CopyCleanOntoWork();
        if (pointCount > 0) Redraw();
    }
    return true;
}

CImage CCutPreview::AtOtherScale(const CImage& image, int scale)
{
    CImage scaled = image;
    if (image.surface.IsEmpty()) return scaled;
    scaled.surface = Surface::Scaled(image.surface.UnitWidth(), image.surface.UnitHeight(), scale);
    scaled.surface.Blit(0, 0, image.surface.UnitWidth(), image.surface.UnitHeight(), image.surface, 0, 0);
    return scaled;
}

// On the board no cell is narrower or lower than 33 units of the 448 copy;
// the slider runs along the picture's longer side, from 4 to as many as that
// side takes, and on, as far as the picture's own pixels allow, to about a
// thousand pieces.
void CCutPreview::SetCutLimits()
{
    const bool wide = clean.width >= clean.height;
    maxPieces = Trunc(std::max(clean.width, clean.height) / kMinCellPixels);
    minPieces = kMinPieces;
    const int ownMost = std::max(sourceWidth, sourceHeight) / kMinPiecePixels;
    while (maxPieces < ownMost && (maxPieces + 1) * Across(maxPieces + 1) <= kMostPieces) ++maxPieces;
    maxColumns = wide ? maxPieces : ShorterLimit(maxPieces);
    maxRows = wide ? ShorterLimit(maxPieces) : maxPieces;
    work.surface.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
}

int CCutPreview::ShorterLimit(int along) const
{
    const float shorter = std::min(clean.width, clean.height);
    if (along <= kLargestBoardCut) return Trunc(shorter / kMinCellPixels);
    const int ownShorter = std::min(sourceWidth, sourceHeight) / kMinPiecePixels;
    return std::min(Trunc(shorter * CutFactor(along) / kMinCellPixels), ownShorter);
}

void CCutPreview::SetDefaults()
{
    SetCutLimits();
    // The middle of the board's cuts, whatever the picture allows beyond.
    const int boardMost = std::min(maxPieces, kLargestBoardCut);
    SetPieces(minPieces + (boardMost - minPieces) / 2);
    SetSmoothType(chosenSmooth);  // lays out and draws the cut
}

// Pieces as near square as the lattice allows: the shorter side gets the
// count that keeps its cells nearest the longer side's, at least 4 (as the
// picture allows) and no more than its 33-pixel limit.
void CCutPreview::SetPieces(int count)
{
    const bool wide = clean.width >= clean.height;
    const int across = Across(count);
    columns = wide ? count : across;
    rows = wide ? across : count;
}

int CCutPreview::Across(int count) const
{
    const bool wide = clean.width >= clean.height;
    const float longer = wide ? clean.width : clean.height, shorter = wide ? clean.height : clean.width;
    const int shorterLimit = std::max(1, ShorterLimit(count));
    const int nearest = longer > 0 ? static_cast<int>(std::lround(static_cast<float>(count) * shorter / longer)) : count;
    // Never more across the shorter side than along the longer one.
    return std::clamp(nearest, std::max(1, std::min({kMinPieces, shorterLimit, count})), shorterLimit);
}

void CCutPreview::Refresh()
{
    CopyCleanOntoWork();
    RebuildLattice();
}

void CCutPreview::SetChosenSmoothType(float value)
{
    for (float style : {kSmoothNone, kSmoothEasy, kSmoothMedium, kSmoothHard}) {
        if (value == style) chosenSmooth = style;
    }
}

void CCutPreview::SetSmoothType(float value)
{
    smoothType = value;
    SetChosenSmoothType(value);
    RebuildLattice();  // redraws the cut as well
}

void CCutPreview::Restore(float smooth, int columnCount, int rowCount)
{
    smoothType = smooth;
    columns = columnCount;
    rows = rowCount;
    LayOutLattice();
}

void CCutPreview::RebuildLattice()
{
    LayOutLattice();
    Redraw();
}

void CCutPreview::LayOutLattice()
{
    FreePoints();
    SetCutSize();
    if (columns > 0 && rows > 0) {
        cellWidth = cutWidth / static_cast<float>(columns);
        cellHeight = cutHeight / static_cast<float>(rows);
        LayGrid();
        if (smoothType >= 0.0f) {
            // The tab directions and shapes run on from the horizontal edges
            // into the vertical ones.
            bool flip = true;
            float a = 0.0f;
            DisplaceHorizontalEdges(flip, a);
            DisplaceVerticalEdges(flip);
        }
    } else {
        cellWidth = 0;
        cellHeight = 0;
    }
}

void CCutPreview::SetCutSize()
{
    const float factor = CutFactor(GetPiecesAlongLongerSide());
    cutWidth = factor == 1.0f ? clean.width : std::floor(clean.width * factor);
    cutHeight = factor == 1.0f ? clean.height : std::floor(clean.height * factor);
}

// The undisplaced lattice. Its coordinates come from float steps truncated
// toward zero, so it spans 0..W-1 and 0..H-1 exactly.
void CCutPreview::LayGrid()
{
    const int X = columns, Y = rows;
    const float sx = (cutWidth - 1.0f) / static_cast<float>(6 * X);
    const float sy = (cutHeight - 1.0f) / static_cast<float>(6 * Y);
    const float s6 = 6.0f * sx;
    pointCount = (6 * X + 1) * (Y + 1) + 5 * Y * (X + 1);
    points.reserve(pointCount);
    int j = 0;
    for (int r = 0; r <= Y; ++r) {
        for (int k = 0; k <= 6 * X; ++k) points.push_back({Trunc(static_cast<float>(k) * sx), Trunc(j * sy)});
        ++j;
        if (r == Y) break;
        for (int s = 0; s < 5; ++s, ++j) {
            for (int col = 0; col <= X; ++col)
                points.push_back({Trunc(static_cast<float>(col) * s6), Trunc(static_cast<float>(j) * sy)});
        }
    }
    // The float steps can fall a pixel short of the far edges, which would
    // leave the picture's last column or row in no piece and bend the
    // straight outer edge; the outer border lies on the picture's edge.
    const int lastX = Trunc(cutWidth - 1.0f), lastY = Trunc(cutHeight - 1.0f);
    for (int r = 0; r <= Y; ++r) {
        points[LineIndex(r, 6 * X)].x = lastX;
        for (int s = 0; r < Y && s < 5; ++s) points[SubRowIndex(r, s, X)].x = lastX;
    }
    for (int k = 0; k <= 6 * X; ++k) points[LineIndex(Y, k)].y = lastY;
}

// Every lattice point is displaced at most once, so the stored value is still
// the grid value when it is read here.
void CCutPreview::Displace(int index, float dx, float dy)
{
    Point& p = points[index];
    p.x = Trunc(static_cast<float>(p.x) + dx);
    p.y = Trunc(static_cast<float>(p.y) + dy);
}

void CCutPreview::DisplaceHorizontalEdges(bool& flip, float& a)
{
    const int X = columns, Y = rows;
    const float cw = (cutWidth - 1.0f) / static_cast<float>(X);
    const float ch = (cutHeight - 1.0f) / static_cast<float>(Y);
    const bool border = Options.border;
    float b = 0.22f;
    for (int r = 1; r <= Y - 1; ++r) {
        // With the Border option the lines next to the ring stay straight.
        if (border && (r == 1 || r == Y - 1)) continue;
        if (X % 2 == 0) flip = !flip;
        for (int col = 0; col < X; ++col) {
            const int k = LineIndex(r, 6 * col);
            const bool movesCorner = col < X - 1 && smoothType > 0.0f;
            if (flip) {  // tab upward
                Displace(k + 1, (0.6f + a) * cw, 0.2f * ch);
                Displace(k + 2, -((0.3f + b) * cw), -0.3f * ch);
                Displace(k + 3, 0.0f, -0.3f * ch);
                Displace(k + 4, (0.3f + b) * cw, -0.3f * ch);
                Displace(k + 5, -((0.6f + a) * cw), 0.2f * ch);
                if (movesCorner) Displace(k + 6, -(cw * smoothType), ch * smoothType);
            } else {  // tab downward, with a narrower neck
                Displace(k + 1, (0.6f + a) * cw, -0.2f * ch);
                Displace(k + 2, -((0.3f - b) * cw), 0.3f * ch);
                Displace(k + 3, 0.0f, 0.3f * ch);
                Displace(k + 4, (0.3f - b) * cw, 0.3f * ch);
                Displace(k + 5, -((0.6f + a) * cw), -0.2f * ch);
                if (movesCorner) Displace(k + 6, cw * smoothType, -(ch * smoothType));
            }
            flip = !flip;
            b -= 0.05f;
            if (b < 0.0f) b = 0.22f;
            a -= 0.05f;
            if (a < -0.12f) a = 0.0f;
        }
    }
}

void CCutPreview::DisplaceVerticalEdges(bool& flip)
{
    const int X = columns, Y = rows;
    const float cw = (cutWidth - 1.0f) / static_cast<float>(X);
    const float ch = (cutHeight - 1.0f) / static_cast<float>(Y);
    const bool border = Options.border;
    float b = 0.22f;
    for (int col = 1; col <= X - 1; ++col) {
        if (border && (col == 1 || col == X - 1)) continue;
        for (int r = 0; r < Y; ++r) {
            flip = !flip;
            b -= 0.09f;
            if (b < 0.0f) b = 0.22f;
            const float side = flip ? -1.0f : 1.0f;  // the tab points left when flip is set
            Displace(SubRowIndex(r, 0, col), -side * 0.2f * cw, 0.6f * ch);
            Displace(SubRowIndex(r, 1, col), side * 0.3f * cw, -((0.3f + b) * ch));
            Displace(SubRowIndex(r, 2, col), side * 0.3f * cw, 0.0f);
            Displace(SubRowIndex(r, 3, col), side * 0.3f * cw, (0.3f + b) * ch);
            Displace(SubRowIndex(r, 4, col), -side * 0.2f * cw, -0.6f * ch);
        }
        if (Y % 2 == 0) flip = !flip;
    }
}

void CCutPreview::GetCellOutline(int column, int row, Point outline[kOutlinePoints]) const
{
    const int top = 6 * column;
    int indices[kOutlinePoints] = {
        // top edge
        LineIndex(row, top), LineIndex(row, top + 1), LineIndex(row, top + 2), LineIndex(row, top + 3),
        LineIndex(row, top + 3), LineIndex(row, top + 4), LineIndex(row, top + 5), LineIndex(row, top + 6),
        // right edge
        LineIndex(row, top + 6), SubRowIndex(row, 0, column + 1), SubRowIndex(row, 1, column + 1),
        SubRowIndex(row, 2, column + 1),
        SubRowIndex(row, 2, column + 1), SubRowIndex(row, 3, column + 1), SubRowIndex(row, 4, column + 1),
        LineIndex(row + 1, top + 6),
        // bottom edge
        LineIndex(row + 1, top), LineIndex(row + 1, top + 1), LineIndex(row + 1, top + 2),
        LineIndex(row + 1, top + 3),
        LineIndex(row + 1, top + 3), LineIndex(row + 1, top + 4), LineIndex(row + 1, top + 5),
        LineIndex(row + 1, top + 6),
        // left edge
        LineIndex(row, top), SubRowIndex(row, 0, column), SubRowIndex(row, 1, column), SubRowIndex(row, 2, column),
        SubRowIndex(row, 2, column), SubRowIndex(row, 3, column), SubRowIndex(row, 4, column),
        LineIndex(row + 1, top),
    };
    for (int i = 0; i < kOutlinePoints; ++i) outline[i] = GetPoint(indices[i]);
}

Point CCutPreview::GetPoint(int index) const
{
    if (index < 0 || index >= static_cast<int>(points.size())) return Point{};
    return points[index];
}

bool CCutPreview::IsRingCell(int column, int row) const
{
    return Options.border && (column == 0 || column == columns - 1 || row == 0 || row == rows - 1);
}

// A dark line a pixel down and right of every white one, all dark lines
// first: the cut shows on light pictures as on dark ones. A large cut's
// cells are too small on the page for two lines: the white ones alone.
void CCutPreview::Redraw()
{
    CopyCleanOntoWork();
    if (IsLargeCut()) {
        for (int column = 0; column < columns; ++column)
            for (int row = 0; row < rows; ++row) DrawCell(column, row);
        return;
    }
    const Pen light = work.surface.SelectPen(Pen{kShadeColour, 1, PenStyle::Solid});
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row) DrawCellOutline(column, row, 1);
    }
    work.surface.SelectPen(light);
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row) DrawCell(column, row);
    }
}

// In the menu the ring of a Border cut shows as one piece, so its cells are
// not outlined.
void CCutPreview::DrawCell(int column, int row) { DrawCellOutline(column, row, 0); }

void CCutPreview::DrawCellOutline(int column, int row, int shift)
{
    if (IsRingCell(column, row)) return;
    Point outline[kOutlinePoints];
    GetCellOutline(column, row, outline);
    for (Point& p : outline) p = OnWork(p);
    for (int i = 0; i < kOutlinePoints; i += 4) {
        const Point* p = outline + i;
        ImageMgr.DrawBezier(work.surface, p[0].x + shift, p[0].y + shift, p[1].x + shift, p[1].y + shift,
                            p[2].x + shift, p[2].y + shift, p[3].x + shift, p[3].y + shift);
    }
}

// A point of a large cut's lattice on the 448 copy the page shows.
Point CCutPreview::OnWork(Point cutPoint) const
{
    if (cutWidth <= 0 || cutWidth == clean.width) return cutPoint;
    const float toWork = clean.width / cutWidth;
    return {static_cast<int>(std::lround(cutPoint.x * toWork)), static_cast<int>(std::lround(cutPoint.y * toWork))};
}

void CCutPreview::Draw()
{
    ImageMgr.Draw(BackBuffer(), work, 512.0f - work.width / 2.0f, (448.0f - work.height) / 2.0f + 48.0f);
    SmallFont.Print(210, 310, "%i", GetPieceCount());
}

void CCutPreview::StartBuild()
{
    const int count = GetPieceCount();
    progress = 0;
    progressStep = count > 0 ? 100.0f / static_cast<float>(count) : 100.0f;
    buildColumn = 0;
    buildRow = 0;
    // A cut without pieces has nothing to build.
    buildDone = count <= 0;
    CopyCleanOntoWork();
    Game.FreePieces();
    Game.SetSize(columns, rows);
    Game.AllocatePieces();
    StartCutPicture(true);
}

float CCutPreview::GetProgress() const
{
    if (cutPictureTask && cutAhead) return progress + progressStep * static_cast<float>(cutAhead->CutCount());
    return progress;
}

bool CCutPreview::BuildStep()
{
    if (buildDone) {
        progress = 100.0f;
        return true;
    }
    if (cutPictureTask) {
        // The picture is still being decoded (and the first pieces cut in
        // its spare time): the page goes on meanwhile, and the frame's
        // thread waits a little rather than take a core from the two.
        if (cutPictureTask->wait_for(std::chrono::milliseconds(4)) != std::future_status::ready) return false;
        TakeCutPicture(TakeTask());
        if (cutAhead) Log.Write("CCutPreview: %i pieces cut while the picture was decoded\n", cutAhead->CutCount());
    }
    // A large cut's pieces are cut a few at a time, side by side.
    const std::size_t batch = IsLargeCut() ? kLargeCutBatch : 1;
    std::vector<Point> cells;
    while (cells.size() < batch && !buildDone) {
        cells.push_back({buildColumn, buildRow});
        if (++buildColumn >= columns) {
            buildColumn = 0;
            if (++buildRow >= rows) buildDone = true;
        }
    }
    if (cells.size() == 1)
        Game.BuildPiece(cells.front().x, cells.front().y);
    else
        Game.BuildPieces(cells, cutAhead.get());
    progress += progressStep * static_cast<float>(cells.size());
    // Every piece holds its part of a large cut's picture now: its tens of
    // megabytes go at once, not after the page's last frames.
    if (buildDone) ReleaseCutPicture();
    return false;
}

int CCutPreview::GetCutScale() const
{
    const int drawing = clean.surface.IsEmpty() ? 1 : clean.surface.Scale();
    if (!IsLargeCut()) return drawing;
    // What the closest zoom shows of a cell at the drawing scale.
    const double closeUp =
        TableView::kScreenHeight * TableView::kCloseUpShare / std::max(1.0f, cellHeight) * drawing;
    const double own = std::max(sourceWidth, sourceHeight) / std::max(1.0f, std::max(cutWidth, cutHeight));
    int scale = std::clamp(static_cast<int>(std::lround(std::min(closeUp, own))), 1, Surface::kMaxScale);
    while (scale > 1 && static_cast<double>(cutWidth) * cutHeight * scale * scale > kCutPixelBudget) --scale;
    return scale;
}

// A large cut's picture is decoded from its file on a thread of its own,
// while the progress page goes on; the board's cuts use the 448 copy.
void CCutPreview::StartCutPicture(bool cutPiecesAhead)
{
    ReleaseCutPicture();
    if (!IsLargeCut() || clean.surface.IsEmpty()) return;
    const int scale = GetCutScale();
    cutPictureScale = scale;
    cutPictureAsked = Timer.ReadNow();
    if (pictureFile.empty()) {
        cutPicture = MakeCutPictureFromClean(scale);
        return;
    }
    CMgrImage::CutPictureRequest request =
        CMgrImage::AskCutPicture(pictureFile.c_str(), Trunc(cutWidth) * scale, Trunc(cutHeight) * scale);
    std::shared_ptr<PiecesCutAhead> ahead;
    if (cutPiecesAhead && CGame::CutsPieceImages()) {
        ahead = std::make_shared<PiecesCutAhead>(Game, columns, rows, scale);
        request.spareWork = [ahead](const Surface& made, int rowsMade) { return ahead->CutNext(made, rowsMade); };
    }
    cutAhead = ahead;
    cutPictureTask = std::make_shared<std::future<Surface>>(std::async(std::launch::async, [request, ahead] {
        bool madeBeside = false;
        Surface picture = CMgrImage::DecodeCutPicture(request, &madeBeside);
        if (ahead) ahead->Keep(madeBeside);
        return picture;
    }));
}

void CCutPreview::PrepareCutPicture()
{
    if (cutPictureTask) {
        TakeCutPicture(TakeTask());
        return;
    }
    if (!IsLargeCut() || clean.surface.IsEmpty()) return;
    if (!cutPicture.surface.IsEmpty() && cutPicture.surface.Scale() == GetCutScale()) return;
    StartCutPicture(false);
    if (cutPictureTask) TakeCutPicture(TakeTask());
}

void CCutPreview::TakeCutPicture(Surface pixels)
{
    const int scale = cutPictureScale;
    // Taken as it is, a unit of `scale` pixels (when its sides allow): no copy.
    pixels.TakeScale(scale);
    cutPicture.surface = std::move(pixels);
    if (cutPicture.surface.IsEmpty() || cutPicture.surface.Scale() != scale ||
        cutPicture.surface.UnitWidth() != Trunc(cutWidth) || cutPicture.surface.UnitHeight() != Trunc(cutHeight)) {
        Log.Write("CCutPreview: %s not read again for the cut; the copy in memory is enlarged\n", pictureFile.c_str());
        cutAhead.reset();  // cut from another picture than this one
        cutPicture = MakeCutPictureFromClean(scale);
        return;
    }
    cutPicture.width = static_cast<float>(Trunc(cutWidth));
    cutPicture.height = static_cast<float>(Trunc(cutHeight));
    Log.Write("CCutPreview: the picture for the cut, %i x %i pixels, read in %.3f s\n", cutPicture.surface.Width(),
              cutPicture.surface.Height(), Timer.ReadNow() - cutPictureAsked);
}

// Without the file (a test's picture, or one gone since it was chosen), the
// copy in memory, filtered to the cut's size.
CImage CCutPreview::MakeCutPictureFromClean(int scale) const
{
    Surface pixels = clean.surface;
    pixels.TakeScale(1);
    CImage made;
    Surface sized = PictureScaler::ResizeSmooth(pixels, Trunc(cutWidth) * scale, Trunc(cutHeight) * scale);
    CMgrImage::LiftBlack(sized);
    made.surface = CMgrImage::AtScale(sized, scale);
    made.width = static_cast<float>(Trunc(cutWidth));
    made.height = static_cast<float>(Trunc(cutHeight));
    return made;
}

Surface CCutPreview::TakeTask()
{
    std::shared_ptr<std::future<Surface>> task = std::move(cutPictureTask);
    return task->valid() ? task->get() : Surface();
}

void CCutPreview::ReleaseCutPicture()
{
    if (cutPictureTask && cutPictureTask->valid()) cutPictureTask->wait();
    cutPictureTask.reset();
    cutAhead.reset();
    cutPicture.Release();
}

void CCutPreview::CopyCleanOntoWork()
{
    if (work.surface.IsEmpty() && !clean.surface.IsEmpty()) {  // let go during play
        work = clean;
        work.surface.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
        return;
    }
    work.surface.Blit(0, 0, clean.surface.UnitWidth(), clean.surface.UnitHeight(), clean.surface, 0, 0);
}

void CCutPreview::ReleaseWork() { work.Release(); }

void CCutPreview::FreePoints()
{
    points = std::vector<Point>();
    pointCount = 0;
}

void CCutPreview::Release()
{
    ReleaseCutPicture();
    FreePoints();
    pictureFile.clear();
    frame.Release();
    small.Release();
    work.Release();
    clean.Release();
}
