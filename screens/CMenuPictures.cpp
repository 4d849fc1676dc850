// SPDX-License-Identifier: GPL-3.0-or-later
// CMenu's first page: the fifteen pictures, the saved game, a picture of the
// player's own (Custom), and Exit.
#include "screens/CMenu.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/CLog.h"
#include "core/CMgrInput.h"
#include "core/CSystem.h"
#include "core/CTimer.h"
#include "platform/FileDialog.h"
#include "platform/Paths.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "screens/CPictureOpening.h"

namespace {

constexpr Colour kThumbnailFrameColour = 255;  // red
constexpr int kThumbnailFramePen = 2;
constexpr float kThumbnailBox = 128;
constexpr const char* kDialogTitle = "Select your picture";
constexpr const char* kDialogFilter = "Pictures";
// Every format the picture loader reads, in either letter case.
constexpr const char* kDialogPatterns =
    "*.jpg *.JPG *.jpeg *.JPEG *.jpe *.JPE *.jfif *.png *.PNG *.webp *.WEBP *.gif *.GIF *.tif *.TIF *.tiff *.TIFF "
    "*.bmp *.BMP *.tga *.TGA *.heic *.HEIC *.heif *.HEIF *.avif *.AVIF";

// The message for a desktop without a dialog tool.
std::string NoDialogMessage()
{
    return std::string("The game needs the program \"") + FileDialog::kTool + "\" (or \"" + FileDialog::kFallbackTool +
           "\") to show its file dialog. Please install the package \"" + FileDialog::kPackage +
           "\", or drop a picture onto the game's window.";
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
    TakeDroppedPicture();
    if (page != MENU_PICTURES) return;
    DrawPageArt(background, res::kMenuBackground, 0, 0);
    if (marksStale) {
        marks.Read();
        marksStale = false;
    }
    int selected = -1;
    for (int i = 0; i < kPictureCount; i++) {
        if (pictureButtons[i].Update()) selected = i;
        const CButton& b = pictureButtons[i];
        marks.Draw(BackBuffer(), i, static_cast<int>(b.GetX()), static_cast<int>(b.GetY()),
                   static_cast<int>(b.GetWidth()), static_cast<int>(b.GetHeight()));
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
    OfferKeptPuzzle();
    SetPage(MENU_CUT);
    // Consumed: a click lasts several frames, and a press still held on the
    // cut page would drag the slider (when it lies over the track) or
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
    // Before the pieces are built, so that both are never held at once; a
    // menu that stays reloads them when it is drawn.
    Menu.ReleaseMenuPictures();
    LoadAfterOpening(Game.NewestPlayerPicture(), AfterOpening::LoadNewest);
}

void CMenu::LoadNewestNow()
{
    switch (Game.LoadNewest()) {
    case CGame::LoadResult::Loaded:
        ResetToggles();
        System.SetState(STATE_GAME);
        break;
    case CGame::LoadResult::Missing: ShowMessage("NO SAVED GAME", kMessageSeconds); break;
    case CGame::LoadResult::Damaged: ShowMessage("SAVED GAME IS DAMAGED", kMessageSeconds); break;
    case CGame::LoadResult::PictureMissing: System.ShowMessage(MissingPictureMessage(Game.GetMissingPicture())); break;
    }
}

std::string CMenu::MissingPictureMessage(const std::string& path)
{
    return "The picture file \"" + path +
           "\" of the saved puzzle could not be found. Put the picture back there to go on with that puzzle.";
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
        System.ShowMessage(NoDialogMessage());
        break;
    }
}

void CMenu::OpenCustomPicture(const std::string& path)
{
    // Named in full, so that a saved game finds it from anywhere.
    std::error_code error;
    std::filesystem::path full = path.empty() ? std::filesystem::path() : std::filesystem::absolute(path, error);
    // Decoded on a thread of its own; quickly decoded, it is taken at once.
    const PictureCopies sizes = CCutPreview::PictureSizes();
    afterOpening = AfterOpening::CutPage;
    PictureOpening.Start(error ? path : full.string(), sizes.workSize, sizes.minSide, sizes.scale);
    TakeOpenedPicture();
}

void CMenu::LoadAfterOpening(const std::string& picture, AfterOpening load)
{
    if (picture.empty()) {
        RunLoad(load);
        return;
    }
    const PictureCopies sizes = CCutPreview::PictureSizes();
    afterOpening = load;
    PictureOpening.Start(picture, sizes.workSize, sizes.minSide, sizes.scale);
    TakeOpenedPicture();
}

void CMenu::RunLoad(AfterOpening load)
{
    switch (load) {
    case AfterOpening::LoadNewest: LoadNewestNow(); break;
    case AfterOpening::Continue: ContinueNow(); break;
    case AfterOpening::LoadInPlay: LoadInPlayNow(); break;
    case AfterOpening::CutPage: break;
    }
}

void CMenu::TakeOpenedPicture()
{
    CMgrImage::DecodedPicture decoded;
    std::string path;
    if (!PictureOpening.TakeResult(decoded, path)) return;
    if (afterOpening != AfterOpening::CutPage) {
        // A picture too slow to open is not loaded; any other outcome goes
        // to the load, which tells of it as it tells of a picture it decodes.
        if (decoded.problem == CMgrImage::kTooSlow) {
            CMgrImage::LogRefusal(path, decoded);
            System.ShowMessage(decoded.problem);
            return;
        }
        const PictureCopies sizes = CCutPreview::PictureSizes();
        ImageMgr.KeepDecoded(path, sizes.workSize, sizes.minSide, sizes.scale, std::move(decoded));
        RunLoad(afterOpening);
        ImageMgr.ForgetDecoded();
        return;
    }
    CMgrImage::LogRefusal(path, decoded);
    if (!decoded.problem.empty()) {
        System.ShowMessage(decoded.problem);
        return;
    }
    PictureCopies copies = CCutPreview::PictureSizes();
    ImageMgr.MakeCopies(decoded.picture, copies);
    CutPreview.TakePicture(copies, path.c_str());
    CutPreview.SetDefaults();
    Menu.TakeCutDefaults();
    Menu.OfferKeptPuzzle();
    SetPage(MENU_CUT);
}

void CMenu::TakeDroppedPicture()
{
    const std::string dropped = System.TakeDroppedFile();
    if (!dropped.empty()) OpenCustomPicture(dropped);
}

void CMenu::OnExit() { System.PostQuit(); }
