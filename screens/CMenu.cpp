#include "screens/CMenu.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/CApp.h"
#include "app/CLog.h"
#include "app/CMgrInput.h"
#include "app/CTimer.h"
#include "platform/FileDialog.h"
#include "platform/JpegDecoder.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "sound/CMgrSound.h"

CMenu Menu;

bool CMenu::border = false;
bool CMenu::borderOnly = false;
bool CMenu::showPicture = false;
int CMenu::page = MENU_PICTURES;
CButton CMenu::borderButton;
CButton CMenu::pictureButton;
CImage CMenu::progressBar;
float CMenu::holdTime = 0;

namespace {

constexpr Colour kThumbnailFrameColour = 255;  // red
constexpr int kThumbnailFramePen = 2;
constexpr float kThumbnailBox = 128;
constexpr float kProgressBarWidth = 196;
constexpr float kProgressBarHeight = 28;
constexpr const char* kExitLine = "PRESS ANY KEY TO EXIT TO THE MAIN MENU";
constexpr const char* kDialogTitle = "Select your image (.jpg)";
constexpr const char* kDialogFilter = "JPG (*.jpg)";
constexpr const char* kDialogPatterns = "*.jpg *.JPG *.jpeg *.JPEG";

std::string ButtonPath(const char* name, const char* suffix)
{
    return std::string(res::kButtonFolder) + name + suffix;
}

void LoadButton(CButton& button, const char* name, float x, float y, CButton::Action action)
{
    button.Load(ButtonPath(name, res::kButtonActiveSuffix).c_str(), ButtonPath(name, res::kButtonNoActiveSuffix).c_str(),
                x, y);
    button.SetAction(action);
}

std::string ClockPart(int value)
{
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "0%i" : "%i", value);
    return text;
}

bool AnyPress()
{
    return InputMgr.AnyKeyDown() || InputMgr.IsLeftButtonDown() || InputMgr.IsRightButtonDown();
}

// Why the player's file cannot become a puzzle, or empty when it can. The
// picture loader treats a file it cannot read as the end of the game, so a
// file the player picked is decoded once here first: a wrong pick must only
// cost a message.
std::string WhyPictureIsUnusable(const std::string& path)
{
    if (path.size() >= static_cast<std::size_t>(kMaxPath)) return "The path of the picture is too long.";
    // The loader reads names whose extension (after the first ".") is "bmp"
    // as the game's own bitmaps; a picture of the player's is always a JPEG.
    const char* dot = std::strchr(path.c_str(), '.');
    if (dot && std::strcmp(dot + 1, "bmp") == 0) return "Only JPEG pictures (.jpg) can be chosen.";
    JpegDecoder decoder;
    if (!decoder.Init()) return "There is not enough memory to open the picture.";
    Surface decoded;
    bool readable = decoder.ReadHeader(path.c_str()) && decoder.Width() > 0 && decoder.Height() > 0;
    if (readable) {
        decoder.ScaleToAtLeast(1, 1);  // every byte is still decoded, only faster
        readable = decoder.ReadImage(decoded);
    }
    if (readable) return {};
    std::string reason = decoder.ErrorMessage();
    return "The picture could not be read" + (reason.empty() ? std::string(".") : " (" + reason + ").");
}

}  // namespace

// ---------------------------------------------------------------- loading

void CMenu::LoadResources()
{
    border = false;
    ImageMgr.LoadImage(panelBottom, res::kPanelBottom);
    ImageMgr.LoadImage(panelTop, res::kPanelTop);
    ImageMgr.LoadImage(calculateImage, res::kCalculate);
    ImageMgr.LoadImage(timerImage, res::kTimer);
    ImageMgr.LoadImage(background, res::kMenuBackground);
    ImageMgr.LoadImage(background2, res::kMenuBackground2);
    LoadButtons();
    SetPage(MENU_PICTURES);
    LoadThumbnails();
    int music = SoundMgr.LoadMusic(res::kMusic);
    if (music >= 0) SoundMgr.PlayMusic(music);
}

void CMenu::LoadButtons()
{
    LoadButton(loadGameButton, "LoadGame", 352, 480, OnLoadGame);
    LoadButton(customButton, "Custom", 352, 512, OnCustom);
    LoadButton(exitButton, "Exit", 352, 544, OnExit);
    LoadButton(playButton, "Play", 352, 512, OnPlay);
    LoadButton(backButton, "Back", 352, 544, OnBack);
    LoadButton(arrowLeftButton, "ArrowLeft", 28, 412, OnSmoothLeft);
    LoadButton(arrowRightButton, "ArrowRight", 216, 412, OnSmoothRight);
    countSlider.Load(ButtonPath("Slider", res::kButtonActiveSuffix).c_str(),
                     ButtonPath("Slider", res::kButtonNoActiveSuffix).c_str());
    countSlider.SetRangeX(40, 208);
    countSlider.SetValue(4);
    LoadButton(menuButton, "Menu", 0, 0, OnMenu);
    LoadButton(borderButton, "Border", 8, 569, OnBorder);
    borderButton.LoadToggle(res::kBorderToggle);
    LoadButton(pictureButton, "Picture", 128, 569, OnPicture);
    pictureButton.LoadToggle(res::kPictureToggle);
    LoadButton(colourButtons[0], "Back1", 672, 569, OnBack1);
    LoadButton(colourButtons[1], "Back2", 700, 569, OnBack2);
    LoadButton(colourButtons[2], "Back3", 728, 569, OnBack3);
    LoadButton(colourButtons[3], "Back4", 756, 569, OnBack4);
    LoadButton(arrangeButton, "Arrange", 252, 569, OnArrange);
    LoadButton(saveButton, "Save", 56, 0, OnSave);
    LoadButton(loadButton, "Load", 112, 0, OnLoad);
}

float CMenu::ThumbnailLeft(int index, float width)
{
    return 44 + 144 * static_cast<float>(index % 5) + (kThumbnailBox - width) / 2;
}

float CMenu::ThumbnailTop(int index, float height)
{
    return 48 + 136 * static_cast<float>(index / 5) + (kThumbnailBox - height) / 2;
}

void CMenu::LoadThumbnails()
{
    for (int i = 0; i < kPictureCount; i++) {
        char path[kMaxPath];
        std::snprintf(path, sizeof path, res::kPictureFormat, i);
        CButton& thumbnail = pictureButtons[i];
        thumbnail.LoadSized(path, path, kThumbnailBox, kThumbnailBox, kThumbnailBox, kThumbnailBox);
        thumbnail.SetPosition(ThumbnailLeft(i, thumbnail.GetWidth()), ThumbnailTop(i, thumbnail.GetHeight()));
    }
}

// ---------------------------------------------------------------- pages

void CMenu::Update()
{
    switch (page) {
    case MENU_PICTURES: UpdatePictures(); break;
    case MENU_CUT: UpdateCut(); break;
    case MENU_CALCULATE: UpdateCalculate(); break;
    default: break;
    }
}

void CMenu::UpdatePictures()
{
    ImageMgr.Draw(App.GetBackDC(), background, 0, 0);
    int selected = -1;
    for (int i = 0; i < kPictureCount; i++) {
        if (pictureButtons[i].Update()) selected = i;
        if (pictureButtons[i].IsMouseOver()) DrawThumbnailFrame(i);
    }
    loadGameButton.Update();
    customButton.Update();
    exitButton.Update();
    if (selected < 0) return;
    CutPreview.ChoosePicture(selected);
    CutPreview.SetDefaults();
    TakeCutDefaults();
    SetPage(MENU_CUT);
    // Consumed: a click lasts several frames, and a press still held on the
    // cut page would drag the slider (it answers across its whole band) or
    // press a button there that the player never aimed at.
    InputMgr.Reset();
}

void CMenu::DrawThumbnailFrame(int index)
{
    const CButton& thumbnail = pictureButtons[index];
    float w = thumbnail.GetWidth();
    float h = thumbnail.GetHeight();
    float left = ThumbnailLeft(index, w);
    float top = ThumbnailTop(index, h);
    ImageMgr.DrawFrame(App.GetBackDC(), static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + w),
                       static_cast<int>(top + h), kThumbnailFrameColour, kThumbnailFramePen);
}

void CMenu::TakeCutDefaults()
{
    countSlider.SetRange(CutPreview.GetMinPieces(), CutPreview.GetMaxPieces());
    countSlider.SetValue(CutPreview.GetColumns());
}

const char* CMenu::SmoothLabel(float smooth)
{
    if (smooth == CCutPreview::kSmoothNone) return "none";
    if (smooth == CCutPreview::kSmoothEasy) return "easy";
    if (smooth == CCutPreview::kSmoothMedium) return "medium";
    if (smooth == CCutPreview::kSmoothHard) return "hard";
    return nullptr;
}

void CMenu::UpdateCut()
{
    ImageMgr.Draw(App.GetBackDC(), background2, 0, 0);
    CutPreview.Draw();
    playButton.Update();
    backButton.Update();
    arrowLeftButton.Update();
    if (const char* label = SmoothLabel(CutPreview.GetSmoothType()))
        LargeFont.PrintInRect(TextRect{55, 412, 216, 440}, TEXT_CENTER, "%s", label);
    arrowRightButton.Update();
    countSlider.Update();
    // Back may have released the picture in this frame; then there is nothing to cut.
    if (page != MENU_CUT) return;
    if (countSlider.GetValue() != CutPreview.GetColumns()) {
        CutPreview.SetPieces(countSlider.GetValue());
        CutPreview.Refresh();
    }
}

void CMenu::UpdateCalculate()
{
    Surface& back = App.GetBackDC();
    ImageMgr.Draw(back, background2, 0, 0);
    ImageMgr.Draw(back, calculateImage, 4, 92);
    float progress = CutPreview.GetProgress();
    ImageMgr.DrawStretchedX(back, progressBar, 38, 126, progress / 100);
    CutPreview.Draw();
    SmallFont.Print(125, 129, "%i", static_cast<int>(progress));
    if (!CutPreview.BuildStep()) return;
    holdTime += Timer.GetDelta();
    if (holdTime < kHoldSeconds) return;
    holdTime = 0;
    App.SetState(STATE_GAME);
    Game.StartGame();
    CutPreview.FreePoints();
}

// ---------------------------------------------------------------- in-game panel

std::string CMenu::FormatClock(int minutes, int seconds)
{
    return ClockPart(minutes) + " : " + ClockPart(seconds);
}

void CMenu::UpdateGamePanel()
{
    Surface& back = App.GetBackDC();
    ImageMgr.DrawTransparent(back, panelTop, 0, 0);
    ImageMgr.Draw(back, panelBottom, 0, 563);
    if (Game.IsCompleted()) {
        SmallFont.Print(190, 540, "%s", kExitLine);
        if (AnyPress()) {
            OnMenu();
            InputMgr.Reset();
        }
    } else {
        borderButton.Update();
        pictureButton.Update();
        arrangeButton.Update();
        for (CButton& colour : colourButtons) colour.Update();
        saveButton.Update();
        loadButton.Update();
    }
    menuButton.Update();
    std::string clock = FormatClock(Game.GetClockMinutes(), Game.GetClockSeconds());
    ImageMgr.DrawTransparent(back, timerImage, 672, 0);
    SmallFont.Print(712, 5, "%s", clock.c_str());
}

// ---------------------------------------------------------------- actions

void CMenu::ResetToggles()
{
    borderButton.ResetToggle();
    pictureButton.ResetToggle();
    borderOnly = false;
    showPicture = false;
}

void CMenu::OnLoadGame()
{
    ResetToggles();
    Game.LoadGame();
    App.SetState(STATE_GAME);
}

void CMenu::OnCustom()
{
    FileDialog::Answer answer;
    App.RunOutsideDialog([&answer] { answer = FileDialog::OpenFile(kDialogTitle, kDialogFilter, kDialogPatterns); });
    switch (answer.outcome) {
    case FileDialog::Outcome::Chosen: OpenCustomPicture(answer.path); break;
    case FileDialog::Outcome::Cancelled: break;
    case FileDialog::Outcome::Unavailable:
        Log.Write("CMenu: No file dialog could be shown (is %s installed?)\n", FileDialog::kTool);
        break;
    }
}

void CMenu::OpenCustomPicture(const std::string& path)
{
    std::string problem = WhyPictureIsUnusable(path);
    if (!problem.empty()) {
        Log.Write("CMenu: Can't use picture %s: %s\n", path.c_str(), problem.c_str());
        App.ShowMessageBox("Pavendra", (problem + "\n\n" + path).c_str());
        return;
    }
    CutPreview.ChoosePictureFile(path.c_str());
    CutPreview.SetDefaults();
    Menu.TakeCutDefaults();
    SetPage(MENU_CUT);
}

void CMenu::OnExit() { App.PostQuit(); }

void CMenu::OnPlay()
{
    showPicture = false;
    borderOnly = false;
    CutPreview.StartBuild();
    SetPage(MENU_CALCULATE);
    progressBar.Release();
    ImageMgr.LoadImageScaled(progressBar, res::kProgressBar, kProgressBarWidth, kProgressBarHeight);
}

void CMenu::OnBack()
{
    CutPreview.Release();
    SetPage(MENU_PICTURES);
    InputMgr.Reset();
}

void CMenu::OnSmoothLeft()
{
    float smooth = CutPreview.GetSmoothType();
    if (smooth == CCutPreview::kSmoothNone)
        smooth = CCutPreview::kSmoothHard;
    else if (smooth == CCutPreview::kSmoothEasy)
        smooth = CCutPreview::kSmoothNone;
    else if (smooth == CCutPreview::kSmoothMedium)
        smooth = CCutPreview::kSmoothEasy;
    else if (smooth == CCutPreview::kSmoothHard)
        smooth = CCutPreview::kSmoothMedium;
    CutPreview.SetSmoothType(smooth);
}

void CMenu::OnSmoothRight()
{
    float smooth = CutPreview.GetSmoothType();
    if (smooth == CCutPreview::kSmoothNone)
        smooth = CCutPreview::kSmoothEasy;
    else if (smooth == CCutPreview::kSmoothEasy)
        smooth = CCutPreview::kSmoothMedium;
    else if (smooth == CCutPreview::kSmoothMedium)
        smooth = CCutPreview::kSmoothHard;
    else if (smooth == CCutPreview::kSmoothHard)
        smooth = CCutPreview::kSmoothNone;
    CutPreview.SetSmoothType(smooth);
}

void CMenu::OnMenu()
{
    Game.ClearGroups();
    Game.FreePieces();
    CutPreview.Release();
    App.SetState(STATE_MENU);
    SetPage(MENU_PICTURES);
    borderButton.ResetToggle();
    pictureButton.ResetToggle();
}

void CMenu::OnSave()
{
    // The banner tells the player the game is safe: only when it was written.
    if (Game.SaveGame()) Game.ShowSavedBanner(2.0f);
}

void CMenu::OnLoad()
{
    ResetToggles();
    Game.LoadGame();
}

void CMenu::OnArrange() { Game.ArrangePieces(); }

void CMenu::OnBack1() { Game.SetBackgroundColor(127, 154, 168); }
void CMenu::OnBack2() { Game.SetBackgroundColor(0, 122, 183); }
void CMenu::OnBack3() { Game.SetBackgroundColor(242, 205, 186); }
void CMenu::OnBack4() { Game.SetBackgroundColor(170, 103, 103); }

void CMenu::OnBorder()
{
    borderOnly = !borderOnly;
    Game.FilterEdgePieces(borderOnly);
}

void CMenu::OnPicture()
{
    showPicture = !showPicture;
    Game.SetPreviewPos(560, 20);
}

// ---------------------------------------------------------------- shutdown

void CMenu::Release()
{
    background.Release();
    background2.Release();
    calculateImage.Release();
    panelBottom.Release();
    panelTop.Release();
    timerImage.Release();
    progressBar.Release();
    for (CButton& thumbnail : pictureButtons) thumbnail.Release();
    loadGameButton.Release();
    customButton.Release();
    exitButton.Release();
    arrowLeftButton.Release();
    arrowRightButton.Release();
    playButton.Release();
    backButton.Release();
    menuButton.Release();
    for (CButton& colour : colourButtons) colour.Release();
    arrangeButton.Release();
    saveButton.Release();
    loadButton.Release();
    borderButton.Release();
    pictureButton.Release();
    countSlider.Release();
}
