// CMenu's first page: the fifteen pictures, the saved game, a picture of the
// player's own (Custom), and Exit.
#include "screens/CMenu.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/CLog.h"
#include "app/CMgrInput.h"
#include "app/CSystem.h"
#include "app/CTimer.h"
#include "platform/FileDialog.h"
#include "platform/JpegDecoder.h"
#include "platform/Paths.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"

namespace {

constexpr Colour kThumbnailFrameColour = 255;  // red
constexpr int kThumbnailFramePen = 2;
constexpr float kThumbnailBox = 128;
constexpr const char* kDialogTitle = "Select your image (.jpg)";
constexpr const char* kDialogFilter = "JPG (*.jpg)";
constexpr const char* kDialogPatterns = "*.jpg *.JPG *.jpeg *.JPEG";

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

void CMenu::UpdatePictures()
{
    ImageMgr.Draw(BackBuffer(), background, 0, 0);
    int selected = -1;
    for (int i = 0; i < kPictureCount; i++) {
        if (pictureButtons[i].Update()) selected = i;
        if (pictureButtons[i].IsMouseOver()) DrawThumbnailFrame(i);
    }
    loadGameButton.Update();
    customButton.Update();
    exitButton.Update();
    DrawMessage();
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
    ImageMgr.DrawFrame(BackBuffer(), static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + w),
                       static_cast<int>(top + h), kThumbnailFrameColour, kThumbnailFramePen);
}

// Only a saved game that loads leaves the menu; otherwise the menu says why.
void CMenu::OnLoadGame()
{
    switch (Game.LoadGame()) {
    case CGame::LoadResult::Loaded:
        ResetToggles();
        System.SetState(STATE_GAME);
        break;
    case CGame::LoadResult::Missing: ShowMessage("NO SAVED GAME", kMessageSeconds); break;
    case CGame::LoadResult::Damaged: ShowMessage("SAVED GAME IS DAMAGED", kMessageSeconds); break;
    }
}

void CMenu::ShowMessage(const char* text, float seconds)
{
    message = text;
    messageTime = seconds;
}

void CMenu::DrawMessage()
{
    if (messageTime <= 0) return;
    messageTime -= Timer.GetDelta();
    // Centred over LOAD GAME, between the last row of pictures and the button.
    const int centre = static_cast<int>(loadGameButton.GetX() + loadGameButton.GetWidth() / 2);
    SmallFont.PrintInRect({centre - 200, 452, centre + 200, 478}, TEXT_CENTER, "%s", message);
}

void CMenu::OnCustom()
{
    FileDialog::Answer answer;
    System.RunOutsideDialog([&answer] { answer = FileDialog::OpenFile(kDialogTitle, kDialogFilter, kDialogPatterns); });
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
        System.ShowMessageBox("Pavendra", (problem + "\n\n" + path).c_str());
        return;
    }
    CutPreview.ChoosePictureFile(path.c_str());
    CutPreview.SetDefaults();
    Menu.TakeCutDefaults();
    SetPage(MENU_CUT);
}

void CMenu::OnExit() { System.PostQuit(); }
