// SPDX-License-Identifier: GPL-3.0-or-later
// CMenu's first page: the fifteen pictures, the saved game, a picture of the
// player's own (Custom), and Exit; and its further pages, the player's own
// pictures with a puzzle kept or solved, fifteen a page, newest first, drawn
// from the thumbnails kept on the shelf (never from the photos themselves).
#include "screens/CMenu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "core/CLog.h"
#include "core/CMgrInput.h"
#include "core/CSystem.h"
#include "core/CTimer.h"
#include "platform/FileDialog.h"
#include "platform/Paths.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "puzzle/PuzzleShelf.h"
#include "platform/VirtualKeys.h"
#include "resources/BackBuffer.h"
#include "resources/CFont.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "screens/CMessage.h"
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

// The mounts round the player's thumbnails, as the first page's art has them.
constexpr Colour kMountEdge = MakeColour(167, 160, 145);
constexpr Colour kMountFace = MakeColour(255, 243, 217);
constexpr Colour kMountFaceLow = MakeColour(226, 211, 179);
constexpr Colour kMountLine = MakeColour(140, 124, 94);
// A thumbnail the shelf has none of.
constexpr int kPlainThumbnailHeight = 96;
constexpr Colour kPlainThumbnail = MakeColour(40, 48, 72);
// The arrows that turn the pages, in the marks' colours, beside the rows of pictures.
constexpr int kPageArrowSize = 28, kPageArrowMargin = 8, kPageArrowTop = 238;
constexpr Colour kMarkPlate = MakeColour(22, 30, 52);
constexpr Colour kMarkEdge = MakeColour(214, 178, 92);
constexpr Colour kArrowInk = MakeColour(255, 243, 217);
constexpr Colour kArrowInkDim = MakeColour(90, 96, 112);
constexpr int kPageNumberTop = 451;

// A soft shadow: the pixels under the rectangle (units) at half their brightness.
void DarkenRect(Surface& back, int left, int top, int width, int height)
{
    const int scale = back.Scale();
    const PixelRect clip = back.ClipRect();
    const int x0 = std::max(left * scale, clip.left), x1 = std::min((left + width) * scale, clip.right);
    const int y0 = std::max(top * scale, clip.top), y1 = std::min((top + height) * scale, clip.bottom);
    for (int y = y0; y < y1; ++y) {
        Colour* row = back.Row(y);
        for (int x = x0; x < x1; ++x) row[x] = (row[x] >> 1) & 0x7F7F7F;
    }
}

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
    if (marksStale) {
        marks.Read();
        marksStale = false;
        ownLoadedPage = -1;
        TurnPicturePage(0);  // a page that has gone (a puzzle taken off) gives way to the last
    }
    UpdatePageTurning();
    int selected = -1;
    if (picturePage == 0)
        UpdateGamePictures(selected);
    else
        UpdateOwnPictures(selected);
    DrawPageArrows();
    loadGameButton.Update();
    customButton.Update();
    exitButton.Update();
    DrawMessage();
    if (selected < 0 || Message.IsShowing()) return;
    if (picturePage > 0) {
        const PictureMarks::OwnPicture* chosen = OwnPictureIn(selected);
        InputMgr.Reset();
        if (!chosen) return;
        if (chosen->mark.missing) {
            System.ShowMessage(MissingPictureMessage(chosen->picture));
            return;
        }
        // Opened as CUSTOM opens it: its cut page, with CONTINUE when its puzzle is kept.
        OpenCustomPicture(chosen->picture);
        return;
    }
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

void CMenu::UpdateGamePictures(int& selected)
{
    DrawPageArt(background, res::kMenuBackground, 0, 0);
    for (int i = 0; i < kPictureCount; i++) {
        const bool clicked = pictureButtons[i].Update();
        const CButton& b = pictureButtons[i];
        marks.Draw(BackBuffer(), i, static_cast<int>(b.GetX()), static_cast<int>(b.GetY()),
                   static_cast<int>(b.GetWidth()), static_cast<int>(b.GetHeight()));
        if (!b.IsMouseOver()) continue;
        DrawThumbnailFrame(i);
        if (!HandleRemoval(b, i, clicked) && clicked) selected = i;
    }
}

void CMenu::UpdateOwnPictures(int& selected)
{
    DrawPageArt(backgroundMore, res::kMenuBackgroundMore, 0, 0);
    if (ownLoadedPage != picturePage) LoadOwnThumbnails();
    for (int slot = 0; slot < kPerPage && OwnPictureIn(slot); ++slot) {
        DrawOwnThumbnail(slot);
        const bool clicked = ownButtons[slot].Update();
        const CButton& b = ownButtons[slot];
        PictureMarks::DrawMark(BackBuffer(), OwnPictureIn(slot)->mark, static_cast<int>(b.GetX()),
                               static_cast<int>(b.GetY()), static_cast<int>(b.GetWidth()),
                               static_cast<int>(b.GetHeight()));
        if (ownPlain[slot]) {
            const std::string name = std::filesystem::path(OwnPictureIn(slot)->picture).filename().string();
            const int left = static_cast<int>(b.GetX()), top = static_cast<int>(b.GetY());
            SmallFont.PrintInRect({left + 4, top + 24, left + static_cast<int>(b.GetWidth()) - 4, top + 60},
                                  TEXT_CENTER, "%s", name.c_str());
        }
        if (!b.IsMouseOver()) continue;
        ImageMgr.DrawFrame(BackBuffer(), static_cast<int>(b.GetX()), static_cast<int>(b.GetY()),
                           static_cast<int>(b.GetX() + b.GetWidth()), static_cast<int>(b.GetY() + b.GetHeight()),
                           kThumbnailFrameColour, kThumbnailFramePen);
        if (!HandleRemoval(b, slot, clicked) && clicked) selected = slot;
    }
}

int CMenu::PicturePageCount() const
{
    const int own = static_cast<int>(marks.Own().size());
    return 1 + (own + kPerPage - 1) / kPerPage;
}

void CMenu::TurnPicturePage(int pages)
{
    const int turned = std::clamp(picturePage + pages, 0, PicturePageCount() - 1);
    if (turned == picturePage) return;
    picturePage = turned;
    PlayWidgetHoverSound();
}

const PictureMarks::OwnPicture* CMenu::OwnPictureIn(int slot) const
{
    if (picturePage < 1 || slot < 0 || slot >= kPerPage) return nullptr;
    const std::size_t index = static_cast<std::size_t>((picturePage - 1) * kPerPage + slot);
    return index < marks.Own().size() ? &marks.Own()[index] : nullptr;
}

void CMenu::LoadOwnThumbnails()
{
    ownLoadedPage = picturePage;
    const int scale = BackBuffer().Scale();
    for (int slot = 0; slot < kPerPage; ++slot) {
        const PictureMarks::OwnPicture* own = OwnPictureIn(slot);
        if (!own) {
            ownButtons[slot].Release();
            continue;
        }
        CImage image;
        ownPlain[slot] = !PuzzleShelf::ReadThumbnail(own->thumbnail, image.surface);
        if (ownPlain[slot]) {
            // A puzzle kept before thumbnails were, or a thumbnail gone: a plate with its name.
            image.surface = Surface::Scaled(PuzzleShelf::kThumbnailBox, kPlainThumbnailHeight, scale);
            image.surface.Fill(kPlainThumbnail);
        }
        image.width = static_cast<float>(image.surface.UnitWidth());
        image.height = static_cast<float>(image.surface.UnitHeight());
        CButton& button = ownButtons[slot];
        button.TakeImage(std::move(image));
        button.SetPosition(ThumbnailLeft(slot, button.GetWidth()), ThumbnailTop(slot, button.GetHeight()));
    }
}

// The cream mount the first page's art has round each thumbnail, drawn here
// round a thumbnail of the player's.
void CMenu::DrawOwnThumbnail(int slot)
{
    Surface& back = BackBuffer();
    const CButton& b = ownButtons[slot];
    const int left = static_cast<int>(b.GetX()), top = static_cast<int>(b.GetY());
    const int width = static_cast<int>(b.GetWidth()), height = static_cast<int>(b.GetHeight());
    DarkenRect(back, left - 2, top, width + 8, height + 8);
    back.FillRect(left - 4, top - 4, width + 8, height + 8, kMountEdge);
    back.FillRect(left - 3, top - 3, width + 6, height + 6, kMountFace);
    back.FillRect(left - 3, top + height / 2, width + 6, height / 2 + 3, kMountFaceLow);
    back.FillRect(left - 1, top - 1, width + 2, height + 2, kMountLine);
}

void CMenu::UpdatePageTurning()
{
    if (Message.IsShowing()) return;
    int pages = 0;
    for (const auto& [key, step] : {std::pair{VK_NEXT, 1}, std::pair{VK_PRIOR, -1}}) {
        if (!InputMgr.IsKeyDown(key)) continue;
        InputMgr.KeyUp(key);  // once per press; a held key turns again as it repeats
        pages += step;
    }
    pages -= InputMgr.TakeWheelSteps();  // turned away from the player: back
    if (PicturePageCount() > 1 && InputMgr.IsLeftButtonDown()) {
        const Point cursor = CMgrInput::GetCursor();
        for (const bool forward : {false, true}) {
            const PixelRect box = PageArrow(forward);
            if (cursor.x < box.left || cursor.x >= box.right || cursor.y < box.top || cursor.y >= box.bottom) continue;
            pages += forward ? 1 : -1;
            InputMgr.Reset();
        }
    }
    if (pages != 0) TurnPicturePage(pages);
}

PixelRect CMenu::PageArrow(bool forward)
{
    const int left = forward ? kClientWidth - kPageArrowMargin - kPageArrowSize : kPageArrowMargin;
    return {left, kPageArrowTop, left + kPageArrowSize, kPageArrowTop + kPageArrowSize};
}

void CMenu::DrawPageArrows()
{
    const int count = PicturePageCount();
    if (count < 2) return;
    Surface& back = BackBuffer();
    for (const bool forward : {false, true}) {
        const bool usable = forward ? picturePage < count - 1 : picturePage > 0;
        const PixelRect box = PageArrow(forward);
        back.FillRect(box.left - 1, box.top - 1, kPageArrowSize + 2, kPageArrowSize + 2, kMarkEdge);
        back.FillRect(box.left, box.top, kPageArrowSize, kPageArrowSize, kMarkPlate);
        // A triangle pointing the way the arrow turns, dim at the first and last page.
        const Colour ink = usable ? kArrowInk : kArrowInkDim;
        const int middle = box.top + kPageArrowSize / 2, reach = kPageArrowSize / 2 - 6;
        for (int i = 0; i <= reach; ++i) {
            const int x = forward ? box.left + 9 + i : box.right - 10 - i;
            const int half = reach - i;
            back.FillRect(x, middle - half, 1, 2 * half + 1, ink);
        }
    }
    if (GetMessage()) return;  // the line about a saved game stands where the page number does
    SmallFont.PrintInRect({300, kPageNumberTop, 500, kPageNumberTop + 20}, TEXT_CENTER, "PAGE %i OF %i",
                          picturePage + 1, count);
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
    Game.KeepOnShelf();  // a puzzle still in play is kept before another replaces it
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
    Game.KeepOnShelf();  // a puzzle still in play is kept before another replaces it
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
    ImageMgr.MakeCopies(decoded, copies);
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
