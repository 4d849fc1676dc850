#include "puzzle/CGame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "app/CLog.h"
#include "puzzle/CCutPreview.h"
#include "resources/CMgrImage.h"
#include "screens/CMenu.h"

CGame Game;

namespace {

// Pieces are scattered with their top-left corner inside this area.
constexpr float kScatterWidth = 750.0f;
constexpr float kScatterHeight = 500.0f;
// Where ArrangePieces starts its rows and where a row wraps.
constexpr float kArrangeLeft = 20.0f;
constexpr float kArrangeTop = 50.0f;
constexpr float kArrangeRight = 750.0f;
// Where the pre-joined ring of a Border cut starts.
constexpr float kRingX = 20.0f;
constexpr float kRingY = 50.0f;

enum Side { kLeft, kRight, kUp, kDown };

int Trunc(float value) { return static_cast<int>(value); }

// A random whole position in [0, limit), as a float.
float RandomBelow(float limit)
{
    const int range = std::max(1, Trunc(limit));
    return static_cast<float>(std::rand() % range);
}

void DrawOutline(Surface& surface, const Point outline[CCutPreview::kOutlinePoints])
{
    for (int i = 0; i < CCutPreview::kOutlinePoints; i += 4) {
        const Point* p = outline + i;
        ImageMgr.DrawBezier(surface, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y);
    }
}

}  // namespace

unsigned CGame::GetArrayIndex(int column, int row, unsigned columns, unsigned rows)
{
    if (column >= 0 && row >= 0 && static_cast<unsigned>(column) < columns && static_cast<unsigned>(row) < rows)
        return static_cast<unsigned>(column) + static_cast<unsigned>(row) * columns;
    static constexpr const char* kMessage = "GetArrayIndex: wrong enter arguments!";
    Log.Write("%s\n", kMessage);
    App.ShowMessageBox("CriticalError!", kMessage);
    App.PostQuit();
    return 0;
}

void CGame::SetSize(int columns, int rows)
{
    piecesX = columns;
    piecesY = rows;
}

void CGame::AllocatePieces()
{
    pieces.assign(static_cast<std::size_t>(std::max(0, piecesX)) * std::max(0, piecesY), CPiece{});
}

void CGame::FreePieces()
{
    pieces = std::vector<CPiece>();
}

void CGame::SetImageName(const char* fileName)
{
    std::snprintf(imageName, sizeof imageName, "%s", fileName);
}

// ---------------------------------------------------------------- pieces

void CGame::BuildPiece(int column, int row)
{
    Point outline[CCutPreview::kOutlinePoints];
    CutPreview.GetCellOutline(column, row, outline);

    // The box holds the control points too, so it may reach past the picture;
    // that part lies outside the outline and stays black.
    int minX = outline[0].x, maxX = outline[0].x, minY = outline[0].y, maxY = outline[0].y;
    for (const Point& p : outline) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int width = maxX - minX + 1;
    const int height = maxY - minY + 1;

    const unsigned index = GetArrayIndex(column, row, piecesX, piecesY);
    if (!IsValidPieceIndex(static_cast<int>(index))) return;  // no pieces allocated
    CPiece& piece = pieces[index];
    piece.column = column;
    piece.row = row;
    piece.width = static_cast<float>(width);
    piece.height = static_cast<float>(height);
    // Only differences between neighbours' reference points are ever used.
    piece.homeX = static_cast<float>(std::min(outline[25].x, outline[26].x));
    piece.homeY = static_cast<float>(std::min(outline[1].y, outline[2].y));
    piece.x = RandomBelow(kScatterWidth - CutPreview.GetCellWidth());
    piece.y = RandomBelow(kScatterHeight - CutPreview.GetCellHeight());

    for (Point& p : outline) {
        p.x -= minX;
        p.y -= minY;
    }
    piece.cornerTL = outline[0];
    piece.cornerTR = outline[7];
    piece.cornerBL = outline[16];

    piece.mask = Surface(width, height);
    piece.mask.SelectPen(Pen{kWhite, 1, PenStyle::Solid});
    DrawOutline(piece.mask, outline);
    FillInside(piece.mask);

    piece.image = Surface(width, height);
    piece.image.Blit(0, 0, width, height, CutPreview.GetWorkSurface(), minX, minY);
    piece.image.Blit(0, 0, width, height, piece.mask, 0, 0, RasterOp::And);

    // The pre-joined ring of a Border cut shows as one piece: no outline.
    if (IsRingPiece(column, row)) return;
    const Pen previous = piece.image.SelectPen(Pen{kOutlineColour, 1, PenStyle::Solid});
    DrawOutline(piece.image, outline);
    piece.image.SelectPen(previous);
}

// A scanline fill with an explicit stack: the same pixels as filling each
// 4-connected neighbour in turn, without one nested call per pixel.
void CGame::FloodFill(Surface& surface, int x, int y, Colour colour, float width, float height)
{
    const int right = std::min(Trunc(width), surface.Width());
    const int bottom = std::min(Trunc(height), surface.Height());
    if (x < 0 || y < 0 || x >= right || y >= bottom) return;
    colour &= 0xFFFFFF;
    std::vector<Point> pending{{x, y}};
    while (!pending.empty()) {
        const Point seed = pending.back();
        pending.pop_back();
        Colour* line = surface.Row(seed.y);
        if (line[seed.x] == colour) continue;
        int left = seed.x, last = seed.x;
        while (left > 0 && line[left - 1] != colour) --left;
        while (last + 1 < right && line[last + 1] != colour) ++last;
        std::fill(line + left, line + last + 1, colour);
        // One seed for every run of unfilled pixels above and below the span.
        for (int ny : {seed.y - 1, seed.y + 1}) {
            if (ny < 0 || ny >= bottom) continue;
            const Colour* next = surface.Row(ny);
            for (int nx = left; nx <= last; ++nx) {
                if (next[nx] != colour && (nx == left || next[nx - 1] == colour)) pending.push_back({nx, ny});
            }
        }
    }
}

// The mask is the outline and everything inside it: every pixel that the
// outside of the box cannot reach without crossing the outline. A fill from
// the centre of the box alone misses what the outline shuts off from the
// body: where two curves run into a corner at a sharp angle, the diagonal
// steps of the lines shut in a pixel at the tip of the wedge between them, and
// on small cells the tabs of two edges can cross and shut in a larger patch.
// No piece's fill from its centre reaches those, so the finished picture
// would show holes there.
void CGame::FillInside(Surface& mask)
{
    const int width = mask.Width(), height = mask.Height();
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    // What the outside reaches turns white on a copy; the outline stops it.
    Surface outside = mask;
    for (int x = 0; x < width; ++x) {
        FloodFill(outside, x, 0, kWhite, w, h);
        FloodFill(outside, x, height - 1, kWhite, w, h);
    }
    for (int y = 0; y < height; ++y) {
        FloodFill(outside, 0, y, kWhite, w, h);
        FloodFill(outside, width - 1, y, kWhite, w, h);
    }
    for (int y = 0; y < height; ++y) {
        const Colour* reached = outside.Row(y);
        Colour* line = mask.Row(y);
        for (int x = 0; x < width; ++x) {
            if (reached[x] != kWhite) line[x] = kWhite;
        }
    }
}

// ---------------------------------------------------------------- start of play

void CGame::StartGame()
{
    ResetPlayState();
    LinkNeighbours();
    if (CMenu::IsBorder())
        BuildGroupsWithBorder();
    else
        BuildGroups();
    Shuffle();
    // Every piece names its group from the first frame of play on.
    SyncInGroup();
}

void CGame::ResetPlayState()
{
    savedBanner = false;
    savedBannerTime = 0;
    clockFraction = 0;
    clockSeconds = 0;
    clockMinutes = 0;
    const CImage& picture = CutPreview.GetClean();
    sampleTarget = {410.0f - picture.width / 2.0f, 250.0f - picture.height / 2.0f};
    completed = false;
    selecting = false;
    draggingPreview = false;
    holdingGroup = false;
    movingSelection = false;
    hasSelection = false;
    previewPos = {20, 20};
    ClearGroups();
    selectionStart = {100, 100};
    selectionEnd = {200, 200};
}

void CGame::LinkNeighbours()
{
    for (int i = 0; i < GetPieceCount(); ++i) {
        CPiece& p = pieces[i];
        const int column = ColumnOf(i), row = RowOf(i);
        const int cells[4][2] = {{column - 1, row}, {column + 1, row}, {column, row - 1}, {column, row + 1}};
        for (int side = kLeft; side <= kDown; ++side) {
            const int c = cells[side][0], r = cells[side][1];
            if (c < 0 || r < 0 || c >= piecesX || r >= piecesY) {
                p.neighbour[side] = -1;
                continue;
            }
            const int q = static_cast<int>(GetArrayIndex(c, r, piecesX, piecesY));
            const CPiece& n = pieces[q];
            p.neighbour[side] = q;
            // The left and up offsets are measured the other way round in one
            // coordinate each; the snapping test is written against these signs.
            switch (side) {
            case kLeft:
                p.neighbourDX[side] = p.homeX - n.homeX;
                p.neighbourDY[side] = n.homeY - p.homeY;
                break;
            case kUp:
                p.neighbourDX[side] = n.homeX - p.homeX;
                p.neighbourDY[side] = p.homeY - n.homeY;
                break;
            default:
                p.neighbourDX[side] = n.homeX - p.homeX;
                p.neighbourDY[side] = n.homeY - p.homeY;
                break;
            }
        }
    }
}

CGroup CGame::MakeSingleGroup(int index)
{
    CPiece& piece = pieces[index];
    CGroup group;
    group.members.push_back(index);
    for (int neighbour : piece.neighbour) {
        if (neighbour != -1) group.canJoin.push_back(neighbour);
    }
    group.x = piece.x;
    group.y = piece.y;
    piece.x = 0;
    piece.y = 0;
    group.width = CutPreview.GetCellWidth();
    group.height = CutPreview.GetCellHeight();
    return group;
}

void CGame::AppendGroup(CGroup group)
{
    const int index = static_cast<int>(groups.size());
    for (int member : group.members) pieces[member].inGroup = index;
    groups.push_back(std::move(group));
    drawOrder.push_back(index);
}

void CGame::BuildGroups()
{
    for (int i = 0; i < GetPieceCount(); ++i) AppendGroup(MakeSingleGroup(i));
}

bool CGame::IsRingPiece(int column, int row) const
{
    return CMenu::IsBorder() && (column == 0 || column == piecesX - 1 || row == 0 || row == piecesY - 1);
}

void CGame::BuildGroupsWithBorder()
{
    const int X = piecesX, Y = piecesY;
    for (int i = 0; i < GetPieceCount(); ++i) {
        const int c = ColumnOf(i), r = RowOf(i);
        if (c >= 1 && c <= X - 2 && r >= 1 && r <= Y - 2) AppendGroup(MakeSingleGroup(i));
    }

    CGroup ring;
    auto index = [&](int column, int row) { return static_cast<int>(GetArrayIndex(column, row, X, Y)); };
    for (int r = 0; r < Y; ++r) ring.members.push_back(index(0, r));
    for (int r = 0; r < Y; ++r) ring.members.push_back(index(X - 1, r));
    for (int c = 1; c <= X - 2; ++c) ring.members.push_back(index(c, 0));
    for (int c = 1; c <= X - 2; ++c) ring.members.push_back(index(c, Y - 1));
    // Largest index first, as every join leaves a group; a cut one piece wide
    // or high would otherwise list its pieces twice.
    std::sort(ring.members.begin(), ring.members.end(), std::greater<int>());
    ring.members.erase(std::unique(ring.members.begin(), ring.members.end()), ring.members.end());
    if (ring.members.empty()) return;

    // The second ring, each piece once and none of the ring's own (narrow
    // cuts would otherwise repeat pieces or list ring pieces).
    for (int r = 1; r <= Y - 2; ++r) ring.canJoin.push_back(index(1, r));
    for (int r = 1; r <= Y - 2; ++r) ring.canJoin.push_back(index(X - 2, r));
    for (int c = 2; c <= X - 3; ++c) ring.canJoin.push_back(index(c, 1));
    for (int c = 2; c <= X - 3; ++c) ring.canJoin.push_back(index(c, Y - 2));
    ring.TidyCanJoin();

    ring.x = kRingX;
    ring.y = kRingY;
    AppendGroup(std::move(ring));
    LayOutGroup(static_cast<int>(groups.size()) - 1);
}

// Exchanges whole group records, so the origins travel with their groups and
// only which group lies on top of which changes.
void CGame::Shuffle()
{
    const int n = static_cast<int>(groups.size());
    if (n < 2) return;  // nothing to exchange, and no second index to draw
    for (int i = 0; i < n; ++i) {
        const int a = std::rand() % n;
        int b = std::rand() % n;
        while (b == a) b = std::rand() % n;
        std::swap(groups[a], groups[b]);
    }
}

void CGame::LayOutGroup(int g)
{
    if (!IsValidGroupIndex(g)) return;
    CGroup& group = groups[g];
    int minC = piecesX, maxC = -1, minR = piecesY, maxR = -1;
    for (int m : group.members) {
        if (!IsValidPieceIndex(m)) continue;
        minC = std::min(minC, ColumnOf(m));
        maxC = std::max(maxC, ColumnOf(m));
        minR = std::min(minR, RowOf(m));
        maxR = std::max(maxR, RowOf(m));
    }
    if (maxC < minC || maxR < minR) return;

    // Offsets of every cell of the group's box, chained from its top-left
    // cell through the lattice corners, whether or not the cell's piece is a
    // member: an L-shaped group is laid out through its missing corner.
    const int boxColumns = maxC - minC + 1, boxRows = maxR - minR + 1;
    std::vector<FloatPoint> offset(static_cast<std::size_t>(boxColumns) * boxRows);
    auto cell = [&](int c, int r) -> FloatPoint& { return offset[(r - minR) * boxColumns + (c - minC)]; };
    auto piece = [&](int c, int r) -> const CPiece& { return pieces[GetArrayIndex(c, r, piecesX, piecesY)]; };
    for (int r = minR; r <= maxR; ++r) {
        for (int c = minC; c <= maxC; ++c) {
            const CPiece& s = piece(c, r);
            FloatPoint& here = cell(c, r);
            if (c == minC && r == minR) {
                here = {0, 0};
            } else if (c == minC) {
                const CPiece& above = piece(c, r - 1);
                const FloatPoint from = cell(c, r - 1);
                here.x = from.x + static_cast<float>(above.cornerBL.x - s.cornerTL.x);
                here.y = from.y + static_cast<float>(above.cornerBL.y - s.cornerTL.y);
            } else {
                const CPiece& left = piece(c - 1, r);
                const FloatPoint from = cell(c - 1, r);
                here.x = from.x + static_cast<float>(left.cornerTR.x - s.cornerTL.x);
                here.y = from.y + static_cast<float>(left.cornerTR.y - s.cornerTL.y);
            }
        }
    }
    for (int m : group.members) {
        if (!IsValidPieceIndex(m)) continue;
        const FloatPoint& at = cell(ColumnOf(m), RowOf(m));
        pieces[m].x = at.x;
        pieces[m].y = at.y;
    }
    group.width = static_cast<float>(boxColumns) * CutPreview.GetCellWidth();
    group.height = static_cast<float>(boxRows) * CutPreview.GetCellHeight();
}

// ---------------------------------------------------------------- during play

void CGame::ArrangePieces()
{
    movingSelection = false;
    holdingGroup = false;
    hasSelection = false;
    DeselectAll();
    const float stepAcross = 1.5f * CutPreview.GetCellWidth();
    const float stepDown = 1.5f * CutPreview.GetCellHeight();
    FloatPoint cursor{kArrangeLeft, kArrangeTop};
    for (CGroup& group : groups) {
        if (group.members.size() > 1 || group.hidden) continue;
        group.x = cursor.x;
        group.y = cursor.y;
        cursor.x += stepAcross;
        if (cursor.x >= kArrangeRight) {
            cursor.x = kArrangeLeft;
            cursor.y += stepDown;
        }
    }
}

void CGame::SyncInGroup()
{
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        for (int m : groups[g].members) {
            if (IsValidPieceIndex(m)) pieces[m].inGroup = g;
        }
    }
}

void CGame::DeselectAll()
{
    for (CGroup& group : groups) group.selected = false;
}

void CGame::ClearGroups()
{
    groups.clear();
    drawOrder.clear();
}

// ---------------------------------------------------------------------------
// Saved game "game.pvs".
//
// A text file of keywords and values: the Border option, the picture's name
// (spaces written as "_"), the edge style, the size of the cut, and every
// group's position, members and join candidates. Everything else is rebuilt
// from the picture and the cut when it is loaded. A file that lies about any
// of it is refused whole: the puzzle is then left empty, as when there is no
// saved game at all.

// What the saved game needs beyond the rest of the puzzle.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "app/CError.h"
#include "resources/CFile.h"
#include "resources/CParser.h"

// What a saved game holds, as read and before it is trusted.
struct SavedGroup {
    int x = 0;
    int y = 0;
    std::vector<int> members;
    std::vector<int> canJoin;
};

struct SavedGame {
    bool border = false;
    std::string imageName;
    float smoothType = CCutPreview::kSmoothEasy;
    int piecesX = 0;
    int piecesY = 0;
    std::vector<SavedGroup> groups;
};

namespace {

constexpr const char* kSavedGameFile = "game.pvs";
// A picture is cut from its copy of 448 pixels on the longer side, with no
// cell narrower than 33 pixels: never more than 13 x 13 pieces.
constexpr int kLargestCut = 13;
constexpr int kMostPieces = kLargestCut * kLargestCut;

// A whole position for the file; NaN and values beyond any board are held in range.
int SavedPosition(float value)
{
    constexpr float kFar = 1e9f;
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::clamp(value, -kFar, kFar));
}

// A whole decimal number filling the token: optional sign, digits, in range.
bool ParseInteger(const char* token, int& value)
{
    if (!token) return false;
    char* stop = nullptr;
    errno = 0;
    const long parsed = std::strtol(token, &stop, 10);
    if (stop == token || *stop != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

// The edge style as saved with two decimals: one of the four styles.
bool ParseSmoothType(const char* token, float& value)
{
    char* stop = nullptr;
    const float parsed = std::strtof(token, &stop);
    if (stop == token || *stop != '\0') return false;
    for (float style : {CCutPreview::kSmoothNone, CCutPreview::kSmoothEasy, CCutPreview::kSmoothMedium,
                        CCutPreview::kSmoothHard}) {
        if (std::fabs(parsed - style) < 0.005f) {
            value = style;
            return true;
        }
    }
    return false;
}

// Reads the keywords of a saved game in order. A keyword's values follow it
// on the same line; between entries any white space and "//" comments may
// stand, and words that are no keyword are skipped one by one.
class SavedGameReader {
public:
    SavedGameReader(char* text, char* end, SavedGame& game) : p(text), end(end), game(game) {}

    // False when the file lies: a value that is no number where a number must
    // stand, a group that was never counted, a count that is negative or
    // larger than any cut or than what is left of the file, a name too long.
    bool Read()
    {
        while (char* keyword = TheParser.NextToken(p, end)) {
            p = keyword + TheParser.GetTokenLength();
            Outcome outcome = ReadEntry(keyword);
            if (outcome == Outcome::Lie) return false;
            if (outcome == Outcome::Ended) break;
        }
        return true;
    }

private:
    // Ended: the file stops where a keyword's value should be; what was read
    // so far stands.
    enum class Outcome { Read, Ended, Lie };

    Outcome ReadEntry(const char* keyword)
    {
        if (std::strcmp(keyword, "ImageName") == 0) return ReadImageName();
        if (std::strcmp(keyword, "Border") == 0) {
            const char* value = NextValue();
            if (!value) return Outcome::Ended;
            int on = 0;
            game.border = ParseInteger(value, on) && on == 1;  // any other value is off
            return Outcome::Read;
        }
        if (std::strcmp(keyword, "SmoothType") == 0) {
            const char* value = NextValue();
            if (!value) return Outcome::Ended;
            return ParseSmoothType(value, game.smoothType) ? Outcome::Read : Outcome::Lie;
        }
        if (std::strcmp(keyword, "NumberOfPiecesX") == 0) return ReadSingle(game.piecesX);
        if (std::strcmp(keyword, "NumberOfPiecesY") == 0) return ReadSingle(game.piecesY);
        if (std::strcmp(keyword, "NumberOfGroups") == 0) return ReadGroupCount();
        if (std::strcmp(keyword, "Group") == 0) return ReadGroupPosition();
        if (std::strcmp(keyword, "InGroup") == 0) return ReadGroupList(&SavedGroup::members);
        if (std::strcmp(keyword, "CanJoin") == 0) return ReadGroupList(&SavedGroup::canJoin);
        return Outcome::Read;  // not a keyword: skipped
    }

    // The next value token; the scan goes on after it.
    char* NextValue()
    {
        char* value = TheParser.NextToken(p, end);
        if (value) p = value + TheParser.GetTokenLength();
        return value;
    }

    Outcome ReadInteger(int& value)
    {
        const char* token = NextValue();
        if (!token) return Outcome::Ended;
        return ParseInteger(token, value) ? Outcome::Read : Outcome::Lie;
    }

    Outcome ReadSingle(int& target)
    {
        int value = 0;
        const Outcome outcome = ReadInteger(value);
        if (outcome == Outcome::Read) target = value;
        return outcome;
    }

    Outcome ReadImageName()
    {
        const char* value = NextValue();
        if (!value) return Outcome::Ended;
        if (TheParser.GetTokenLength() >= static_cast<std::uint32_t>(kMaxPath)) return Outcome::Lie;
        game.imageName = value;
        std::replace(game.imageName.begin(), game.imageName.end(), '_', ' ');
        return Outcome::Read;
    }

    // A count of groups, members or candidates: never above the pieces of
    // the largest cut, and each entry needs at least two characters of file.
    bool IsPlausibleCount(int count) const { return count >= 0 && count <= kMostPieces && count <= (end - p) / 2 + 1; }

    Outcome ReadGroupCount()
    {
        int count = 0;
        Outcome outcome = ReadInteger(count);
        if (outcome != Outcome::Read) return outcome;
        if (!IsPlausibleCount(count)) return Outcome::Lie;
        game.groups.assign(static_cast<std::size_t>(count), SavedGroup{});  // discards groups read so far
        return Outcome::Read;
    }

    Outcome ReadGroupIndex(int& group)
    {
        const Outcome outcome = ReadInteger(group);
        if (outcome == Outcome::Read && (group < 0 || group >= static_cast<int>(game.groups.size())))
            return Outcome::Lie;
        return outcome;
    }

    Outcome ReadGroupPosition()
    {
        int group = 0, x = 0, y = 0;
        Outcome outcome = ReadGroupIndex(group);
        if (outcome == Outcome::Read) outcome = ReadInteger(x);
        if (outcome == Outcome::Read) outcome = ReadInteger(y);
        if (outcome != Outcome::Read) return outcome;
        game.groups[group].x = x;
        game.groups[group].y = y;
        return Outcome::Read;
    }

    Outcome ReadGroupList(std::vector<int> SavedGroup::*list)
    {
        int group = 0, count = 0;
        Outcome outcome = ReadGroupIndex(group);
        if (outcome == Outcome::Read) outcome = ReadInteger(count);
        if (outcome != Outcome::Read) return outcome;
        if (!IsPlausibleCount(count)) return Outcome::Lie;
        std::vector<int>& entries = game.groups[group].*list;
        for (int i = 0; i < count; ++i) {
            int entry = 0;
            // A list cut short is a damaged file, not an end of reading.
            if (ReadInteger(entry) != Outcome::Read) return Outcome::Lie;
            entries.push_back(entry);
        }
        return Outcome::Read;
    }

    char* p;
    char* end;
    SavedGame& game;
};

// What the picture does not decide: a cut of 1 to 13 pieces each way, every
// piece in exactly one group, no group without members, every candidate a
// piece of the cut.
bool IsConsistent(const SavedGame& game)
{
    if (game.piecesX < 1 || game.piecesY < 1 || game.piecesX > kLargestCut || game.piecesY > kLargestCut)
        return false;
    const int pieceCount = game.piecesX * game.piecesY;
    std::vector<bool> placed(static_cast<std::size_t>(pieceCount), false);
    for (const SavedGroup& group : game.groups) {
        if (group.members.empty()) return false;
        for (int member : group.members) {
            if (member < 0 || member >= pieceCount || placed[member]) return false;
            placed[member] = true;
        }
        for (int candidate : group.canJoin) {
            if (candidate < 0 || candidate >= pieceCount) return false;
        }
    }
    return std::find(placed.begin(), placed.end(), false) == placed.end();
}

void ReportDamaged() { Log.Write("CGame: %s is damaged, not loaded\n", kSavedGameFile); }

}  // namespace

bool CGame::SaveGame()
{
    // With no puzzle in play there is nothing to save, and the saved game on
    // the disk is worth more than an empty one.
    if (pieces.empty() || groups.empty()) {
        Log.Write("CGame: no puzzle in play, %s left as it was\n", kSavedGameFile);
        return false;
    }
    CFile file;
    if (!file.Open(kSavedGameFile, FILE_WRITE_TEXT)) Error.CriticalError("CGame: Couldn't save game!\n");
    file.Printf("Border %i\n\n", CMenu::IsBorder() ? 1 : 0);
    // Words are separated by spaces, so a space in the name goes as "_".
    char name[kMaxPath];
    std::snprintf(name, sizeof name, "%s", imageName);
    std::replace(name, name + std::strlen(name), ' ', '_');
    file.Printf("ImageName %s\n\n", name);
    file.Printf("SmoothType %.2f\n", CutPreview.GetSmoothType());
    file.Printf("NumberOfPiecesX %i\n", piecesX);
    file.Printf("NumberOfPiecesY %i\n\n", piecesY);
    file.Printf("NumberOfGroups %i\n\n", static_cast<int>(groups.size()));
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        const CGroup& group = groups[g];
        file.Printf("Group %i %i %i\n", g, SavedPosition(group.x), SavedPosition(group.y));
        file.Printf("InGroup %i %i", g, static_cast<int>(group.members.size()));
        for (int member : group.members) file.Printf(" %i", member);
        file.Printf("\n");
        file.Printf("CanJoin %i %i", g, static_cast<int>(group.canJoin.size()));
        for (int candidate : group.canJoin) file.Printf(" %i", candidate);
        file.Printf("\n\n");
    }
    file.Close();
    return true;
}

void CGame::LoadGame()
{
    // What the file leaves out stays as it was.
    SavedGame saved;
    saved.border = CMenu::IsBorder();
    saved.imageName = imageName;
    saved.piecesX = piecesX;
    saved.piecesY = piecesY;

    ClearForLoad();
    std::vector<char> text;
    const CParser::ReadResult result = CParser::ReadFile(kSavedGameFile, text);
    if (result == CParser::ReadResult::Missing) return;  // no saved game: an empty board
    if (result != CParser::ReadResult::Read) return ReportDamaged();
    char* const end = text.data() + (text.size() - CParser::kPadding);
    SavedGameReader reader(text.data(), end, saved);
    if (!reader.Read() || !IsConsistent(saved)) return ReportDamaged();
    if (!BuildFromSave(saved)) CutPreview.Release();
}

// The puzzle released and empty; the play clock, the board colour and the
// picture window's place stay as they were.
void CGame::ClearForLoad()
{
    ClearGroups();
    FreePieces();
    CutPreview.Release();
    SetSize(0, 0);
    completed = false;
    // The groups the mouse held or had selected are gone.
    holdingGroup = false;
    draggingPreview = false;
    selecting = false;
    movingSelection = false;
    hasSelection = false;
}

bool CGame::BuildFromSave(const SavedGame& saved)
{
    // A name that holds "_" itself was read back with spaces there; the name
    // as written is the next best guess. A picture found nowhere is reported
    // here rather than by the loader, which would end the game.
    std::string name = saved.imageName;
    if (!ImageMgr.CanLoadImage(name.c_str())) {
        std::string written = name;
        std::replace(written.begin(), written.end(), ' ', '_');
        if (written == name || !ImageMgr.CanLoadImage(written.c_str())) {
            Log.Write("CGame: picture %s of %s can't be loaded, game not loaded\n", name.c_str(), kSavedGameFile);
            return false;
        }
        name = written;
    }
    CutPreview.ChoosePictureFile(name.c_str());
    CutPreview.SetDefaults();  // the picture's largest cut, and the pen of the cut lines
    if (saved.piecesX > CutPreview.GetMaxPieces() || saved.piecesY > CutPreview.GetMaxPieces()) {
        Log.Write("CGame: %s holds a cut of %i x %i, more than its picture takes, not loaded\n", kSavedGameFile,
                  saved.piecesX, saved.piecesY);
        return false;
    }

    CMenu::SetBorder(saved.border);  // before the lattice: it keeps the ring's lines straight
    CutPreview.Restore(saved.smoothType, saved.piecesX, saved.piecesY);
    // Pieces are cut from the unmarked picture, not the copy with the cut lines.
    const CImage& clean = CutPreview.GetClean();
    CutPreview.GetWorkSurface().Blit(0, 0, clean.surface.Width(), clean.surface.Height(), clean.surface, 0, 0);
    SetSize(saved.piecesX, saved.piecesY);
    AllocatePieces();
    for (int column = 0; column < piecesX; ++column) {
        for (int row = 0; row < piecesY; ++row) BuildPiece(column, row);
    }
    LinkNeighbours();

    for (const SavedGroup& from : saved.groups) {
        CGroup group;
        group.members = from.members;
        group.canJoin = from.canJoin;
        group.TidyCanJoin();
        group.x = static_cast<float>(from.x);
        group.y = static_cast<float>(from.y);
        groups.push_back(std::move(group));
    }
    SyncInGroup();
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        LayOutGroup(g);
        drawOrder.push_back(g);
    }
    // A solved picture glides to the middle, as in a game started from the menu.
    sampleTarget = {410.0f - clean.width / 2.0f, 250.0f - clean.height / 2.0f};
    return true;
}

// ---------------------------------------------------------------------------

void CGame::ShowSavedBanner(float seconds)
{
    savedBanner = true;
    savedBannerTime = seconds;
}

void CGame::SetBackgroundColor(int red, int green, int blue)
{
    backgroundColor[0] = red;
    backgroundColor[1] = green;
    backgroundColor[2] = blue;
}

void CGame::SetPreviewPos(float x, float y)
{
    previewPos = {x, y};
}

bool CGame::IsEdgePiece(const CPiece& piece) const
{
    const int c = piece.column, r = piece.row;
    if (c == 0 || c == piecesX - 1 || r == 0 || r == piecesY - 1) return true;
    // With the Border option the outer ring is one group, so the ring next to
    // it counts as the edge.
    return CMenu::IsBorder() && (c == 1 || c == piecesX - 2 || r == 1 || r == piecesY - 2);
}

void CGame::FilterEdgePieces(bool on)
{
    for (CGroup& group : groups) {
        group.hidden = on;
        if (!on) continue;
        for (int m : group.members) {
            if (IsValidPieceIndex(m) && IsEdgePiece(pieces[m])) {
                group.hidden = false;
                break;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// The board: one frame of play, and the player's hand on it.

#include <cmath>
#include <numeric>

#include "app/CMgrInput.h"
#include "app/CTimer.h"
#include "resources/CFont.h"
#include "resources/ResourceNames.h"
#include "sound/CMgrSound.h"

namespace {

// Groups are kept inside this part of the board, clear of the panel.
constexpr float kBoardRight = 790.0f;
constexpr float kBoardBottom = 560.0f;
// The finished picture glides to its resting place at this speed per axis.
constexpr float kSampleSpeed = 150.0f;
constexpr float kSecondsPerClockStep = 1.0f;
constexpr int kClockMinutesWrap = 10000;
// The selection rectangle's green pulses at this many degrees per second.
constexpr float kPulseSpeed = 250.0f;
// Along a join a neighbour fits within this share of its offset; across it
// within these many pixels.
constexpr float kAlongTolerance = 0.25f;
constexpr float kAcrossSideways = 15.0f;
constexpr float kAcrossUpDown = 20.0f;

FloatPoint ToFloat(Point p) { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }

// Strictly between target - tolerance and target + tolerance; a tolerance of
// 0 or less leaves no room at all.
bool StrictlyNear(float value, float target, float tolerance)
{
    return value > target - tolerance && value < target + tolerance;
}

void PlaySound(const char* fileName)
{
    SoundMgr.PlaySample(SoundMgr.LoadSample(fileName));
}

// One axis of the finished picture's glide: toward the target, never past it.
float StepToward(float value, float target, float step)
{
    if (value > target) return std::max(target, value - step);
    if (value < target) return std::min(target, value + step);
    return value;
}

}  // namespace

void CGame::Update()
{
    const float dt = Timer.GetDelta();
    if (completed) {
        ShowFinishedPicture(dt);
        return;
    }
    AdvanceClock(dt);
    if (groups.size() == 1) {
        CompletePuzzle();
        return;
    }
    DrawGroups();
    Menu.UpdateGamePanel();
    DrawSavedBanner(dt);
    if (hasSelection && InputMgr.IsLeftButtonDown()) GrabSelection();
    HandleMouse();
    UpdatePictureWindow();
    UpdateSelectionRectangle(dt);
    MoveSelection();
}

// Whole seconds only: what is left over a second is dropped, so a long frame
// moves the clock by one second.
void CGame::AdvanceClock(float dt)
{
    clockFraction += dt;
    if (clockFraction < kSecondsPerClockStep) return;
    clockFraction = 0;
    if (++clockSeconds < 60) return;
    clockSeconds = 0;
    if (++clockMinutes > kClockMinutesWrap) clockMinutes = 0;
}

void CGame::CompletePuzzle()
{
    samplePos = {groups.front().x, groups.front().y};
    completed = true;
    PlaySound(res::kSoundLevelDone);
    // The press that made the last join does nothing more.
    InputMgr.Reset();
}

void CGame::ShowFinishedPicture(float dt)
{
    Menu.UpdateGamePanel();
    ImageMgr.Draw(App.GetBackDC(), CutPreview.GetClean(), samplePos.x, samplePos.y);
    const float step = dt * kSampleSpeed;
    samplePos.x = StepToward(samplePos.x, sampleTarget.x, step);
    samplePos.y = StepToward(samplePos.y, sampleTarget.y, step);
}

// The right and bottom edges first: a group larger than the board ends up at
// a negative position, its top-left part out of sight.
void CGame::KeepOnBoard(CGroup& group)
{
    if (group.x + group.width > kBoardRight)
        group.x = kBoardRight - group.width;
    else if (group.x < 0)
        group.x = 0;
    if (group.y + group.height > kBoardBottom)
        group.y = kBoardBottom - group.height;
    else if (group.y < 0)
        group.y = 0;
}

void CGame::DrawGroups()
{
    // While something is carried nothing else moves under the player's hand.
    const bool keepOnBoard = !holdingGroup && !movingSelection;
    Surface& back = App.GetBackDC();
    for (int g : drawOrder) {
        if (!IsValidGroupIndex(g)) continue;
        CGroup& group = groups[g];
        if (group.hidden) continue;
        if (keepOnBoard) KeepOnBoard(group);
        for (auto m = group.members.rbegin(); m != group.members.rend(); ++m) {
            if (!IsValidPieceIndex(*m)) continue;
            const CPiece& piece = pieces[*m];
            if (group.selected)
                ImageMgr.DrawPieceLighten(back, piece, group.x + piece.x, group.y + piece.y);
            else
                ImageMgr.DrawPieceTransparent(back, piece, group.x + piece.x, group.y + piece.y);
        }
    }
}

// Shown in every frame of its time, the one in which the time runs out too.
void CGame::DrawSavedBanner(float dt)
{
    if (!savedBanner) return;
    savedBannerTime -= dt;
    if (savedBannerTime <= 0) savedBanner = false;
    SmallFont.Print(350, 10, "GAME SAVED!");
}

void CGame::UpdatePictureWindow()
{
    if (!CMenu::IsShowPicture()) return;
    if (draggingPreview) {
        const FloatPoint cursor = ToFloat(CMgrInput::GetCursor());
        previewPos = {cursor.x - grabOffset.x, cursor.y - grabOffset.y};
    }
    ImageMgr.DrawTransparent(App.GetBackDC(), CutPreview.GetFrame(), previewPos.x, previewPos.y);
    ImageMgr.Draw(App.GetBackDC(), CutPreview.GetSmall(), previewPos.x + 4, previewPos.y + 15);
}

void CGame::UpdateSelectionRectangle(float dt)
{
    if (!selecting) return;
    if (!InputMgr.IsLeftButtonDown()) {
        selecting = false;
        FinishSelection();
        return;
    }
    selectionEnd = CMgrInput::GetCursor();
    const int green = static_cast<int>(std::sin(selectionPulse * 3.14f / 180.0f) * 25.0f + 230.0f);
    ImageMgr.DrawFrame(App.GetBackDC(), selectionStart.x, selectionStart.y, selectionEnd.x, selectionEnd.y,
                       MakeColour(0, green, 0), 1);
    // A whole turn changes nothing; wrapping keeps the angle precise in long games.
    selectionPulse = std::fmod(selectionPulse + dt * kPulseSpeed, 360.0f);
}

// A moved selection never snaps or joins; it is kept on the board from the
// next frame on.
void CGame::MoveSelection()
{
    if (!movingSelection) return;
    const FloatPoint cursor = ToFloat(CMgrInput::GetCursor());
    if (!InputMgr.IsLeftButtonDown()) {
        movingSelection = false;
        DeselectAll();
        return;
    }
    for (CGroup& group : groups) {
        if (!group.selected) continue;
        group.x = cursor.x - group.grabX;
        group.y = cursor.y - group.grabY;
    }
}

// ---------------------------------------------------------------- the hand

// Strict on the left and top, inclusive on the right and bottom, and only
// where the mask is exactly white: a click on a transparent corner of the box
// falls through to whatever lies below.
bool CGame::IsPieceUnderCursor(const CGroup& group, int index, Point cursor, FloatPoint* offset) const
{
    if (!IsValidPieceIndex(index)) return false;
    const CPiece& piece = pieces[index];
    const float px = group.x + piece.x, py = group.y + piece.y;
    const FloatPoint c = ToFloat(cursor);
    if (!(px < c.x && c.x <= px + piece.width && py < c.y && c.y <= py + piece.height)) return false;
    // Outside the mask GetPixel answers a value that is never white.
    if (piece.mask.GetPixel(static_cast<int>(c.x - px), static_cast<int>(c.y - py)) != kWhite) return false;
    if (offset) *offset = {c.x - px, c.y - py};
    return true;
}

bool CGame::IsInsidePictureWindow(Point cursor) const
{
    const CImage& frame = CutPreview.GetFrame();
    const FloatPoint c = ToFloat(cursor);
    return previewPos.x < c.x && c.x < previewPos.x + frame.width && previewPos.y < c.y &&
           c.y < previewPos.y + frame.height;
}

void CGame::HandleMouse()
{
    if (movingSelection) return;
    const bool down = InputMgr.IsLeftButtonDown();
    if (draggingPreview && !down) {
        Drop();
        return;
    }
    if (holdingGroup) {
        // The panel may have replaced the puzzle under the carried group.
        if (groups.empty() || !IsValidPieceIndex(heldPiece)) {
            holdingGroup = false;
            return;
        }
        const FloatPoint cursor = ToFloat(CMgrInput::GetCursor());
        CGroup& carried = groups.back();
        carried.x = cursor.x - grabOffset.x - pieces[heldPiece].x;
        carried.y = cursor.y - grabOffset.y - pieces[heldPiece].y;
        if (!down) {
            holdingGroup = false;
            Drop();
        }
    } else if (down && !draggingPreview && !selecting) {
        PickUp();
    }
}

void CGame::PickUp()
{
    const Point cursor = CMgrInput::GetCursor();
    if (CMenu::IsShowPicture() && IsInsidePictureWindow(cursor)) {
        grabOffset = {cursor.x - previewPos.x, cursor.y - previewPos.y};
        draggingPreview = true;
        return;
    }

    int hitGroup = -1;
    for (auto g = drawOrder.rbegin(); g != drawOrder.rend() && hitGroup < 0; ++g) {
        if (!IsValidGroupIndex(*g) || groups[*g].hidden) continue;
        for (int m : groups[*g].members) {
            if (!IsPieceUnderCursor(groups[*g], m, cursor, &grabOffset)) continue;
            hitGroup = *g;
            heldPiece = m;
            break;
        }
    }
    if (hitGroup < 0) {
        selecting = true;
        selectionStart = cursor;
        DeselectAll();
        return;
    }

    selecting = false;
    holdingGroup = true;
    // The carried group goes last, so that it is drawn on top.
    CGroup carried = std::move(groups[hitGroup]);
    groups.erase(groups.begin() + hitGroup);
    groups.push_back(std::move(carried));
    SyncInGroup();
}

bool CGame::FitsOnSide(int side, const CPiece& q, FloatPoint atQ, FloatPoint atNeighbour)
{
    const float dx = q.neighbourDX[side], dy = q.neighbourDY[side];
    switch (side) {
    case kLeft:
        return StrictlyNear(atNeighbour.x, atQ.x - dx, kAlongTolerance * dx) &&
               std::fabs(atQ.y - atNeighbour.y) < kAcrossSideways;
    case kRight:
        return StrictlyNear(atNeighbour.x, atQ.x + dx, kAlongTolerance * dx) &&
               std::fabs(atQ.y - atNeighbour.y) < kAcrossSideways;
    case kUp:
        return StrictlyNear(atNeighbour.y, atQ.y - dy, kAlongTolerance * dy) &&
               std::fabs(atQ.x - atNeighbour.x) < kAcrossUpDown;
    default:
        return StrictlyNear(atNeighbour.y, atQ.y + dy, kAlongTolerance * dy) &&
               std::fabs(atQ.x - atNeighbour.x) < kAcrossUpDown;
    }
}

// Walks the dropped group's candidates: a candidate's group fits when one of
// the candidate's neighbours that belongs to the dropped group lies at its
// place beside it. Membership is read exactly from the pieces' groups, so a
// piece of a third group is never taken for one of the dropped group's.
std::vector<int> CGame::CollectFittingGroups() const
{
    const int h = static_cast<int>(groups.size()) - 1;
    const CGroup& dropped = groups[h];
    std::vector<int> joining;
    for (int q : dropped.canJoin) {
        if (!IsValidPieceIndex(q)) continue;
        const CPiece& candidate = pieces[q];
        const int g = candidate.inGroup;
        // A candidate of the dropped group itself would join the group to itself.
        if (!IsValidGroupIndex(g) || g == h || groups[g].hidden) continue;
        if (std::find(joining.begin(), joining.end(), g) != joining.end()) continue;
        const FloatPoint atQ{groups[g].x + candidate.x, groups[g].y + candidate.y};
        for (int side = kLeft; side <= kDown; ++side) {
            const int nb = candidate.neighbour[side];
            if (!IsValidPieceIndex(nb) || pieces[nb].inGroup != h) continue;
            const FloatPoint atNeighbour{dropped.x + pieces[nb].x, dropped.y + pieces[nb].y};
            if (FitsOnSide(side, candidate, atQ, atNeighbour)) {
                joining.push_back(g);
                break;
            }
        }
    }
    return joining;
}

void CGame::Drop()
{
    if (draggingPreview) {
        draggingPreview = false;
        return;
    }
    if (groups.empty()) return;
    const std::vector<int> joining = CollectFittingGroups();
    if (!joining.empty()) JoinGroups(joining);
}

// The dropped group stays where it was dropped, anchored by its first piece;
// the joining groups' pieces jump into their places in the picture beside it.
void CGame::JoinGroups(const std::vector<int>& joining)
{
    const int h = static_cast<int>(groups.size()) - 1;
    CGroup joined = groups[h];
    for (int g : joining) {
        const CGroup& other = groups[g];
        joined.members.insert(joined.members.end(), other.members.begin(), other.members.end());
        joined.canJoin.insert(joined.canJoin.end(), other.canJoin.begin(), other.canJoin.end());
    }
    joined.TidyCanJoin();

    const int anchor = groups[h].members.empty() ? -1 : groups[h].members.front();
    const FloatPoint anchorBefore = IsValidPieceIndex(anchor) ? FloatPoint{pieces[anchor].x, pieces[anchor].y}
                                                              : FloatPoint{};

    groups[h].mergeMark = true;
    for (int g : joining) groups[g].mergeMark = true;
    groups.erase(std::remove_if(groups.begin(), groups.end(), [](const CGroup& group) { return group.mergeMark; }),
                 groups.end());
    groups.push_back(std::move(joined));
    SyncInGroup();

    const int n = static_cast<int>(groups.size()) - 1;
    CGroup& result = groups[n];
    std::sort(result.members.begin(), result.members.end(), std::greater<int>());
    LayOutGroup(n);
    if (IsValidPieceIndex(anchor)) {
        result.x -= pieces[anchor].x - anchorBefore.x;
        result.y -= pieces[anchor].y - anchorBefore.y;
    }

    drawOrder.resize(groups.size());
    std::iota(drawOrder.begin(), drawOrder.end(), 0);
    PlaySound(res::kSoundPieceConnection);
}

void CGame::FinishSelection()
{
    movingSelection = false;
    DeselectAll();
    const FloatPoint cursor = ToFloat(CMgrInput::GetCursor());
    const float left = static_cast<float>(std::min(selectionStart.x, selectionEnd.x));
    const float right = static_cast<float>(std::max(selectionStart.x, selectionEnd.x));
    const float top = static_cast<float>(std::min(selectionStart.y, selectionEnd.y));
    const float bottom = static_cast<float>(std::max(selectionStart.y, selectionEnd.y));
    auto inside = [&](float x, float y) { return left <= x && x <= right && top <= y && y <= bottom; };

    std::vector<CGroup> caught;
    for (CGroup& group : groups) {
        for (int m : group.members) {
            if (!IsValidPieceIndex(m)) continue;
            const CPiece& piece = pieces[m];
            const float px = group.x + piece.x, py = group.y + piece.y;
            if (!inside(px, py) && !inside(px + piece.width, py + piece.height)) continue;
            hasSelection = true;
            group.selected = true;
            group.grabX = cursor.x - group.x;
            group.grabY = cursor.y - group.y;
            caught.push_back(group);
            break;
        }
    }
    if (caught.empty()) return;
    // The selection goes last, in the order caught, so that it is drawn on top.
    groups.erase(std::remove_if(groups.begin(), groups.end(), [](const CGroup& group) { return group.selected; }),
                 groups.end());
    groups.insert(groups.end(), std::make_move_iterator(caught.begin()), std::make_move_iterator(caught.end()));
    SyncInGroup();
}

void CGame::GrabSelection()
{
    const Point cursor = CMgrInput::GetCursor();
    bool hit = false;
    for (const CGroup& group : groups) {
        if (!group.selected) continue;
        for (int m : group.members) {
            if (IsPieceUnderCursor(group, m, cursor, nullptr)) {
                hit = true;
                break;
            }
        }
        if (hit) break;
    }
    hasSelection = false;
    if (!hit) {
        DeselectAll();
        return;
    }
    movingSelection = true;
    const FloatPoint c = ToFloat(cursor);
    for (CGroup& group : groups) {
        if (!group.selected) continue;
        group.grabX = c.x - group.x;
        group.grabY = c.y - group.y;
    }
}
