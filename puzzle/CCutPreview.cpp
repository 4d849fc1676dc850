// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/CCutPreview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "puzzle/CGame.h"
#include "puzzle/PictureFrame.h"
#include "platform/PictureScaler.h"
#include "puzzle/GameOptions.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "core/CLog.h"

CCutPreview CutPreview;

namespace {

// The picture is loaded at these sizes, by its longer side.
constexpr float kSmallSize = 224.0f;
constexpr float kWorkSize = 448.0f;
// No cell may be narrower than this many pixels.
constexpr int kMinCellPixels = 33;
// The fewest pieces a side is cut into.
constexpr int kMinPieces = 4;

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

// No cell narrower or lower than 33 pixels; the slider runs along the
// picture's longer side, from 4 to as many as that side takes.
void CCutPreview::SetCutLimits()
{
    maxColumns = Trunc(clean.width / kMinCellPixels);
    maxRows = Trunc(clean.height / kMinCellPixels);
    maxPieces = std::max(maxColumns, maxRows);
    minPieces = kMinPieces;
    work.surface.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
}

void CCutPreview::SetDefaults()
{
    SetCutLimits();
    SetPieces(minPieces + (maxPieces - minPieces) / 2);
    SetSmoothType(chosenSmooth);  // lays out and draws the cut
}

// Pieces as near square as the lattice allows: the shorter side gets the
// count that keeps its cells nearest the longer side's, at least 4 (as the
// picture allows) and no more than its 33-pixel limit.
void CCutPreview::SetPieces(int count)
{
    const bool wide = clean.width >= clean.height;
    const float longer = wide ? clean.width : clean.height, shorter = wide ? clean.height : clean.width;
    const int shorterLimit = std::max(1, wide ? maxRows : maxColumns);
    const int nearest = longer > 0 ? static_cast<int>(std::lround(static_cast<float>(count) * shorter / longer)) : count;
    // Never more across the shorter side than along the longer one.
    const int across = std::clamp(nearest, std::max(1, std::min({kMinPieces, shorterLimit, count})), shorterLimit);
    columns = wide ? count : across;
    rows = wide ? across : count;
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
    if (columns > 0 && rows > 0) {
        cellWidth = clean.width / static_cast<float>(columns);
        cellHeight = clean.height / static_cast<float>(rows);
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

// The undisplaced lattice. Its coordinates come from float steps truncated
// toward zero, so it spans 0..W-1 and 0..H-1 exactly.
void CCutPreview::LayGrid()
{
    const int X = columns, Y = rows;
    const float sx = (clean.width - 1.0f) / static_cast<float>(6 * X);
    const float sy = (clean.height - 1.0f) / static_cast<float>(6 * Y);
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
    const int lastX = Trunc(clean.width - 1.0f), lastY = Trunc(clean.height - 1.0f);
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
    const float cw = (clean.width - 1.0f) / static_cast<float>(X);
    const float ch = (clean.height - 1.0f) / static_cast<float>(Y);
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
    const float cw = (clean.width - 1.0f) / static_cast<float>(X);
    const float ch = (clean.height - 1.0f) / static_cast<float>(Y);
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
// first: the cut shows on light pictures as on dark ones.
void CCutPreview::Redraw()
{
    CopyCleanOntoWork();
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
    for (int i = 0; i < kOutlinePoints; i += 4) {
        const Point* p = outline + i;
        ImageMgr.DrawBezier(work.surface, p[0].x + shift, p[0].y + shift, p[1].x + shift, p[1].y + shift,
                            p[2].x + shift, p[2].y + shift, p[3].x + shift, p[3].y + shift);
    }
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
}

bool CCutPreview::BuildStep()
{
    if (buildDone) {
        progress = 100.0f;
        return true;
    }
    Game.BuildPiece(buildColumn, buildRow);
    if (++buildColumn >= columns) {
        buildColumn = 0;
        if (++buildRow >= rows) buildDone = true;
    }
    progress += progressStep;
    return false;
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
    FreePoints();
    pictureFile.clear();
    frame.Release();
    small.Release();
    work.Release();
    clean.Release();
}
