// SPDX-License-Identifier: GPL-3.0-or-later
// The menu screens and the in-game panel. Three pages: the picture choice,
// the cut choice (pieces per side and edge style on a preview) and the build
// progress, which starts the game. The same object owns the in-game panel's
// pictures and buttons, and the three game options the puzzle reads.
#pragma once

#include <cstdint>
#include <string>

#include "puzzle/GameOptions.h"
#include "resources/CImage.h"
#include "screens/CButton.h"
#include "screens/CSlider.h"
#include "screens/PictureMarks.h"

constexpr int MENU_PICTURES = 0;
constexpr int MENU_CUT = 1;
constexpr int MENU_CALCULATE = 2;

class CMenu {
public:
    static constexpr int kPictureCount = 15;
    static constexpr int kColourCount = 4;
    // Seconds the finished bar stays on screen before play starts.
    static constexpr float kHoldSeconds = 1.0f;
    // The time each frame of the progress page may spend cutting pieces.
    static constexpr double kBuildBudgetSeconds = 0.010;
    // A large cut's frames cut for longer: drawing a frame costs more than
    // cutting a few pieces, and the page still moves 25 times a second.
    static constexpr double kLargeBuildBudgetSeconds = 0.040;

    // Loads every picture, widget and the music of the menus and the panel.
    void LoadResources();
    void Update();
    void UpdatePictures();
    void UpdateCut();
    void UpdateCalculate();
    void ReleaseMenuPictures();
    // The in-game panel, drawn over the board each frame of play.
    void UpdateGamePanel();
    // What the panel is drawn from besides the puzzle and the cursor: its buttons' toggles.
    std::uint64_t GamePanelSignature() const;
    void Release();

    static void SetPage(int value)
    {
        page = value;
        marksStale = true;  // the picture page reads its marks afresh
    }
    static int GetPage() { return page; }
    // Clears both toggle marks and the options they stand for.
    static void ResetToggles();
    // A line on the picture page, just above LOAD GAME, for some seconds:
    // what became of a saved game ("NO SAVED GAME", "SAVE FAILED!", ...).
    static void ShowMessage(const char* text, float seconds);
    // The line shown now; nullptr when none.
    static const char* GetMessage() { return messageTime > 0 ? message : nullptr; }
    // What the player hears when the picture of their own behind a saved
    // puzzle has been moved or deleted.
    static std::string MissingPictureMessage(const std::string& path);
    // Seconds the lines about saved games stay on screen.
    static constexpr float kMessageSeconds = 2.0f;

    // Actions of the menu pages.
    static void OnLoadGame();
    static void OnCustom();
    static void OnExit();
    static void OnPlay();
    static void OnBack();
    static void OnSmoothLeft();
    static void OnSmoothRight();
    // A picture's puzzle in progress (CMenuKept.cpp): CONTINUE in PLAY's
    // place while the cut page shows its cut.
    static void OnContinue();
    // Whether the cut page shows the cut of the picture's puzzle in progress.
    static bool ShowsKeptCut();
    // The question asked before a new cut replaces a puzzle in progress.
    static std::string NewCutQuestion(int joined, int pieces, float playTime);
    const PictureMarks& GetMarks() const { return marks; }

    // The picture page's pages (CMenuPictures.cpp): the fifteen game
    // pictures first, then the player's own pictures with a puzzle kept or
    // solved, fifteen a page, the most recently played first. Page Down and
    // Page Up, the mouse wheel and the two arrows on the page turn them.
    static constexpr int kPerPage = kPictureCount;
    static int GetPicturePage() { return picturePage; }
    int PicturePageCount() const;
    // Turns by `pages` (negative: back), within the pages there are.
    void TurnPicturePage(int pages);
    // The thumbnail in a slot of a page of the player's pictures, and the
    // picture it stands for; nullptr past the last.
    const CButton& GetOwnButton(int slot) const { return ownButtons[slot]; }
    const PictureMarks::OwnPicture* OwnPictureIn(int slot) const;
    // The two arrows' boxes on the back buffer (units).
    static PixelRect PageArrow(bool forward);
    // A thumbnail's small box that takes its puzzle off the list.
    static PixelRect RemoveBox(const CButton& thumbnail);
    // The question before a picture's puzzle is taken off the list.
    static std::string RemoveQuestion(const PictureMarks::Mark& mark, const std::string& picture);
    // Actions of the in-game panel.
    static void OnMenu();
    static void OnSave();
    static void OnLoad();
    static void OnArrange();
    static void OnBack1();
    static void OnBack2();
    static void OnBack3();
    static void OnBack4();
    static void OnBorder();
    static void OnPicture();

    // The play clock as the panel shows it: "07 : 05", "125 : 40".
    static std::string FormatClock(int minutes, int seconds);
    // The label of an edge style; nullptr for a value that is none of the four.
    static const char* SmoothLabel(float smooth);
    // Where thumbnail i lies once loaded (the frame under the mouse uses it).
    static float ThumbnailLeft(int index, float width);
    static float ThumbnailTop(int index, float height);

    // For tests and the board: read-only views of the widgets.
    const CButton& GetPictureButton(int index) const { return pictureButtons[index]; }
    const CSlider& GetCountSlider() const { return countSlider; }
    static const CButton& GetBorderButton() { return borderButton; }
    static const CButton& GetPictureToggle() { return pictureButton; }

    // Game options: class-wide switches read by the puzzle, which keeps them
    // (Options); these names refer to them.
    static bool IsBorder() { return border; }
    static void SetBorder(bool value) { border = value; }
    static bool IsShowPicture() { return showPicture; }

    // The pre-joined outer ring; set only from a loaded saved game.
    static inline bool& border = Options.border;
    // The in-game edge-pieces filter.
    static inline bool& borderOnly = Options.borderOnly;
    // The small picture window on the board.
    static inline bool& showPicture = Options.showPicture;

    // The one way a picture of the player's opens on the cut page (Custom, a
    // drop, the command line): read and decoded once; a file that cannot
    // become a puzzle costs an in-game message and changes nothing.
    static void OpenCustomPicture(const std::string& path);
    // The picture OpenCustomPicture started opening, once it is decoded (the
    // frame calls it while PictureOpening is busy): the cut page, or the message.
    static void TakeOpenedPicture();

    // What waits for the picture PictureOpening opens: the cut page, or a
    // saved game whose picture is one of the player's files (LOAD GAME,
    // CONTINUE, the panel's LOAD), loaded once it is decoded. Given up on,
    // the load is not done and everything stays as it was.
    enum class AfterOpening { CutPage, LoadNewest, Continue, LoadInPlay };

private:
    void LoadButtons();
    void LoadThumbnails();
    // The page of the player's pictures now shown: their thumbnails read
    // from the shelf (a plain plate for one that has none).
    void LoadOwnThumbnails();
    void UpdateGamePictures(int& selected);
    void UpdateOwnPictures(int& selected);
    void UpdatePageTurning();
    void DrawPageArrows();
    void DrawOwnThumbnail(int slot);
    // What the thumbnail under the cursor offers to take off the list.
    struct Removal {
        bool valid = false;
        std::string puzzleFile;  // on the shelf (there or not, for a solved picture that is gone)
        std::string picture;
        bool own = false;  // a picture of the player's
        PictureMarks::Mark mark;
    };
    Removal RemovalFor(int slot) const;
    static void AskRemoval(const Removal& removal);
    // The × on a removable thumbnail under the cursor, and the right button
    // on it: both ask before the puzzle goes. Answers whether the click was
    // the ×'s.
    bool HandleRemoval(const CButton& thumbnail, int slot, bool clicked);
    void DrawThumbnailFrame(int index);
    void DrawMessage();
    // The slider takes the freshly chosen picture's range and default size.
    void TakeCutDefaults();
    // The cut page of a picture with a puzzle in progress shows its cut.
    void OfferKeptPuzzle();
    // PLAY's work: the pieces of the cut on the page are built.
    static void StartNewCut();
    void StepCountByKeys();
    // Decodes the saved game's picture (when it names one) on the opening's
    // thread first, then loads.
    static void LoadAfterOpening(const std::string& picture, AfterOpening load);
    static void RunLoad(AfterOpening load);
    static void LoadNewestNow();
    static void ContinueNow();
    static void LoadInPlayNow();
    static inline AfterOpening afterOpening = AfterOpening::CutPage;
    // A picture file dropped onto the window opens as Custom opens one.
    static void TakeDroppedPicture();

    // The pages' large pictures: at a drawing scale of 3 each is about a
    // whole frame (17 MB), so only the page shown holds its own; the others
    // are let go and loaded again when their page is drawn next.
    void LetGoOtherPagesArt();
    static void DrawPageArt(CImage& art, const char* name, float x, float y);
    CImage background;      // the picture page's
    CImage backgroundMore;  // its further pages' 
    CImage background2;     // the cut and progress pages'
    CImage calculateImage;  // the progress page's
    CImage panelBottom;
    CImage panelTop;
    CImage timerImage;
    CButton pictureButtons[kPictureCount];
    CButton ownButtons[kPerPage];
    bool ownPlain[kPerPage] = {};  // no thumbnail file: a plate with the file's name
    int ownLoadedPage = -1;
    static inline int picturePage = 0;
    CButton loadGameButton;
    CButton customButton;
    CButton exitButton;
    CButton arrowLeftButton;
    CButton arrowRightButton;
    CSlider countSlider;
    CButton playButton;
    CButton continueButton;
    CButton backButton;
    CButton menuButton;
    CButton colourButtons[kColourCount];
    CButton arrangeButton;
    CButton saveButton;
    CButton loadButton;

    static int page;
    static CButton borderButton;
    static CButton pictureButton;
    static CImage progressBar;
    static float holdTime;
    static double buildStart;  // when the progress page began cutting
    static int buildFrames;    // frames it has cut in; -1 once the cut was logged
    static inline const char* message = nullptr;
    static inline float messageTime = 0;
    PictureMarks marks;
    static inline bool marksStale = true;
    // The cut of the chosen picture's puzzle in progress.
    struct KeptCut {
        bool valid = false;
        std::string file;
        float smooth = 0;
        int columns = 0;
        int rows = 0;
        int joined = 0;
        int pieces = 0;
        float playTime = 0;
    };
    static KeptCut kept;
};

extern CMenu Menu;
