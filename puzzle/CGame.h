// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle in play: the picture's name, the size of the cut, the pieces,
// the ordered list of groups of joined pieces, the play clock and the state of
// the mouse interaction.
//
// The class spans one file per role: CGame.cpp (the model), CGameCut.cpp,
// CGameStart.cpp, CGameSave.cpp, CGameBoard.cpp and CGameHand.cpp.
//
// Invariants during play: every piece is a member of exactly one group and its
// inGroup names that group; no group's canJoin holds one of its own members;
// the puzzle is solved exactly when one group is left.
//
// Nothing rests under the shown picture window (CGameHand.cpp): a group or a
// moved selection let go on it, and the groups it is put down or shown on,
// go beside it on the free board (to the nearest side that keeps them on
// it); ARRANGE steps past it like a built group. While a group is carried or
// a selection moved, the board draws the resting groups, then the window,
// then the lifted groups, so these pass over it, in whole and partial
// frames alike; with nothing lifted the window is drawn last, after the hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "platform/Surface.h"
#include "puzzle/ArrangeLayout.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CBoardHistory.h"
#include "puzzle/CGroup.h"
#include "puzzle/CJoinFlash.h"
#include "puzzle/CPiece.h"
#include "puzzle/PuzzleRecords.h"
#include "puzzle/TableView.h"
#include "puzzle/ZoomedPieces.h"

struct SavedGame;
class PiecesCutAhead;

struct FloatPoint {
    float x = 0;
    float y = 0;
};

class CGame {
public:
    static constexpr const char* kSavedGameName = "game.pvs";
    // The four board colours the in-game panel offers; the first is the default.
    static constexpr int kBoardColours[4][3] = {{127, 154, 168}, {0, 122, 183}, {242, 205, 186}, {170, 103, 103}};
    // Grey of the outline drawn around each piece's image.
    static constexpr Colour kOutlineColour = MakeColour(85, 85, 85);
    // Groups at rest are kept inside this part of the board, clear of the
    // bottom panel; the top bars end at kTopBarsBottom.
    static constexpr float kBoardRight = 790.0f;
    static constexpr float kBoardBottom = 560.0f;
    static constexpr float kTopBarsBottom = 34.0f;

    // Index of the piece at (column, row) of a columns x rows cut. A cell
    // outside the cut is a program fault: it is reported, the game is asked to
    // quit, and the answer is 0 so that the caller can carry on until then.
    static unsigned GetArrayIndex(int column, int row, unsigned columns, unsigned rows);
    bool IsValidPieceIndex(int index) const { return index >= 0 && index < static_cast<int>(pieces.size()); }
    bool IsValidGroupIndex(int index) const { return index >= 0 && index < static_cast<int>(groups.size()); }

    void SetSize(int columns, int rows);
    // Makes piecesX * piecesY blank pieces.
    void AllocatePieces();
    void FreePieces();
    void SetImageName(const char* fileName);

    // Cuts piece (column, row) out of the cut preview's working picture.
    void BuildPiece(int column, int row);
    // The same for several cells: placed one after the other (the scatter's
    // random numbers come in the same order), then cut side by side on the
    // processor's cores; those `ahead` holds already cut are taken from it.
    void BuildPieces(const std::vector<Point>& cells, PiecesCutAhead* ahead = nullptr);

    // A piece's box on the cut's picture, in units, and its outline inside it.
    struct CellBox {
        Point outline[CCutPreview::kOutlinePoints];
        int minX = 0;
        int minY = 0;
        int width = 0;
        int height = 0;
    };
    // Cell (column, row)'s box, its outline moved into it.
    static CellBox CutBoxOf(int column, int row);
    // Whether the piece shows its outline: a Border cut's ring shows as one piece.
    bool ShowsOutline(int column, int row) const { return !IsRingPiece(column, row); }
    // A piece's image and mask cut from `picture` at `scale` pixels a unit.
    // Reads nothing of the game: pieces are cut on several threads, and
    // ahead of the game's own while the picture is still being made.
    static void CutFrom(const Surface& picture, int scale, const CellBox& box, bool withOutline, CPiece& piece);
    static bool CutsPieceImages() { return cutPieceImages; }
    // After the cut, once its picture is let go: the copies' groundwork.
    void PrepareTheTable();
    // Cuts every piece's image and mask again from the cut page's picture,
    // now at another drawing scale; positions, groups and all else stay.
    void CutPiecesAgain();
    // The back buffer's drawing scale changed: the cut page's picture and
    // the pieces are made again at it, the puzzle in play kept as it is.
    void MatchDrawingScale(int scale);
    // Whether BuildPiece cuts each piece's mask and image (the default). The
    // saved-game fuzz program turns it off: it checks the puzzle's structure,
    // which the outline and corners alone decide, thousands of times a second.
    static void SetCutPieceImages(bool on) { cutPieceImages = on; }
    // Fills the 4-connected region around (x, y) of pixels that do not have
    // the colour yet, inside the width x height top-left part of the surface.
    static void FloodFill(Surface& surface, int x, int y, Colour colour, float width, float height);

    // Start of play: resets the play state, links neighbours, forms and
    // shuffles the first groups.
    void StartGame();
    void LinkNeighbours();
    void BuildGroups();
    void BuildGroupsWithBorder();
    // Places the members of a group relative to each other from their lattice
    // corners, so that neighbouring images meet exactly, and sets its extent.
    void LayOutGroup(int group);

    // Lays the loose single pieces out in rows on the free board, each wholly
    // below the top bars and none on a built group; when the rows don't fit
    // they are packed tighter, then laid over other loose pieces.
    void ArrangePieces();
    // Where the group's pieces' images reach on the board.
    LayoutBox ImageBox(const CGroup& group) const;
    void SyncInGroup();
    void DeselectAll();
    void ClearGroups();
    // A line of text at the top of the board for some seconds: "GAME SAVED!",
    // or what went wrong with a save or a load.
    void ShowBanner(const char* text, float seconds);
    void ShowSavedBanner(float seconds) { ShowBanner("GAME SAVED!", seconds); }
    void SetBackgroundColor(int red, int green, int blue);
    void SetPreviewPos(float x, float y);
    // Shows only the groups that hold an edge piece (with the Border option
    // also the ring next to the pre-joined frame), or everything again.
    void FilterEdgePieces(bool on);

    // The saved game "game.pvs", written whole or not at all. With no puzzle
    // in play there is nothing to save and the file stays as it was; a save
    // that fails is logged with its reason and leaves the old file as it was.
    enum class SaveResult { Saved, NothingToSave, Failed };
    SaveResult SaveGame();
    // Saves the unsolved puzzle in play when it changed since it was last
    // saved or loaded (or started): the player is leaving it. Its own file
    // on the shelf is written in any case, with the clock as it stands.
    SaveResult AutoSave();
    bool HasUnsavedChanges() const;
    // The whole file is read and checked, and the puzzle built from it,
    // before the puzzle in play is given up: only a saved game that loads
    // replaces it. Missing and Damaged leave everything as it was.
    // PictureMissing: the player's own picture behind the save is gone
    // (GetMissingPicture names it).
    enum class LoadResult { Loaded, Missing, Damaged, PictureMissing };
    LoadResult LoadGame(const char* fileName = kSavedGameName);
    const std::string& GetMissingPicture() const { return missingPicture; }

    // The shelf of puzzles in progress, one per picture (CGameShelf.cpp).
    // Seconds of play between two saves of a changed puzzle to its own file.
    static constexpr float kShelfSeconds = 30.0f;
    // LOAD GAME: the most recently saved of "game.pvs" and the shelf's
    // puzzles; a damaged one is skipped with a log line.
    LoadResult LoadNewest();
    // The player's picture file a saved game would be built from (the first
    // of its names found on the disk), so that it can be decoded ahead of
    // the load; empty for the game's own pictures, a save that cannot be
    // read and a picture that is gone. NewestPlayerPicture: that of the
    // save LoadNewest tries first.
    std::string SavedPlayerPicture(const char* fileName = kSavedGameName) const;
    std::string NewestPlayerPicture() const;
    // The puzzle in play to its own file now, when it is unsolved.
    void KeepOnShelf();
    // The player takes a picture's puzzle in progress off the list: its file
    // leaves the shelf, and "game.pvs" goes too when it holds that picture,
    // so that LOAD GAME does not bring it back. `puzzleFile` is the shelf's
    // file (relative to the write folder); the picture's thumbnail goes with
    // it when `withThumbnail`.
    static void RemoveKeptPuzzle(const std::string& puzzleFile, const std::string& picture, bool withThumbnail);
    // The solve of the puzzle now finished: its time and the records after it.
    const PuzzleRecords::Finish& GetFinish() const { return finish; }
    // Seconds the finished picture has been shown.
    float GetSecondsSinceSolved() const { return secondsSinceSolved; }
    // "SOLVED IN 4:39  -  BEST TIME 3:58", or that it is a new best.
    std::string FinishLine() const;
    // A time of play as the finish tells it: "4:39", "1:02:03".
    static std::string FormatDuration(float seconds);
    // The panel's LOAD: back to the saved game. When that is this same
    // puzzle, undo takes the load back like any other action.
    LoadResult LoadGameInPlay();
    // The play clock counts only play: the application stops it while the
    // player is away (the window minimised, hidden or not in front). The
    // board is still drawn and answers the mouse meanwhile.
    void StopClock(bool stop) { clockStopped = stop; }
    bool IsClockStopped() const { return clockStopped; }
    // Seconds of play on the clock.
    float GetPlayTime() const;
    void SetPlayTime(float seconds);

    // One frame of play: the clock, the groups, the panel, the mouse.
    void Update();
    // Everything of the puzzle that a frame of play is drawn from or changes,
    // but the part of the clock's second gone by: equal digests before and
    // after an Update, and again before the next, mean that frame would be
    // drawn the same (with no input in between).
    std::uint64_t FrameSignature() const;
    // A frame in which nothing is drawn since it would be the last one
    // again: only time goes on. Answers false, having changed nothing, when
    // the clock would show the next second: that frame is a full Update.
    bool Rest(float dt);
    // After a frame at rest: the seconds until the board changes by itself
    // (the clock's next second); a finished puzzle stays as it is for good.
    double SecondsOfRest() const;
    // A frame of play in which nothing moves but the carried group: the part
    // of the board, in units, that its next Update changes (the group and its
    // shadow where the last frame drew them and where they are drawn now).
    // Drawing that part alone over the last frame gives the whole frame, pixel
    // for pixel. False when anything else may change (the first frame of a
    // carry, the clock's next second, a flash, a banner, a selection, a
    // button lit under the cursor, ...): that frame is drawn whole.
    bool ChangedArea(float dt, PixelRect& area) const;
    // The clock and its plate in the top bar, in units: all that a frame of
    // a resting board changes when the clock shows the next second.
    static constexpr PixelRect kClockArea{640, 0, 800, 34};
    // The in-game panel that Update draws over the groups each frame (the
    // screens own it; the application hands it over at start-up).
    void SetPanel(void (*drawPanel)()) { panel = drawPanel; }
    // Undo and redo of the player's actions on the puzzle in play: drops and
    // the joins they made, moved selections, Arrange, the in-game LOAD. Every
    // group goes back exactly; answers false with nothing to take back.
    bool Undo();
    bool Redo();
    const CBoardHistory& GetHistory() const { return history; }
    // The player's hand on the board, called from Update.
    void HandleMouse();
    void PickUp();
    void Drop();
    void GrabSelection();
    void FinishSelection();

    int GetPiecesX() const { return piecesX; }
    int GetPiecesY() const { return piecesY; }
    int GetPieceCount() const { return static_cast<int>(pieces.size()); }
    // The index must be valid (IsValidPieceIndex).
    const CPiece& GetPiece(int index) const { return pieces[index]; }
    const std::vector<CGroup>& GetGroups() const { return groups; }
    const std::vector<int>& GetDrawOrder() const { return drawOrder; }
    const char* GetImageName() const { return imageName; }
    bool IsCompleted() const { return completed; }
    int GetClockMinutes() const { return clockMinutes; }
    int GetClockSeconds() const { return clockSeconds; }
    bool IsSavedBannerShown() const { return savedBanner; }
    const char* GetBannerText() const { return bannerText; }
    FloatPoint GetPreviewPos() const { return previewPos; }
    FloatPoint GetSampleTarget() const { return sampleTarget; }
    FloatPoint GetSamplePos() const { return samplePos; }
    float GetClockFraction() const { return clockFraction; }
    bool IsHoldingGroup() const { return holdingGroup; }
    bool IsDraggingPreview() const { return draggingPreview; }
    bool IsSelecting() const { return selecting; }
    bool HasSelection() const { return hasSelection; }
    bool IsMovingSelection() const { return movingSelection; }
    const CJoinFlash& GetJoinFlash() const { return joinFlash; }
    // The part of the table on screen (CGameTable.cpp). A change of view is
    // no action of the player's: undo never takes it back.
    const TableView& GetView() const { return view; }
    // How many times the board's size the table is, across and down: 1 for
    // the cuts that lie on the board; a large cut's table has room for the
    // finished picture and every piece spread out beside it.
    float TableSpan() const;
    // The table's free board in table units: the board's (the 800 x 600
    // frame less the bars) times TableSpan.
    LayoutBox FreeTable() const;

    void SetView(int step, TablePoint origin) { view.Set(step, origin); }
    // Where a point of the screen lies on the table.
    TablePoint ToTable(Point screen) const
    {
        return view.ToTable({static_cast<float>(screen.x), static_cast<float>(screen.y)});
    }
    // Screen units the arrow keys move the table by in a second.
    static constexpr float kKeyPanSpeed = 600.0f;
    // Test hook: a selection resting on the groups marked selected.
    void TestHookSetSelection(bool on) { hasSelection = on; }
    // Test hook: the groups, to lay out a board position for a test.
    std::vector<CGroup>& TestHookGroups() { return groups; }
    void TestHookKeepOnBoard(CGroup& group) { KeepOnBoard(group); }
    // Test hook: the groups at rest drawn through the view into the back buffer, as a frame draws them.
    void TestHookDrawGroups() { DrawGroups(false); }
    std::uint64_t TestHookCopiesMade() const { return zoomed.CopiesMade(); }
    // While the table rests: a few more of the copies the wheel's next notch
    // will draw, the way it last went, so that a notch after a pause shows
    // at once. True while some are left to make for this view.
    bool MakeCopiesAhead();

    // The board colour, read by the frame loop to clear the back buffer.
    int backgroundColor[3] = {kBoardColours[0][0], kBoardColours[0][1], kBoardColours[0][2]};

private:
    // SavedPlayerPicture's work; false when the save cannot be read.
    bool ReadPlayerPicture(const char* fileName, std::string& picture) const;
    static inline bool cutPieceImages = true;
    static void FillInside(Surface& mask);
    static CellBox BoxOfCell(int column, int row);
    void CutPieceImage(CPiece& piece, const CellBox& box);
    // BuildPiece but the cut of its image: the box to cut it from, or false.
    bool PlacePiece(int column, int row, CellBox& box);
    void PackIfLarge(const CPiece& piece);
    void ResetPlayState();
    void Shuffle();
    // A large cut's loose pieces each in a slot of their own over the free
    // table, the slots drawn at random and each piece moved at random within
    // its slot: scattered, and none on another.
    void SpreadOverTable();
    CGroup MakeSingleGroup(int piece);
    void AppendGroup(CGroup group);
    bool IsEdgePiece(const CPiece& piece) const;
    // Cell of a valid piece index, from the row-major order of the array.
    int ColumnOf(int index) const { return piecesX > 0 ? index % piecesX : 0; }
    int RowOf(int index) const { return piecesX > 0 ? index / piecesX : 0; }
    bool IsRingPiece(int column, int row) const;
    // Loading a saved game: the puzzle emptied, and rebuilt from a file that
    // has been read and checked.
    void ClearForLoad();
    bool BuildFromSave(const SavedGame& saved, const char* fileName);
    // The puzzle in play as the saved game holds it.
    SavedGame ToSaved() const;
    // The saved game's text without the play time: what "changed" compares.
    static std::string Fingerprint(const SavedGame& saved);

    // The shelf's side of a frame of play: the puzzle goes to its own file
    // after a join, and every kShelfSeconds of play when it changed.
    void KeepWhilePlaying();
    // A solved puzzle is in progress no more: off the shelf, and out of
    // "game.pvs" when that holds it.
    void TakeSolvedOffShelf();
    void ResetShelfState();
    // A player's picture gets its thumbnail beside its puzzle the first time
    // the puzzle is kept (once a session is asked, not in every frame).
    void KeepThumbnail();
    // "game.pvs" taken away when it holds the picture's puzzle.
    static void RemoveSavedGameOf(const std::string& picture, const char* why);
    // Before a saved game of another picture replaces the puzzle in play,
    // the puzzle is kept on the shelf, as leaving it for the menu keeps it.
    void KeepBeforeLoading(const char* fileName);
    void DrawFinish() const;

    // The table (CGameTable.cpp): the view fitted to a new puzzle, moved by
    // the wheel, the zoom and arrow keys and a drag with the right or middle
    // button; the pieces drawn and hit through it.
    void FitViewToPuzzle();
    void UpdateView(float dt);
    // Input the next Update turns into a change of view.
    bool ViewInputPending() const;
    void DrawPieceOnTable(Surface& back, int index, float x, float y, bool selectedLook, float glow);
    void DrawShadowOnTable(Surface& back, int index, float x, float y);
    // The piece as the view draws it, and the screen unit of its top-left.
    const CPiece& PieceAsDrawn(int index) const;
    void MakeCopiesInSight();
    // The pieces the view shows (some of them perhaps only just), drawn
    // through copies.
    std::vector<int> PiecesInSightThroughCopies() const;
    Point ScreenCorner(float x, float y) const;
    bool IsPieceUnderCursorOnTable(const CGroup& group, int index, Point cursor, FloatPoint* offset) const;

    // The board, one frame at a time.
    void DrawPanel() const
    {
        if (panel) panel();
    }
    void AdvanceClock(float dt);
    void CompletePuzzle();
    void ShowFinishedPicture(float dt);
    void KeepOnBoard(CGroup& group);
    // The picture window's area in table units, as the view shows it now.
    PixelRect PictureWindowOnTable() const;
    // The groups at rest, or the lifted ones: the carried group, a moving selection.
    void DrawGroups(bool liftedOnes);
    void RememberCarry(bool drewCarried);
    void DrawSavedBanner(float dt);
    // The bottom bar's count: pieces joined out of all.
    void DrawJoinedCount() const;
    int JoinedPieces() const;
    void UpdatePictureWindow();
    void UpdateSelectionRectangle(float dt);
    // The pulse of the selection rectangle and of the selected pieces' edges.
    void AdvancePulse(float dt);
    void MoveSelection();
    // Whether the cursor lies on a visible pixel of the piece, a member of the
    // group; the offset of the cursor inside the piece's image comes back.
    bool IsPieceUnderCursor(const CGroup& group, int piece, Point cursor, FloatPoint* offset) const;
    bool IsInsidePictureWindow(Point cursor) const;
    // The shown picture window on the board, in whole units.
    PixelRect PictureWindowArea() const;
    bool ShowsUnderPictureWindow(const CGroup& group, const PixelRect& window) const;
    // Nothing is left under the picture window: groups let go on it go beside it.
    void PutBesidePictureWindow(const std::vector<int>& groupIndices);
    void ClearPictureWindow();
    // Whether the neighbour's image, seen from q's, lies at its place on the side.
    static bool FitsOnSide(int side, const CPiece& q, const CPiece& neighbour, FloatPoint atQ,
                           FloatPoint atNeighbour);
    // Where the neighbour on that side of q lies in the finished picture,
    // relative to q's image.
    static FloatPoint PlaceBeside(const CPiece& q, int side, const CPiece& neighbour);
    // The groups of the dropped group's candidates that fit against it.
    std::vector<int> CollectFittingGroups() const;
    void JoinGroups(const std::vector<int>& joining);
    // Undo (CGameUndo.cpp): the board before an action, kept when the action
    // changed it.
    BoardSnapshot CaptureBoard() const;
    void RestoreBoard(const BoardSnapshot& snapshot);
    void BeginAction();
    void EndAction();
    void HandleUndoKeys();

    bool savedBanner = false;
    float savedBannerTime = 0;
    const char* bannerText = "GAME SAVED!";
    // The puzzle as last saved or loaded; empty for one never saved.
    std::string savedFingerprint;
    // The puzzle as it last went to its own file on the shelf, the play time
    // then, and the group count of the last frame (a join lowers it).
    std::string shelvedFingerprint;
    float shelvedAt = 0;
    std::size_t lastGroupCount = 0;
    bool thumbnailKept = false;
    std::string missingPicture;
    PuzzleRecords::Finish finish;
    float secondsSinceSolved = 0;
    std::vector<CGroup> groups;
    std::vector<int> drawOrder;
    int piecesX = 0;
    int piecesY = 0;
    bool holdingGroup = false;
    bool draggingPreview = false;
    std::vector<CPiece> pieces;
    FloatPoint grabOffset;
    int heldPiece = 0;
    FloatPoint previewPos{20, 20};
    // Whether the last frame showed the picture window: shown anew, it clears its place.
    bool pictureWindowShown = false;
    bool selecting = false;
    Point selectionStart{100, 100};
    Point selectionEnd{200, 200};
    bool movingSelection = false;
    bool hasSelection = false;
    char imageName[kMaxPath] = {};
    bool completed = false;
    FloatPoint samplePos;
    FloatPoint sampleTarget;
    bool clockStopped = false;
    float clockFraction = 0;
    int clockMinutes = 0;
    int clockSeconds = 0;
    // Angle in degrees of the selection rectangle's pulsing green.
    float selectionPulse = 0;
    void (*panel)() = nullptr;
    CBoardHistory history;
    CJoinFlash joinFlash;
    // The carried group as the last Update drew it, and what else that frame
    // was drawn from, for ChangedArea.
    struct CarryDrawn {
        bool valid = false;
        PixelRect area;  // in units, shadow included
        int piece = -1;
        std::uint64_t still = 0;  // StillSignature after the frame
        Point cursor;
    };
    CarryDrawn carryDrawn;
    std::uint64_t Digest(bool carriedPosition) const;
    // All FrameSignature holds but where the carried group is.
    std::uint64_t StillSignature() const { return Digest(false); }
    // Where the carried group and its shadow lie now, in units, with a unit to spare.
    PixelRect CarriedArea() const;
    BoardSnapshot actionBefore;
    bool actionPending = false;
    TableView view;
    mutable ZoomedPieces zoomed;
    // A drag of the table with the right or middle button, from where the
    // cursor was in the last frame.
    bool panning = false;
    Point panFrom;
    // The way the view last zoomed: 1 in, -1 out. The copies made ahead
    // while the table rests are those of the next step that way.
    int lastZoomWay = 1;
    std::uint64_t aheadView = 0;  // the view and step they are made for
    std::size_t aheadNext = 0;    // the next of the pieces in sight to make one for
};

extern CGame Game;
